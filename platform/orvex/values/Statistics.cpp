#include "orvex/values/Statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace val {

namespace {

// Neumaier's compensated sum.
class CompensatedSum {
public:
  CompensatedSum() = default;
  CompensatedSum(double sum, double comp) : m_sum(sum), m_comp(comp) {}
  void Add(const CompensatedSum& other) {
    Add(other.m_sum);
    Add(other.m_comp);
  }
  void Add(double x) {
    double t = m_sum + x;
    // Past the range there is no rounding error to keep, and inf - inf would spoil the result.
    if (std::isfinite(t)) m_comp += std::fabs(m_sum) >= std::fabs(x) ? (m_sum - t) + x : (x - t) + m_sum;
    m_sum = t;
  }
  double Result() const { return m_sum + m_comp; }
  CompensatedSum Scaled(double factor) const { return CompensatedSum(m_sum * factor, m_comp * factor); }

private:
  double m_sum = 0;
  double m_comp = 0;
};

#if defined(__SSE2__)
// Two compensated sums in one register, each doing what CompensatedSum::Add does.
class CompensatedPair {
public:
  void Add(__m128d x) {
    const __m128d t = _mm_add_pd(m_sum, x);
    const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffffLL));
    const __m128d sumLarger = _mm_cmpge_pd(_mm_and_pd(m_sum, magnitude), _mm_and_pd(x, magnitude));
    const __m128d ifLarger = _mm_add_pd(_mm_sub_pd(m_sum, t), x);
    const __m128d otherwise = _mm_add_pd(_mm_sub_pd(x, t), m_sum);
    m_comp = _mm_add_pd(m_comp, _mm_or_pd(_mm_and_pd(sumLarger, ifLarger), _mm_andnot_pd(sumLarger, otherwise)));
    m_sum = t;
  }
  void Split(CompensatedSum& first, CompensatedSum& second) const {
    double sums[2], comps[2];
    _mm_storeu_pd(sums, m_sum);
    _mm_storeu_pd(comps, m_comp);
    first = CompensatedSum(sums[0], comps[0]);
    second = CompensatedSum(sums[1], comps[1]);
  }

private:
  __m128d m_sum = _mm_setzero_pd();
  __m128d m_comp = _mm_setzero_pd();
};
#endif

// The terms summed: each gives term i, and with SSE2 terms i and i + 1 at once.
struct Values {
  double operator()(size_t i) const { return v[i]; }
#if defined(__SSE2__)
  __m128d Pair(size_t i) const { return _mm_loadu_pd(v + i); }
#endif
  const double* v;
};

struct Squares {
  double operator()(size_t i) const { return v[i] * v[i]; }
#if defined(__SSE2__)
  __m128d Pair(size_t i) const {
    const __m128d x = _mm_loadu_pd(v + i);
    return _mm_mul_pd(x, x);
  }
#endif
  const double* v;
};

// Squares of the values scaled by a power of two, which keeps them in range and exact.
struct ScaledSquares {
  double operator()(size_t i) const {
    const double x = v[i] * scale;
    return x * x;
  }
#if defined(__SSE2__)
  __m128d Pair(size_t i) const {
    const __m128d x = _mm_mul_pd(_mm_loadu_pd(v + i), _mm_set1_pd(scale));
    return _mm_mul_pd(x, x);
  }
#endif
  const double* v;
  double scale;
};

struct Shifted {
  double operator()(size_t i) const { return v[i] - x0; }
#if defined(__SSE2__)
  __m128d Pair(size_t i) const { return _mm_sub_pd(_mm_loadu_pd(v + i), _mm_set1_pd(x0)); }
#endif
  const double* v;
  double x0;
};

struct SquaredDeviations {
  double operator()(size_t i) const {
    const double d = (v[i] - x0) - m;
    return d * d;
  }
#if defined(__SSE2__)
  __m128d Pair(size_t i) const {
    const __m128d d = _mm_sub_pd(_mm_sub_pd(_mm_loadu_pd(v + i), _mm_set1_pd(x0)), _mm_set1_pd(m));
    return _mm_mul_pd(d, d);
  }
#endif
  const double* v;
  double x0, m;
};

