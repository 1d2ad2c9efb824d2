// Where the centralized update stores pushed quantity values and finds them again, per variation.
#pragma once

#include <map>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/Assert.h"

class Variable;
class Column;
class CharColumn;
class DesignSolutionDefinition;
class MinorSweepCache;
class MinorVVsCache;

// Every operation works at the current values of the variables, which the caller has made
// current. The updates hand their trailing values unchanged to the sweep cache and answer it.
class ISimValueDataCache {
public:
  virtual ~ISimValueDataCache() = default;  // 0

  // `special` chooses the kind of a sweep cache made on the way.
  virtual MinorSweepCache* UpdateCacheForMinorSweepAtCurrVarVal(
      Variable* sweepVariable, bool special, const std::vector<Variable*>& majorVariables,
      const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID,
      Column& primaryValues, const std::vector<long>& quantityIDs, const std::vector<const Column*>& quantityValues,
      const AString& sourceTag) = 0;  // 1

  virtual MinorSweepCache* UpdateCacheForMinorDoubleSpecialSweepAtCurrVarVal(
      Variable* sweepVariable, const std::vector<Variable*>& majorVariables,
      const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID,
      Column& primaryValues, const std::vector<long>& quantityIDs,
      const std::map<long, const CharColumn*>& interpolationOrders, const std::vector<const Column*>& quantityValues,
      const AString& sourceTag) = 0;  // 2

  virtual MinorSweepCache* UpdateCacheForMajorPrimaryAtCurrVarVal(
      Variable* sweepVariable, const std::vector<Variable*>& majorVariables,
      const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID,
      Column& primaryValues, const std::vector<long>& quantityIDs, const std::vector<const Column*>& quantityValues,
      const AString& sourceTag) = 0;  // 3

  virtual MinorSweepCache* UpdateCacheForMinorSpecialSweepWithInterpolationOrders(
      Variable* /*sweepVariable*/, const std::vector<Variable*>& /*majorVariables*/,
      const std::vector<Variable*>& /*minorVariables*/, const DesignSolutionDefinition& /*dsd*/, long /*versionID*/,
      Column& /*primaryValues*/, const std::vector<long>& /*quantityIDs*/,
      const std::map<long, const CharColumn*>& /*interpolationOrders*/,
      const std::vector<const Column*>& /*quantityValues*/, const AString& /*sourceTag*/) {
    ORVEX_ASSERT(!"This is old cache, new clients to be working with reporter-rewrite code");
    return nullptr;
  }  // 4

  virtual MinorSweepCache* UpdateCacheForMinorSpecialSweepWithPerQuantityPrimaries(
      Variable* /*sweepVariable*/, const std::vector<Variable*>& /*majorVariables*/,
      const std::vector<Variable*>& /*minorVariables*/, const DesignSolutionDefinition& /*dsd*/, long /*versionID*/,
      Column& /*commonPrimary*/, const std::vector<long>& /*quantityIDs*/,
      const std::map<long, Column*>& /*perQuantityPrimaries*/, const std::vector<const Column*>& /*quantityValues*/,
      const AString& /*sourceTag*/) {
    ORVEX_ASSERT(!"This is old cache, new clients to be working with reporter-rewrite code");
    return nullptr;
  }  // 5

  // Null at the first missing link.
  virtual MinorSweepCache* GetMinorSweepCacheAtCurrVarVals(Variable* sweepVariable,
                                                           const std::vector<Variable*>& majorVariables,
                                                           const DesignSolutionDefinition& dsd, long versionID) = 0;  // 6
  virtual MinorVVsCache* GetMinorVVsCacheAtCurrVarVals(const std::vector<Variable*>& majorVariables,
                                                       const DesignSolutionDefinition& dsd, long versionID) = 0;  // 7
};
