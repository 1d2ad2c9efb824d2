#include "postorvex/columns/ArcColumn.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "postorvex/columns/ColumnImpl.h"
#include "postorvex/columns/ValuesText.h"

using namespace postorvex::columns;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

// The value layer's ArcParam::kInvalidValue, spelt out: no reliance on another library's
// initialisation order.
const ArcParam ArcColumn::kInvalidValue = {kNaN, kNaN, kNaN, kNaN, kNaN};

bool ArcColumn::IsInvalidValue(const ArcParam& v) { return std::isnan(v.cx) || std::isnan(v.cy) || std::isnan(v.r) || std::isnan(v.start) || std::isnan(v.end); }

ArcColumn::ArcColumn(Units::FullUnitType units) : Column(Pt(kPtArc), units) {}

ArcColumn::~ArcColumn() = default;

Column* ArcColumn::CloneColumn() const {
  NoteRead();
  return new ArcColumn(*this);
}

bool ArcColumn::Accept(Visitor& visitor) const { return visitor.Visit(*this); }

void ArcColumn::AppendInvalidValues(size_t n) { m_values.insert(m_values.end(), n, kInvalidValue); }

bool ArcColumn::AppendInput(const ColumnInput& value) {
  const int type = static_cast<int>(value.type);
  if (type == kPtArc) {
    m_values.push_back(value.arc);
    return true;
  }
  m_values.push_back(kInvalidValue);
  if (type == kPtNone) return true;
  ReportKindDoesNotFit();
  return false;
}

std::vector<ArcParam>& ArcColumn::GetValues() {
  NoteRead();
  return m_values;
}

const std::vector<ArcParam>& ArcColumn::GetValues() const {
  NoteRead();
  return m_values;
}

void ArcColumn::AddValue(const ArcParam& v) { m_values.push_back(v); }

void ArcColumn::AppendEntryOf(const Column& source, size_t row) {
  m_values.push_back(static_cast<const ArcColumn&>(source).m_values[row]);
}

AString ArcColumn::EntryText(size_t i) const {
  const ArcParam& v = m_values[i];
  return L"(" + NumberText(v.cx) + L", " + NumberText(v.cy) + L", " + NumberText(v.r) + L", " + NumberText(v.start) + L", " + NumberText(v.end) + L")";
}

bool ArcColumn::SameEntry(size_t i, const Column& other, size_t j) const {
  const ArcParam& a = m_values[i];
  const ArcParam& b = static_cast<const ArcColumn&>(other).m_values[j];
  return NearlyEqual(a.cx, b.cx) && NearlyEqual(a.cy, b.cy) && NearlyEqual(a.r, b.r) && NearlyEqual(a.start, b.start) && NearlyEqual(a.end, b.end);
}

void ArcColumn::WriteEntries(ValuesTextWriter& out) const {
  for (const ArcParam& v : m_values) {
    out.Double(v.cx);
    out.Double(v.cy);
    out.Double(v.r);
    out.Double(v.start);
    out.Double(v.end);
  }
}

bool ArcColumn::ReadEntry(ValuesTextReader& in) {
  ArcParam v{};
  if (!in.Double(v.cx) || !in.Double(v.cy) || !in.Double(v.r) || !in.Double(v.start) || !in.Double(v.end))
    return false;
  m_values.push_back(v);
  return true;
}
