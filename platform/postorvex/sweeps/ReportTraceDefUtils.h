// Questions a trace definition asks about the solution it would be shown for.
#pragma once

#include <vector>

#include "orvex/core/OrvexApi.h"

class ISolutionManagerForReports;
class SimValueContext;
class SweepBase;

class POSTORVEX_API ReportTraceDefUtils {
public:
  // Appends the solution's sweeps for the context and report type; false when the manager has
  // no such solution.
  static bool GetSolutionSweeps(std::vector<SweepBase*>& out, long solutionID, ISolutionManagerForReports* solMgr,
                                const SimValueContext& context, unsigned reportType);
};
