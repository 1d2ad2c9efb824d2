#include <algorithm>
#include <cmath>
#include <list>
#include <memory>
#include <set>
#include <vector>

#include "RepTest.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/connectivity/CompositeVVObject.h"
#include "postorvex/connectivity/ConnectedVVObject.h"
#include "postorvex/connectivity/NonNestableCompositeVVObjectContext.h"
#include "postorvex/connectivity/VVLeafData.h"

namespace {

// Counts live instances, so a test sees whether the tree deleted its data.
class CountedData : public VVLeafData {
public:
  explicit CountedData(int tag = 0) : tag(tag) { ++alive; }
  ~CountedData() override { --alive; }
  int tag;
  static int alive;
};
int CountedData::alive = 0;

// Three variables: f (GHz) varies fastest when given first.
struct Vars {
  Variable f{L"f", Units::kGHz};
  Variable l{L"L", Units::kMm};
  Variable w{L"W", Units::kMm};
  Variable mode{L"Mode", Units::kNoUnit, val::kTextParam};
};

VariableValues At(std::initializer_list<std::pair<const Variable*, double>> values) {
  VariableValues vv;
  for (const auto& p : values) vv.SetVariableValue(p.first, Value(p.second, p.first->GetUnits()));
  return vv;
}

void AddAt(ConnectedVVObject& tree, const VariableValues& at, VVLeafData* data) {
  VariableValuesContext current(at);
  tree.AddPointAtCurrVarVals(data, false);
}

VVLeafData* DataAt(const ConnectedVVObject& tree, const VariableValues& at) {
  VariableValuesContext current(at);
  return tree.GetLeafDataAtCurrVarVals();
}

// The value of `v` in a node's variation, in v's units; NaN when the node does not name it.
double ValueOf(const CompositeVVObject* node, const Variable& v) {
  const Value* value = node->GetVariableValues().GetVariableValue(&v);
  return value ? value->GetValue() : NAN;
}

}  // namespace

// Every combination of f in {1,2,3}, L in {10,20}, W in {5} is added with f varying fastest; a
// curve must hold exactly the points that share every value but f's.
TEST(ConnectedVVObject, DepthsAndGroupingOverZeroToThreeVariables) {
  Vars v;
  struct Case {
    std::vector<Variable*> variables;
    size_t points, curves, surfaces;
    int curveDepth, surfaceDepth;
  };
  const Case cases[] = {
      {{}, 1, 1, 1, 0, 0},
      {{&v.f}, 3, 1, 1, 0, 0},
      {{&v.f, &v.l}, 6, 2, 1, 1, 0},
      {{&v.f, &v.l, &v.w}, 6, 2, 1, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.variables.size() << " variables");
    std::unique_ptr<ConnectedVVObject> tree(ConnectedVVObject::CreateConnectedVVObject(c.variables));
    std::vector<std::unique_ptr<CountedData>> data;
    for (double w : {5.0})
      for (double l : {10.0, 20.0})
        for (double f : {1.0, 2.0, 3.0}) {
          data.push_back(std::make_unique<CountedData>());
          AddAt(*tree, At({{&v.f, f}, {&v.l, l}, {&v.w, w}}), data.back().get());
        }
    EXPECT_EQ(static_cast<int>(c.variables.size()), tree->GetPointDepth());
    EXPECT_EQ(tree->GetPointDepth(), tree->GetMaxTreeDepth());
    EXPECT_EQ(c.curveDepth, tree->GetCurveDepth());
    EXPECT_EQ(c.surfaceDepth, tree->GetSurfaceDepth());
    EXPECT_EQ(c.points, tree->GetPoints().size());
    EXPECT_EQ(c.curves, tree->GetCurves().size());
    EXPECT_EQ(c.surfaces, tree->GetSurfaces().size());
    if (c.variables.size() < 2) continue;
    for (const CompositeVVObject* curve : tree->GetCurves()) {
      EXPECT_EQ(c.curveDepth, curve->GetTreeDepth());
      const std::vector<CompositeVVObject*>& points = curve->GetCompositeVVObjects();
      ASSERT_EQ(3u, points.size()) << "a curve holds the three f values";
      for (size_t k = 0; k < points.size(); ++k) {
        EXPECT_EQ(curve, points[k]->GetParent());
        EXPECT_DOUBLE_EQ(1.0 + k, ValueOf(points[k], v.f)) << "in insertion order";
        EXPECT_DOUBLE_EQ(ValueOf(curve, v.l), ValueOf(points[k], v.l));
      }
      EXPECT_TRUE(std::isnan(ValueOf(curve, v.f)));
    }
  }
  EXPECT_EQ(0, CountedData::alive);
}

