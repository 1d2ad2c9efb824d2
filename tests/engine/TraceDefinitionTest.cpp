#include <functional>
#include <sstream>

#include "EngineFixture.h"
#include "ForeignKinds.h"
#include "reports/ReportDefinitionCmdInfo.h"
#include "reports/TraceComponentDefinition.h"
#include "reports/TraceFamiliesDisplayDefinition.h"
#include "orvex/values/Units.h"
#include "postorvex/families/DisplayAllTraceFamiliesParameters.h"
#include "postorvex/families/DisplayHistogramAcrossTraceFamiliesParameters.h"
#include "postorvex/families/DisplayStatisticsOfTraceFamiliesParameters.h"
#include "postorvex/families/TraceFamiliesDisplayParameters.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"

using reptest::EngineFixture;

TEST(TraceComponentDefinition, BlockRoundTripAndCopies) {
  for (const wchar_t* expr : {L"", L"mag(S(1,1))", L"a \"quoted\" \u00e9 text"}) {
    rep::TraceComponentDefinition source(expr);
    io::CBlock block(source.GetBlockName());
    source.DoDataExchange(block, false);
    rep::TraceComponentDefinition read;
    EXPECT_EQ(io::kNoError, read.DoDataExchange(block, true));
    EXPECT_EQ(AString(expr), read.GetExpression());
  }
  rep::TraceComponentDefinition a(L"a");
  std::unique_ptr<rep::ITraceComponentDefinition> clone(a.Clone());
  static_cast<rep::TraceComponentDefinition*>(clone.get())->SetExpression(L"b");
  EXPECT_EQ(AString(L"a"), a.GetExpression());
  a.CopyFrom(*clone);
  EXPECT_EQ(AString(L"b"), a.GetExpression());

  io::CBlock empty(L"TraceComponentDefinition");
  rep::TraceComponentDefinition missing(L"kept");
  EXPECT_EQ(2, missing.DoDataExchange(empty, true));
  EXPECT_EQ(AString(L"kept"), missing.GetExpression());
}

TEST(TraceFamiliesDisplayDefinition, KindsByNameAndOwnParameters) {
  rep::TraceFamiliesDisplayDefinition def;
  EXPECT_EQ(AString(L"DisplayAll"), def.GetDisplayFamiliesType());
  io::CBlock block(def.GetBlockName());
  def.DoDataExchange(block, false);
  AString type;
  EXPECT_EQ(io::kNoError, io::DoDataExchange(block, true, L"DisplayFamiliesType", type, io::kReturnCode));
  EXPECT_EQ(AString(L"DisplayAll"), type);

  DisplayHistogramAcrossTraceFamiliesParameters histogram;
  def.SetFamiliesDisplayParams(histogram);
  rep::TraceFamiliesDisplayDefinition copy(def);
  std::unique_ptr<MUndoableObject> clone(def.Clone());
  rep::TraceFamiliesDisplayDefinition assigned;
  assigned = def;
  def.SetFamiliesDisplayParams(DisplayAllTraceFamiliesParameters());
  const std::vector<const rep::TraceFamiliesDisplayDefinition*> copies = {
      &copy, dynamic_cast<const rep::TraceFamiliesDisplayDefinition*>(clone.get()), &assigned};
  for (const rep::TraceFamiliesDisplayDefinition* d : copies)
    EXPECT_EQ(AString(L"DisplayHistogram"), d->GetDisplayFamiliesType());

  std::unique_ptr<TraceFamiliesDisplayParameters> none(
      rep::TraceFamiliesDisplayDefinition::CreateFamiliesDisplayParams(L"displayall"));
  EXPECT_EQ(nullptr, none);
  EXPECT_SOFT_ASSERT("0");
}

