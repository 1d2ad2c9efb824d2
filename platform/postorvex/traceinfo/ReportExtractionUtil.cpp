#include "postorvex/traceinfo/ReportExtractionUtil.h"

#include "Gravik/IReportManager.h"
#include "orvex/core/Assert.h"
#include "orvex/core/IVelmorCommand.h"
#include "orvex/core/VelmorCommandInfo.h"

namespace {

ReportExtractionUtil::ReportManagerCreator g_creator = nullptr;

}  // namespace

ReportExtractionUtil::ReportManagerCreator ReportExtractionUtil::SetReportManagerCreator(ReportManagerCreator creator) {
  ReportManagerCreator previous = g_creator;
  g_creator = creator;
  return previous;
}

ReportExtractionUtil::ReportManagerCreator ReportExtractionUtil::GetReportManagerCreator() { return g_creator; }

ReportExtractionUtil::InstalledCreator::InstalledCreator(ReportManagerCreator creator)
    : m_previous(SetReportManagerCreator(creator)), m_mine(creator) {}

ReportExtractionUtil::InstalledCreator::~InstalledCreator() {
  ReportManagerCreator out = SetReportManagerCreator(m_previous);
  // A nested scope that forgot to restore would leave another copy's creator behind.
  ORVEX_ASSERT(out == m_mine);
}

ReportExtractionUtil::ReportExtractionUtil(ISolutionManagerForReports* solMgr, IOutputVariableMgr* outputVariables,
                                           ISimValueCache* cache, long designInstanceID)
    : m_solMgr(solMgr), m_outputVariables(outputVariables), m_cache(cache), m_designInstanceID(designInstanceID) {
  if (!g_creator) {
    ORVEX_ASSERT(!"no report manager creator");
    return;
  }
  m_mgr.reset(g_creator(this));
}

ReportExtractionUtil::~ReportExtractionUtil() = default;

void ReportExtractionUtil::AddContextedInfoToCmd(IVelmorCommand* cmd, VelmorCommandInfo* info, int source) {
  const bool reserved = source == cmdinfo::kOutputVariablesKind || source == cmdinfo::kRenameQuantitiesKind ||
                        source == cmdinfo::kProjectDatasetKind || source == cmdinfo::kDatasetKind;
  if (reserved) ORVEX_ASSERT(!"contexted info under a reserved kind");
  if (!cmd) {
    delete info;
    return;
  }
  cmd->AddInfo(source, info);
}

VelmorCommandInfo* ReportExtractionUtil::GetContextedInfoFromCmd(IVelmorCommand* cmd, int source) const {
  return cmd ? cmd->GetInfo(source) : nullptr;
}
