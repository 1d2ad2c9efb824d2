#include "update/CacheAndConnectivityUpdateHelper2.h"

#include <algorithm>

#include "quantities/ScopedProfiler.h"
#include "quantities/SimValueDataCache.h"
#include "orvex/core/Assert.h"
#include "orvex/core/VelDebug.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorSweepCache.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/LinkVariableToColumnContext.h"
#include "postorvex/connectivity/MinorPrimaryConnectivityLeafData.h"
#include "postorvex/connectivity/SPS2Connectivity.h"
#include "postorvex/sweeps/SweepsAbstraction.h"
#include "postorvex/connectivity/PostpPopulationUtils.h"

namespace rep {

CacheAndConnectivityUpdateHelper2::CacheAndConnectivityUpdateHelper2(SPS2Connectivity* connectivity,
                                                                     const DesignSolutionDefinition& dsd,
                                                                     long versionID,
                                                                     const VariableValues& majorVariation,
                                                                     SweepsVarInfoAbstraction* sweepsInfo,
                                                                     SimValueDataCache* dataCache)
    : mMajorVariation(majorVariation), mMajorVariables(postp::GetVariablesInVariableValues(majorVariation)),
      mSweepsInfo(sweepsInfo), mConnectivity(connectivity), mDesignSolution(dsd), mVersionID(versionID),
      mDataCache(dataCache) {}

CacheAndConnectivityUpdateHelper2::~CacheAndConnectivityUpdateHelper2() = default;

void CacheAndConnectivityUpdateHelper2::AddNonPrimarySpecialVariablesOnce() {
  if (mSpecialVariablesAdded || !mConnectivity) return;
  postp::AddNonPrimarySpecialVariablesToConnectivityIfNeeded(*mConnectivity, mSweepsInfo);
  mSpecialVariablesAdded = true;
}

void CacheAndConnectivityUpdateHelper2::LogCall(const wchar_t* format, const VariableValues& minorVariation) const {
  if (!VelDebug::IsOn(1)) return;
  VelDebug::Printf(1, format, mDesignSolution.GetSolutionID(), mVersionID, mMajorVariation.GetVariationKey(true),
                   minorVariation.GetVariationKey(true));
}

void CacheAndConnectivityUpdateHelper2::SetQuantityValues(const VariableValues& minorVariation,
                                                          const std::vector<long>& quantityIDs,
                                                          const std::vector<const Column*>& quantityValues,
                                                          Column& primaryValues, const AString& tag) {
  ScopedProfiler profile("CacheAndConnectivityUpdateHelper2::SetQuantityValues");
  LogCall(L"CoreCentUpd: Products calling SetQuantityValues for SolnID[%d], VersID[%d], MajorVV[%s], "
          L"MinorVVExclPrimary[%s]\n",
          minorVariation);
  SetQuantityValuesWithInterpolationOrders(minorVariation, quantityIDs, {}, quantityValues, primaryValues, tag);
}

void CacheAndConnectivityUpdateHelper2::SetQuantityValuesWithInterpolationOrders(
    const VariableValues& minorVariation, const std::vector<long>& quantityIDs,
    const std::map<long, const CharColumn*>& orders, const std::vector<const Column*>& quantityValues,
    Column& primaryValues, const AString& tag) {
  ScopedProfiler profile("CacheAndConnectivityUpdateHelper2::SetQuantityValuesWithInterpolationOrders");
  if (!mSweepsInfo || !mConnectivity || !mDataCache) return;
  const bool isPrimarySweepMajor = mSweepsInfo->IsVariableMajor(0);
  const bool isSpecial = mSweepsInfo->IsVariableSpecial(0);
  if (!orders.empty() && (isPrimarySweepMajor || !isSpecial)) {
    ORVEX_ASSERT(!"Call SetQuantityValues directly. We only handle interp orders for primary minor specials for now");
    SetQuantityValuesWithInterpolationOrders(minorVariation, quantityIDs, {}, quantityValues, primaryValues, tag);
    return;
  }
  LogCall(L"CoreCentUpd: SetQuantityValuesWithInterpolationOrders called for SolnID[%d], VersID[%d], MajorVV[%s], "
          L"MinorVVExclPrimary[%s]\n",
          minorVariation);
  ISimValueDataCache& cache = *mDataCache;
  Variable* primaryVariable = mSweepsInfo->GetVariable(0);

  if (isPrimarySweepMajor) {
    const Column& primaryColValues = primaryValues;
    ORVEX_ASSERT(primaryColValues.GetCount() == 1);
    // Without a value there is no point to store.
    if (primaryValues.GetCount() == 0 || !primaryVariable) return;
    VariableValues majorWithoutPrimary = mMajorVariation;
    majorWithoutPrimary.RemoveVariableValue(primaryVariable);
    VariableValuesContext majorValues(majorWithoutPrimary);
    VariableValuesContext minorValues(minorVariation);
    Variable* sweepVariable = postp::GetDeepestVariableInVariableValues(minorVariation);
    std::vector<Variable*> minorVariables = postp::GetVariablesInVariableValues(minorVariation);
    minorVariables.erase(std::remove(minorVariables.begin(), minorVariables.end(), sweepVariable), minorVariables.end());
    LinkVariableToColumnContext link(primaryValues, primaryVariable);
    primaryValues.SetValue(0);
    MinorSweepCache* sweepCache =
        cache.UpdateCacheForMajorPrimaryAtCurrVarVal(sweepVariable, mMajorVariables, minorVariables, mDesignSolution,
                                                     mVersionID, primaryValues, quantityIDs, quantityValues, tag);
    if (sweepCache) mConnectivity->AddPointAtCurrVarVals(sweepCache);
    primaryValues.SetValue(-1);
    return;
  }

  if (mSweepsInfo->DoSpecialSweepsExist()) AddNonPrimarySpecialVariablesOnce();
  const std::vector<Variable*> minorVariables = postp::GetVariablesInVariableValues(minorVariation);
  MinorSweepCache* sweepCache = nullptr;
  VariableValuesContext majorValues(mMajorVariation);
  VariableValuesContext minorValues(minorVariation);
  {
    ScopedProfiler update(
        "CacheAndConnectivityUpdateHelper2::SetQuantityValuesWithInterpolationOrders_UpdateCacheForMinorSweepAtCurrVarVal");
    if (!orders.empty()) {
      ORVEX_ASSERT(isSpecial==true && isPrimarySweepMajor==false);
      sweepCache = cache.UpdateCacheForMinorSpecialSweepWithInterpolationOrders(
          primaryVariable, mMajorVariables, minorVariables, mDesignSolution, mVersionID, primaryValues, quantityIDs,
          orders, quantityValues, tag);
    } else {
      sweepCache = cache.UpdateCacheForMinorSweepAtCurrVarVal(primaryVariable, isSpecial, mMajorVariables,
                                                              minorVariables, mDesignSolution, mVersionID,
                                                              primaryValues, quantityIDs, quantityValues, tag);
    }
  }
  ScopedProfiler leaf(
      "CacheAndConnectivityUpdateHelper2::SetQuantityValuesWithInterpolationOrders_CreateMinorPrimaryConnectivityLeafData");
  if (sweepCache)
    mConnectivity->AddPointAtCurrVarVals(new MinorPrimaryConnectivityLeafData(isSpecial ? nullptr : &primaryValues, sweepCache));
}

void CacheAndConnectivityUpdateHelper2::SetQuantityValuesWithPerQuantityPrimaries(
    const VariableValues& minorVariation, const std::vector<long>& quantityIDs,
    const std::map<long, Column*>& primaries, const std::vector<const Column*>& quantityValues, Column& data4,
    const AString& tag) {
  ScopedProfiler profile("CacheAndConnectivityUpdateHelper2::SetQuantityValuesWithPerQuantityPrimaries");
  if (!mSweepsInfo || !mConnectivity || !mDataCache) return;
  const bool isSpecial = mSweepsInfo->IsVariableSpecial(0);
  const bool isPrimarySweepMajor = mSweepsInfo->IsVariableMajor(0);
  ORVEX_ASSERT(isSpecial);
  if (!isSpecial) return;
  ORVEX_ASSERT(!isPrimarySweepMajor);
  if (isPrimarySweepMajor) return;
  if (VelDebug::IsOn(1)) {
    LogCall(L"CoreCentUpd: SetQuantityValuesWithPerQuantityPrimaries called for SolnID[%d], VersID[%d], "
            L"MajorVV[%s], MinorVVExclPrimary[%s]\n",
            minorVariation);
    VelDebug::Printf(1, L"CoreCentUpd: SetQuantityValuesWithPerQuantityPrimaries: Number of primary values per "
                        L"quantity id:");
    for (const auto& entry : primaries)
      VelDebug::Printf(1, L"\"%d - %d\" ", entry.first, entry.second ? static_cast<long>(entry.second->GetCount()) : 0L);
    VelDebug::Printf(1, L"\n");
  }
  ORVEX_ASSERT_TEXT(mSweepsInfo->DoSpecialSweepsExist(), "mSweepsInfo.DoSpecialSweepsExist()");
  AddNonPrimarySpecialVariablesOnce();
  const std::vector<Variable*> minorVariables = postp::GetVariablesInVariableValues(minorVariation);
  VariableValuesContext majorValues(mMajorVariation);
  VariableValuesContext minorValues(minorVariation);
  ISimValueDataCache& cache = *mDataCache;
  MinorSweepCache* sweepCache = cache.UpdateCacheForMinorSpecialSweepWithPerQuantityPrimaries(
      mSweepsInfo->GetVariable(0), mMajorVariables, minorVariables, mDesignSolution, mVersionID, data4, quantityIDs,
      primaries, quantityValues, tag);
  if (sweepCache) mConnectivity->AddPointAtCurrVarVals(new MinorPrimaryConnectivityLeafData(nullptr, sweepCache));
}

}  // namespace rep
