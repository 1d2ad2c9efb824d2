#include "reports/GravikUtils.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "Gravik/IPointsetDefinition.h"
#include "Gravik/IReportDefinition.h"
#include "Gravik/TraceExtractionRequest.h"
#include "tracedata/ReportDataManager.h"
#include "reports/ReportDefinitionCmdInfo.h"
#include "reports/ReportManager.h"
#include "quantities/SimValue2.h"
#include "quantities/SimValueInfoServer.h"
#include "reports/TraceDefinition.h"
#include "quantities/VersionedQuantityParser.h"
#include "orvex/core/MessageQueueRestorer.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/IVariableNameSpaceSetupper.h"
#include "orvex/values/ReferencedMessages.h"
#include "orvex/values/ValueBase.h"
#include "orvex/values/ValueTextGenerator.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"
#include "postorvex/quantities/BaseQuantityTypeParam.h"
#include "postorvex/quantities/CompositeReferencedPostprocessingQuantityMsg.h"
#include "postorvex/quantities/SimValueParams.h"
#include "postorvex/quantities/PostpQuantityUtils.h"
#include "hostapi/IReportManagerOwner.h"
#include "hostapi/ISolutionContextObject.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "orvex/centupd/CentralizedUpdateUtility.h"
#include "orvex/centupd/IDerivedDataDefinition.h"
#include "orvex/values/Interpolation.h"
#include "orvex/core/Assert.h"
#include "orvex/core/IMessageManager.h"
#include "orvex/core/IVelmorCommand.h"
#include "orvex/core/LocalNameServer.h"
#include "orvex/core/Ids.h"
#include "orvex/core/RenameQuantitiesCmdInfo.h"
#include "orvex/core/VelmorMessage.h"
#include "orvex/io/Block.h"
#include "postorvex/columns/CharColumn.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/DoubleColumn.h"
#include "postorvex/connectivity/PostpPopulationUtils.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/PostprocessSweep.h"
#include "postorvex/sweeps/SelectableSubsweepDefParams.h"
#include "postorvex/sweeps/SpecifiableSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SweepBase.h"
#include "postorvex/sweeps/SubsweepDefParamsFactory.h"
#include "postorvex/traceinfo/ExtTraceInfo.h"
#include "postorvex/traceinfo/ReportExtractionUtil.h"
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
                                                                         const std::vector<AString>& expressions,
                                                                         std::vector<Value>* parsed) {
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
  if (parsed) parsed->swap(values);
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


// ---- trace data of temporary reports ----

namespace {

IReportManager* CreateTemporaryReportManager(IReportManagerOwner* owner) { return new ReportManager(owner, true); }

// This copy of the engine makes the temporary managers of one call: a process holding two
// copies never has one make the other's managers.
class TemporaryManagerCreatorScope : public ReportExtractionUtil::InstalledCreator {
public:
  TemporaryManagerCreatorScope() : InstalledCreator(&CreateTemporaryReportManager) {}
};

// The name of a solution the manager no longer holds is empty.
AString SolutionNameOf(ISolutionManagerForReports* solMgr, long solutionID) {
  ISolutionForReports* solution = solMgr ? solMgr->GetSolution(solutionID) : nullptr;
  return solution ? solution->GetName() : AString();
}

void PostNumberedMessage(int severity, int first, int messageID, const std::vector<AString>& arguments) {
  VelmorMessage msg(severity, first, messageID, 0, 6, MessageManagerStrings::kNullStr,
                    MessageManagerStrings::kNullStr, false);
  for (size_t i = 0; i < arguments.size(); ++i) msg.AddArg(arguments[i], static_cast<int>(i));
  GetGlobalIMessageManager()->PostMessage(msg);
}

void PostNoDataMessage(ISolutionManagerForReports* solMgr, long solutionID) {
  PostNumberedMessage(1, 0, 24729, {SolutionNameOf(solMgr, solutionID)});
}

// The pieces of a one-trace report before the temporary manager takes its copies.
struct TemporaryTrace {
  std::unique_ptr<IPointsetDefinition> pointset;
  std::unique_ptr<IBaseTraceDefinition> trace;
};

TemporaryTrace MakeTemporaryTrace(IReportManager& mgr, const std::vector<AString>& expressions,
                                  const DesignSolutionDefinition& dsd, const SubsweepDefParamsContainer& subsweeps) {
  TemporaryTrace made;
  made.pointset = mgr.CreatePointsetDefinitionFromVariableValues(subsweeps, nullptr, nullptr);
  if (made.pointset) made.trace = mgr.CreateTraceDefinition(expressions, dsd, *made.pointset, ExtTraceInfo(), nullptr);
  return made;
}

// Adds a report of that name holding a copy of the trace, without a command; answers the ID of
// the trace the manager holds, id::invalidID when it gave none back.
long AddOneTraceReport(IReportManager& mgr, IBaseTraceDefinition& trace, const AString& name) {
  std::unique_ptr<IReportDefinition> report =
      mgr.CreateReportDefinition(std::vector<IBaseTraceDefinition*>{&trace}, name);
  if (!report) return id::invalidID;
  IReportDefinition* added = mgr.GetReportDefinition(mgr.AddReportDefinition(*report, nullptr));
  std::vector<long> tracdefids;
  if (added) added->GetTraceIDs(tracdefids);
  ORVEX_ASSERT(tracdefids.size() == 1);
  return tracdefids.empty() ? id::invalidID : tracdefids[0];
}

// Where the data of one request is to be found after the update.
struct ExtractionRecord {
  long traceID = id::invalidID;
  IReportDataManager* dataMgr = nullptr;  // of a temporary manager
};

// The temporary owner of one design instance. Its manager holds only the reports named here and
// loses none, so the names it would make unique are made here, without gathering its names anew
// for every request.
struct TemporaryOwner {
  std::unique_ptr<ReportExtractionUtil> util;
  LocalNameServer reportNames;
};
using ExtractionUtils = std::map<long, TemporaryOwner>;

// Builds the request's temporary trace and collects its update objects; false when the request
// failed (its message is posted).
bool PrepareExtractionRequest(ExtractionRecord& record, std::vector<ICentralizedUpdateObject*>& updateObjects,
                              ExtractionUtils& utils, const TraceExtractionRequest& request,
                              ISolutionManagerForReports* solMgr, IOutputVariableMgr* outputVariables,
                              ISimValueCache* cache) {
  if (request.m_expressions.empty() || request.m_pointsetDefParams.SubsweepsSize() == 0) {
    PostNumberedMessage(1, 14, 17018, {});
    return false;
  }
  TemporaryOwner& owner = utils[request.m_designInstanceID];
  std::unique_ptr<ReportExtractionUtil>& extrUtil = owner.util;
  if (!extrUtil)
    extrUtil = std::make_unique<ReportExtractionUtil>(solMgr, outputVariables, cache, request.m_designInstanceID);
  ORVEX_ASSERT(extrUtil);
  IReportManager* mgr = extrUtil ? extrUtil->GetIReportManagerForEdit() : nullptr;
  if (!mgr) return false;
  const long designID = solMgr ? solMgr->GetDesignID(request.m_designInstanceID) : id::invalidID;
  const DesignSolutionDefinition dsd(designID, request.m_solutionID, request.m_reportTypeSolutionDefinition);
  TemporaryTrace made = MakeTemporaryTrace(*mgr, request.m_expressions, dsd,
                                           request.m_pointsetDefParams.GetSubsweepDefParamsContainer());
  auto* trace = dynamic_cast<TraceDefinition*>(made.trace.get());
  if (!trace || !trace->ValidateDefinition(true)) {
    PostNumberedMessage(1, 14, 17017, {request.m_expressions[0]});
    return false;
  }
  const AString name = owner.reportNames.GetUniqueName(L"TempRepName", 1);
  owner.reportNames.AddName(name);
  const long traceID = AddOneTraceReport(*mgr, *trace, name);
  IReportDataManager* dataMgr = mgr->GetReportDataManagerForEdit();
  if (traceID == id::invalidID || !dataMgr) return false;
  record.traceID = traceID;
  record.dataMgr = dataMgr;
  std::vector<ICentralizedUpdateObject*> objects;
  dataMgr->GetCentralizedUpdateObjectsForGivenTraces(objects, {traceID}, false);
  updateObjects.insert(updateObjects.end(), objects.begin(), objects.end());
  return true;
}

// The finished data of one request, detached from its temporary manager; null when it has none.
ITraceDataForProduct* TakeExtractedTraceData(const ExtractionRecord& record, const TraceExtractionRequest& request,
                                            ISolutionManagerForReports* solMgr) {
  ITraceData* data = record.dataMgr->GetITraceData(record.traceID);
  if (!data || !data->HasData()) {
    PostNoDataMessage(solMgr, request.m_solutionID);
    return nullptr;
  }
  auto* rdatamgr = dynamic_cast<ReportDataManager*>(record.dataMgr);
  ORVEX_ASSERT(rdatamgr);
  ITraceData* detached = rdatamgr ? rdatamgr->FindTraceDataByInterface(data) : nullptr;
  if (rdatamgr && !detached) ORVEX_ASSERT(!"not able to find trace-data?");
  return detached ? detached->GetTraceDataForProduct() : nullptr;
}

}  // namespace

bool ExtractTraceDataIntoTemporaryReport(std::vector<ITraceDataForProduct*>& results,
                                         const std::vector<TraceExtractionRequest>& requests,
                                         ISolutionManagerForReports* solMgr, IOutputVariableMgr* outputVariables,
                                         ISimValueCache* cache, IDerivedDataManager* derivedData,
                                         IProgressMonitor* monitor) {
  results.assign(requests.size(), nullptr);
  bool success = true;
  TemporaryManagerCreatorScope creator;
  ExtractionUtils utils;
  std::vector<ICentralizedUpdateObject*> updateObjects;
  std::vector<ExtractionRecord> records(requests.size());
  for (size_t i = 0; i < requests.size(); ++i) {
    try {
      if (!PrepareExtractionRequest(records[i], updateObjects, utils, requests[i], solMgr, outputVariables, cache))
        success = false;
    } catch (...) {
      PostNumberedMessage(1, 14, 17016, {});
      success = false;
    }
  }
  try {
    CentralizedUpdateUtility::UpdateObjects(derivedData, updateObjects, monitor);
  } catch (...) {
    PostNumberedMessage(1, 14, 17016, {});
    success = false;
  }
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i].traceID == id::invalidID || !records[i].dataMgr) continue;
    results[i] = TakeExtractedTraceData(records[i], requests[i], solMgr);
    if (!results[i]) success = false;
  }
  return success;
}

