// An output variable's value at one variation: read along a special first sweep, interpolated
// between its points, NaN outside it; the subsweeps a variation turns into.
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "Gravik/IReportDefinition.h"
#include "Gravik/IOutputVariableMgrForProducts.h"
#include "Gravik/IReportManager.h"
#include "Gravik/ITraceDataInterfaces.h"
#include "reports/GravikUtils.h"
#include "quantities/OutputVariableMgr.h"
#include "RepTest.h"
#include "reports/ReportManager.h"
#include "quantities/SimValueDataCache.h"
#include "orvex/core/MessageLog.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/values/VariableNameSpace.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/DoubleColumn.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/outputvars/OutputVariableDefParams.h"
#include "postorvex/sweeps/PostprocessSweep.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "postorvex/sweeps/SelectableSubsweepDefParams.h"
#include "postorvex/sweeps/SpecifiableSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "postorvex/traceinfo/ReportExtractionUtil.h"
#include "refhost/ReferenceDesign.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

// Run1 (10): Y = 10 F + L and W = 10 F² + L, with F special over 1 2 3 and L major over 1 2.
// Run2 (11): Y = 10 F + A, with A a regular major sweep over 1 2 ahead of F in the variation's order.
class OutputVariableEvaluationTest : public ::testing::Test {
protected:
  OutputVariableEvaluationTest() {
    m_solutions.SetDesignOfInstance(1, 100);
    MakeSolution(10, L"Run1", L"L");
    MakeSolution(11, L"Run2", L"A");
  }

  // Points at the given major values only, though the major sweep runs over 1 2.
  void MakeSolution(long id, const AString& name, const AString& majorName,
                    const std::vector<double>& majorPoints = {1.0, 2.0}) {
    refhost::ReferenceSolution& s = m_solutions.AddSolution(id, name);
    s.AddSupportedReportType(1);
    // Run2 solves F itself at every point, so that its trace holds one value per F.
    Variable* f = s.AddVariable(L"F", Value(1.0, Units::kNoUnit), id == 11);
    Variable* major = s.AddVariable(majorName, Value(1.0, Units::kNoUnit), true);
    s.AddQuantity(L"Y", ValueState(1, 15, 1), [f, major](const VariableValues& at) {
      return AComplex<double>(10 * at.GetVariableValue(f)->GetValue() + at.GetVariableValue(major)->GetValue(), 0);
    });
    // Curved in F, so that no straight line through two of its points meets a third.
    s.AddQuantity(L"W", ValueState(1, 15, 1), [f, major](const VariableValues& at) {
      const double fv = at.GetVariableValue(f)->GetValue();
      return AComplex<double>(10 * fv * fv + at.GetVariableValue(major)->GetValue(), 0);
    });
    s.AddQuantity(L"Z", ValueState(2, 15, 1), [f](const VariableValues& at) {
      return AComplex<double>(at.GetVariableValue(f)->GetValue(), 1);
    });
    s.AddQuantity(L"Missing", ValueState(1, 15, 1), [](const VariableValues&) {
      return AComplex<double>(std::numeric_limits<double>::quiet_NaN(), 0);
    });
    s.AddSweep(f, {1, 2, 3}, true);
    s.AddSweep(major, {1, 2});
    for (double v : majorPoints)
      for (double fv : {1.0, 2.0, 3.0}) {
        VariableValues p;
        p.SetVariableValue(major, Value(v, Units::kNoUnit));
        if (id == 11) p.SetVariableValue(f, Value(fv, Units::kNoUnit));
        s.AddInstance(p);
        if (id != 11) break;
      }
  }

  VariableValues At(long solutionID, std::vector<std::pair<const wchar_t*, double>> values) {
    VariableValues out;
    for (const auto& v : values)
      out.SetVariableValue(m_solutions.FindSolution(solutionID)->FindVariable(v.first), Value(v.second, Units::kNoUnit));
    return out;
  }

  static DesignSolutionDefinition Dsd(long solutionID = 10) {
    return DesignSolutionDefinition(100, solutionID, ReportTypeSolutionDefinition(1));
  }

  bool Evaluate(Value& result, const AString& expression, const VariableValues& at, long solutionID = 10) {
    return rep::EvaluateOutputVariable(result, expression, at, 1, &m_solutions, &m_user, Dsd(solutionID), &m_cache,
                                       nullptr);
  }

  static std::vector<int> PostedIDs() { return orvex::test::Messages().PostedIDs(); }

  refhost::ReferenceSolutionManager m_solutions;
  rep::SimValueDataCache m_cache{&m_solutions};
  rep::OutputVariableMgr m_user{&m_solutions};
};

