#include "postorvex/columns/ColumnBase.h"

#include "orvex/core/Assert.h"
#include "orvex/values/Value.h"
#include "postorvex/columns/ColumnImpl.h"

using namespace postorvex::columns;

Column::Column(val::ParameterType type, Units::FullUnitType units) : m_type(type), m_units(units) {}

Column::Column(const Column& other)
    : IVariableValueSource(),
      m_type(other.m_type),
      m_units(other.m_units),
      m_service(other.m_service),
      m_name1(other.m_name1),
      m_name2(other.m_name2),
      m_flag1(other.m_flag1),
      m_flag2(other.m_flag2) {
  if (m_service) m_serial = RegisterFileColumn(this);
}

Column::~Column() {
  if (m_service) UnregisterFileColumn(this, m_serial);
}

void Column::Reserved3() {}
void Column::Reserved4() {}
void Column::Reserved5() {}
void Column::Reserved6() {}
void Column::Reserved7() {}
void Column::Reserved8() {}
void Column::Reserved9() {}
void Column::Reserved10() {}
void Column::Reserved11() {}
void Column::Reserved12() {}
void Column::Reserved13() {}
void Column::Reserved14() {}
void Column::Reserved15() {}
void Column::Reserved16() {}
void Column::Reserved17() {}
void Column::Reserved18() {}
void Column::Reserved19() {}
void Column::Reserved20() {}
void Column::Reserved21() {}
void Column::Reserved22() {}
void Column::Reserved23() {}
void Column::Reserved24() {}
void Column::Reserved25() {}
void Column::Reserved26() {}
void Column::Reserved27() {}

bool Column::AppendValuesAt(const Column& source, const std::vector<unsigned>& rows) {
  if (source.GetParameterType() != GetParameterType()) return false;
  const size_t count = source.GetCount();
  for (unsigned row : rows) {
    if (row >= count) {
      ORVEX_ASSERT(row<count);
      return false;
    }
  }
  source.NoteRead();
  for (unsigned row : rows) AppendEntryOf(source, row);
  return true;
}

namespace {

// The element kind of a matrix kind: a matrix value read one element at a time (the element
// that the matrix context points at) gives a value of that kind.
val::ParameterType ElementKind(val::ParameterType type) {
  switch (static_cast<int>(type)) {
    case 16: return val::kDoubleParam;
    case 17: return val::kComplexParam;
    case 18: return val::kStringParam;
    default: return type;
  }
}

// What a column reads from a value: its type, its unit, and the getter of its kind.
ColumnInput InputOf(const Value& value) {
  ColumnInput in;
  in.type = ElementKind(value.GetParameterType());
  in.units = value.GetUnits();
  switch (static_cast<int>(in.type)) {
    case val::kDoubleParam: in.number = value.GetValue(); break;
    case val::kComplexParam: in.complex = value.GetComplexValue(); break;
    case val::kIntParam: in.integer = value.GetIntValue(); break;
    case val::kEnumParam: in.integer = value.GetEnumValue(); break;
    case val::kCharParam: in.character = value.GetCharValue(); break;
    case val::kTextParam:
    case val::kStringParam: in.text = value.GetStringValue(); break;
    case val::kArcParam:
      if (const ArcParam* a = value.GetArcParam()) in.arc = *a;
      else in.type = val::kNoParam;
      break;
    case val::kCircleParam:
      if (const CircleParam* c = value.GetCircleParam()) in.circle = *c;
      else in.type = val::kNoParam;
      break;
    case val::kRegionParam:
      if (const RegionParam* r = value.GetRegionParam()) in.region = *r;
      else in.type = val::kNoParam;
      break;
    default: break;
  }
  return in;
}

}  // namespace

bool Column::AppendValue(const Value& value) { return AppendInput(InputOf(value)); }

AString Column::GetSingleValueText(size_t i) const {
  if (!CheckRow(i)) return AString();
  NoteRead();
  if (IsInvalidAt(i)) return AString();
  return EntryText(i);
}

bool Column::CheckRow(size_t i) const {
  if (i < GetCount()) return true;
  ORVEX_ASSERT(i<GetCount());
  return false;
}

bool Column::GetRealEntrySI(size_t, double&) const { return false; }

void Column::NoteRead() const {
  if (m_service && !m_loaded) CountUnloadedRead();
}

void Column::Load() const {
  if (!m_service || m_loaded) return;
  m_loaded = true;
  CountLoad();
}

void Column::Unload() const {
  if (!m_service || !m_loaded) return;
  m_loaded = false;
  CountUnload();
}
namespace postorvex {
namespace columns {

void ReportKindDoesNotFit() { ORVEX_ASSERT(!"value kind does not fit the column"); }

}  // namespace columns
}  // namespace postorvex
