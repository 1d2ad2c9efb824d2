#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "quantities/OutputVariableMgr.h"
#include "update/CacheAndConnectivityUpdateHelper2.h"
#include "update/CentUpdUtils.h"
#include "reports/GravikUtils.h"
#include "tracedata/PopulateTraceDataVisitor.h"
#include "RepTest.h"
#include "quantities/SimValueDataCache.h"
#include "quantities/SimValueInfoServer.h"
#include "update/SweepsVariableInfoMediator2.h"
#include "tracedata/SimDatasetValueEvaluationContextRestorer2.h"
#include "tracedata/TraceDataDatasets.h"
#include "update/VVConnectivityCreator2.h"
#include "quantities/VersionedQuantityParser.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/columns/Column.h"
#include "postorvex/connectivity/ConnectedVVObject.h"
#include "postorvex/connectivity/SPS2Connectivity.h"
#include "postorvex/quantities/CompositeReferencedPostprocessingQuantityMsg.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SubsweepsAdapter.h"
#include "postorvex/sweeps/SweepBase.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

struct ParserDeleter {
  void operator()(rep::VersionedQuantityParser* p) const { delete p->GetInterfaceQueriable(); }
};

// S(F, L) = F + iL cached over F = 1 2 3 (minor primary) at L = 1, 2 (major); the trace shows
// F and mag(S)*L.
struct PopulationTest : ::testing::Test {
  PopulationTest() : solution(manager.AddSolution(10, L"Run1")), cache(&manager) {
    solution.AddSupportedReportType(1);
    f = solution.AddVariable(L"F", Value(1.0, Units::kNoUnit), false);
    l = solution.AddVariable(L"L", Value(1.0, Units::kNoUnit), true);
    solution.AddQuantity(L"S", ValueState(2, 15, 1));
    solution.AddSweep(f, {1, 2, 3});
    solution.AddSweep(l, {1, 2});
    SubsweepDefParamsContainer defs;
    for (const wchar_t* name : {L"F", L"L"})
      defs.PushBackAndOwn(solution.GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
    subsweeps = std::make_unique<rep::SubsweepsAdapter>(defs, Dsd(), 1, &manager, std::vector<VariableValues>{});
    mediator = std::make_unique<rep::SweepsVariableInfoMediator2>(subsweeps.get(), ReportTypeSolutionDefinition(1),
                                                                  &solution, VariableValues(), false);
    parser.reset(dynamic_cast<rep::VersionedQuantityParser*>(
        rep::CreateVersionedQuantityParser(&manager, &user, &cache.GetInfoServer(), Dsd())));
    for (double lv : {1.0, 2.0}) {
      VariableValuesContext at(Major(lv));
      DoubleColumn primary;
      ComplexColumn s;
      primary.AppendValues({1, 2, 3});
      for (double fv : {1.0, 2.0, 3.0}) s.AddValue({fv, lv});
      cache.UpdateCacheForMinorSweepAtCurrVarVal(f, false, {l}, {}, Dsd(), 1, primary, {parser->GetSimValueID(L"S")},
                                                 {&s}, L"t");
    }
    for (double lv : {1.0, 2.0}) solution.AddInstance(Major(lv));
    connectivity.reset(dynamic_cast<MinorPrimarySPS2Connectivity*>(
        VVConnectivityCreator2::CreateSPS2ConnectivityExcludingSpecialsAndPrimaryMinor(*mediator, nullptr)));
    EXPECT_TRUE(connectivity) << "one point per solution point, a minor primary";
    for (double lv : {1.0, 2.0})
      EXPECT_FALSE(CentUpdUtils::IsLoadNeeded(*connectivity, Major(lv), {parser->GetSimValueID(L"S")}, cache,
                                              *mediator, Dsd(), 1, (*subsweeps)[0].GetColumn()));
    texts = {L"F", L"mag(S)*L"};
    record.reset(rep::ValidateExpressions(*parser, texts));
    expressions = Parse(texts);
  }
  // The texts as expressions over the solution's variables.
  std::vector<Value> Parse(const std::vector<AString>& texts) const {
    VariableNameSpace names(1, 1, 0);
    names.AddVariable(f);
    names.AddVariable(l);
    InstalledParserScope installed(parser.get());
    std::vector<Value> parsed;
    for (const AString& t : texts) parsed.emplace_back(t, Units::kNoUnit);
    return parsed;
  }
  static DesignSolutionDefinition Dsd() { return DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)); }
  VariableValues Major(double lv) {
    VariableValues v;
    v.SetVariableValue(l, Value(lv, Units::kNoUnit));
    return v;
  }

  refhost::ReferenceSolutionManager manager;
  refhost::ReferenceSolution& solution;
  rep::OutputVariableMgr user{&manager};
  rep::SimValueDataCache cache;
  Variable *f, *l;
  std::unique_ptr<rep::SubsweepsAdapter> subsweeps;
  std::unique_ptr<rep::SweepsVariableInfoMediator2> mediator;
  std::unique_ptr<rep::VersionedQuantityParser, ParserDeleter> parser;
  std::unique_ptr<MinorPrimarySPS2Connectivity> connectivity;
  std::vector<AString> texts;
  std::unique_ptr<CompositeReferencedPostprocessingQuantityMsg> record;
  std::vector<Value> expressions;
};

