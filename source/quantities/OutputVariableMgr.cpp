#include "quantities/OutputVariableMgr.h"

#include <cstdint>
#include <memory>
#include <new>
#include <set>

#include "reports/GravikUtils.h"
#include "quantities/MapDeltaState.h"
#include "quantities/ParserForSolution.h"
#include "quantities/SimValueInfoServer.h"
#include "quantities/VersionedQuantityParser.h"
#include "hostapi/IDesignForOutputVariables.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "hostapi/IVariableNameSpaceSetupper.h"
#include "orvex/core/Assert.h"
#include "orvex/core/IMessageManager.h"
#include "orvex/core/IVelmorCommand.h"
#include "orvex/core/MessageQueueRestorer.h"
#include "orvex/core/VelmorMessage.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFunc.h"
#include "orvex/io/BlockValue.h"
#include "orvex/values/ExpressionParser.h"
#include "orvex/values/Value.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValues.h"
#include "postorvex/outputvars/COutputVarVlmrCmdInfo.h"
#include "postorvex/outputvars/OutputVariable.h"
#include "postorvex/outputvars/OutputVariableDefParams.h"
#include "postorvex/outputvars/OutputVariableLegacyUpdater.h"
#include "postorvex/quantities/CompositeReferencedPostprocessingQuantityMsg.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

