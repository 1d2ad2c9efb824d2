// Making columns of a kind: by type, as an intersection, and from the values text and block
// forms, whose writers (and their failure hook) sit beside their readers. The base's own file
// knows none of the kinds.
#include "postorvex/columns/Column.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "orvex/core/Assert.h"
#include "orvex/core/TestHooks.h"
#include "orvex/io/BigBuffer.h"
#include "orvex/io/Block.h"
#include "orvex/io/DoublesBase64.h"
#include "orvex/values/Units.h"
#include "postorvex/columns/ColumnImpl.h"
#include "postorvex/columns/ValuesText.h"

using namespace postorvex::columns;

namespace {

int s_failNextWrites = 0;

void ResetFailingWrites() { s_failNextWrites = 0; }

std::string FailingWritesLeft() {
  if (s_failNextWrites <= 0) return std::string();
  const std::string out = "Column::FailNextWrites: " + std::to_string(s_failNextWrites) + " write(s) still to fail";
  s_failNextWrites = 0;
  return out;
}

const bool s_registered = orvex::test::RegisterGlobalState({"column write failures", &ResetFailingWrites, &FailingWritesLeft});

int s_createdBeforeFailing = 0;
int s_failNextCreations = 0;

void ResetFailingCreations() { s_createdBeforeFailing = s_failNextCreations = 0; }

std::string FailingCreationsLeft() {
  if (s_failNextCreations <= 0) return std::string();
  const std::string out = "Column::FailNextCreations: " + std::to_string(s_failNextCreations) + " creation(s) still to fail";
  ResetFailingCreations();
  return out;
}

const bool s_registeredCreations =
    orvex::test::RegisterGlobalState({"column creation failures", &ResetFailingCreations, &FailingCreationsLeft});

// Takes one pending failure, once the creations to let through have passed.
bool CreationMustFail() {
  if (s_failNextCreations <= 0) return false;
  if (s_createdBeforeFailing > 0) {
    --s_createdBeforeFailing;
    return false;
  }
  --s_failNextCreations;
  return true;
}

// Takes one pending failure.
bool WriteMustFail() {
  if (s_failNextWrites <= 0) return false;
  --s_failNextWrites;
  return true;
}

}  // namespace

void Column::FailNextWrites(int n) { s_failNextWrites = n > 0 ? n : 0; }

void Column::FailNextCreations(int n, int after) {
  s_failNextCreations = n > 0 ? n : 0;
  s_createdBeforeFailing = after > 0 ? after : 0;
}

Column* Column::CreateColumn(val::ParameterType type, Units::FullUnitType units) {
  switch (static_cast<int>(type)) {
    case val::kDoubleParam: return new DoubleColumn(units);
    case val::kComplexParam: return new ComplexColumn(units);
    case val::kArcParam: return new ArcColumn(units);
    case val::kCircleParam: return new CircleColumn(units);
    case val::kRegionParam: return new RegionColumn(units);
    case val::kTextParam: return new TextColumn(units);
    case val::kStringParam: return new StringColumn(units);
    case val::kIntParam: return new IntColumn(units);
    case val::kCharParam: return new CharColumn(units);
    case val::kEnumParam: return new EnumColumn(units);
    case val::kDoubleMatrixParam: return new DoubleMatrixColumn(units);
    case val::kComplexMatrixParam: return new ComplexMatrixColumn(units);
    case val::kStringMatrixParam: return new StringMatrixColumn(units);
    default: return nullptr;
  }
}

Column* Column::CreateColumn2(val::ParameterType type, Units::FullUnitType units, IManagedFileService* service,
                              const AString& name1, const AString& name2, bool flag1, bool flag2) {
  if (CreationMustFail()) return nullptr;
  Column* column = CreateColumn(type, units);
  if (!column) return nullptr;
  column->m_name1 = name1;
  column->m_name2 = name2;
  column->m_flag1 = flag1;
  column->m_flag2 = flag2;
  if (service) {
    column->m_service = service;
    column->m_serial = RegisterFileColumn(column);
  }
  return column;
}

namespace {

// a's rows whose SI value lies within tolerance of one of b's: b sorted once, a searched.
std::vector<size_t> MatchRealRows(const Column& a, const Column& b, bool (*entry)(const Column&, size_t, double&)) {
  std::vector<double> keys;
  keys.reserve(b.GetCount());
  double v = 0;
  for (size_t j = 0; j < b.GetCount(); ++j)
    if (entry(b, j, v) && !std::isnan(v)) keys.push_back(v);
  std::sort(keys.begin(), keys.end());
  std::vector<size_t> rows;
  for (size_t i = 0; i < a.GetCount(); ++i) {
    if (!entry(a, i, v) || std::isnan(v)) continue;
    // Within the relative tolerance a match lies closer than 2e-12 |v|.
    const double slack = std::isfinite(v) ? 2e-12 * std::fabs(v) : 0.0;
    auto it = std::lower_bound(keys.begin(), keys.end(), std::isfinite(v) ? v - slack : v);
    for (; it != keys.end() && (*it <= v + slack || *it == v); ++it) {
      if (NearlyEqual(v, *it)) {
        rows.push_back(i);
        break;
      }
    }
  }
  return rows;
}

bool IsTextKind(int t) { return t == val::kTextParam || t == val::kStringParam; }

const AString& TextAt(const Column& c, size_t i) {
  if (const TextColumn* t = c.GetTextColumn()) return t->GetValues()[i];
  return c.GetStringColumn()->GetValues()[i];
}

}  // namespace

