// The statistics of ranged functions, computed with care for large offsets and long inputs.
#pragma once

#include <cstddef>

#include "orvex/core/OrvexApi.h"

namespace val {

enum class Statistic { kMax, kMin, kMean, kStdDev, kVariance, kMedian, kPeakToPeak, kSum, kRms };

// False for an empty input. A NaN in the input makes the result NaN (and still answers true).
// Variance is the sample variance of the values shifted by the first one; n = 1 gives 0.
ORVEX_API bool ComputeStatistic(Statistic s, const double* values, size_t n, double& out);

}  // namespace val