TEST(ConnectedVVObject, PointsMatchInSIWithinTheTolerance) {
  Vars v;
  std::unique_ptr<ConnectedVVObject> tree(ConnectedVVObject::CreateConnectedVVObject({&v.f, &v.mode}));
  CountedData first(1), second(2), third(3);
  VariableValues at = At({{&v.f, 1.0}});
  Value text;
  text.SetStringValueText(L"TE");
  at.SetVariableValue(&v.mode, text);
  AddAt(*tree, at, &first);

  VariableValues same = at;
  same.SetVariableValue(&v.f, Value(1e9 * (1 + 4e-13), Units::kHz));  // another unit, within 1e-12
  EXPECT_EQ(&first, DataAt(*tree, same));
  AddAt(*tree, same, &second);
  EXPECT_EQ(&first, DataAt(*tree, at)) << "replaceData false keeps the datum";
  {
    VariableValuesContext current(same);
    tree->AddPointAtCurrVarVals(&second, true);
  }
  EXPECT_EQ(&second, DataAt(*tree, at));
  EXPECT_EQ(1u, tree->GetPoints().size());

  VariableValues apart = at;
  apart.SetVariableValue(&v.f, Value(1.0 + 1e-11, Units::kGHz));
  EXPECT_EQ(nullptr, DataAt(*tree, apart));
  VariableValues otherCase = at;
  Value lower;
  lower.SetStringValueText(L"te");
  otherCase.SetVariableValue(&v.mode, lower);
  EXPECT_EQ(nullptr, DataAt(*tree, otherCase)) << "texts compare exactly";
  AddAt(*tree, otherCase, &third);
  EXPECT_EQ(2u, tree->GetPoints().size());
  EXPECT_EQ(2u, tree->GetCurves().size()) << "the mode is the top level: one curve per mode";
}

TEST(ConnectedVVObject, AVariableWithoutCurrentValueAddsNothing) {
  Vars v;
  std::unique_ptr<ConnectedVVObject> tree(ConnectedVVObject::CreateConnectedVVObject({&v.f, &v.l}));
  CountedData data;
  {
    VariableValuesContext current(At({{&v.f, 1.0}}));
    tree->AddPointAtCurrVarVals(&data, false);
    EXPECT_SOFT_ASSERT("!\"variable without current value\"");
    EXPECT_EQ(nullptr, tree->GetLeafDataAtCurrVarVals());
  }
  EXPECT_TRUE(tree->GetPoints().empty());
  EXPECT_TRUE(tree->GetRoot()->GetCompositeVVObjects().empty());
}

// The tree never owns its data: the solution-value cache deletes them itself.
TEST(ConnectedVVObject, DestroyingTheTreeLeavesTheData) {
  Vars v;
  std::list<VVLeafData*> all;
  {
    std::unique_ptr<ConnectedVVObject> tree(ConnectedVVObject::CreateConnectedVVObject({&v.f}));
    for (double f : {1.0, 2.0}) AddAt(*tree, At({{&v.f, f}}), new CountedData(static_cast<int>(f)));
    tree->GetAllData(all);
  }
  EXPECT_EQ(2, CountedData::alive);
  ASSERT_EQ(2u, all.size());
  EXPECT_EQ(1, static_cast<CountedData*>(all.front())->tag) << "tree order";
  for (VVLeafData* d : all) delete d;
  EXPECT_EQ(0, CountedData::alive);
}

