#include "quantities/SimValueDataCache.h"

#include <memory>
#include <vector>

#include "SimValueCacheFixture.h"
#include "quantities/SimValueInfoServer.h"
#include "orvex/core/Ids.h"
#include "orvex/core/RenameQuantitiesCmdInfo.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorDoubleSpecialSweepCache.h"
#include "postorvex/caches/MinorVVsCache.h"
#include "postorvex/columns/CharColumn.h"
#include "postorvex/columns/DoubleColumn.h"
#include "postorvex/connectivity/ConnectedVVObject.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

using reptest::CacheTest;
using reptest::kMM;

TEST_F(CacheTest, UpdatesStoreWhatIsPushedAndGettersFindIt) {
  const size_t minorsBefore = MinorVVsCache::GetInstanceCount();
  MinorSweepCache* first = Push(1, 1, 10);
  ASSERT_NE(nullptr, first);
  EXPECT_EQ((std::vector<double>{11, 12, 13}), Values(first, m_gain));
  EXPECT_EQ((std::vector<double>{-11, -12, -13}), Values(first, m_loss));

  // The same variation again: the same caches, values merged.
  EXPECT_EQ(first, Push(1, 1, 20));
  EXPECT_EQ((std::vector<double>{21, 22, 23}), Values(first, m_gain));
  // Another major variation: a second leaf.
  MinorSweepCache* second = Push(2, 1, 30);
  EXPECT_NE(first, second);
  EXPECT_EQ(minorsBefore + 2, MinorVVsCache::GetInstanceCount());

  EXPECT_EQ(first, Find(1, 1));
  EXPECT_EQ(second, Find(2, 1));
  EXPECT_NE(nullptr, FindMinors(1, 1));
  EXPECT_NE(FindMinors(1, 1), FindMinors(2, 1));
  EXPECT_EQ(nullptr, Find(3, 1));
  EXPECT_EQ(nullptr, FindMinors(3, 1));
  // Other versions and report types are other entries: lookups leave them empty.
  EXPECT_EQ(nullptr, Find(1, 1, 2));
  EXPECT_EQ(nullptr, Find(1, 1, 1, 7));
  EXPECT_EQ(3u, NumVersionEntries());
}

TEST_F(CacheTest, MajorPrimaryUpdatesWriteOneRowPerCall) {
  MinorSweepCache* cache = nullptr;
  for (double f : {1.0, 2.0, 3.0}) {
    VariableValues at = Major(1, 1);
    at.SetVariableValue(m_f, Value(f, 113));
    VariableValuesContext current(at);
    DoubleColumn primary(113), gain;
    primary.AppendValues({f});
    gain.AppendValues({f * 100});
    cache = m_cache.UpdateCacheForMajorPrimaryAtCurrVarVal(m_f, {m_l, m_w}, {}, Dsd(), 1, primary, {m_gain}, {&gain},
                                                           L"major");
  }
  ASSERT_NE(nullptr, cache);
  EXPECT_EQ(3u, cache->GetRowCount());
  EXPECT_EQ((std::vector<double>{100, 200, 300}), Values(cache, m_gain));
}

// Keyed by L alone, a push at another W would overwrite the cache of W = 1.
TEST_F(CacheTest, AVersionTakesOnlyItsOwnMajorVariables) {
  MinorSweepCache* first = Push(1, 1, 10);
  ASSERT_NE(nullptr, first);
  VariableValuesContext current(Major(1, 2));
  DoubleColumn primary(113), gain;
  primary.AppendValues({1, 2, 3});
  gain.AppendValues({0, 0, 0});
  EXPECT_EQ(nullptr, m_cache.UpdateCacheForMinorSweepAtCurrVarVal(m_f, false, {m_l}, {}, Dsd(), 1, primary, {m_gain},
                                                                   {&gain}, L"fewer"));
  EXPECT_SOFT_ASSERT("!\"major variables differ from the version's\"");
  EXPECT_EQ(nullptr, m_cache.GetMinorSweepCacheAtCurrVarVals(m_f, {m_l}, Dsd(), 1));
  EXPECT_SOFT_ASSERT("!\"major variables differ from the version's\"");
  EXPECT_EQ((std::vector<double>{11, 12, 13}), Values(first, m_gain));
}

