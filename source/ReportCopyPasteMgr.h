// Copy and paste of reports and traces through clipboard blocks.
#pragma once

#include <vector>

class IReportPasteListener;
class IVelmorCommand;

namespace io {
class CBlock;
}

namespace rep {

class ReportManager;

class ReportCopyPasteMgr {
public:
  explicit ReportCopyPasteMgr(ReportManager& mgr) : m_mgr(&mgr) {}
  virtual ~ReportCopyPasteMgr() = default;

  bool CopyTraces(io::CBlock& clipboard, void* productArgument, long reportID, const std::vector<long>& traceIDs);
  bool PasteTraces(long reportID, io::CBlock& clipboard, IReportPasteListener* listener, IVelmorCommand* cmd);
  bool CopyReports(io::CBlock& clipboard, void* productArgument, const std::vector<long>& reportIDs);
  bool PasteReports(io::CBlock& clipboard, IReportPasteListener* listener, IVelmorCommand* cmd);

  ReportManager& GetManager() const { return *m_mgr; }

private:
  ReportManager* m_mgr;  // the manager whose reports are copied and pasted into; not owned
};

}  // namespace rep
