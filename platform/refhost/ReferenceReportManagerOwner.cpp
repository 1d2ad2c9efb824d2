#include "refhost/ReferenceReportManagerOwner.h"

#include "orvex/core/Assert.h"
#include "orvex/core/IVelmorCommand.h"
#include "orvex/core/VelmorCommandInfo.h"

namespace refhost {

ReferenceReportManagerOwner::ReferenceReportManagerOwner() = default;
ReferenceReportManagerOwner::~ReferenceReportManagerOwner() = default;

void ReferenceReportManagerOwner::AddContextedInfoToCmd(IVelmorCommand* cmd, VelmorCommandInfo* info, int source) {
  const bool reserved = source == cmdinfo::kOutputVariablesKind || source == cmdinfo::kRenameQuantitiesKind ||
                        source == cmdinfo::kProjectDatasetKind || source == cmdinfo::kDatasetKind;
  if (reserved) ORVEX_ASSERT(!"contexted info under a reserved kind");
  if (!cmd) {
    delete info;
    return;
  }
  ++m_infosAdded;
  cmd->AddInfo(source, info);
}

VelmorCommandInfo* ReferenceReportManagerOwner::GetContextedInfoFromCmd(IVelmorCommand* cmd, int source) const {
  return cmd ? cmd->GetInfo(source) : nullptr;
}

bool ReferenceReportManagerOwner::DoesReportKeepDigitalColumns(long reportID) {
  auto it = m_keepsDigital.find(reportID);
  return it != m_keepsDigital.end() && it->second;
}

}  // namespace refhost
