// Questions a trace definition asks about the solution it would be shown for.
#pragma once

#include <vector>

#include "orvex/core/OrvexApi.h"

class ISolutionManagerForReports;
class SimValueContext;
class SweepBase;
namespace rep {
class IReportManager;
}  // namespace rep

class POSTORVEX_API ReportTraceDefUtils {
public:
  // Appends the solution's sweeps for the context and report type; false when the manager has
  // no such solution.
  static bool GetSolutionSweeps(std::vector<SweepBase*>& out, long solutionID, ISolutionManagerForReports* solMgr,
                                const SimValueContext& context, unsigned reportType);
  // Every subsweep definition of the computed trace whose variable no family fixes names a sweep
  // that the solution shows under the context (case ignored); with `exactlyThreeComponents` at
  // least two such definitions are needed. False for an unknown trace or solution.
  static bool DoesSolutionSupportNonFamilySweeps(long solutionID, const SimValueContext& context, long traceID,
                                                 rep::IReportManager& mgr, ISolutionManagerForReports* solMgr,
                                                 bool exactlyThreeComponents);
  // Every component expression of the computed trace is valid for the solution under the context.
  static bool DoesSolutionSupportTraceExpressions(long solutionID, const SimValueContext& context, long traceID,
                                                  rep::IReportManager& mgr);
};
