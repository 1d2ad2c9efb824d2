#include "postorvex/solution/DesignSolutionDefinition.h"

#include "orvex/core/Ids.h"
#include "orvex/io/Block.h"

DesignSolutionDefinition::DesignSolutionDefinition() : m_designID(id::invalidID), m_solutionID(id::invalidID) {}

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

io::ReadError DesignSolutionDefinition::DoDataExchange(io::CBlock& block, bool read) {
  unsigned reportType = m_definition.GetReportType();
  if (!read) {
    io::DoDataExchange(block, false, ACHAR("DesignID"), m_designID, io::kReturnCode);
    io::DoDataExchange(block, false, ACHAR("SolutionID"), m_solutionID, io::kReturnCode);
    io::DoDataExchange(block, false, ACHAR("ReportType"), reportType, io::kReturnCode);
    m_definition.GetSimValueContextRef().WriteFuncToParentBlock(block);
    return io::kNoError;
  }
  io::ReadError result = io::kNoError;
  auto note = [&result](io::ReadError e) {
    if (result == io::kNoError) result = e;
  };
  note(io::DoDataExchange(block, true, ACHAR("DesignID"), m_designID, io::kReturnCode));
  note(io::DoDataExchange(block, true, ACHAR("SolutionID"), m_solutionID, io::kReturnCode));
  if (io::ReadError e = io::DoDataExchange(block, true, ACHAR("ReportType"), reportType, io::kReturnCode))
    note(e);
  else
    m_definition.SetReportType(reportType);
  SimValueContext context = m_definition.GetSimValueContext();
  if (!block.FindFunc(SimValueContext::GetFuncName()))
    note(2);
  else if (!context.ReadFuncFromParentBlock(block))
    note(1);
  else
    m_definition.SetSimValueContext(context);
  block.ResetFound(result == io::kNoError);
  return result;
}