namespace rep {

namespace {

const AString kOutputVariablesBlock(L"OutputVariables");

enum MessageID {
  kNotDeletable = 17032,
  kTextMessage = 24464,
  kNameExists = 24527,
  kNoSuchVariable = 24555,
  kNameIsQuantity = 24557,
  kNameNoLabel = 24558,
  kInvalidExpression = 24559,
  kNameNotOneLabel = 24575,
  kRefersToItself = 24576,
  kEmptyName = 24583,
  kBadVariationKey = 24605,
  kNotNumeric = 24618,
  kNoVariableValues = 24748,
};

void PostOutputVariableMessage(int messageID, const AString* argument) {
  const bool deletion = messageID == kNotDeletable;
  VelmorMessage msg(1, deletion ? 14 : 0, messageID, deletion ? -1 : 0, 6, MessageManagerStrings::kNullStr,
                    MessageManagerStrings::kNullStr, false);
  if (argument) msg.AddArg(*argument, 0);
  GetGlobalIMessageManager()->PostMessage(msg);
}

void PostOutputVariableMessage(int messageID, const AString& argument) {
  PostOutputVariableMessage(messageID, &argument);
}

IMessageHandler* GlobalMessageHandler() { return GetGlobalIMessageManager()->GetMessageHandler(); }

bool IsDoubleOrComplex(val::ParameterType type) { return type == 1 || type == 2; }

// An ID that a read takes back: one the server issues, within 32 bits, leaving room for the next.
bool IsStorableID(long id) { return id >= id::initialID && id::IsStorable(id); }

void PostNoIDLeft(const AString& name) {
  PostOutputVariableMessage(kTextMessage, L"No ID is left for the output variable \"" + name + L"\".");
}

OutputVariableDefParams DefinitionOf(const OutputVariable& variable) {
  return OutputVariableDefParams(variable.GetID(), variable.GetName(), variable.GetValueBaseText());
}

}  // namespace

COutputVarVlmrCmdInfo* GetOrCreateOutputVarCmdInfo(IVelmorCommand* cmd, unsigned subType) {
  if (!cmd) return nullptr;
  auto* info = dynamic_cast<COutputVarVlmrCmdInfo*>(cmd->GetInfo(COutputVarVlmrCmdInfo::kKind));
  if (info) return info;
  info = new COutputVarVlmrCmdInfo(2, subType);
  cmd->AddInfo(COutputVarVlmrCmdInfo::kKind, info);
  return info;
}

OutputVariableMgr::OutputVariableMgr(ISolutionManagerForReports* solMgr)
    : m_infoServer(new (std::nothrow) SimValueInfoServer(solMgr)), m_solMgr(solMgr), m_idServer(id::initialID, false) {}

OutputVariableMgr::~OutputVariableMgr() {
  for (auto& entry : m_variables) delete entry.second;
  m_variables.clear();
  delete m_infoServer;
}

AString OutputVariableMgr::GetBlockName() const { return kOutputVariablesBlock; }

// Lookups

OutputVariable* OutputVariableMgr::GetOutputVariable(long id) const {
  auto it = m_variables.find(id);
  return it == m_variables.end() ? nullptr : it->second;
}

OutputVariable* OutputVariableMgr::FindOutputVariable(const AString& name) const {
  for (const auto& entry : m_variables)
    if (entry.second->GetName().CompareNoCase(name) == 0) return entry.second;
  return nullptr;
}

void OutputVariableMgr::SelectVariables(std::vector<OutputVariable*>& out, const DesignSolutionDefinition* dsd) const {
  for (const auto& entry : m_variables) {
    if (dsd) {
      MessageQueueRestorer hold(GlobalMessageHandler(), false);
      if (!ValidateExpression(DefinitionOf(*entry.second), *dsd)) continue;
    }
    out.push_back(entry.second);
  }
}

void OutputVariableMgr::GetOutputVariables(std::vector<OutputVariable*>& out, const DesignSolutionDefinition* dsd) const {
  SelectVariables(out, dsd);
}

bool OutputVariableMgr::GetOutputVariableName(AString& out, long id) const {
  const OutputVariable* variable = GetOutputVariable(id);
  if (!variable) return false;
  out = variable->GetName();
  return true;
}

bool OutputVariableMgr::GetOutputVariableID(long& out, const AString& name) const {
  const OutputVariable* variable = FindOutputVariable(name);
  if (!variable) return false;
  out = variable->GetID();
  return true;
}

void OutputVariableMgr::GetOutputVariableIDs(std::vector<long>& outVarIDVec, const DesignSolutionDefinition* dsd) const {
  ORVEX_ASSERT(outVarIDVec.size() == 0);
  std::vector<OutputVariable*> selected;
  SelectVariables(selected, dsd);
  for (const OutputVariable* variable : selected) outVarIDVec.push_back(variable->GetID());
}

void OutputVariableMgr::GetOutputVariableNames(std::vector<AString>& outVarNamesVec,
                                               const DesignSolutionDefinition* dsd) const {
  ORVEX_ASSERT(outVarNamesVec.size() == 0);
  std::vector<OutputVariable*> selected;
  SelectVariables(selected, dsd);
  for (const OutputVariable* variable : selected) outVarNamesVec.push_back(variable->GetName());
}

// Definitions and checks

bool OutputVariableMgr::SetVariableDefinition(OutputVariable& variable, const OutputVariableDefParams& def,
                                              const DesignSolutionDefinition& dsd) const {
  ParserForSolution parser(m_solMgr, const_cast<OutputVariableMgr*>(this), m_infoServer, dsd);
  if (!parser) return false;
  parser.Install();
  const std::vector<IValueParser*> parsers{parser.GetValueParser()};
  Value value(Units::kNoUnit);
  if (!ExpressionParser::ValidateExpression(value, def.GetExpression(), parsers)) return false;
  variable.SetValueBaseText(def.GetExpression(), value.GetValueState());
  MessageQueueRestorer hold(GlobalMessageHandler(), false);
  OutputVariableLegacyUpdater::UpdateLegacyText(&variable, parsers, nullptr);
  return true;
}

bool OutputVariableMgr::IsExpressionValidForSolution(const AString& expression,
                                                     const DesignSolutionDefinition& dsd) const {
  ParserForSolution parser(m_solMgr, const_cast<OutputVariableMgr*>(this), m_infoServer, dsd);
  if (!parser) return false;
  parser.Install();
  Value value(Units::kNoUnit);
  return SetValueTextIfNotEmpty(value, expression, Units::kNoUnit) && IsDoubleOrComplex(value.GetParameterType());
}

bool OutputVariableMgr::CheckOutputVariableDefinition(OutputVariableDefParams& def,
                                                      const DesignSolutionDefinition& dsd) {
  const AString& name = def.GetName();
  ParserForSolution parser(m_solMgr, this, m_infoServer, dsd);
  if (!parser) return false;
  std::vector<AString> labels;
  int numLabels = 0;
  {
    parser.OpenNameSpace();
    MessageQueueRestorer hold(GlobalMessageHandler(), false);
    numLabels = ExpressionParser::GetAlienLabels(name, {parser.GetValueParser()}, labels);
  }
  if (numLabels == 0) {
    PostOutputVariableMessage(kNameNoLabel, name);
    return false;
  }
  if (numLabels >= 2 || labels.front().CompareNoCase(name) != 0) {
    PostOutputVariableMessage(kNameNotOneLabel, name);
    return false;
  }
  if (FindOutputVariable(name)) {
    PostOutputVariableMessage(kNameExists, name);
    return false;
  }
  if ((m_infoServer && m_infoServer->IsQuantityOfSolution(name, dsd)) || parser->IsSolutionOutputVariable(name)) {
    PostOutputVariableMessage(kNameIsQuantity, name);
    return false;
  }
  return true;
}

bool OutputVariableMgr::ValidateExpression(const OutputVariableDefParams& def,
                                           const DesignSolutionDefinition& dsd) const {
  const AString& expression = def.GetExpression();
  if (!IsExpressionValidForSolution(expression, dsd)) {
    PostOutputVariableMessage(kInvalidExpression, expression);
    return false;
  }
  // The record lists output variables that the parser owns (those the solution defines): the
  // parser outlives every read of them.
  ParserForSolution parser(m_solMgr, const_cast<OutputVariableMgr*>(this), m_infoServer, dsd);
  std::unique_ptr<CompositeReferencedPostprocessingQuantityMsg> msg(
      parser ? ValidateExpressions(*parser, {expression}) : nullptr);
  if (!msg) {
    PostOutputVariableMessage(kInvalidExpression, expression);
    return false;
  }
  std::vector<ContextVariable*> used;
  msg->GetAllOutputVariables(used);
  for (const ContextVariable* variable : used) {
    if (!IsExpressionValidForSolution(variable->GetValueBaseText(), dsd)) {
      PostOutputVariableMessage(kInvalidExpression, expression);
      return false;
    }
    if (variable->GetName().CompareNoCase(def.GetName()) == 0) {
      PostOutputVariableMessage(kRefersToItself, def.GetName());
      return false;
    }
  }
  return true;
}

bool OutputVariableMgr::ValidateOutputVariableExpression(OutputVariableDefParams& def,
                                                         const DesignSolutionDefinition& dsd) {
  return ValidateExpression(def, dsd);
}

// Editing

bool OutputVariableMgr::CreateOutputVariable(OutputVariableDefParams& def, const DesignSolutionDefinition& dsd,
                                             IVelmorCommand* cmd) {
  std::unique_ptr<OutputVariable> newVar(new (std::nothrow) OutputVariable(def.GetName()));
  ORVEX_ASSERT(newVar);
  if (!newVar) return false;
  if (!cmd || !SetVariableDefinition(*newVar, def, dsd)) return false;
  if (!IssueNewID(*newVar)) {
    PostNoIDLeft(def.GetName());
    return false;
  }

  OutputVariable* variable = newVar.release();
  m_variables[variable->GetID()] = variable;
  auto* delta = new MapDeltaState<long, OutputVariable>(&m_variables, true, nullptr, true);
  delta->RecordChange(variable->GetID(), variable, true);
  cmd->AddDeltaState(delta);
  GetOrCreateOutputVarCmdInfo(cmd, COutputVarVlmrCmdInfo::kCreated)->AddCreatedOutputVar(variable);
  return true;
}

bool OutputVariableMgr::EditOutputVariable(OutputVariableDefParams& def, const DesignSolutionDefinition& dsd,
                                           IVelmorCommand* cmd) {
  OutputVariable* outvar = GetOutputVariable(def.GetID());
  ORVEX_ASSERT(outvar);
  if (!outvar || !cmd) return false;
  OutputVariable edited(def.GetName());
  edited.SetID(outvar->GetID());
  if (!SetVariableDefinition(edited, def, dsd)) return false;
  cmd->RecordUndoable(*outvar);
  *outvar = edited;
  GetOrCreateOutputVarCmdInfo(cmd, COutputVarVlmrCmdInfo::kEdited)->AddEditedOutputVar(outvar);
  return true;
}

bool OutputVariableMgr::DeleteOutputVariable(OutputVariableDefParams& def, IVelmorCommand* cmd) {
  OutputVariable* variable = GetOutputVariable(def.GetID());
  if (!variable) return false;
  if (!variable->OKtoDelete()) {
    PostOutputVariableMessage(kNotDeletable, variable->GetName());
    return false;
  }
  if (!cmd) return false;
  auto* delta = new MapDeltaState<long, OutputVariable>(&m_variables, true, nullptr, true);
  delta->RecordChange(variable->GetID(), variable, false);
  cmd->AddDeltaState(delta);
  GetOrCreateOutputVarCmdInfo(cmd, COutputVarVlmrCmdInfo::kDeleted)->AddDeletedOutputVar(variable);
  m_variables.erase(variable->GetID());
  return true;
}

bool OutputVariableMgr::ChangeOutputVariableID(OutputVariable* variable) {
  if (!variable || m_variables.count(variable->GetID()) != 0 || !IssueNewID(*variable)) return false;
  m_variables[variable->GetID()] = variable;
  return true;
}

bool OutputVariableMgr::IssueNewID(OutputVariable& variable) {
  // An ID that no read takes back would lose the variable with the next save.
  if (!IsStorableID(m_idServer.PeekNextUniqueID())) return false;
  variable.SetID(m_idServer.GetNewUniqueID());
  return true;
}

bool OutputVariableMgr::GetSolutionExpressionValueState(const AString& name, ValueState& state, AString& expression,
                                                        const DesignSolutionDefinition& dsd) {
  ISolutionForReports* isde = m_solMgr ? m_solMgr->GetSolution(dsd.GetSolutionID()) : nullptr;
  ORVEX_ASSERT(isde);
  if (!isde) return false;
  if (!isde->GetOutputVariableExpression(expression, name)) return false;
  return GetValueStateOfExpression(state, name, dsd, m_solMgr, this, m_infoServer);
}

void OutputVariableMgr::ReparseOutputVariables(const QuantityRenames& renames, IVelmorCommand* cmd) {
  // Changing texts without a command would leave nothing to undo them with.
  if (!cmd || !m_solMgr) return;
  MessageQueueRestorer hold(GlobalMessageHandler(), false);
  std::vector<DesignSolutionDefinition> definitions;
  m_solMgr->GetDesignSolutionDefinitions(definitions);
  for (auto& entry : m_variables) {
    OutputVariable* variable = entry.second;
    bool ovParsed = false;
    for (const DesignSolutionDefinition& dsd : definitions) {
      AString newText;
      ValueState newState;
      if (!GenerateNewValueText(newText, newState, variable->GetValueBaseText(), renames, m_solMgr, this,
                                m_infoServer, dsd))
        continue;
      ovParsed = true;
      if (!newText.empty()) {
        cmd->RecordUndoable(*variable);
        variable->SetValueBaseText(newText, newState);
      }
      break;
    }
    ORVEX_ASSERT(ovParsed);
  }
}

// Evaluation

bool OutputVariableMgr::TakeSolutionValuesIfEmpty(VariableValues& values, const OutputVariable& variable,
                                                  const DesignSolutionDefinition& dsd,
                                                  const IDesignForOutputVariables& design) const {
  if (values.empty())
    m_solMgr->GetSolutionVariation(values, dsd.GetSolutionID(), design.GetDesignInstanceID(),
                                   dsd.GetReportTypeSolutionDefinitionRef());
  if (!values.empty()) return true;
  PostOutputVariableMessage(kNoVariableValues, variable.GetName());
  return false;
}

bool OutputVariableMgr::Evaluate(Value& result, const OutputVariable& variable, const VariableValues& values,
                                 const DesignSolutionDefinition& dsd, IDesignForOutputVariables& design) {
  IDesignSimDataServices* services = design.GetSimDataServices();
  if (!services) return false;
  return rep::EvaluateOutputVariable(result, variable.GetValueBaseText(), values, design.GetDesignInstanceID(),
                                     m_solMgr, this, dsd, services->GetISimValueCache(),
                                     services->GetIDerivedDataManager());
}

bool OutputVariableMgr::EvaluateOutputVariable(Value& result, const AString& variationKey,
                                               OutputVariableDefParams& def, const DesignSolutionDefinition& dsd,
                                               IDesignForOutputVariables* design) {
  const AString& name = def.GetName();
  if (name.empty()) {
    PostOutputVariableMessage(kEmptyName, nullptr);
    return false;
  }
  const OutputVariable* variable = FindOutputVariable(name);
  if (!variable) {
    PostOutputVariableMessage(kNoSuchVariable, name);
    return false;
  }
  if (!ValidateExpression(def, dsd)) return false;
  if (!IsDoubleOrComplex(variable->GetParameterType())) {
    PostOutputVariableMessage(kNotNumeric, name);
    return false;
  }
  IVariableNameSpaceSetupper* setupper = m_solMgr ? m_solMgr->GetVariableNameSpaceSetupper(dsd.GetSolutionID()) : nullptr;
  if (!design || !setupper || !m_solMgr->GetSolution(dsd.GetSolutionID())) return false;
  VariableValues values;
  int resolved = 0;
  {
    VariableNameSpace nameSpace(1, 1, 0);
    setupper->Setup(nameSpace);
    resolved = VariableValues::ResolveVariationKey(values, variationKey, &nameSpace, false);
  }
  if (!TakeSolutionValuesIfEmpty(values, *variable, dsd, *design)) return false;
  if (resolved == 0 && !variationKey.empty()) {
    PostOutputVariableMessage(kBadVariationKey, variationKey);
    return false;
  }
  return Evaluate(result, *variable, values, dsd, *design);
}

bool OutputVariableMgr::EvaluateOutputVariable(Value& result, const AString& name, const VariableValues& variation,
                                               const DesignSolutionDefinition& dsd,
                                               IDesignForOutputVariables* design) {
  const OutputVariable* variable = FindOutputVariable(name);
  if (!variable) {
    PostOutputVariableMessage(kNoSuchVariable, name);
    return false;
  }
  if (!design || !m_solMgr || !m_solMgr->GetSolution(dsd.GetSolutionID())) return false;
  VariableValues values(variation);
  if (!TakeSolutionValuesIfEmpty(values, *variable, dsd, *design)) return false;
  return Evaluate(result, *variable, values, dsd, *design);
}

// Paste preparation

bool OutputVariableMgr::PrepareForPaste(OutputVariableMgr& target) {
  RemoveVariablesDefinedIn(target);
  CheckTypesAgainst(target);
  AssignIDsFrom(target);
  return true;
}

void OutputVariableMgr::RemoveVariablesDefinedIn(const OutputVariableMgr& target) {
  for (auto it = m_variables.begin(); it != m_variables.end();) {
    const OutputVariable* held = target.FindOutputVariable(it->second->GetName());
    if (held && held->GetParameterType() == it->second->GetParameterType()) {
      delete it->second;
      it = m_variables.erase(it);
      continue;
    }
    ++it;
  }
}

void OutputVariableMgr::CheckTypesAgainst(const OutputVariableMgr& target) {
  for (auto it = m_variables.begin(); it != m_variables.end();) {
    if (!target.FindOutputVariable(it->second->GetName())) {
      ++it;
      continue;
    }
    ORVEX_ASSERT(0);
    delete it->second;
    it = m_variables.erase(it);
  }
}

void OutputVariableMgr::AssignIDsFrom(OutputVariableMgr& target) {
  OutputVariableMap renumbered;
  for (auto& entry : m_variables) {
    if (!target.IssueNewID(*entry.second)) {
      PostNoIDLeft(entry.second->GetName());
      delete entry.second;
      continue;
    }
    renumbered[entry.second->GetID()] = entry.second;
  }
  m_variables.swap(renumbered);
}

// Block

io::ReadError OutputVariableMgr::DoDataExchange(io::CBlock& block, bool reading) {
  ClearReadStatus();
  if (!reading) {
    m_idServer.WriteNextUniqueID(block);
    WriteOutputVariables(block, m_variables);
    return io::kNoError;
  }
  m_idServer.ResetNextUniqueID(block);
  const io::ReadError result = ReadOutputVariables(block);
  AdvanceIDServerPastHeld();
  return result;
}

bool OutputVariableMgr::WriteOutputVariables(io::CBlock& parent, const OutputVariableMap& variables) {
  if (variables.empty()) return true;
  io::CBlock sub(kOutputVariablesBlock);
  bool result = true;
  for (const auto& entry : variables) {
    io::CBlock_func item(entry.second->GetName());
    if (!entry.second->WriteToFunc(item)) {
      result = false;
      continue;
    }
    sub << std::move(item);
  }
  parent << std::move(sub);
  return result;
}

io::ReadError OutputVariableMgr::ReadOutputVariables(const io::CBlock& parent) {
  const io::CBlock* found = parent.FindBlock(kOutputVariablesBlock);
  if (!found) return io::kNoError;
  const io::CBlock& sub = *found;
  io::ReadError result = io::kNoError;
  const auto fail = [&result] {
    if (result == io::kNoError) result = io::kConversionFailed;
  };
  std::set<long> readIDs;
  for (size_t i = 0; i < sub.GetNumItems(); ++i) {
    const io::CBlock_func* item = sub.GetItemKind(i) == io::CBlock::kFunc ? sub.GetFunc(i) : nullptr;
    if (!item) {
      fail();
      continue;
    }
    std::unique_ptr<OutputVariable> read(new OutputVariable(item->GetName()));
    // A repeated ID keeps the first variable read under it.
    if (read->ReadFromFunc(*item, 0) != 0 || !IsStorableID(read->GetID()) || !readIDs.insert(read->GetID()).second) {
      fail();
      continue;
    }
    OutputVariable* held = GetOutputVariable(read->GetID());
    if (held) {
      // Parsers and undo records may point at the held object: it takes the content.
      held->SetName(read->GetName());
      held->SetValueBaseText(read->GetValueBaseText(), read->GetValueState());
      continue;
    }
    m_variables[read->GetID()] = read.get();
    read.release();
  }
  return result;
}

void OutputVariableMgr::AdvanceIDServerPastHeld() {
  const long highest = m_variables.empty() ? 0 : m_variables.rbegin()->first;
  // A damaged next ID would hand out IDs that the next read refuses, losing those variables.
  const long next = m_idServer.PeekNextUniqueID();
  if (next > highest && IsStorableID(next)) return;
  m_idServer.SetNextUniqueID(highest + 1);
}

}  // namespace rep