Column* Column::IntersectColumns(const Column& a, const Column& b) {
  const int ta = static_cast<int>(a.GetParameterType());
  const int tb = static_cast<int>(b.GetParameterType());
  a.NoteRead();
  b.NoteRead();
  std::vector<size_t> rows;
  if (IsRealKind(ta) && IsRealKind(tb)) {
    rows = MatchRealRows(a, b, [](const Column& c, size_t i, double& out) { return c.GetRealEntrySI(i, out); });
  } else if (IsTextKind(ta) && IsTextKind(tb)) {
    std::vector<AString> keys;
    for (size_t j = 0; j < b.GetCount(); ++j)
      if (!b.IsInvalidAt(j)) keys.push_back(TextAt(b, j));
    std::sort(keys.begin(), keys.end());
    for (size_t i = 0; i < a.GetCount(); ++i)
      if (!a.IsInvalidAt(i) && std::binary_search(keys.begin(), keys.end(), TextAt(a, i))) rows.push_back(i);
  } else if (ta == tb) {
    for (size_t i = 0; i < a.GetCount(); ++i) {
      if (a.IsInvalidAt(i)) continue;
      for (size_t j = 0; j < b.GetCount(); ++j) {
        if (!b.IsInvalidAt(j) && a.SameEntry(i, b, j)) {
          rows.push_back(i);
          break;
        }
      }
    }
  }
  if (rows.empty()) return nullptr;
  std::unique_ptr<Column> out(CreateColumn(a.GetParameterType(), a.GetUnits()));
  if (const EnumColumn* e = a.GetEnumColumn()) {
    AString name;
    if (e->GetEnumName(name)) out->GetEnumColumn()->InitializeEnumName(name);
  }
  for (size_t i : rows) out->AppendEntryOf(a, i);
  return out.release();
}

