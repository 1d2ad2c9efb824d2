// One value reduced to what point lookups compare: a text, or a complex number in SI.
#pragma once

#include <cstddef>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/AComplex.h"

class Column;
class Value;

namespace postp {

// Relative tolerance 1e-12 of the larger magnitude; NaN equals NaN, an infinity only itself.
POSTORVEX_API bool IsNearlyEqualSI(double a, double b);

// Texts (values of type 9 and 10, text and string columns, and the kinds without a number such
// as matrices) compare exactly; numbers compare by IsNearlyEqualSI on both parts. A text never
// equals a number.
struct POSTORVEX_API ValueKey {
  bool isText = false;
  AString text;
  AComplex<double> si;

  static ValueKey FromValue(const Value& value);
  // Row `row` of the column; the caller keeps `row` in range.
  static ValueKey FromColumnRow(const Column& column, size_t row);
  bool Matches(const ValueKey& other) const;
};

}  // namespace postp
