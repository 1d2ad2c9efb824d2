// Where the product pushes a loaded unit's values: each call stores one minor point in the
// solution-value cache and adds the point to the trace's connectivity.
#pragma once

#include <map>
#include <vector>

#include "orvex/values/VariableValues.h"
#include "postorvex/ISimValueQuantityValueContainer.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

class SPS2Connectivity;
class SweepsVarInfoAbstraction;
class Variable;

namespace rep {

class SimValueDataCache;

// Lives for one NotifyOnLoad; owns neither the cache nor the connectivity.
class CacheAndConnectivityUpdateHelper2 : public ISimValueQuantityValueContainer {
public:
  CacheAndConnectivityUpdateHelper2(SPS2Connectivity* connectivity, const DesignSolutionDefinition& dsd,
                                    long versionID, const VariableValues& majorVariation,
                                    SweepsVarInfoAbstraction* sweepsInfo, SimValueDataCache* dataCache);
  ~CacheAndConnectivityUpdateHelper2() override;
  CacheAndConnectivityUpdateHelper2(const CacheAndConnectivityUpdateHelper2&) = delete;
  CacheAndConnectivityUpdateHelper2& operator=(const CacheAndConnectivityUpdateHelper2&) = delete;

  void SetQuantityValuesWithInterpolationOrders(const VariableValues& minorVariation,
                                                const std::vector<long>& quantityIDs,
                                                const std::map<long, const CharColumn*>& orders,
                                                const std::vector<const Column*>& quantityValues,
                                                Column& primaryValues, const AString& tag) override;
  void SetQuantityValues(const VariableValues& minorVariation, const std::vector<long>& quantityIDs,
                         const std::vector<const Column*>& quantityValues, Column& primaryValues,
                         const AString& tag) override;
  void SetQuantityValuesWithPerQuantityPrimaries(const VariableValues& minorVariation,
                                                 const std::vector<long>& quantityIDs,
                                                 const std::map<long, Column*>& primaries,
                                                 const std::vector<const Column*>& quantityValues, Column& data4,
                                                 const AString& tag) override;

private:
  void AddNonPrimarySpecialVariablesOnce();
  void LogCall(const wchar_t* format, const VariableValues& minorVariation) const;

  VariableValues mMajorVariation;
  std::vector<Variable*> mMajorVariables;  // last variable of the variation first
  SweepsVarInfoAbstraction* mSweepsInfo;    // not owned
  SPS2Connectivity* mConnectivity;          // not owned
  DesignSolutionDefinition mDesignSolution;
  long mVersionID;
  SimValueDataCache* mDataCache;  // not owned
  bool mSpecialVariablesAdded = false;
};

}  // namespace rep
