// What a column is as its kind: the views, the visitor's fallbacks and the digital input.
#include "postorvex/columns/Column.h"

#include "postorvex/columns/ColumnImpl.h"

using namespace postorvex::columns;

// Views: the kind is the parameter type, so a view never answers a column of a related kind.
#define REP_COLUMN_VIEW(Kind, Getter, pt)                                                  \
  Kind* Column::Getter() { return static_cast<int>(m_type) == (pt) ? static_cast<Kind*>(this) : nullptr; } \
  const Kind* Column::Getter() const {                                                     \
    return static_cast<int>(m_type) == (pt) ? static_cast<const Kind*>(this) : nullptr;    \
  }
REP_COLUMN_VIEW(DoubleColumn, GetDoubleColumn, val::kDoubleParam)
REP_COLUMN_VIEW(ComplexColumn, GetComplexColumn, val::kComplexParam)
REP_COLUMN_VIEW(IntColumn, GetIntColumn, val::kIntParam)
REP_COLUMN_VIEW(CharColumn, GetCharColumn, val::kCharParam)
REP_COLUMN_VIEW(EnumColumn, GetEnumColumn, val::kEnumParam)
REP_COLUMN_VIEW(TextColumn, GetTextColumn, val::kTextParam)
REP_COLUMN_VIEW(StringColumn, GetStringColumn, val::kStringParam)
REP_COLUMN_VIEW(ArcColumn, GetArcColumn, val::kArcParam)
REP_COLUMN_VIEW(CircleColumn, GetCircleColumn, val::kCircleParam)
REP_COLUMN_VIEW(RegionColumn, GetRegionColumn, val::kRegionParam)
#undef REP_COLUMN_VIEW

namespace {
bool IsMatrixKind(int t) { return t == val::kDoubleMatrixParam || t == val::kComplexMatrixParam || t == val::kStringMatrixParam; }
}  // namespace

MatrixColumn* Column::GetMatrixColumn() {
  return IsMatrixKind(static_cast<int>(m_type)) ? static_cast<MatrixColumn*>(this) : nullptr;
}

const MatrixColumn* Column::GetMatrixColumn() const {
  return IsMatrixKind(static_cast<int>(m_type)) ? static_cast<const MatrixColumn*>(this) : nullptr;
}

// Visitor: each kind falls back to its parent kind, the parents to Column.
Column::Visitor::~Visitor() = default;
bool Column::Visitor::Visit(const EnumColumn& c) { return Visit(static_cast<const DigitalColumn&>(c)); }
bool Column::Visitor::Visit(const CharColumn& c) { return Visit(static_cast<const DigitalColumn&>(c)); }
bool Column::Visitor::Visit(const IntColumn& c) { return Visit(static_cast<const DigitalColumn&>(c)); }
bool Column::Visitor::Visit(const DoubleColumn& c) { return Visit(static_cast<const Column&>(c)); }
bool Column::Visitor::Visit(const ComplexColumn& c) { return Visit(static_cast<const Column&>(c)); }
bool Column::Visitor::Visit(const TextColumn& c) { return Visit(static_cast<const Column&>(c)); }
bool Column::Visitor::Visit(const StringColumn& c) { return Visit(static_cast<const Column&>(c)); }
bool Column::Visitor::Visit(const DoubleMatrixColumn& c) { return Visit(static_cast<const MatrixColumn&>(c)); }
bool Column::Visitor::Visit(const ComplexMatrixColumn& c) { return Visit(static_cast<const MatrixColumn&>(c)); }
bool Column::Visitor::Visit(const StringMatrixColumn& c) { return Visit(static_cast<const MatrixColumn&>(c)); }
bool Column::Visitor::Visit(const ArcColumn& c) { return Visit(static_cast<const Column&>(c)); }
bool Column::Visitor::Visit(const CircleColumn& c) { return Visit(static_cast<const Column&>(c)); }
bool Column::Visitor::Visit(const RegionColumn& c) { return Visit(static_cast<const Column&>(c)); }
bool Column::Visitor::Visit(const DigitalColumn& c) { return Visit(static_cast<const Column&>(c)); }
bool Column::Visitor::Visit(const MatrixColumn& c) { return Visit(static_cast<const Column&>(c)); }
bool Column::Visitor::Visit(const Column&) { return false; }

namespace postorvex {
namespace columns {

bool DigitalInput(const ColumnInput& in, int64_t& out, bool& invalid) {
  switch (static_cast<int>(in.type)) {
    case val::kIntParam:
    case val::kEnumParam:
      out = in.integer;
      invalid = in.integer == IntColumn::kInvalidValue;
      return true;
    case val::kCharParam:
      out = static_cast<unsigned char>(in.character);
      invalid = in.character == CharColumn::kInvalidValue;
      return true;
    default:
      return false;
  }
}

}  // namespace columns
}  // namespace postorvex