// ---- evaluation of an output variable ----

namespace {

// Selects the one value, by its text, on a definition of a sweep the trace does not run along.
bool SelectOneValue(AbstractSubsweepDefParams* def, const Value& value) {
  auto* selectable = dynamic_cast<SelectableSubsweepDefParams*>(def);
  ORVEX_ASSERT(selectable);
  if (!selectable) return false;
  selectable->SetSubsweepDefChoiceType(kSelectedValuesChoice);
  return selectable->SelectValues({value.GetValueText()});
}

// The definition that selects `value` of the sweep; null when the sweep makes none that can.
AbstractSubsweepDefParams* CreateSubsweepSelecting(SweepBase& sweep, const Value& value) {
  // The one value selected here replaces all the values a plain default would copy first.
  std::unique_ptr<AbstractSubsweepDefParams> def(SubsweepDefParamsFactory::CreateDefaultSelectingNothing(sweep));
  if (sweep.GetPostprocessSweep()) {
    if (!def) {
      ORVEX_ASSERT_TEXT(false, "asd");
      return nullptr;
    }
    if (auto* specifiable = dynamic_cast<SpecifiableSubsweepDefParams*>(def.get())) {
      specifiable->SetSubsweepDefChoiceType(kSelectedValuesChoice);
      DoubleColumn one(value.GetUnits());
      one.AddValue(value.GetValue(), false);
      specifiable->SetOverridingColumnData(&one);
      specifiable->SetSelectedValues(&one);
      return def.release();
    }
    if (!dynamic_cast<SelectableSubsweepDefParams*>(def.get())) {
      ORVEX_ASSERT(!"if postprocessing sweep, has to be selectable or specifiable!");
      return nullptr;
    }
    return SelectOneValue(def.get(), value) ? def.release() : nullptr;
  }
  // A special sweep stays whole: the result is read along it.
  if (sweep.IsSpecialSweep()) return def.release();
  return SelectOneValue(def.get(), value) ? def.release() : nullptr;
}

}  // namespace

