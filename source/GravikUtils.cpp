#include "GravikUtils.h"

#include <cmath>
#include <memory>

#include "ReportDefinitionCmdInfo.h"
#include "SimValue2.h"
#include "SimValueInfoServer.h"
#include "TraceDefinition.h"
#include "VersionedQuantityParser.h"
#include "orvex/core/MessageQueueRestorer.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/IVariableNameSpaceSetupper.h"
#include "orvex/values/ReferencedMessages.h"
#include "orvex/values/ValueBase.h"
#include "orvex/values/ValueTextGenerator.h"
#include "orvex/values/VariableNameSpace.h"
#include "postorvex/quantities/BaseQuantityTypeParam.h"
#include "postorvex/quantities/CompositeReferencedPostprocessingQuantityMsg.h"
#include "postorvex/quantities/SimValueParams.h"
#include "postorvex/quantities/PostpQuantityUtils.h"
#include "hostapi/IReportManagerOwner.h"
#include "hostapi/ISolutionContextObject.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "orvex/centupd/IDerivedDataDefinition.h"
#include "orvex/core/Assert.h"
#include "orvex/core/IMessageManager.h"
#include "orvex/core/IVelmorCommand.h"
#include "orvex/core/Ids.h"
#include "orvex/core/RenameQuantitiesCmdInfo.h"
#include "orvex/core/VelmorMessage.h"
#include "orvex/io/Block.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/FileColumnManager.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

namespace rep {

bool IsNaN(double value) { return std::isnan(value); }

bool IsNaN(const AComplex<double>& value) { return IsNaN(value.real()) || IsNaN(value.imag()); }

bool IsNaN(const Value& value) {
  switch (value.GetParameterType()) {
    case 1:
      return IsNaN(value.GetValue());
    case 2:
      return IsNaN(value.GetComplexValue());
    default:
      ORVEX_ASSERT(0);
      return false;
  }
}

bool SetValueTextIfNotEmpty(Value& value, const AString& text, Units::FullUnitType unitType) {
  if (text.empty()) return true;
  return value.SetValueText(text, unitType);
}

bool IsDigitalParameterType(val::ParameterType type) { return type == 13 || type == 14 || type == 15; }

// ---- columns in blocks ----

Column* ReadColumnFromBlock(const io::CBlock& parent, const AString& name) {
  const io::CBlock* columnBlock = parent.FindBlock(name);
  if (!columnBlock) {
    // A column that is not there is not a failed lookup of the parent.
    parent.ResetFound(true);
    return nullptr;
  }
  Column* col = Column::ReadAndCreateColumn(*columnBlock);
  ORVEX_ASSERT(col);
  return col;
}

bool WriteColumnToBlock(io::CBlock& parent, const Column* column, const AString& name) {
  if (!column) return false;
  io::CBlock columnBlock(name);
  if (column->WriteColumn(columnBlock) != io::kNoError) return false;
  parent << std::move(columnBlock);
  return true;
}

// ---- digital columns to double columns ----

namespace {

template <class SourceColumn, class Entry>
void AppendConverted(const SourceColumn& source, DoubleColumn& target, Entry invalidMarker,
                     double (*convert)(Entry)) {
  // A file-backed source is loaded for the copy and left as it was found.
  FileColumnManager::LoadAndOptionallyUnloadCtxt loaded(&source);
  for (Entry entry : source.GetValues())
    target.AddValue(entry == invalidMarker ? DoubleColumn::kInvalidValue : convert(entry), true);
}

double IntegerToDouble(int32_t entry) { return static_cast<double>(entry); }
double CharacterToDouble(char entry) { return static_cast<double>(static_cast<unsigned char>(entry)); }

class DoubleColumnConverterForDigitalTypesVisitor : public Column::Visitor {
public:
  explicit DoubleColumnConverterForDigitalTypesVisitor(DoubleColumn* target) : m_target(target) {}

