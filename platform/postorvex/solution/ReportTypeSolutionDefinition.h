// A report type together with the context under which a solution shows it.
#pragma once

#include "orvex/core/OrvexApi.h"
#include "postorvex/solution/SimValueContext.h"

class POSTORVEX_API ReportTypeSolutionDefinition {
public:
  ReportTypeSolutionDefinition(unsigned reportType = 0, const SimValueContext& context = SimValueContext());

  unsigned GetReportType() const { return m_reportType; }
  void SetReportType(unsigned reportType) { m_reportType = reportType; }
  SimValueContext GetSimValueContext() const { return m_context; }
  const SimValueContext& GetSimValueContextRef() const { return m_context; }
  void SetSimValueContext(const SimValueContext& context) { m_context = context; }

  // Report type first, then the context.
  bool operator<(const ReportTypeSolutionDefinition& other) const;
  bool operator==(const ReportTypeSolutionDefinition& other) const;
  bool operator!=(const ReportTypeSolutionDefinition& other) const { return !(*this == other); }
  bool Matches(const ReportTypeSolutionDefinition& other) const { return *this == other; }

private:
  unsigned m_reportType;
  SimValueContext m_context;
};
