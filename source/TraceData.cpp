#include "TraceData.h"

#include <algorithm>

#include "CentUpdTraceDefObject.h"
#include "Gravik/IPointsetDefinition.h"
#include "Gravik/ISimValueInfoCache.h"
#include "GravikUtils.h"
#include "SimValue2.h"
#include "PopulateTraceDataVisitor.h"
#include "ReportDataManager.h"
#include "ReportManager.h"
#include "ScopedProfiler.h"
#include "SimDatasetValueEvaluationContextRestorer2.h"
#include "SweepsVariableInfoMediator2.h"
#include "TraceDataDatasets.h"
#include "TraceDefinition.h"
#include "VVConnectivityCreator2.h"
#include "VersionedQuantityParser.h"
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

struct ParserDeleter {
  void operator()(VersionedQuantityParser* p) const {
    if (p) delete p->GetInterfaceQueriable();
  }
};
using OwnedParser = std::unique_ptr<VersionedQuantityParser, ParserDeleter>;

Column* NewManagedColumn(val::ParameterType type, Units::FullUnitType units) {
  return Column::CreateColumn2(type, units, ManagedFileService::GetInstance(), AString(), AString(), true, true);
}

// One invalid value: the placeholder rule.
void EnsureOneDummyPoint(Column* column) {
  if (!column) return;
  column->ClearValues();
  column->AppendInvalidValues(1);
}

// The parser installed with a name space and the output variables the record lists activated.
struct ParserScope {
  ParserScope(VersionedQuantityParser& parser, const AbstractQuantityInfo* info)
      : names(1, 1, 0), installed(&parser), activator(OutputVariablesOf(info), &parser,
                                                      parser.GetVariableNameSpaceSetupper()) {
    if (IVariableNameSpaceSetupper* setupper = parser.GetVariableNameSpaceSetupper()) setupper->Setup(names);
  }
  static std::vector<ContextVariable*> OutputVariablesOf(const AbstractQuantityInfo* info) {
    std::vector<ContextVariable*> variables;
    if (info) info->GetAllOutputVariables(variables);
    return variables;
  }
  VariableNameSpace names;
  InstalledParserScope installed;
  OutputVariableActivator2 activator;
};

std::vector<AString> ExpressionsOf(const TraceDefinition& td) {
  std::vector<AString> out;
  const IBaseTraceDefinition& base = td;
  for (unsigned i = 0; i < base.GetNumComponents(); ++i)
    if (const ITraceComponentDefinition* c = base.GetComponent(i)) out.push_back(c->GetExpression());
  return out;
}

}  // namespace

TraceData::TraceData(ReportDataManager& mgr, long traceDefID, long traceDefVersionID, long dataVersionID)
    : BaseTraceData(traceDefID), m_mgr(mgr), mTraceDefVersionID(traceDefVersionID), m_dataVersionID(dataVersionID) {
  TraceDefinition* td = FindDefinition();
  ORVEX_ASSERT(td);
  if (!td) return;
  ORVEX_ASSERT(td->GetVersionID()==traceDefVersionID);
  const DesignSolutionDefinition ds = td->GetDesignSolutionDefinition();
  mData.SetDesignSolutionDefinition(ds);
  ORVEX_ASSERT(rep::GetVersionIDForPostprocessing(m_mgr.GetManager()->GetISolutionManagerForReports(),ds)==dataVersionID);
}

TraceData::~TraceData() {
  ORVEX_ASSERT(mDebugCentUpdObject==0);
  // An update still holding the object must not reach this data any more.
  if (mDebugCentUpdObject) mDebugCentUpdObject->DetachTraceData();
}

TraceDefinition* TraceData::FindDefinition() const {
  ReportManager* manager = m_mgr.GetManager();
  return manager ? dynamic_cast<TraceDefinition*>(manager->GetTraceDefinition(GetTraceDefID())) : nullptr;
}

IBaseTraceDefinition* TraceData::GetTraceDefinition() const {
  ReportManager* manager = m_mgr.GetManager();
  return manager ? manager->GetTraceDefinition(GetTraceDefID()) : nullptr;
}

bool TraceData::HasData() const {
  const SPS2Connectivity* c = mData.GetConnectivity();
  return c && c->GetFamilyCount() > 0 && c->GetNumPointsInFamily(0) > 0;
}

long TraceData::GetCurrentSolutionContextVersionID() const {
  return GetSolutionContextVersionID(m_mgr.GetManager()->GetISolutionManagerForReports(),
                                     mData.GetDesignSolutionDefinition());
}

