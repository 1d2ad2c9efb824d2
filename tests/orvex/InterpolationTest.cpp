#include "orvex/values/Interpolation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

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

// The in-place form must answer what the vector form answers, bit for bit, for every kind of
// curve and range: held and linear segments, equal neighbours, NaN values, short order lists,
// ranges reaching outside the curve, descending ranges and single points.
TEST(Interpolation, InPlaceFormMatchesTheVectorFormBitForBit) {
  std::mt19937 random(15);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int trial = 0; trial < 2000; ++trial) {
    SCOPED_TRACE(trial);
    const size_t n = 1 + random() % 40;
    std::vector<double> x, y;
    double at = unit(random) * 10 - 5;
    for (size_t k = 0; k < n; ++k) {
      if (unit(random) > 0.1) at += unit(random);  // sometimes equal neighbours
      x.push_back(at);
      y.push_back(unit(random) < 0.05 ? std::numeric_limits<double>::quiet_NaN() : unit(random) * 1e3 - 500);
    }
    std::vector<long> longOrders;
    std::vector<char> charOrders;
    const size_t numOrders = random() % (n + 2);
    for (size_t k = 0; k < numOrders; ++k) {
      longOrders.push_back(unit(random) < 0.3 ? 0 : 1 + random() % 3);
      charOrders.push_back(static_cast<char>(longOrders.back()));
    }
    const double lo = x.front() - 1 + unit(random) * (x.back() - x.front() + 2);
    const double hi = unit(random) < 0.1 ? lo - unit(random) : lo + unit(random) * (x.back() - x.front() + 1);
    const int numPoints = 1 + static_cast<int>(random() % 60);

    std::vector<double> xo, yo;
    ASSERT_TRUE(core::interpolate_time_data(x, y, longOrders, lo, hi, numPoints, xo, yo));
    std::vector<double> xl(numPoints), yl(numPoints), xc(numPoints), yc(numPoints);
    ASSERT_TRUE(core::interpolate_time_data_in_place(x.data(), y.data(), n, longOrders.data(), numOrders, lo, hi,
                                                     numPoints, xl.data(), yl.data()));
    ASSERT_TRUE(core::interpolate_time_data_in_place(x.data(), y.data(), n, charOrders.data(), numOrders, lo, hi,
                                                     numPoints, xc.data(), yc.data()));
    const size_t bytes = numPoints * sizeof(double);
    EXPECT_EQ(0, std::memcmp(xo.data(), xl.data(), bytes));
    EXPECT_EQ(0, std::memcmp(yo.data(), yl.data(), bytes));
    EXPECT_EQ(0, std::memcmp(xo.data(), xc.data(), bytes));
    EXPECT_EQ(0, std::memcmp(yo.data(), yc.data(), bytes));

    // Targets in any order, NaN among them, against interp_specified_time.
    std::vector<double> xs(1 + random() % 30);
    for (double& at : xs)
      at = unit(random) < 0.05 ? std::numeric_limits<double>::quiet_NaN()
                               : x.front() - 1 + unit(random) * (x.back() - x.front() + 2);
    if (trial % 2) std::sort(xs.begin(), xs.end());
    std::vector<double> expected, actual(xs.size());
    ASSERT_TRUE(core::interp_specified_time(x, y, longOrders, xs, expected, false));
    ASSERT_TRUE(core::interp_specified_time_in_place(x.data(), y.data(), n, charOrders.data(), numOrders, xs.data(),
                                                     xs.size(), actual.data()));
    EXPECT_EQ(0, std::memcmp(expected.data(), actual.data(), xs.size() * sizeof(double)));
  }
}

TEST(Interpolation, InPlaceFormRefusesWhatTheVectorFormRefuses) {
  const double x[] = {0, 2, 1}, y[] = {1, 2, 3};
  double xo[2] = {7, 7}, yo[2] = {7, 7};
  EXPECT_FALSE(core::interpolate_time_data_in_place(x, y, 3, static_cast<const long*>(nullptr), 0, 0, 1, 2, xo, yo));
  EXPECT_FALSE(core::interpolate_time_data_in_place(x, y, 0, static_cast<const long*>(nullptr), 0, 0, 1, 2, xo, yo));
  EXPECT_FALSE(core::interpolate_time_data_in_place(x, y, 2, static_cast<const long*>(nullptr), 0, 0, 1, 0, xo, yo));
  EXPECT_FALSE(core::interp_specified_time_in_place(x, y, 3, static_cast<const char*>(nullptr), 0, xo, 2, yo));
  // A long curve descending (or not a number) anywhere, near the values looked up or far past them.
  std::vector<double> far(2000), farY(2000, 1.0);
  for (size_t k = 0; k < far.size(); ++k) far[k] = static_cast<double>(k);
  const long* linear = nullptr;
  const double at[] = {0.5, 600.5};
  for (size_t j : {1u, 2u, 511u, 512u, 513u, 514u, 1024u, 1500u, 1999u}) {
    SCOPED_TRACE(j);
    for (double wrong : {far[j - 1] - 0.5, std::numeric_limits<double>::quiet_NaN()}) {
      std::swap(far[j], wrong);
      EXPECT_FALSE(core::interp_specified_time_in_place(far.data(), farY.data(), far.size(), linear, 0, at, 2, yo));
      std::swap(far[j], wrong);
    }
  }
  EXPECT_TRUE(core::interp_specified_time_in_place(far.data(), farY.data(), far.size(), linear, 0, at, 2, yo));
  ASSERT_TRUE(core::interpolate_time_data_in_place(x, y, 2, static_cast<const long*>(nullptr), 0, 0, 2, 2, xo, yo));
  EXPECT_EQ(2.0, yo[1]) << "no orders: linear";
}
