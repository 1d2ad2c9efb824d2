#include "orvex/values/Statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace val {

namespace {

// Neumaier's compensated sum.
class CompensatedSum {
public:
  void Add(double x) {
    double t = m_sum + x;
    m_comp += std::fabs(m_sum) >= std::fabs(x) ? (m_sum - t) + x : (x - t) + m_sum;
    m_sum = t;
  }
  double Result() const { return m_sum + m_comp; }

private:
  double m_sum = 0;
  double m_comp = 0;
};

bool AnyNaN(const double* v, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (std::isnan(v[i])) return true;
  return false;
}

double Mean(const double* v, size_t n) {
  CompensatedSum s;
  for (size_t i = 0; i < n; ++i) s.Add(v[i]);
  return s.Result() / static_cast<double>(n);
}

double Variance(const double* v, size_t n) {
  if (n < 2) return 0.0;
  // Shifting by the first value keeps the squares small when all values sit near a large offset.
  const double x0 = v[0];
  CompensatedSum s;
  for (size_t i = 0; i < n; ++i) s.Add(v[i] - x0);
  const double m = s.Result() / static_cast<double>(n);
  CompensatedSum sq;
  for (size_t i = 0; i < n; ++i) {
    double d = (v[i] - x0) - m;
    sq.Add(d * d);
  }
  return sq.Result() / static_cast<double>(n - 1);
}

double Median(const double* v, size_t n) {
  std::vector<double> c(v, v + n);
  size_t mid = n / 2;
  std::nth_element(c.begin(), c.begin() + mid, c.end());
  double hi = c[mid];
  if (n % 2 == 1) return hi;
  double lo = *std::max_element(c.begin(), c.begin() + mid);
  return lo + (hi - lo) / 2;
}

}  // namespace

bool ComputeStatistic(Statistic s, const double* v, size_t n, double& out) {
  if (n == 0 || !v) return false;
  if (AnyNaN(v, n)) {
    out = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  switch (s) {
    case Statistic::kMax: out = *std::max_element(v, v + n); break;
    case Statistic::kMin: out = *std::min_element(v, v + n); break;
    case Statistic::kPeakToPeak: out = *std::max_element(v, v + n) - *std::min_element(v, v + n); break;
    case Statistic::kMean: out = Mean(v, n); break;
    case Statistic::kVariance: out = Variance(v, n); break;
    case Statistic::kStdDev: out = std::sqrt(Variance(v, n)); break;
    case Statistic::kMedian: out = Median(v, n); break;
    case Statistic::kSum: {
      CompensatedSum sum;
      for (size_t i = 0; i < n; ++i) sum.Add(v[i]);
      out = sum.Result();
      break;
    }
    case Statistic::kRms: {
      CompensatedSum sum;
      for (size_t i = 0; i < n; ++i) sum.Add(v[i] * v[i]);
      out = std::sqrt(sum.Result() / static_cast<double>(n));
      break;
    }
  }
  return true;
}

}  // namespace val