namespace {

// Room for a column's text by a generous estimate: growing a long text costs more than the numbers.
size_t ValuesTextEstimate(const Column& column) {
  return column.GetCount() * (IsRealKind(static_cast<int>(column.GetParameterType())) ? 20 : 40);
}

// Reads `count` entries into a new column of the kind, each by `readEntry` (a column's own reader,
// which only its class may call); null with `error` set on damaged text.
template <class ReadEntry>
Column* ReadValues(val::ParameterType type, Units::FullUnitType units, size_t count, ValuesTextReader& reader,
                   AString& error, ReadEntry readEntry) {
  std::unique_ptr<Column> column(Column::CreateColumn(type, units));
  if (!column) {
    error = AString::Format(L"ColumnType %d has no column kind", static_cast<int>(type));
    return nullptr;
  }
  // Rows of doubles are the bulk of stored data: room for them at once, bounded by the text, as
  // the count comes from a file.
  if (DoubleColumn* d = column->GetDoubleColumn()) {
    d->GetValues().reserve(std::min(count, reader.Remaining() / 2 + 1));
    io::AdviseBigFillOfCapacity(d->GetValues());
  }
  for (size_t i = 0; i < count; ++i) {
    if (reader.AtEnd()) {
      error = AString::Format(L"ColumnCount is %u but Values holds %u entries", count, i);
      return nullptr;
    }
    if (!readEntry(*column, reader)) {
      error = AString::Format(L"Values: entry %u cannot be read", i);
      return nullptr;
    }
  }
  if (!reader.AtEnd()) {
    error = AString::Format(L"Values holds more than ColumnCount (%u) entries", count);
    return nullptr;
  }
  return column.release();
}

// A long column of doubles, or of complex numbers (real and imaginary parts in turn), is stored
// as this marker and the base64 of its doubles' bytes (DoublesBase64.h): exact, and written and
// read many times faster than a number each. No values text starts so.
const char kBase64Marker[] = "base64:";
constexpr size_t kBase64MarkerSize = sizeof kBase64Marker - 1;
// Shorter columns keep the readable text.
constexpr size_t kBase64MinValues = 1024;
static_assert(sizeof(AComplex<double>) == 2 * sizeof(double), "complex values are two doubles");

bool HasBase64Marker(const char* b, const char* e) {
  return static_cast<size_t>(e - b) >= kBase64MarkerSize && std::memcmp(b, kBase64Marker, kBase64MarkerSize) == 0;
}

bool HasBase64Marker(const AString& text) {
  return text.size() >= kBase64MarkerSize && std::equal(kBase64Marker, kBase64Marker + kBase64MarkerSize, text.begin());
}

// The entries of a column of doubles or complex numbers from the base64 payload [b, e); false
// with `why` set when the payload is damaged or does not pair up.
bool ReadBase64Entries(Column& column, const char* b, const char* e, AString& why) {
  if (DoubleColumn* d = column.GetDoubleColumn()) return io::ReadDoublesBase64(b, e, d->GetValues(), why);
  std::vector<double> parts;
  if (!io::ReadDoublesBase64(b, e, parts, why)) return false;
  if (parts.size() % 2 != 0) {
    why = AString::Format(L"base64 text holds %u doubles, not pairs of complex parts", parts.size());
    return false;
  }
  std::vector<AComplex<double>>& values = column.GetComplexColumn()->GetValues();
  values.reserve(parts.size() / 2);
  for (size_t i = 0; i < parts.size(); i += 2) values.emplace_back(parts[i], parts[i + 1]);
  return true;
}

// A column read from the base64 form's payload [b, e); null with `error` set when the column is
// of another kind, the payload is damaged or it does not hold `count` entries.
Column* ReadBase64Values(val::ParameterType type, Units::FullUnitType units, size_t count, const char* b,
                         const char* e, AString& error) {
  std::unique_ptr<Column> column(Column::CreateColumn(type, units));
  if (!column) {
    error = AString::Format(L"ColumnType %d has no column kind", static_cast<int>(type));
    return nullptr;
  }
  if (!column->GetDoubleColumn() && !column->GetComplexColumn()) {
    error = AString::Format(L"Values: ColumnType %d is not stored in base64", static_cast<int>(type));
    return nullptr;
  }
  AString why;
  if (!ReadBase64Entries(*column, b, e, why)) {
    error = L"Values: " + why;
    return nullptr;
  }
  if (column->GetCount() < count) {
    error = AString::Format(L"ColumnCount is %u but Values holds %u entries", count, column->GetCount());
    return nullptr;
  }
  if (column->GetCount() > count) {
    error = AString::Format(L"Values holds more than ColumnCount (%u) entries", count);
    return nullptr;
  }
  return column.release();
}

// The same from wide text: a character past ASCII is one outside the alphabet.
Column* ReadBase64Values(val::ParameterType type, Units::FullUnitType units, size_t count, const AString& text,
                         AString& error) {
  std::string narrow(text.size() - kBase64MarkerSize, '?');
  for (size_t i = 0; i < narrow.size(); ++i) {
    const wchar_t c = text[kBase64MarkerSize + i];
    if (static_cast<uint32_t>(c) < 0x80) narrow[i] = static_cast<char>(c);
  }
  return ReadBase64Values(type, units, count, narrow.data(), narrow.data() + narrow.size(), error);
}

// "Values" of a long column of doubles or complex numbers, as their n doubles.
io::CBlock_value Base64Values(const double* values, size_t n) {
  io::BigString text;
  text.reserve(kBase64MarkerSize + (n * sizeof(double) + 2) / 3 * 4);
  io::PrepareBigFillOfCapacity(text);
  text.append(kBase64Marker, kBase64MarkerSize);
  io::AppendDoublesBase64(text, values, n);
  return io::CBlock_value::FromPlainAscii(std::move(text));
}

}  // namespace

AString Column::GetValuesText() const {
  NoteRead();
  ValuesTextWriter writer;
  writer.Reserve(ValuesTextEstimate(*this));
  WriteEntries(writer);
  return writer.TakeText();
}

Column* Column::CreateFromValuesText(val::ParameterType type, Units::FullUnitType units, size_t count,
                                     const AString& text, AString& error) {
  if (HasBase64Marker(text)) return ReadBase64Values(type, units, count, text, error);
  ValuesTextReader reader(text.data(), text.data() + text.size());
  return ReadValues(type, units, count, reader, error, [](Column& c, ValuesTextReader& r) { return c.ReadEntry(r); });
}