// Points (f, L) for f in 1..3 and L in 10, 20; each datum's tag is 100 L + f, and the point
// (3, 20) has no datum: its removal reports a null.
TEST(ConnectedVVObject, DeletingBranchesWithPartialValues) {
  Vars v;
  Variable other(L"Other", Units::kNoUnit);
  struct Case {
    VariableValues values;
    std::multiset<int> removed;  // tags, 0 for the null datum
    size_t curvesLeft;
    const char* why;
  };
  const Case cases[] = {
      {At({{&v.l, 10.0}}), {1001, 1002, 1003}, 1, "one top value: its whole curve goes"},
      {At({{&v.f, 2.0}}), {1002, 2002}, 2, "a deepest value: one point of each curve"},
      {At({{&v.f, 3.0}, {&v.l, 20.0}}), {0}, 2, "a full point without a datum"},
      {At({{&v.l, 20.0}, {&other, 1.0}}), {2001, 2002, 0}, 1, "variables the tree lacks are ignored"},
      {At({{&v.l, 30.0}}), {}, 2, "no point agrees"},
      {VariableValues(), {1001, 1002, 1003, 2001, 2002, 0}, 0, "no value: everything"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::unique_ptr<ConnectedVVObject> tree(ConnectedVVObject::CreateConnectedVVObject({&v.f, &v.l}));
    std::vector<std::unique_ptr<CountedData>> data;
    for (double l : {10.0, 20.0})
      for (double f : {1.0, 2.0, 3.0}) {
        data.push_back(std::make_unique<CountedData>(static_cast<int>(100 * l + f)));
        AddAt(*tree, At({{&v.f, f}, {&v.l, l}}), f == 3.0 && l == 20.0 ? nullptr : data.back().get());
      }
    std::list<VVLeafData*> removed;
    tree->DeleteBranchesAssociatedWithVariableValue(removed, c.values);
    std::multiset<int> tags;
    for (VVLeafData* d : removed) tags.insert(d ? static_cast<CountedData*>(d)->tag : 0);
    EXPECT_EQ(c.removed, tags);
    EXPECT_EQ(6 - c.removed.size(), tree->GetPoints().size());
    EXPECT_EQ(c.curvesLeft, tree->GetCurves().size()) << "inner nodes left empty go";
    for (VVLeafData* d : removed) {
      if (!d) continue;
      std::list<VVLeafData*> kept;
      tree->GetAllData(kept);
      EXPECT_EQ(kept.end(), std::find(kept.begin(), kept.end(), d));
    }
  }
}

TEST(ConnectedVVObject, AddingADeepestLevelTurnsPointsIntoCurves) {
  Vars v;
  std::unique_ptr<ConnectedVVObject> tree(
      ConnectedVVObject::CreateConnectedVVObjectWithMajorMinorKnowledge({&v.l}, {true}));
  AddAt(*tree, At({{&v.l, 10.0}}), nullptr);
  AddAt(*tree, At({{&v.l, 20.0}}), nullptr);
  tree->AddDeepestLevel(&v.w);
  ASSERT_EQ(2u, tree->GetVariables().size());
  EXPECT_EQ(&v.w, tree->GetVariables()[0]);
  EXPECT_FALSE(tree->IsVariableMajor(0));
  EXPECT_TRUE(tree->IsVariableMajor(1));
  EXPECT_FALSE(tree->IsVariableMajor(2));
  EXPECT_TRUE(tree->GetPoints().empty());
  EXPECT_EQ(2u, tree->GetCurves().size());
  CountedData a, b;
  AddAt(*tree, At({{&v.l, 10.0}, {&v.w, 1.0}}), &a);
  AddAt(*tree, At({{&v.l, 10.0}, {&v.w, 2.0}}), &b);
  EXPECT_EQ(2u, tree->GetCurves().size()) << "the new points hang under the former ones";
  EXPECT_EQ(2u, tree->GetCurves()[0]->GetCompositeVVObjects().size());
  EXPECT_EQ(&b, DataAt(*tree, At({{&v.l, 10.0}, {&v.w, 2.0}})));

  EXPECT_EQ(nullptr, ConnectedVVObject::CreateConnectedVVObjectWithMajorMinorKnowledge({&v.l, &v.w}, {true}));
  std::unique_ptr<ConnectedVVObject> plain(ConnectedVVObject::CreateConnectedVVObject({&v.l}));
  EXPECT_FALSE(plain->IsVariableMajor(0));
}

// Levels (deepest first): f, L, W. A point of 2 x 2 x 2 values.
TEST(ConnectedVVObject, ObjectsAtCurrentValuesForFixedVariables) {
  Vars v;
  std::unique_ptr<ConnectedVVObject> tree(ConnectedVVObject::CreateConnectedVVObject({&v.f, &v.l, &v.w}));
  for (double w : {5.0, 6.0})
    for (double l : {10.0, 20.0})
      for (double f : {1.0, 2.0}) AddAt(*tree, At({{&v.f, f}, {&v.l, l}, {&v.w, w}}), nullptr);
  struct Case {
    std::set<Variable*> fixed;
    size_t found;
    int depth;
    const char* why;
  };
  const Case cases[] = {
      {{}, 1, 0, "nothing fixed: the root"},
      {{&v.w}, 1, 1, "the top level"},
      {{&v.l}, 2, 2, "a middle level: one node per top value"},
      {{&v.f}, 4, 3, "the deepest level alone: points of every curve"},
      {{&v.f, &v.w}, 2, 3, "a free level between two fixed ones"},
      {{&v.f, &v.l, &v.w}, 0, 0, "every level fixed: the caller takes the point"},
  };
  VariableValuesContext current(At({{&v.f, 2.0}, {&v.l, 20.0}, {&v.w, 6.0}}));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const std::vector<CompositeVVObject*> found = tree->GetCompositeVVObjectsAtCurrVarVals(c.fixed);
    ASSERT_EQ(c.found, found.size());
    for (const CompositeVVObject* node : found) {
      EXPECT_EQ(c.depth, node->GetTreeDepth());
      for (Variable* fixed : c.fixed) EXPECT_DOUBLE_EQ(fixed == &v.f ? 2.0 : fixed == &v.l ? 20.0 : 6.0, ValueOf(node, *fixed));
    }
  }
  VariableValuesContext off(At({{&v.l, 30.0}}));
  EXPECT_TRUE(tree->GetCompositeVVObjectsAtCurrVarVals({&v.l}).empty()) << "nothing agrees";
}

