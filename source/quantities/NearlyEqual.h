// Tolerance comparison of doubles, as the cache files test their version markers.
#pragma once

namespace rep {

// Non-finite values compare exactly (two NaNs differ). Otherwise equal when both lie within the
// absolute tolerance of zero, when they differ by at most the absolute tolerance, or by at most
// the relative tolerance times `scale`.
bool IsNearlyEqualScaled(double a, double b, double scale, double relativeTolerance, double absoluteTolerance);

// The scale is the larger magnitude of the two.
bool IsNearlyEqual(double a, double b, double relativeTolerance, double absoluteTolerance);

}  // namespace rep
