// The record of which reports and traces one command created, edited, deleted or updated.
#pragma once

#include <map>
#include <set>

#include "Gravik/IReportDefinitionCmdInfo.h"
#include "orvex/core/VelmorCommandInfo.h"

namespace rep {

class ReportDefinitionCmdInfo : public VelmorCommandInfo, public IReportDefinitionCmdInfo {
public:
  // Report flag bits.
  enum : int { kNameChanged = 2, kTraceReplaced = 4 };

  ReportDefinitionCmdInfo();
  ~ReportDefinitionCmdInfo() override;
  ReportDefinitionCmdInfo(const ReportDefinitionCmdInfo&) = delete;
  ReportDefinitionCmdInfo& operator=(const ReportDefinitionCmdInfo&) = delete;

  void GetNewReportIDs(std::set<long>& ids) const override;
  void GetEditedReportIDs(std::set<long>& ids) const override;
  void GetDeletedReportIDs(std::set<long>& ids) const override;
  bool IsNewReport(long reportID) const override;
  bool IsEditedReport(long reportID) const override;
  bool IsDeletedReport(long reportID) const override;
  bool SetFlag(bool flag) override;
  bool GetFlag() const override;
  void GetNewTraceIDsByReport(std::map<long, std::set<long>>& ids) const override;
  void GetEditedTraceIDsByReport(std::map<long, std::set<long>>& ids) const override;
  void GetDeletedTraceIDsByReport(std::map<long, std::set<long>>& ids) const override;
  void GetNewTraceIDs(std::set<long>& ids, long reportID) const override;
  void GetEditedTraceIDs(std::set<long>& ids, long reportID) const override;
  void GetDeletedTraceIDs(std::set<long>& ids, long reportID) const override;
  int GetReportFlags(long reportID) const override;
  bool AreTracesUpdated() const override;
  bool GetUpdatedTraceIDs(std::set<long>& ids, long reportID) const override;

  void AddNewTrace(long reportID, long traceID);
  void AddEditedTrace(long reportID, long traceID);
  void AddDeletedTrace(long reportID, long traceID);
  int AddReportFlags(long reportID, int bits);
  void AddDeletedReport(long reportID, const std::set<long>& traceIDs);
  void GetTraceIDsOfDeletedReport(std::set<long>& out, long reportID) const;
  void AddUpdatedTrace(long reportID, long traceID);
  void SetTracesUpdated(bool updated);

private:
  VelmorCommandInfo& RecordFor(long reportID);
  const VelmorCommandInfo* FindRecord(long reportID) const;
  void MarkReportEdited(long reportID);
  using SetGetter = const std::set<long>& (VelmorCommandInfo::*)() const;
  void CollectByReport(std::map<long, std::set<long>>& out, SetGetter which) const;
  void CollectForReport(std::set<long>& out, long reportID, SetGetter which) const;

  std::map<long, VelmorCommandInfo*> m_reportRecords;        // per report, owned: its trace IDs and flags
  std::map<long, std::set<long>> m_tracesOfDeletedReports;
  bool m_flag = false;
  bool m_tracesUpdated = false;
  std::map<long, std::set<long>> m_updatedTraces;
};

}  // namespace rep