TEST(TraceFamiliesDisplayDefinition, ReadingReplacesOrKeepsTheKind) {
  rep::TraceFamiliesDisplayDefinition stats;
  stats.SetFamiliesDisplayParams(DisplayStatisticsOfTraceFamiliesParameters());
  io::CBlock block(L"TraceFamiliesDisplayDefinition");
  stats.DoDataExchange(block, false);
  rep::TraceFamiliesDisplayDefinition read;
  EXPECT_EQ(io::kNoError, read.DoDataExchange(block, true));
  EXPECT_EQ(AString(L"DisplayStatistics"), read.GetDisplayFamiliesType());

  // An unknown or missing kind keeps valid parameters and reports the block.
  io::CBlock unknown(L"TraceFamiliesDisplayDefinition");
  unknown << io::CBlock_named_value(L"DisplayFamiliesType", io::CBlock_value(AString(L"DisplayEverything")));
  EXPECT_NE(io::kNoError, read.DoDataExchange(unknown, true));
  EXPECT_EQ(AString(L"DisplayStatistics"), read.GetDisplayFamiliesType());
  io::CBlock missing(L"TraceFamiliesDisplayDefinition");
  rep::TraceFamiliesDisplayDefinition fresh;
  EXPECT_NE(io::kNoError, fresh.DoDataExchange(missing, true));
  EXPECT_EQ(AString(L"DisplayAll"), fresh.GetDisplayFamiliesType());
}

using TraceDefinitionTest = EngineFixture;

TEST_F(TraceDefinitionTest, ConstructionNamesAndComponents) {
  auto named = MakeTrace({L"x", L"y"});
  EXPECT_EQ(AString(L"y"), named->GetName());
  EXPECT_TRUE(named->GetIsNameTiedToExpressionFlag());
  EXPECT_EQ(2u, named->GetNumComponents());
  EXPECT_EQ(nullptr, named->GetComponent(2));
  EXPECT_SOFT_ASSERT("!\"Asking for more dimensions than I have\"");

  auto empty = MakeTrace({});
  EXPECT_EQ(AString(), empty->GetName());
  EXPECT_TRUE(empty->GetIsNameTiedToExpressionFlag());
  EXPECT_EQ(nullptr, empty->GetComponent(0));
  EXPECT_SOFT_ASSERT("!\"Asking for more dimensions than I have\"");

  EXPECT_EQ(1, named->GetTraceDefinitionType());
  EXPECT_EQ(AString(L"TraceDefinition"), named->GetBlockName());
  EXPECT_EQ(AString(L"Run1"), named->GetSolutionName());
}

TEST_F(TraceDefinitionTest, ClonesAndCopiesAreIndependent) {
  auto source = MakeTrace({L"x", L"y"}, L"Source");
  source->SetIDAndVersionID(5, 6);
  std::unique_ptr<rep::IBaseTraceDefinition> clone(source->CloneDefinition());
  auto* cloneDef = dynamic_cast<rep::TraceDefinition*>(clone.get());
  ASSERT_NE(nullptr, cloneDef);
  EXPECT_EQ(5, cloneDef->GetID());
  EXPECT_NE(source->GetPointsetDefinition(), cloneDef->GetPointsetDefinition());
  EXPECT_NE(source->GetComponent(0), cloneDef->GetComponent(0));

  auto target = MakeTrace({L"z"});
  const long targetVersion = target->GetVersionID();
  target->CopyFrom(*source);
  EXPECT_EQ(5, target->GetID());
  EXPECT_EQ(targetVersion, target->GetVersionID());
  EXPECT_EQ(AString(L"Source"), target->GetName());
  ASSERT_EQ(2u, target->GetNumComponents());
  EXPECT_NE(source->GetComponent(1), target->GetComponent(1));
  target->CopyFrom(*target);  // onto itself: nothing changes
  EXPECT_EQ(2u, target->GetNumComponents());
}

TEST_F(TraceDefinitionTest, CopyFromAnotherManagerIsFlaggedButMade) {
  rep::ReportManager other(&m_owner, true);
  DesignSolutionDefinition dsd(100, 11, ReportTypeSolutionDefinition(1));
  rep::TraceDefinition foreign(other, std::vector<AString>{L"q"}, dsd, rep::PointsetDefinition(), ExtTraceInfo(), 1,
                               nullptr);
  auto target = MakeTrace({L"z"});
  target->CopyFrom(foreign);
  EXPECT_SOFT_ASSERT("&mMgr == &(btrFrom.mMgr)");
  EXPECT_EQ(11, target->GetDesignSolutionDefinitionRef().GetSolutionID());
}

