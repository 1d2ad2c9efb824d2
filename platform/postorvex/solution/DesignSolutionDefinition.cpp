#include "postorvex/solution/DesignSolutionDefinition.h"

DesignSolutionDefinition::DesignSolutionDefinition() : m_designID(-1), m_solutionID(-1) {}

DesignSolutionDefinition::DesignSolutionDefinition(long designID, long solutionID,
                                                   const ReportTypeSolutionDefinition& definition)
    : m_designID(designID), m_solutionID(solutionID), m_definition(definition) {}

bool DesignSolutionDefinition::operator<(const DesignSolutionDefinition& other) const {
  if (m_designID != other.m_designID) return m_designID < other.m_designID;
  if (m_solutionID != other.m_solutionID) return m_solutionID < other.m_solutionID;
  return m_definition < other.m_definition;
}

bool DesignSolutionDefinition::operator==(const DesignSolutionDefinition& other) const {
  return m_designID == other.m_designID && m_solutionID == other.m_solutionID && m_definition == other.m_definition;
}
