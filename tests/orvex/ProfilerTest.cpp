#include "orvex/core/IMemoryTimeProfiler.h"

#include "RepTest.h"
#include "orvex/core/TestHooks.h"

using orvex::test::ProfilerEvent;

TEST(Profiler, RecordsNestedSections) {
  IMemoryTimeProfiler* p = IMemoryTimeProfiler::Instance();
  ASSERT_EQ(p, IMemoryTimeProfiler::Instance());
  p->BeginSection("TraceData::PopulateData");
  p->BeginSection("CentUpdTraceDefObject::NotifyOnLoad");
  EXPECT_EQ((std::vector<std::string>{"TraceData::PopulateData", "CentUpdTraceDefObject::NotifyOnLoad"}),
            orvex::test::Profiler().OpenSections());
  p->EndSection();
  p->EndSection();
  EXPECT_TRUE(orvex::test::Profiler().OpenSections().empty());
  const std::vector<ProfilerEvent> expected = {{true, "TraceData::PopulateData"},
                                               {true, "CentUpdTraceDefObject::NotifyOnLoad"},
                                               {false, ""},
                                               {false, ""}};
  EXPECT_EQ(expected, orvex::test::Profiler().Events());
}

TEST(Profiler, EndWithoutBeginIsRefused) {
  IMemoryTimeProfiler::Instance()->EndSection();
  EXPECT_SOFT_ASSERT("!\"EndSection without BeginSection\"");
  EXPECT_TRUE(orvex::test::Profiler().Events().empty());
}

TEST(Profiler, UnbalancedSectionIsReportedAsLeftOpen) {
  IMemoryTimeProfiler::Instance()->BeginSection("TraceDefinition::ValidateDefinition");
  const std::string left = orvex::test::CheckGlobalsLeftOpen();
  EXPECT_NE(std::string::npos, left.find("\"TraceDefinition::ValidateDefinition\"")) << left;
  EXPECT_TRUE(orvex::test::Profiler().OpenSections().empty());
}