TEST_F(TraceDefinitionTest, BlockRoundTrip) {
  auto source = MakeTrace({L"Freq", L"dB(S11)"}, L"Name");
  source->SetIDAndVersionID(42, 43);
  io::CBlock block(L"TraceDef");
  EXPECT_EQ(io::kNoError, source->DoDataExchange(block, false));
  rep::TraceDefinition read(Mgr(), true);
  EXPECT_EQ(io::kNoError, read.DoDataExchange(block, true));
  EXPECT_EQ(42, read.GetID());
  EXPECT_EQ(AString(L"Name"), read.GetName());
  EXPECT_FALSE(read.GetIsNameTiedToExpressionFlag());
  std::vector<AString> exprs;
  read.GetTraceExpressions(exprs);
  EXPECT_EQ(std::vector<AString>({L"Freq", L"dB(S11)"}), exprs);
  EXPECT_TRUE(read.GetDesignSolutionDefinitionRef() == source->GetDesignSolutionDefinitionRef());
  EXPECT_EQ(1, read.GetDesignInstanceID());
  ASSERT_NE(nullptr, read.GetPointsetDefinition());
}

TEST_F(TraceDefinitionTest, DamagedBlocks) {
  auto source = MakeTrace({L"x"});
  io::CBlock good(L"TraceDef");
  source->DoDataExchange(good, false);

  io::CBlock noDsd(good);
  noDsd.FindBlockForEdit(L"DesignSolnDefn")->SetName(L"Other");
  auto target = MakeTrace({L"kept"});
  EXPECT_EQ(-1, target->DoDataExchange(noDsd, true));
  EXPECT_EQ(AString(L"kept"), target->GetName());

  io::CBlock noComponents(good);
  noComponents.FindBlockForEdit(L"Components")->SetName(L"Other");
  rep::TraceDefinition read(Mgr(), true);
  EXPECT_EQ(-1, read.DoDataExchange(noComponents, true));

  io::CBlock noPointset(good);
  noPointset.FindBlockForEdit(L"PointsetDefinition")->SetName(L"Other");
  rep::TraceDefinition read2(Mgr(), true);
  EXPECT_EQ(-1, read2.DoDataExchange(noPointset, true));
  EXPECT_NE(nullptr, read2.GetPointsetDefinition());  // a new empty one
}

