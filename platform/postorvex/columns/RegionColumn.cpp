#include "postorvex/columns/RegionColumn.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

// The value layer's RegionParam::kInvalidValue, spelt out: no reliance on another library's
// initialisation order.
const RegionParam RegionColumn::kInvalidValue = {{{kNaN, kNaN}}};

bool RegionColumn::IsInvalidValue(const RegionParam& v) { return v.points.empty() || std::any_of(v.points.begin(), v.points.end(), [](const std::pair<double, double>& p) { return std::isnan(p.first) || std::isnan(p.second); }); }

RegionColumn::RegionColumn(Units::FullUnitType units) : RecordColumnT(val::kRegionParam, units) {}

RegionColumn::~RegionColumn() = default;
