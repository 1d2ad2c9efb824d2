#include "tracedata/CompositeTraceData.h"

#include <algorithm>
#include <set>

#include "update/CentUpdTraceDefObject.h"
#include "tracedata/CompositeTraceDataColumnValueCollector.h"
#include "tracedata/ComputedTraceDataSupport.h"
#include "tracedata/EnsureOneDummyPointInComponentVisitor.h"
#include "Gravik/IPointsetDefinition.h"
#include "reports/GravikUtils.h"
#include "tracedata/PopulateTraceDataVisitor.h"
#include "tracedata/ReportDataManager.h"
#include "reports/ReportManager.h"
#include "quantities/ScopedProfiler.h"
#include "quantities/SimValueDataCache.h"
#include "tracedata/SimDatasetValueEvaluationContextRestorer2.h"
#include "quantities/SimValueInfoServer.h"
#include "update/SweepsVariableInfoMediator2.h"
#include "tracedata/TraceComponentData.h"
#include "tracedata/TraceDataComponentCreator.h"
#include "tracedata/TraceDataDatasets.h"
#include "reports/TraceDefinition.h"
#include "quantities/VersionedQuantityParser.h"
#include "orvex/centupd/IProgressMonitor.h"
#include "orvex/core/Assert.h"
#include "orvex/io/Block.h"
#include "orvex/core/IMessageManager.h"
#include "orvex/core/MessageQueueRestorer.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/FileColumnManager.h"
#include "postorvex/connectivity/PostpPopulationUtils.h"
#include "postorvex/quantities/BaseQuantityTypeParam.h"
#include "postorvex/quantities/CompositeReferencedPostprocessingQuantityMsg.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SubsweepsAdapter.h"

