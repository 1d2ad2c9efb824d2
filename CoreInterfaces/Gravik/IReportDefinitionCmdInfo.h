// What one report command did: new, edited and deleted reports and, per report, traces.
#pragma once

#include <map>
#include <set>

namespace rep {

class IReportDefinitionCmdInfo {
public:
  virtual ~IReportDefinitionCmdInfo() = default;                                   // 0
  virtual void GetNewReportIDs(std::set<long>& ids) const = 0;                     // 1
  virtual void GetEditedReportIDs(std::set<long>& ids) const = 0;                  // 2
  virtual void GetDeletedReportIDs(std::set<long>& ids) const = 0;                 // 3
  virtual bool IsNewReport(long reportID) const = 0;                               // 4
  virtual bool IsEditedReport(long reportID) const = 0;                            // 5
  virtual bool IsDeletedReport(long reportID) const = 0;                           // 6
  virtual bool SetFlag(bool flag) = 0;                                             // 7
  virtual bool GetFlag() const = 0;                                                // 8
  virtual void GetNewTraceIDsByReport(std::map<long, std::set<long>>& ids) const = 0;      // 9
  virtual void GetEditedTraceIDsByReport(std::map<long, std::set<long>>& ids) const = 0;   // 10
  virtual void GetDeletedTraceIDsByReport(std::map<long, std::set<long>>& ids) const = 0;  // 11
  virtual void GetNewTraceIDs(std::set<long>& ids, long reportID) const = 0;       // 12
  virtual void GetEditedTraceIDs(std::set<long>& ids, long reportID) const = 0;    // 13
  virtual void GetDeletedTraceIDs(std::set<long>& ids, long reportID) const = 0;   // 14
  virtual int GetReportFlags(long reportID) const = 0;                             // 15
  virtual bool AreTracesUpdated() const = 0;                                       // 16
  virtual bool GetUpdatedTraceIDs(std::set<long>& ids, long reportID) const = 0;   // 17
};

}  // namespace rep
