#include <cstdio>
#include <cmath>

#include "orvex/core/Assert.h"
#include "postorvex/columns/ColumnImpl.h"

namespace postorvex {
namespace columns {

namespace {

struct UnitRow {
  int full;
  const wchar_t* name;
  double scale;
};

// Interim copy of the value layer's unit table; replaced by its conversion functions.
const UnitRow kUnits[] = {
    {90, L"", 1.0},
    {100, L"fs", 1e-15}, {101, L"ps", 1e-12}, {102, L"ns", 1e-9}, {103, L"us", 1e-6}, {104, L"ms", 1e-3},
    {105, L"s", 1.0},
    {110, L"Hz", 1.0}, {111, L"kHz", 1e3}, {112, L"MHz", 1e6}, {113, L"GHz", 1e9}, {114, L"THz", 1e12},
    {120, L"uV", 1e-6}, {121, L"mV", 1e-3}, {122, L"V", 1.0}, {123, L"kV", 1e3},
    {130, L"nA", 1e-9}, {131, L"uA", 1e-6}, {132, L"mA", 1e-3}, {133, L"A", 1.0},
    {140, L"nm", 1e-9}, {141, L"um", 1e-6}, {142, L"mm", 1e-3}, {143, L"cm", 1e-2}, {144, L"m", 1.0},
    {145, L"km", 1e3}, {146, L"mil", 2.54e-5}, {147, L"in", 0.0254},
    {150, L"rad", 1.0}, {151, L"deg", 3.14159265358979323846 / 180.0},
    {160, L"uW", 1e-6}, {161, L"mW", 1e-3}, {162, L"W", 1.0}, {163, L"kW", 1e3},
    {170, L"mOhm", 1e-3}, {171, L"ohm", 1.0}, {172, L"kOhm", 1e3}, {173, L"MOhm", 1e6},
    {180, L"fF", 1e-15}, {181, L"pF", 1e-12}, {182, L"nF", 1e-9}, {183, L"uF", 1e-6}, {184, L"F", 1.0},
    {190, L"pH", 1e-12}, {191, L"nH", 1e-9}, {192, L"uH", 1e-6}, {193, L"mH", 1e-3}, {194, L"H", 1.0},
    {200, L"dB", 1.0},
};

const UnitRow& FindUnit(Units::FullUnitType units) {
  for (const UnitRow& r : kUnits)
    if (r.full == static_cast<int>(units)) return r;
  ORVEX_ASSERT(!"unknown full unit type");
  return kUnits[0];
}

}  // namespace

double UnitScaleToSI(Units::FullUnitType units) { return FindUnit(units).scale; }

AString UnitName(Units::FullUnitType units) { return AString(FindUnit(units).name); }

double ConvertUnits(double v, Units::FullUnitType from, Units::FullUnitType to) {
  if (from == to) return v;
  return v * UnitScaleToSI(from) / UnitScaleToSI(to);
}

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
