#include "update/CentUpdTraceDefObject.h"

#include "update/CacheAndConnectivityUpdateHelper2.h"
#include "update/CentUpdUtils.h"
#include "Gravik/ITraceDataInterfaces.h"
#include "reports/GravikUtils.h"
#include "tracedata/ReportDataManager.h"
#include "reports/ReportManager.h"
#include "quantities/ScopedProfiler.h"
#include "quantities/SimValueDataCache.h"
#include "update/SweepsVariableInfoMediator2.h"
#include "reports/TraceDefinition.h"
#include "update/TraceExtendedLoadInfo.h"
#include "quantities/VersionedQuantityParser.h"
#include "hostapi/ISolutionContextObject.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionInstanceForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "orvex/centupd/IProgressMonitor.h"
#include "orvex/core/Assert.h"
#include "orvex/core/Ids.h"
#include "orvex/core/VelDebug.h"
#include "postorvex/columns/Column.h"
#include "postorvex/connectivity/SPS2Connectivity.h"
#include "postorvex/quantities/CompositeReferencedPostprocessingQuantityMsg.h"
#include "postorvex/sweeps/SubsweepsAdapter.h"
#include "postorvex/sweeps/SweepsIterator.h"
#include "postorvex/connectivity/PostpPopulationUtils.h"

