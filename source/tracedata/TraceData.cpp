#include "tracedata/TraceData.h"

#include <algorithm>

#include "update/CentUpdTraceDefObject.h"
#include "tracedata/ComputedTraceDataSupport.h"
#include "Gravik/IPointsetDefinition.h"
#include "Gravik/ISimValueInfoCache.h"
#include "reports/GravikUtils.h"
#include "quantities/SimValue2.h"
#include "tracedata/PopulateTraceDataVisitor.h"
#include "tracedata/ReportDataManager.h"
#include "reports/ReportManager.h"
#include "quantities/ScopedProfiler.h"
#include "quantities/SimValueDataCache.h"
#include "tracedata/SimDatasetValueEvaluationContextRestorer2.h"
#include "update/SweepsVariableInfoMediator2.h"
#include "tracedata/TraceDataDatasets.h"
#include "tracedata/TraceDataPostprocessor.h"
#include "reports/TraceDefinition.h"
#include "update/VVConnectivityCreator2.h"
#include "quantities/VersionedQuantityParser.h"
#include "hostapi/IReportManagerOwner.h"
#include "hostapi/ISolutionContextObject.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "orvex/centupd/IDerivedDataDefinition.h"
#include "orvex/centupd/IProgressMonitor.h"
#include "orvex/core/Assert.h"
#include "orvex/core/IMessageManager.h"
#include "orvex/core/MessageQueueRestorer.h"
#include "orvex/core/VelDebug.h"
#include "orvex/values/ContextVariable.h"
#include "orvex/values/ExpressionNodes.h"
#include "orvex/values/Function.h"
#include "orvex/values/IVariableNameSpaceSetupper.h"
#include "orvex/values/ReferencedMessages.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/FileColumnManager.h"
#include "postorvex/columns/ManagedFileService.h"
#include "postorvex/connectivity/CompositeVVObject.h"
#include "postorvex/connectivity/ConnectedVVObject.h"
#include "postorvex/outputvars/OutputVariableActivator2.h"
#include "postorvex/quantities/CompositeReferencedPostprocessingQuantityMsg.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SubsweepsAdapter.h"
#include "postorvex/traceinfo/ExtTraceInfo.h"
#include "postorvex/connectivity/PostpPopulationUtils.h"
#include "postorvex/variation/VariableValuesDefParams.h"