// A copy from another kind is refused as a whole; a copy onto itself must not empty the target
// before reading from it.
TEST_F(TraceDefinitionTest, CopiesRefuseOtherKindsAndLeaveThemselvesAlone) {
  auto trace = MakeTrace({L"x", L"y"}, L"Target");
  trace->SetIDAndVersionID(7, 8);
  reptest::PlainTrace plain(Mgr(), {L"p", L"q"});
  reptest::ForeignTrace foreignTrace;
  rep::TraceComponentDefinition component(L"expr");
  reptest::ForeignComponent foreignComponent;
  SubsweepDefParamsContainer subsweeps;
  subsweeps.PushBackAndOwn(new RegularSubsweepDefParams(L"Freq"));
  rep::PointsetDefinition pointset(subsweeps, {}, subsweeps);
  reptest::ForeignPointset foreignPointset;
  rep::TraceFamiliesDisplayDefinition families;
  families.SetFamiliesDisplayParams(DisplayHistogramAcrossTraceFamiliesParameters());
  CUndoableVersion notADefinition;

  auto state = [&] {
    std::vector<AString> exprs, plainExprs;
    trace->GetTraceExpressions(exprs);
    for (unsigned i = 0; i < plain.GetNumComponents(); ++i) plainExprs.push_back(plain.GetComponent(i)->GetExpression());
    std::wostringstream out;
    out << trace->GetID() << L' ' << trace->GetVersionID() << L' ' << trace->GetName().c_str() << L' '
        << exprs.size() << L' ' << trace->GetDesignSolutionDefinitionRef().GetSolutionID() << L' '
        << trace->GetPointsetDefinition() << L'|' << plain.GetName().c_str() << L' ' << plainExprs.size() << L'|'
        << component.GetExpression().c_str() << L'|' << pointset.GetSubsweepDefParamsContainer().Size() << L' '
        << pointset.GetSpecifiableSubsweepsIfInFamilies().Size() << L'|'
        << families.GetDisplayFamiliesType().c_str() << L' ' << families.GetFamiliesDisplayParams();
    return out.str();
  };

  struct Case {
    const char* why;
    const char* assertion;  // null: none
    std::function<void()> copy;
  };
  const Case cases[] = {
      {"computed trace from another kind of trace", "def", [&] { trace->CopyFrom(plain); }},
      {"computed trace restored from another record", "def", [&] { trace->Assign(notADefinition); }},
      {"common part from a trace known only by its interface", "fromBase", [&] { plain.CopyFrom(foreignTrace); }},
      {"component from another kind", "from", [&] { component.CopyFrom(foreignComponent); }},
      {"point set from another kind", "from", [&] { pointset.CopyFrom(foreignPointset); }},
      {"families display from another record", "fromDefn", [&] { families.Assign(notADefinition); }},
      {"computed trace onto itself", nullptr, [&] { trace->CopyFrom(*trace); }},
      {"computed trace assigned itself", nullptr, [&] { trace->Assign(*trace); }},
      {"common part onto itself", nullptr, [&] { plain.CopyFrom(plain); }},
      {"component onto itself", nullptr, [&] { component.CopyFrom(component); }},
      {"point set onto itself", nullptr, [&] { pointset.CopyFrom(pointset); }},
      {"families display assigned itself", nullptr, [&] { families.Assign(families); }},
      {"families display by operator onto itself", nullptr, [&] {
         const auto& self = families;  // through a reference: the self-assignment is the point
         families = self;
       }},
  };
  const std::wstring before = state();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    c.copy();
    if (c.assertion) {
      EXPECT_SOFT_ASSERT(c.assertion);
    }
    EXPECT_NO_SOFT_ASSERT();
    EXPECT_EQ(before, state());
  }
}

TEST(PointsetDefinition, FamilyKeysThatAssignNothingAreSkipped) {
  io::CBlock block(L"PointsetDefinition");
  io::CBlock_func familyBlock(L"FamilyBlock");
  familyBlock << AString(L"L=1mm") << AString(L"") << AString(L"L=2mm, W=3");
  block << familyBlock;
  rep::PointsetDefinition read;
  read.DoDataExchange(block, true);
  std::vector<VariableValuesDefParams> families;
  ASSERT_EQ(2u, read.GetVariableValuesDefParams(families));
  EXPECT_EQ(AString(L"L=1mm"), families[0].GetVariationKey());
  EXPECT_EQ(AString(L"L=2mm, W=3"), families[1].GetVariationKey());
}

TEST_F(TraceDefinitionTest, NoComponentsStillWriteAndReadTheirBlock) {
  auto empty = MakeTrace({});
  ExtTraceInfo info;
  info.SetYAxis(rep::kYAxis2);
  empty->SetExtendedTraceInfo(info);
  io::CBlock block(L"TraceDef");
  EXPECT_EQ(io::kNoError, empty->DoDataExchange(block, false));
  const io::CBlock* components = block.FindBlock(L"Components");
  ASSERT_NE(nullptr, components);
  EXPECT_EQ(0u, components->GetNumItems());

  rep::TraceDefinition read(Mgr(), true);
  EXPECT_EQ(io::kNoError, read.DoDataExchange(block, true));
  EXPECT_EQ(0u, read.GetNumComponents());
  EXPECT_EQ(2, read.GetExtendedTraceInfo().GetYAxis());  // read on past the empty components
}