TEST_F(OutputVariableEvaluationTest, ValuesAtPointsBetweenThemAndAtTheEnds) {
  struct Case {
    double f, l, expected;
    const char* why;
  };
  const Case cases[] = {
      {2, 1, 21, "a sweep point"},
      {2.5, 2, 27, "between two points"},
      {1, 1, 11, "the first point"},
      {3, 2, 32, "the last point"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Value result(Units::kNoUnit);
    ASSERT_TRUE(Evaluate(result, L"Y", At(10, {{L"F", c.f}, {L"L", c.l}})));
    EXPECT_NEAR(c.expected, result.GetValue(), 1e-12);
    EXPECT_TRUE(PostedIDs().empty());
  }
  EXPECT_EQ(nullptr, ReportExtractionUtil::GetReportManagerCreator()) << "the creator was put back";
}

// Between two points the product's interpolation orders decide: a held segment answers the value
// at its start, any other the straight line between its ends (W at L = 1: 11, 41, 91).
TEST_F(OutputVariableEvaluationTest, BetweenPointsTheProductsInterpolationOrdersDecide) {
  using Push = refhost::ReferenceSolution::SpecialPush;
  struct Case {
    Push how;
    std::vector<char> orders;
    double f, expected;
    const char* why;
  };
  const Case cases[] = {
      {Push::kCommonPrimary, {}, 1.5, 26, "without orders every segment is linear"},
      {Push::kCommonPrimary, {}, 2.5, 66, "without orders every segment is linear"},
      {Push::kInterpolationOrders, {1, 0, 1}, 1.5, 26, "a linear segment"},
      {Push::kInterpolationOrders, {1, 0, 1}, 2.5, 41, "a held segment"},
      {Push::kInterpolationOrders, {0, 2, 1}, 1.5, 11, "the first segment held"},
      {Push::kInterpolationOrders, {0, 2, 1}, 2.5, 66, "an order other than 0 is linear"},
      {Push::kInterpolationOrders, {0, 0, 0}, 3, 91, "a sweep point answers its own value"},
  };
  refhost::ReferenceSolution& s = *m_solutions.FindSolution(10);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    s.SetSpecialPush(c.how);
    s.SetPushedInterpolationOrders(c.orders);
    m_cache.ClearAll();
    Value result(Units::kNoUnit);
    ASSERT_TRUE(Evaluate(result, L"W", At(10, {{L"F", c.f}, {L"L", 1}})));
    EXPECT_DOUBLE_EQ(c.expected, result.GetValue()) << "at F = " << c.f;
    EXPECT_TRUE(PostedIDs().empty());
  }
}

// The solution's points are shared between evaluations: a re-solve that adds a point is seen.
TEST_F(OutputVariableEvaluationTest, PointsOfANewVersionAreSeen) {
  MakeSolution(12, L"Run4", L"L", {1.0});
  refhost::ReferenceSolution& s = *m_solutions.FindSolution(12);
  VariableValues point = At(12, {{L"L", 2}});
  Value result(Units::kNoUnit);
  ASSERT_TRUE(Evaluate(result, L"Y", At(12, {{L"F", 2}, {L"L", 1}}), 12));
  EXPECT_NEAR(21, result.GetValue(), 1e-12);
  EXPECT_FALSE(Evaluate(result, L"Y", At(12, {{L"F", 2}, {L"L", 2}}), 12)) << "no point at L = 2 yet";
  orvex::test::Messages().Clear();

  s.AddInstance(point);
  s.NewVersion();
  ASSERT_TRUE(Evaluate(result, L"Y", At(12, {{L"F", 2}, {L"L", 2}}), 12));
  EXPECT_NEAR(22, result.GetValue(), 1e-12);
  ASSERT_TRUE(Evaluate(result, L"Y", At(12, {{L"F", 3}, {L"L", 1}}), 12));
  EXPECT_NEAR(31, result.GetValue(), 1e-12);
}

