#include <memory>
#include <vector>

#include "RepTest.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorSweepCache.h"
#include "postorvex/columns/Column.h"
#include "postorvex/connectivity/CompositeVVObject.h"
#include "postorvex/connectivity/ConnectedVVObject.h"
#include "postorvex/connectivity/MinorPrimaryConnectivityLeafData.h"
#include "postorvex/connectivity/SPS2Connectivity.h"
#include "postorvex/sweeps/SweepsAbstraction.h"
#include "postorvex/connectivity/PostpPopulationUtils.h"

namespace {

class Counted : public VVLeafData {
public:
  ~Counted() override { ++s_deleted; }
  static int s_deleted;
};
int Counted::s_deleted = 0;

VariableValues At(std::vector<std::pair<Variable*, double>> values) {
  VariableValues v;
  for (auto& p : values) v.SetVariableValue(p.first, Value(p.second, Units::kNoUnit));
  return v;
}

struct ConnectivityTest : ::testing::Test {
  Variable f{L"F", Units::kNoUnit}, l{L"L", Units::kNoUnit}, w{L"W", Units::kNoUnit};
};

TEST_F(ConnectivityTest, OwnsLeafWrappersButNeverCaches) {
  Counted::s_deleted = 0;
  MinorSweepCache cache(&f, nullptr);
  auto* counted = new Counted;
  {
    MinorPrimarySPS2Connectivity c(&f, false, ConnectedVVObject::CreateConnectedVVObject({&l}));
    DoubleColumn primary;
    primary.AppendValues({1, 2, 3});
    {
      VariableValuesContext at(At({{&l, 1}}));
      c.AddPointAtCurrVarVals(new MinorPrimaryConnectivityLeafData(&primary, &cache));
      c.AddPointAtCurrVarVals(new MinorPrimaryConnectivityLeafData(&primary, &cache));  // replaces and deletes
    }
    {
      VariableValuesContext at(At({{&l, 2}}));
      c.AddPointAtCurrVarVals(counted);
    }
    {
      VariableValuesContext at(At({{&l, 3}}));
      c.SetDataAtCurrVarVals(new MinorPrimaryConnectivityLeafData(nullptr, &cache));
      EXPECT_SOFT_ASSERT("!\"no point at the current values\"");
    }
    c.DeleteAssociatedStructures(At({{&l, 3}}));
    EXPECT_EQ(2u, c.GetConnectedVVObject()->GetPoints().size());
    std::vector<Variable*> vars;
    c.GetVariables(vars);
    EXPECT_EQ(std::vector<Variable*>({&f, &l}), vars);
  }
  EXPECT_EQ(0, Counted::s_deleted) << "data that is no leaf wrapper is not the connectivity's";
  delete counted;
}

TEST_F(ConnectivityTest, CurvesAndPointIndexes) {
  MinorSweepCache cache(&f, nullptr);
  MinorPrimarySPS2Connectivity c(&f, false, ConnectedVVObject::CreateConnectedVVObject({&l}));
  DoubleColumn primary;
  primary.AppendValues({10, 20});
  for (double lv : {1.0, 2.0}) {
    VariableValuesContext at(At({{&l, lv}}));
    c.AddPointAtCurrVarVals(new MinorPrimaryConnectivityLeafData(&primary, &cache));
  }
  std::vector<CompositeVVObject*> points = c.GetConnectedVVObject()->GetPoints();
  ASSERT_EQ(2u, points.size());
  c.UpdatePointCurveDataSerially(points[0], 0, 2);
  c.UpdatePointCurveDataSerially(points[1], 5, 2);
  EXPECT_SOFT_ASSERT("curveIndex==GetFamilyCount()");
  c.UpdatePointCurveDataSerially(points[1], 1, 2);
  EXPECT_EQ(2u, c.GetFamilyCount());
  EXPECT_EQ(4u, c.GetNumPoints());
  EXPECT_EQ(2u, c.GetFamilyOffset(1));
  VariableValues curve;
  c.GetVariableValuesForCurve(curve, 1);
  EXPECT_EQ(At({{&l, 2}}), curve);
  EXPECT_EQ(At({{&l, 2}, {&f, 20}}), c.GetVariableValuesAtPointIndex(3, 1));
  EXPECT_TRUE(c.GetVariableValuesAtPointIndex(4, 1).empty());
  c.ResetPointCurveData();
  EXPECT_EQ(0u, c.GetNumPoints());
}

TEST_F(ConnectivityTest, MajorPrimaryPointsAndSpecialLevels) {
  MajorPrimarySPS2Connectivity c(ConnectedVVObject::CreateConnectedVVObject({&f, &l}));
  Counted data[4];
  int k = 0;
  for (double lv : {1.0, 2.0})
    for (double fv : {10.0, 20.0}) {
      VariableValuesContext at(At({{&f, fv}, {&l, lv}}));
      c.AddPointAtCurrVarVals(&data[k++]);
    }
  std::vector<CompositeVVObject*> curves = c.GetConnectedVVObject()->GetCurves();
  ASSERT_EQ(2u, curves.size());
  c.UpdatePointCurveDataSerially(curves[0], 0, 2);
  c.UpdatePointCurveDataSerially(curves[1], 1, 2);
  EXPECT_EQ(At({{&f, 20}, {&l, 2}}), c.GetVariableValuesAtPointIndex(3, 0));
  VariableValues curve;
  c.GetVariableValuesForCurve(curve, 0);
  EXPECT_EQ(At({{&l, 1}}), curve) << "without the primary";
  EXPECT_TRUE(c.GetVariableValuesAtPointIndex(-1, 0).empty());

  EXPECT_TRUE(c.AddSpecialVariable(&w));
  EXPECT_FALSE(c.AddSpecialVariable(&w));
  std::vector<Variable*> vars;
  c.GetVariables(vars);
  EXPECT_EQ(std::vector<Variable*>({&f, &l, &w}), vars) << "special levels are listed last";
}

TEST(PostpPopulationUtils, VariationLevelsAndMatrixTypes) {
  Variable a(L"a", Units::kNoUnit), b(L"b", Units::kNoUnit);
  b.SetDependent(true);
  {
    VariableNameSpace names(0, 1, 0);
    names.AddVariable(&a);
    b.SetDefinition(L"a*2");
  }
  VariableValues v = At({{&a, 3}, {&b, 6}});
  EXPECT_EQ(std::vector<Variable*>({&b}), postp::GetDependentVariables(v));
  EXPECT_EQ(At({{&b, 6}}), postp::GetDependentVariableValues(v));
  EXPECT_EQ(std::vector<Variable*>({&b, &a}), postp::GetVariablesInVariableValues(v));
  EXPECT_EQ(&b, postp::GetDeepestVariableInVariableValues(v));
  EXPECT_EQ(nullptr, postp::GetDeepestVariableInVariableValues(VariableValues()));
  EXPECT_TRUE(postp::DoesConstantVVHaveComputedDependentVV(v, VariableValues(), nullptr));
  EXPECT_FALSE(postp::DoesConstantVVHaveComputedDependentVV(At({{&a, 3}, {&b, 7}}), VariableValues(), nullptr));
  VariableValues constant = At({{&a, 3.5}});
  EXPECT_TRUE(postp::DoesConstantVVHaveComputedDependentVV(At({{&a, 3}, {&b, 7}}), VariableValues(), &constant));

  struct Case {
    val::ParameterType type, basic;
    bool matrix;
  } cases[] = {{16, 1, true}, {17, 2, true}, {18, 10, true}, {1, 1, false}, {2, 2, false}, {15, 15, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.matrix, postp::IsMatrixParamType(c.type)) << c.type;
    EXPECT_EQ(c.basic, postp::GetBasicParamType(c.type)) << c.type;
  }
}

}  // namespace
