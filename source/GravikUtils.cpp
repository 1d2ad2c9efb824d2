#include "GravikUtils.h"

#include <cmath>

#include "ReportDefinitionCmdInfo.h"
#include "host/IReportManagerOwner.h"
#include "host/ISolutionContextObject.h"
#include "host/ISolutionForReports.h"
#include "host/ISolutionManagerForReports.h"
#include "orvex/centupd/IDerivedDataDefinition.h"
#include "orvex/core/Assert.h"
#include "orvex/core/RenameQuantitiesCmdInfo.h"
#include "orvex/core/IVelmorCommand.h"
#include "orvex/core/Ids.h"
#include "orvex/core/IMessageManager.h"
#include "orvex/core/VelmorMessage.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

namespace rep {

bool IsNaN(double value) { return std::isnan(value); }

bool IsNaN(const AComplex<double>& value) { return IsNaN(value.real()) || IsNaN(value.imag()); }

bool IsNaN(const Value& value) {
  switch (value.GetParameterType()) {
    case 1:
      return IsNaN(value.GetValue());
    case 2:
      return IsNaN(value.GetComplexValue());
    default:
      ORVEX_ASSERT(0);
      return false;
  }
}

bool SetValueTextIfNotEmpty(Value& value, const AString& text, Units::FullUnitType unitType) {
  if (text.empty()) return true;
  return value.SetValueText(text, unitType);
}

bool IsDigitalParameterType(val::ParameterType type) { return type == 13 || type == 14 || type == 15; }

ReportDefinitionCmdInfo* GetOrCreateReportDefinitionCmdInfo(IVelmorCommand* cmd, IReportManagerOwner* owner) {
  // Without a command there is nothing to attach an info to, and the host may drop what it is given.
  if (!owner || !cmd) return nullptr;
  const int source = owner->GetCmdInfoSourceForReports();
  if (VelmorCommandInfo* existing = owner->GetContextedInfoFromCmd(cmd, source))
    return dynamic_cast<ReportDefinitionCmdInfo*>(existing);
  auto* info = new ReportDefinitionCmdInfo;
  owner->AddContextedInfoToCmd(cmd, info, source);
  return info;
}

bool MarkTracesUpdatedInCommand(IVelmorCommand* cmd, IReportManagerOwner* owner) {
  ReportDefinitionCmdInfo* info = cmd ? GetOrCreateReportDefinitionCmdInfo(cmd, owner) : nullptr;
  if (!info) {
    ORVEX_ASSERT(0);
    return false;
  }
  info->SetTracesUpdated(true);
  return true;
}

void PostReportMessage(int severity, int messageID, int secondID, const AString& argument) {
  VelmorMessage msg(severity, 14, messageID, secondID, 6, MessageManagerStrings::kNullStr,
                    MessageManagerStrings::kNullStr, false);
  msg.AddArg(argument, 0);
  GetGlobalIMessageManager()->PostMessage(msg);
}

bool IsQuantityRenamedByCommand(const IVelmorCommand* cmd, const AString& quantityName) {
  if (!cmd) return false;
  const auto* renames = dynamic_cast<const RenameQuantitiesCmdInfo*>(cmd->GetInfo(cmdinfo::kRenameQuantitiesKind));
  if (!renames) return false;
  if (cmd->IsDoing() || cmd->IsRedoing()) return renames->GetIsQuantityRenamedByOldName(quantityName);
  if (cmd->IsUndoing()) return renames->GetIsQuantityRenamedByNewName(quantityName);
  return false;
}

namespace {

enum class VersionKind { kPostprocessing, kSolutionContext };

long AskSolutionVersion(const ISolutionManagerForReports* solMgr, const DesignSolutionDefinition& dsd,
                        VersionKind kind) {
  ISolutionForReports* solution = solMgr ? solMgr->GetSolution(dsd.GetSolutionID()) : nullptr;
  if (!solution) return id::invalidID;
  ISolutionContextObject* context = nullptr;
  IDerivedDataDefinition* loadDef = nullptr;
  solution->BuildContextObjects(dsd.GetReportTypeSolutionDefinitionRef(), context, loadDef);
  long version = id::invalidID;
  if (loadDef) {
    version = kind == VersionKind::kPostprocessing ? solution->GetVersionIDForPostprocessing(*loadDef)
                                                   : solution->GetContextVersionID(*loadDef);
  }
  delete loadDef;
  delete context;
  return version;
}

}  // namespace

long GetVersionIDForPostprocessing(const ISolutionManagerForReports* solMgr, const DesignSolutionDefinition& dsd) {
  return AskSolutionVersion(solMgr, dsd, VersionKind::kPostprocessing);
}

long GetSolutionContextVersionID(const ISolutionManagerForReports* solMgr, const DesignSolutionDefinition& dsd) {
  return AskSolutionVersion(solMgr, dsd, VersionKind::kSolutionContext);
}

}  // namespace rep