// Two special sweeps: the second keeps its whole range too, so the trace has a curve per G.
TEST_F(OutputVariableEvaluationTest, WithSeveralCurvesOnlyTheFirstIsRead) {
  refhost::ReferenceSolution& s = m_solutions.AddSolution(13, L"Run3");
  s.AddSupportedReportType(1);
  Variable* f = s.AddVariable(L"F", Value(1.0, Units::kNoUnit), false);
  Variable* g = s.AddVariable(L"G", Value(1.0, Units::kNoUnit), true);
  s.AddQuantity(L"Y", ValueState(1, 15, 1), [f, g](const VariableValues& at) {
    return AComplex<double>(10 * at.GetVariableValue(f)->GetValue() + at.GetVariableValue(g)->GetValue(), 0);
  });
  s.AddSweep(f, {1, 2, 3}, true);
  s.AddSweep(g, {1, 2}, true);
  for (double v : {1.0, 2.0}) {
    VariableValues p;
    p.SetVariableValue(g, Value(v, Units::kNoUnit));
    s.AddInstance(p);
  }
  Value result(Units::kNoUnit);
  const VariableValues at = At(13, {{L"F", 2.5}, {L"G", 2}});
  ASSERT_TRUE(Evaluate(result, L"Y", at, 13));
  EXPECT_NEAR(26, result.GetValue(), 1e-12) << "the first curve, G=1, whatever the variation's G";
  const auto& posted = orvex::test::Messages().Posted();
  ASSERT_EQ(1u, posted.size());
  EXPECT_EQ((std::array<int, 4>{14, 17031, 0, 6}), posted[0].message.GetInts());
  EXPECT_EQ(std::vector<AString>{at.GetVariationKey(true)}, posted[0].message.GetArgs());
}

TEST_F(OutputVariableEvaluationTest, JustOutsideTheSweepAnswersNaNWithItsMessages) {
  for (double f : {0.999, 3.001}) {
    SCOPED_TRACE(f);
    Value result(5.0, Units::kNoUnit);
    EXPECT_TRUE(Evaluate(result, L"Y", At(10, {{L"F", f}, {L"L", 1}})));
    EXPECT_TRUE(std::isnan(result.GetValue()));
    const auto& posted = orvex::test::Messages().Posted();
    ASSERT_EQ(2u, posted.size());
    EXPECT_EQ((std::array<int, 4>{14, 17030, 0, 6}), posted[0].message.GetInts());
    EXPECT_EQ(1, posted[0].message.GetSeverity());
    const std::vector<AString> range{Value(f, Units::kNoUnit).GetValueText(), Value(1.0, Units::kNoUnit).GetValueText(),
                                     Value(3.0, Units::kNoUnit).GetValueText()};
    EXPECT_EQ(range, posted[0].message.GetArgs());
    EXPECT_EQ((std::array<int, 4>{14, 17033, 0, 6}), posted[1].message.GetInts());
    EXPECT_EQ(0, posted[1].message.GetSeverity());
    orvex::test::Messages().Clear();
  }
}

TEST_F(OutputVariableEvaluationTest, ANonSpecialFirstSubsweepWithSeveralValuesGivesTheFirst) {
  Value result(Units::kNoUnit);
  const VariableValues at = At(11, {{L"A", 2}, {L"F", 2}});
  ASSERT_TRUE(Evaluate(result, L"Y", at, 11));
  EXPECT_DOUBLE_EQ(12, result.GetValue()) << "Y at A=2 and the first F";
  const auto& posted = orvex::test::Messages().Posted();
  ASSERT_EQ(1u, posted.size());
  EXPECT_EQ((std::array<int, 4>{14, 17031, 0, 6}), posted[0].message.GetInts());
  EXPECT_EQ(0, posted[0].message.GetSeverity());
  EXPECT_EQ(std::vector<AString>{at.GetVariationKey(true)}, posted[0].message.GetArgs());

  // A first value without text is no value: the caller's result stays as it was.
  Value kept(7.0, Units::kNoUnit);
  orvex::test::Messages().Clear();
  EXPECT_FALSE(Evaluate(kept, L"Missing", at, 11));
  EXPECT_EQ(7.0, kept.GetValue());
  EXPECT_EQ(std::vector<int>{17031}, PostedIDs()) << "the values were there, only without text";
}