  bool Visit(const EnumColumn& column) override {
    ConvertDigitalColumnToDoubleColumn(column, *m_target);
    return true;
  }
  bool Visit(const CharColumn& column) override {
    ConvertDigitalColumnToDoubleColumn(column, *m_target);
    return true;
  }
  bool Visit(const IntColumn& column) override {
    ConvertDigitalColumnToDoubleColumn(column, *m_target);
    return true;
  }
  // Every other kind, present and future, ends here.
  bool Visit(const Column&) override {
    ORVEX_ASSERT(0);
    return false;
  }

private:
  DoubleColumn* m_target;  // not owned
};

}  // namespace

void ConvertDigitalColumnToDoubleColumn(const IntColumn& source, DoubleColumn& target) {
  AppendConverted<IntColumn, int32_t>(source, target, IntColumn::kInvalidValue, IntegerToDouble);
}

void ConvertDigitalColumnToDoubleColumn(const CharColumn& source, DoubleColumn& target) {
  AppendConverted<CharColumn, char>(source, target, CharColumn::kInvalidValue, CharacterToDouble);
}

void ConvertDigitalColumnToDoubleColumn(const EnumColumn& source, DoubleColumn& target) {
  AppendConverted<EnumColumn, int32_t>(source, target, EnumColumn::kInvalidValue, IntegerToDouble);
}

DoubleColumn* CreateDoubleColumnFromDigitalColumn(const Column& source, IManagedFileService* fileService) {
  if (!IsDigitalParameterType(source.GetParameterType())) {
    ORVEX_ASSERT(0);
    return nullptr;
  }
  const val::ParameterType doubleType = static_cast<val::ParameterType>(1);
  std::unique_ptr<Column> created(
      fileService ? Column::CreateColumn2(doubleType, source.GetUnits(), fileService, AString(), AString(), true, true)
                  : Column::CreateColumn(doubleType, source.GetUnits()));
  DoubleColumn* target = created ? created->GetDoubleColumn() : nullptr;
  if (!target) return nullptr;
  DoubleColumnConverterForDigitalTypesVisitor converter(target);
  // A column whose kind does not match its digital type is refused, not answered empty.
  if (!source.Accept(converter)) return nullptr;
  created.release();
  return target;
}

ReportDefinitionCmdInfo* GetOrCreateReportDefinitionCmdInfo(IVelmorCommand* cmd, IReportManagerOwner* owner) {
  // Without a command there is nothing to attach an info to, and the host may drop what it is given.
  if (!owner || !cmd) return nullptr;
  const int source = owner->GetCmdInfoSourceForReports();
  if (VelmorCommandInfo* existing = owner->GetContextedInfoFromCmd(cmd, source))
    return dynamic_cast<ReportDefinitionCmdInfo*>(existing);
  auto* info = new ReportDefinitionCmdInfo;
  owner->AddContextedInfoToCmd(cmd, info, source);
  return info;
}

bool MarkTracesUpdatedInCommand(IVelmorCommand* cmd, IReportManagerOwner* owner) {
  ReportDefinitionCmdInfo* info = cmd ? GetOrCreateReportDefinitionCmdInfo(cmd, owner) : nullptr;
  if (!info) {
    ORVEX_ASSERT(0);
    return false;
  }
  info->SetTracesUpdated(true);
  return true;
}

void PostReportMessage(int severity, int messageID, int secondID, const AString& argument) {
  VelmorMessage msg(severity, 14, messageID, secondID, 6, MessageManagerStrings::kNullStr,
                    MessageManagerStrings::kNullStr, false);
  msg.AddArg(argument, 0);
  GetGlobalIMessageManager()->PostMessage(msg);
}

bool IsQuantityRenamedByCommand(const IVelmorCommand* cmd, const AString& quantityName) {
  if (!cmd) return false;
  const auto* renames = dynamic_cast<const RenameQuantitiesCmdInfo*>(cmd->GetInfo(cmdinfo::kRenameQuantitiesKind));
  if (!renames) return false;
  if (cmd->IsDoing() || cmd->IsRedoing()) return renames->GetIsQuantityRenamedByOldName(quantityName);
  if (cmd->IsUndoing()) return renames->GetIsQuantityRenamedByNewName(quantityName);
  return false;
}

namespace {

enum class VersionKind { kPostprocessing, kSolutionContext };

long AskSolutionVersion(const ISolutionManagerForReports* solMgr, const DesignSolutionDefinition& dsd,
                        VersionKind kind) {
  ISolutionForReports* solution = solMgr ? solMgr->GetSolution(dsd.GetSolutionID()) : nullptr;
  if (!solution) return id::invalidID;
  ISolutionContextObject* context = nullptr;
  IDerivedDataDefinition* loadDef = nullptr;
  solution->BuildContextObjects(dsd.GetReportTypeSolutionDefinitionRef(), context, loadDef);
  long version = id::invalidID;
  if (loadDef) {
    version = kind == VersionKind::kPostprocessing ? solution->GetVersionIDForPostprocessing(*loadDef)
                                                   : solution->GetContextVersionID(*loadDef);
  }
  delete loadDef;
  delete context;
  return version;
}

}  // namespace

long GetVersionIDForPostprocessing(const ISolutionManagerForReports* solMgr, const DesignSolutionDefinition& dsd) {
  return AskSolutionVersion(solMgr, dsd, VersionKind::kPostprocessing);
}

long GetSolutionContextVersionID(const ISolutionManagerForReports* solMgr, const DesignSolutionDefinition& dsd) {
  return AskSolutionVersion(solMgr, dsd, VersionKind::kSolutionContext);
}

}  // namespace rep

