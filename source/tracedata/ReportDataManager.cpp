#include "tracedata/ReportDataManager.h"

#include "reports/BaseTraceDefinition.h"
#include "update/CentUpdTraceDefObject.h"
#include "update/CentUpdUtils.h"
#include "tracedata/CompositeTraceData.h"
#include "reports/GravikUtils.h"
#include "tracedata/ReportDataManagerLink.h"
#include "reports/ReportDefinition.h"
#include "quantities/ScopedProfiler.h"
#include "tracedata/TraceData.h"
#include "reports/TraceDefinition.h"
#include "hostapi/ISolutionContextObject.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "orvex/centupd/IDerivedDataDefinition.h"
#include "orvex/core/Assert.h"
#include "orvex/core/IVelmorCommand.h"
#include "orvex/core/Ids.h"
#include "orvex/core/VelDebug.h"
#include "orvex/core/VelmorCommandInfo.h"
#include "Gravik/ISimValueCache.h"
#include "reports/ImportedTraceDefinition.h"
#include "reports/ReportDefinitionCmdInfo.h"
#include "reports/ReportManager.h"
#include "hostapi/IReportManagerOwner.h"

namespace rep {

namespace {

ICentralizedUpdateObject* AsUpdateObject(CentUpdTraceDefObject* obj) { return static_cast<ISolutionPointSetUpdateObject*>(obj); }

// An imported trace's data is held by its definition, never in the map.
ImportedTraceDefinition* ImportedTraceOf(const ReportManager* mgr, long traceDefID) {
  return dynamic_cast<ImportedTraceDefinition*>(mgr ? mgr->FindTrace(traceDefID) : nullptr);
}

}  // namespace

ReportDataManager::ReportDataManager(ReportManager* mgr) : m_mgr(mgr) {}

ReportDataManager::~ReportDataManager() {
  for (auto& entry : m_traceData) delete entry.second;
  m_traceData.clear();
}

IAbstractTraceData* ReportDataManager::GetIAbstractTraceData(long traceDefID) {
  if (ImportedTraceDefinition* imported = ImportedTraceOf(m_mgr, traceDefID)) return imported->GetTraceData();
  auto it = m_traceData.find(traceDefID);
  if (it != m_traceData.end()) {
    if (auto* data = dynamic_cast<TraceData*>(it->second)) return data->GetTraceDataForDisplay();
    if (auto* composite = dynamic_cast<CompositeTraceData*>(it->second)) return composite;
    ORVEX_ASSERT(!"what other types?");
    return nullptr;
  }
  IBaseTraceDefinition* def = m_mgr ? m_mgr->GetTraceDefinition(traceDefID) : nullptr;
  if (!def) {
    ORVEX_ASSERT(!"No TraceDefinition by that ID");
    return nullptr;
  }
  // Stored data of imported traces is held by their definitions.
  if (def->GetTraceDefinitionType() == 2) return nullptr;
  AbstractDynamicTraceData* data = CreateTraceDataForDefinition(traceDefID);
  if (!data) return nullptr;
  m_traceData[traceDefID] = data;
  if (auto* plain = dynamic_cast<TraceData*>(data)) return plain->GetTraceDataForDisplay();
  return data;
}

ITraceData* ReportDataManager::GetITraceData(long traceDefID) {
  return dynamic_cast<ITraceData*>(GetIAbstractTraceData(traceDefID));
}

bool ReportDataManager::HasTraceData(long traceDefID) const {
  if (const ImportedTraceDefinition* imported = ImportedTraceOf(m_mgr, traceDefID))
    return imported->GetTraceData() != nullptr;
  return m_traceData.count(traceDefID) > 0;
}

bool ReportDataManager::DeleteTraceData(long traceDefID) {
  auto it = m_traceData.find(traceDefID);
  if (it == m_traceData.end()) return false;
  delete it->second;
  m_traceData.erase(it);
  return true;
}

AString ReportDataManager::GetTraceSolutionName(long traceDefID) const {
  const BaseTraceDefinition* tdef = m_mgr ? m_mgr->FindTrace(traceDefID) : nullptr;
  ORVEX_ASSERT(tdef);
  return tdef ? tdef->GetSolutionName() : AString();
}

const IReportManager* ReportDataManager::GetReportManager() const { return m_mgr; }
IReportManager* ReportDataManager::GetReportManagerForEdit() { return m_mgr; }

ITraceData* ReportDataManager::FindTraceDataByInterface(ITraceData* wanted) {
  for (const auto& entry : m_traceData) {
    auto* data = dynamic_cast<TraceData*>(entry.second);
    if (!data || static_cast<ITraceData*>(data) != wanted) continue;
    TakeTraceData(entry.first);
    return wanted;
  }
  return nullptr;
}

AbstractDynamicTraceData* ReportDataManager::TakeTraceData(long traceDefID) {
  auto it = m_traceData.find(traceDefID);
  if (it == m_traceData.end()) return nullptr;
  AbstractDynamicTraceData* data = it->second;
  m_traceData.erase(it);
  auto* link = dynamic_cast<ReportDataManagerLink*>(data);
  ORVEX_ASSERT(link);
  if (link) link->DetachFromReportDataManager();
  return data;
}

AbstractDynamicTraceData* ReportDataManager::CreateDynamicTraceData(long traceDefID, long traceDefVersionID,
                                                                     long dataVersionID) {
  if (!m_mgr || !m_mgr->GetTraceDefinition(traceDefID)) return nullptr;
  AbstractDynamicTraceData* data = nullptr;
  if (m_mgr->IsCompositeTrace(traceDefID))
    data = new CompositeTraceData(*this, traceDefID, traceDefVersionID, dataVersionID);
  else
    data = new TraceData(*this, traceDefID, traceDefVersionID, dataVersionID);
  data->InitializeData();
  return data;
}

AbstractDynamicTraceData* ReportDataManager::CreateTraceDataForDefinition(long traceDefID) {
  auto* td = m_mgr ? dynamic_cast<TraceDefinition*>(m_mgr->GetTraceDefinition(traceDefID)) : nullptr;
  if (!td) return nullptr;
  const long dataVersionID = GetVersionIDForPostprocessing(m_mgr->GetISolutionManagerForReports(),
                                                           td->GetDesignSolutionDefinition());
  return CreateDynamicTraceData(traceDefID, td->GetVersionID(), dataVersionID);
}

void ReportDataManager::GetCentralizedUpdateObjectsForGivenTraces(std::vector<ICentralizedUpdateObject*>& out,
                                                                  const std::vector<long>& traceDefIDs, bool flag) {
  ScopedProfiler profile("ReportDataManager::GetCentralizedUpdateObjectsForGivenTraces");
  for (long id : traceDefIDs) {
    auto* td = m_mgr ? dynamic_cast<TraceDefinition*>(m_mgr->GetTraceDefinition(id)) : nullptr;
    if (!td || !td->ValidateDefinition(true)) continue;
    const long ppVersionID = GetVersionIDForPostprocessing(m_mgr->GetISolutionManagerForReports(),
                                                         td->GetDesignSolutionDefinition());
    if (ppVersionID == id::invalidID) continue;
    const long versionID = td->GetVersionID();
    auto it = m_traceData.find(id);
    if (it == m_traceData.end()) {
      AbstractDynamicTraceData* data = CreateDynamicTraceData(id, versionID, ppVersionID);
      if (!data) continue;
      if (CentUpdTraceDefObject* obj = data->GetCentralizedUpdateObject(flag)) out.push_back(AsUpdateObject(obj));
      m_traceData[id] = data;
      continue;
    }
    AbstractDynamicTraceData* td2 = it->second;
    if (td2->GetTraceDefVersionID() == versionID && td2->GetVersionIDOfData() == ppVersionID) {
      ORVEX_ASSERT_TEXT(versionID == td2->GetTraceDefVersionID(), "versionID==td->GetTraceDefVersionID()");
      ORVEX_ASSERT_TEXT(ppVersionID == td2->GetVersionIDOfData(), "ppVersionID==td->GetVersionIDOfData()");
      if (CentUpdTraceDefObject* obj = td2->GetCentralizedUpdateObject(flag)) out.push_back(AsUpdateObject(obj));
      continue;
    }
    AbstractDynamicTraceData* fresh = CreateDynamicTraceData(id, versionID, ppVersionID);
    if (!fresh) continue;
    CentUpdTraceDefObject* obj = fresh->GetCentralizedUpdateObject(flag);
    if (obj && (obj->HasConnectivity() || !td2->HasData())) {
      out.push_back(AsUpdateObject(obj));
      delete td2;
      it->second = fresh;
    } else {
      // The rejected data's update object goes with it.
      if (obj) {
        fresh->ReleaseCentralizedUpdateObject(obj);
        delete AsUpdateObject(obj);
      }
      delete fresh;
    }
  }
}

void ReportDataManager::GetCentralizedUpdateObjects(std::vector<ICentralizedUpdateObject*>& out, long reportID) {
  ScopedProfiler profile("ReportDataManager::GetCentralizedUpdateObjects");
  auto* report = m_mgr ? dynamic_cast<ReportDefinition*>(m_mgr->GetReportDefinition(reportID)) : nullptr;
  if (!report) return;
  std::vector<long> ids;
  report->GetTraceIDs(ids);
  GetCentralizedUpdateObjectsForGivenTraces(out, ids, false);
}

std::unique_ptr<IDerivedDataDefinition> ReportDataManager::LoadDefinitionOf(const DesignSolutionDefinition& dsd,
                                                                            ISolutionForReports& solution) const {
  ISolutionContextObject* context = nullptr;
  IDerivedDataDefinition* load = nullptr;
  solution.BuildContextObjects(dsd.GetReportTypeSolutionDefinition(), context, load);
  delete context;
  return std::unique_ptr<IDerivedDataDefinition>(load);
}

bool ReportDataManager::MatchesNewSolution(const DesignSolutionDefinition& dsd, long dataVersionID, long designID,
                                           long solutionID, const ReportTypeSolutionDefinition& def,
                                           const VariableValues* major, long versionID,
                                           ISolutionForReports& solution) const {
  if (dsd.GetDesignID() != designID || dsd.GetSolutionID() != solutionID || dataVersionID == id::invalidID) return false;
  std::unique_ptr<IDerivedDataDefinition> load = LoadDefinitionOf(dsd, solution);
  if (!load) return false;
  return CentUpdUtils::MatchVariationWithParentLoadDefs(*load, dataVersionID, def, major ? *major : VariableValues(),
                                                        versionID, solution);
}

bool ReportDataManager::CheckTraceDataConsistency(long traceDefID,
                                                  const std::map<long, std::set<AString, AString::NoCaseLess>>& names,
                                                  const std::set<AString>& given) const {
  if (given.empty()) return true;
  auto it = names.find(traceDefID);
  if (it == names.end()) {
    ORVEX_ASSERT(!"trace-data exists with no corresponding trace-def?");
    return false;
  }
  for (const AString& name : given)
    if (!it->second.count(name)) return true;
  return false;
}

void ReportDataManager::GetCentralizedUpdateObjectsOnNewSolution(std::vector<ICentralizedUpdateObject*>& out,
                                                                 long designID, long solutionID,
                                                                 const ReportTypeSolutionDefinition& def,
                                                                 const VariableValues* majorVariation, long versionID,
                                                                 long, long, const std::set<AString>& names,
                                                                 bool flag) {
  ScopedProfiler profile("ReportDataManager::GetCentralizedUpdateObjectsOnNewSolution");
  VelDebug::Printf(1, L"CoreCentUpd: Products calling OnNewSolution for DesignID[%d], SolID[%d], VersID[%d], MajorVV[%s] \n",
                   designID, solutionID, versionID, majorVariation ? majorVariation->GetVariationKey(true) : AString());
  TraceQuantityNames quantityNames;
  if (m_mgr) m_mgr->OnNewSolution(quantityNames);
  ISolutionForReports* solution = SolutionOf(solutionID);
  if (!solution) return;
  std::set<long> collected;
  for (auto it = m_traceData.begin(); it != m_traceData.end();) {
    auto* td = dynamic_cast<TraceDefinition*>(m_mgr->GetTraceDefinition(it->first));
    AbstractDynamicTraceData* data = it->second;
    const bool keep = !td || (flag && !def.Matches(td->GetDesignSolutionDefinition().GetReportTypeSolutionDefinition())) ||
                      data->GetVersionIDOfData() != versionID || !td->ValidateDefinition(true) ||
                      !CheckTraceDataConsistency(it->first, quantityNames, names);
    if (!keep) {
      const DesignSolutionDefinition dsd = td->GetDesignSolutionDefinition();
      const bool stale = MatchesNewSolution(dsd, data->GetVersionIDOfData(), designID, solutionID, def, majorVariation,
                                            versionID, *solution) ||
                         (data->GetVersionIDOfData() == id::invalidID && dsd.GetDesignID() == designID &&
                          dsd.GetSolutionID() == solutionID);
      if (stale) {
        collected.insert(it->first);
        delete data;
        it = m_traceData.erase(it);
        continue;
      }
    }
    ++it;
  }
  std::vector<long> reportIDs;
  m_mgr->GetReportIDs(reportIDs);
  std::vector<long> ids(collected.begin(), collected.end());
  for (long reportID : reportIDs) {
    IReportDefinition* report = m_mgr->GetReportDefinition(reportID);
    std::vector<long> traceIDs;
    if (report) report->GetTraceIDs(traceIDs);
    for (long traceID : traceIDs) {
      if (collected.count(traceID)) continue;
      IBaseTraceDefinition* base = m_mgr->GetTraceDefinition(traceID);
      auto* td = dynamic_cast<ITraceDefinition*>(base);
      if (!base || base->GetTraceDefinitionType() == 2 || !td) continue;
      const DesignSolutionDefinition dsd = td->GetDesignSolutionDefinition();
      if (flag && !def.Matches(dsd.GetReportTypeSolutionDefinition())) continue;
      if (dsd.GetDesignID() != designID || dsd.GetSolutionID() != solutionID) continue;
      collected.insert(traceID);
      ids.push_back(traceID);
    }
  }
  GetCentralizedUpdateObjectsForGivenTraces(out, ids, flag);
}

void ReportDataManager::MarkMatchingData(
    long designID, long solutionID, const std::function<bool(const AbstractDynamicTraceData&, const DesignSolutionDefinition&)>& matches) {
  for (auto& entry : m_traceData) {
    auto* td = m_mgr ? dynamic_cast<ITraceDefinition*>(m_mgr->GetTraceDefinition(entry.second->GetTraceDefID())) : nullptr;
    if (!td) continue;
    const DesignSolutionDefinition dsd = td->GetDesignSolutionDefinition();
    if (dsd.GetDesignID() == designID && dsd.GetSolutionID() == solutionID && matches(*entry.second, dsd))
      entry.second->SetNeedsUpdate(true);
  }
}

ISolutionForReports* ReportDataManager::SolutionOf(long solutionID) const {
  ISolutionManagerForReports* solMgr = m_mgr ? m_mgr->GetISolutionManagerForReports() : nullptr;
  return solMgr ? solMgr->GetSolution(solutionID) : nullptr;
}

void ReportDataManager::SetNeedsUpdateForReportTypeSolution(long designID, long solutionID, long versionID,
                                                            const ReportTypeSolutionDefinition& def) {
  ISolutionForReports* solution = SolutionOf(solutionID);
  if (!solution) return;
  MarkMatchingData(designID, solutionID, [&](const AbstractDynamicTraceData& data, const DesignSolutionDefinition& dsd) {
    if (data.GetVersionIDOfData() != versionID) return false;
    std::unique_ptr<IDerivedDataDefinition> load = LoadDefinitionOf(dsd, *solution);
    return load && load->Matches(def);
  });
}

void ReportDataManager::SetNeedsUpdateForReportType(long designID, long solutionID, long versionID, int reportType) {
  if (!SolutionOf(solutionID)) return;
  MarkMatchingData(designID, solutionID, [&](const AbstractDynamicTraceData& data, const DesignSolutionDefinition& dsd) {
    return data.GetVersionIDOfData() == versionID &&
           static_cast<int>(dsd.GetReportTypeSolutionDefinitionRef().GetReportType()) == reportType;
  });
}

void ReportDataManager::SetNeedsUpdateForSolution(long designID, long solutionID) {
  MarkMatchingData(designID, solutionID, [](const AbstractDynamicTraceData&, const DesignSolutionDefinition&) { return true; });
}

ISimValueDataCache* ReportDataManager::GetISimValueDataCacheForEdit() const {
  IReportManagerOwner* owner = m_mgr ? m_mgr->GetOwnerForEdit() : nullptr;
  ISimValueCache* cache = owner ? owner->GetISimValueCacheForEdit() : nullptr;
  return cache ? cache->GetISimValueDataCacheForEdit() : nullptr;
}

bool ReportDataManager::DeleteTraceDataForCommand(IVelmorCommand* cmd) {
  IReportManagerOwner* owner = m_mgr ? m_mgr->GetOwnerForEdit() : nullptr;
  VelmorCommandInfo* found = owner && cmd ? owner->GetContextedInfoFromCmd(cmd, owner->GetCmdInfoSourceForReports()) : nullptr;
  auto* info = dynamic_cast<ReportDefinitionCmdInfo*>(found);
  if (!info) return false;
  const bool s1 = cmd->IsDoing(), s2 = cmd->IsUndoing(), s3 = cmd->IsRedoing();
  std::set<long> ids;
  auto addByReport = [&ids](const std::map<long, std::set<long>>& byReport) {
    for (const auto& entry : byReport) ids.insert(entry.second.begin(), entry.second.end());
  };
  if (s1 || s3) {
    std::map<long, std::set<long>> deleted;
    info->GetDeletedTraceIDsByReport(deleted);
    addByReport(deleted);
    std::set<long> deletedReports;
    info->GetDeletedReportIDs(deletedReports);
    for (long reportID : deletedReports) {
      // The info's answer replaces the set it is given: each report's traces come in a set of their own.
      std::set<long> ofReport;
      info->GetTraceIDsOfDeletedReport(ofReport, reportID);
      ids.insert(ofReport.begin(), ofReport.end());
    }
  } else if (s2) {
    std::map<long, std::set<long>> added;
    info->GetNewTraceIDsByReport(added);
    addByReport(added);
  }
  if ((s3 || s2) && !info->AreTracesUpdated()) {
    std::set<long> editedReports;
    info->GetEditedReportIDs(editedReports);
    for (long reportID : editedReports) info->GetEditedTraceIDs(ids, reportID);
  }
  for (long id : ids) DeleteTraceData(id);
  return !ids.empty();
}

}  // namespace rep
