#include "postorvex/columns/CircleColumn.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "postorvex/columns/ColumnImpl.h"
#include "postorvex/columns/ValuesText.h"

using namespace postorvex::columns;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

// The value layer's CircleParam::kInvalidValue, spelt out: no reliance on another library's
// initialisation order.
const CircleParam CircleColumn::kInvalidValue = {kNaN, kNaN, kNaN};

bool CircleColumn::IsInvalidValue(const CircleParam& v) { return std::isnan(v.cx) || std::isnan(v.cy) || std::isnan(v.r); }

CircleColumn::CircleColumn(Units::FullUnitType units) : Column(Pt(kPtCircle), units) {}

CircleColumn::~CircleColumn() = default;

Column* CircleColumn::CloneColumn() const {
  NoteRead();
  return new CircleColumn(*this);
}

bool CircleColumn::Accept(Visitor& visitor) const { return visitor.Visit(*this); }

void CircleColumn::AppendInvalidValues(size_t n) { m_values.insert(m_values.end(), n, kInvalidValue); }

bool CircleColumn::AppendInput(const ColumnInput& value) {
  const int type = static_cast<int>(value.type);
  if (type == kPtCircle) {
    m_values.push_back(value.circle);
    return true;
  }
  m_values.push_back(kInvalidValue);
  if (type == kPtNone) return true;
  ReportKindDoesNotFit();
  return false;
}

std::vector<CircleParam>& CircleColumn::GetValues() {
  NoteRead();
  return m_values;
}

const std::vector<CircleParam>& CircleColumn::GetValues() const {
  NoteRead();
  return m_values;
}

void CircleColumn::AddValue(const CircleParam& v) { m_values.push_back(v); }

void CircleColumn::AppendEntryOf(const Column& source, size_t row) {
  m_values.push_back(static_cast<const CircleColumn&>(source).m_values[row]);
}

AString CircleColumn::EntryText(size_t i) const {
  const CircleParam& v = m_values[i];
  return L"(" + NumberText(v.cx) + L", " + NumberText(v.cy) + L", " + NumberText(v.r) + L")";
}

bool CircleColumn::SameEntry(size_t i, const Column& other, size_t j) const {
  const CircleParam& a = m_values[i];
  const CircleParam& b = static_cast<const CircleColumn&>(other).m_values[j];
  return NearlyEqual(a.cx, b.cx) && NearlyEqual(a.cy, b.cy) && NearlyEqual(a.r, b.r);
}

void CircleColumn::WriteEntries(ValuesTextWriter& out) const {
  for (const CircleParam& v : m_values) {
    out.Double(v.cx);
    out.Double(v.cy);
    out.Double(v.r);
  }
}

bool CircleColumn::ReadEntry(ValuesTextReader& in) {
  CircleParam v{};
  if (!in.Double(v.cx) || !in.Double(v.cy) || !in.Double(v.r)) return false;
  m_values.push_back(v);
  return true;
}
