#include "orvex/values/Interpolation.h"

#include <cmath>
#include <limits>

#include "RepTest.h"

TEST(Interpolation, SpecifiedTimes) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<double> x{0, 1, 2, 4};
  const std::vector<double> y{10, 20, 40, 0};
  struct Case { std::vector<long> orders; std::vector<double> xs; bool extrapolate; std::vector<double> expected; const char* why; };
  const Case cases[] = {
      {{1, 1, 1}, {0, 1, 2, 4}, false, {10, 20, 40, 0}, "exact points, ends included"},
      {{1, 1, 1}, {0.5, 3}, false, {15, 20}, "between points"},
      {{0, 0, 1}, {0.5, 1.5, 3}, false, {10, 20, 20}, "held segments"},
      {{0}, {0.5, 1.5, 3}, false, {10, 30, 20}, "a short order list counts the rest as linear"},
      {{}, {-1, 5, nan}, false, {nan, nan, nan}, "outside"},
      {{}, {-1, 5}, true, {0, -20}, "extrapolated"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::vector<double> out{99};
    ASSERT_TRUE(core::interp_specified_time(x, y, c.orders, c.xs, out, c.extrapolate));
    ASSERT_EQ(c.expected.size(), out.size());
    for (size_t i = 0; i < out.size(); ++i) {
      if (std::isnan(c.expected[i])) {
        EXPECT_TRUE(std::isnan(out[i]));
      } else {
        EXPECT_EQ(c.expected[i], out[i]);
      }
    }
  }
  std::vector<double> out{1};
  EXPECT_TRUE(core::interp_specified_time({1, 2, 2, 3}, {1, 2, 5, 3}, {}, {2, 2.5}, out, false));
  EXPECT_EQ((std::vector<double>{2, 4}), out);  // equal neighbours: the first answers
  EXPECT_FALSE(core::interp_specified_time({2, 1}, {1, 2}, {}, {1}, out, false));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(core::interp_specified_time({}, {}, {}, {1}, out, false));
  EXPECT_FALSE(core::interp_specified_time({1, 2}, {1}, {}, {1}, out, false));
  EXPECT_TRUE(core::interp_specified_time({5}, {7}, {}, {5, 6}, out, false));
  EXPECT_EQ(7.0, out[0]);
  EXPECT_TRUE(std::isnan(out[1]));
}

TEST(Interpolation, UniformResampling) {
  std::vector<double> xo{1}, yo{1};
  ASSERT_TRUE(core::interpolate_time_data({0, 10}, {0, 100}, {1}, 0, 10, 3, xo, yo));
  EXPECT_EQ((std::vector<double>{0, 5, 10}), xo);
  EXPECT_EQ((std::vector<double>{0, 50, 100}), yo);
  ASSERT_TRUE(core::interpolate_time_data({0, 10}, {0, 100}, {1}, 10, 0, 3, xo, yo));
  EXPECT_EQ((std::vector<double>{10, 5, 0}), xo);
  ASSERT_TRUE(core::interpolate_time_data({0, 10}, {0, 100}, {1}, 2, 20, 1, xo, yo));
  EXPECT_EQ(std::vector<double>{2}, xo);
  EXPECT_EQ(std::vector<double>{20}, yo);
  ASSERT_TRUE(core::interpolate_time_data({0, 10}, {0, 100}, {0}, 5, 12, 2, xo, yo));
  EXPECT_EQ(0.0, yo[0]);
  EXPECT_TRUE(std::isnan(yo[1]));
  EXPECT_FALSE(core::interpolate_time_data({0, 10}, {0, 100}, {}, 0, 10, 0, xo, yo));
  EXPECT_TRUE(xo.empty() && yo.empty());
  EXPECT_FALSE(core::interpolate_time_data({10, 0}, {0, 100}, {}, 0, 10, 3, xo, yo));
  EXPECT_TRUE(xo.empty() && yo.empty());
}