TEST_F(TraceDefinitionTest, PointsetSizeForComponents) {
  rep::PointsetDefinition none;
  SubsweepDefParamsContainer one;
  one.PushBackAndOwn(new RegularSubsweepDefParams(L"Freq"));
  SubsweepDefParamsContainer two(one);
  two.PushBackAndOwn(new RegularSubsweepDefParams(L"L"));
  rep::PointsetDefinition withOne(one, {}), withTwo(two, {});
  struct Case { const rep::PointsetDefinition* p; unsigned comps; bool valid; };
  const Case cases[] = {{&none, 1, true},    {&none, 2, false},   {&withOne, 2, true},
                        {&withOne, 3, false}, {&withTwo, 3, true}, {&none, 4, true}};
  for (const Case& c : cases)
    EXPECT_EQ(c.valid, rep::TraceDefinition::IsPointsetValidForNumComponents(*c.p, c.comps)) << c.comps;
}

TEST_F(TraceDefinitionTest, PointsetEditsAndBlock) {
  SubsweepDefParamsContainer subsweeps;
  subsweeps.PushBackAndOwn(new RegularSubsweepDefParams(L"Freq"));
  SubsweepDefParamsContainer specifiable;
  specifiable.PushBackAndOwn(new RegularSubsweepDefParams(L"L"));
  VariableValuesDefParams family;
  Value one(90);
  one.SetValueText(L"1mm", 90);
  family.AddVariableValue(L"L", one);
  rep::PointsetDefinition pointset(subsweeps, {family}, specifiable);

  std::vector<AString> names;
  EXPECT_EQ(2u, pointset.GetSweepNames(names));
  EXPECT_EQ(std::vector<AString>({L"Freq", L"L"}), names);

  io::CBlock block(L"PointsetDefinition");
  pointset.DoDataExchange(block, false);
  const io::CBlock kept = block;
  rep::PointsetDefinition read;
  read.DoDataExchange(block, true);
  EXPECT_TRUE(kept == block) << "sub-blocks are read where they stand, and left as they were";
  std::vector<AString> readNames;
  read.GetSweepNames(readNames);
  EXPECT_EQ(names, readNames);
  EXPECT_EQ(1u, read.GetSpecifiableSubsweepsIfInFamilies().Size());

  EXPECT_TRUE(pointset.RemoveSweeps({L"L"}));
  std::vector<VariableValuesDefParams> families;
  pointset.GetVariableValuesDefParams(families);
  EXPECT_FALSE(families[0].DoesVariableExist(L"L"));
  EXPECT_EQ(0u, pointset.GetSpecifiableSubsweepsIfInFamilies().Size());
  EXPECT_FALSE(pointset.RemoveSweeps({L"Nope"}));

  rep::PointsetDefinition empty;
  std::vector<AString> none;
  EXPECT_EQ(0u, empty.GetSweepNames(none));
  io::CBlock emptyBlock(L"PointsetDefinition");
  empty.DoDataExchange(emptyBlock, false);
  EXPECT_EQ(nullptr, emptyBlock.FindBlock(L"SpecifiableSubsweepsIfInFamilies"));
  read.DoDataExchange(emptyBlock, true);
  EXPECT_EQ(0u, read.GetSpecifiableSubsweepsIfInFamilies().Size());
}

