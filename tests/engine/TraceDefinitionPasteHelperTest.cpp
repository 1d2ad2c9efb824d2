// The fix-up of a pasted computed trace for the target design, as a table of scenarios.
#include <functional>
#include <sstream>

#include "PasteFixture.h"
#include "reports/TraceDefinitionPasteHelper.h"
#include "orvex/core/Ids.h"
#include "orvex/io/NamedValue.h"
#include "postorvex/sweeps/SpecialSubsweepDefParams.h"
#include "postorvex/sweeps/SpecifiableSubsweepDefParams.h"
#include "postorvex/sweeps/Sweep.h"

namespace {

using orvex::test::Messages;
using reptest::FreqSelection;
using reptest::PasteDesign;

// Target solutions, built by the scenarios: every one knows S11 and Gain.
refhost::ReferenceSolution& Solution(PasteDesign& d, long id, const AString& name) {
  refhost::ReferenceSolution& s = d.solutions.AddSolution(id, name);
  s.AddQuantity(L"S11", ValueState(2, 15, 1));
  s.AddQuantity(L"Gain", ValueState(1, 15, 1));
  return s;
}

void Sweep(refhost::ReferenceSolution& s, const AString& variable, const std::vector<double>& values,
           bool special = false, int defaultKind = 2) {
  Variable* v = s.FindVariable(variable);
  if (!v) v = s.AddVariable(variable, Value(values.empty() ? 0.0 : values.front(), 90), false);
  s.AddSweep(v, values, special, defaultKind);
}

// A sweep whose name is no variable of the solution.
void NamedSweep(refhost::ReferenceSolution& s, const AString& name, const std::vector<double>& values) {
  auto* column = new DoubleColumn(90);
  for (double v : values) column->AddValue(v, false);
  s.AddSweep(std::make_unique<::Sweep>(name, nullptr, column));
}

// The usual target: "Other" over Freq 1, 2 and "RUN1" over Freq 2, 3, 4.
void TwoSolutions(PasteDesign& d, refhost::ReferenceTraceInterpreterLookup&) {
  Sweep(Solution(d, 20, L"Other"), L"Freq", {1, 2});
  Sweep(Solution(d, 21, L"RUN1"), L"Freq", {2, 3, 4});
}

struct Scenario {
  const char* name;
  std::function<void(PasteDesign&, refhost::ReferenceTraceInterpreterLookup&)> target;
  std::function<std::vector<AbstractSubsweepDefParams*>()> subsweeps;
  std::vector<AString> expressions;
  const wchar_t* sourceName;  // as the listener knows the source solution
  bool result;
  long solution;              // reported, or id::invalidID
  const char* pointset;       // reported: "sweep:kind:choice:values|..." then "#families"; null: none
  std::vector<int> messages;
  int asserts;                // soft assertions "0"
  bool withFamily = false;    // the trace fixes L = 1 in one family
  const wchar_t* messageSweep = L"Freq";  // the first argument of each message
};

std::vector<AbstractSubsweepDefParams*> FreqOnly(std::vector<double> values, int choice = 3) {
  return {FreqSelection(values, choice)};
}

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }

