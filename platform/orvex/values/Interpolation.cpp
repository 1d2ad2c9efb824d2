#include "orvex/values/Interpolation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace core {

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

bool Ascending(const double* x, size_t n) {
  size_t i = 1;
#if defined(__SSE2__)
  // Neighbours compared two at a time, with one exit per block: NaN fails as <= does.
  const size_t kBlock = 256;
  while (i + 2 <= n) {
    const size_t end = std::min(n - 1, i + kBlock);
    __m128d ascending = _mm_castsi128_pd(_mm_set1_epi32(-1));
    for (; i + 2 <= end + 1; i += 2)
      ascending = _mm_and_pd(ascending, _mm_cmple_pd(_mm_loadu_pd(x + i - 1), _mm_loadu_pd(x + i)));
    if (_mm_movemask_pd(ascending) != 3) return false;
  }
#endif
  for (; i < n; ++i)
    if (!(x[i - 1] <= x[i])) return false;
  return true;
}

bool Usable(const std::vector<double>& x, const std::vector<double>& y) {
  return !x.empty() && x.size() == y.size() && Ascending(x.data(), x.size());
}

// The i-th of numPoints evenly spaced values; the ends are exact.
double Uniform(double lo, double hi, int numPoints, int i) {
  return i == 0 ? lo : (i == numPoints - 1 ? hi : lo + (hi - lo) * i / (numPoints - 1));
}

double Line(const std::vector<double>& x, const std::vector<double>& y, size_t k, double at) {
  return y[k] + (y[k + 1] - y[k]) * ((at - x[k]) / (x[k + 1] - x[k]));
}

double Extend(const std::vector<double>& x, const std::vector<double>& y, bool below, double at) {
  const size_t n = x.size();
  if (n < 2) return y[0];
  const size_t k = below ? 0 : n - 2;
  if (x[k + 1] == x[k]) return below ? y.front() : y.back();
  return Line(x, y, k, at);
}

double At(const std::vector<double>& x, const std::vector<double>& y, const std::vector<long>& orders, double at,
          bool extrapolate) {
  if (std::isnan(at)) return kNaN;
  if (at < x.front() || at > x.back()) return extrapolate ? Extend(x, y, at < x.front(), at) : kNaN;
  auto it = std::lower_bound(x.begin(), x.end(), at);
  const size_t i = static_cast<size_t>(it - x.begin());
  if (x[i] == at) return y[i];
  const size_t k = i - 1;  // x[k] < at < x[k + 1]
  const long order = k < orders.size() ? orders[k] : 1;
  return order == 0 ? y[k] : Line(x, y, k, at);
}

}  // namespace

bool interp_specified_time(const std::vector<double>& x, const std::vector<double>& y,
                           const std::vector<long>& orders, const std::vector<double>& xs,
                           std::vector<double>& out, bool extrapolate) {
  out.clear();
  if (!Usable(x, y)) return false;
  out.reserve(xs.size());
  for (double at : xs) out.push_back(At(x, y, orders, at, extrapolate));
  return true;
}

bool interpolate_time_data(const std::vector<double>& x, const std::vector<double>& y,
                           const std::vector<long>& flags, double lo, double hi, int numPoints,
                           std::vector<double>& xOut, std::vector<double>& yOut) {
  xOut.clear();
  yOut.clear();
  if (numPoints <= 0 || !Usable(x, y)) return false;
  xOut.reserve(static_cast<size_t>(numPoints));
  for (int i = 0; i < numPoints; ++i) xOut.push_back(Uniform(lo, hi, numPoints, i));
  return interp_specified_time(x, y, flags, xOut, yOut, false);
}

namespace {

// At() without extrapolation at every target, with `i` carried from one target to the next: for
// a target not below the one before, the first x not below it lies at or after i, which is what
// lower_bound would find.
template <class Order>
bool AtEach(const double* x, const double* y, size_t n, const Order* orders, size_t numOrders, const double* xs,
            size_t m, double* out) {
  const double front = x[0], back = x[n - 1];
  // x is checked to ascend a stretch ahead of the walk, which then finds it at hand.
  const size_t kAhead = 512;
  size_t checked = 0;  // x[0] to x[checked] ascend
  bool ascending = true;
  size_t i = 0;
  double previous = -std::numeric_limits<double>::infinity();
  for (size_t p = 0; p < m; ++p) {
    const double at = xs[p];
    if (!(at >= front && at <= back)) {  // NaN too
      out[p] = kNaN;
      continue;
    }
    if (at < previous) i = 0;
    previous = at;
    while (x[i] < at) ++i;  // stops at n - 1 at the latest, as at <= back
    if (i >= checked && checked + 1 < n) {
      const size_t end = std::min(n - 1, std::max(i, checked) + kAhead);
      ascending = ascending && Ascending(x + checked, end - checked + 1);
      checked = end;
    }
    if (x[i] == at) {
      out[p] = y[i];
      continue;
    }
    const size_t k = i - 1;  // x[k] < at < x[k + 1]
    out[p] = k < numOrders && orders[k] == 0 ? y[k] : y[k] + (y[k + 1] - y[k]) * ((at - x[k]) / (x[k + 1] - x[k]));
  }
  return ascending && Ascending(x + checked, n - checked);
}

template <class Order>
bool SpecifiedInPlace(const double* x, const double* y, size_t n, const Order* orders, size_t numOrders,
                      const double* xs, size_t m, double* out) {
  if (n == 0 || !x || !y || (m > 0 && (!xs || !out))) return false;
  return AtEach(x, y, n, orders, orders ? numOrders : 0, xs, m, out);
}

template <class Order>
bool UniformInPlace(const double* x, const double* y, size_t n, const Order* orders, size_t numOrders, double lo,
                    double hi, int numPoints, double* xOut, double* yOut) {
  if (numPoints <= 0 || n == 0 || !x || !y || !xOut || !yOut) return false;
  for (int p = 0; p < numPoints; ++p) xOut[p] = Uniform(lo, hi, numPoints, p);
  return AtEach(x, y, n, orders, orders ? numOrders : 0, xOut, static_cast<size_t>(numPoints), yOut);
}

}  // namespace

bool interpolate_time_data_in_place(const double* x, const double* y, size_t n, const long* orders, size_t numOrders,
                                    double lo, double hi, int numPoints, double* xOut, double* yOut) {
  return UniformInPlace(x, y, n, orders, numOrders, lo, hi, numPoints, xOut, yOut);
}

bool interpolate_time_data_in_place(const double* x, const double* y, size_t n, const char* orders, size_t numOrders,
                                    double lo, double hi, int numPoints, double* xOut, double* yOut) {
  return UniformInPlace(x, y, n, orders, numOrders, lo, hi, numPoints, xOut, yOut);
}

bool interp_specified_time_in_place(const double* x, const double* y, size_t n, const long* orders, size_t numOrders,
                                    const double* xs, size_t m, double* out) {
  return SpecifiedInPlace(x, y, n, orders, numOrders, xs, m, out);
}

bool interp_specified_time_in_place(const double* x, const double* y, size_t n, const char* orders, size_t numOrders,
                                    const double* xs, size_t m, double* out) {
  return SpecifiedInPlace(x, y, n, orders, numOrders, xs, m, out);
}

}  // namespace core
