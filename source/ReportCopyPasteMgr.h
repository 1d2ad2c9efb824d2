// Copy and paste of reports and traces through clipboard blocks.
#pragma once

namespace rep {

class ReportManager;

class ReportCopyPasteMgr {
public:
  explicit ReportCopyPasteMgr(ReportManager& mgr) : m_mgr(mgr) {}
  ReportManager& GetManager() const { return m_mgr; }

private:
  ReportManager& m_mgr;  // the manager whose reports are copied and pasted into
};

}  // namespace rep
