// Helpers shared by the centralized-update objects and the solution-value cache.
#pragma once

class IDerivedDataDefinition;
class ISolutionForReports;
class ReportTypeSolutionDefinition;
class VariableValues;

namespace CentUpdUtils {

// Whether the target and its version are reached from the load definition by following the
// variation through parent load definitions.
bool MatchVariationWithParentLoadDefs(const IDerivedDataDefinition& loadDef, long versionID,
                                      const ReportTypeSolutionDefinition& target, const VariableValues& variation,
                                      long targetVersionID, ISolutionForReports& solution);

}  // namespace CentUpdUtils