namespace rep {

SolutionLoadContext::SolutionLoadContext() = default;
SolutionLoadContext::~SolutionLoadContext() {
  loadDefinition.reset();
  context.reset();
}

CentUpdTraceDefObject::CentUpdTraceDefObject(AbstractDynamicTraceData* traceData,
                                             SweepsVariableInfoMediator2* mediator, SubsweepsAdapter* subsweeps,
                                             const std::vector<VariableValues>& explicitVariations,
                                             bool updateConnectivityOnly)
    : mTraceData(traceData), mSweepsMediator(mediator), mSubsweeps(subsweeps),
      mExplicitVariations(explicitVariations), mQuantityParser(nullptr), mQuantityInfo(nullptr),
      mLoadContext(new SolutionLoadContext), mTraceDefinition(nullptr),
      mUpdateConnectivityOnly(updateConnectivityOnly) {
  ReportManager* manager = mTraceData ? mTraceData->GetReportDataManager().GetManager() : nullptr;
  IBaseTraceDefinition* base = manager ? manager->GetTraceDefinition(mTraceData->GetTraceDefID()) : nullptr;
  auto* tdef = dynamic_cast<TraceDefinition*>(base);
  ORVEX_ASSERT(tdef);
  mTraceDefinition = tdef;
  if (!tdef) return;
  mLoadContext->dsd = tdef->GetDesignSolutionDefinition();
  ISolutionManagerForReports* solMgr = manager->GetISolutionManagerForReports();
  ISolutionForReports* sde = solMgr ? solMgr->GetSolution(mLoadContext->dsd.GetSolutionID()) : nullptr;
  ORVEX_ASSERT(sde);
  if (sde) {
    ISolutionContextObject* context = nullptr;
    IDerivedDataDefinition* load = nullptr;
    sde->BuildContextObjects(mLoadContext->dsd.GetReportTypeSolutionDefinition(), context, load);
    mLoadContext->context.reset(context);
    mLoadContext->loadDefinition.reset(load);
    if (load) mVersionID = sde->GetVersionIDForPostprocessing(*load);
  }
  IValueParser* parser = CreateVersionedQuantityParser(solMgr, manager->GetIOutputVariableMgrForEdit(),
                                                       manager->GetISimValueInfoCache(), mLoadContext->dsd);
  mQuantityParser = parser ? dynamic_cast<VersionedQuantityParser*>(parser) : nullptr;
  if (mQuantityParser) mQuantityInfo = AddSimValueQuantitiesOfExpression(*mQuantityParser, mTraceDefinition, true);
}

CentUpdTraceDefObject::~CentUpdTraceDefObject() {
  delete mSubsweeps;
  delete mSweepsMediator;
  delete mQuantityInfo;
  if (mQuantityParser) delete mQuantityParser->GetInterfaceQueriable();
  delete mLoadContext;
}

long CentUpdTraceDefObject::GetSolutionID() const { return mLoadContext->dsd.GetSolutionID(); }

long CentUpdTraceDefObject::GetTraceDefinitionID() const { return mTraceData ? mTraceData->GetTraceDefID() : id::invalidID; }

long CentUpdTraceDefObject::GetReportID() const {
  ReportManager* manager = mTraceData ? mTraceData->GetReportDataManager().GetManager() : nullptr;
  return manager ? manager->GetReportIDOfTrace(GetTraceDefinitionID()) : id::invalidID;
}

AbstractQuantityInfo* CentUpdTraceDefObject::GetQuantityInfo() const {
  ORVEX_ASSERT(mQuantityInfo);
  return mQuantityInfo;
}

SweepsVariableInfoMediator2* CentUpdTraceDefObject::GetSweepsMediator() const {
  ORVEX_ASSERT(mSweepsMediator);
  return mSweepsMediator;
}

bool CentUpdTraceDefObject::HasConnectivity() const { return mTraceData && mTraceData->GetConnectivity() != nullptr; }

void CentUpdTraceDefObject::GetNeededLoadUnits(std::vector<CentralizedLoadUnitInfo>& units) {
  if (!HasConnectivity()) return;
  if (mLoadUnitsGathered) {
    for (const auto& entry : mNeededLoadUnits) units.push_back(entry.second);
    return;
  }
  // What the update cannot do without: it then asks for nothing and, never having gathered its
  // units, the trace stays to be updated.
  if (!mQuantityInfo || !mQuantityParser || !mSweepsMediator || !mSubsweeps || !mTraceDefinition ||
      !mLoadContext->loadDefinition)
    return;
  // Data taken out of its manager asks for nothing more.
  ReportManager* manager = mTraceData->GetReportDataManager().GetManager();
  if (!manager) return;
  mLoadUnitsGathered = true;
  QuantityIDMap quantities;
  MapLeafQuantitiesToSimValueIDs(quantities, *GetQuantityInfo(), manager->GetISimValueInfoCache(), mLoadContext->dsd,
                                 mVersionID);
  TraceExtendedLoadInfo info(quantities, GetObjectID(), mLoadContext->context.get(), mSubsweeps, mExplicitVariations,
                             mSweepsMediator);
  SolutionLoadDefinition load(mLoadContext->dsd.GetDesignID(), GetSolutionID(), mLoadContext->loadDefinition.get());
  ORVEX_ASSERT(mSubsweeps->size()>0);
  std::unique_ptr<Column> primary(mSubsweeps->size() > 0 ? (*mSubsweeps)[0].CreateCopyOfValues() : nullptr);
  std::set<long> ids;
  for (const auto& q : quantities) ids.insert(q.second);
  VariableValues design;
  if (ISolutionManagerForReports* solMgr = manager->GetISolutionManagerForReports())
    solMgr->GetSolutionVariation(design, GetSolutionID(), mTraceDefinition->GetDesignInstanceID(),
                                 mLoadContext->dsd.GetReportTypeSolutionDefinition());
  const VariableValues& dependent = mSweepsMediator->GetDependentVariableValues();
  ISimValueDataCache* cache = mTraceData->GetReportDataManager().GetISimValueDataCacheForEdit();
  // One iterator serves every point: its constituent test keeps no state between points.
  std::unique_ptr<SweepsIteratorBase> major;
  mSweepsMediator->CreateMajorSweepsIterator(major);
  for (const auto& entry : mSweepsMediator->GetAllSweepPointsVariableValues().GetPointPositions()) {
    const VariableValues& point = entry.first;
    VariableValues majorPart;
    if (!major->IsConstituent(point, majorPart, &design)) continue;
    if (!postp::DoesConstantVVHaveComputedDependentVV(point, dependent, &majorPart)) continue;
    if (!mUpdateConnectivityOnly && cache && mTraceData->GetConnectivity() &&
        !CentUpdUtils::IsLoadNeeded(*mTraceData->GetConnectivity(), point, ids, *cache, *mSweepsMediator,
                                    mLoadContext->dsd, mVersionID, primary.get()))
      continue;
    CentralizedLoadUnitInfo unit(load, mVersionID, point);
    unit.AddExtendedLoadInfo(info);
    units.push_back(unit);
    mNeededLoadUnits.emplace(point, unit);
    VelDebug::Printf(3, L"CoreCentUpd: TraceData[%d] needs SolnID[%d], VersID[%d], instance [%s]\n",
                     mTraceData->GetTraceDefID(), GetSolutionID(), mVersionID, point.GetVariationKey(true));
  }
}

void CentUpdTraceDefObject::NotifyOnLoad(const CentralizedLoadUnitInfo& unit, IProgressMonitor* monitor) {
  ScopedProfiler profile("CentUpdTraceDefObject::NotifyOnLoad");
  if (!mTraceData) return;
  const VariableValues& major = unit.GetMajorVariableValues();
  if (mUpdateConnectivityOnly) {
    // A point the cache no longer holds stays requested: the trace is then offered the next update.
    auto requested = mNeededLoadUnits.find(major);
    if (requested != mNeededLoadUnits.end() && UpdateSpecialSweepConnectivityFromCache(unit))
      mNeededLoadUnits.erase(requested);
    return;
  }
  const TraceExtendedLoadInfo* info = nullptr;
  for (size_t i = 0; i < unit.GetNumExtendedLoadInfos() && !info; ++i) {
    auto* candidate = dynamic_cast<const TraceExtendedLoadInfo*>(unit.GetExtendedLoadInfo(i));
    if (candidate && candidate->GetTraceDefinitionID() == mTraceData->GetTraceDefID()) info = candidate;
  }
  if (!info) return;
  auto requested = mNeededLoadUnits.find(major);
  if (requested == mNeededLoadUnits.end()) return;
  if (monitor && monitor->IsAbandoned()) return;
  ISolutionInstanceForReports* instance = mSweepsMediator->GetAllSweepPointsVariableValues().FindInstance(major);
  SPS2Connectivity* connectivity = mTraceData->GetConnectivity();
  auto* cache = dynamic_cast<SimValueDataCache*>(mTraceData->GetReportDataManager().GetISimValueDataCacheForEdit());
  // A unit that names no point object, or a trace without connectivity or cache, stays requested.
  if (!instance || !connectivity || !cache) return;
  CacheAndConnectivityUpdateHelper2 container(connectivity, mLoadContext->dsd, mVersionID, major, mSweepsMediator,
                                              cache);
  if (VelDebug::IsOn(1)) {
    VariableValues instanceValues;
    instance->GetVariableValues(instanceValues);
    VelDebug::Printf(1, L"CoreCentUpd: TraceData[%d] calling PopulateQuantityValues on instance SolnID[%d], VersID[%d], MajorVV [%s] \n",
                     mTraceData->GetTraceDefID(), GetSolutionID(), mVersionID, instanceValues.GetVariationKey(true));
  }
  std::unique_ptr<IExtendedLoadInfo> ownInfo(info->Clone());
  bool ret_val = false;
  {
    ScopedProfiler populate("CentUpdTraceDefObject::PopulateQuantityValues");
    ret_val = instance->PopulateQuantityValues(&container, ownInfo.get(), monitor);
  }
  ORVEX_ASSERT(ret_val);
  // The unit counts as loaded only when the product pushed it and the run goes on.
  if (ret_val && !(monitor && monitor->IsAbandoned())) mNeededLoadUnits.erase(requested);
}

bool CentUpdTraceDefObject::UpdateSpecialSweepConnectivityFromCache(const CentralizedLoadUnitInfo& unit) {
  ORVEX_ASSERT(mSweepsMediator->DoSpecialSweepsExist());
  std::set<long> ids;
  for (size_t i = 0; i < unit.GetNumExtendedLoadInfos(); ++i)
    if (auto* info = dynamic_cast<const ITraceExtendedLoadInfo*>(unit.GetExtendedLoadInfo(i))) {
      QuantityIDMap quantities;
      info->GetQuantityMap(quantities);
      for (const auto& q : quantities) ids.insert(q.second);
    }
  SPS2Connectivity* connectivity = mTraceData->GetConnectivity();
  ISimValueDataCache* cache = mTraceData->GetReportDataManager().GetISimValueDataCacheForEdit();
  if (!connectivity || !cache) {
    ORVEX_ASSERT(0);
    return false;
  }
  bool updatedConn = CentUpdUtils::FillSpecialSweepConnectivityFromCache(
      *connectivity, unit.GetMajorVariableValues(), ids, *cache, *mSweepsMediator, mLoadContext->dsd, mVersionID);
  ORVEX_ASSERT(updatedConn);
  return updatedConn;
}

namespace {

// Ends an update on every way out of NotifyDoneUpdate, a host's monitor or product that throws
// included: the object goes, and a trace whose population did not succeed keeps placeholder data
// and is offered the next update.
class DoneUpdateScope {
public:
  DoneUpdateScope(CentUpdTraceDefObject& object, AbstractDynamicTraceData* data) : m_object(object), m_data(data) {}
  ~DoneUpdateScope() {
    if (m_data && !m_populated) {
      try {
        // A population that returned has let go of the object itself.
        if (!m_populationReturned) m_data->ReleaseCentralizedUpdateObject(&m_object);
        // No curve of the run that failed stays behind the placeholder.
        if (SPS2Connectivity* connectivity = m_data->GetConnectivity()) connectivity->ResetPointCurveData();
        m_data->InitializeData();
        m_data->SetNeedsUpdate(true);
      } catch (...) {
        // Already unwinding: the object must go all the same.
      }
    }
    delete static_cast<ISolutionPointSetUpdateObject*>(&m_object);
  }
  DoneUpdateScope(const DoneUpdateScope&) = delete;
  DoneUpdateScope& operator=(const DoneUpdateScope&) = delete;

