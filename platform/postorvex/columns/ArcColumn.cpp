#include "postorvex/columns/ArcColumn.h"

#include <cmath>
#include <limits>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

// The value layer's ArcParam::kInvalidValue, spelt out: no reliance on another library's
// initialisation order.
const ArcParam ArcColumn::kInvalidValue = {kNaN, kNaN, kNaN, kNaN, kNaN};

bool ArcColumn::IsInvalidValue(const ArcParam& v) { return std::isnan(v.cx) || std::isnan(v.cy) || std::isnan(v.r) || std::isnan(v.start) || std::isnan(v.end); }

ArcColumn::ArcColumn(Units::FullUnitType units) : RecordColumnT(val::kArcParam, units) {}

ArcColumn::~ArcColumn() = default;
