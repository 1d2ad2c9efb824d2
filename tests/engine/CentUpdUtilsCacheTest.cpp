#include <memory>
#include <set>
#include <vector>

#include "update/CacheAndConnectivityUpdateHelper2.h"
#include "update/CentUpdUtils.h"
#include "orvex/core/VelDebug.h"
#include "postorvex/connectivity/MinorPrimaryConnectivityLeafData.h"
#include "postorvex/connectivity/CompositeVVObject.h"
#include "RepTest.h"
#include "quantities/SimValueDataCache.h"
#include "quantities/SimValueInfoServer.h"
#include "update/SweepsVariableInfoMediator2.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorSweepCache.h"
#include "postorvex/columns/Column.h"
#include "postorvex/connectivity/ConnectedVVObject.h"
#include "postorvex/connectivity/SPS2Connectivity.h"
#include "postorvex/quantities/SimValueParams.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SubsweepsAdapter.h"
#include "postorvex/sweeps/SweepBase.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

// A trace over F (minor primary, 1 2 3) at major L; the cache holds what each test pushes.
struct CacheCheckTest : ::testing::Test {
  CacheCheckTest() : solution(manager.AddSolution(10, L"Run1")), cache(&manager) {
    solution.AddSupportedReportType(1);
    f = solution.AddVariable(L"F", Value(1.0, Units::kNoUnit), false);
    l = solution.AddVariable(L"L", Value(1.0, Units::kNoUnit), true);
    solution.AddQuantity(L"A", ValueState(1, 15, 1));
    solution.AddQuantity(L"B", ValueState(1, 15, 1));
    solution.AddSweep(f, {1, 2, 3});
    solution.AddSweep(l, {1, 2});
    SubsweepDefParamsContainer defs;
    defs.PushBackAndOwn(solution.GetSweepOfVariable(L"F", SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
    subsweeps = std::make_unique<rep::SubsweepsAdapter>(defs, Dsd(), 1, &manager, std::vector<VariableValues>{});
    mediator = std::make_unique<rep::SweepsVariableInfoMediator2>(subsweeps.get(), ReportTypeSolutionDefinition(1),
                                                                  &solution, VariableValues(), false);
    a = ID(L"A");
    b = ID(L"B");
  }
  static DesignSolutionDefinition Dsd() { return DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)); }
  long ID(const AString& q) {
    SimValueParams params;
    return cache.GetInfoServer().GetSimValueID(params, q, Dsd(), 1);
  }
  VariableValues Major(double lv) {
    VariableValues v;
    v.SetVariableValue(l, Value(lv, Units::kNoUnit));
    return v;
  }
  void Push(double lv, std::vector<double> primaryValues, bool withB) {
    VariableValuesContext current(Major(lv));
    DoubleColumn primary, av, bv;
    primary.AppendValues(primaryValues);
    for (double p : primaryValues) {
      av.AddValue(p * 10, false);
      bv.AddValue(-p, false);
    }
    std::vector<long> ids{a};
    std::vector<const Column*> values{&av};
    if (withB) {
      ids.push_back(b);
      values.push_back(&bv);
    }
    cache.UpdateCacheForMinorSweepAtCurrVarVal(f, false, {l}, {}, Dsd(), 1, primary, ids, values, L"test");
  }
  bool IsLoadNeeded(SPS2Connectivity& c, double lv, const Column* primary) {
    return CentUpdUtils::IsLoadNeeded(c, Major(lv), {a, b}, cache, *mediator, Dsd(), 1, primary);
  }
  std::unique_ptr<MinorPrimarySPS2Connectivity> Connectivity() {
    return std::make_unique<MinorPrimarySPS2Connectivity>(f, false, mediator->CreateConnectedVVObject());
  }

  refhost::ReferenceSolutionManager manager;
  refhost::ReferenceSolution& solution;
  rep::SimValueDataCache cache;
  Variable *f, *l;
  long a = 0, b = 0;
  std::unique_ptr<rep::SubsweepsAdapter> subsweeps;
  std::unique_ptr<rep::SweepsVariableInfoMediator2> mediator;
};

TEST_F(CacheCheckTest, CachedVariationNeedsNoLoadAndFillsTheConnectivity) {
  const Column* primary = (*subsweeps)[0].GetColumn();
  auto c = Connectivity();
  EXPECT_TRUE(IsLoadNeeded(*c, 1, primary)) << "nothing cached yet";
  Push(1, {1, 2, 3}, true);
  EXPECT_FALSE(IsLoadNeeded(*c, 1, primary));
  EXPECT_EQ(1u, c->GetConnectedVVObject()->GetPoints().size());
  EXPECT_TRUE(IsLoadNeeded(*c, 2, primary)) << "another major variation";
}

