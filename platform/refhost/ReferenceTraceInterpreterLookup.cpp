#include "refhost/ReferenceTraceInterpreterLookup.h"

#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "orvex/io/NamedValue.h"
#include "postorvex/traceinfo/TraceDefParams.h"

namespace refhost {

ReferenceTraceInterpreter::~ReferenceTraceInterpreter() = default;

bool ReferenceTraceInterpreter::AcceptsContext(const SimValueContext&, unsigned) { return m_accepts; }

bool ReferenceTraceInterpreter::WorkOutContext(SimValueContext& out, const TraceDefParams& params,
                                               const io::CBlock& productBlock) {
  m_blocksSeen.push_back(productBlock);
  if (!m_worksOut) return false;
  out = m_hasWorkedOut ? m_workedOut
                       : params.GetDesignSolutionDefinition().GetReportTypeSolutionDefinitionRef().GetSimValueContext();
  return true;
}

void ReferenceTraceInterpreter::WriteTraceInterpreterBlock(io::CBlock& out, void* productArgument,
                                                           const TraceDefParams& params) {
  m_argumentsSeen.push_back(productArgument);
  out << io::NamedValue(L"Solution", m_solutionName) << io::NamedValue(L"TraceName", params.GetName());
}

ReferenceTraceInterpreterLookup::~ReferenceTraceInterpreterLookup() = default;

void ReferenceTraceInterpreterLookup::GetSolutionsForReportType(std::vector<long>& out, unsigned reportType) {
  if (m_hasOffered) {
    out.insert(out.end(), m_offered.begin(), m_offered.end());
    return;
  }
  m_solutions.GetSolutionsForReportType(out, reportType);
}

ITraceInterpreter* ReferenceTraceInterpreterLookup::GetTraceInterpreter(long solutionID) {
  if (m_without.count(solutionID) || !m_solutions.GetSolution(solutionID)) return nullptr;
  return &Interpreter(solutionID);
}

ReferenceTraceInterpreter& ReferenceTraceInterpreterLookup::Interpreter(long solutionID) {
  std::unique_ptr<ReferenceTraceInterpreter>& held = m_interpreters[solutionID];
  if (!held) {
    const ISolutionForReports* solution = m_solutions.GetSolution(solutionID);
    held = std::make_unique<ReferenceTraceInterpreter>(solutionID, solution ? solution->GetName() : AString());
  }
  return *held;
}

void ReferenceTraceInterpreterLookup::ChooseSolution(long& solutionID, SimValueContext& context,
                                                     const std::vector<std::pair<long, SimValueContext>>& candidates,
                                                     const TraceDefParams&, const io::CBlock&) {
  m_choicesAsked.push_back(candidates);
  for (const auto& candidate : candidates) {
    if (candidate.first != m_choice) continue;
    solutionID = candidate.first;
    context = candidate.second;
    return;
  }
}

}  // namespace refhost
