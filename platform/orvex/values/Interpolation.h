// Resampling of sampled curves: piecewise linear or held, as interpolation orders say.
#pragma once

#include <cstddef>
#include <vector>

#include "orvex/core/OrvexApi.h"

namespace core {

// Clears `out`, then appends y at each value of `xs`. orders[k] governs the segment from point k to
// k+1: 0 holds y[k], anything else is linear; a missing entry counts as 1. A value equal to some
// x[k] answers y[k] exactly (its first occurrence). Outside [x.front(), x.back()]: NaN, or the
// straight continuation of the end segment with `extrapolate`. False, with `out` empty, when x is
// empty, x and y differ in size, or x descends anywhere (equal neighbours are allowed).
ORVEX_API bool interp_specified_time(const std::vector<double>& x, const std::vector<double>& y,
                                     const std::vector<long>& orders, const std::vector<double>& xs,
                                     std::vector<double>& out, bool extrapolate);

// Clears both outputs; xOut gets `numPoints` evenly spaced values from lo to hi (descending when
// lo > hi; {lo} for one point) and yOut the curve at each, NaN outside it. False, with both
// outputs empty, for numPoints <= 0 or input interp_specified_time refuses.
ORVEX_API bool interpolate_time_data(const std::vector<double>& x, const std::vector<double>& y,
                                     const std::vector<long>& flags, double lo, double hi, int numPoints,
                                     std::vector<double>& xOut, std::vector<double>& yOut);

// interpolate_time_data over a curve held elsewhere, such as a slice of a column, with the same
// values bit for bit: nothing is copied or allocated, and ascending targets are found by walking
// forward instead of searching. `orders` holds numOrders entries (may be null); the rest count as
// 1. xOut and yOut receive numPoints values each. False where interpolate_time_data answers false;
// what the outputs then hold is undefined.
ORVEX_API bool interpolate_time_data_in_place(const double* x, const double* y, size_t n, const long* orders,
                                              size_t numOrders, double lo, double hi, int numPoints, double* xOut,
                                              double* yOut);
ORVEX_API bool interpolate_time_data_in_place(const double* x, const double* y, size_t n, const char* orders,
                                              size_t numOrders, double lo, double hi, int numPoints, double* xOut,
                                              double* yOut);

// interp_specified_time without extrapolation, in place as above: out receives y at each of the
// m values of xs, found by walking forward while they ascend.
ORVEX_API bool interp_specified_time_in_place(const double* x, const double* y, size_t n, const long* orders,
                                              size_t numOrders, const double* xs, size_t m, double* out);
ORVEX_API bool interp_specified_time_in_place(const double* x, const double* y, size_t n, const char* orders,
                                              size_t numOrders, const double* xs, size_t m, double* out);

}  // namespace core
