#include "postorvex/solution/DesignSolutionDefinition.h"

#include "orvex/core/Ids.h"
#include "orvex/io/Block.h"

namespace {
// Keys made once: every trace of a project reads them, and a temporary text is an allocation.
const AString kDesignID(ACHAR("DesignID"));
const AString kSolutionID(ACHAR("SolutionID"));
const AString kReportType(ACHAR("ReportType"));
const AString kSimValueContext(SimValueContext::GetFuncName());
}  // namespace

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
    io::DoDataExchange(block, false, kDesignID, m_designID, io::kReturnCode);
    io::DoDataExchange(block, false, kSolutionID, m_solutionID, io::kReturnCode);
    io::DoDataExchange(block, false, kReportType, reportType, io::kReturnCode);
    m_definition.GetSimValueContextRef().WriteFuncToParentBlock(block);
    return io::kNoError;
  }
  io::ReadError result = io::kNoError;
  auto note = [&result](io::ReadError e) {
    if (result == io::kNoError) result = e;
  };
  note(io::DoDataExchange(block, true, kDesignID, m_designID, io::kReturnCode));
  note(io::DoDataExchange(block, true, kSolutionID, m_solutionID, io::kReturnCode));
  if (io::ReadError e = io::DoDataExchange(block, true, kReportType, reportType, io::kReturnCode))
    note(e);
  else
    m_definition.SetReportType(reportType);
  SimValueContext context = m_definition.GetSimValueContext();
  if (!block.FindFunc(kSimValueContext))
    note(2);
  else if (!context.ReadFuncFromParentBlock(block))
    note(1);
  else
    m_definition.SetSimValueContext(context);
  block.ResetFound(result == io::kNoError);
  return result;
}
