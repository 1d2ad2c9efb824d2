// A design with one solution and reports of ten traces each, added as a host adds them.
#pragma once

#include <memory>
#include <vector>

#include "reports/PointsetDefinition.h"
#include "reports/ReportManager.h"
#include "reports/TraceDefinition.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "refhost/ReferenceReportManagerOwner.h"
#include "refhost/ReferenceSolutionManager.h"

namespace benchdata {

const int kTracesPerReport = 10;

struct Design {
  Design() {
    solutions.AddSolution(10, L"Run1");
    solutions.SetDesignOfInstance(1, 100);
    owner.SetDesignInstanceID(1);
    owner.SetSolutionManager(&solutions);
  }
  refhost::ReferenceReportManagerOwner owner;
  refhost::ReferenceSolutionManager solutions;
};

// Adds n reports of kTracesPerReport traces of these expressions, each through its own made-up
// report.
inline void AddReports(rep::ReportManager& mgr, long n, IVelmorCommand* cmd,
                       const std::vector<AString>& expressions = {L"S11"}) {
  const DesignSolutionDefinition dsd(100, 10, ReportTypeSolutionDefinition(1));
  rep::PointsetDefinition pointset;
  for (long r = 0; r < n; ++r) {
    std::vector<std::unique_ptr<rep::TraceDefinition>> traces;
    std::vector<rep::IBaseTraceDefinition*> raw;
    for (int t = 0; t < kTracesPerReport; ++t) {
      traces.push_back(
          std::make_unique<rep::TraceDefinition>(mgr, expressions, dsd, pointset, ExtTraceInfo(), 1, nullptr));
      raw.push_back(traces.back().get());
    }
    std::unique_ptr<rep::IReportDefinition> report = mgr.CreateReportDefinition(raw, L"Plot");
    mgr.AddReportDefinition(*report, cmd);
  }
}

}  // namespace benchdata
