#include "orvex/values/NumberText.h"

#include <cmath>
#include <cstdio>

namespace val {

AString FormatDouble(double v, const char* format) {
  char buf[128];
  int n = std::snprintf(buf, sizeof buf, format ? format : "%.15g", v);
  if (n < 0) return AString();
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
