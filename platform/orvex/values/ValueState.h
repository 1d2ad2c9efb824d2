// What a value is without its number: parameter type, unit category, database type and unit.
#pragma once

#include "orvex/core/OrvexApi.h"
#include "orvex/values/Units.h"
#include "orvex/values/ValueCodes.h"

class ORVEX_API ValueState {
public:
  // (0, 15, 1) with unit 90.
  ValueState();
  // The unit is the category's default.
  ValueState(val::ParameterType type, Units::UnitType category, val::DBType db);
  ValueState(val::ParameterType type, Units::UnitType category, val::DBType db, Units::FullUnitType full);

  val::ParameterType GetParameterType() const { return m_type; }
  void SetParameterType(val::ParameterType t) { m_type = t; }
  Units::UnitType GetUnitType() const { return m_category; }
  Units::FullUnitType GetFullUnitType() const { return m_full; }
  val::DBType GetDBType() const { return m_db; }

  bool operator==(const ValueState& o) const;
  bool operator!=(const ValueState& o) const { return !(*this == o); }
  bool operator<(const ValueState& o) const;

private:
  val::ParameterType m_type;
  Units::UnitType m_category;
  val::DBType m_db;
  Units::FullUnitType m_full;
};
