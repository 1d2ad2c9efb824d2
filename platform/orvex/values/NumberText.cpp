#include "orvex/values/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace val {

namespace {

// Fewer digits can round a finite number past the largest double ("%.15g" of 1.7976931348623157e308):
// the reader refuses such a text, as it refuses every number out of range.
bool ReadsBackInRange(const char* text) {
  while (*text == ' ' || *text == '+') ++text;
  double back = 0;
  return std::from_chars(text, text + std::strlen(text), back).ec != std::errc::result_out_of_range;
}

}  // namespace

AString FormatDouble(double v, const char* format) {
  char buf[128];
  int n = std::snprintf(buf, sizeof buf, format ? format : "%.15g", v);
  if (n < 0) return AString();
  if (std::isfinite(v) && !ReadsBackInRange(buf)) n = std::snprintf(buf, sizeof buf, "%.17g", v);
  AString out;
  for (const char* p = buf; *p; ++p) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
  // Trailing blanks of a left-justified width would not read back as part of the number.
  return out.Trimmed();
}

AString FormatComplex(const AComplex<double>& c, const char* format) {
  AString out = FormatDouble(c.real(), format);
  double im = c.imag();
  if (std::isnan(im)) return out + L"+nani";
  out += std::signbit(im) ? L"-" : L"+";
  out += FormatDouble(std::fabs(im), format);
  out += L"i";
  return out;
}

}  // namespace val