// Quantities of expressions

namespace {

struct ParserDeleter {
  void operator()(IValueParser* p) const {
    if (p) delete p->GetInterfaceQueriable();
  }
};
using OwnedParser = std::unique_ptr<IValueParser, ParserDeleter>;

// One expression parsed with a parser made for a design solution, installed while this lives.
struct ExpressionParse {
  ExpressionParse(ISolutionManagerForReports* solMgr, IOutputVariableMgr* outputVariables, ISimValueInfoCache* cache,
                  const DesignSolutionDefinition& dsd, bool forTextRegeneration)
      : owned(rep::CreateVersionedQuantityParser(solMgr, outputVariables, cache, dsd)),
        parser(owned ? dynamic_cast<rep::VersionedQuantityParser*>(owned.get()) : nullptr), names(1, 1, 0),
        installed(parser) {
    IVariableNameSpaceSetupper* setupper = parser ? parser->GetVariableNameSpaceSetupper() : nullptr;
    if (setupper && forTextRegeneration) setupper->SetupForTextRegeneration(names);
    if (setupper && !forTextRegeneration) setupper->Setup(names);
  }
  bool Parse(const AString& expression) { return rep::SetValueTextIfNotEmpty(value, expression, Units::kNoUnit); }

  OwnedParser owned;
  rep::VersionedQuantityParser* parser;
  VariableNameSpace names;
  InstalledParserScope installed;
  Value value{Units::kNoUnit};
};

std::unique_ptr<BaseQuantityTypeParam> QuantityTypeParamOf(rep::SimValueInfoServer& info, const AString& quantity,
                                                          const DesignSolutionDefinition& dsd, long versionID) {
  std::unique_ptr<BaseQuantityTypeParam> param;
  if (!info.GetQuantityTypeParam(param, quantity, dsd, versionID)) param.reset();
  return param;
}

// The plain quantities and the leaves of the composite ones, all or of one expression.
std::vector<AString> LeafQuantityNames(AbstractQuantityInfo& source, const AString* expression,
                                       ISimValueInfoCache* cache, const DesignSolutionDefinition& dsd, long versionID) {
  std::vector<AString> names;
  std::vector<AString> composites;
  if (expression) {
    source.GetSimValueQuantitiesForExpr(*expression, names);
    source.GetCompositeQuantitiesForExpr(*expression, composites);
  } else {
    source.GetAllSimValueQuantities(names);
    source.GetAllCompositeQuantities(composites);
  }
  if (!composites.empty() && cache) rep::GetLeafQuantitiesOfExpressions(names, composites, *cache, dsd, versionID);
  return names;
}

long SimValueIDOf(ISimValueInfoCache* cache, const AString& name, const DesignSolutionDefinition& dsd, long versionID) {
  if (!cache) return id::invalidID;
  SimValueParams params;
  return cache->GetSimValueID(params, name, dsd, versionID);
}

}  // namespace