TEST_F(PopulationTest, EveryPointOfEveryCurveEqualsTheFormula) {
  ASSERT_TRUE(record);
  rep::TraceDataDatasets datasets(*mediator, *connectivity, *record, *parser, nullptr);
  DoubleColumn x, y;
  IValueParser* before = Value::GetValueParser();
  rep::PopulateTraceDataVisitor visitor(expressions, {&x, &y}, parser.get(), &datasets, nullptr, false);
  connectivity->Accept(visitor);
  EXPECT_EQ(before, Value::GetValueParser());
  ASSERT_EQ(6u, x.GetCount());
  ASSERT_EQ(6u, y.GetCount());
  ASSERT_EQ(2u, connectivity->GetFamilyCount());
  for (unsigned curve = 0; curve < 2; ++curve) {
    VariableValues family;
    connectivity->GetVariableValuesForCurve(family, curve);
    const double lv = family.GetVariableValue(l)->GetValue();
    EXPECT_EQ(3u, connectivity->GetNumPointsInFamily(curve));
    for (unsigned k = 0; k < 3; ++k) {
      const size_t row = connectivity->GetFamilyOffset(curve) + k;
      const double fv = k + 1.0;
      EXPECT_DOUBLE_EQ(fv, x.GetValues()[row]);
      EXPECT_NEAR(std::hypot(fv, lv) * lv, y.GetValues()[row], 1e-12);
    }
  }
  EXPECT_EQ(5, datasets.GetCurrentPointIndex());
}

TEST_F(PopulationTest, OnePointPerCurve) {
  rep::TraceDataDatasets datasets(*mediator, *connectivity, *record, *parser, nullptr);
  DoubleColumn x, y;
  rep::PopulateTraceDataVisitor visitor(expressions, {&x, &y}, parser.get(), &datasets, nullptr, true);
  connectivity->Accept(visitor);
  ASSERT_EQ(2u, connectivity->GetFamilyCount());
  EXPECT_EQ(1u, connectivity->GetNumPointsInFamily(0));
  EXPECT_EQ(std::vector<double>({1, 1}), x.GetValues()) << "the first primary value of each leaf";
  ASSERT_EQ(2u, y.GetCount());
  for (unsigned curve = 0; curve < 2; ++curve) {
    VariableValues family;
    connectivity->GetVariableValuesForCurve(family, curve);
    const double lv = family.GetVariableValue(l)->GetValue();
    EXPECT_NEAR(std::hypot(1.0, lv) * lv, y.GetValues()[connectivity->GetFamilyOffset(curve)], 1e-12)
        << "mag(S)*L at the first primary value of L=" << lv;
  }
  EXPECT_EQ(3, datasets.GetCurrentPointIndex()) << "the running index moved by the leaf's count";
}

