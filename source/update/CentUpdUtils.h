// Helpers shared by the centralized-update objects and the solution-value cache.
#pragma once

#include <cstddef>
#include <set>
#include <vector>

class Column;
class DesignSolutionDefinition;
class ISimValueDataCache;
class MinorSweepCache;
class SPS2Connectivity;
class Variable;
class IDerivedDataDefinition;
class ISolutionForReports;
class ReportTypeSolutionDefinition;
class VariableValues;

namespace rep {
class SweepsVariableInfoMediator2;
}

namespace CentUpdUtils {

// Whether the target and its version are reached from the load definition by following the
// variation through parent load definitions.
bool MatchVariationWithParentLoadDefs(const IDerivedDataDefinition& loadDef, long versionID,
                                      const ReportTypeSolutionDefinition& target, const VariableValues& variation,
                                      long targetVersionID, ISolutionForReports& solution);

// Whether the variation must be loaded; when not, the connectivity holds the cached data of
// every minor point of it. A missing primary column or sweep column means a load is needed.
bool IsLoadNeeded(SPS2Connectivity& connectivity, const VariableValues& major, const std::set<long>& quantityIDs,
                  ISimValueDataCache& cache, rep::SweepsVariableInfoMediator2& mediator,
                  const DesignSolutionDefinition& dsd, long versionID, const Column* primarySweepColumn);
bool IsLoadNeededForRegularSweeps(SPS2Connectivity& connectivity, const VariableValues& major,
                                  const std::set<long>& quantityIDs, ISimValueDataCache& cache,
                                  rep::SweepsVariableInfoMediator2& mediator, const DesignSolutionDefinition& dsd,
                                  long versionID, const Column* primarySweepColumn);
bool IsLoadNeededForSpecialSweeps(SPS2Connectivity& connectivity, const VariableValues& major,
                                  const std::set<long>& quantityIDs, ISimValueDataCache& cache,
                                  rep::SweepsVariableInfoMediator2& mediator, const DesignSolutionDefinition& dsd,
                                  long versionID);
// True when the connectivity was filled from the cache for every minor point; data set for
// earlier points stays when a later point fails.
bool FillSpecialSweepConnectivityFromCache(SPS2Connectivity& connectivity, const VariableValues& major,
                                           const std::set<long>& quantityIDs, ISimValueDataCache& cache,
                                           rep::SweepsVariableInfoMediator2& mediator,
                                           const DesignSolutionDefinition& dsd, long versionID);
bool DoQuantityColumnsHaveCount(const MinorSweepCache& cache, const std::set<long>& quantityIDs, size_t count);
bool DoQuantityColumnsMatchSweepColumn(const MinorSweepCache& cache, const std::set<long>& quantityIDs);
void InsertVariables(std::set<Variable*>& into, const std::vector<Variable*>& variables);

}  // namespace CentUpdUtils
