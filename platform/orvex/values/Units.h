// The unit table: categories, units and their scales to SI, shared by values and columns.
#pragma once

#include <cstddef>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class UnitDefinition;

class ORVEX_API Units {
public:
  using UnitType = int;      // a category
  using FullUnitType = int;  // one unit

  enum : UnitType {
    kFrequency = 1,
    kVoltage = 2,
    kCurrent = 3,
    kLength = 4,
    kAngle = 5,
    kTime = 6,
    kPower = 7,
    kResistance = 8,
    kCapacitance = 9,
    kInductance = 10,
    kDecibel = 12,
    kNoUnitType = 15,  // also "every category" for GetUnitDef
  };
  enum : FullUnitType {
    kNoUnit = 90,
    kFs = 100, kPs, kNs, kUs, kMs, kSecond,
    kHz = 110, kKHz, kMHz, kGHz, kTHz,
    kUV = 120, kMV, kVolt, kKV,
    kNA = 130, kUA, kMA, kAmpere,
    kNm = 140, kUm, kMm, kCm, kMeter, kKm, kMil, kInch,
    kRad = 150, kDeg,
    kUW = 160, kMW, kWatt, kKW,
    kMOhm = 170, kOhm, kKOhm, kMegOhm,
    kFF = 180, kPF, kNF, kUF, kFarad,
    kPH = 190, kNH, kUH, kMH, kHenry,
    kDB = 200,
  };

  // Names are case-sensitive ("mV" is not "MV"); category 15 searches every category.
  static const UnitDefinition* GetUnitDef(const AString& name, UnitType category);
  // Null for an unknown full unit type, without an assertion.
  static const UnitDefinition* GetUnitDef(FullUnitType full);
  static FullUnitType GetDefaultUnits(UnitType category);
  static UnitType GetUnitType(FullUnitType full);
  // Empty for 90.
  static AString GetUnitName(FullUnitType full);
  static bool IsKnown(FullUnitType full);

  // An unknown full unit type counts as 90 after "!\"unknown full unit type\"".
  static double ConvertToSI(double valueInUnit, FullUnitType full);
  static double ConvertFromSI(double si, FullUnitType full);
  // Between two units directly, so decimal units convert exactly where a power of ten allows.
  static double Convert(double value, FullUnitType from, FullUnitType to);
  // Each of n values converted in place, the same numbers Convert gives one by one.
  static void ConvertAll(double* values, size_t n, FullUnitType from, FullUnitType to);
};

class ORVEX_API UnitDefinition {
public:
  // scale to SI = mantissa * 10^exponent
  UnitDefinition(const wchar_t* name, Units::FullUnitType full, Units::UnitType category, double mantissa,
                 int exponent);

  Units::FullUnitType GetFullUnitType() const { return m_full; }
  const AString& GetName() const { return m_name; }
  Units::UnitType GetUnitType() const { return m_category; }
  double GetScaleToSI() const { return m_scale; }
  double GetMantissa() const { return m_mantissa; }
  int GetExponent() const { return m_exponent; }

private:
  AString m_name;
  Units::FullUnitType m_full;
  Units::UnitType m_category;
  double m_mantissa;
  int m_exponent;
  double m_scale;
};