TEST(ConnectedVVObject, DataOfNodesAndTheNodeContext) {
  Vars v;
  std::unique_ptr<ConnectedVVObject> tree(ConnectedVVObject::CreateConnectedVVObject({&v.f, &v.l}));
  std::unique_ptr<ConnectedVVObject> other(ConnectedVVObject::CreateConnectedVVObject({&v.f, &v.l}));
  CountedData here, there;
  AddAt(*tree, At({{&v.f, 1.0}, {&v.l, 10.0}}), &here);
  AddAt(*other, At({{&v.f, 1.0}, {&v.l, 10.0}}), &there);
  const CompositeVVObject* point = tree->GetPoints()[0];
  EXPECT_EQ(&here, tree->GetDataForCompVVObject(point));
  EXPECT_EQ(nullptr, other->GetDataForCompVVObject(point)) << "a node of another tree";
  EXPECT_EQ(nullptr, tree->GetDataForCompVVObject(tree->GetCurves()[0]));
  EXPECT_EQ(1u, tree->GetRoot()->GetObjects(2).size());
  EXPECT_TRUE(tree->GetPoints()[0]->GetObjects(1).empty()) << "no object above the node";

  EXPECT_EQ(nullptr, tree->GetLeafDataAtCurrVarVals());
  {
    NonNestableCompositeVVObjectContext current(point);
    EXPECT_EQ(&here, tree->GetLeafDataAtCurrVarVals());
    tree->SetLeafDataAtCurrVarVals(&there);
  }
  EXPECT_EQ(&there, tree->GetDataForCompVVObject(point));
  NonNestableCompositeVVObjectContext none(nullptr);
  EXPECT_EQ(nullptr, tree->GetLeafDataAtCurrVarVals());
}
