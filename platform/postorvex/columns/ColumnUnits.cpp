#include <cstdio>
#include <cmath>

#include "postorvex/columns/ColumnImpl.h"

namespace postorvex {
namespace columns {

double UnitScaleToSI(Units::FullUnitType units) { return Units::ConvertToSI(1.0, units); }

AString UnitName(Units::FullUnitType units) { return Units::GetUnitName(units); }

// Between the two units directly, so decimal units convert exactly where a power of ten allows.
double ConvertUnits(double v, Units::FullUnitType from, Units::FullUnitType to) { return Units::Convert(v, from, to); }

AString NumberText(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return AString::FromUtf8(buf);
}

AString ComplexText(const AComplex<double>& v) {
  AString out = NumberText(v.Real());
  out += std::signbit(v.Imag()) ? L'-' : L'+';
  out += NumberText(std::fabs(v.Imag()));
  out += L'i';
  return out;
}

bool NearlyEqual(double a, double b) {
  if (a == b) return true;
  return std::fabs(a - b) <= 1e-12 * std::fmax(std::fabs(a), std::fabs(b));
}

}  // namespace columns
}  // namespace postorvex
