// Fixes a pasted computed trace up for the target design: the solution to show it and a point
// set rebuilt against that solution's sweeps, both told to the paste listener.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "postorvex/solution/SimValueContext.h"

class IReportPasteListener;
class IVelmorCommand;

namespace rep {

class PointsetDefinition;
class ReportManager;
class TraceDefinition;

class TraceDefinitionPasteHelper {
public:
  explicit TraceDefinitionPasteHelper(TraceDefinition& trace) : m_trace(&trace) {}

  // True when the trace was fixed up or no solution was chosen; false when no solution of the
  // target can show it or its point set cannot be rebuilt; false at once, reporting nothing,
  // when it has no point set (or one without subsweep definitions). The command is
  // not used.
  virtual bool FixUpPastedTraceDefinition(ReportManager& target, IReportPasteListener* listener,
                                          IVelmorCommand* cmd);

  // A solution ID with the context under which that solution shows the trace.
  typedef std::pair<long, SimValueContext> Candidate;

private:
  void CollectCandidates(std::vector<Candidate>& out, ReportManager& target, IReportPasteListener& listener) const;
  void ChooseTargetSolution(long& solutionID, SimValueContext& context, const std::vector<Candidate>& candidates,
                            IReportPasteListener& listener) const;
  std::unique_ptr<PointsetDefinition> RebuildPointset(long solutionID, const SimValueContext& context,
                                                      ReportManager& target) const;

  TraceDefinition* m_trace;  // the pasted trace; not owned
};

}  // namespace rep
