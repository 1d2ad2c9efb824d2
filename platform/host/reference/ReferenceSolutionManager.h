// The reference host's solution manager: solutions by ID and designs by design instance.
#pragma once

#include <map>
#include <memory>

#include "host/ISolutionManagerForReports.h"
#include "reference/ReferenceSolution.h"

namespace refhost {

class ReferenceSolutionManager : public ISolutionManagerForReports {
public:
  ReferenceSolutionManager();
  ~ReferenceSolutionManager() override;

  ISolutionForReports* GetSolution(long solutionID) const override;
  void GetSolutionsForReportType(std::vector<long>& out, unsigned reportType) override;
  IVariableNameSpaceSetupper* GetVariableNameSpaceSetupper(long solutionID) override;
  void GetSolutionVariation(VariableValues& out, long solutionID, long designInstanceID,
                            const ReportTypeSolutionDefinition& def) override;
  long GetDesignID(long designInstanceID) override;
  void GetVariableChanges(std::vector<AString>& added, std::vector<AString>& deleted, std::vector<AString>& changed,
                          const IVelmorCommand* cmd, long solutionID, const ReportTypeSolutionDefinition& def,
                          long designInstanceID) override;
  void GetSourceDescription(AString& out, const DesignSolutionDefinition& trace) override;
  IManagedFileService* GetManagedFileService() override { return m_fileService; }
  void GetDesignSolutionDefinitions(std::vector<DesignSolutionDefinition>& out) override;
  ITraceInterpreterLookup* GetTraceInterpreterLookup() override { return nullptr; }
  IAlienTokenParser* GetAlienTokenParser() override { return nullptr; }

  ReferenceSolution& AddSolution(long id, const AString& name);
  ReferenceSolution* FindSolution(long id) const;
  void SetDesignOfInstance(long designInstanceID, long designID) { m_designs[designInstanceID] = designID; }
  void SetManagedFileService(IManagedFileService* service) { m_fileService = service; }

private:
  std::map<long, std::unique_ptr<ReferenceSolution>> m_solutions;
  std::map<long, long> m_designs;                  // design instance ID -> design ID
  IManagedFileService* m_fileService = nullptr;    // not owned
};

}  // namespace refhost