io::ReadError Column::WriteColumn(io::CBlock& block) const {
  if (WriteMustFail()) return io::kConversionFailed;
  block << io::CBlock_named_value(L"ColumnType", io::CBlock_value(static_cast<int>(m_type)));
  block << io::CBlock_named_value(L"ColumnUnits", io::CBlock_value(static_cast<int>(m_units)));
  block << io::CBlock_named_value(L"ColumnCount", io::CBlock_value(static_cast<long>(GetCount())));
  AString enumName;
  if (const EnumColumn* e = GetEnumColumn(); e && e->GetEnumName(enumName))
    block << io::CBlock_named_value(L"EnumName", io::CBlock_value(std::move(enumName)));
  NoteRead();
  if (const DoubleColumn* d = GetDoubleColumn(); d && d->GetCount() >= kBase64MinValues) {
    block << io::CBlock_named_value(L"Values", Base64Values(d->GetValues().data(), d->GetCount()));
    return io::kNoError;
  }
  if (const ComplexColumn* c = GetComplexColumn(); c && c->GetCount() >= kBase64MinValues) {
    const double* parts = reinterpret_cast<const double*>(c->GetValues().data());
    block << io::CBlock_named_value(L"Values", Base64Values(parts, 2 * c->GetCount()));
    return io::kNoError;
  }
  ValuesTextWriter writer;
  writer.Reserve(ValuesTextEstimate(*this));
  WriteEntries(writer);
  block << io::CBlock_named_value(L"Values", writer.TakeValue());
  return io::kNoError;
}

Column* Column::ReadAndCreateColumn(const io::CBlock& block) {
  AString error;
  return ReadAndCreateColumn(block, error);
}

namespace {

// Restores the caller's found flag, which every lookup sets.
class FoundFlagKeeper {
public:
  explicit FoundFlagKeeper(const io::CBlock& block) : m_block(block), m_found(block.Found()) {}
  ~FoundFlagKeeper() { m_block.ResetFound(m_found); }

private:
  const io::CBlock& m_block;
  bool m_found;
};

// The named value's number; `error` set when it is missing or no number.
bool ReadNumber(const io::CBlock& block, const wchar_t* key, long& out, AString& error) {
  const io::CBlock_named_value* nv = block.FindNamedValue(key);
  if (!nv) {
    error = AString::Format(L"%s missing", key);
    return false;
  }
  if (!nv->GetValue().Query(out)) {
    error = AString::Format(L"%s is not a whole number", key);
    return false;
  }
  return true;
}

}  // namespace

Column* Column::ReadAndCreateColumn(const io::CBlock& block, AString& error) {
  FoundFlagKeeper keeper(block);
  long type = 0, units = 90, count = 0;
  if (!ReadNumber(block, L"ColumnType", type, error)) return nullptr;
  if (block.FindNamedValue(L"ColumnUnits") && !ReadNumber(block, L"ColumnUnits", units, error)) return nullptr;
  if (!ReadNumber(block, L"ColumnCount", count, error)) return nullptr;
  if (count < 0) {
    error = AString::Format(L"ColumnCount %d is negative", count);
    return nullptr;
  }
  if (type < INT32_MIN || type > INT32_MAX || units < INT32_MIN || units > INT32_MAX) {
    error = AString(L"ColumnType or ColumnUnits out of range");
    return nullptr;
  }
  // A unit no table knows counts as no unit here, before any conversion meets it: the values stay.
  if (!Units::IsKnown(static_cast<Units::FullUnitType>(units))) {
    ORVEX_ASSERT(!"unknown full unit type");
    units = Units::kNoUnit;
  }
  const size_t rows = static_cast<size_t>(count);
  std::unique_ptr<Column> column;
  if (const io::CBlock_named_value* values = block.FindNamedValue(L"Values")) {
    const io::CBlock_value& value = values->GetValue();
    if (value.GetKind() != io::CBlock_value::kString) {
      error = AString(L"Values is not a text");
      return nullptr;
    }
    // Read in place: a long column's text is not worth a copy, nor a wide one.
    if (const io::BigString* ascii = value.GetAscii()) {
      const char* const b = ascii->data();
      const char* const e = b + ascii->size();
      if (HasBase64Marker(b, e)) {
        column.reset(ReadBase64Values(static_cast<val::ParameterType>(type), static_cast<int>(units), rows,
                                      b + kBase64MarkerSize, e, error));
      } else {
        ValuesTextReader reader(b, e);
        column.reset(ReadValues(static_cast<val::ParameterType>(type), static_cast<int>(units), rows, reader, error,
                                [](Column& c, ValuesTextReader& r) { return c.ReadEntry(r); }));
      }
    } else {
      column.reset(CreateFromValuesText(static_cast<val::ParameterType>(type), static_cast<int>(units), rows,
                                        value.GetString(), error));
    }
  } else {
    column.reset(CreateFromValuesText(static_cast<val::ParameterType>(type), static_cast<int>(units), rows, AString(), error));
  }
  if (!column) return nullptr;
  AString enumName;
  if (const io::CBlock_named_value* name = block.FindNamedValue(L"EnumName")) {
    if (EnumColumn* e = column->GetEnumColumn(); e && name->GetValue().Query(enumName)) e->InitializeEnumName(enumName);
  }
  return column.release();
}