#include "orvex/values/Statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "RepTest.h"

TEST(Statistics, TableOfCases) {
  using S = val::Statistic;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double tiny = std::numeric_limits<double>::denorm_min();
  struct Case { std::vector<double> in; S stat; bool ok; double expected; const char* why; };
  const Case cases[] = {
      {{1e9 + 4, 1e9 + 7, 1e9 + 13, 1e9 + 16}, S::kVariance, true, 30.0, "large offset"},
      {{1e9 + 4, 1e9 + 7, 1e9 + 13, 1e9 + 16}, S::kMean, true, 1e9 + 10, "mean at an offset"},
      {{1e9 + 4, 1e9 + 7, 1e9 + 13, 1e9 + 16}, S::kStdDev, true, std::sqrt(30.0), "stddev"},
      {{}, S::kMean, false, 0, "empty"},
      {{}, S::kMax, false, 0, "empty max"},
      {{5}, S::kVariance, true, 0, "one value"},
      {{5}, S::kMedian, true, 5, "one median"},
      {{1, nan, 3}, S::kMean, true, nan, "NaN input"},
      {{1, nan, 3}, S::kMax, true, nan, "NaN max"},
      {{nan, 1, 3}, S::kMin, true, nan, "NaN min"},
      {{3, 1, 2}, S::kMedian, true, 2, "odd median"},
      {{4, 1, 3, 2}, S::kMedian, true, 2.5, "even median"},
      {{-1, 4, 2}, S::kPeakToPeak, true, 5, "peak to peak"},
      {{0.1, 0.2, 0.3}, S::kSum, true, 0.6, "compensated sum"},
      {{3, 4}, S::kRms, true, std::sqrt(12.5), "rms"},
      {{-7, 2}, S::kMax, true, 2, "max"},
      {{-7, 2}, S::kMin, true, -7, "min"},
      {{1e308, 1e308}, S::kMean, true, 1e308, "mean of values whose sum overflows"},
      {{1e308, 1e308, -1e308}, S::kSum, true, 1e308, "sum that overflows on the way only"},
      {{1e308, 1e308, -1e308, -1e308, 0.5}, S::kSum, true, 0.5, "lanes that overflow when added and cancel"},
      {{1e308, 1e308}, S::kSum, true, inf, "sum past the largest double"},
      {{1, inf, 3}, S::kMean, true, inf, "mean with +inf"},
      {{1, -inf, 3, 4, 5}, S::kSum, true, -inf, "sum with -inf, in the paired lanes"},
      {{1e308, 1e308, -inf}, S::kMean, true, -inf, "-inf after an overflow"},
      {{1, inf, -inf}, S::kMean, true, nan, "mean with +inf and -inf"},
      {{1e200, 1e200}, S::kRms, true, 1e200, "rms of values whose squares overflow"},
      {{0x1.8p601, 0x1p602}, S::kRms, true, std::ldexp(std::sqrt(12.5), 600), "rms scaled exactly"},
      {{1e-200, 1e-200}, S::kRms, true, 1e-200, "rms of values whose squares underflow"},
      {{3 * tiny, 4 * tiny}, S::kRms, true, 4 * tiny, "rms of subnormals"},
      {{0, -0.0}, S::kRms, true, 0, "rms of zeros"},
      {{1, -inf, 2, 3, 4}, S::kRms, true, inf, "rms with -inf"},
      {{1, inf, nan, 1e200}, S::kRms, true, nan, "rms with NaN and inf"},
      {{-1, 1 + 0x1p-52}, S::kMedian, true, 0x1p-53, "median straddling zero"},
      {{1, 1 + 0x1p-52, 1 + 0x1p-51, 3}, S::kMedian, true, 1 + 0x1p-51, "median rounded to even"},
      {{0x1.8p1023, 0x1.cp1023}, S::kMedian, true, 0x1.ap1023, "median of values whose sum overflows"},
      {{-0x1.8p1023, 0x1.cp1023}, S::kMedian, true, 0x1p1020, "median of values whose difference overflows"},
      {{3 * tiny, 2 * tiny}, S::kMedian, true, 2 * tiny, "median of subnormals, a tie to even"},
      {{-inf, inf}, S::kMedian, true, nan, "median of both infinities"},
      {{0x1p1022, -0x1p1022}, S::kVariance, true, inf, "variance past the largest double"},
      {{0x1p1022, -0x1p1022}, S::kStdDev, true, std::sqrt(2.0) * 0x1p1022, "stddev whose squares overflow"},
      {{1, inf}, S::kStdDev, true, nan, "stddev with inf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    double out = -1;
    EXPECT_EQ(c.ok, val::ComputeStatistic(c.stat, c.in.data(), c.in.size(), out));
    if (!c.ok) continue;
    if (std::isnan(c.expected)) {
      EXPECT_TRUE(std::isnan(out));
    } else {
      EXPECT_EQ(c.expected, out);
    }
  }
}

TEST(Statistics, ManyEqualValuesHaveNoSpread) {
  const std::vector<double> v(100000, 0.1);
  double var = -1;
  ASSERT_TRUE(val::ComputeStatistic(val::Statistic::kVariance, v.data(), v.size(), var));
  EXPECT_EQ(0.0, var);
  double mean = -1;
  ASSERT_TRUE(val::ComputeStatistic(val::Statistic::kMean, v.data(), v.size(), mean));
  EXPECT_EQ(0.1, mean);
}

// Huge terms that cancel leave the small ones exact, however many there are and wherever they
// fall: a plain running sum would lose every 1 beside 1e100.
TEST(Statistics, CompensatedSumsKeepSmallTermsBesideCancellingHugeOnes) {
  for (size_t n : {3u, 4u, 7u, 1001u, 4096u}) {
    SCOPED_TRACE(n);
    std::vector<double> v;
    double ones = 0;
    for (size_t i = 0; i < n; ++i) {
      const double term = i % 3 == 0 ? 1e100 : (i % 3 == 1 ? 1.0 : -1e100);
      v.push_back(term);
      ones += term == 1.0;
    }
    if (n % 3 != 0) v[n - n % 3] = 0;  // a 1e100 left without its partner
    double sum = -1;
    ASSERT_TRUE(val::ComputeStatistic(val::Statistic::kSum, v.data(), v.size(), sum));
    EXPECT_EQ(ones, sum);
    double mean = -1;
    ASSERT_TRUE(val::ComputeStatistic(val::Statistic::kMean, v.data(), v.size(), mean));
    EXPECT_EQ(ones / static_cast<double>(n), mean);
  }
}

// The extremes are the values max_element and min_element find, down to the sign of a zero.
TEST(Statistics, ExtremesAreTheFirstOfTheirKind) {
  const std::vector<std::vector<double>> inputs = {
      {-3, -1, -0.0, 0.0, -2, -5, -0.0, -7, -9},
      {-3, -1, 0.0, -0.0, -2, -5, 0.0, -7, -9},
      {3, 1, 0.0, -0.0, 2, 5, 0.0, 7, 9, 4},
      {5, 4, 3, 2, 1, 9, 9, 8, 7, 6, 5},
  };
  for (const std::vector<double>& v : inputs) {
    double max = 0, min = 0;
    ASSERT_TRUE(val::ComputeStatistic(val::Statistic::kMax, v.data(), v.size(), max));
    ASSERT_TRUE(val::ComputeStatistic(val::Statistic::kMin, v.data(), v.size(), min));
    const double expectedMax = *std::max_element(v.begin(), v.end());
    const double expectedMin = *std::min_element(v.begin(), v.end());
    EXPECT_EQ(expectedMax, max);
    EXPECT_EQ(std::signbit(expectedMax), std::signbit(max));
    EXPECT_EQ(expectedMin, min);
    EXPECT_EQ(std::signbit(expectedMin), std::signbit(min));
  }
}