// Four compensated sums over every fourth term, added up compensated: as accurate as one, and the
// four run side by side instead of waiting on each other.
template <class Term>
double CompensatedTotal(size_t n, const Term& term) {
  CompensatedSum lane[4];
  size_t i = 0;
#if defined(__SSE2__)
  CompensatedPair low, high;  // lanes 0 and 1, 2 and 3
  for (; i + 4 <= n; i += 4) {
    low.Add(term.Pair(i));
    high.Add(term.Pair(i + 2));
  }
  low.Split(lane[0], lane[1]);
  high.Split(lane[2], lane[3]);
#else
  for (; i + 4 <= n; i += 4) {
    lane[0].Add(term(i));
    lane[1].Add(term(i + 1));
    lane[2].Add(term(i + 2));
    lane[3].Add(term(i + 3));
  }
#endif
  for (; i < n; ++i) lane[0].Add(term(i));
  CompensatedSum total;
  for (const CompensatedSum& l : lane) total.Add(l);
  return total.Result();
}

bool AnyNaN(const double* v, size_t n) {
  size_t i = 0;
#if defined(__SSE2__)
  // Without an exit per value: a block of them is looked at together.
  __m128d unordered = _mm_setzero_pd();
  for (; i + 2 <= n; i += 2) {
    const __m128d x = _mm_loadu_pd(v + i);
    unordered = _mm_or_pd(unordered, _mm_cmpunord_pd(x, x));
  }
  if (_mm_movemask_pd(unordered)) return true;
#endif
  for (; i < n; ++i)
    if (std::isnan(v[i])) return true;
  return false;
}

// When a total comes out infinite or NaN, the infinite values decide it if there are any: NaN when
// both signs meet (or a value is NaN), else the sign of those there are. False when all are finite.
bool TotalOfInfinities(const double* v, size_t n, double& out) {
  bool positive = false, negative = false;
  for (size_t i = 0; i < n; ++i) {
    if (std::isnan(v[i])) {
      out = std::numeric_limits<double>::quiet_NaN();
      return true;
    }
    positive |= v[i] == std::numeric_limits<double>::infinity();
    negative |= v[i] == -std::numeric_limits<double>::infinity();
  }
  if (!positive && !negative) return false;
  out = positive && negative ? std::numeric_limits<double>::quiet_NaN()
                             : (positive ? 1 : -1) * std::numeric_limits<double>::infinity();
  return true;
}

// Finite values whose running sum overflowed: those of magnitude 1 and above are summed scaled by
// 2^-64, where no sum of them overflows and no bit is lost; the others as they are.
double RescaledQuotient(const double* v, size_t n, double divisor) {
  constexpr double kDown = 0x1p-64, kUp = 0x1p64;
  CompensatedSum large, small;
  for (size_t i = 0; i < n; ++i) {
    if (std::fabs(v[i]) >= 1)
      large.Add(v[i] * kDown);
    else
      small.Add(v[i]);
  }
  const double scaled = large.Result();
  // A total past the range: the small values cannot bring it back, only the divisor can.
  if (!std::isfinite(scaled * kUp)) return scaled / divisor * kUp;
  CompensatedSum total = large.Scaled(kUp);
  total.Add(small);
  return total.Result() / divisor;
}

// The compensated total over `divisor`; infinite or NaN only when the exact quotient is.
double Quotient(const double* v, size_t n, double divisor) {
  const double q = CompensatedTotal(n, Values{v}) / divisor;
  if (std::isfinite(q)) return q;
  double infinite = 0;
  if (TotalOfInfinities(v, n, infinite)) return infinite;
  return RescaledQuotient(v, n, divisor);
}

double Mean(const double* v, size_t n) { return Quotient(v, n, static_cast<double>(n)); }

double Rms(const double* v, size_t n) {
  const double mean = CompensatedTotal(n, Squares{v}) / static_cast<double>(n);
  if (std::isfinite(mean) && mean >= 0x1p-969) return std::sqrt(mean);
  // Squares that overflowed, or fell below the normal range where they lose bits: the values are
  // scaled before squaring.
  double largest = 0;
  for (size_t i = 0; i < n; ++i) {
    if (std::isnan(v[i])) return v[i];
    largest = std::max(largest, std::fabs(v[i]));
  }
  if (largest == 0 || std::isinf(largest)) return largest;
  // 2^k brings the largest value near 1; both 2^k and 2^-k stay normal.
  const int k = std::clamp(-std::ilogb(largest), -1022, 1022);
  const double scaled = CompensatedTotal(n, ScaledSquares{v, std::ldexp(1.0, k)}) / static_cast<double>(n);
  return std::sqrt(scaled) * std::ldexp(1.0, -k);
}