namespace rep {

namespace {

// The quantity type of the expression at the parser's solution and version; null for none.
std::unique_ptr<BaseQuantityTypeParam> QuantityTypeOf(const AString& expression, VersionedQuantityParser& parser) {
  std::unique_ptr<BaseQuantityTypeParam> param;
  auto* info = dynamic_cast<SimValueInfoServer*>(parser.GetSimValueInfoCache());
  if (!info || !info->GetQuantityTypeParam(param, expression, parser.GetDesignSolutionDefinition(),
                                           parser.GetVersionID()))
    param.reset();
  return param;
}

bool NamesAComponent(const std::vector<AString>& expressions, const AString& name) {
  return std::any_of(expressions.begin(), expressions.end(),
                     [&name](const AString& e) { return e.CompareNoCase(name) == 0; });
}

}  // namespace

CompositeTraceData::CompositeTraceData(ReportDataManager& mgr, long traceDefID, long traceDefVersionID,
                                       long dataVersionID)
    : ReportDataManagerLink(mgr), m_traceDefID(traceDefID), mTraceDefVersionID(traceDefVersionID), m_dataVersionID(dataVersionID) {
  TraceDefinition* td = FindDefinition();
  ORVEX_ASSERT(td);
  if (!td) return;
  ORVEX_ASSERT_TEXT(td->GetVersionID()==traceDefVersionID, "td->GetVersionID()==trVersionID");
  const DesignSolutionDefinition ds = td->GetDesignSolutionDefinition();
  mData.SetDesignSolutionDefinition(ds);
  ORVEX_ASSERT_TEXT(rep::GetVersionIDForPostprocessing(Manager()->GetISolutionManagerForReports(),ds)==dataVersionID,
                    "rep::GetVersionIDForPostprocessing(mgr.GetISolutionManagerForReports(),ds)==ppVersionID");
}

CompositeTraceData::~CompositeTraceData() {
  ORVEX_ASSERT(mDebugCentUpdObject==0);
  // An update still holding the object must not reach this data any more.
  if (mDebugCentUpdObject) mDebugCentUpdObject->DetachTraceData();
}

TraceDefinition* CompositeTraceData::FindDefinition() const {
  ReportManager* manager = Manager();
  return manager ? dynamic_cast<TraceDefinition*>(manager->GetTraceDefinition(m_traceDefID)) : nullptr;
}

bool CompositeTraceData::HasData() const { return HasPopulatedCurves(mData); }

long CompositeTraceData::GetCurrentSolutionContextVersionID() const {
  ReportManager* manager = Manager();
  return manager ? GetSolutionContextVersionID(manager->GetISolutionManagerForReports(),
                                               mData.GetDesignSolutionDefinition())
                 : id::invalidID;
}

bool CompositeTraceData::IsOutOfDate() const {
  if (mHasInvalidDefinition) return true;
  TraceDefinition* tdef = FindDefinition();
  ORVEX_ASSERT(tdef);
  if (!HasData()) return false;
  if (GetCurrentSolutionContextVersionID() != m_dataVersionID) return true;
  return !tdef || tdef->GetVersionID() != mTraceDefVersionID;
}

unsigned CompositeTraceData::GetNumCurves() const { return NumCurvesOf(mData); }

unsigned CompositeTraceData::GetNumPointsInCurve(unsigned curve) const { return NumPointsInCurveOf(mData, curve); }

unsigned CompositeTraceData::GetCurveOffset(unsigned curve) const { return CurveOffsetOf(mData, curve); }

AString CompositeTraceData::GetCurveVariationKey(unsigned curve, bool onlyNonNominal) const {
  return CurveVariationKeyOf(mData, curve, onlyNonNominal);
}

AString CompositeTraceData::GetTraceName() const {
  ReportManager* manager = Manager();
  IBaseTraceDefinition* def = manager ? manager->GetTraceDefinition(m_traceDefID) : nullptr;
  return def ? def->GetName() : AString();
}

IBaseTraceComponentData* CompositeTraceData::GetComponent(unsigned index) {
  return index < mComponents.size() ? mComponents[index].get() : nullptr;
}

AString CompositeTraceData::GetPrimarySweepName() const {
  if (!mPrimarySweepData) {
    ORVEX_ASSERT(!"No primary sweep data?");
    return AString();
  }
  return mPrimarySweepData->mName;
}

Column* CompositeTraceData::GetPrimarySweepColumn() const {
  ORVEX_ASSERT_TEXT(mPrimarySweepData, "mBasicTraceData.mPrimarySweepData");
  if (!mPrimarySweepData) return nullptr;
  if (mPrimarySweepData->mSweepColumn) return mPrimarySweepData->mSweepColumn.get();
  const auto found = std::find_if(mComponentExpressions.begin(), mComponentExpressions.end(), [this](const AString& e) {
    return e.CompareNoCase(mPrimarySweepData->mName) == 0;
  });
  if (found == mComponentExpressions.end()) {
    ORVEX_ASSERT(!"No primary sweep column?");
    return nullptr;
  }
  const size_t i = static_cast<size_t>(found - mComponentExpressions.begin());
  // A composite node has no column of its own.
  auto* itcd = i < mComponents.size() ? dynamic_cast<ITraceComponentData*>(mComponents[i].get()) : nullptr;
  ORVEX_ASSERT(itcd);
  return itcd ? itcd->GetDataColumn() : nullptr;
}

void CompositeTraceData::ReleaseCentralizedUpdateObject(CentUpdTraceDefObject* obj) {
  ORVEX_ASSERT(mDebugCentUpdObject==obj);
  mDebugCentUpdObject = nullptr;
}

void CompositeTraceData::ClearComponents() {
  mComponents.clear();
  mPrimarySweepData = std::make_unique<PrimarySweepData>();
}

void CompositeTraceData::UpdateTraceStateData() {
  TraceDefinition* td = FindDefinition();
  if (!td || !td->GetPointsetDefinition()) {
    ORVEX_ASSERT(0);
    return;
  }
  mData.FindVariablesWithNonNominalValues(*td->GetPointsetDefinition(), Manager()->GetISolutionManagerForReports(),
                                          td->GetDesignInstanceID());
}

CentUpdTraceDefObject* CompositeTraceData::GetCentralizedUpdateObject(bool flag) {
  CentUpdTraceDefObject* obj = GetCentralizedUpdateObjectEfficientlyPriv(flag);
  if (!obj && !HasData()) InitializeData();
  return obj;
}

CentUpdTraceDefObject* CompositeTraceData::GetCentralizedUpdateObjectEfficientlyPriv(bool flag) {
  ScopedProfiler profile("CompositeTraceData::GetCentralizedUpdateObjectEfficientlyPriv");
  if (!mData.GetNeedsUpdate() && !mData.GetUpdateRequested()) {
    ORVEX_ASSERT_TEXT(mData.GetConnectivity(), "mBasicTraceData.mData.GetConnectivity()");
    return nullptr;
  }
  TraceDefinition* tdef = FindDefinition();
  ORVEX_ASSERT(tdef);
  if (!tdef) return nullptr;
  ORVEX_ASSERT_TEXT(tdef->GetVersionID() == mTraceDefVersionID, "tdef->GetVersionID()==mBasicTraceData.mTraceDefVersionID");
  CentralizedUpdatePreparation prepared;
  // No design variation for the connectivity of composite data.
  auto* cache = dynamic_cast<SimValueDataCache*>(LinkedDataManager().GetISimValueDataCacheForEdit());
  if (!prepared.Prepare(*tdef, mData.GetDesignSolutionDefinition(), m_dataVersionID,
                        Manager()->GetISolutionManagerForReports(), false,
                        cache ? &cache->GetSweepPointsStore() : nullptr))
    return nullptr;
  if (!prepared.connectivity && mData.GetConnectivity()) return nullptr;

  ClearComponents();
  mData.Reset();
  if (prepared.connectivity)
    mData.SetConnectivity(prepared.connectivity.release());
  else
    mData.SetUpdateRequested(true);
  SweepsVariableInfoMediator2* mediator = prepared.mediator.release();
  auto* obj = new CentUpdTraceDefObject(this, mediator, prepared.subsweeps.release(), prepared.updateVariations, flag);
  VariableValues constants;
  mediator->GetConstantVariableValues(constants);
  mData.SetVariableValues(constants);
  ORVEX_ASSERT(mDebugCentUpdObject==0);
  mDebugCentUpdObject = obj;
  return obj;
}

IBaseTraceComponentData* CompositeTraceData::CreateTraceComponentData(const AString& expression,
                                                                      VersionedQuantityParser& parser) {
  if (std::unique_ptr<BaseQuantityTypeParam> param = QuantityTypeOf(expression, parser))
    return TraceDataComponentCreator::CreateFor(param.get(), expression, 0);
  val::ParameterType type = val::kDoubleParam;
  Units::FullUnitType units = Units::kNoUnit;
  Value value(Units::kNoUnit);
  if (SetValueTextIfNotEmpty(value, expression, Units::kNoUnit)) {
    type = value.GetParameterType();
    units = value.GetUnits();
  }
  return TraceDataComponentCreator::MakeLeaf(expression, type, units);
}

bool CompositeTraceData::IsComponentExpressionValid(const AString& expression, VersionedQuantityParser& parser) {
  if (QuantityTypeOf(expression, parser)) return true;
  Value value(Units::kNoUnit);
  return SetValueTextIfNotEmpty(value, expression, Units::kNoUnit);
}

Column* CompositeTraceData::SetUpPrimarySweep(const TraceDefinition& td, Value& primary) {
  const IPointsetDefinition* pointset = td.GetPointsetDefinition();
  ORVEX_ASSERT_TEXT(pointset, "td");
  const SubsweepDefParamsContainer* defs = pointset ? &pointset->GetSubsweepDefParamsContainer() : nullptr;
  // Families without subsweeps have no primary sweep.
  mPrimarySweepData->mName = defs && defs->Size() > 0 && (*defs)[0] ? (*defs)[0]->GetSweepName() : AString();
  const AString& name = mPrimarySweepData->mName;
  if (name.empty() || NamesAComponent(mComponentExpressions, name)) return nullptr;
  ORVEX_ASSERT_TEXT(!mPrimarySweepData->mSweepColumn, "mBasicTraceData.mPrimarySweepData->mSweepColumn==0");
  bool pretVal = SetValueTextIfNotEmpty(primary, name, Units::kNoUnit);
  ORVEX_ASSERT(pretVal);
  Column* column = NewManagedColumn(pretVal ? postp::GetParameterTypeFromValueAccountForMatrixType(primary)
                                            : val::kDoubleParam,
                                    primary.GetUnits());
  if (!column) column = NewManagedColumn(val::kDoubleParam, Units::kNoUnit);
  mPrimarySweepData->mSweepColumn.reset(column);
  return column;
}

void CompositeTraceData::InitializeData() {
  MessageQueueRestorer held(GetGlobalIMessageManager()->GetMessageHandler(), false);
  TraceDefinition* td = FindDefinition();
  ORVEX_ASSERT(td);
  if (!td) return;
  OwnedQuantityParser parser = MakeQuantityParserForTrace(*Manager(), *td);
  if (!parser) return;
  std::unique_ptr<AbstractQuantityInfo> info(AddSimValueQuantitiesOfExpression(*parser, td, false));
  ParserScope scope(*parser, info.get());

  ClearComponents();
  mComponentExpressions.clear();
  for (const AString& expression : ComponentExpressionsOf(*td)) {
    std::unique_ptr<IBaseTraceComponentData> tree(CreateTraceComponentData(expression, *parser));
    EnsureOneDummyPointInComponentVisitor placeholder;
    tree->Accept(placeholder);
    mComponents.push_back(std::move(tree));
    mComponentExpressions.push_back(expression);
    if (!IsComponentExpressionValid(expression, *parser)) mHasInvalidDefinition = true;
  }
  Value primary(Units::kNoUnit);
  EnsureOneDummyPoint(SetUpPrimarySweep(*td, primary));
  if (!mHasInvalidDefinition && !td->ValidateDefinition(false)) mHasInvalidDefinition = true;
}

bool CompositeTraceData::PopulateData(CentUpdTraceDefObject& obj, IProgressMonitor* progress) {
  ScopedProfiler profile("CompositeTraceData::PopulateData");
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
  ClearComponents();
  ParserScope scope(*parser, quantityInfo);

  auto* datasets = new TraceDataDatasets(*mediator, *connectivity, *quantityInfo, *parser, Manager());
  mData.SetDatasets(datasets);
  datasets->ExtractDatasets(progress);
  SimDatasetValueEvaluationContextRestorer2 contexts(*quantityInfo, *parser, datasets);

  CompositeColumnLists lists;
  mComponentExpressions.clear();
  for (const AString& expression : ComponentExpressionsOf(*td)) {
    std::unique_ptr<IBaseTraceComponentData> tree(CreateTraceComponentData(expression, *parser));
    CompositeTraceDataColumnValueCollector collector(lists);
    tree->Accept(collector);
    mComponents.push_back(std::move(tree));
    mComponentExpressions.push_back(expression);
  }
  Value primary(Units::kNoUnit);
  if (Column* sweep = SetUpPrimarySweep(*td, primary)) {
    lists.values.push_back(primary);
    lists.columns.push_back(sweep);
    lists.interpColumns.push_back(nullptr);
    lists.leaves.push_back(nullptr);
    lists.interpSlots.push_back(nullptr);
  }

  bool complete = true;
  const std::set<Column*> colsToBePopulated(lists.columns.begin(), lists.columns.end());
  ORVEX_ASSERT_TEXT(lists.columns.size()==lists.interpColumns.size(),
                    "colsToBePopulated.size()==interpColsToBePopulated.size()");
  {
    FileColumnManager::LoadAndOptionallyUnloadCtxt loaded(colsToBePopulated, progress);
    PopulateTraceDataVisitor visitor(lists.values, lists.columns, lists.interpColumns, parser, datasets, progress,
                                     false, nullptr);
    connectivity->Accept(visitor);
    complete = visitor.IsComplete();
  }
  lists.InstallInterpColumns();
  // A curve left out: placeholder data, as for a run that could not evaluate.
  if (!complete) {
    InitializeData();
    mDebugCentUpdObject = nullptr;
    return false;
  }
  if (connectivity->GetNumPoints() == 0) InitializeData();
  mDebugCentUpdObject = nullptr;
  return true;
}

}  // namespace rep
