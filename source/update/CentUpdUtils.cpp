#include "update/CentUpdUtils.h"

#include <memory>
#include <vector>

#include "Gravik/ISimValueDataCache.h"
#include "update/SweepsVariableInfoMediator2.h"
#include "orvex/values/Value.h"
#include "postorvex/caches/MinorSpecialSweepCache.h"
#include "postorvex/caches/MinorSweepCache.h"
#include "postorvex/caches/MinorVVsCache.h"
#include "postorvex/columns/Column.h"
#include "postorvex/connectivity/CompositeVVObject.h"
#include "postorvex/connectivity/ConnectedVVObject.h"
#include "postorvex/connectivity/MinorPrimaryConnectivityLeafData.h"
#include "postorvex/connectivity/NonNestableCompositeVVObjectContext.h"
#include "postorvex/connectivity/SPS2Connectivity.h"
#include "postorvex/sweeps/SweepsIterator.h"
#include "postorvex/connectivity/PostpPopulationUtils.h"

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

// Reading a load unit's data from the cache instead of loading it.

namespace CentUpdUtils {

bool IsLoadNeeded(SPS2Connectivity& connectivity, const VariableValues& major, const std::set<long>& quantityIDs,
                  ISimValueDataCache& cache, rep::SweepsVariableInfoMediator2& mediator,
                  const DesignSolutionDefinition& dsd, long versionID, const Column* primarySweepColumn) {
  if (mediator.DoSpecialSweepsExist())
    return IsLoadNeededForSpecialSweeps(connectivity, major, quantityIDs, cache, mediator, dsd, versionID);
  ORVEX_ASSERT(primarySweepColumn);
  return IsLoadNeededForRegularSweeps(connectivity, major, quantityIDs, cache, mediator, dsd, versionID,
                                      primarySweepColumn);
}

bool IsLoadNeededForRegularSweeps(SPS2Connectivity& connectivity, const VariableValues& major,
                                  const std::set<long>& quantityIDs, ISimValueDataCache& cache,
                                  rep::SweepsVariableInfoMediator2& mediator, const DesignSolutionDefinition& dsd,
                                  long versionID, const Column* primarySweepColumn) {
  VariableValuesContext majorValues(major);
  const std::vector<Variable*> majorVariables = postp::GetVariablesInVariableValues(major);
  const bool primaryIsMajor = mediator.IsVariableMajor(0);
  Variable* sweepVariable = primaryIsMajor ? nullptr : mediator.GetSweepVariable(0);
  std::unique_ptr<SweepsIteratorBase> minor;
  mediator.CreateMinorSweepsIteratorExcludingSpecialsAndPrimary(minor);
  DegeneracyAwareSweepsIterator it(std::move(minor));
  for (it.Begin(); !it.End(); it.Advance()) {
    const VariableValues& point = it.GetVariableValues();
    if (primaryIsMajor && !sweepVariable) sweepVariable = postp::GetDeepestVariableInVariableValues(point);
    VariableValuesContext pointValues(point);
    MinorSweepCache* sweepCache = cache.GetMinorSweepCacheAtCurrVarVals(sweepVariable, majorVariables, dsd, versionID);
    if (!sweepCache) return true;
    if (primaryIsMajor) {
      const Column* sweepColumn = sweepCache->GetSweepColumn();
      if (sweepVariable) {
        std::unique_ptr<Column> current(Column::CreateColumn(sweepVariable->GetParameterType(), sweepVariable->GetUnits()));
        Value value;
        if (!current || !sweepVariable->GetCurrentValue(value)) return true;
        current->AppendValue(value);
        if (!sweepCache->DoesCacheHaveValuesForQuantities(quantityIDs, *current)) return true;
      } else {
        // A cache without a sweep column cannot say how many rows it must hold.
        if (!sweepColumn || !DoQuantityColumnsHaveCount(*sweepCache, quantityIDs, sweepColumn->GetCount())) return true;
      }
      connectivity.SetDataAtCurrVarVals(sweepCache);
    } else {
      Variable* primarySweepOrDeepestMinorVarIfMajorPrimary = sweepVariable;
      ORVEX_ASSERT(primarySweepOrDeepestMinorVarIfMajorPrimary==mediator.GetSweepVariable(0));
      if (!primarySweepColumn || !sweepCache->DoesCacheHaveValuesForQuantities(quantityIDs, *primarySweepColumn))
        return true;
      connectivity.SetDataAtCurrVarVals(new MinorPrimaryConnectivityLeafData(primarySweepColumn, sweepCache));
    }
  }
  return false;
}

bool IsLoadNeededForSpecialSweeps(SPS2Connectivity& connectivity, const VariableValues& major,
                                  const std::set<long>& quantityIDs, ISimValueDataCache& cache,
                                  rep::SweepsVariableInfoMediator2& mediator, const DesignSolutionDefinition& dsd,
                                  long versionID) {
  return !FillSpecialSweepConnectivityFromCache(connectivity, major, quantityIDs, cache, mediator, dsd, versionID);
}

bool FillSpecialSweepConnectivityFromCache(SPS2Connectivity& connectivity, const VariableValues& major,
                                           const std::set<long>& quantityIDs, ISimValueDataCache& cache,
                                           rep::SweepsVariableInfoMediator2& mediator,
                                           const DesignSolutionDefinition& dsd, long versionID) {
  postp::AddNonPrimarySpecialVariablesToConnectivityIfNeeded(connectivity, &mediator);
  VariableValuesContext majorValues(major);
  const std::vector<Variable*> majorVariables = postp::GetVariablesInVariableValues(major);
  MinorVVsCache* vvs = cache.GetMinorVVsCacheAtCurrVarVals(majorVariables, dsd, versionID);
  if (!vvs) return false;
  std::unique_ptr<SweepsIteratorBase> minor;
  mediator.CreateMinorSweepsIteratorExcludingSpecialsAndPrimary(minor);
  DegeneracyAwareSweepsIterator it(std::move(minor));
  ConnectedVVObject* connected = vvs->GetConnectivityForSweepVar(mediator.GetSweepVariable(0));
  if (!connected) return false;
  for (it.Begin(); !it.End(); it.Advance()) {
    VariableValuesContext pointValues(it.GetVariableValues());
    std::set<Variable*> fixed;
    InsertVariables(fixed, postp::GetVariablesInVariableValues(it.GetVariableValues()));
    const std::vector<CompositeVVObject*> composites = connected->GetCompositeVVObjectsAtCurrVarVals(fixed);
    if (composites.empty()) {
      auto* leaf = dynamic_cast<MinorSweepCache*>(connected->GetLeafDataAtCurrVarVals());
      if (!leaf || !DoQuantityColumnsMatchSweepColumn(*leaf, quantityIDs)) return false;
      connectivity.SetDataAtCurrVarVals(new MinorPrimaryConnectivityLeafData(nullptr, leaf));
      continue;
    }
    for (const CompositeVVObject* composite : composites) {
      for (const CompositeVVObject* object : composite->GetObjects(connected->GetPointDepth())) {
        NonNestableCompositeVVObjectContext objectValues(object);
        auto* leaf = dynamic_cast<MinorSweepCache*>(connected->GetDataForCompVVObject(object));
        if (!leaf || !DoQuantityColumnsMatchSweepColumn(*leaf, quantityIDs)) return false;
        connectivity.SetDataAtCurrVarVals(new MinorPrimaryConnectivityLeafData(nullptr, leaf));
      }
    }
  }
  return true;
}

bool DoQuantityColumnsHaveCount(const MinorSweepCache& cache, const std::set<long>& quantityIDs, size_t count) {
  for (long id : quantityIDs) {
    const Column* column = cache.GetQuantityColumn(id);
    if (!column || column->GetCount() < count) return false;
  }
  return true;
}

bool DoQuantityColumnsMatchSweepColumn(const MinorSweepCache& cache, const std::set<long>& quantityIDs) {
  const Column* sweepColumn = cache.GetSweepColumn();
  size_t n = sweepColumn ? sweepColumn->GetCount() : 0;
  for (long id : quantityIDs) {
    if (!sweepColumn) {
      auto* special = dynamic_cast<const MinorSpecialSweepCache*>(&cache);
      const Column* primary = special ? special->GetQuantityPrimaryColumn(id) : nullptr;
      if (!primary) return false;
      n = primary->GetCount();
    }
    const Column* column = cache.GetQuantityColumn(id);
    if (!column || column->GetCount() < n) return false;
  }
  return true;
}

void InsertVariables(std::set<Variable*>& into, const std::vector<Variable*>& variables) {
  into.insert(variables.begin(), variables.end());
}

}  // namespace CentUpdUtils
