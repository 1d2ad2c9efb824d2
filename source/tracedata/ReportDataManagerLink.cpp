#include "tracedata/ReportDataManagerLink.h"

#include "tracedata/ReportDataManager.h"
#include "orvex/core/Assert.h"

namespace rep {

ReportDataManagerLink::~ReportDataManagerLink() = default;

void ReportDataManagerLink::DetachFromReportDataManager() {
  m_mgr = nullptr;
  OnDetachedFromReportDataManager();
}

ReportDataManager& ReportDataManagerLink::LinkedDataManager() const {
  if (m_mgr) return *m_mgr;
  ORVEX_ASSERT(m_mgr);
  static ReportDataManager orphans(nullptr);
  return orphans;
}

ReportManager* ReportDataManagerLink::Manager() const {
  ORVEX_ASSERT(m_mgr);
  return m_mgr ? m_mgr->GetManager() : nullptr;
}

}  // namespace rep
