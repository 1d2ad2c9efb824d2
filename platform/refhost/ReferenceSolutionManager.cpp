#include "refhost/ReferenceSolutionManager.h"

#include <stdexcept>

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
  auto offered = m_offered.find(reportType);
  if (offered != m_offered.end()) {
    out.insert(out.end(), offered->second.begin(), offered->second.end());
    return;
  }
  for (auto& entry : m_solutions)
    if (entry.second->SupportsReportType(reportType)) out.push_back(entry.first);
}

IVariableNameSpaceSetupper* ReferenceSolutionManager::GetVariableNameSpaceSetupper(long solutionID) {
  ReferenceSolution* solution = FindSolution(solutionID);
  return solution ? &solution->GetNameSpaceSetupper() : nullptr;
}

void ReferenceSolutionManager::GetSolutionVariation(VariableValues& out, long solutionID, long,
                                                    const ReportTypeSolutionDefinition&) {
  if (ReferenceSolution* solution = FindSolution(solutionID)) solution->GetNominalVariation(out);
}

long ReferenceSolutionManager::GetDesignID(long designInstanceID) {
  if (designInstanceID == m_throwingDesignInstance && designInstanceID != id::invalidID)
    throw std::runtime_error("design instance scripted to throw");
  auto it = m_designs.find(designInstanceID);
  return it == m_designs.end() ? id::invalidID : it->second;
}

void ReferenceSolutionManager::GetVariableChanges(std::vector<AString>& added, std::vector<AString>& deleted,
                                                  std::vector<AString>& changed, const IVelmorCommand* cmd,
                                                  long solutionID, const ReportTypeSolutionDefinition&, long) {
  ++m_variableChangeQueries;
  auto it = m_variableChanges.find({cmd, solutionID});
  if (it == m_variableChanges.end()) return;
  added.insert(added.end(), it->second.added.begin(), it->second.added.end());
  deleted.insert(deleted.end(), it->second.deleted.begin(), it->second.deleted.end());
  changed.insert(changed.end(), it->second.changed.begin(), it->second.changed.end());
}

void ReferenceSolutionManager::SetVariableChanges(const IVelmorCommand* cmd, long solutionID,
                                                  const std::vector<AString>& added,
                                                  const std::vector<AString>& deleted,
                                                  const std::vector<AString>& changed) {
  m_variableChanges[{cmd, solutionID}] = {added, deleted, changed};
}

TempDirManagedFileService& ReferenceSolutionManager::UseTempDirFileService() {
  if (!m_ownFileService) m_ownFileService = std::make_unique<TempDirManagedFileService>();
  m_fileService = m_ownFileService.get();
  return *m_ownFileService;
}

void ReferenceSolutionManager::GetSourceDescription(AString& out, const DesignSolutionDefinition& trace) {
  ReferenceSolution* solution = FindSolution(trace.GetSolutionID());
  out = solution ? solution->GetName() : AString();
}

void ReferenceSolutionManager::GetDesignSolutionDefinitions(std::vector<DesignSolutionDefinition>& out) {
  out.insert(out.end(), m_designSolutions.begin(), m_designSolutions.end());
}

}  // namespace refhost
