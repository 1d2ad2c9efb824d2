#include <map>
#include <memory>
#include <set>
#include <vector>

#include "CacheTestSupport.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorDoubleSpecialSweepCache.h"
#include "postorvex/caches/MinorSweepCacheActivateContext.h"
#include "postorvex/caches/PostpCacheUtils.h"
#include "postorvex/columns/FileColumnManager.h"
#include "postorvex/columns/ManagedFileService.h"
#include "postorvex/connectivity/MinorPrimaryConnectivityLeafData.h"

using namespace cachetest;

namespace {

const double kNaN = NAN;

struct MinorSweepCacheTest : ::testing::Test {
  Variable freq{L"f", Units::kGHz};
  Variable length{L"L", Units::kMm};
};

}  // namespace

TEST_F(MinorSweepCacheTest, MinorUpdateAnswersWhichPrimaryValuesAreCached) {
  MinorSweepCache cache(&freq, nullptr);
  auto primary = Doubles({1, 2, 3, 4});
  auto s11 = Doubles({0.1, 0.2, 0.3, 0.4}, Units::kNoUnit);
  cache.Update(*primary, false, {7}, {s11.get()}, L"run");
  EXPECT_EQ(4u, cache.GetRowCount());
  EXPECT_TRUE(SameDoubles({1, 2, 3, 4}, ValuesOf(cache.GetSweepColumn())));
  EXPECT_TRUE(SameDoubles({0.1, 0.2, 0.3, 0.4}, ValuesOf(cache.GetQuantityColumn(7))));
  EXPECT_EQ(AString(L"run"), cache.GetTag());

  struct Case {
    std::vector<double> primary;
    Units::FullUnitType units;
    std::set<long> ids;
    bool expected;
    const char* why;
  };
  const Case cases[] = {
      {{2, 3}, Units::kGHz, {7}, true, "a sub-range"},
      {{3e9, 1e9 * (1 + 1e-13)}, Units::kHz, {7}, true, "another unit, within the tolerance"},
      {{2, 5}, Units::kGHz, {7}, false, "a value not present"},
      {{2.000001}, Units::kGHz, {7}, false, "a near value outside the tolerance"},
      {{2}, Units::kGHz, {7, 8}, false, "an ID never pushed"},
      {{1, 4}, Units::kGHz, {}, true, "no ID: rows only"},
      {{9}, Units::kGHz, {}, false, "no ID, no row"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(c.expected, cache.DoesCacheHaveValuesForQuantities(c.ids, *Doubles(c.primary, c.units)));
  }
}

// Two traces on one solution and variation push different quantities over overlapping primaries.
TEST_F(MinorSweepCacheTest, UpdatesMergeRowsAndKeepOtherQuantities) {
  MinorSweepCache cache(&freq, nullptr);
  auto first = Doubles({1, 2, 3});
  auto second = Doubles({3000, 4000}, Units::kMHz);
  auto a = Doubles({10, 20, 30}, Units::kNoUnit);
  auto b = Doubles({0.3, 0.4}, Units::kNoUnit);
  cache.Update(*first, false, {1}, {a.get()}, L"");
  cache.Update(*second, false, {2}, {b.get()}, L"");
  EXPECT_TRUE(SameDoubles({1, 2, 3, 4}, ValuesOf(cache.GetSweepColumn())));
  EXPECT_TRUE(SameDoubles({10, 20, 30, kNaN}, ValuesOf(cache.GetQuantityColumn(1))));
  EXPECT_TRUE(SameDoubles({kNaN, kNaN, 0.3, 0.4}, ValuesOf(cache.GetQuantityColumn(2))));
  EXPECT_TRUE(cache.DoesCacheHaveValuesForQuantities({1, 2}, *Doubles({3})));
  EXPECT_FALSE(cache.DoesCacheHaveValuesForQuantities({1}, *Doubles({4})));
  EXPECT_FALSE(cache.DoesCacheHaveValuesForQuantities({2}, *Doubles({1})));

  // A later push overwrites its own rows and only those.
  auto again = Doubles({2}, Units::kGHz);
  auto a2 = Doubles({-20}, Units::kNoUnit);
  cache.Update(*again, false, {1}, {a2.get()}, L"");
  EXPECT_TRUE(SameDoubles({10, -20, 30, kNaN}, ValuesOf(cache.GetQuantityColumn(1))));
  EXPECT_TRUE(SameDoubles({kNaN, kNaN, 0.3, 0.4}, ValuesOf(cache.GetQuantityColumn(2))));

  std::vector<long> ids;
  cache.GetQuantityIDs(ids);
  EXPECT_EQ((std::vector<long>{1, 2}), ids);
  cache.InvalidateQuantityData(1);
  EXPECT_EQ(nullptr, cache.GetQuantityColumn(1));
  EXPECT_NE(nullptr, cache.GetQuantityColumn(2));
}

TEST_F(MinorSweepCacheTest, APushedNaNIsAValueAndAShortColumnIsNot) {
  MinorSweepCache cache(&freq, nullptr);
  auto primary = Doubles({1, 2, 3});
  auto nanValues = Doubles({kNaN, kNaN, kNaN}, Units::kNoUnit);
  auto shortValues = Doubles({5}, Units::kNoUnit);
  cache.Update(*primary, false, {1, 2, 3}, {nanValues.get(), shortValues.get(), nullptr}, L"");
  EXPECT_TRUE(cache.DoesCacheHaveValuesForQuantities({1}, *primary));
  EXPECT_TRUE(cache.DoesCacheHaveValuesForQuantities({2}, *Doubles({1})));
  EXPECT_FALSE(cache.DoesCacheHaveValuesForQuantities({2}, *Doubles({2})));
  EXPECT_FALSE(cache.HasQuantity(3)) << "a null column leaves the ID out";
  EXPECT_TRUE(SameDoubles({5, kNaN, kNaN}, ValuesOf(cache.GetQuantityColumn(2))));
}

TEST_F(MinorSweepCacheTest, MajorUpdatesWriteOneRowPerCallAtTheCurrentValue) {
  MinorSweepCache cache(&length, nullptr);
  auto primary = Doubles({7});  // the major primary's one value
  for (double l : {1.0, 2.0, 3.0}) {
    VariableValuesContext current(At({{&length, l}}));
    auto values = Doubles({10 * l}, Units::kNoUnit);
    cache.Update(*primary, true, {4}, {values.get()}, L"");
  }
  EXPECT_EQ(3u, cache.GetRowCount());
  EXPECT_TRUE(SameDoubles({1, 2, 3}, ValuesOf(cache.GetSweepColumn())));
  EXPECT_TRUE(SameDoubles({10, 20, 30}, ValuesOf(cache.GetQuantityColumn(4))));
  for (int row : {2, 0, 1}) {
    VariableValuesContext current(At({{&length, row + 1.0}}));
    EXPECT_EQ(row, cache.GetRowForCurrentVariation(-1));
  }
  {
    VariableValuesContext current(At({{&length, 4.0}}));
    EXPECT_EQ(-1, cache.GetRowForCurrentVariation(-1));
    EXPECT_FALSE(cache.DoesCacheHaveValuesForQuantities({4}, *Doubles({4}, Units::kMm)));
  }
  EXPECT_EQ(-1, cache.GetRowForCurrentVariation(-1)) << "no current value";
  EXPECT_TRUE(cache.DoesCacheHaveValuesForQuantities({4}, *Doubles({2}, Units::kMm)));

  // Without a sweep variable the row is keyed by the primary's value, and lookups take row 0.
  MinorSweepCache keyless(nullptr, nullptr);
  EXPECT_EQ(-1, keyless.GetRowForCurrentVariation(-1));
  auto values = Doubles({0.5}, Units::kNoUnit);
  keyless.Update(*primary, true, {4}, {values.get()}, L"");
  keyless.Update(*primary, true, {4}, {values.get()}, L"");
  EXPECT_EQ(1u, keyless.GetRowCount());
  EXPECT_EQ(0, keyless.GetRowForCurrentVariation(-1));
}

TEST_F(MinorSweepCacheTest, CacheKindFollowsTheSpecialFlagAndTheVariableType) {
  Variable mode(L"Mode", Units::kNoUnit, val::kTextParam);
  struct Case {
    const Variable* variable;
    bool special;
    MinorSweepCache::Kind kind;
  };
  const Case cases[] = {{&freq, false, MinorSweepCache::kRegular},
                        {&freq, true, MinorSweepCache::kDoubleSpecial},
                        {&mode, true, MinorSweepCache::kSpecial},
                        {nullptr, true, MinorSweepCache::kSpecial},
                        {&mode, false, MinorSweepCache::kRegular}};
  for (const Case& c : cases) {
    std::unique_ptr<MinorSweepCache> cache(postp::CreateMinorSweepCacheForType(c.variable, nullptr, c.special));
    EXPECT_EQ(c.kind, cache->GetKind());
    EXPECT_EQ(c.variable, cache->GetSweepVariable());
    EXPECT_EQ(c.kind == MinorSweepCache::kDoubleSpecial,
              dynamic_cast<MinorDoubleSpecialSweepCache*>(cache.get()) != nullptr);
    EXPECT_EQ(c.kind != MinorSweepCache::kRegular, dynamic_cast<MinorSpecialSweepCache*>(cache.get()) != nullptr);
  }
}

TEST_F(MinorSweepCacheTest, SpecialUpdatesKeepOrdersAndPerQuantityPrimaries) {
  MinorDoubleSpecialSweepCache cache(&freq, nullptr);
  auto primary = Doubles({1, 2});
  auto a = Doubles({10, 20}, Units::kNoUnit);
  auto orders = Orders({0, 1});
  cache.UpdateSpecial(*primary, {1}, {{1, static_cast<const CharColumn*>(orders.get())}}, {a.get()}, L"t1");
  auto more = Doubles({3});
  auto a3 = Doubles({30}, Units::kNoUnit);
  cache.UpdateWithInterpolationOrders(*more, {1}, {}, {a3.get()}, L"t2");
  ASSERT_NE(nullptr, cache.GetQuantityInterpOrderColumn(1));
  EXPECT_EQ((std::vector<char>{0, 1, CharColumn::kInvalidValue}),
            cache.GetQuantityInterpOrderColumn(1)->GetCharColumn()->GetValues());
  EXPECT_TRUE(SameDoubles({10, 20, 30}, ValuesOf(cache.GetQuantityColumn(1))));
  EXPECT_EQ(nullptr, cache.GetQuantityPrimaryColumn(1));

  // Per-quantity primaries replace only the given IDs; no common sweep column for an empty data4.
  auto b = Doubles({0.5, 0.6, 0.7}, Units::kNoUnit);
  auto bPrimary = Doubles({1.5, 2.5, 3.5});
  std::map<long, Column*> primaries{{2, bPrimary.get()}, {3, nullptr}};
  auto empty = Doubles({});
  auto c = Doubles({9}, Units::kNoUnit);
  cache.UpdateWithPerQuantityPrimaries(*empty, {2, 3}, primaries, {b.get(), c.get()}, L"t3");
  EXPECT_EQ(nullptr, cache.GetSweepColumn());
  EXPECT_TRUE(SameDoubles({10, 20, 30}, ValuesOf(cache.GetQuantityColumn(1))));
  EXPECT_TRUE(SameDoubles({0.5, 0.6, 0.7}, ValuesOf(cache.GetQuantityColumn(2))));
  EXPECT_TRUE(SameDoubles({1.5, 2.5, 3.5}, ValuesOf(cache.GetQuantityPrimaryColumn(2))));
  EXPECT_EQ(nullptr, cache.GetQuantityPrimaryColumn(3));
  EXPECT_NE(b.get(), cache.GetQuantityColumn(2)) << "a copy";
  EXPECT_TRUE(cache.DoesCacheHaveValuesForQuantities({2}, *Doubles({2.5, 3.5})));
  EXPECT_FALSE(cache.DoesCacheHaveValuesForQuantities({2}, *Doubles({2})));

  // The leaf's primary: the sweep column first, else the smallest ID with a primary of its own.
  MinorPrimaryConnectivityLeafData leaf(nullptr, &cache);
  EXPECT_EQ(cache.GetQuantityPrimaryColumn(2), postp::GetPrimaryColumnFromCache({1, 2, 3}, leaf, nullptr));
  EXPECT_EQ(nullptr, postp::GetPrimaryColumnFromCache({1, 3}, leaf, nullptr));
  auto data4 = Doubles({1, 2});
  cache.UpdateWithPerQuantityPrimaries(*data4, {3}, {}, {c.get()}, L"t4");
  EXPECT_EQ(cache.GetSweepColumn(), postp::GetPrimaryColumnFromCache({2}, leaf, nullptr));
  MinorPrimaryConnectivityLeafData none(primary.get(), nullptr);
  EXPECT_EQ(nullptr, postp::GetPrimaryColumnFromCache({2}, none, nullptr));
  EXPECT_NE(primary.get(), none.GetPrimaryColumn()) << "the leaf keeps its own copy";
  EXPECT_TRUE(SameDoubles({1, 2}, ValuesOf(none.GetPrimaryColumn())));
}

TEST_F(MinorSweepCacheTest, ActivationLoadsTheQuantityColumnsForItsLifetime) {
  reptest::TempDir tmp;
  ManagedFileService::RootScope root(AString::FromUtf8(tmp.Path()));
  MinorSweepCache cache(&freq, ManagedFileService::GetInstance());
  auto primary = Doubles({1});
  auto a = Doubles({1}, Units::kNoUnit);
  auto b = Doubles({2}, Units::kNoUnit);
  cache.Update(*primary, false, {1, 2}, {a.get(), b.get()}, L"");
  Column* one = cache.GetQuantityColumn(1);
  Column* two = cache.GetQuantityColumn(2);
  ASSERT_TRUE(one->IsFileManaged());
  one->Unload();
  two->Unload();
  const size_t activations = MinorSweepCacheActivateContext::GetActivationCount();
  {
    MinorSweepCacheActivateContext active(&cache, {1, 5}, nullptr);
    EXPECT_TRUE(one->IsLoaded());
    EXPECT_FALSE(two->IsLoaded());
    MinorSweepCacheActivateContext nothing(nullptr, {1}, nullptr);
  }
  EXPECT_FALSE(one->IsLoaded()) << "unloaded again, as it was";
  EXPECT_EQ(activations + 1, MinorSweepCacheActivateContext::GetActivationCount());
}

// Random pushes (subsets of eight primary values in any order, repeats, short columns) against
// a plain model of what each quantity holds at each primary value.
TEST_F(MinorSweepCacheTest, RandomMinorPushesAgreeWithAModel) {
  uint32_t seed = 12345;
  auto next = [&seed](uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % n;
  };
  for (int round = 0; round < 20; ++round) {
    MinorSweepCache cache(&freq, nullptr);
    std::map<int, std::map<long, double>> model;  // primary value -> id -> value
    for (int push = 0; push < 12; ++push) {
      std::vector<double> primaryValues;
      const uint32_t count = 1 + next(8);
      for (uint32_t i = 0; i < count; ++i) primaryValues.push_back(1 + next(8));
      auto primary = Doubles(primaryValues);
      std::vector<long> ids;
      std::vector<std::unique_ptr<Column>> columns;
      std::vector<const Column*> values;
      for (long id = 1; id <= 3; ++id) {
        if (next(2)) continue;
        std::vector<double> v;
        const uint32_t length = next(4) == 0 ? next(count + 1) : count;  // sometimes short
        for (uint32_t i = 0; i < length; ++i) v.push_back(static_cast<double>(next(1000)));
        for (uint32_t i = 0; i < length; ++i) model[static_cast<int>(primaryValues[i])][id] = v[i];
        columns.push_back(Doubles(v, Units::kNoUnit));
        values.push_back(columns.back().get());
        ids.push_back(id);
      }
      cache.Update(*primary, false, ids, values, L"");

      SCOPED_TRACE(testing::Message() << "round " << round << " push " << push);
      const std::vector<double> keys = ValuesOf(cache.GetSweepColumn());
      ASSERT_EQ(keys.size(), cache.GetRowCount());
      for (size_t row = 0; row < keys.size(); ++row) {
        const auto& held = model[static_cast<int>(keys[row])];
        for (long id = 1; id <= 3; ++id) {
          auto it = held.find(id);
          EXPECT_EQ(it != held.end(), cache.WasPushedAt(id, row)) << "id " << id << " row " << row;
          if (it == held.end() || !cache.GetQuantityColumn(id)) continue;
          EXPECT_EQ(it->second, ValuesOf(cache.GetQuantityColumn(id)).at(row)) << "id " << id << " row " << row;
          EXPECT_EQ(keys.size(), cache.GetQuantityColumn(id)->GetCount());
        }
      }
    }
  }
}
