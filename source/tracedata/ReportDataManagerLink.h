// The link of computed trace data to the data manager that made it. A manager may hand its data
// out and then die: the link is cleared first, so a use of the missing manager asserts instead of
// reading freed memory.
#pragma once

namespace rep {

class ReportDataManager;
class ReportManager;

class ReportDataManagerLink {
public:
  explicit ReportDataManagerLink(ReportDataManager& mgr) : m_mgr(&mgr) {}
  virtual ~ReportDataManagerLink();
  ReportDataManagerLink(const ReportDataManagerLink&) = delete;
  ReportDataManagerLink& operator=(const ReportDataManagerLink&) = delete;

  // The data leaves its manager, which may then be destroyed: from then on the data answers from
  // its own members.
  void DetachFromReportDataManager();
  bool IsAttachedToReportDataManager() const { return m_mgr != nullptr; }

protected:
  // Drops what still reaches the manager by other ways than this link.
  virtual void OnDetachedFromReportDataManager() {}
  // Once detached: a soft assertion and a manager that holds nothing.
  ReportDataManager& LinkedDataManager() const;
  // Null, after a soft assertion, once detached.
  ReportManager* Manager() const;

private:
  ReportDataManager* m_mgr;  // not owned; null once the data is handed out
};

}  // namespace rep