  void PopulationReturned(bool populated) {
    m_populationReturned = true;
    m_populated = populated;
  }

private:
  CentUpdTraceDefObject& m_object;   // deleted by the scope
  AbstractDynamicTraceData* m_data;  // not owned; null when the data went before the update ended
  bool m_populationReturned = false;
  bool m_populated = false;
};

}  // namespace

void CentUpdTraceDefObject::NotifyDoneUpdate(IProgressMonitor* monitor) {
  DoneUpdateScope done(*this, mTraceData);
  ScopedProfiler profile("CentUpdTraceDefObject::NotifyDoneUpdate");
  if (monitor) monitor->IsAbandoned();
  if (!mTraceData) return;
  mTraceData->UpdateTraceStateData();
  // Units never pushed (not loaded, failed, abandoned) leave the trace to be updated again.
  const bool missing = !mNeededLoadUnits.empty() || !mLoadUnitsGathered || !mQuantityInfo;
  mTraceData->SetNeedsUpdate(missing);
  for (const auto& entry : mNeededLoadUnits)
    if (SPS2Connectivity* connectivity = mTraceData->GetConnectivity())
      connectivity->DeleteAssociatedStructures(entry.first);
  done.PopulationReturned(mTraceData->PopulateData(*this, monitor));
}

}  // namespace rep