namespace rep {

namespace {

// Whether the value uses the variable other than inside a call that reduces a dimension, directly
// or through output variables: max(F) is one number whatever F, F*2 and max(F)+F are not.
bool UsesVariableOutsideReducingCalls(const ValueBase& vb, const Variable* variable) {
  if (auto* node = dynamic_cast<const ExprNode*>(&vb)) {
    auto* call = dynamic_cast<const CallNode*>(node);
    if (call && val::DoesFunctionReduceDimension(call->GetFunction())) return false;
    for (int i = 0; i < node->GetNumChildren(); ++i) {
      const ValueBase* child = node->GetChild(i);
      if (child && UsesVariableOutsideReducingCalls(*child, variable)) return true;
    }
    return false;
  }
  ReferencedVariablesMsg referenced(true);
  const_cast<ValueBase&>(vb).ReceiveMsg(referenced);
  std::vector<Variable*> used;
  referenced.GetVariables(used);
  return std::find(used.begin(), used.end(), variable) != used.end();
}

bool ExpressionUsesVariableOutsideReducingCalls(VersionedQuantityParser& parser, const AString& expression,
                                                const Variable* variable) {
  if (!variable) return false;
  InstalledParserScope installed(&parser);
  Value value(Units::kNoUnit);
  if (!SetValueTextIfNotEmpty(value, expression, Units::kNoUnit) || !value.GetValueBase()) return false;
  return UsesVariableOutsideReducingCalls(*value.GetValueBase(), variable);
}

}  // namespace

TraceData::TraceData(ReportDataManager& mgr, long traceDefID, long traceDefVersionID, long dataVersionID)
    : BaseTraceData(traceDefID), ReportDataManagerLink(mgr), mTraceDefVersionID(traceDefVersionID), m_dataVersionID(dataVersionID) {
  TraceDefinition* td = FindDefinition();
  ORVEX_ASSERT(td);
  if (!td) return;
  ORVEX_ASSERT_TEXT(td->GetVersionID()==traceDefVersionID, "td->GetVersionID()==trVersionID");
  const DesignSolutionDefinition ds = td->GetDesignSolutionDefinition();
  mData.SetDesignSolutionDefinition(ds);
  ORVEX_ASSERT_TEXT(rep::GetVersionIDForPostprocessing(Manager()->GetISolutionManagerForReports(),ds)==dataVersionID,
                    "rep::GetVersionIDForPostprocessing(mgr.GetISolutionManagerForReports(),ds)==ppVersionID");
}

TraceData::~TraceData() {
  ORVEX_ASSERT(mDebugCentUpdObject==0);
  // An update still holding the object must not reach this data any more.
  if (mDebugCentUpdObject) mDebugCentUpdObject->DetachTraceData();
}

TraceDefinition* TraceData::FindDefinition() const {
  ReportManager* manager = Manager();
  return manager ? dynamic_cast<TraceDefinition*>(manager->GetTraceDefinition(GetTraceDefID())) : nullptr;
}

IBaseTraceDefinition* TraceData::GetTraceDefinition() const {
  ReportManager* manager = Manager();
  return manager ? manager->GetTraceDefinition(GetTraceDefID()) : nullptr;
}

bool TraceData::HasData() const { return HasPopulatedCurves(mData); }

long TraceData::GetCurrentSolutionContextVersionID() const {
  ReportManager* manager = Manager();
  return manager ? GetSolutionContextVersionID(manager->GetISolutionManagerForReports(),
                                               mData.GetDesignSolutionDefinition())
                 : id::invalidID;
}

bool TraceData::IsOutOfDate() const {
  if (mHasInvalidDefinition) return true;
  TraceDefinition* tdef = FindDefinition();
  ORVEX_ASSERT(tdef);
  if (!HasData()) return false;
  if (GetCurrentSolutionContextVersionID() != m_dataVersionID) return true;
  return !tdef || tdef->GetVersionID() != mTraceDefVersionID;
}

unsigned TraceData::GetNumCurves() const { return NumCurvesOf(mData); }

unsigned TraceData::GetNumPointsInCurve(unsigned curve) const { return NumPointsInCurveOf(mData, curve); }

unsigned TraceData::GetCurveOffset(unsigned curve) const { return CurveOffsetOf(mData, curve); }

AString TraceData::VariationKey(VariableValues values, bool onlyNonNominal) const {
  return VariationKeyOf(mData, values, onlyNonNominal);
}

AString TraceData::GetCurveVariationKey(unsigned curve, bool onlyNonNominal) const {
  return CurveVariationKeyOf(mData, curve, onlyNonNominal);
}

AString TraceData::GetComponentExpression(unsigned dim) const {
  if (dim >= mComponentExpressions.size()) {
    ORVEX_ASSERT(!"Incorrect dimension-index");
    return AString();
  }
  return mComponentExpressions[dim];
}

AString TraceData::GetPrimarySweepName() const {
  ORVEX_ASSERT(!mPrimarySweepName.empty());
  return mPrimarySweepName;
}

Column* TraceData::GetPrimarySweepColumn() const {
  if (mPrimarySweepColumn) return mPrimarySweepColumn.get();
  for (size_t i = 0; i < mComponentExpressions.size(); ++i)
    if (mComponentExpressions[i].CompareNoCase(mPrimarySweepName) == 0) return GetDataColumn(static_cast<unsigned>(i));
  ORVEX_ASSERT(!"No primary sweep column?");
  return nullptr;
}

void TraceData::EnsureSurfaceInfo() const {
  SPS2Connectivity* c = const_cast<TraceStateData&>(mData).GetConnectivity();
  if (!c || c->IsSurfaceCacheComputed()) return;
  AssertCurveIsNotReducibeToPoint();
  auto* minor = dynamic_cast<MinorPrimarySPS2Connectivity*>(c);
  if (!minor) {
    ORVEX_ASSERT(!ACHAR("Surface Info currently supported only for minor primary"));
    return;
  }
  const ConnectedVVObject* connected = minor->GetConnectedVVObject();
  const std::vector<CompositeVVObject*> curves = connected ? connected->GetCurves() : std::vector<CompositeVVObject*>();
  if (curves.empty()) {
    ORVEX_ASSERT(!ACHAR("Degenerate case not handled yet"));
    return;
  }
  std::vector<const CompositeVVObject*> surfaces;
  std::vector<unsigned> counts;
  for (const CompositeVVObject* curve : curves) {
    unsigned n = 0;
    for (const CompositeVVObject* p : curve->GetObjects(connected->GetPointDepth()))
      if (connected->GetDataForCompVVObject(p)) ++n;
    if (n == 0) continue;
    surfaces.push_back(curve);
    counts.push_back(n);
  }
  c->SetSurfaceInfoCache(surfaces, counts);
}

unsigned TraceData::GetNumSurfaces() const {
  EnsureSurfaceInfo();
  const SPS2Connectivity* c = mData.GetConnectivity();
  return c ? c->GetNumSurfaces() : 0;
}

unsigned TraceData::GetNumCurvesInSurface(unsigned surface) const {
  EnsureSurfaceInfo();
  const SPS2Connectivity* c = mData.GetConnectivity();
  return c ? c->GetNumCurvesInSurface(surface) : 0;
}

AString TraceData::GetSurfaceVariationKey(unsigned surface, bool onlyNonNominal) const {
  EnsureSurfaceInfo();
  const SPS2Connectivity* c = mData.GetConnectivity();
  if (!c || c->GetNumSurfaces() == 0) return AString();
  VariableValues values;
  c->GetVariableValuesForSurface(values, surface);
  return VariationKey(values, onlyNonNominal);
}

void TraceData::ReleaseCentralizedUpdateObject(CentUpdTraceDefObject* obj) {
  ORVEX_ASSERT(mDebugCentUpdObject==obj);
  mDebugCentUpdObject = nullptr;
}

void TraceData::ClearData() {
  BaseTraceData::ClearData();
  mComponentExpressions.clear();
}

void TraceData::ClearPopulatedData() {
  ClearData();
  mPrimarySweepColumn.reset();
  mPrimarySweepName.clear();
  mTraceDataForDisplay.reset();
}

void TraceData::ResetData() {
  ClearPopulatedData();
  mData.Reset();
}

void TraceData::UpdateTraceStateData() {
  TraceDefinition* td = FindDefinition();
  if (!td || !td->GetPointsetDefinition()) {
    ORVEX_ASSERT(0);
    return;
  }
  mData.FindVariablesWithNonNominalValues(*td->GetPointsetDefinition(), Manager()->GetISolutionManagerForReports(),
                                          td->GetDesignInstanceID());
}

CentUpdTraceDefObject* TraceData::GetCentralizedUpdateObject(bool flag) {
  CentUpdTraceDefObject* obj = GetCentralizedUpdateObjectEfficientlyPriv(flag);
  if (!obj && !HasData()) InitializeData();
  return obj;
}

CentUpdTraceDefObject* TraceData::GetCentralizedUpdateObjectEfficientlyPriv(bool flag) {
  ScopedProfiler profile("TraceData::GetCentralizedUpdateObjectEfficientlyPriv");
  if (!mData.GetNeedsUpdate() && !mData.GetUpdateRequested()) {
    ORVEX_ASSERT(mData.GetConnectivity());
    return nullptr;
  }
  TraceDefinition* td = FindDefinition();
  ORVEX_ASSERT(td);
  if (!td || !td->GetPointsetDefinition()) return nullptr;
  ORVEX_ASSERT_TEXT(td->GetVersionID()==mTraceDefVersionID, "tdef->GetVersionID()==mTraceDefVersionID");
  CentralizedUpdatePreparation prepared;
  auto* cache = dynamic_cast<SimValueDataCache*>(GetReportDataManager().GetISimValueDataCacheForEdit());
  if (!prepared.Prepare(*td, mData.GetDesignSolutionDefinition(), m_dataVersionID,
                        Manager()->GetISolutionManagerForReports(), true,
                        cache ? &cache->GetSweepPointsStore() : nullptr))
    return nullptr;
  if (!prepared.connectivity && mData.GetConnectivity()) return nullptr;
  VariableValues& design = prepared.design;
  const bool property = prepared.skipClassification;
  SubsweepsAdapter* subsweeps = prepared.subsweeps.release();
  SweepsVariableInfoMediator2* mediator = prepared.mediator.release();
  SPS2Connectivity* connectivity = prepared.connectivity.release();
  ResetData();
  if (connectivity)
    mData.SetConnectivity(connectivity);
  else
    mData.SetUpdateRequested(true);
  auto* obj = new CentUpdTraceDefObject(this, mediator, subsweeps, prepared.updateVariations, flag);

  VariableValues constants;
  mediator->GetConstantVariableValues(constants);
  if (property && obj->GetQuantityParser()) {
    ParserScope scope(*obj->GetQuantityParser(), obj->GetQuantityInfo());
    ReferencedVariablesMsg referenced(true);
    std::vector<AString> texts = ComponentExpressionsOf(*td);
    if (subsweeps->size() > 0 && subsweeps->operator[](0).GetVariable(0))
      texts.push_back(subsweeps->operator[](0).GetVariable(0)->GetName());
    std::vector<Value> values(texts.size(), Value(Units::kNoUnit));
    for (size_t i = 0; i < texts.size(); ++i) {
      bool ret_val = SetValueTextIfNotEmpty(values[i], texts[i], Units::kNoUnit);
      ORVEX_ASSERT(ret_val);
      values[i].ReceiveMsg(referenced);
    }
    std::vector<Variable*> variables;
    referenced.GetVariables(variables);
    for (Variable* v : variables)
      if (const Value* value = design.GetVariableValue(v)) constants.SetVariableValue(v, *value);
  }
  mData.SetVariableValues(constants);
  ORVEX_ASSERT(mDebugCentUpdObject==0);
  mDebugCentUpdObject = obj;
  return obj;
}

bool TraceData::DoesReportKeepDigitalColumns() const {
  ReportManager* manager = IsAttachedToReportDataManager() ? Manager() : nullptr;
  IReportManagerOwner* owner = manager ? manager->GetOwnerForEdit() : nullptr;
  return owner && owner->DoesReportKeepDigitalColumns(manager->GetReportIDOfTrace(GetTraceDefID()));
}

AString TraceData::PrimarySweepNameFor(const TraceDefinition& td, bool onePointPerCurve) const {
  const IPointsetDefinition* pointset = td.GetPointsetDefinition();
  if (!pointset) return AString();
  const SubsweepDefParamsContainer& defs = pointset->GetSubsweepDefParamsContainer();
  if (defs.Size() == 0) return AString();
  const size_t index = onePointPerCurve && defs.Size() >= 2 ? 1 : 0;
  return defs[index] ? defs[index]->GetSweepName() : AString();
}

bool TraceData::PopulateData(CentUpdTraceDefObject& obj, IProgressMonitor* progress) {
  ScopedProfiler profile("TraceData::PopulateData");
  ORVEX_ASSERT(&obj == mDebugCentUpdObject);
  VersionedQuantityParser* parser = obj.GetQuantityParser();
  AbstractQuantityInfo* quantityInfo = obj.GetQuantityInfo();
  SweepsVariableInfoMediator2* mediator = obj.GetSweepsMediator();
  SPS2Connectivity* connectivity = mData.GetConnectivity();
  TraceDefinition* td = FindDefinition();
  ORVEX_ASSERT(td);
  // Without these nothing can be evaluated: placeholder data, as for a requested update.
  if (mData.GetUpdateRequested() || (progress && progress->IsAbandoned()) || !parser || !quantityInfo || !mediator ||
      !connectivity || !td) {
    InitializeData();
    mDebugCentUpdObject = nullptr;
    return false;
  }
  if (progress) progress->SetMessage(L"Populating trace data");
  ClearPopulatedData();
  ParserScope scope(*parser, quantityInfo);
  if (progress) progress->IsAbandoned();

  auto* datasets = new TraceDataDatasets(*mediator, *connectivity, *quantityInfo, *parser, Manager());
  mData.SetDatasets(datasets);
  datasets->ExtractDatasets(progress);
  SimDatasetValueEvaluationContextRestorer2 contexts(*quantityInfo, *parser, datasets);

  const bool keepDigital = DoesReportKeepDigitalColumns();
  ORVEX_ASSERT(GetTraceComponentData().size()==0);
  std::vector<Value> values;
  std::set<Column*> columns;
  std::vector<Column*> colsToBeLoaded;
  std::vector<size_t> interpComponent;  // component index per column, or npos for none
  bool convert = false;
  const std::vector<AString> expressions = ComponentExpressionsOf(*td);
  const ReportTypeSolutionDefinition def = parser->GetDesignSolutionDefinition().GetReportTypeSolutionDefinition();
  for (size_t i = 0; i < expressions.size(); ++i) {
    if (progress) progress->IsAbandoned();
    Value value(Units::kNoUnit);
    bool retval = value.SetValueText(expressions[i], Units::kNoUnit);
    ORVEX_ASSERT(retval);
    const val::ParameterType type = postp::GetParameterTypeFromValueAccountForMatrixType(value);
    if (IsDigitalParameterType(type) && !keepDigital) convert = true;
    Column* data = NewManagedColumn(type, value.GetUnits());
    if (!data) data = NewManagedColumn(val::kDoubleParam, Units::kNoUnit);
    columns.insert(data);
    colsToBeLoaded.push_back(data);
    values.push_back(value);
    interpComponent.push_back(i);
    Column* text = nullptr;
    AString textQuantity;
    if (scope.names.ResolveVariable(expressions[i]) && parser->GetSolutionObject() &&
        parser->GetSolutionObject()->GetTextQuantityName(textQuantity, expressions[i], def)) {
      Value textValue(Units::kNoUnit);
      bool txtValValid = textValue.SetValueText(textQuantity, Units::kNoUnit);
      ORVEX_ASSERT(txtValValid);
      if (txtValValid) {
        text = NewManagedColumn(val::kTextParam, Units::kNoUnit);
        Column* txtcol = text && text->GetTextColumn() ? text : nullptr;
        ORVEX_ASSERT(txtcol);
        if (txtcol) {
          values.push_back(Value(textQuantity, Units::kNoUnit));
          columns.insert(text);
          colsToBeLoaded.push_back(text);
          interpComponent.push_back(static_cast<size_t>(-1));
        } else {
          delete text;
          text = nullptr;
        }
      }
    }
    GetTraceComponentData().push_back(std::make_unique<TraceComponentData>(data, text, nullptr));
    mComponentExpressions.push_back(expressions[i]);
    if (type == val::kEnumParam) {
      if (auto* sv = dynamic_cast<const SimValue2*>(value.GetValueBase())) {
        // A quantity value carries no enumeration name; the information cache has it under the same ID.
        SimValueParams params = sv->GetSimValueParams();
        if (ISimValueInfoCache* info = parser->GetSimValueInfoCache())
          info->GetSimValueID(params, params.GetQuantityText(), parser->GetDesignSolutionDefinition(),
                              parser->GetVersionID());
        ORVEX_ASSERT_TEXT(params.GetValueStateRef().GetParameterType()==val::kEnumParam,
                          "params.GetValueState().GetParameterType()==val::kEnumParam");
        InitializeEnumName(params.GetEnumTypeName(), static_cast<unsigned>(i));
      }
    }
  }

  const bool onePointPerCurve = IsCurveReducibleToPoint(*parser, quantityInfo);
  mPrimarySweepName = PrimarySweepNameFor(*td, onePointPerCurve);
  Value primary(Units::kNoUnit);
  if (CreatePrimarySweepColumnIfNotAComponent(primary)) {
    values.push_back(primary);
    columns.insert(mPrimarySweepColumn.get());
    colsToBeLoaded.push_back(mPrimarySweepColumn.get());
    interpComponent.push_back(static_cast<size_t>(-1));
  }

  std::unique_ptr<FamilyValueTargets> familyTargets;
  const unsigned reportType = def.GetReportType();
  if (reportType == 0x70000001u || reportType == 0x70000002u) {
    const ExtTraceInfo info = td->GetExtendedTraceInfo();
    const Value& sweepValue = info.GetSweepValue();
    const Value& offsetTime = info.GetOffsetTime();
    Column* sweepColumn = Column::CreateColumn(sweepValue.GetParameterType(), sweepValue.GetUnits());
    Column* offsetColumn = Column::CreateColumn(offsetTime.GetParameterType(), offsetTime.GetUnits());
    SetPrimarySweepData(new PrimarySweepData(sweepValue.GetValueText(), offsetTime.GetValueText(), sweepColumn, offsetColumn));
    if (sweepColumn && offsetColumn)
      familyTargets = std::make_unique<FamilyValueTargets>(sweepValue, sweepColumn, offsetTime, offsetColumn);
  }

  // The interpolation orders go into the components once the walk has created them; those never
  // handed over (a monitor threw during the walk) go with the scope.
  struct OrdersOfTheWalk {
    std::vector<CharColumn*> slots;
    ~OrdersOfTheWalk() {
      for (CharColumn* column : slots) delete column;
    }
  } orders{std::vector<CharColumn*>(colsToBeLoaded.size(), nullptr)};
  std::vector<CharColumn*>& interpSlots = orders.slots;
  std::vector<CharColumn**> interpColsToBeLoaded;
  for (size_t k = 0; k < colsToBeLoaded.size(); ++k)
    interpColsToBeLoaded.push_back(interpComponent[k] != static_cast<size_t>(-1) ? &interpSlots[k] : nullptr);
  ORVEX_ASSERT(colsToBeLoaded.size()==interpColsToBeLoaded.size());
  bool complete = true;
  {
    FileColumnManager::LoadAndOptionallyUnloadCtxt loaded(columns, progress);
    PopulateTraceDataVisitor visitor(values, colsToBeLoaded, interpColsToBeLoaded, parser, datasets, progress,
                                     onePointPerCurve, familyTargets.get());
    connectivity->Accept(visitor);
    complete = visitor.IsComplete();
  }
  for (size_t k = 0; k < colsToBeLoaded.size(); ++k) {
    if (!interpSlots[k] || interpComponent[k] >= GetTraceComponentData().size()) continue;
    GetTraceComponentData()[interpComponent[k]]->SetInterpColumn(interpSlots[k]);
    interpSlots[k] = nullptr;
  }
  // A curve left out: placeholder data, as for a run that could not evaluate.
  if (!complete) {
    InitializeData();
    mDebugCentUpdObject = nullptr;
    return false;
  }
  if (connectivity->GetNumPoints() == 0) InitializeData();
  if (convert) ConvertDigitalColumnsToDouble();
  CreateTraceDataForDisplay(progress);
  // Polled while the object is still held: a monitor that throws here leaves the release to the
  // update object's own way out.
  if (progress) progress->IsAbandoned();
  mDebugCentUpdObject = nullptr;
  return true;
}

void TraceData::InitializeData() {
  MessageQueueRestorer held(GetGlobalIMessageManager()->GetMessageHandler(), false);
  TraceDefinition* td = FindDefinition();
  ORVEX_ASSERT(td);
  if (!td) return;
  ReportManager* manager = Manager();
  OwnedQuantityParser parser = MakeQuantityParserForTrace(*manager, *td);
  if (!parser) return;
  std::unique_ptr<AbstractQuantityInfo> info(AddSimValueQuantitiesOfExpression(*parser, td, false));
  // An invalid expression gives no record: nothing is activated and the definition is invalid.
  if (!info) mHasInvalidDefinition = true;
  ParserScope scope(*parser, info.get());
  ORVEX_ASSERT(td->GetNumComponents()>=1);
  ClearData();
  const bool keepDigital = DoesReportKeepDigitalColumns();
  bool convert = false;
  const ReportTypeSolutionDefinition def = td->GetDesignSolutionDefinition().GetReportTypeSolutionDefinition();
  for (const AString& expression : ComponentExpressionsOf(*td)) {
    Value value(Units::kNoUnit);
    val::ParameterType type = val::kDoubleParam;
    Units::FullUnitType units = Units::kNoUnit;
    if (value.SetValueText(expression, Units::kNoUnit) && !value.IsEmpty()) {
      type = postp::GetParameterTypeFromValueAccountForMatrixType(value);
      units = value.GetUnits();
    } else {
      mHasInvalidDefinition = true;
    }
    if (IsDigitalParameterType(type) && !keepDigital) convert = true;
    Column* data = NewManagedColumn(type, units);
    if (!data) data = NewManagedColumn(val::kDoubleParam, Units::kNoUnit);
    EnsureOneDummyPoint(data);
    Column* text = nullptr;
    AString textQuantity;
    if (scope.names.ResolveVariable(expression) && parser->GetSolutionObject() &&
        parser->GetSolutionObject()->GetTextQuantityName(textQuantity, expression, def)) {
      text = NewManagedColumn(val::kTextParam, Units::kNoUnit);
      EnsureOneDummyPoint(text);
    }
    GetTraceComponentData().push_back(std::make_unique<TraceComponentData>(data, text, nullptr));
    mComponentExpressions.push_back(expression);
  }
  // The primary that population will name, so that the placeholder has the same columns.
  mPrimarySweepName = PrimarySweepNameFor(*td, IsCurveReducibleToPoint(*parser, info.get()));
  mPrimarySweepColumn.reset();
  mTraceDataForDisplay.reset();
  Value primary(Units::kNoUnit);
  if (CreatePrimarySweepColumnIfNotAComponent(primary)) EnsureOneDummyPoint(mPrimarySweepColumn.get());
  if (convert) ConvertDigitalColumnsToDouble();
  if (!mHasInvalidDefinition && !td->ValidateDefinition(true)) mHasInvalidDefinition = true;
}

bool TraceData::CreatePrimarySweepColumnIfNotAComponent(Value& primary) {
  ORVEX_ASSERT(mPrimarySweepColumn==0);
  if (mPrimarySweepName.empty()) return false;
  for (const AString& e : mComponentExpressions)
    if (e.CompareNoCase(mPrimarySweepName) == 0) return false;
  bool pretVal = primary.SetValueText(mPrimarySweepName, Units::kNoUnit);
  ORVEX_ASSERT(pretVal);
  mPrimarySweepColumn.reset(NewManagedColumn(pretVal ? primary.GetParameterType() : val::kDoubleParam,
                                             primary.GetUnits()));
  return mPrimarySweepColumn != nullptr;
}

bool TraceData::IsCurveReducibleToPoint(VersionedQuantityParser& parser, const AbstractQuantityInfo* quantityInfo) const {
  MessageQueueRestorer held(GetGlobalIMessageManager()->GetMessageHandler(), false);
  TraceDefinition* td = FindDefinition();
  ORVEX_ASSERT(td);
  if (!td || !td->GetPointsetDefinition()) return false;
  const SubsweepDefParamsContainer& defs = td->GetPointsetDefinition()->GetSubsweepDefParamsContainer();
  if (defs.Size() == 0 || !defs[0]) return false;
  VariableNameSpace names(1, 1, 0);
  if (IVariableNameSpaceSetupper* setupper = parser.GetVariableNameSpaceSetupper()) setupper->Setup(names);
  Variable* primaryVar = names.ResolveVariable(defs[0]->GetSweepName());
  ORVEX_ASSERT(primaryVar);
  for (const AString& expression : ComponentExpressionsOf(*td)) {
    Variable* v = names.ResolveVariable(expression);
    if (v && v == primaryVar) return false;
    // A component changes along the primary sweep wherever it uses it outside a reducing call.
    if (ExpressionUsesVariableOutsideReducingCalls(parser, expression, primaryVar)) return false;
    if (quantityInfo) {
      std::vector<AString> plain, composite;
      quantityInfo->GetSimValueQuantitiesForExpr(expression, plain);
      quantityInfo->GetCompositeQuantitiesForExpr(expression, composite);
      if (plain.empty() && composite.empty()) continue;
    }
    {
      InstalledParserScope installed(&parser);
      Value value(Units::kNoUnit);
      if (SetValueTextIfNotEmpty(value, expression, Units::kNoUnit) && value.IsConstant()) continue;
    }
    if (ReportManager::DetectDimensionReducingFunction(parser, expression)) continue;
    return false;
  }
  return true;
}

bool TraceData::AssertCurveIsNotReducibeToPoint() const {
  TraceDefinition* td = FindDefinition();
  if (!td) {
    ORVEX_ASSERT(0);
    return true;
  }
  ReportManager* manager = Manager();
  OwnedQuantityParser parser = MakeQuantityParserForTrace(*manager, *td);
  if (!parser) {
    ORVEX_ASSERT(0);
    return true;
  }
  std::unique_ptr<AbstractQuantityInfo> qinfo(AddSimValueQuantitiesOfExpression(*parser, td, false));
  ParserScope scope(*parser, qinfo.get());
  ORVEX_ASSERT(!IsCurveReducibleToPoint(*parser,qinfo.get()));
  return true;
}

void TraceData::ConvertDigitalColumnsToDouble() {
  for (std::unique_ptr<TraceComponentData>& component : GetTraceComponentData()) {
    Column* data = component ? component->GetDataColumn() : nullptr;
    if (!data || !IsDigitalParameterType(data->GetParameterType())) continue;
    Column* converted = CreateDoubleColumnFromDigitalColumn(*data, ManagedFileService::GetInstance());
    if (!converted) continue;
    // The interpolation and text columns stay with the converted data.
    Column* text = component->GetTextColumn() ? component->GetTextColumn()->CloneColumn() : nullptr;
    Column* interp = component->GetInterpColumn() ? component->GetInterpColumn()->CloneColumn() : nullptr;
    component = std::make_unique<TraceComponentData>(converted, text, interp);
  }
}

void TraceData::CreateTraceDataForDisplay(IProgressMonitor* progress) {
  ORVEX_ASSERT(mTraceDataForDisplay == 0);
  TraceDataPostprocessor postprocessor(this, GetTraceDefinition());
  mTraceDataForDisplay.reset(postprocessor.CreatePostprocessedTraceData(progress));
}

}  // namespace rep