TEST_F(CacheTest, SpecialUpdatesNeedASpecialSweepCache) {
  const size_t sweepsBefore = MinorSweepCache::GetInstanceCount();
  VariableValuesContext current(Major(1, 1));
  DoubleColumn primary(113), gain;
  primary.AppendValues({1, 2});
  gain.AppendValues({5, 6});
  CharColumn orders;
  const std::map<long, const CharColumn*> noOrders;
  const std::map<long, Column*> noPrimaries;

  // A double special sweep gets a double special cache.
  MinorSweepCache* special = m_cache.UpdateCacheForMinorDoubleSpecialSweepAtCurrVarVal(
      m_f, {m_l, m_w}, {}, Dsd(), 1, primary, {m_gain}, noOrders, {&gain}, L"special");
  ASSERT_NE(nullptr, dynamic_cast<MinorDoubleSpecialSweepCache*>(special));
  EXPECT_EQ((std::vector<double>{5, 6}), Values(special, m_gain));
  EXPECT_EQ(special, m_cache.UpdateCacheForMinorSpecialSweepWithInterpolationOrders(
                         m_f, {m_l, m_w}, {}, Dsd(), 1, primary, {m_loss}, noOrders, {&gain}, L"orders"));
  EXPECT_EQ(special, m_cache.UpdateCacheForMinorSpecialSweepWithPerQuantityPrimaries(
                         m_f, {m_l, m_w}, {}, Dsd(), 1, primary, {m_loss}, noPrimaries, {&gain}, L"primaries"));

  // A regular cache already there is not updated by the special forms.
  DoubleColumn other(113);
  other.AppendValues({9});
  Variable regularSweep(L"R", 90);
  MinorSweepCache* regular = m_cache.UpdateCacheForMinorSweepAtCurrVarVal(&regularSweep, false, {m_l, m_w}, {}, Dsd(),
                                                                          1, other, {m_gain}, {&other}, L"regular");
  ASSERT_NE(nullptr, regular);
  EXPECT_EQ(nullptr, m_cache.UpdateCacheForMinorDoubleSpecialSweepAtCurrVarVal(
                         &regularSweep, {m_l, m_w}, {}, Dsd(), 1, primary, {m_loss}, noOrders, {&gain}, L"x"));
  EXPECT_SOFT_ASSERT("!ACHAR(\"Supported only for minor, special and double-param-type primary\")");
  EXPECT_EQ(nullptr, m_cache.UpdateCacheForMinorSpecialSweepWithInterpolationOrders(
                         &regularSweep, {m_l, m_w}, {}, Dsd(), 1, primary, {m_loss}, noOrders, {&gain}, L"x"));
  EXPECT_SOFT_ASSERT("0");
  EXPECT_EQ(nullptr, m_cache.UpdateCacheForMinorSpecialSweepWithPerQuantityPrimaries(
                         &regularSweep, {m_l, m_w}, {}, Dsd(), 1, primary, {m_loss}, noPrimaries, {&gain}, L"x"));
  EXPECT_SOFT_ASSERT("0");
  EXPECT_FALSE(regular->HasQuantity(m_loss));

  // A special sweep whose values are no doubles: the cache made for the call is not kept.
  Variable textSweep(L"T", 90, 13);
  EXPECT_EQ(nullptr, m_cache.UpdateCacheForMinorDoubleSpecialSweepAtCurrVarVal(
                         &textSweep, {m_l, m_w}, {}, Dsd(), 1, primary, {m_gain}, noOrders, {&gain}, L"x"));
  EXPECT_SOFT_ASSERT("!ACHAR(\"Supported only for minor, special and double-param-type primary\")");
  EXPECT_EQ(nullptr, m_cache.GetMinorSweepCacheAtCurrVarVals(&textSweep, {m_l, m_w}, Dsd(), 1));
  EXPECT_EQ(sweepsBefore + 2, MinorSweepCache::GetInstanceCount());
}

TEST_F(CacheTest, InvalidateByNameOnlyTouchesTheNamedQuantities) {
  Push(1, 1, 10);
  Push(2, 1, 20);
  Push(1, 1, 30, 2);  // another version, not reached by the target
  const rep::SimValueDataCache::QuantityNames names{L"GAIN"};
  m_cache.InvalidateDataForVariableValues(100, 10, 1, ReportTypeSolutionDefinition(1), Major(1, 1), &names);
  for (double l : {1.0, 2.0}) {
    EXPECT_FALSE(Find(l, 1)->HasQuantity(m_gain));
    EXPECT_TRUE(Find(l, 1)->HasQuantity(m_loss));
  }
  EXPECT_TRUE(Find(1, 1, 2)->HasQuantity(m_gain));
}

TEST_F(CacheTest, InvalidateWithoutNamesDeletesTheVariationsBranches) {
  Push(1, 1, 10);
  Push(1, 2, 20);
  Push(2, 1, 30);
  const size_t invalidated = MinorVVsCache::GetInvalidateCount();
  VariableValues onlyL;
  onlyL.SetVariableValue(m_l, Value(1.0, kMM));
  const rep::SimValueDataCache::QuantityNames none;
  m_cache.InvalidateDataForVariableValues(100, 10, 1, ReportTypeSolutionDefinition(1), onlyL, &none);
  EXPECT_EQ(nullptr, Find(1, 1));
  EXPECT_EQ(nullptr, Find(1, 2));
  EXPECT_NE(nullptr, Find(2, 1));
  EXPECT_EQ(invalidated + 2, MinorVVsCache::GetInvalidateCount());

  // A solution that the manager no longer holds is skipped.
  m_host.RemoveSolution(10);
  m_cache.InvalidateDataForVariableValues(100, 10, 1, ReportTypeSolutionDefinition(1), Major(2, 1));
  EXPECT_NE(nullptr, Find(2, 1));
}

