#include "postorvex/columns/CircleColumn.h"

#include <cmath>
#include <limits>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

// The value layer's CircleParam::kInvalidValue, spelt out: no reliance on another library's
// initialisation order.
const CircleParam CircleColumn::kInvalidValue = {kNaN, kNaN, kNaN};

bool CircleColumn::IsInvalidValue(const CircleParam& v) { return std::isnan(v.cx) || std::isnan(v.cy) || std::isnan(v.r); }

CircleColumn::CircleColumn(Units::FullUnitType units) : RecordColumnT(val::kCircleParam, units) {}

CircleColumn::~CircleColumn() = default;
