#include "postorvex/columns/RegionColumn.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "postorvex/columns/ColumnImpl.h"
#include "postorvex/columns/ValuesText.h"

using namespace postorvex::columns;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

AString RegionText(const RegionParam& v) {
  AString out(L"(");
  for (size_t k = 0; k < v.points.size(); ++k) {
    if (k) out += L", ";
    out += L"(" + NumberText(v.points[k].first) + L", " + NumberText(v.points[k].second) + L")";
  }
  return out + L")";
}

bool SameRegion(const RegionParam& a, const RegionParam& b) {
  if (a.points.size() != b.points.size()) return false;
  for (size_t k = 0; k < a.points.size(); ++k)
    if (!NearlyEqual(a.points[k].first, b.points[k].first) || !NearlyEqual(a.points[k].second, b.points[k].second))
      return false;
  return true;
}

}  // namespace

// The value layer's RegionParam::kInvalidValue, spelt out: no reliance on another library's
// initialisation order.
const RegionParam RegionColumn::kInvalidValue = {{{kNaN, kNaN}}};

bool RegionColumn::IsInvalidValue(const RegionParam& v) { return v.points.empty() || std::any_of(v.points.begin(), v.points.end(), [](const std::pair<double, double>& p) { return std::isnan(p.first) || std::isnan(p.second); }); }

RegionColumn::RegionColumn(Units::FullUnitType units) : Column(Pt(kPtRegion), units) {}

RegionColumn::~RegionColumn() = default;

Column* RegionColumn::CloneColumn() const {
  NoteRead();
  return new RegionColumn(*this);
}

bool RegionColumn::Accept(Visitor& visitor) const { return visitor.Visit(*this); }

void RegionColumn::AppendInvalidValues(size_t n) { m_values.insert(m_values.end(), n, kInvalidValue); }

bool RegionColumn::AppendInput(const ColumnInput& value) {
  const int type = static_cast<int>(value.type);
  if (type == kPtRegion) {
    m_values.push_back(value.region);
    return true;
  }
  m_values.push_back(kInvalidValue);
  if (type == kPtNone) return true;
  ReportKindDoesNotFit();
  return false;
}

std::vector<RegionParam>& RegionColumn::GetValues() {
  NoteRead();
  return m_values;
}

const std::vector<RegionParam>& RegionColumn::GetValues() const {
  NoteRead();
  return m_values;
}

void RegionColumn::AddValue(const RegionParam& v) { m_values.push_back(v); }

void RegionColumn::AppendEntryOf(const Column& source, size_t row) {
  m_values.push_back(static_cast<const RegionColumn&>(source).m_values[row]);
}

AString RegionColumn::EntryText(size_t i) const {
  const RegionParam& v = m_values[i];
  return RegionText(v);
}

bool RegionColumn::SameEntry(size_t i, const Column& other, size_t j) const {
  const RegionParam& a = m_values[i];
  const RegionParam& b = static_cast<const RegionColumn&>(other).m_values[j];
  return SameRegion(a, b);
}

void RegionColumn::WriteEntries(ValuesTextWriter& out) const {
  for (const RegionParam& v : m_values) {
    out.Int(static_cast<int64_t>(v.points.size()));
    for (const auto& p : v.points) {
      out.Double(p.first);
      out.Double(p.second);
    }
  }
}

bool RegionColumn::ReadEntry(ValuesTextReader& in) {
  int64_t n = 0;
  // Every coordinate takes at least two characters: a count beyond that is damage.
  if (!in.Int(n, 0, static_cast<int64_t>(in.Remaining() / 4 + 1))) return false;
  RegionParam v;
  v.points.resize(static_cast<size_t>(n));
  for (auto& p : v.points)
    if (!in.Double(p.first) || !in.Double(p.second)) return false;
  m_values.push_back(std::move(v));
  return true;
}