TEST_F(PopulationTest, EmptyConnectivityLeavesTheColumns) {
  MinorPrimarySPS2Connectivity empty(f, false, mediator->CreateConnectedVVObject());
  rep::TraceDataDatasets datasets(*mediator, empty, *record, *parser, nullptr);
  DoubleColumn x, y;
  rep::PopulateTraceDataVisitor visitor(expressions, {&x, &y}, parser.get(), &datasets, nullptr, false);
  empty.Accept(visitor);
  EXPECT_EQ(0u, x.GetCount());
  EXPECT_EQ(0u, empty.GetFamilyCount());
}

TEST_F(PopulationTest, MajorPrimaryCurveRunsOverTheMajorValues) {
  SubsweepDefParamsContainer defs;
  defs.PushBackAndOwn(solution.GetSweepOfVariable(L"L", SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
  rep::SubsweepsAdapter byLength(defs, Dsd(), 1, &manager, {});
  rep::SweepsVariableInfoMediator2 m(&byLength, ReportTypeSolutionDefinition(1), &solution, VariableValues(), false);
  MajorPrimarySPS2Connectivity c(m.CreateConnectedVVObject());
  for (double lv : {1.0, 2.0}) {
    DoubleColumn primary;
    ComplexColumn s;
    primary.AppendValues({lv});
    s.AddValue({3.0, 4.0 * lv});
    rep::CacheAndConnectivityUpdateHelper2 helper(&c, Dsd(), 1, Major(lv), &m, &cache);
    helper.SetQuantityValues(VariableValues(), {parser->GetSimValueID(L"S")}, {&s}, primary, L"major");
  }
  std::vector<Value> majorExpressions;
  {
    VariableNameSpace names(1, 1, 0);
    names.AddVariable(l);
    InstalledParserScope installed(parser.get());
    majorExpressions = {Value(L"L", Units::kNoUnit), Value(L"mag(S)", Units::kNoUnit)};
  }
  std::unique_ptr<CompositeReferencedPostprocessingQuantityMsg> majorRecord(
      rep::ValidateExpressions(*parser, {L"L", L"mag(S)"}));
  rep::TraceDataDatasets datasets(m, c, *majorRecord, *parser, nullptr);
  DoubleColumn x, y;
  rep::PopulateTraceDataVisitor visitor(majorExpressions, {&x, &y}, parser.get(), &datasets, nullptr, false);
  c.Accept(visitor);
  ASSERT_EQ(1u, c.GetFamilyCount());
  EXPECT_EQ(2u, c.GetNumPointsInFamily(0));
  EXPECT_EQ(std::vector<double>({1, 2}), x.GetValues());
  ASSERT_EQ(2u, y.GetCount());
  EXPECT_NEAR(5.0, y.GetValues()[0], 1e-12);
  EXPECT_NEAR(std::hypot(3.0, 8.0), y.GetValues()[1], 1e-12);
}

// A major primary L under up to two further major levels W and M, on a solution of its own (the cache
// keys its variations by the solution's major variables). S(L, W, M) = L + i(10W + 100M) is pushed at
// every variation, L varying fastest.
struct MajorLevels {
  explicit MajorLevels(int levels) : solution(manager.AddSolution(10, L"Run1")), cache(&manager) {
    solution.AddSupportedReportType(1);
    solution.AddQuantity(L"S", ValueState(2, 15, 1));
    const wchar_t* names[] = {L"L", L"W", L"M"};
    const std::vector<double> values[] = {{1, 2, 3}, {1, 2}, {1, 2}};
    SubsweepDefParamsContainer defs;
    for (int i = 0; i < levels; ++i) {
      variables.push_back(solution.AddVariable(names[i], Value(1.0, Units::kNoUnit), true));
      solution.AddSweep(variables.back(), values[i]);
      defs.PushBackAndOwn(solution.GetSweepOfVariable(names[i], SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
    }
    subsweeps = std::make_unique<rep::SubsweepsAdapter>(defs, Dsd(), 1, &manager, std::vector<VariableValues>{});
    mediator = std::make_unique<rep::SweepsVariableInfoMediator2>(subsweeps.get(), ReportTypeSolutionDefinition(1),
                                                                  &solution, VariableValues(), false);
    parser.reset(dynamic_cast<rep::VersionedQuantityParser*>(
        rep::CreateVersionedQuantityParser(&manager, &user, &cache.GetInfoServer(), Dsd())));
    connectivity = std::make_unique<MajorPrimarySPS2Connectivity>(mediator->CreateConnectedVVObject());
    const double one[] = {0.0};
    for (double mv : levels > 2 ? values[2] : std::vector<double>(one, one + 1))
      for (double wv : levels > 1 ? values[1] : std::vector<double>(one, one + 1))
        for (double lv : values[0]) {
          VariableValues at;
          const double levelValues[] = {lv, wv, mv};
          for (int i = 0; i < levels; ++i) at.SetVariableValue(variables[i], Value(levelValues[i], Units::kNoUnit));
          DoubleColumn primary;
          ComplexColumn s;
          primary.AppendValues({lv});
          s.AddValue(S(lv, wv, mv));
          rep::CacheAndConnectivityUpdateHelper2 helper(connectivity.get(), Dsd(), 1, at, mediator.get(), &cache);
          helper.SetQuantityValues(VariableValues(), {parser->GetSimValueID(L"S")}, {&s}, primary, L"major");
        }
    texts = {levels > 1 ? L"W" : L"L", L"mag(S)"};
    record.reset(rep::ValidateExpressions(*parser, texts));
    VariableNameSpace ns(1, 1, 0);
    for (Variable* v : variables) ns.AddVariable(v);
    InstalledParserScope installed(parser.get());
    for (const AString& t : texts) expressions.emplace_back(t, Units::kNoUnit);
  }
  static AComplex<double> S(double lv, double wv, double mv) { return {lv, 10 * wv + 100 * mv}; }
  static DesignSolutionDefinition Dsd() { return DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)); }

  refhost::ReferenceSolutionManager manager;
  refhost::ReferenceSolution& solution;
  rep::OutputVariableMgr user{&manager};
  rep::SimValueDataCache cache;
  std::vector<Variable*> variables;  // L, W, M
  std::unique_ptr<rep::SubsweepsAdapter> subsweeps;
  std::unique_ptr<rep::SweepsVariableInfoMediator2> mediator;
  std::unique_ptr<rep::VersionedQuantityParser, ParserDeleter> parser;
  std::unique_ptr<MajorPrimarySPS2Connectivity> connectivity;
  std::vector<AString> texts;
  std::unique_ptr<CompositeReferencedPostprocessingQuantityMsg> record;
  std::vector<Value> expressions;
};

// Each curve of the regular walk gives one point, at its first L, and the trace's curves are formed
// one level up when there is a level above the regular curves; the running index counts every L.
TEST(MajorPrimaryOnePointPerCurve, EveryPointHoldsItsOwnVariationsValue) {
  struct Case {
    int levels;
    std::vector<std::vector<double>> curves;  // per trace curve, the x (W, or L) of each point
    std::vector<AString> keys;                // each curve's variation key
    int lastIndex;                            // the index the datasets saw last
  };
  const Case cases[] = {
      {1, {{1}}, {L""}, 0},
      {2, {{1}, {2}}, {L"W=1", L"W=2"}, 3},
      {3, {{1, 2}, {1, 2}}, {L"M=1", L"M=2"}, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.levels);
    MajorLevels t(c.levels);
    ASSERT_TRUE(t.record);
    rep::TraceDataDatasets datasets(*t.mediator, *t.connectivity, *t.record, *t.parser, nullptr);
    DoubleColumn x, y;
    rep::PopulateTraceDataVisitor visitor(t.expressions, {&x, &y}, t.parser.get(), &datasets, nullptr, true);
    t.connectivity->Accept(visitor);
    ASSERT_EQ(c.curves.size(), t.connectivity->GetFamilyCount());
    size_t row = 0;
    for (unsigned curve = 0; curve < c.curves.size(); ++curve) {
      VariableValues family;
      t.connectivity->GetVariableValuesForCurve(family, curve);
      EXPECT_EQ(c.keys[curve], family.GetVariationKey(true));
      ASSERT_EQ(c.curves[curve].size(), t.connectivity->GetNumPointsInFamily(curve));
      const Value* m = c.levels > 2 ? family.GetVariableValue(t.variables[2]) : nullptr;
      for (double xv : c.curves[curve]) {
        ASSERT_LT(row, y.GetCount());
        EXPECT_DOUBLE_EQ(xv, x.GetValues()[row]);
        const double wv = c.levels > 1 ? xv : 0.0;
        EXPECT_NEAR(std::abs(MajorLevels::S(1, wv, m ? m->GetValue() : 0.0)), y.GetValues()[row], 1e-9)
            << "the first L of the point's own variation";
        ++row;
      }
    }
    EXPECT_EQ(row, y.GetCount());
    EXPECT_EQ(c.lastIndex, datasets.GetCurrentPointIndex());
  }
}

TEST_F(PopulationTest, DatasetValuesAnswerTheCurveOfTheirPoint) {
  const std::vector<AString> dsTexts{L"F", L"max(mag(S))"};
  std::unique_ptr<CompositeReferencedPostprocessingQuantityMsg> dsRecord(rep::ValidateExpressions(*parser, dsTexts));
  ASSERT_TRUE(dsRecord);
  std::vector<long> datasetIDs;
  dsRecord->GetAllSimDatasetValues(datasetIDs);
  ASSERT_EQ(1u, datasetIDs.size());
  const std::vector<Value> dsExpressions = Parse(dsTexts);
  rep::TraceDataDatasets datasets(*mediator, *connectivity, *dsRecord, *parser, nullptr);
  datasets.ExtractDatasets(nullptr);
  EXPECT_TRUE(datasets.GetDatasetForPoint(datasetIDs[0], 0));
  EXPECT_EQ(datasets.GetDatasetForPoint(datasetIDs[0], 0), datasets.GetDatasetForPoint(datasetIDs[0], 2))
      << "points that differ only in the varying variable share one dataset";
  EXPECT_NE(datasets.GetDatasetForPoint(datasetIDs[0], 0), datasets.GetDatasetForPoint(datasetIDs[0], 3));
  EXPECT_EQ(nullptr, datasets.GetDatasetForPoint(424242, 0));
  DoubleColumn x, y;
  {
    SimDatasetValueEvaluationContextRestorer2 context(*dsRecord, *parser, &datasets);
    rep::PopulateTraceDataVisitor visitor(dsExpressions, {&x, &y}, parser.get(), &datasets, nullptr, false);
    connectivity->Accept(visitor);
  }
  ASSERT_EQ(6u, y.GetCount());
  for (unsigned curve = 0; curve < 2; ++curve) {
    VariableValues family;
    connectivity->GetVariableValuesForCurve(family, curve);
    const double lv = family.GetVariableValue(l)->GetValue();
    for (unsigned k = 0; k < 3; ++k)
      EXPECT_NEAR(std::hypot(3.0, lv), y.GetValues()[connectivity->GetFamilyOffset(curve) + k], 1e-12)
          << "the largest |S| of the point's curve";
  }
}

// The outer range function's curve is made of the inner one's values: its datasets are built after
// the inner ones although the record lists the outer one first.
TEST_F(PopulationTest, ADatasetValueIsBuiltAfterTheOnesItUses) {
  const std::vector<AString> dsTexts{L"F", L"max(mag(S)-min(mag(S)))"};
  std::unique_ptr<CompositeReferencedPostprocessingQuantityMsg> dsRecord(rep::ValidateExpressions(*parser, dsTexts));
  ASSERT_TRUE(dsRecord);
  std::vector<long> datasetIDs;
  dsRecord->GetAllSimDatasetValues(datasetIDs);
  ASSERT_EQ(2u, datasetIDs.size());
  std::vector<long> outerUses;
  for (long id : datasetIDs) {
    std::vector<long> on;
    dsRecord->GetSimDatasetDependencyInfo(id, on);
    if (!on.empty()) outerUses = on;
  }
  ASSERT_EQ(1u, outerUses.size()) << "the outer value uses the inner one";
  EXPECT_EQ(outerUses[0], datasetIDs[1]) << "listed after the value that uses it, so only the ordering helps";
  const std::vector<Value> dsExpressions = Parse(dsTexts);
  rep::TraceDataDatasets datasets(*mediator, *connectivity, *dsRecord, *parser, nullptr);
  datasets.ExtractDatasets(nullptr);
  DoubleColumn x, y;
  {
    SimDatasetValueEvaluationContextRestorer2 context(*dsRecord, *parser, &datasets);
    rep::PopulateTraceDataVisitor visitor(dsExpressions, {&x, &y}, parser.get(), &datasets, nullptr, false);
    connectivity->Accept(visitor);
  }
  ASSERT_EQ(6u, y.GetCount());
  for (unsigned curve = 0; curve < 2; ++curve) {
    VariableValues family;
    connectivity->GetVariableValuesForCurve(family, curve);
    const double lv = family.GetVariableValue(l)->GetValue();
    for (unsigned k = 0; k < 3; ++k)
      EXPECT_NEAR(std::hypot(3.0, lv) - std::hypot(1.0, lv), y.GetValues()[connectivity->GetFamilyOffset(curve) + k],
                  1e-12);
  }
}

// A regular leaf is evaluated a column at a time; records that share a column send the walk point
// by point. Both give the same bits.
TEST_F(PopulationTest, ColumnsHoldThePointByPointNumbersBitForBit) {
  const std::vector<AString> dsTexts{L"F", L"20*log10(mag(S))*L", L"max(mag(S))-mag(S)/F"};
  std::unique_ptr<CompositeReferencedPostprocessingQuantityMsg> dsRecord(rep::ValidateExpressions(*parser, dsTexts));
  ASSERT_TRUE(dsRecord);
  const std::vector<Value> dsExpressions = Parse(dsTexts);
  rep::TraceDataDatasets datasets(*mediator, *connectivity, *dsRecord, *parser, nullptr);
  datasets.ExtractDatasets(nullptr);
  auto populate = [&](const std::vector<Value>& values, const std::vector<Column*>& columns) {
    SimDatasetValueEvaluationContextRestorer2 context(*dsRecord, *parser, &datasets);
    rep::PopulateTraceDataVisitor visitor(values, columns, parser.get(), &datasets, nullptr, false);
    connectivity->Accept(visitor);
    return datasets.GetCurrentPointIndex();
  };
  DoubleColumn byColumn[3], byPoint[3];
  const int columnEnd = populate(dsExpressions, {&byColumn[0], &byColumn[1], &byColumn[2]});
  std::vector<Value> sharing = dsExpressions;
  sharing.push_back(dsExpressions[0]);
  const int pointEnd = populate(sharing, {&byPoint[0], &byPoint[1], &byPoint[2], &byPoint[0]});
  EXPECT_EQ(pointEnd, columnEnd) << "the walk ends at the same point";
  ASSERT_EQ(12u, byPoint[0].GetCount()) << "F twice at each point";
  for (size_t k = 0; k < 3; ++k) {
    SCOPED_TRACE(dsTexts[k].ToUtf8());
    std::vector<double> expected = byPoint[k].GetValues();
    if (k == 0)
      for (size_t i = 0; i < 6; ++i) expected[i] = expected[2 * i];
    expected.resize(6);
    ASSERT_EQ(6u, byColumn[k].GetCount());
    EXPECT_EQ(0, std::memcmp(expected.data(), byColumn[k].GetValues().data(), 6 * sizeof(double)));
  }
}

// A record whose dataset values use each other as told, for orders no expression can make.
class DependencyRecord : public AbstractQuantityInfo {
public:
  DependencyRecord(const AbstractQuantityInfo& real, std::map<long, std::vector<long>> uses)
      : m_real(real), m_uses(std::move(uses)) {}
  void GetAllSimValueQuantities(std::vector<AString>& out) const override { m_real.GetAllSimValueQuantities(out); }
  void GetAllOutputVariables(std::vector<ContextVariable*>& out) const override { m_real.GetAllOutputVariables(out); }
  void GetAllSimDatasetValues(std::vector<long>& out) const override { m_real.GetAllSimDatasetValues(out); }
  void GetAllCompositeQuantities(std::vector<AString>& out) const override { m_real.GetAllCompositeQuantities(out); }
  void GetSimValueQuantitiesForExpr(const AString& e, std::vector<AString>& out) const override {
    m_real.GetSimValueQuantitiesForExpr(e, out);
  }
  void GetOutputVariablesForExpr(const AString& e, std::vector<ContextVariable*>& out) const override {
    m_real.GetOutputVariablesForExpr(e, out);
  }
  void GetSimDatasetValuesForExpr(const AString& e, std::vector<long>& out) const override {
    m_real.GetSimDatasetValuesForExpr(e, out);
  }
  void GetCompositeQuantitiesForExpr(const AString& e, std::vector<AString>& out) const override {
    m_real.GetCompositeQuantitiesForExpr(e, out);
  }
  void GetSimDatasetDependencyInfo(long id, std::vector<long>& out) const override {
    auto it = m_uses.find(id);
    if (it != m_uses.end()) out.insert(out.end(), it->second.begin(), it->second.end());
  }
  IValueParser* GetIValueParser() const override { return m_real.GetIValueParser(); }

private:
  const AbstractQuantityInfo& m_real;
  std::map<long, std::vector<long>> m_uses;
};

// Values that use each other are all extracted, in the order they wait, after the assertion; a value
// that uses itself is asserted and counts as placed.
TEST_F(PopulationTest, DatasetValuesThatCannotBeOrderedAreStillExtracted) {
  std::unique_ptr<CompositeReferencedPostprocessingQuantityMsg> dsRecord(
      rep::ValidateExpressions(*parser, {L"F", L"max(mag(S)-min(mag(S)))"}));
  ASSERT_TRUE(dsRecord);
  std::vector<long> ids;
  dsRecord->GetAllSimDatasetValues(ids);
  ASSERT_EQ(2u, ids.size());
  struct Case {
    std::map<long, std::vector<long>> uses;
    const char* assertion;
  };
  const Case cases[] = {
      {{{ids[0], {ids[1]}}, {ids[1], {ids[0]}}}, "!\"fail to resolve dynamic dataset\""},
      {{{ids[0], {ids[0]}}}, "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.assertion);
    DependencyRecord record(*dsRecord, c.uses);
    rep::TraceDataDatasets datasets(*mediator, *connectivity, record, *parser, nullptr);
    datasets.ExtractDatasets(nullptr);
    EXPECT_SOFT_ASSERT(c.assertion);
    for (long id : ids) EXPECT_TRUE(datasets.GetDatasetForPoint(id, 0)) << id;
  }
}

}  // namespace