bool TraceData::IsOutOfDate() const {
  if (mHasInvalidDefinition) return true;
  TraceDefinition* tdef = FindDefinition();
  ORVEX_ASSERT(tdef);
  if (!HasData()) return false;
  if (GetCurrentSolutionContextVersionID() != m_dataVersionID) return true;
  return !tdef || tdef->GetVersionID() != mTraceDefVersionID;
}

unsigned TraceData::GetNumCurves() const {
  const SPS2Connectivity* c = mData.GetConnectivity();
  return c ? std::max(1u, c->GetFamilyCount()) : 1u;
}

unsigned TraceData::GetNumPointsInCurve(unsigned curve) const {
  const SPS2Connectivity* c = mData.GetConnectivity();
  return c && c->GetFamilyCount() > 0 ? std::max(1u, c->GetNumPointsInFamily(curve)) : 1u;
}

unsigned TraceData::GetCurveOffset(unsigned curve) const {
  const SPS2Connectivity* c = mData.GetConnectivity();
  return c ? c->GetFamilyOffset(curve) : 0u;
}

AString TraceData::VariationKey(VariableValues values, bool onlyNonNominal) const {
  if (onlyNonNominal) {
    VariableValues reduced;
    mData.AddNonNominalVariableValues(reduced, values);
    values = reduced;
  }
  return values.GetVariationKey("%-.15g", true, nullptr, nullptr, true);
}