TEST_F(CacheTest, DeleteForVariableValuesTouchesOneReportTypeAndVersion) {
  Push(1, 1, 10);
  Push(1, 1, 20, 1, 2);
  Push(1, 1, 30, 2);
  m_cache.DeleteDataForVariableValues(100, 10, 1, 1, Major(1, 1));
  EXPECT_EQ(nullptr, Find(1, 1));
  EXPECT_NE(nullptr, Find(1, 1, 1, 2));
  EXPECT_NE(nullptr, Find(1, 1, 2));
  EXPECT_EQ(3u, NumVersionEntries());  // the version entry stays

  m_cache.DeleteSolutionData(100, 10);
  EXPECT_EQ(0u, NumVersionEntries());
  m_cache.DeleteSolutionData(100, 55);
}

TEST_F(CacheTest, CommandsDeleteWhatTheSolutionFlags) {
  Push(1, 1, 10);
  Push(1, 1, 20, 1, 2);
  EXPECT_TRUE(m_cache.DeleteEntriesFlaggedBySolutionManager(nullptr));
  EXPECT_EQ(2u, NumVersionEntries());

  // The solution flags a quantity in every context.
  VelmorCommand edit(L"Edit");
  Solution().m_changedQuantities.insert(L"loss");
  m_cache.DeleteEntriesFlaggedBySolutionManager(&edit);
  Solution().m_changedQuantities.clear();
  EXPECT_FALSE(Find(1, 1)->HasQuantity(m_loss));
  EXPECT_FALSE(Find(1, 1, 1, 2)->HasQuantity(m_loss));
  EXPECT_TRUE(Find(1, 1)->HasQuantity(m_gain));

  // A rename invalidates the quantity and drops its ID.
  VelmorCommand rename(L"Rename");
  auto* renames = new RenameQuantitiesCmdInfo;
  renames->AddRename(L"Gain", L"Gain2");
  rename.AddInfo(RenameQuantitiesCmdInfo::kKind, renames);
  m_cache.DeleteEntriesFlaggedBySolutionManager(&rename);
  EXPECT_FALSE(Find(1, 1)->HasQuantity(m_gain));
  SimValueParams params;
  EXPECT_FALSE(m_cache.GetInfoServer().GetSimValueParams(params, m_gain));

  // A changed context goes whole; changed variables take the whole solution.
  Solution().m_changedContexts.insert(ReportTypeSolutionDefinition(2));
  m_cache.DeleteEntriesFlaggedBySolutionManager(&edit);
  Solution().m_changedContexts.clear();
  EXPECT_EQ(1u, NumVersionEntries());
  m_host.m_deletedVariables.insert(10);
  m_cache.DeleteEntriesFlaggedBySolutionManager(&edit);
  EXPECT_EQ(0u, NumVersionEntries());
}

TEST_F(CacheTest, ObsoleteVersionsGo) {
  Solution().SetVersionIDs(3, 3);
  Push(1, 1, 10, 1);
  Push(1, 1, 20, 2);
  Push(1, 1, 30, 3);
  Push(1, 1, 40, 3, 2);
  Solution().SetValidVersionIDs({2, 3});
  m_cache.DeleteEntriesOfObsoleteVersions();
  EXPECT_EQ(3u, NumVersionEntries());
  EXPECT_EQ(nullptr, Find(1, 1, 1));
  EXPECT_NE(nullptr, Find(1, 1, 2));

  Solution().m_noValidVersion = true;
  m_cache.DeleteEntriesOfObsoleteVersions();
  EXPECT_EQ(0u, NumVersionEntries());
}

TEST_F(CacheTest, DestructionFreesEverything) {
  const size_t minors = MinorVVsCache::GetInstanceCount();
  const size_t sweeps = MinorSweepCache::GetInstanceCount();
  {
    rep::SimValueDataCache other(&m_host);
    VariableValuesContext current(Major(1, 1));
    DoubleColumn primary(113), gain;
    primary.AppendValues({1});
    gain.AppendValues({2});
    other.UpdateCacheForMinorSweepAtCurrVarVal(m_f, false, {m_l, m_w}, {}, Dsd(), 1, primary, {1}, {&gain}, L"");
    EXPECT_EQ(minors + 1, MinorVVsCache::GetInstanceCount());
  }
  EXPECT_EQ(minors, MinorVVsCache::GetInstanceCount());
  EXPECT_EQ(sweeps, MinorSweepCache::GetInstanceCount());
}

TEST_F(CacheTest, FacesOfTheCache) {
  ISimValueCache& host = m_cache;
  EXPECT_EQ(static_cast<ISimValueDataCache*>(&m_cache), host.GetISimValueDataCacheForEdit());
  EXPECT_EQ(static_cast<const ISimValueDataCache*>(&m_cache), host.GetISimValueDataCache());
  EXPECT_EQ(static_cast<ISimValueInfoCache*>(&m_cache.GetInfoServer()), host.GetISimValueInfoCacheForEdit());
  EXPECT_EQ(host.GetISimValueInfoCacheForEdit(), host.GetISimValueInfoCache());
  EXPECT_EQ(&m_cache, dynamic_cast<ISimValueDataCache*>(&host));
}