double Variance(const double* v, size_t n) {
  if (n < 2) return 0.0;
  // Shifting by the first value keeps the squares small when all values sit near a large offset.
  const double x0 = v[0];
  const double m = CompensatedTotal(n, Shifted{v, x0}) / static_cast<double>(n);
  return CompensatedTotal(n, SquaredDeviations{v, x0, m}) / static_cast<double>(n - 1);
}

// A variance past the range can still have its root within it: the values are then scaled by a
// power of two, exact, before their deviations are squared, as for rms.
double StdDev(const double* v, size_t n) {
  const double variance = Variance(v, n);
  if (std::isfinite(variance)) return std::sqrt(variance);
  double largest = 0;
  for (size_t i = 0; i < n; ++i) {
    if (!std::isfinite(v[i])) return std::sqrt(variance);
    largest = std::max(largest, std::fabs(v[i]));
  }
  const int k = std::clamp(-std::ilogb(largest), -1022, 1022);
  std::vector<double> scaled(v, v + n);
  for (double& x : scaled) x = std::ldexp(x, k);
  return std::sqrt(Variance(scaled.data(), n)) * std::ldexp(1.0, -k);
}

// The first of the largest (or smallest) values, as max_element and min_element find it. Equal
// values can differ only as zeros do, so the sign of a zero result is the first zero's. No NaN is
// given.
template <bool kLargest>
double Extreme(const double* v, size_t n) {
  auto better = [](double a, double b) { return kLargest ? a > b : a < b; };
  double e = v[0];
  size_t i = 1;
#if defined(__SSE2__)
  if (n >= 8) {
    __m128d low = _mm_loadu_pd(v), high = _mm_loadu_pd(v + 2);
    for (i = 4; i + 4 <= n; i += 4) {
      const __m128d a = _mm_loadu_pd(v + i), b = _mm_loadu_pd(v + i + 2);
      low = kLargest ? _mm_max_pd(low, a) : _mm_min_pd(low, a);
      high = kLargest ? _mm_max_pd(high, b) : _mm_min_pd(high, b);
    }
    double lanes[4];
    _mm_storeu_pd(lanes, low);
    _mm_storeu_pd(lanes + 2, high);
    e = lanes[0];
    for (size_t k = 1; k < 4; ++k)
      if (better(lanes[k], e)) e = lanes[k];
  }
#endif
  for (; i < n; ++i)
    if (better(v[i], e)) e = v[i];
  if (e == 0) {
    for (size_t j = 0; j < n; ++j)
      if (v[j] == 0) return v[j];
  }
  return e;
}

double Max(const double* v, size_t n) { return Extreme<true>(v, n); }

double Min(const double* v, size_t n) { return Extreme<false>(v, n); }

double Median(const double* v, size_t n) {
  std::vector<double> c(v, v + n);
  size_t mid = n / 2;
  std::nth_element(c.begin(), c.begin() + mid, c.end());
  double hi = c[mid];
  if (n % 2 == 1) return hi;
  double lo = *std::max_element(c.begin(), c.begin() + mid);
  // Halving is exact, so the rounded sum halved is the mean correctly rounded; halves first where
  // the sum alone overflows.
  const double sum = lo + hi;
  if (std::isinf(sum) && std::isfinite(lo) && std::isfinite(hi)) return lo / 2 + hi / 2;
  return sum / 2;
}

}  // namespace

bool ComputeStatistic(Statistic s, const double* v, size_t n, double& out) {
  if (n == 0 || !v) return false;
  // Sums carry a NaN through to their result by themselves.
  const bool summed = s == Statistic::kMean || s == Statistic::kVariance || s == Statistic::kStdDev ||
                      s == Statistic::kSum || s == Statistic::kRms;
  if ((!summed || n < 2) && AnyNaN(v, n)) {
    out = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  switch (s) {
    case Statistic::kMax: out = Max(v, n); break;
    case Statistic::kMin: out = Min(v, n); break;
    case Statistic::kPeakToPeak: out = Max(v, n) - Min(v, n); break;
    case Statistic::kMean: out = Mean(v, n); break;
    case Statistic::kVariance: out = Variance(v, n); break;
    case Statistic::kStdDev: out = StdDev(v, n); break;
    case Statistic::kMedian: out = Median(v, n); break;
    case Statistic::kSum: out = Quotient(v, n, 1); break;
    case Statistic::kRms: out = Rms(v, n); break;
  }
  return true;
}

}  // namespace val
