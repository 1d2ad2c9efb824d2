#include <memory>
#include <vector>

#include "reports/PointsetDefinition.h"
#include "RepTest.h"
#include "tracedata/TraceStateData.h"
#include "orvex/values/Variable.h"
#include "postorvex/columns/Column.h"
#include "postorvex/connectivity/ConnectedVVObject.h"
#include "postorvex/sweeps/SelectableSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SweepBase.h"
#include "postorvex/variation/VariableValuesDefParams.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

// F sweeps 1 2 3, W sweeps only its nominal 5 (within 1e-12), H sweeps 7 against a nominal 7.001;
// V is a family variable.
struct StateTest : ::testing::Test {
  StateTest() : solution(manager.AddSolution(10, L"Run1")) {
    solution.AddSupportedReportType(1);
    f = solution.AddVariable(L"F", Value(1.0, Units::kNoUnit), false);
    w = solution.AddVariable(L"W", Value(5.0, Units::kNoUnit), false);
    h = solution.AddVariable(L"H", Value(7.001, Units::kNoUnit), false);
    v = solution.AddVariable(L"V", Value(0.0, Units::kNoUnit), false);
    solution.AddSweep(f, {1, 2, 3});
    solution.AddSweep(w, {5.0 * (1 + 1e-14)});
    solution.AddSweep(h, {7});
    solution.AddSweep(v, {0, 1});
    state.SetDesignSolutionDefinition(DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)));
  }
  void Add(SubsweepDefParamsContainer& defs, const wchar_t* sweep, int choice) {
    AbstractSubsweepDefParams* def = solution.GetSweepOfVariable(sweep, SimValueContext(), 1)->CreateDefaultSubsweepDefParams();
    if (auto* selectable = dynamic_cast<SelectableSubsweepDefParams*>(def)) selectable->SetSubsweepDefChoiceType(choice);
    defs.PushBackAndOwn(def);
  }

  refhost::ReferenceSolutionManager manager;
  refhost::ReferenceSolution& solution;
  Variable *f, *w, *h, *v;
  rep::TraceStateData state;
};

TEST_F(StateTest, VariablesAwayFromTheirNominalValues) {
  SubsweepDefParamsContainer defs;
  Add(defs, L"F", 1);  // three values: listed
  Add(defs, L"W", 1);  // its nominal value within 1e-12: not listed
  Add(defs, L"H", 1);  // one value off the nominal: listed
  Add(defs, L"F", 2);  // the nominal value by choice: not listed
  VariableValuesDefParams family;
  family.AddVariableValue(L"V", Value(1.0, Units::kNoUnit));
  rep::PointsetDefinition pointset(defs, {family});
  state.FindVariablesWithNonNominalValues(pointset, &manager, 1);
  EXPECT_EQ(std::vector<const Variable*>({f, h, v}), state.GetVariablesWithNonNominalValues());

  VariableValues from, to;
  from.SetVariableValue(f, Value(2.0, Units::kNoUnit));
  from.SetVariableValue(w, Value(5.0, Units::kNoUnit));
  state.AddNonNominalVariableValues(to, from);
  EXPECT_EQ(1u, to.size()) << "only listed variables that the source holds";
  EXPECT_TRUE(to.HasVariable(f));
}

TEST_F(StateTest, ColumnsAtTheNominalValue) {
  VariableValues nominal;
  nominal.SetVariableValue(f, Value(0.0, Units::kNoUnit));
  DoubleColumn zero, tiny, two;
  zero.AppendValues({0.0});
  tiny.AppendValues({1e-300});
  two.AppendValues({0.0, 0.0});
  ComplexColumn complex;
  complex.AddValue({0.0, 0.0});
  EXPECT_TRUE(rep::TraceStateData::IsColumnAtNominalValue(zero, f, nominal));
  EXPECT_FALSE(rep::TraceStateData::IsColumnAtNominalValue(tiny, f, nominal)) << "no absolute tolerance";
  EXPECT_FALSE(rep::TraceStateData::IsColumnAtNominalValue(two, f, nominal));
  EXPECT_FALSE(rep::TraceStateData::IsColumnAtNominalValue(zero, w, nominal)) << "no nominal value";
  EXPECT_FALSE(rep::TraceStateData::IsColumnAtNominalValue(complex, f, nominal)) << "a complex against a float is exact";
}

TEST_F(StateTest, ResetKeepsOnlyTheDefinition) {
  state.SetConnectivity(new MajorPrimarySPS2Connectivity(ConnectedVVObject::CreateConnectedVVObject({f})));
  state.SetNeedsUpdate(false);
  state.SetUpdateRequested(true);
  VariableValues values;
  values.SetVariableValue(f, Value(1.0, Units::kNoUnit));
  state.SetVariableValues(values);
  state.Reset();
  EXPECT_EQ(nullptr, state.GetConnectivity());
  EXPECT_TRUE(state.GetNeedsUpdate());
  EXPECT_FALSE(state.GetUpdateRequested());
  state.GetVariableValues(values);
  EXPECT_TRUE(values.empty());
  EXPECT_EQ(10, state.GetDesignSolutionDefinition().GetSolutionID());
  state.SetConnectivity(nullptr);
  EXPECT_SOFT_ASSERT("connectivity");
}

}  // namespace