TEST_F(CacheCheckTest, MissingValuesMeanALoad) {
  const Column* primary = (*subsweeps)[0].GetColumn();
  auto c = Connectivity();
  Push(1, {1, 2, 3}, false);
  EXPECT_TRUE(IsLoadNeeded(*c, 1, primary)) << "a quantity missing";
  Push(2, {1, 2}, true);
  EXPECT_TRUE(IsLoadNeeded(*c, 2, primary)) << "a primary value missing";
  EXPECT_TRUE(IsLoadNeeded(*c, 2, nullptr)) << "no primary column: a load, never a dereference";
  EXPECT_SOFT_ASSERT("primarySweepColumn");
}

TEST_F(CacheCheckTest, QuantityColumnCounts) {
  Push(1, {1, 2, 3}, true);
  VariableValuesContext current(Major(1));
  MinorSweepCache* leaf = cache.GetMinorSweepCacheAtCurrVarVals(f, {l}, Dsd(), 1);
  ASSERT_TRUE(leaf);
  EXPECT_TRUE(CentUpdUtils::DoQuantityColumnsHaveCount(*leaf, {a, b}, 3));
  EXPECT_FALSE(CentUpdUtils::DoQuantityColumnsHaveCount(*leaf, {a, b}, 4));
  EXPECT_FALSE(CentUpdUtils::DoQuantityColumnsHaveCount(*leaf, {a, 999}, 1));
  EXPECT_TRUE(CentUpdUtils::DoQuantityColumnsHaveCount(*leaf, {}, 9));
  EXPECT_TRUE(CentUpdUtils::DoQuantityColumnsMatchSweepColumn(*leaf, {a, b}));
  EXPECT_FALSE(CentUpdUtils::DoQuantityColumnsMatchSweepColumn(*leaf, {999}));
}

TEST_F(CacheCheckTest, PushedMinorPointsLandInTheCacheAndTheConnectivity) {
  auto c = Connectivity();
  DoubleColumn primary, av, bv;
  primary.AppendValues({1, 2, 3});
  av.AppendValues({10, 20, 30});
  bv.AppendValues({-1, -2, -3});
  VelDebug::SetDebugLevel(1);
  {
    rep::CacheAndConnectivityUpdateHelper2 helper(c.get(), Dsd(), 1, Major(1), mediator.get(), &cache);
    helper.SetQuantityValues(VariableValues(), {a, b}, {&av, &bv}, primary, L"push");
  }
  VelDebug::SetDebugLevel(0);
  ASSERT_EQ(2u, orvex::test::DebugLines().size());
  EXPECT_EQ(AString(L"CoreCentUpd: Products calling SetQuantityValues for SolnID[10], VersID[1], MajorVV[L=1], "
                    L"MinorVVExclPrimary[]\n"),
            orvex::test::DebugLines()[0]);
  EXPECT_EQ(AString(L"CoreCentUpd: SetQuantityValuesWithInterpolationOrders called for SolnID[10], VersID[1], "
                    L"MajorVV[L=1], MinorVVExclPrimary[]\n"),
            orvex::test::DebugLines()[1]);
  std::vector<CompositeVVObject*> points = c->GetConnectedVVObject()->GetPoints();
  ASSERT_EQ(1u, points.size());
  auto* leaf = dynamic_cast<MinorPrimaryConnectivityLeafData*>(c->GetConnectedVVObject()->GetDataForCompVVObject(points[0]));
  ASSERT_TRUE(leaf);
  ASSERT_TRUE(leaf->GetPrimaryColumn());
  EXPECT_NE(&primary, leaf->GetPrimaryColumn()) << "its own copy";
  EXPECT_EQ(3u, leaf->GetPrimaryColumn()->GetCount());
  EXPECT_EQ(30.0, leaf->GetMinorSweepCache()->GetQuantityColumn(a)->GetDoubleColumn()->GetValues()[2]);
  auto fresh = Connectivity();
  EXPECT_FALSE(IsLoadNeeded(*fresh, 1, (*subsweeps)[0].GetColumn())) << "now served from the cache";

  CharColumn orders;
  orders.GetValues().assign(3, 1);
  {
    rep::CacheAndConnectivityUpdateHelper2 helper(c.get(), Dsd(), 1, Major(2), mediator.get(), &cache);
    helper.SetQuantityValuesWithInterpolationOrders(VariableValues(), {a, b}, {{a, &orders}}, {&av, &bv}, primary, L"o");
  }
  EXPECT_SOFT_ASSERT(
      "!\"Call SetQuantityValues directly. We only handle interp orders for primary minor specials for now\"");
  VariableValuesContext atTwo(Major(2));
  MinorSweepCache* stored = cache.GetMinorSweepCacheAtCurrVarVals(f, {l}, Dsd(), 1);
  ASSERT_TRUE(stored) << "stored without the orders";
  EXPECT_EQ(nullptr, stored->GetQuantityInterpOrderColumn(a));
}

