#include "refhost/ReferenceDerivedDataDefinition.h"

namespace refhost {

int ReferenceDerivedDataDefinition::s_alive = 0;
int ReferenceContextObject::s_alive = 0;

ReferenceDerivedDataDefinition::ReferenceDerivedDataDefinition(long solutionID, const ReportTypeSolutionDefinition& def)
    : m_solutionID(solutionID), m_def(def) {
  ++s_alive;
}

ReferenceDerivedDataDefinition::ReferenceDerivedDataDefinition(const ReferenceDerivedDataDefinition& other)
    : IDerivedDataDefinition(), m_solutionID(other.m_solutionID), m_def(other.m_def) {
  ++s_alive;
}

ReferenceDerivedDataDefinition::~ReferenceDerivedDataDefinition() { --s_alive; }

bool ReferenceDerivedDataDefinition::IsSame(const IDerivedDataDefinition& other) const {
  const auto* o = dynamic_cast<const ReferenceDerivedDataDefinition*>(&other);
  return o && o->m_solutionID == m_solutionID && o->m_def == m_def;
}

}  // namespace refhost
