// Which design and solution a computed trace takes its data from, and under which report type.
#pragma once

#include "orvex/core/OrvexApi.h"
#include "orvex/io/ReadError.h"
#include "postorvex/solution/ReportTypeSolutionDefinition.h"

namespace io {
class CBlock;
}  // namespace io

class POSTORVEX_API DesignSolutionDefinition {
public:
  DesignSolutionDefinition();
  DesignSolutionDefinition(long designID, long solutionID, const ReportTypeSolutionDefinition& definition);

  long GetDesignID() const { return m_designID; }
  void SetDesignID(long id) { m_designID = id; }
  long GetSolutionID() const { return m_solutionID; }
  void SetSolutionID(long id) { m_solutionID = id; }
  ReportTypeSolutionDefinition GetReportTypeSolutionDefinition() const { return m_definition; }
  const ReportTypeSolutionDefinition& GetReportTypeSolutionDefinitionRef() const { return m_definition; }
  void SetReportTypeSolutionDefinition(const ReportTypeSolutionDefinition& d) { m_definition = d; }

  // Design, then solution, then the report-type definition.
  bool operator<(const DesignSolutionDefinition& other) const;
  bool operator==(const DesignSolutionDefinition& other) const;
  bool operator!=(const DesignSolutionDefinition& other) const { return !(*this == other); }

  // "DesignID", "SolutionID", "ReportType", then the context's function item. Reading keeps each
  // member whose item is missing (answer 2) or damaged (answer 1); the first error is answered.
  io::ReadError DoDataExchange(io::CBlock& block, bool read);

private:
  long m_designID;
  long m_solutionID;
  ReportTypeSolutionDefinition m_definition;
};