TEST_F(TraceDefinitionTest, PointsetValidatesAgainstTheSolutionSweeps) {
  refhost::ReferenceSolution& sol = *m_solutions.FindSolution(10);
  Variable* freq = sol.AddVariable(L"Freq", Value(1.0, Units::kGHz), false);
  Variable* len = sol.AddVariable(L"L", Value(1.0, Units::kMm), true);
  Variable* time = sol.AddVariable(L"T", Value(0.0, Units::kSecond), false);
  sol.AddSweep(freq, {1, 2, 3});
  sol.AddSweep(len, {1, 2});
  sol.AddSweep(time, {0, 1}, true);
  const DesignSolutionDefinition dsd(100, 10, ReportTypeSolutionDefinition(1));

  auto subsweeps = [](std::initializer_list<const wchar_t*> names) {
    SubsweepDefParamsContainer c;
    for (const wchar_t* n : names) c.PushBackAndOwn(new RegularSubsweepDefParams(n, 1));
    return c;
  };
  auto family = [](const wchar_t* name) {
    VariableValuesDefParams f;
    f.AddVariableValue(name, Value(1.0, Units::kNoUnit));
    return f;
  };
  struct Case {
    const char* why;
    rep::PointsetDefinition pointset;
    bool valid;
  };
  const Case cases[] = {
      {"no subsweeps", rep::PointsetDefinition(), false},
      {"subsweeps alone", rep::PointsetDefinition(subsweeps({L"Freq"}), {}), true},
      {"a fixed variable that is swept", rep::PointsetDefinition(subsweeps({L"freq"}), {family(L"L")}), true},
      {"an unknown sweep", rep::PointsetDefinition(subsweeps({L"Phase"}), {}), false},
      {"a fixed variable without a sweep", rep::PointsetDefinition(subsweeps({L"Freq"}), {family(L"W")}), false},
      {"a special sweep cannot be fixed", rep::PointsetDefinition(subsweeps({L"Freq"}), {family(L"T")}), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(c.valid, c.pointset.Validate(&m_solutions, dsd));
  }
  DesignSolutionDefinition elsewhere(100, 99, ReportTypeSolutionDefinition(1));
  EXPECT_FALSE(rep::PointsetDefinition(subsweeps({L"Freq"}), {}).Validate(&m_solutions, elsewhere));
}

TEST_F(TraceDefinitionTest, BlockIsReadWithTheSolutionVariablesKnown) {
  refhost::ReferenceSolution& sol = *m_solutions.FindSolution(10);
  sol.AddVariable(L"L", Value(1.0, Units::kMm), true);
  VariableValuesDefParams family;
  family.AddVariableValue(L"L", Value(AString(L"2mm"), Units::kNoUnit));
  auto trace = std::make_unique<rep::TraceDefinition>(
      Mgr(), std::vector<AString>{L"x"}, DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)),
      rep::PointsetDefinition(SubsweepDefParamsContainer(), {family}), ExtTraceInfo(), 1, nullptr);
  io::CBlock block(L"TraceDef");
  trace->DoDataExchange(block, false);
  rep::TraceDefinition read(Mgr(), true);
  EXPECT_EQ(io::kNoError, read.DoDataExchange(block, true));
  std::vector<VariableValuesDefParams> families;
  read.GetPointsetDefinition()->GetVariableValuesDefParams(families);
  ASSERT_EQ(1u, families.size());
  EXPECT_EQ(family.GetVariationKey(), families[0].GetVariationKey());
}

// The bookkeeping of an edit that changes what a trace plots, under a real command.
TEST_F(TraceDefinitionTest, RecordEditInCommand) {
  for (bool recordAsEdited : {true, false}) {
    SCOPED_TRACE(recordAsEdited ? "recorded as edited" : "version only");
    auto x = MakeTrace({L"x"});
    const long r = AddReport(L"R", {x.get()});
    auto* trace = dynamic_cast<rep::TraceDefinition*>(Report(r).GetTraces().front());
    const long versionBefore = trace->GetVersionID();
    const unsigned long undoVersionBefore = trace->GetUndoVersion();
    VelmorCommand cmd;
    trace->RecordEditInCommand(&cmd, recordAsEdited);
    const long versionAfter = trace->GetVersionID();
    EXPECT_GT(versionAfter, versionBefore);
    EXPECT_EQ(2u, cmd.GetNumUndoables());  // the undo version and the version ID
    auto* info = dynamic_cast<rep::ReportDefinitionCmdInfo*>(cmd.GetInfo(m_owner.GetCmdInfoSourceForReports()));
    ASSERT_NE(nullptr, info);
    std::set<long> edited;
    info->GetEditedTraceIDs(edited, r);
    EXPECT_EQ(recordAsEdited ? std::set<long>({trace->GetID()}) : std::set<long>(), edited);
    EXPECT_EQ(recordAsEdited ? 4 : 0, info->GetReportFlags(r));
    EXPECT_EQ(recordAsEdited, info->IsEditedReport(r));

    cmd.EndDo();
    cmd.Undo();
    EXPECT_EQ(versionBefore, trace->GetVersionID());
    EXPECT_EQ(undoVersionBefore, trace->GetUndoVersion());
    cmd.Redo();
    EXPECT_EQ(versionAfter, trace->GetVersionID());
  }
}
