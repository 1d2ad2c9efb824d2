#include "CentUpdUtils.h"

#include <vector>

#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionInstanceForReports.h"
#include "orvex/centupd/IDerivedDataDefinition.h"
#include "orvex/core/Assert.h"
#include "orvex/core/AutoVectorOfClonablePtrs.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableValues.h"
#include "orvex/values/VariableValuesContext.h"

namespace CentUpdUtils {

namespace {

ISolutionInstanceForReports* FindInstanceOfVariation(const std::vector<ISolutionInstanceForReports*>& candidates,
                                                     const VariableValues& wanted) {
  for (ISolutionInstanceForReports* candidate : candidates) {
    if (!candidate) continue;
    VariableValues own;
    candidate->GetVariableValues(own);
    if (own == wanted) return candidate;
  }
  return nullptr;
}

}  // namespace

bool MatchVariationWithParentLoadDefs(const IDerivedDataDefinition& loadDef, long versionID,
                                      const ReportTypeSolutionDefinition& target, const VariableValues& variation,
                                      long targetVersionID, ISolutionForReports& solution) {
  if (loadDef.Matches(target) && versionID == targetVersionID) return true;

  std::vector<Variable*> variables;
  solution.GetVariables(variables, loadDef, versionID);
  VariableValues wanted;
  {
    VariableValuesContext inVariation(variation);
    wanted.CopyVarValuesFrom(variables);
  }

  std::vector<ISolutionInstanceForReports*> candidates;
  solution.GetSolutionInstances(candidates, loadDef, versionID);
  ISolutionInstanceForReports* instance = FindInstanceOfVariation(candidates, wanted);
  if (!instance) return false;

  AutoVectorOfClonablePtrs<IDerivedDataDefinition> parentLoadDefs;
  std::vector<long> versionIDs;
  instance->GetParentLoadDefinitions(parentLoadDefs, versionIDs);
  ORVEX_ASSERT(versionIDs.size()==parentLoadDefs.size());
  const size_t n = std::min(versionIDs.size(), parentLoadDefs.size());
  for (size_t i = 0; i < n; ++i) {
    if (!parentLoadDefs[i]) continue;
    if (MatchVariationWithParentLoadDefs(*parentLoadDefs[i], versionIDs[i], target, variation, targetVersionID,
                                         solution))
      return true;
  }
  return false;
}

}  // namespace CentUpdUtils
