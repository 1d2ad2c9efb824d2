// The host's entry to trace data: hands out the data of traces and their update objects.
#pragma once

#include <set>
#include <vector>

#include "orvex/core/AString.h"

class IAbstractTraceData;
class ICentralizedUpdateObject;
class ReportTypeSolutionDefinition;
class VariableValues;

namespace rep {

class ITraceData;
class IReportManager;

class IReportDataManager {
public:
  virtual ~IReportDataManager() = default;                                               // 0
  virtual IAbstractTraceData* GetIAbstractTraceData(long traceDefID) = 0;                 // 1
  virtual ITraceData* GetITraceData(long traceDefID) = 0;                                 // 2
  virtual bool HasTraceData(long traceDefID) const = 0;                                   // 3
  virtual bool DeleteTraceData(long traceDefID) = 0;                                      // 4
  virtual AString GetTraceSolutionName(long traceDefID) const = 0;                        // 5
  virtual const IReportManager* GetReportManager() const = 0;                             // 6
  virtual IReportManager* GetReportManagerForEdit() = 0;                                  // 7
  virtual void GetCentralizedUpdateObjectsForGivenTraces(std::vector<ICentralizedUpdateObject*>& out,
                                                         const std::vector<long>& traceDefIDs,
                                                         bool flag) = 0;                  // 8
  virtual void GetCentralizedUpdateObjects(std::vector<ICentralizedUpdateObject*>& out, long reportID) = 0;  // 9
  virtual void GetCentralizedUpdateObjectsOnNewSolution(std::vector<ICentralizedUpdateObject*>& out,
                                                        long designID, long solutionID,
                                                        const ReportTypeSolutionDefinition& def,
                                                        const VariableValues* majorVariation, long versionID,
                                                        long unused1, long unused2,
                                                        const std::set<AString>& names, bool flag) = 0;  // 10
  virtual void SetNeedsUpdateForReportTypeSolution(long designID, long solutionID, long versionID,
                                                   const ReportTypeSolutionDefinition& def) = 0;  // 11
  virtual void SetNeedsUpdateForReportType(long designID, long solutionID, long versionID, int reportType) = 0;  // 12
  virtual void SetNeedsUpdateForSolution(long designID, long solutionID) = 0;             // 13
};

}  // namespace rep
