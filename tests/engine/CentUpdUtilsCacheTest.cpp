#include <memory>
#include <set>
#include <vector>

#include "CentUpdUtils.h"
#include "RepTest.h"
#include "SimValueDataCache.h"
#include "SimValueInfoServer.h"
#include "SweepsVariableInfoMediator2.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorSweepCache.h"
#include "postorvex/columns/Column.h"
#include "postorvex/connectivity/ConnectedVVObject.h"
#include "postorvex/connectivity/SPS2Connectivity.h"
#include "postorvex/quantities/SimValueParams.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "postorvex/subsweeps/AbstractSubsweepDefParams.h"
#include "postorvex/subsweeps/SubsweepDefParamsContainer.h"
#include "postorvex/subsweeps/SubsweepsAdapter.h"
#include "postorvex/sweeps/SweepBase.h"
#include "reference/ReferenceSolutionManager.h"

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

}  // namespace
