#include "postorvex/solution/ReportTypeSolutionDefinition.h"

ReportTypeSolutionDefinition::ReportTypeSolutionDefinition(unsigned reportType, const SimValueContext& context)
    : m_reportType(reportType), m_context(context) {}

bool ReportTypeSolutionDefinition::operator<(const ReportTypeSolutionDefinition& other) const {
  if (m_reportType != other.m_reportType) return m_reportType < other.m_reportType;
  return m_context < other.m_context;
}

bool ReportTypeSolutionDefinition::operator==(const ReportTypeSolutionDefinition& other) const {
  return m_reportType == other.m_reportType && m_context == other.m_context;
}
