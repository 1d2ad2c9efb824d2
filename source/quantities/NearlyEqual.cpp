#include "quantities/NearlyEqual.h"

#include <algorithm>
#include <cmath>

namespace rep {

bool IsNearlyEqualScaled(double a, double b, double scale, double relativeTolerance, double absoluteTolerance) {
  if (!std::isfinite(a) || !std::isfinite(b)) return a == b;
  if (std::fabs(a) <= absoluteTolerance && std::fabs(b) <= absoluteTolerance) return true;
  const double diff = std::fabs(a - b);
  if (diff <= absoluteTolerance) return true;
  if (relativeTolerance == 0.0) return false;
  return diff <= relativeTolerance * scale;
}

bool IsNearlyEqual(double a, double b, double relativeTolerance, double absoluteTolerance) {
  return IsNearlyEqualScaled(a, b, std::max(std::fabs(a), std::fabs(b)), relativeTolerance, absoluteTolerance);
}

}  // namespace rep
