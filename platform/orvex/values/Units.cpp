#include "orvex/values/Units.h"

#include <cmath>
#include <vector>

#include "orvex/core/Assert.h"

namespace {

const double kPi = 3.14159265358979323846;

struct UnitTable {
  std::vector<UnitDefinition> defs;
  const UnitDefinition* byFull[256] = {};

  UnitTable() {
    defs = {
        {L"fs", 100, 6, 1, -15},   {L"ps", 101, 6, 1, -12},   {L"ns", 102, 6, 1, -9},
        {L"us", 103, 6, 1, -6},    {L"ms", 104, 6, 1, -3},    {L"s", 105, 6, 1, 0},
        {L"Hz", 110, 1, 1, 0},     {L"kHz", 111, 1, 1, 3},    {L"MHz", 112, 1, 1, 6},
        {L"GHz", 113, 1, 1, 9},    {L"THz", 114, 1, 1, 12},   {L"uV", 120, 2, 1, -6},
        {L"mV", 121, 2, 1, -3},    {L"V", 122, 2, 1, 0},      {L"kV", 123, 2, 1, 3},
        {L"nA", 130, 3, 1, -9},    {L"uA", 131, 3, 1, -6},    {L"mA", 132, 3, 1, -3},
        {L"A", 133, 3, 1, 0},      {L"nm", 140, 4, 1, -9},    {L"um", 141, 4, 1, -6},
        {L"mm", 142, 4, 1, -3},    {L"cm", 143, 4, 1, -2},    {L"m", 144, 4, 1, 0},
        {L"km", 145, 4, 1, 3},     {L"mil", 146, 4, 2.54, -5}, {L"in", 147, 4, 2.54, -2},
        {L"rad", 150, 5, 1, 0},    {L"deg", 151, 5, kPi / 180, 0},
        {L"uW", 160, 7, 1, -6},    {L"mW", 161, 7, 1, -3},    {L"W", 162, 7, 1, 0},
        {L"kW", 163, 7, 1, 3},     {L"mOhm", 170, 8, 1, -3},  {L"ohm", 171, 8, 1, 0},
        {L"kOhm", 172, 8, 1, 3},   {L"MOhm", 173, 8, 1, 6},   {L"fF", 180, 9, 1, -15},
        {L"pF", 181, 9, 1, -12},   {L"nF", 182, 9, 1, -9},    {L"uF", 183, 9, 1, -6},
        {L"F", 184, 9, 1, 0},      {L"pH", 190, 10, 1, -12},  {L"nH", 191, 10, 1, -9},
        {L"uH", 192, 10, 1, -6},   {L"mH", 193, 10, 1, -3},   {L"H", 194, 10, 1, 0},
        {L"dB", 200, 12, 1, 0},    {L"", 90, 15, 1, 0},
    };
    for (const UnitDefinition& d : defs) byFull[d.GetFullUnitType()] = &d;
  }
};

const UnitTable& Table() {
  static const UnitTable t;
  return t;
}

const UnitDefinition* Find(Units::FullUnitType full) {
  return full >= 0 && full < 256 ? Table().byFull[full] : nullptr;
}

const UnitDefinition* FindOrNoUnit(Units::FullUnitType full) {
  if (const UnitDefinition* d = Find(full)) return d;
  ORVEX_ASSERT(!"unknown full unit type");
  return Table().byFull[Units::kNoUnit];
}

// Powers of ten up to 1e22 are exact doubles.
double ScaleByPowerOfTen(double x, int k) {
  static const double p[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                               1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  while (k > 22) {
    x *= p[22];
    k -= 22;
  }
  while (k < -22) {
    x /= p[22];
    k += 22;
  }
  return k >= 0 ? x * p[k] : x / p[-k];
}

}  // namespace

UnitDefinition::UnitDefinition(const wchar_t* name, Units::FullUnitType full, Units::UnitType category,
                               double mantissa, int exponent)
    : m_name(name), m_full(full), m_category(category), m_mantissa(mantissa), m_exponent(exponent),
      m_scale(ScaleByPowerOfTen(mantissa, exponent)) {}

const UnitDefinition* Units::GetUnitDef(const AString& name, UnitType category) {
  if (name.empty()) return nullptr;
  for (const UnitDefinition& d : Table().defs) {
    if (d.GetFullUnitType() == kNoUnit) continue;
    if (category != kNoUnitType && d.GetUnitType() != category) continue;
    if (d.GetName() == name) return &d;
  }
  return nullptr;
}

const UnitDefinition* Units::GetUnitDef(FullUnitType full) { return Find(full); }

Units::FullUnitType Units::GetDefaultUnits(UnitType category) {
  switch (category) {
    case kFrequency: return kHz;
    case kVoltage: return kVolt;
    case kCurrent: return kAmpere;
    case kLength: return kMeter;
    case kAngle: return kRad;
    case kTime: return kSecond;
    case kPower: return kWatt;
    case kResistance: return kOhm;
    case kCapacitance: return kFarad;
    case kInductance: return kHenry;
    case kDecibel: return kDB;
    default: return kNoUnit;
  }
}

Units::UnitType Units::GetUnitType(FullUnitType full) { return FindOrNoUnit(full)->GetUnitType(); }

AString Units::GetUnitName(FullUnitType full) { return FindOrNoUnit(full)->GetName(); }

bool Units::IsKnown(FullUnitType full) { return Find(full) != nullptr; }

double Units::ConvertToSI(double valueInUnit, FullUnitType full) {
  if (full == kNoUnit) return valueInUnit;
  return Convert(valueInUnit, full, kNoUnit);
}

double Units::ConvertFromSI(double si, FullUnitType full) {
  if (full == kNoUnit) return si;
  return Convert(si, kNoUnit, full);
}

double Units::Convert(double value, FullUnitType from, FullUnitType to) {
  if (from == to) {
    FindOrNoUnit(from);
    return value;
  }
  const UnitDefinition* a = FindOrNoUnit(from);
  const UnitDefinition* b = FindOrNoUnit(to);
  if (a == b) return value;
  double v = a->GetMantissa() == b->GetMantissa() ? value : value * a->GetMantissa() / b->GetMantissa();
  return ScaleByPowerOfTen(v, a->GetExponent() - b->GetExponent());
}

void Units::ConvertAll(double* values, size_t n, FullUnitType from, FullUnitType to) {
  const UnitDefinition* a = FindOrNoUnit(from);
  const UnitDefinition* b = FindOrNoUnit(to);
  if (from == to || a == b) return;
  const double ma = a->GetMantissa(), mb = b->GetMantissa();
  const int exponent = a->GetExponent() - b->GetExponent();
  for (size_t i = 0; i < n; ++i) {
    const double v = ma == mb ? values[i] : values[i] * ma / mb;
    values[i] = ScaleByPowerOfTen(v, exponent);
  }
}