TEST_F(OutputVariableEvaluationTest, FailuresAnswerFalseAndLeaveTheResult) {
  struct Case {
    const wchar_t* expression;
    long solutionID;
    bool emptyVariation;
    std::vector<int> messages;
    const char* assertion;  // or null
    const char* why;
  };
  const Case cases[] = {
      {L"Y", 10, true, {24729}, nullptr, "no variable in the variation"},
      {L"Y", 99, false, {24729}, nullptr, "a solution the manager does not hold"},
      {L"Z", 10, false, {}, "qCol&&pCol", "a complex result along a special primary"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Value result(7.0, Units::kNoUnit);
    const VariableValues at = c.emptyVariation ? VariableValues() : At(10, {{L"F", 2}, {L"L", 1}});
    EXPECT_FALSE(Evaluate(result, c.expression, at, c.solutionID));
    EXPECT_EQ(7.0, result.GetValue());
    EXPECT_EQ(c.messages, PostedIDs());
    if (c.assertion) {
      EXPECT_SOFT_ASSERT(c.assertion);
    }
    if (!c.messages.empty() && c.messages[0] == 24729) {
      const AString name = c.solutionID == 10 ? AString(L"Run1") : AString();
      EXPECT_EQ(std::vector<AString>{name}, orvex::test::Messages().Posted()[0].message.GetArgs());
    }
    orvex::test::Messages().Clear();
  }
}

TEST_F(OutputVariableEvaluationTest, TheOutputVariableManagersFacesReachTheEvaluation) {
  m_solutions.FindSolution(10)->AddOutputVariable(L"SolVar", L"Y*3");
  refhost::ReferenceDesign design;
  design.SetISimValueCache(&m_cache);
  struct Case {
    const wchar_t* name;
    const wchar_t* expression;
    double between, atTheEnd;  // at F = 1.5, L = 2 and at F = 3, L = 1
  };
  const Case cases[] = {
      {L"Twice", L"Y*2", 34, 62},
      {L"FromSolution", L"SolVar*2", 102, 186},  // over a variable that the solution defines
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.name).ToUtf8());
    OutputVariableDefParams def(id::invalidID, c.name, c.expression);
    VelmorCommand cmd;
    ASSERT_TRUE(m_user.CreateOutputVariable(def, Dsd(), &cmd));
    Value result(Units::kNoUnit);
    IOutputVariableMgrForProducts& products = *m_user.GetIOutputVariableMgrForProducts();
    ASSERT_TRUE(products.EvaluateOutputVariable(result, c.name, At(10, {{L"F", 1.5}, {L"L", 2}}), Dsd(), &design));
    EXPECT_NEAR(c.between, result.GetValue(), 1e-12);
    ASSERT_TRUE(m_user.EvaluateOutputVariable(result, L"F=3, L=1", def, Dsd(), &design));
    EXPECT_NEAR(c.atTheEnd, result.GetValue(), 1e-12);
  }
}

TEST_F(OutputVariableEvaluationTest, TemporaryReportsTakeUniqueNames) {
  ReportExtractionUtil::InstalledCreator creator([](IReportManagerOwner* owner) -> rep::IReportManager* {
    return new rep::ReportManager(owner, true);
  });
  ReportExtractionUtil owner(&m_solutions, &m_user, &m_cache, 1);
  rep::IReportManager& mgr = *owner.GetIReportManagerForEdit();
  SubsweepDefParamsContainer subsweeps;
  ASSERT_TRUE(rep::GetPostprocessingSweepVariableValues(subsweeps, At(10, {{L"F", 2}, {L"L", 1}}), Dsd(), 1,
                                                        &m_solutions));
  rep::ITraceData* first = rep::UpdateTraceDataOfTemporaryReport(owner, L"Y", subsweeps, &m_solutions, Dsd(), nullptr);
  rep::ITraceData* second = rep::UpdateTraceDataOfTemporaryReport(owner, L"Y", subsweeps, &m_solutions, Dsd(), nullptr);
  ASSERT_TRUE(first && second);
  EXPECT_NE(first, second);
  EXPECT_EQ(3u, first->GetDataColumn(0)->GetCount()) << "the whole special sweep";
  std::vector<long> ids;
  mgr.GetReportIDs(ids);
  ASSERT_EQ(2u, ids.size());
  EXPECT_EQ(AString(L"OutputVariableValue"), mgr.GetReportDefinition(ids[0])->GetReportName());
  EXPECT_NE(mgr.GetReportDefinition(ids[0])->GetReportName(), mgr.GetReportDefinition(ids[1])->GetReportName());

  EXPECT_EQ(nullptr, rep::UpdateTraceDataOfTemporaryReport(owner, L"Y", subsweeps, &m_solutions, Dsd(11), nullptr))
      << "Run2 has no sweep L";
  EXPECT_EQ(std::vector<int>{24729}, PostedIDs());
}