bool GetPostprocessingSweepVariableValues(SubsweepDefParamsContainer& out, const VariableValues& variation,
                                          const DesignSolutionDefinition& dsd, long designInstanceID,
                                          ISolutionManagerForReports* solMgr) {
  VariableValues remaining(variation);
  if (remaining.empty()) return false;
  ISolutionForReports* solution = solMgr ? solMgr->GetSolution(dsd.GetSolutionID()) : nullptr;
  if (!solution) return false;
  const ReportTypeSolutionDefinition& def = dsd.GetReportTypeSolutionDefinitionRef();
  VariableValues design;
  solMgr->GetSolutionVariation(design, dsd.GetSolutionID(), designInstanceID, def);
  const VariableValues dependents = postp::GetDependentVariableValues(design);
  if (!dependents.empty()) {
    if (!postp::DoesConstantVVHaveComputedDependentVV(remaining, dependents, nullptr)) return false;
    for (const auto& entry : dependents.GetVariableValueMap()) remaining.RemoveVariableValue(entry.first);
  }
  for (const auto& entry : remaining.GetVariableValueMap()) {
    SweepBase* sweep = solution->GetSweepOfVariable(entry.first->GetName(), def.GetSimValueContext(),
                                                    def.GetReportType());
    if (!sweep) continue;
    AbstractSubsweepDefParams* subsweep = CreateSubsweepSelecting(*sweep, entry.second);
    if (!subsweep) return false;
    out.PushBackAndOwn(subsweep);
  }
  return true;
}

