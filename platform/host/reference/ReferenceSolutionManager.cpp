#include "reference/ReferenceSolutionManager.h"

#include "orvex/core/Ids.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

namespace refhost {

ReferenceSolutionManager::ReferenceSolutionManager() = default;
ReferenceSolutionManager::~ReferenceSolutionManager() = default;

ISolutionForReports* ReferenceSolutionManager::GetSolution(long solutionID) const { return FindSolution(solutionID); }

ReferenceSolution* ReferenceSolutionManager::FindSolution(long id) const {
  auto it = m_solutions.find(id);
  return it == m_solutions.end() ? nullptr : it->second.get();
}

ReferenceSolution& ReferenceSolutionManager::AddSolution(long id, const AString& name) {
  auto& slot = m_solutions[id];
  slot = std::make_unique<ReferenceSolution>(id, name);
  return *slot;
}

void ReferenceSolutionManager::GetSolutionsForReportType(std::vector<long>& out, unsigned reportType) {
  for (auto& entry : m_solutions)
    if (entry.second->SupportsReportType(reportType)) out.push_back(entry.first);
}

IVariableNameSpaceSetupper* ReferenceSolutionManager::GetVariableNameSpaceSetupper(long) { return nullptr; }

void ReferenceSolutionManager::GetSolutionVariation(VariableValues& out, long solutionID, long,
                                                    const ReportTypeSolutionDefinition&) {
  if (ReferenceSolution* solution = FindSolution(solutionID)) solution->GetNominalVariation(out);
}

long ReferenceSolutionManager::GetDesignID(long designInstanceID) {
  auto it = m_designs.find(designInstanceID);
  return it == m_designs.end() ? id::invalidID : it->second;
}

void ReferenceSolutionManager::GetVariableChanges(std::vector<AString>&, std::vector<AString>&, std::vector<AString>&,
                                                  const IVelmorCommand*, long, const ReportTypeSolutionDefinition&,
                                                  long) {}

void ReferenceSolutionManager::GetSourceDescription(AString& out, const DesignSolutionDefinition& trace) {
  ReferenceSolution* solution = FindSolution(trace.GetSolutionID());
  out = solution ? solution->GetName() : AString();
}

void ReferenceSolutionManager::GetDesignSolutionDefinitions(std::vector<DesignSolutionDefinition>&) {}

}  // namespace refhost
