#include "orvex/values/ValueState.h"

#include <tuple>

ValueState::ValueState() : ValueState(val::kNoParam, Units::kNoUnitType, val::kDefaultDBType, Units::kNoUnit) {}

ValueState::ValueState(val::ParameterType type, Units::UnitType category, val::DBType db)
    : ValueState(type, category, db, Units::GetDefaultUnits(category)) {}

ValueState::ValueState(val::ParameterType type, Units::UnitType category, val::DBType db,
                       Units::FullUnitType full)
    : m_type(type), m_category(category), m_db(db), m_full(full) {}

bool ValueState::operator==(const ValueState& o) const {
  return m_type == o.m_type && m_category == o.m_category && m_db == o.m_db && m_full == o.m_full;
}

bool ValueState::operator<(const ValueState& o) const {
  return std::tie(m_type, m_category, m_db, m_full) < std::tie(o.m_type, o.m_category, o.m_db, o.m_full);
}
