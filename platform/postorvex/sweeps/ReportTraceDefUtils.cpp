#include "postorvex/sweeps/ReportTraceDefUtils.h"

#include "orvex/core/Assert.h"
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
