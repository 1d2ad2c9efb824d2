#include "ReportDataManager.h"

#include "BaseTraceDefinition.h"
#include "Gravik/ISimValueCache.h"
#include "ImportedTraceDefinition.h"
#include "ReportDefinitionCmdInfo.h"
#include "ReportManager.h"
#include "hostapi/IReportManagerOwner.h"

namespace rep {

ReportDataManager::ReportDataManager(ReportManager* mgr) : m_mgr(mgr) {}

ReportDataManager::~ReportDataManager() {
  for (auto& entry : m_traceData) delete entry.second;
  m_traceData.clear();
}

IAbstractTraceData* ReportDataManager::GetIAbstractTraceData(long traceDefID) {
  // An imported trace's data is its own, never made here.
  if (auto* imported = dynamic_cast<ImportedTraceDefinition*>(m_mgr ? m_mgr->FindTrace(traceDefID) : nullptr))
    return imported->GetTraceData();
  auto it = m_traceData.find(traceDefID);
  return it == m_traceData.end() ? nullptr : it->second;
}

ITraceData* ReportDataManager::GetITraceData(long traceDefID) {
  return dynamic_cast<ITraceData*>(GetIAbstractTraceData(traceDefID));
}

bool ReportDataManager::HasTraceData(long traceDefID) const { return m_traceData.count(traceDefID) > 0; }

bool ReportDataManager::DeleteTraceData(long traceDefID) {
  auto it = m_traceData.find(traceDefID);
  if (it == m_traceData.end()) return false;
  delete it->second;
  m_traceData.erase(it);
  return true;
}

AString ReportDataManager::GetTraceSolutionName(long traceDefID) const {
  const BaseTraceDefinition* trace = m_mgr ? m_mgr->FindTrace(traceDefID) : nullptr;
  return trace ? trace->GetSolutionName() : AString();
}

const IReportManager* ReportDataManager::GetReportManager() const { return m_mgr; }
IReportManager* ReportDataManager::GetReportManagerForEdit() { return m_mgr; }

void ReportDataManager::GetCentralizedUpdateObjectsForGivenTraces(std::vector<ICentralizedUpdateObject*>&,
                                                                  const std::vector<long>&, bool) {}

void ReportDataManager::GetCentralizedUpdateObjects(std::vector<ICentralizedUpdateObject*>&, long) {}

void ReportDataManager::GetCentralizedUpdateObjectsOnNewSolution(std::vector<ICentralizedUpdateObject*>&, long, long,
                                                                 const ReportTypeSolutionDefinition&,
                                                                 const VariableValues*, long, long, long,
                                                                 const std::set<AString>&, bool) {}

void ReportDataManager::SetNeedsUpdateForReportTypeSolution(long, long, long, const ReportTypeSolutionDefinition&) {}
void ReportDataManager::SetNeedsUpdateForReportType(long, long, long, int) {}
void ReportDataManager::SetNeedsUpdateForSolution(long, long) {}

ISimValueDataCache* ReportDataManager::GetISimValueDataCacheForEdit() const {
  IReportManagerOwner* owner = m_mgr ? m_mgr->GetOwnerForEdit() : nullptr;
  ISimValueCache* cache = owner ? owner->GetISimValueCacheForEdit() : nullptr;
  return cache ? cache->GetISimValueDataCacheForEdit() : nullptr;
}

bool ReportDataManager::DeleteTraceDataForCommand(IVelmorCommand* cmd) {
  IReportManagerOwner* owner = m_mgr ? m_mgr->GetOwnerForEdit() : nullptr;
  if (!owner) return false;
  auto* info = dynamic_cast<ReportDefinitionCmdInfo*>(
      owner->GetContextedInfoFromCmd(cmd, owner->GetCmdInfoSourceForReports()));
  if (!info) return false;
  std::map<long, std::set<long>> edited, deleted;
  info->GetEditedTraceIDsByReport(edited);
  info->GetDeletedTraceIDsByReport(deleted);
  std::set<long> deletedReports;
  info->GetDeletedReportIDs(deletedReports);
  bool any = false;
  for (const auto* byReport : {&edited, &deleted})
    for (const auto& entry : *byReport)
      for (long id : entry.second) any |= DeleteTraceData(id);
  for (long reportID : deletedReports) {
    std::set<long> traces;
    info->GetTraceIDsOfDeletedReport(traces, reportID);
    for (long id : traces) any |= DeleteTraceData(id);
  }
  return any;
}

}  // namespace rep
