#include "postorvex/columns/DigitalColumnT.h"

#include <limits>
#include <string>

#include "postorvex/columns/CharColumn.h"
#include "postorvex/columns/ColumnImpl.h"
#include "postorvex/columns/EnumColumn.h"
#include "postorvex/columns/IntColumn.h"
#include "postorvex/columns/ValuesText.h"

using namespace postorvex::columns;

namespace {

// The numbers an entry type holds, and how an entry stands for its number.
template <class T>
struct DigitalEntry;

template <>
struct DigitalEntry<int32_t> {
  static constexpr int64_t kMin = INT32_MIN;
  static constexpr int64_t kMax = INT32_MAX;
  static int64_t Number(int32_t v) { return v; }
  static int32_t FromNumber(int64_t d) { return static_cast<int32_t>(d); }
};

// A character reads as unsigned.
template <>
struct DigitalEntry<char> {
  static constexpr int64_t kMin = 0;
  static constexpr int64_t kMax = 255;
  static int64_t Number(char v) { return static_cast<unsigned char>(v); }
  static char FromNumber(int64_t d) { return static_cast<char>(static_cast<unsigned char>(d)); }
};

}  // namespace

template <class Derived, class T>
bool DigitalColumnT<Derived, T>::AppendInput(const ColumnInput& value) {
  typedef DigitalEntry<T> Entry;
  int64_t d = 0;
  bool invalid = false;
  if (static_cast<int>(value.type) == val::kNoParam) {
    m_values.push_back(Derived::kInvalidValue);
    return true;
  }
  if (!DigitalInput(value, d, invalid)) {
    ReportKindDoesNotFit();
    m_values.push_back(Derived::kInvalidValue);
    return false;
  }
  if (invalid) {
    m_values.push_back(Derived::kInvalidValue);
    return true;
  }
  // The invalid marker cannot be held as a value (a character's 128).
  const bool fits = d >= Entry::kMin && d <= Entry::kMax && Entry::FromNumber(d) != Derived::kInvalidValue;
  m_values.push_back(fits ? Entry::FromNumber(d) : Derived::kInvalidValue);
  return fits;
}

template <class Derived, class T>
double DigitalColumnT<Derived, T>::GetEntryAsDouble(size_t i) const {
  if (m_values[i] == Derived::kInvalidValue) return std::numeric_limits<double>::quiet_NaN();
  return static_cast<double>(DigitalEntry<T>::Number(m_values[i]));
}

template <class Derived, class T>
AString DigitalColumnT<Derived, T>::EntryText(size_t i) const {
  return AString(std::to_wstring(DigitalEntry<T>::Number(m_values[i])));
}

template <class Derived, class T>
void DigitalColumnT<Derived, T>::WriteEntries(ValuesTextWriter& out) const {
  for (T v : m_values) out.Int(DigitalEntry<T>::Number(v));
}

template <class Derived, class T>
bool DigitalColumnT<Derived, T>::ReadEntry(ValuesTextReader& in) {
  int64_t v = 0;
  if (!in.Int(v, DigitalEntry<T>::kMin, DigitalEntry<T>::kMax)) return false;
  m_values.push_back(DigitalEntry<T>::FromNumber(v));
  return true;
}

template class DigitalColumnT<IntColumn, int32_t>;
template class DigitalColumnT<CharColumn, char>;
template class DigitalColumnT<EnumColumn, int32_t>;