namespace rep {

void GetLeafQuantitiesOfExpressions(std::vector<AString>& leaves, const std::vector<AString>& quantities,
                                    ISimValueInfoCache& cache, const DesignSolutionDefinition& dsd, long versionID) {
  auto& info = dynamic_cast<SimValueInfoServer&>(cache);
  for (const AString& quantity : quantities) {
    std::unique_ptr<BaseQuantityTypeParam> param = QuantityTypeParamOf(info, quantity, dsd, versionID);
    if (!param) continue;
    size_t before = leaves.size();
    postp::GetLeafConstituentQuantities(*param, leaves);
    size_t numleaves = leaves.size() - before;
    ORVEX_ASSERT(numleaves>0);
  }
}

void MapLeafQuantitiesToSimValueIDs(std::map<AString, long, AString::NoCaseLess>& ids, AbstractQuantityInfo& source,
                                    ISimValueInfoCache* cache, const DesignSolutionDefinition& dsd, long versionID) {
  for (const AString& name : LeafQuantityNames(source, nullptr, cache, dsd, versionID))
    ids[name] = SimValueIDOf(cache, name, dsd, versionID);
}

void CollectLeafQuantitySimValueIDs(std::set<long>& ids, AbstractQuantityInfo& source, ISimValueInfoCache* cache,
                                    const DesignSolutionDefinition& dsd, long versionID) {
  for (const AString& name : LeafQuantityNames(source, nullptr, cache, dsd, versionID))
    ids.insert(SimValueIDOf(cache, name, dsd, versionID));
}

void CollectLeafQuantitySimValueIDsForKey(std::set<long>& ids, const AString& expression, AbstractQuantityInfo& source,
                                          ISimValueInfoCache* cache, const DesignSolutionDefinition& dsd,
                                          long versionID) {
  for (const AString& name : LeafQuantityNames(source, &expression, cache, dsd, versionID))
    ids.insert(SimValueIDOf(cache, name, dsd, versionID));
}

bool GetValueStateOfExpression(ValueState& out, const AString& expression, const DesignSolutionDefinition& dsd,
                               ISolutionManagerForReports* solMgr, IOutputVariableMgr* outputVariables,
                               ISimValueInfoCache* cache) {
  ExpressionParse parse(solMgr, outputVariables, cache, dsd, false);
  if (!parse.parser || !parse.Parse(expression)) return false;
  out = parse.value.GetValueState();
  return true;
}

bool GenerateNewValueText(AString& newText, ValueState& state, const AString& expression,
                          const std::map<AString, AString, AString::NoCaseLess>& renames,
                          ISolutionManagerForReports* solMgr, IOutputVariableMgr* outputVariables,
                          ISimValueInfoCache* cache, const DesignSolutionDefinition& dsd) {
  ExpressionParse parse(solMgr, outputVariables, cache, dsd, true);
  if (!parse.parser) {
    ORVEX_ASSERT(0);
    return false;
  }
  if (!parse.Parse(expression)) return false;
  const Value& value = parse.value;
  state = value.GetValueState();
  std::vector<SimValue2*> simValues;
  parse.parser->GetSimValues(simValues);
  bool changed = false;
  for (SimValue2* sv : simValues) {
    auto it = renames.find(sv->GetValueText());
    if (it == renames.end()) continue;
    sv->SetQuantityText(it->second);
    changed = true;
  }
  if (changed) {
    DefaultValueTextGeneratorStrategy strategy;
    newText = ValueTextGenerator(value, strategy).GetNewValueText();
  }
  return true;
}

bool GenerateNewValueTextOfExpression(AString& newText, const AString& expression,
                                      const std::map<AString, AString, AString::NoCaseLess>& renames,
                                      ISolutionManagerForReports* solMgr, IOutputVariableMgr* outputVariables,
                                      ISimValueInfoCache* cache, const DesignSolutionDefinition& dsd) {
  ValueState discarded;
  return GenerateNewValueText(newText, discarded, expression, renames, solMgr, outputVariables, cache, dsd);
}

CompositeReferencedPostprocessingQuantityMsg* BuildReferencedQuantityMsg(std::vector<bool>& valid,
                                                                         VersionedQuantityParser& parser,
                                                                         const std::vector<AString>& expressions) {
  MessageQueueRestorer held(GetGlobalIMessageManager()->GetMessageHandler(), false);
  valid.assign(expressions.size(), false);

  VariableNameSpace names(1, 1, 0);
  IVariableNameSpaceSetupper* setupper = parser.GetVariableNameSpaceSetupper();
  if (setupper) setupper->Setup(names);
  auto* msg = new CompositeReferencedPostprocessingQuantityMsg(&parser, setupper, false);
  InstalledParserScope installed(&parser);
  auto* info = dynamic_cast<SimValueInfoServer*>(parser.GetSimValueInfoCache());

  std::vector<Value> values(expressions.size(), Value(Units::kNoUnit));
  for (size_t i = 0; i < expressions.size(); ++i) {
    if (SetValueTextIfNotEmpty(values[i], expressions[i], Units::kNoUnit)) {
      valid[i] = true;
      values[i].ReceiveMsg(msg->GetMsgForExprForEdit(values[i].GetValueText()));
      continue;
    }
    std::unique_ptr<BaseQuantityTypeParam> param;
    if (info) param = QuantityTypeParamOf(*info, expressions[i], parser.GetDesignSolutionDefinition(),
                                          parser.GetVersionID());
    if (postp::IsCompositeQuantityType(param.get())) {
      valid[i] = true;
      msg->GetMsgForExprForEdit(expressions[i]).AddCompositeQuantity(expressions[i]);
    }
  }

  std::vector<long> datasetIDs;
  msg->GetAllSimDatasetValues(datasetIDs);
  for (auto it = datasetIDs.rbegin(); it != datasetIDs.rend(); ++it) {
    AbstractDynamicDatasetValue* idv = parser.FindDatasetByID(*it);
    ORVEX_ASSERT(idv);
    if (!idv) continue;
    AbstractDynamicDatasetValue* dataset = idv;
    std::vector<long> dependsOn;
    for (const ValueBase* expression : {dataset->GetXExpression(), dataset->GetYExpression()}) {
      if (!expression) continue;
      ReferencedPostprocessingQuantityMsg& part = msg->GetMsgForExprForEdit(expression->GetValueText());
      const_cast<ValueBase*>(expression)->ReceiveMsg(part);
      part.GetSimDatasetValues(dependsOn);
    }
    if (!dependsOn.empty()) msg->SetSimDatasetDependencyInfo(*it, dependsOn);
  }
  return msg;
}

CompositeReferencedPostprocessingQuantityMsg* ValidateExpressions(VersionedQuantityParser& parser,
                                                                  const std::vector<AString>& exprs) {
  std::vector<bool> exprsValid;
  std::unique_ptr<CompositeReferencedPostprocessingQuantityMsg> msg(
      BuildReferencedQuantityMsg(exprsValid, parser, exprs));
  ORVEX_ASSERT(exprsValid.size()==exprs.size());
  for (bool v : exprsValid)
    if (!v) return nullptr;
  return msg.release();
}

AbstractQuantityInfo* AddSimValueQuantitiesOfExpression(VersionedQuantityParser& parser, TraceDefinition* trace,
                                                       bool alsoPlainVariables) {
  if (!trace) return nullptr;
  std::vector<AString> expressions;
  const IBaseTraceDefinition& base = *trace;
  for (unsigned i = 0; i < base.GetNumComponents(); ++i)
    if (const ITraceComponentDefinition* component = base.GetComponent(i))
      expressions.push_back(component->GetExpression());
  CompositeReferencedPostprocessingQuantityMsg* msg = ValidateExpressions(parser, expressions);
  if (!msg || !alsoPlainVariables) return msg;

  VariableNameSpace names(1, 1, 0);
  if (parser.GetVariableNameSpaceSetupper()) parser.GetVariableNameSpaceSetupper()->Setup(names);
  ISolutionForReports* solution = parser.GetSolutionObject();
  for (const AString& expression : expressions) {
    if (!solution || !names.ResolveVariable(expression)) continue;
    AString quantity;
    if (solution->IsSimValueQuantity(quantity, expression,
                                     parser.GetDesignSolutionDefinition().GetReportTypeSolutionDefinitionRef()))
      msg->GetMsgForExprForEdit(expression).AddSimValueQuantity(quantity);
  }
  return msg;
}

}  // namespace rep
