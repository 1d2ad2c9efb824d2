// The reference host's solution manager: solutions by ID and designs by design instance.
#pragma once

#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "hostapi/ISolutionManagerForReports.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "refhost/ReferenceAlienTokenParser.h"
#include "refhost/ReferenceSolution.h"
#include "refhost/ReferenceTraceInterpreterLookup.h"
#include "refhost/TempDirManagedFileService.h"

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
  // The reference lookup unless another one (or null) is set.
  ITraceInterpreterLookup* GetTraceInterpreterLookup() override { return m_lookupInUse; }
  IAlienTokenParser* GetAlienTokenParser() override { return m_alienParser; }

  ReferenceSolution& AddSolution(long id, const AString& name);
  ReferenceSolution* FindSolution(long id) const;
  // The solution is gone: op 1 answers null for its ID.
  bool RemoveSolution(long id) { return m_solutions.erase(id) != 0; }
  // Op 2 answers this list for the report type from now on, whatever the solutions support.
  void SetOfferedSolutions(unsigned reportType, const std::vector<long>& ids) { m_offered[reportType] = ids; }
  void SetDesignOfInstance(long designInstanceID, long designID) { m_designs[designInstanceID] = designID; }
  // Op 9's list, in the order added.
  void AddDesignSolutionDefinition(const DesignSolutionDefinition& dsd) { m_designSolutions.push_back(dsd); }
  void SetManagedFileService(IManagedFileService* service) { m_fileService = service; }
  // Installs a service of its own over a fresh temporary folder (made on the first call; the
  // folder goes with the manager) and answers it.
  TempDirManagedFileService& UseTempDirFileService();

  // Per-command answer of op 6 for one solution; a command without one changes no variable.
  void SetVariableChanges(const IVelmorCommand* cmd, long solutionID, const std::vector<AString>& added,
                          const std::vector<AString>& deleted, const std::vector<AString>& changed);
  int GetNumVariableChangeQueries() const { return m_variableChangeQueries; }

  // Op 5 throws std::runtime_error for that design instance (id::invalidID: never), as a host
  // may while the engine builds a trace for it.
  void SetThrowingDesignInstance(long designInstanceID) { m_throwingDesignInstance = designInstanceID; }

  // Op 12 answers the manager's own opaque parser unless another one (or null) is set.
  void SetAlienTokenParser(IAlienTokenParser* parser) { m_alienParser = parser; }

  ReferenceTraceInterpreterLookup& GetReferenceLookup() { return m_lookup; }
  void SetTraceInterpreterLookup(ITraceInterpreterLookup* lookup) { m_lookupInUse = lookup; }

private:
  std::map<long, std::unique_ptr<ReferenceSolution>> m_solutions;
  std::map<unsigned, std::vector<long>> m_offered;  // by report type, when set
  std::map<long, long> m_designs;                  // design instance ID -> design ID
  long m_throwingDesignInstance = -1;
  std::vector<DesignSolutionDefinition> m_designSolutions;
  IManagedFileService* m_fileService = nullptr;    // not owned
  std::unique_ptr<TempDirManagedFileService> m_ownFileService;
  struct VariableChanges {
    std::vector<AString> added, deleted, changed;
  };
  std::map<std::pair<const IVelmorCommand*, long>, VariableChanges> m_variableChanges;
  int m_variableChangeQueries = 0;
  ReferenceAlienTokenParser m_ownAlienParser;
  IAlienTokenParser* m_alienParser = &m_ownAlienParser;  // not owned unless it is m_ownAlienParser
  ReferenceTraceInterpreterLookup m_lookup{*this};
  ITraceInterpreterLookup* m_lookupInUse = &m_lookup;    // not owned unless it is m_lookup
};

}  // namespace refhost
