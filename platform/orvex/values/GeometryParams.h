// The geometric records a value may hold: arcs, circles and regions.
#pragma once

#include <utility>
#include <vector>

#include "orvex/core/OrvexApi.h"

struct ORVEX_API ArcParam {
  double cx, cy, r, start, end;
  static const ArcParam kInvalidValue;  // NaN fields
};

struct ORVEX_API CircleParam {
  double cx, cy, r;
  static const CircleParam kInvalidValue;
};

struct ORVEX_API RegionParam {
  std::vector<std::pair<double, double>> points;
  static const RegionParam kInvalidValue;  // one point of NaNs
};