TEST_F(CacheCheckTest, MajorPrimaryPointsHoldTheSweepCache) {
  SubsweepDefParamsContainer defs;
  defs.PushBackAndOwn(solution.GetSweepOfVariable(L"L", SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
  rep::SubsweepsAdapter byLength(defs, Dsd(), 1, &manager, {});
  rep::SweepsVariableInfoMediator2 m(&byLength, ReportTypeSolutionDefinition(1), &solution, VariableValues(), false);
  MajorPrimarySPS2Connectivity c(m.CreateConnectedVVObject());
  DoubleColumn primary, av, empty;
  primary.AppendValues({2});
  av.AppendValues({7});
  {
    rep::CacheAndConnectivityUpdateHelper2 helper(&c, Dsd(), 1, Major(2), &m, &cache);
    helper.SetQuantityValues(VariableValues(), {a}, {&av}, primary, L"major");
    helper.SetQuantityValues(VariableValues(), {a}, {&av}, empty, L"nothing");
  }
  EXPECT_SOFT_ASSERT("primaryColValues.GetCount() == 1");
  std::vector<CompositeVVObject*> points = c.GetConnectedVVObject()->GetPoints();
  ASSERT_EQ(1u, points.size()) << "an empty primary column stores nothing";
  auto* sweepCache = dynamic_cast<MinorSweepCache*>(c.GetConnectedVVObject()->GetDataForCompVVObject(points[0]));
  ASSERT_TRUE(sweepCache);
  EXPECT_EQ(1u, sweepCache->GetQuantityColumn(a)->GetCount());
}

TEST_F(CacheCheckTest, PerQuantityPrimariesAreLoggedWithTheirCounts) {
  refhost::ReferenceSolution& run = manager.AddSolution(11, L"Run2");
  run.AddSupportedReportType(1);
  Variable* g = run.AddVariable(L"G", Value(1.0, Units::kNoUnit), false);
  Variable* m = run.AddVariable(L"M", Value(1.0, Units::kNoUnit), true);
  run.AddQuantity(L"A", ValueState(1, 15, 1));
  run.AddSweep(g, {1, 2, 3}, true);
  run.AddSweep(m, {1});
  const DesignSolutionDefinition dsd(100, 11, ReportTypeSolutionDefinition(1));
  SubsweepDefParamsContainer defs;
  defs.PushBackAndOwn(run.GetSweepOfVariable(L"G", SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
  rep::SubsweepsAdapter sweeps(defs, dsd, 1, &manager, {});
  rep::SweepsVariableInfoMediator2 special(&sweeps, ReportTypeSolutionDefinition(1), &run, VariableValues(), false);
  ASSERT_TRUE(special.DoSpecialSweepsExist());
  MinorPrimarySPS2Connectivity c(g, true, special.CreateConnectedVVObject());
  VariableValues major;
  major.SetVariableValue(m, Value(1.0, Units::kNoUnit));
  DoubleColumn primaryA, valuesA, data4;
  primaryA.AppendValues({1, 2});
  valuesA.AppendValues({10, 20});
  VelDebug::SetDebugLevel(1);
  {
    rep::CacheAndConnectivityUpdateHelper2 helper(&c, dsd, 1, major, &special, &cache);
    helper.SetQuantityValuesWithPerQuantityPrimaries(VariableValues(), {7}, {{7, &primaryA}, {8, nullptr}}, {&valuesA},
                                                     data4, L"per quantity");
  }
  VelDebug::SetDebugLevel(0);
  const std::vector<AString>& lines = orvex::test::DebugLines();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(AString(L"CoreCentUpd: SetQuantityValuesWithPerQuantityPrimaries called for SolnID[11], VersID[1], "
                    L"MajorVV[M=1], MinorVVExclPrimary[]\n"),
            lines[0]);
  EXPECT_EQ(AString(L"CoreCentUpd: SetQuantityValuesWithPerQuantityPrimaries: Number of primary values per quantity id:"),
            lines[1]);
  EXPECT_EQ(AString(L"\"7 - 2\" "), lines[2]);
  EXPECT_EQ(AString(L"\"8 - 0\" "), lines[3]) << "a missing column counts 0";
  EXPECT_EQ(AString(L"\n"), lines[4]);
}

}  // namespace
