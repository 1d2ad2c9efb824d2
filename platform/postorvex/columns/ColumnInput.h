// One value on its way into a column: its parameter type, the unit its number is in, and its content.
#pragma once

#include <cstdint>
#include <limits>

#include "orvex/core/AString.h"
#include "postorvex/columns/ColumnTypes.h"

struct ColumnInput {
  // 0 is "no value" (an invalid or empty value): the column appends its invalid marker.
  val::ParameterType type = val::kNoParam;
  Units::FullUnitType units = 90;  // unit of `number` and `complex`
  double number = std::numeric_limits<double>::quiet_NaN();  // type 1
  AComplex<double> complex;                                  // type 2
  int32_t integer = 0;                                       // types 13 and 15
  char character = 0;                                        // type 14
  AString text;                                              // types 9 and 10
  ArcParam arc{};                                            // type 3
  CircleParam circle{};                                      // type 4
  RegionParam region;                                        // type 5

  static ColumnInput None() { return ColumnInput(); }
  static ColumnInput Number(double v, Units::FullUnitType u) {
    ColumnInput in;
    in.type = val::kDoubleParam;
    in.units = u;
    in.number = v;
    return in;
  }
  static ColumnInput Complex(const AComplex<double>& v, Units::FullUnitType u) {
    ColumnInput in;
    in.type = val::kComplexParam;
    in.units = u;
    in.complex = v;
    return in;
  }
  // Type 13 (integer) or 15 (enumeration).
  static ColumnInput Digital(int32_t v, val::ParameterType t) {
    ColumnInput in;
    in.type = t;
    in.integer = v;
    return in;
  }
  static ColumnInput Character(char c) {
    ColumnInput in;
    in.type = val::kCharParam;
    in.character = c;
    return in;
  }
  // Type 9 (text) or 10 (string).
  static ColumnInput Text(const AString& s, val::ParameterType t) {
    ColumnInput in;
    in.type = t;
    in.text = s;
    return in;
  }
  static ColumnInput Arc(const ArcParam& a) {
    ColumnInput in;
    in.type = val::kArcParam;
    in.arc = a;
    return in;
  }
  static ColumnInput Circle(const CircleParam& c) {
    ColumnInput in;
    in.type = val::kCircleParam;
    in.circle = c;
    return in;
  }
  static ColumnInput Region(const RegionParam& r) {
    ColumnInput in;
    in.type = val::kRegionParam;
    in.region = r;
    return in;
  }
};