AString TraceData::GetCurveVariationKey(unsigned curve, bool onlyNonNominal) const {
  const SPS2Connectivity* c = mData.GetConnectivity();
  if (!c || c->GetFamilyCount() == 0) return AString();
  VariableValues values;
  c->GetVariableValuesForCurve(values, curve);
  return VariationKey(values, onlyNonNominal);
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
  mData.FindVariablesWithNonNominalValues(*td->GetPointsetDefinition(), m_mgr.GetManager()->GetISolutionManagerForReports(),
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
  ISolutionManagerForReports* solMgr = m_mgr.GetManager()->GetISolutionManagerForReports();
  const DesignSolutionDefinition& dsd = mData.GetDesignSolutionDefinition();
  const ReportTypeSolutionDefinition def = td->GetDesignSolutionDefinition().GetReportTypeSolutionDefinition();
  VariableValues design;
  if (solMgr) solMgr->GetSolutionVariation(design, dsd.GetSolutionID(), td->GetDesignInstanceID(), def);

  const IPointsetDefinition& pointset = *td->GetPointsetDefinition();
  std::vector<VariableValuesDefParams> defParams;
  pointset.GetVariableValuesDefParams(defParams);
  IVariableNameSpaceSetupper* ivnss = solMgr ? solMgr->GetVariableNameSpaceSetupper(dsd.GetSolutionID()) : nullptr;
  ORVEX_ASSERT(ivnss);
  std::vector<VariableValues> families;
  for (const VariableValuesDefParams& p : defParams) {
    VariableValues v;
    p.ConvertToVariableValues(v, ivnss);
    families.push_back(v);
  }
  std::vector<VariableValues> updateVariations = families;
  ISolutionForReports* sde = solMgr ? solMgr->GetSolution(dsd.GetSolutionID()) : nullptr;
  ORVEX_ASSERT(sde);
  if (!updateVariations.empty() && sde) {
    ISolutionContextObject* context = nullptr;
    IDerivedDataDefinition* load = nullptr;
    sde->BuildContextObjects(def, context, load);
    std::unique_ptr<ISolutionContextObject> ownedContext(context);
    std::unique_ptr<IDerivedDataDefinition> ownedLoad(load);
    std::vector<Variable*> listed;
    if (load) sde->GetVariables(listed, *load, m_dataVersionID);
    for (VariableValues& v : updateVariations)
      for (Variable* variable : listed) v.RemoveVariableValue(variable);
  }
  const SubsweepDefParamsContainer& subsweepDefs = pointset.GetSubsweepDefParamsContainer();
  if (subsweepDefs.Size() == 0 && updateVariations.empty()) return nullptr;
  if (!sde) return nullptr;
  VelDebug::Printf(1, L"CoreCentUpd: Info from Product: for DesignID[%d], SolnID[%d], VersID[%d]...",
                   dsd.GetDesignID(), dsd.GetSolutionID(), m_dataVersionID);

  auto* subsweeps = new SubsweepsAdapter(subsweepDefs, dsd, td->GetDesignInstanceID(), solMgr, families);
  const bool property = sde->GetSkipVariableClassification(true);
  auto* mediator = new SweepsVariableInfoMediator2(subsweeps, def, sde, design, property);
  SPS2Connectivity* connectivity =
      VVConnectivityCreator2::CreateSPS2ConnectivityExcludingSpecialsAndPrimaryMinor(*mediator, &design);
  if (!connectivity && mData.GetConnectivity()) {
    delete mediator;
    delete subsweeps;
    return nullptr;
  }
  ResetData();
  if (connectivity)
    mData.SetConnectivity(connectivity);
  else
    mData.SetUpdateRequested(true);
  auto* obj = new CentUpdTraceDefObject(this, mediator, subsweeps, updateVariations, flag);

  VariableValues constants;
  mediator->GetConstantVariableValues(constants);
  if (property && obj->GetQuantityParser()) {
    ParserScope scope(*obj->GetQuantityParser(), obj->GetQuantityInfo());
    ReferencedVariablesMsg referenced(true);
    std::vector<AString> texts = ExpressionsOf(*td);
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
  ReportManager* manager = m_mgr.GetManager();
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

  auto* datasets = new TraceDataDatasets(*mediator, *connectivity, *quantityInfo, *parser, m_mgr.GetManager());
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
  const std::vector<AString> expressions = ExpressionsOf(*td);
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
        ORVEX_ASSERT(params.GetValueStateRef().GetParameterType()==val::kEnumParam);
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

  // The interpolation orders go into the components once the walk has created them.
  std::vector<CharColumn*> interpSlots(colsToBeLoaded.size(), nullptr);
  std::vector<CharColumn**> interpColsToBeLoaded;
  for (size_t k = 0; k < colsToBeLoaded.size(); ++k)
    interpColsToBeLoaded.push_back(interpComponent[k] != static_cast<size_t>(-1) ? &interpSlots[k] : nullptr);
  ORVEX_ASSERT(colsToBeLoaded.size()==interpColsToBeLoaded.size());
  {
    FileColumnManager::LoadAndOptionallyUnloadCtxt loaded(columns, progress);
    PopulateTraceDataVisitor visitor(values, colsToBeLoaded, interpColsToBeLoaded, parser, datasets, progress,
                                     onePointPerCurve, familyTargets.get());
    connectivity->Accept(visitor);
  }
  for (size_t k = 0; k < colsToBeLoaded.size(); ++k)
    if (interpSlots[k] && interpComponent[k] < GetTraceComponentData().size())
      GetTraceComponentData()[interpComponent[k]]->SetInterpColumn(interpSlots[k]);
  if (connectivity->GetNumPoints() == 0) InitializeData();
  if (convert) ConvertDigitalColumnsToDouble();
  CreateTraceDataForDisplay(progress);
  mDebugCentUpdObject = nullptr;
  if (progress) progress->IsAbandoned();
  return true;
}

void TraceData::InitializeData() {
  MessageQueueRestorer held(GetGlobalIMessageManager()->GetMessageHandler(), false);
  TraceDefinition* td = FindDefinition();
  ORVEX_ASSERT(td);
  if (!td) return;
  ReportManager* manager = m_mgr.GetManager();
  OwnedParser parser(dynamic_cast<VersionedQuantityParser*>(
      CreateVersionedQuantityParser(manager->GetISolutionManagerForReports(), manager->GetIOutputVariableMgrForEdit(),
                                    manager->GetISimValueInfoCache(), td->GetDesignSolutionDefinition())));
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
  for (const AString& expression : ExpressionsOf(*td)) {
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
  mPrimarySweepName = PrimarySweepNameFor(*td, false);
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
  for (const AString& expression : ExpressionsOf(*td)) {
    Variable* v = names.ResolveVariable(expression);
    if (v && v == primaryVar) return false;
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
  ReportManager* manager = m_mgr.GetManager();
  OwnedParser parser(dynamic_cast<VersionedQuantityParser*>(
      CreateVersionedQuantityParser(manager->GetISolutionManagerForReports(), manager->GetIOutputVariableMgrForEdit(),
                                    manager->GetISimValueInfoCache(), td->GetDesignSolutionDefinition())));
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

void TraceData::CreateTraceDataForDisplay(IProgressMonitor*) {
  // Statistics and histograms of families come with their post-processor; until then the data
  // itself is displayed.
  ORVEX_ASSERT(mTraceDataForDisplay == 0);
}

}  // namespace rep
