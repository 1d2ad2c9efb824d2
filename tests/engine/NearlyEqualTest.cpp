#include "quantities/NearlyEqual.h"

#include <limits>

#include "RepTest.h"

TEST(NearlyEqual, Table) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double a, b, rel, abs;
    bool equal;
    const char* why;
  };
  const Case cases[] = {
      {1.0, 1.0 + 1e-15, 1e-14, 0.0, true, "within the relative tolerance"},
      {1.0, 1.0 + 1e-13, 1e-14, 0.0, false, "outside the relative tolerance"},
      {1.0, 1.1, 1e-14, 0.0, false, "another version number"},
      {0.0, 1e-300, 1e-14, 0.0, false, "no absolute tolerance at zero"},
      {0.0, -0.0, 1e-14, 0.0, true, "signed zeros"},
      {0.0, 1e-20, 1e-14, 0.0, false, "only zero passes a zero marker"},
      {0.0, 1e-20, 1e-14, 1e-18, true, "both within the absolute tolerance"},
      {5.0, 5.5, 0.0, 0.5, true, "difference within the absolute tolerance"},
      {5.0, 5.5, 0.0, 0.4, false, "no relative tolerance"},
      {inf, inf, 1e-14, 0.0, true, "infinities of one sign"},
      {inf, -inf, 1e-14, 1e300, false, "infinities of two signs"},
      {nan, nan, 1e-14, 1e300, false, "NaN never equals"},
      {1.0, nan, 1e-14, 1e300, false, "NaN against a number"},
      {-1e6, -1e6 * (1 + 1e-15), 1e-14, 0.0, true, "scaled by the larger magnitude"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(c.equal, rep::IsNearlyEqual(c.a, c.b, c.rel, c.abs));
  }
  EXPECT_TRUE(rep::IsNearlyEqualScaled(1.0, 1.5, 100.0, 0.01, 0.0));
  EXPECT_FALSE(rep::IsNearlyEqualScaled(1.0, 1.5, 10.0, 0.01, 0.0));
}
