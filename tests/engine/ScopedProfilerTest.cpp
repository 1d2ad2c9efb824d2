#include "quantities/ScopedProfiler.h"

#include "RepTest.h"
#include "orvex/core/IMemoryTimeProfiler.h"

using orvex::test::ProfilerEvent;

TEST(ScopedProfiler, OpensItsSectionForItsLifetimeAndNests) {
  orvex::test::Profiler().ClearEvents();
  {
    std::string label = "TraceData::PopulateData";
    ScopedProfiler outer(label);
    label = "changed";  // the scope keeps its own copy
    ScopedProfiler inner("PopulateTraceDataVisitor::VisitCurve");
    EXPECT_EQ((std::vector<std::string>{"TraceData::PopulateData", "PopulateTraceDataVisitor::VisitCurve"}),
              orvex::test::Profiler().OpenSections());
  }
  EXPECT_TRUE(orvex::test::Profiler().OpenSections().empty());
  const std::vector<ProfilerEvent> expected = {{true, "TraceData::PopulateData"},
                                               {true, "PopulateTraceDataVisitor::VisitCurve"},
                                               {false, ""},
                                               {false, ""}};
  EXPECT_EQ(expected, orvex::test::Profiler().Events());
}
