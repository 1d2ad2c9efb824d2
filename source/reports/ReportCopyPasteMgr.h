// Copy and paste of reports and traces through clipboard blocks.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <vector>

class IReportPasteListener;
class IVelmorCommand;
class TraceDefParams;

namespace io {
class CBlock;
}

namespace rep {

class ReportDefinitionCmdInfo;
class ReportManager;

class ReportCopyPasteMgr {
public:
  explicit ReportCopyPasteMgr(ReportManager& mgr) : m_mgr(&mgr) {}
  virtual ~ReportCopyPasteMgr();
  ReportCopyPasteMgr(const ReportCopyPasteMgr&) = delete;
  ReportCopyPasteMgr& operator=(const ReportCopyPasteMgr&) = delete;

  // False when the report could not be written (no report of that ID).
  bool CopyTraces(io::CBlock& clipboard, void* productArgument, long reportID, const std::vector<long>& traceIDs);
  // False, changing nothing, without a command or a listener or when no report has the ID; false
  // after pasting the clipboard's output variables when it holds no "Reports".
  bool PasteTraces(long reportID, io::CBlock& clipboard, IReportPasteListener* listener, IVelmorCommand* cmd);
  bool CopyReports(io::CBlock& clipboard, void* productArgument, const std::vector<long>& reportIDs);
  // False, changing nothing, without a command or a listener; false after pasting the
  // clipboard's output variables when it holds no "Reports".
  bool PasteReports(io::CBlock& clipboard, IReportPasteListener* listener, IVelmorCommand* cmd);

  ReportManager& GetManager() const { return *m_mgr; }

private:
  // Report ID to the IDs of its copied traces.
  typedef std::map<long, std::vector<long>> TraceIDsByReport;

  void CollectTraceIDsOfReports(TraceIDsByReport& out, const std::vector<long>& reportIDs) const;
  bool WriteAllTracesInterpreter(io::CBlock& clipboard, void* productArgument, const TraceIDsByReport& traces) const;
  void WriteOutputVariablesOfTraces(io::CBlock& all, const TraceIDsByReport& traces) const;
  void WritePerTraceInterpreter(io::CBlock& all, void* productArgument, const TraceIDsByReport& traces) const;
  void WriteReportMgrTraceInterpreter(io::CBlock& traceInterpreter, const TraceDefParams& params) const;
  void WriteProductTraceInterpreter(io::CBlock& traceInterpreter, void* productArgument,
                                    const TraceDefParams& params) const;

  bool ReadAllTracesInterpreter(const io::CBlock& clipboard, IReportPasteListener& listener) const;
  void PasteOutputVariables(const io::CBlock& all) const;
  void ReadPerTraceInterpreter(const io::CBlock& all, IReportPasteListener& listener) const;

  // The clipboard's reports in a temporary manager, fixed up, re-bound and re-pointed for this
  // manager's design, still under the clipboard's IDs; null when the clipboard holds no "Reports"
  // (its output variables are pasted all the same).
  std::unique_ptr<ReportManager> ReadPastedReports(io::CBlock& clipboard, IReportPasteListener& listener,
                                                   IVelmorCommand* cmd) const;
  // The command's report command info as the owner hands it back; null after an assertion.
  ReportDefinitionCmdInfo* GetReportCmdInfo(IVelmorCommand* cmd) const;

  ReportManager* m_mgr;  // the manager whose reports are copied and pasted into; not owned
};

}  // namespace rep
