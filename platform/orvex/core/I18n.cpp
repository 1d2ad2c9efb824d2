#include "orvex/core/I18n.h"

#include <type_traits>

namespace i18n {

namespace {

template <class T>
AString Decimal(T value) {
  // Digits are taken from the magnitude in the unsigned type, so the most negative value works.
  using U = std::make_unsigned_t<T>;
  bool negative = false;
  if constexpr (std::is_signed_v<T>) negative = value < 0;
  U magnitude = negative ? U(0) - static_cast<U>(value) : static_cast<U>(value);
  wchar_t buf[24];
  wchar_t* end = buf + 24;
  wchar_t* p = end;
  do {
    *--p = static_cast<wchar_t>(L'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) *--p = L'-';
  return AString(p, static_cast<size_t>(end - p));
}

}  // namespace

AString MakeNumberString(int value) { return Decimal(value); }
AString MakeNumberString(long value) { return Decimal(value); }
AString MakeNumberString(long long value) { return Decimal(value); }
AString MakeNumberString(unsigned value) { return Decimal(value); }
AString MakeNumberString(unsigned long value) { return Decimal(value); }
AString MakeNumberString(unsigned long long value) { return Decimal(value); }

}  // namespace i18n