const Scenario kScenarios[] = {
    {"the name matches ignoring case", TwoSolutions, [] { return FreqOnly({2, 3}); }, {L"S11"}, L"Run1", true, 21,
     "Freq:2:3:2,3|#0", {}, 0},
    {"of two with the name, the first in the lookup's order",
     [](PasteDesign& d, refhost::ReferenceTraceInterpreterLookup& l) {
       TwoSolutions(d, l);
       Sweep(Solution(d, 22, L"run1"), L"Freq", {2, 3});
       l.SetOfferedSolutions({20, 22, 21});
     },
     [] { return FreqOnly({2}); }, {L"S11"}, L"Run1", true, 22, "Freq:2:3:2|#0", {}, 0},
    {"no name matches: the lookup's choice",
     [](PasteDesign& d, refhost::ReferenceTraceInterpreterLookup& l) {
       TwoSolutions(d, l);
       l.SetChoice(20);
     },
     [] { return FreqOnly({1, 2}); }, {L"S11"}, L"Elsewhere", true, 20, "Freq:2:3:1,2|#0", {}, 0},
    {"no name matches and the lookup chooses none", TwoSolutions, [] { return FreqOnly({2}); }, {L"S11"},
     L"Elsewhere", true, id::invalidID, nullptr, {}, 0},
    {"every candidate filtered out",
     [](PasteDesign& d, refhost::ReferenceTraceInterpreterLookup& l) {
       Sweep(Solution(d, 20, L"Run1"), L"Freq", {1});  // no interpreter
       l.SetHasNoInterpreter(20);
       Sweep(Solution(d, 21, L"Run1"), L"Freq", {1});  // refuses the trace's context
       l.Interpreter(21).SetAcceptsContext(false);
       Sweep(Solution(d, 22, L"Run1"), L"Freq", {1});  // works out no context
       l.Interpreter(22).SetWorksOut(false);
       Sweep(Solution(d, 23, L"Run1"), L"Time", {1});  // no sweep of the trace's
       refhost::ReferenceSolution& noS11 = d.solutions.AddSolution(24, L"Run1");
       noS11.AddQuantity(L"Gain", ValueState(1, 15, 1));
       Sweep(noS11, L"Freq", {1});  // the expression does not hold
     },
     [] { return FreqOnly({1}); }, {L"S11"}, L"Run1", false, id::invalidID, nullptr, {}, 1},
    {"choice type 3 keeping none becomes type 1 with 17012", TwoSolutions, [] { return FreqOnly({7}); },
     {L"S11"}, L"Run1", true, 21, "Freq:2:1:7|#0", {17012}, 0},
    {"choice type 1 is kept", TwoSolutions, [] { return FreqOnly({}, 1); }, {L"S11"}, L"Run1", true, 21,
     "Freq:2:1:|#0", {}, 0},
    {"choice type 2 of a variable of the variation is kept", TwoSolutions, [] { return FreqOnly({}, 2); },
     {L"S11"}, L"Run1", true, 21, "Freq:2:2:|#0", {}, 0},
    {"choice type 2 of a sweep that names no variable takes its first value",
     [](PasteDesign& d, refhost::ReferenceTraceInterpreterLookup&) {
       refhost::ReferenceSolution& s = Solution(d, 21, L"Run1");
       Sweep(s, L"Freq", {2, 3});
       NamedSweep(s, L"Index", {5, 6});
     },
     [] { return std::vector<AbstractSubsweepDefParams*>{FreqSelection({2}), FreqSelection({}, 2, L"Index")}; },
     {L"S11"}, L"Run1", true, 21, "Freq:2:3:2|Index:2:2:5|#0", {}, 0},
    {"choice type 2 of a sweep without values fails",
     [](PasteDesign& d, refhost::ReferenceTraceInterpreterLookup&) {
       refhost::ReferenceSolution& s = Solution(d, 21, L"Run1");
       Sweep(s, L"Freq", {2, 3});
       NamedSweep(s, L"Index", {});
     },
     [] { return std::vector<AbstractSubsweepDefParams*>{FreqSelection({2}), FreqSelection({}, 2, L"Index")}; },
     {L"S11"}, L"Run1", false, 21, nullptr, {}, 0},
    {"an uncovered sweep of a variable follows the variation",
     [](PasteDesign& d, refhost::ReferenceTraceInterpreterLookup&) {
       refhost::ReferenceSolution& s = Solution(d, 21, L"Run1");
       Sweep(s, L"Freq", {2, 3});
       Sweep(s, L"L", {4, 5});
     },
     [] { return FreqOnly({2}); }, {L"S11"}, L"Run1", true, 21, "Freq:2:3:2|L:2:2:4,5|#0", {}, 0},
    {"an uncovered sweep naming no variable takes its first value",
     [](PasteDesign& d, refhost::ReferenceTraceInterpreterLookup&) {
       refhost::ReferenceSolution& s = Solution(d, 21, L"Run1");
       Sweep(s, L"Freq", {2, 3});
       NamedSweep(s, L"Index", {5, 6});
     },
     [] { return FreqOnly({2}); }, {L"S11"}, L"Run1", true, 21, "Freq:2:3:2|Index:2:3:5|#0", {}, 0},
    {"an uncovered sweep naming no variable and without values fails",
     [](PasteDesign& d, refhost::ReferenceTraceInterpreterLookup&) {
       refhost::ReferenceSolution& s = Solution(d, 21, L"Run1");
       Sweep(s, L"Freq", {2, 3});
       NamedSweep(s, L"Index", {});
     },
     [] { return FreqOnly({2}); }, {L"S11"}, L"Run1", false, 21, nullptr, {}, 0},
    {"an uncovered special sweep fails",
     [](PasteDesign& d, refhost::ReferenceTraceInterpreterLookup&) {
       refhost::ReferenceSolution& s = Solution(d, 21, L"Run1");
       Sweep(s, L"Freq", {2, 3});
       Sweep(s, L"Time", {0, 1}, true);
     },
     [] { return FreqOnly({2}); }, {L"S11"}, L"Run1", false, 21, nullptr, {}, 0},
    {"kind 1 first, on a special sweep, is copied",
     [](PasteDesign& d, refhost::ReferenceTraceInterpreterLookup&) {
       refhost::ReferenceSolution& s = Solution(d, 21, L"Run1");
       Sweep(s, L"Time", {0, 1}, true);
       Sweep(s, L"Freq", {2, 3});
     },
     [] { return std::vector<AbstractSubsweepDefParams*>{new SpecialSubsweepDefParams(L"Time"), FreqSelection({2})}; },
     {L"S11"}, L"Run1", true, 21, "Time:1:1:|Freq:2:3:2|#0", {}, 0},
    {"kind 1 after the first fails",
     [](PasteDesign& d, refhost::ReferenceTraceInterpreterLookup&) {
       refhost::ReferenceSolution& s = Solution(d, 21, L"Run1");
       Sweep(s, L"Time", {0, 1}, true);
       Sweep(s, L"Freq", {2, 3});
     },
     [] { return std::vector<AbstractSubsweepDefParams*>{FreqSelection({2}), new SpecialSubsweepDefParams(L"Time")}; },
     {L"S11"}, L"Run1", false, 21, nullptr, {}, 0},
    {"a sweep of another kind is left out with 17013",
     [](PasteDesign& d, refhost::ReferenceTraceInterpreterLookup&) {
       refhost::ReferenceSolution& s = Solution(d, 21, L"Run1");
       Sweep(s, L"Freq", {2, 3});
       Sweep(s, L"Time", {0, 1}, true);
     },
     [] { return std::vector<AbstractSubsweepDefParams*>{FreqSelection({2}), FreqSelection({}, 1, L"Time")}; },
     {L"S11", L"Gain"}, L"Run1", false, 21, nullptr, {17013}, 0, false, L"Time"},
    {"the second sweep of a surface cannot be left out",
     [](PasteDesign& d, refhost::ReferenceTraceInterpreterLookup&) {
       refhost::ReferenceSolution& s = Solution(d, 21, L"Run1");
       Sweep(s, L"Freq", {2, 3});
       Sweep(s, L"Time", {0, 1}, true);
     },
     [] { return std::vector<AbstractSubsweepDefParams*>{FreqSelection({2}), FreqSelection({}, 1, L"Time")}; },
     {L"S11", L"Gain", L"Gain"}, L"Run1", false, 21, nullptr, {}, 0},
    {"a surface needs two sweeps the solution has", TwoSolutions, [] { return FreqOnly({2}); },
     {L"S11", L"Gain", L"Gain"}, L"Run1", false, id::invalidID, nullptr, {}, 0},
    {"the first sweep cannot be left out",
     [](PasteDesign& d, refhost::ReferenceTraceInterpreterLookup&) {
       refhost::ReferenceSolution& s = Solution(d, 21, L"Run1");
       Sweep(s, L"Freq", {2, 3}, true);
     },
     [] { return FreqOnly({2}); }, {L"S11"}, L"Run1", false, 21, nullptr, {}, 0},
    {"families of a variable the solution does not sweep are dropped",
     [](PasteDesign& d, refhost::ReferenceTraceInterpreterLookup&) { Sweep(Solution(d, 21, L"Run1"), L"Freq", {2, 3}); },
     [] { return FreqOnly({2}); }, {L"S11"}, L"Run1", true, 21, "Freq:2:3:2|#0", {}, 0, true},
    {"families of a swept variable are kept and that sweep stays uncovered",
     [](PasteDesign& d, refhost::ReferenceTraceInterpreterLookup&) {
       refhost::ReferenceSolution& s = Solution(d, 21, L"Run1");
       Sweep(s, L"Freq", {2, 3});
       Sweep(s, L"L", {1, 2});
     },
     [] { return FreqOnly({2}); }, {L"S11"}, L"Run1", true, 21, "Freq:2:3:2|#1", {}, 0, true},
    {"an overriding column keeps its selection",
     [](PasteDesign& d, refhost::ReferenceTraceInterpreterLookup&) {
       Sweep(Solution(d, 21, L"Run1"), L"Freq", {2, 3}, false, 3);
     },
     [] {
       DoubleColumn selected(90), overriding(90);
       selected.AddValue(7, false);
       overriding.AppendValues({7, 8});
       auto* def = new SpecifiableSubsweepDefParams(L"Freq", 3, &selected);
       def->SetOverridingColumnData(&overriding);
       return std::vector<AbstractSubsweepDefParams*>{def};
     },
     {L"S11"}, L"Run1", true, 21, "Freq:3:3:7|#0", {}, 0},
    {"a trace without subsweep definitions reports nothing", TwoSolutions,
     [] { return std::vector<AbstractSubsweepDefParams*>{}; }, {L"S11"}, L"Run1", false, id::invalidID, nullptr, {},
     0},
};

