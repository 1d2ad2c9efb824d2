// The host's solution manager as the report engine sees it.
#pragma once

#include <vector>

#include "orvex/core/AString.h"

class ISolutionForReports;
class IVariableNameSpaceSetupper;
class VariableValues;
class ReportTypeSolutionDefinition;
class DesignSolutionDefinition;
class IVelmorCommand;
class IManagedFileService;
class ITraceInterpreterLookup;
class IAlienTokenParser;

class ISolutionManagerForReports {
public:
  virtual ~ISolutionManagerForReports() = default;                                         // 0
  // Null for an unknown solution ID.
  virtual ISolutionForReports* GetSolution(long solutionID) const = 0;                       // 1
  virtual void GetSolutionsForReportType(std::vector<long>& out, unsigned reportType) = 0;   // 2
  virtual IVariableNameSpaceSetupper* GetVariableNameSpaceSetupper(long solutionID) = 0;     // 3
  // The design variation: the nominal value of every variable of the solution.
  virtual void GetSolutionVariation(VariableValues& out, long solutionID, long designInstanceID,
                                    const ReportTypeSolutionDefinition& def) = 0;             // 4
  virtual long GetDesignID(long designInstanceID) = 0;                                        // 5
  virtual void GetVariableChanges(std::vector<AString>& added, std::vector<AString>& deleted,
                                  std::vector<AString>& changed, const IVelmorCommand* cmd,
                                  long solutionID, const ReportTypeSolutionDefinition& def,
                                  long designInstanceID) = 0;                                 // 6
  virtual void GetSourceDescription(AString& out, const DesignSolutionDefinition& trace) = 0;  // 7
  virtual IManagedFileService* GetManagedFileService() = 0;                                   // 8
  virtual void GetDesignSolutionDefinitions(std::vector<DesignSolutionDefinition>& out) = 0;  // 9
  virtual void Reserved10();                                                                  // 10
  virtual ITraceInterpreterLookup* GetTraceInterpreterLookup() = 0;                           // 11
  virtual IAlienTokenParser* GetAlienTokenParser() = 0;                                       // 12
};

inline void ISolutionManagerForReports::Reserved10() {}