// One variable per sweep kind, each alone in the variation.
TEST_F(OutputVariableEvaluationTest, SubsweepsPerSweepKind) {
  refhost::ReferenceSolution& s = m_solutions.AddSolution(12, L"Kinds");
  s.AddSupportedReportType(1);
  auto values = [] {
    auto* c = new DoubleColumn(Units::kNoUnit);
    c->AppendValues({1, 2, 3});
    return c;
  };
  auto postprocess = [&](const wchar_t* name, int kind) -> PostprocessSweep& {
    Variable* v = s.AddVariable(name, Value(1.0, Units::kNoUnit), false);
    return static_cast<PostprocessSweep&>(s.AddSweep(std::make_unique<PostprocessSweep>(name, v, values(), kind)));
  };
  postprocess(L"Pspec", 3);
  postprocess(L"Preg", 2);
  postprocess(L"Pspecial", 1);
  postprocess(L"Pnone", 3).SetMakesNoDefaultDefinition(true);
  s.AddSweep(s.AddVariable(L"R", Value(1.0, Units::kNoUnit), false), {1, 2, 3});
  s.AddSweep(s.AddVariable(L"Sp", Value(1.0, Units::kNoUnit), false), {1, 2, 3}, true);
  s.AddSweep(s.AddVariable(L"Sync", Value(1.0, Units::kNoUnit), false), {1, 2, 3}, false, 4);
  s.AddVariable(L"Nosweep", Value(1.0, Units::kNoUnit), false);

  struct Case {
    const wchar_t* variable;
    bool answer;
    int type;  // of the one definition made; 0: none made
    const char* assertion;
  };
  const Case cases[] = {
      {L"Pspec", true, AbstractSubsweepDefParams::kSpecifiable, nullptr},
      {L"Preg", true, AbstractSubsweepDefParams::kRegular, nullptr},
      {L"Pspecial", false, 0, "!\"if postprocessing sweep, has to be selectable or specifiable!\""},
      {L"Pnone", false, 0, "asd"},
      {L"R", true, AbstractSubsweepDefParams::kRegular, nullptr},
      {L"Sp", true, AbstractSubsweepDefParams::kSpecial, nullptr},
      {L"Sync", true, AbstractSubsweepDefParams::kSynchronized, nullptr},
      {L"Nosweep", true, 0, nullptr},
  };
  const DesignSolutionDefinition dsd(100, 12, ReportTypeSolutionDefinition(1));
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.variable).ToUtf8());
    SubsweepDefParamsContainer out;
    EXPECT_EQ(c.answer, rep::GetPostprocessingSweepVariableValues(out, At(12, {{c.variable, 2}}), dsd, 1, &m_solutions));
    if (c.assertion) {
      EXPECT_SOFT_ASSERT(c.assertion);
    }
    if (c.type == 0) {
      EXPECT_EQ(0u, out.Size());
      continue;
    }
    ASSERT_EQ(1u, out.Size());
    EXPECT_EQ(c.type, out[0]->GetSubsweepDefParamType());
    if (c.type == AbstractSubsweepDefParams::kSpecial) continue;
    EXPECT_EQ(rep::kSelectedValuesChoice, out[0]->GetSubsweepDefChoiceType());
    const auto* selectable = dynamic_cast<const SelectableSubsweepDefParams*>(out[0]);
    ASSERT_NE(nullptr, selectable);
    EXPECT_EQ(1u, selectable->GetNumSelectedValues());
    if (const auto* regular = dynamic_cast<const RegularSubsweepDefParams*>(selectable)) {
      ASSERT_NE(nullptr, regular->GetSelectedValues());
      ASSERT_NE(nullptr, regular->GetSelectedValues()->GetDoubleColumn());
      EXPECT_EQ(std::vector<double>{2.0}, regular->GetSelectedValues()->GetDoubleColumn()->GetValues());
    }
    if (const auto* specifiable = dynamic_cast<const SpecifiableSubsweepDefParams*>(selectable)) {
      ASSERT_NE(nullptr, specifiable->GetOverridingColumnData());
      EXPECT_EQ(std::vector<double>{2.0}, specifiable->GetOverridingColumnData()->GetDoubleColumn()->GetValues());
    }
  }
}

TEST_F(OutputVariableEvaluationTest, DependentVariablesAreLeftToTheirDefinitions) {
  refhost::ReferenceSolution& s = *m_solutions.FindSolution(10);
  Variable* w = s.AddVariable(L"W", Value(2.0, Units::kNoUnit), false);
  w->SetDependent(true);
  {
    VariableNameSpace names(1, 1, 0);
    s.GetNameSpaceSetupper().Setup(names);
    w->SetDefinition(L"2*L");
  }
  SubsweepDefParamsContainer out;
  EXPECT_TRUE(rep::GetPostprocessingSweepVariableValues(out, At(10, {{L"F", 2}, {L"L", 1}, {L"W", 2}}), Dsd(), 1,
                                                        &m_solutions));
  ASSERT_EQ(2u, out.Size()) << "F and L; W follows L";
  SubsweepDefParamsContainer refused;
  EXPECT_FALSE(rep::GetPostprocessingSweepVariableValues(refused, At(10, {{L"F", 2}, {L"L", 1}, {L"W", 5}}), Dsd(),
                                                         1, &m_solutions));
}

}  // namespace