class TraceDefinitionPasteHelperTest : public ::testing::TestWithParam<Scenario> {
protected:
  TraceDefinitionPasteHelperTest() : m_source(1, 100), m_target(2, 200) {}

  // "sweep:kind:choice:values|...#families"
  static std::string Summary(const rep::IPointsetDefinition& p) {
    std::ostringstream out;
    for (const AbstractSubsweepDefParams* def : p.GetSubsweepDefParamsContainer()) {
      out << def->GetSweepName().ToUtf8() << ':' << def->GetSubsweepDefParamType() << ':'
          << def->GetSubsweepDefChoiceType() << ':';
      const std::vector<AString> texts = reptest::SelectedTexts(def);
      for (size_t i = 0; i < texts.size(); ++i) out << (i ? "," : "") << texts[i].ToUtf8();
      out << '|';
    }
    std::vector<VariableValuesDefParams> families;
    out << '#' << p.GetVariableValuesDefParams(families);
    return out.str();
  }

  PasteDesign m_source;
  PasteDesign m_target;
};

TEST_P(TraceDefinitionPasteHelperTest, FixesUpAsTheScenarioSays) {
  const Scenario& s = GetParam();
  s.target(m_target, m_target.solutions.GetReferenceLookup());
  SubsweepDefParamsContainer defs;
  for (AbstractSubsweepDefParams* d : s.subsweeps()) defs.PushBackAndOwn(d);
  std::vector<VariableValuesDefParams> families;
  if (s.withFamily) {
    families.emplace_back();
    families.back().AddVariableValue(L"L", Value(1.0, 90));
  }
  // The pasted report as paste holds it: in a manager of the target's owner, under the source's IDs.
  rep::ReportManager pasted(&m_target.owner, true);
  const DesignSolutionDefinition dsd(100, 10, ReportTypeSolutionDefinition(1));
  rep::PointsetDefinition pointset(defs, families);
  rep::TraceDefinition source(pasted, L"T", s.expressions, dsd, pointset, ExtTraceInfo(), 1, false, nullptr);
  std::unique_ptr<rep::IReportDefinition> report = pasted.CreateReportDefinition({&source}, L"R");
  const long reportID = pasted.AddReportDefinition(*report, nullptr);
  auto* trace = dynamic_cast<rep::TraceDefinition*>(
      dynamic_cast<rep::ReportDefinition*>(pasted.GetReportDefinition(reportID))->GetTraces().front());
  ASSERT_NE(nullptr, trace);

  refhost::RecordingPasteListener listener;
  listener.SetSourceSolution(10, s.sourceName);
  io::CBlock product(L"ProductTraceInterpreterBlock");
  product << io::NamedValue(L"Solution", AString(L"Run1"));
  listener.SetProductBlock(trace->GetID(), product);
  listener.ClearCalls();
  Messages().Clear();

  rep::TraceDefinitionPasteHelper helper(*trace);
  EXPECT_EQ(s.result, helper.FixUpPastedTraceDefinition(*m_target.mgr, &listener, nullptr));
  for (int i = 0; i < s.asserts; ++i) EXPECT_SOFT_ASSERT("0");

  long solutionID = id::invalidID;
  SimValueContext context;
  const bool reported = listener.GetNewSolution(solutionID, context, trace->GetID());
  EXPECT_EQ(s.solution != id::invalidID, reported);
  EXPECT_EQ(s.solution, solutionID);
  const rep::IPointsetDefinition* rebuilt = listener.GetNewPointset(trace->GetID());
  if (s.pointset) {
    ASSERT_NE(nullptr, rebuilt);
    EXPECT_EQ(s.pointset, Summary(*rebuilt));
  } else {
    EXPECT_EQ(nullptr, rebuilt);
  }
  std::vector<int> posted = Messages().PostedIDs();
  EXPECT_EQ(s.messages, posted);
  for (const auto& m : Messages().Posted()) {
    ASSERT_EQ(2u, m.message.GetArgs().size());
    EXPECT_EQ(AString(s.messageSweep), m.message.GetArgs()[0]);
    EXPECT_EQ(AString(L"T"), m.message.GetArgs()[1]);
  }
  // Without a name match the lookup chooses among the candidates, in its order.
  const auto& asked = m_target.solutions.GetReferenceLookup().ChoicesAsked();
  if (AString(s.sourceName) == L"Elsewhere") {
    ASSERT_EQ(1u, asked.size());
    ASSERT_EQ(2u, asked[0].size());
    EXPECT_EQ(20, asked[0][0].first);
    EXPECT_EQ(21, asked[0][1].first);
  } else {
    EXPECT_TRUE(asked.empty());
  }
  // Interpreters that worked out a context were shown the product block as recorded.
  for (long id : {20L, 21L, 22L})
    for (const io::CBlock& seen : m_target.solutions.GetReferenceLookup().Interpreter(id).ProductBlocksSeen())
      EXPECT_EQ(product, seen);
  Messages().Clear();
}

INSTANTIATE_TEST_SUITE_P(Scenarios, TraceDefinitionPasteHelperTest, ::testing::ValuesIn(kScenarios));

}  // namespace
