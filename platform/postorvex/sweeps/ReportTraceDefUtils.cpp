#include "postorvex/sweeps/ReportTraceDefUtils.h"

#include <vector>

#include "Gravik/IPointsetDefinition.h"
#include "Gravik/IReportManager.h"
#include "Gravik/ITraceComponentDefinition.h"
#include "Gravik/ITraceDefinition.h"
#include "orvex/core/Assert.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SweepBase.h"
#include "postorvex/variation/VariableValuesDefParams.h"
// Reached through the platform folder: the library does not link the header-only host target.
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"

bool ReportTraceDefUtils::GetSolutionSweeps(std::vector<SweepBase*>& out, long solutionID,
                                            ISolutionManagerForReports* solMgr, const SimValueContext& context,
                                            unsigned reportType) {
  ORVEX_ASSERT(solMgr);
  ISolutionForReports* solution = solMgr ? solMgr->GetSolution(solutionID) : nullptr;
  if (!solution) return false;
  solution->GetSweeps(out, context, reportType);
  return true;
}

namespace {

const rep::ITraceDefinition* FindComputedTrace(rep::IReportManager& mgr, long traceID) {
  return dynamic_cast<const rep::ITraceDefinition*>(mgr.GetTraceDefinition(traceID));
}

bool NamesOneOf(const AString& name, const std::vector<AString>& names) {
  for (const AString& n : names)
    if (n.CompareNoCase(name) == 0) return true;
  return false;
}

}  // namespace

bool ReportTraceDefUtils::DoesSolutionSupportNonFamilySweeps(long solutionID, const SimValueContext& context,
                                                             long traceID, rep::IReportManager& mgr,
                                                             ISolutionManagerForReports* solMgr,
                                                             bool exactlyThreeComponents) {
  const rep::ITraceDefinition* trace = FindComputedTrace(mgr, traceID);
  const rep::IPointsetDefinition* pointset = trace ? trace->GetPointsetDefinition() : nullptr;
  if (!pointset) return false;
  const unsigned reportType = trace->GetDesignSolutionDefinition().GetReportTypeSolutionDefinitionRef().GetReportType();
  std::vector<SweepBase*> sweeps;
  if (!GetSolutionSweeps(sweeps, solutionID, solMgr, context, reportType)) return false;
  std::vector<AString> sweepNames;
  for (const SweepBase* s : sweeps)
    if (s) sweepNames.push_back(s->GetName());

  std::vector<VariableValuesDefParams> families;
  pointset->GetVariableValuesDefParams(families);
  std::vector<AString> fixed;
  if (!families.empty()) families.front().GetVariableNames(fixed);

  unsigned swept = 0;
  for (const AbstractSubsweepDefParams* def : pointset->GetSubsweepDefParamsContainer()) {
    if (!def || NamesOneOf(def->GetSweepName(), fixed)) continue;
    if (!NamesOneOf(def->GetSweepName(), sweepNames)) return false;
    ++swept;
  }
  return !exactlyThreeComponents || swept >= 2;
}

bool ReportTraceDefUtils::DoesSolutionSupportTraceExpressions(long solutionID, const SimValueContext& context,
                                                              long traceID, rep::IReportManager& mgr) {
  const rep::ITraceDefinition* trace = FindComputedTrace(mgr, traceID);
  if (!trace) return false;
  const DesignSolutionDefinition own = trace->GetDesignSolutionDefinition();
  const DesignSolutionDefinition dsd(
      own.GetDesignID(), solutionID,
      ReportTypeSolutionDefinition(own.GetReportTypeSolutionDefinitionRef().GetReportType(), context));
  for (unsigned i = 0; i < trace->GetNumComponents(); ++i) {
    const rep::ITraceComponentDefinition* component = trace->GetComponent(i);
    if (!component) return false;
    std::vector<AString> quantities;
    if (!mgr.IsExpressionValid(component->GetExpression(), dsd, quantities)) return false;
  }
  return true;
}
