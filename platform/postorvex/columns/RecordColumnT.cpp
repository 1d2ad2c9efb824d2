#include "postorvex/columns/RecordColumnT.h"

#include <array>

#include "postorvex/columns/ArcColumn.h"
#include "postorvex/columns/CircleColumn.h"
#include "postorvex/columns/ColumnImpl.h"
#include "postorvex/columns/RegionColumn.h"
#include "postorvex/columns/ValuesText.h"

using namespace postorvex::columns;

namespace {

// Arcs and circles are fixed lists of numbers, in this order in their text and values forms.
const std::array<double ArcParam::*, 5> kArcFields = {&ArcParam::cx, &ArcParam::cy, &ArcParam::r, &ArcParam::start,
                                                      &ArcParam::end};
const std::array<double CircleParam::*, 3> kCircleFields = {&CircleParam::cx, &CircleParam::cy, &CircleParam::r};

const std::array<double ArcParam::*, 5>& Fields(const ArcParam&) { return kArcFields; }
const std::array<double CircleParam::*, 3>& Fields(const CircleParam&) { return kCircleFields; }

// "(a, b, c)"
template <class T>
AString RecordText(const T& v) {
  AString out(L"(");
  for (size_t k = 0; k < Fields(v).size(); ++k) {
    if (k) out += L", ";
    out += NumberText(v.*Fields(v)[k]);
  }
  return out + L")";
}

template <class T>
bool SameRecord(const T& a, const T& b) {
  for (double T::*f : Fields(a))
    if (!NearlyEqual(a.*f, b.*f)) return false;
  return true;
}

template <class T>
void WriteRecord(ValuesTextWriter& out, const T& v) {
  for (double T::*f : Fields(v)) out.Double(v.*f);
}

template <class T>
bool ReadRecord(ValuesTextReader& in, T& v) {
  for (double T::*f : Fields(v))
    if (!in.Double(v.*f)) return false;
  return true;
}

// A region is a list of points, "((x, y), (x, y))"; its values form counts them first.

AString RecordText(const RegionParam& v) {
  AString out(L"(");
  for (size_t k = 0; k < v.points.size(); ++k) {
    if (k) out += L", ";
    out += L"(" + NumberText(v.points[k].first) + L", " + NumberText(v.points[k].second) + L")";
  }
  return out + L")";
}

bool SameRecord(const RegionParam& a, const RegionParam& b) {
  if (a.points.size() != b.points.size()) return false;
  for (size_t k = 0; k < a.points.size(); ++k)
    if (!NearlyEqual(a.points[k].first, b.points[k].first) || !NearlyEqual(a.points[k].second, b.points[k].second))
      return false;
  return true;
}

void WriteRecord(ValuesTextWriter& out, const RegionParam& v) {
  out.Int(static_cast<int64_t>(v.points.size()));
  for (const auto& p : v.points) {
    out.Double(p.first);
    out.Double(p.second);
  }
}

bool ReadRecord(ValuesTextReader& in, RegionParam& v) {
  int64_t n = 0;
  // Every coordinate takes at least two characters: a count beyond that is damage.
  if (!in.Int(n, 0, static_cast<int64_t>(in.Remaining() / 4 + 1))) return false;
  v.points.resize(static_cast<size_t>(n));
  for (auto& p : v.points)
    if (!in.Double(p.first) || !in.Double(p.second)) return false;
  return true;
}

}  // namespace

template <class Derived, class T, T ColumnInput::*Input>
bool RecordColumnT<Derived, T, Input>::AppendInput(const ColumnInput& value) {
  if (value.type == this->GetParameterType()) {
    m_values.push_back(value.*Input);
    return true;
  }
  m_values.push_back(Derived::kInvalidValue);
  if (static_cast<int>(value.type) == val::kNoParam) return true;
  ReportKindDoesNotFit();
  return false;
}

template <class Derived, class T, T ColumnInput::*Input>
AString RecordColumnT<Derived, T, Input>::EntryText(size_t i) const {
  return RecordText(m_values[i]);
}

template <class Derived, class T, T ColumnInput::*Input>
bool RecordColumnT<Derived, T, Input>::SameEntry(size_t i, const Column& other, size_t j) const {
  return SameRecord(m_values[i], static_cast<const RecordColumnT&>(other).m_values[j]);
}

template <class Derived, class T, T ColumnInput::*Input>
void RecordColumnT<Derived, T, Input>::WriteEntries(ValuesTextWriter& out) const {
  for (const T& v : m_values) WriteRecord(out, v);
}

template <class Derived, class T, T ColumnInput::*Input>
bool RecordColumnT<Derived, T, Input>::ReadEntry(ValuesTextReader& in) {
  T v{};
  if (!ReadRecord(in, v)) return false;
  m_values.push_back(std::move(v));
  return true;
}

template class RecordColumnT<ArcColumn, ArcParam, &ColumnInput::arc>;
template class RecordColumnT<CircleColumn, CircleParam, &ColumnInput::circle>;
template class RecordColumnT<RegionColumn, RegionParam, &ColumnInput::region>;