ITraceData* UpdateTraceDataOfTemporaryReport(ReportExtractionUtil& owner, const AString& expression,
                                             const SubsweepDefParamsContainer& subsweeps,
                                             ISolutionManagerForReports* solMgr, const DesignSolutionDefinition& dsd,
                                             IDerivedDataManager* derivedData) {
  IReportManager* mgr = owner.GetIReportManagerForEdit();
  TemporaryTrace made = mgr ? MakeTemporaryTrace(*mgr, {expression}, dsd, subsweeps) : TemporaryTrace();
  const long traceID =
      made.trace ? AddOneTraceReport(*mgr, *made.trace, mgr->GetUniqueReportName(L"OutputVariableValue"))
                 : id::invalidID;
  IReportDataManager* dataMgr = mgr ? mgr->GetReportDataManagerForEdit() : nullptr;
  if (traceID == id::invalidID || !dataMgr) {
    PostNoDataMessage(solMgr, dsd.GetSolutionID());
    return nullptr;
  }
  std::vector<ICentralizedUpdateObject*> objects;
  dataMgr->GetCentralizedUpdateObjectsForGivenTraces(objects, {traceID}, false);
  CentralizedUpdateUtility::UpdateObjects(derivedData, objects, nullptr);
  ITraceData* data = dataMgr->GetITraceData(traceID);
  if (data && data->HasData()) return data;
  PostNoDataMessage(solMgr, dsd.GetSolutionID());
  return nullptr;
}

