#include "orvex/values/Interpolation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace core {

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

bool Usable(const std::vector<double>& x, const std::vector<double>& y) {
  if (x.empty() || x.size() != y.size()) return false;
  for (size_t i = 1; i < x.size(); ++i)
    if (!(x[i - 1] <= x[i])) return false;
  return true;
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
  for (int i = 0; i < numPoints; ++i)
    xOut.push_back(i == 0 ? lo : (i == numPoints - 1 ? hi : lo + (hi - lo) * i / (numPoints - 1)));
  return interp_specified_time(x, y, flags, xOut, yOut, false);
}

}  // namespace core
