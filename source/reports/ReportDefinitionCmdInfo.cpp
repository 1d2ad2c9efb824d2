#include "reports/ReportDefinitionCmdInfo.h"

namespace rep {

ReportDefinitionCmdInfo::ReportDefinitionCmdInfo() { OrFlagWord(0, 2); }

ReportDefinitionCmdInfo::~ReportDefinitionCmdInfo() {
  for (auto& entry : m_reportRecords) delete entry.second;
}

void ReportDefinitionCmdInfo::GetNewReportIDs(std::set<long>& ids) const {
  ids.insert(GetNewElements().begin(), GetNewElements().end());
}

void ReportDefinitionCmdInfo::GetEditedReportIDs(std::set<long>& ids) const {
  ids.insert(GetEditedElements().begin(), GetEditedElements().end());
}

void ReportDefinitionCmdInfo::GetDeletedReportIDs(std::set<long>& ids) const {
  ids.insert(GetDeletedElements().begin(), GetDeletedElements().end());
}

bool ReportDefinitionCmdInfo::IsNewReport(long reportID) const { return IsNewElement(reportID); }
bool ReportDefinitionCmdInfo::IsEditedReport(long reportID) const { return IsEditedElement(reportID); }
bool ReportDefinitionCmdInfo::IsDeletedReport(long reportID) const { return IsDeletedElement(reportID); }

bool ReportDefinitionCmdInfo::SetFlag(bool flag) {
  m_flag = flag;
  return m_flag;
}

bool ReportDefinitionCmdInfo::GetFlag() const { return m_flag; }

void ReportDefinitionCmdInfo::CollectByReport(std::map<long, std::set<long>>& out, SetGetter which) const {
  for (const auto& entry : m_reportRecords) {
    const std::set<long>& ids = (entry.second->*which)();
    if (!ids.empty()) out[entry.first] = ids;
  }
}

void ReportDefinitionCmdInfo::CollectForReport(std::set<long>& out, long reportID, SetGetter which) const {
  if (const VelmorCommandInfo* rec = FindRecord(reportID)) {
    const std::set<long>& ids = (rec->*which)();
    out.insert(ids.begin(), ids.end());
  }
}

void ReportDefinitionCmdInfo::GetNewTraceIDsByReport(std::map<long, std::set<long>>& ids) const {
  CollectByReport(ids, &VelmorCommandInfo::GetNewElements);
}

void ReportDefinitionCmdInfo::GetEditedTraceIDsByReport(std::map<long, std::set<long>>& ids) const {
  CollectByReport(ids, &VelmorCommandInfo::GetEditedElements);
}

void ReportDefinitionCmdInfo::GetDeletedTraceIDsByReport(std::map<long, std::set<long>>& ids) const {
  CollectByReport(ids, &VelmorCommandInfo::GetDeletedElements);
}

void ReportDefinitionCmdInfo::GetNewTraceIDs(std::set<long>& ids, long reportID) const {
  CollectForReport(ids, reportID, &VelmorCommandInfo::GetNewElements);
}

void ReportDefinitionCmdInfo::GetEditedTraceIDs(std::set<long>& ids, long reportID) const {
  CollectForReport(ids, reportID, &VelmorCommandInfo::GetEditedElements);
}

void ReportDefinitionCmdInfo::GetDeletedTraceIDs(std::set<long>& ids, long reportID) const {
  CollectForReport(ids, reportID, &VelmorCommandInfo::GetDeletedElements);
}

int ReportDefinitionCmdInfo::GetReportFlags(long reportID) const {
  const VelmorCommandInfo* rec = FindRecord(reportID);
  return rec ? static_cast<int>(rec->GetFlagWord(1)) : 0;
}

bool ReportDefinitionCmdInfo::AreTracesUpdated() const { return m_tracesUpdated; }

bool ReportDefinitionCmdInfo::GetUpdatedTraceIDs(std::set<long>& ids, long reportID) const {
  auto it = m_updatedTraces.find(reportID);
  if (it == m_updatedTraces.end()) return false;
  ids.insert(it->second.begin(), it->second.end());
  return true;
}

VelmorCommandInfo& ReportDefinitionCmdInfo::RecordFor(long reportID) {
  VelmorCommandInfo*& rec = m_reportRecords[reportID];
  if (!rec) rec = new VelmorCommandInfo;
  return *rec;
}

const VelmorCommandInfo* ReportDefinitionCmdInfo::FindRecord(long reportID) const {
  auto it = m_reportRecords.find(reportID);
  return it == m_reportRecords.end() ? nullptr : it->second;
}

void ReportDefinitionCmdInfo::MarkReportEdited(long reportID) {
  if (!IsEditedElement(reportID)) AddEditedElement(reportID);
}

void ReportDefinitionCmdInfo::AddNewTrace(long reportID, long traceID) { RecordFor(reportID).AddNewElement(traceID); }

void ReportDefinitionCmdInfo::AddEditedTrace(long reportID, long traceID) {
  MarkReportEdited(reportID);
  RecordFor(reportID).AddEditedElement(traceID);
}

void ReportDefinitionCmdInfo::AddDeletedTrace(long reportID, long traceID) {
  MarkReportEdited(reportID);
  RecordFor(reportID).AddDeletedElement(traceID);
}

int ReportDefinitionCmdInfo::AddReportFlags(long reportID, int bits) {
  return static_cast<int>(RecordFor(reportID).OrFlagWord(1, static_cast<unsigned>(bits)));
}

void ReportDefinitionCmdInfo::AddDeletedReport(long reportID, const std::set<long>& traceIDs) {
  m_tracesOfDeletedReports[reportID] = traceIDs;
  AddDeletedElement(reportID);
}

void ReportDefinitionCmdInfo::GetTraceIDsOfDeletedReport(std::set<long>& out, long reportID) const {
  auto it = m_tracesOfDeletedReports.find(reportID);
  if (it != m_tracesOfDeletedReports.end()) out = it->second;
}

void ReportDefinitionCmdInfo::AddUpdatedTrace(long reportID, long traceID) {
  m_updatedTraces[reportID].insert(traceID);
}

void ReportDefinitionCmdInfo::SetTracesUpdated(bool updated) { m_tracesUpdated = updated; }

}  // namespace rep