bool ReadPrimaryVariableValues(Value& result, const Value& priVarVal, ITraceData& td) {
  ORVEX_ASSERT(td.HasData());
  ORVEX_ASSERT(td.GetNumCurves()>0);
  ORVEX_ASSERT(td.GetNumPointsInCurve(0)>0);
  ORVEX_ASSERT(priVarVal.GetParameterType()==val::kDoubleParam);
  Column* quantity = td.GetDataColumn(0);
  const DoubleColumn* qCol = quantity ? quantity->GetDoubleColumn() : nullptr;
  ITraceDataSweepInfo* sweepInfo = td.GetTraceDataSweepInfo();
  Column* primary = sweepInfo ? sweepInfo->GetPrimarySweepColumn() : nullptr;
  const DoubleColumn* pCol = primary ? primary->GetDoubleColumn() : nullptr;
  ORVEX_ASSERT(qCol&&pCol);
  // A complex or digital result, or a primary sweep without values, has nothing to interpolate.
  if (!qCol || !pCol || pCol->GetCount() == 0 || qCol->GetCount() == 0) return false;
  const std::vector<double>& p = pCol->GetValues();
  const double t = Units::ConvertFromSI(priVarVal.GetSIValue(), pCol->GetUnits());
  if (t < p.front() || t > p.back()) {
    PostNumberedMessage(1, 14, 17030,
                        {priVarVal.GetValueText(), Value(p.front(), pCol->GetUnits()).GetValueText(),
                         Value(p.back(), pCol->GetUnits()).GetValueText()});
    result = Value(std::numeric_limits<double>::quiet_NaN(), qCol->GetUnits());
    return true;
  }
  const size_t n = std::min<size_t>({td.GetNumPointsInCurve(0), p.size(), qCol->GetCount()});
  std::vector<long> orders(n, 1);
  const Column* interp = td.GetInterpColumn(0);
  if (const CharColumn* interpCol = interp ? interp->GetCharColumn() : nullptr)
    for (size_t k = 0; k < n && k < interpCol->GetCount(); ++k) orders[k] = interpCol->GetValues()[k];
  if (td.GetNumCurves() != 1) ORVEX_ASSERT(td.GetNumCurves()>1);
  // Only the first curve is read.
  const std::vector<double> x(p.begin(), p.begin() + n);
  const std::vector<double> y(qCol->GetValues().begin(), qCol->GetValues().begin() + n);
  std::vector<double> out;
  core::interp_specified_time(x, y, orders, {t}, out, false);
  if (out.empty()) return false;
  result = Value(out[0], qCol->GetUnits());
  return true;
}

bool EvaluateOutputVariable(Value& result, const AString& expression, const VariableValues& variation,
                            long designInstanceID, ISolutionManagerForReports* solMgr,
                            IOutputVariableMgr* outputVariables, const DesignSolutionDefinition& dsd,
                            ISimValueCache* cache, IDerivedDataManager* derivedData) {
  SubsweepDefParamsContainer subsweepDef;
  if (!GetPostprocessingSweepVariableValues(subsweepDef, variation, dsd, designInstanceID, solMgr)) {
    PostNoDataMessage(solMgr, dsd.GetSolutionID());
    return false;
  }
  if (subsweepDef.Size() == 0) {
    ORVEX_ASSERT(subsweepDef.Size()>0);
    return false;
  }
  TemporaryManagerCreatorScope creator;
  ReportExtractionUtil owner(solMgr, outputVariables, cache, designInstanceID);
  ITraceData* td = UpdateTraceDataOfTemporaryReport(owner, expression, subsweepDef, solMgr, dsd, derivedData);
  if (!td) return false;
  const Column* column = td->GetDataColumn(0);
  if (!column || column->GetCount() == 0) {
    PostNoDataMessage(solMgr, dsd.GetSolutionID());
    return false;
  }
  const AString key = variation.GetVariationKey(true, nullptr, nullptr);
  if (subsweepDef[0]->GetSubsweepDefParamType() != kSpecialSubsweepDefParamType) {
    if (column->GetCount() > 1) PostNumberedMessage(0, 14, 17031, {key});
    // An empty or rejected text is no value: the caller's old one must not pass for it.
    const AString text = column->GetSingleValueText(0);
    return !text.empty() && SetValueTextIfNotEmpty(result, text, Units::kNoUnit);
  }
  ORVEX_ASSERT(subsweepDef[0]->GetSubsweepDefParamType()==rep::kSpecialSubsweepDefParamType);
  if (td->GetNumCurves() == 0 || td->GetNumPointsInCurve(0) == 0) {
    PostNoDataMessage(solMgr, dsd.GetSolutionID());
    return false;
  }
  if (td->GetNumCurves() > 1 && subsweepDef.Size() > 1 &&
      subsweepDef[1]->GetSubsweepDefParamType() == kSpecialSubsweepDefParamType)
    PostNumberedMessage(0, 14, 17031, {key});
  Value primaryValue(Units::kNoUnit);
  if (!variation.GetVariableValue(subsweepDef[0]->GetSweepName(), primaryValue)) return false;
  if (!ReadPrimaryVariableValues(result, primaryValue, *td)) return false;
  if (IsNaN(result)) PostNumberedMessage(0, 14, 17033, {});
  return true;
}

}  // namespace rep
