#include <cmath>
#include <limits>
#include <map>

#include "RepTest.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

TEST(SimValueContext, DefaultIsTheStartingContext) {
  SimValueContext c;
  EXPECT_EQ(c, SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0));
  EXPECT_EQ(3, c.GetInt(0));
  EXPECT_EQ(2, c.GetInt(2));
  EXPECT_EQ(1.0, c.GetDouble(1));
  EXPECT_EQ(0.0, c.GetDouble(3));
}

TEST(SimValueContext, IndexOutOfRangeAssertsAndAnswersZero) {
  SimValueContext c(7, 7, 7, 7, 9.0, 9.0, 9.0, 9.0);
  EXPECT_EQ(0, c.GetInt(4));
  EXPECT_SOFT_ASSERT("!\"SimValueContext int index out of range\"");
  EXPECT_EQ(0, c.GetInt(-1));
  EXPECT_SOFT_ASSERT("!\"SimValueContext int index out of range\"");
  EXPECT_EQ(0.0, c.GetDouble(4));
  EXPECT_SOFT_ASSERT("!\"SimValueContext double index out of range\"");
}

// Contexts key maps: the order must be strict and weak, and agree with ==, even with NaN.
TEST(SimValueContext, OrderIsLexicographicAndTotal) {
  const SimValueContext ordered[] = {
      SimValueContext(0, 9, 9, 9, 9, 9, 9, 9),
      SimValueContext(1, 0, 0, 0, kNaN, 0, 0, 0),
      SimValueContext(1, 0, 0, 0, -1e300, 0, 0, 0),
      SimValueContext(1, 0, 0, 0, 0.0, 0, 0, 0),
      SimValueContext(1, 0, 0, 0, 0.0, 0, 0, 1e-300),
      SimValueContext(1, 0, 0, 0, 0.0, 0, 0, std::nextafter(1e-300, 1.0)),
      SimValueContext(1, 0, 0, 1, -5, 0, 0, 0),
  };
  const size_t n = sizeof(ordered) / sizeof(ordered[0]);
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = 0; j < n; ++j) {
      SCOPED_TRACE(testing::Message() << i << " vs " << j);
      EXPECT_EQ(i < j, ordered[i] < ordered[j]);
      EXPECT_EQ(i == j, ordered[i] == ordered[j]);
    }
  }
  EXPECT_EQ(SimValueContext(1, 0, 0, 0, kNaN, 0, 0, 0), SimValueContext(1, 0, 0, 0, -kNaN, 0, 0, 0));
}

TEST(ReportTypeSolutionDefinition, OrdersByReportTypeThenContext) {
  ReportTypeSolutionDefinition a(1, SimValueContext(9, 0, 0, 0, 0, 0, 0, 0));
  ReportTypeSolutionDefinition b(2, SimValueContext(0, 0, 0, 0, 0, 0, 0, 0));
  ReportTypeSolutionDefinition c(2, SimValueContext(1, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_TRUE(a < b);
  EXPECT_TRUE(b < c);
  EXPECT_FALSE(c < b);
  EXPECT_TRUE(b.Matches(ReportTypeSolutionDefinition(2, SimValueContext(0, 0, 0, 0, 0, 0, 0, 0))));
  EXPECT_FALSE(b.Matches(c));

  std::map<ReportTypeSolutionDefinition, int> m{{a, 1}, {b, 2}, {c, 3}};
  EXPECT_EQ(3u, m.size());
  EXPECT_EQ(2, m[ReportTypeSolutionDefinition(2, SimValueContext(0, 0, 0, 0, 0, 0, 0, 0))]);

  ReportTypeSolutionDefinition d;
  EXPECT_EQ(0u, d.GetReportType());
  EXPECT_EQ(SimValueContext(), d.GetSimValueContextRef());
  d.SetSimValueContext(c.GetSimValueContext());
  EXPECT_EQ(c.GetSimValueContextRef(), d.GetSimValueContextRef());
}

TEST(DesignSolutionDefinition, DefaultAndOrder) {
  DesignSolutionDefinition d;
  EXPECT_EQ(-1, d.GetDesignID());
  EXPECT_EQ(-1, d.GetSolutionID());
  EXPECT_EQ(ReportTypeSolutionDefinition(), d.GetReportTypeSolutionDefinitionRef());

  const DesignSolutionDefinition ordered[] = {
      DesignSolutionDefinition(1, 9, ReportTypeSolutionDefinition(9)),
      DesignSolutionDefinition(2, 1, ReportTypeSolutionDefinition(9)),
      DesignSolutionDefinition(2, 2, ReportTypeSolutionDefinition(0)),
      DesignSolutionDefinition(2, 2, ReportTypeSolutionDefinition(1)),
  };
  for (size_t i = 0; i < 4; ++i)
    for (size_t j = 0; j < 4; ++j) {
      EXPECT_EQ(i < j, ordered[i] < ordered[j]) << i << " vs " << j;
      EXPECT_EQ(i == j, ordered[i] == ordered[j]) << i << " vs " << j;
    }
}
