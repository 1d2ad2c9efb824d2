#include <cmath>
#include <memory>
#include <vector>

#include "quantities/OutputVariableMgr.h"
#include "RepTest.h"
#include "tracedata/SimDatasetValueEvaluationContextRestorer2.h"
#include "quantities/SimValueDataCache.h"
#include "quantities/SimValueInfoServer.h"
#include "tracedata/SimValueValueProviderT.h"
#include "quantities/VersionedQuantityParser.h"
#include "orvex/values/MatrixValue.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorSweepCache.h"
#include "postorvex/columns/Column.h"
#include "postorvex/quantities/SimValueParams.h"
#include "postorvex/columns/SimValueMatrixContext.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

struct ParserDeleter {
  void operator()(rep::VersionedQuantityParser* p) const { delete p->GetInterfaceQueriable(); }
};
using Provider = SimValueValueProviderT<rep::VersionedQuantityParser>;

// S11 (complex) and Gain (double) cached over F = 1, 2, 3; M a 3 x 2 matrix at every row.
struct ProviderTest : ::testing::Test {
  ProviderTest() : solution(manager.AddSolution(10, L"Run1")), cache(&manager) {
    solution.AddSupportedReportType(1);
    f = solution.AddVariable(L"F", Value(1.0, Units::kNoUnit), false);
    solution.AddQuantity(L"S11", ValueState(2, 15, 1));
    solution.AddQuantity(L"Gain", ValueState(1, 15, 1));
    solution.AddQuantity(L"Lost", ValueState(1, 15, 1));
    solution.AddQuantity(L"M", ValueState(16, 15, 1));
    parser.reset(dynamic_cast<rep::VersionedQuantityParser*>(
        rep::CreateVersionedQuantityParser(&manager, &user, &cache.GetInfoServer(), Dsd())));
    primary.AppendValues({1, 2, 3});
    ComplexColumn s;
    DoubleColumn gain;
    DoubleMatrixColumn m;
    for (double p : {1.0, 2.0, 3.0}) {
      s.AddValue({p, -p});
      gain.AddValue(p * 10, false);
      m.AppendMatrix({3, 2, {1, 2, 3, 4, 5, 6}});
    }
    sweepCache = std::make_unique<MinorSweepCache>(f, nullptr);
    sweepCache->Update(primary, false, {ID(L"S11"), ID(L"Gain"), ID(L"M")}, {&s, &gain, &m}, L"t");
  }
  static DesignSolutionDefinition Dsd() { return DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)); }
  long ID(const AString& q) { return parser->GetSimValueID(q); }
  Value Parsed(const AString& text) {
    VariableNameSpace names(1, 1, 0);
    names.AddVariable(f);
    InstalledParserScope installed(parser.get());
    return Value(text, Units::kNoUnit);
  }

  refhost::ReferenceSolutionManager manager;
  refhost::ReferenceSolution& solution;
  rep::OutputVariableMgr user{&manager};
  rep::SimValueDataCache cache;
  std::unique_ptr<rep::VersionedQuantityParser, ParserDeleter> parser;
  Variable* f;
  DoubleColumn primary;
  std::unique_ptr<MinorSweepCache> sweepCache;
};

TEST_F(ProviderTest, ReadsTheRowOfEachQuantityAndRestoresTheParser) {
  Value s = Parsed(L"S11*F"), gain = Parsed(L"Gain"), lost = Parsed(L"Lost");
  IValueParser* before = Value::GetValueParser();
  {
    Provider provider(sweepCache.get(), parser.get(), &primary, f);
    for (int row = 0; row < 3; ++row) {
      provider.SetCurrentPrimaryIndex(row, true);
      const double p = row + 1.0;
      EXPECT_EQ(AComplex<double>(p * p, -p * p), s.GetComplexValue());
      EXPECT_DOUBLE_EQ(p * 10, gain.GetValue());
    }
    provider.SetCurrentPrimaryIndex(2, false);
    EXPECT_EQ(2, provider.GetCurrentRow()) << "the cache's row for the current value of F";
    provider.SetCurrentPrimaryIndex(1, true);
    for (int read = 0; read < 2; ++read) {
      EXPECT_TRUE(std::isnan(lost.GetValue()));
      EXPECT_SOFT_ASSERT("col");
    }
    EXPECT_TRUE(std::isnan(provider.GetValue(f)));
    EXPECT_SOFT_ASSERT("!\"Should not be passing me anything other than SimValue2's!\"");
  }
  EXPECT_EQ(before, Value::GetValueParser());
  {
    VariableValues elsewhere;
    elsewhere.SetVariableValue(f, Value(7.0, Units::kNoUnit));
    VariableValuesContext current(elsewhere);
    Provider provider(sweepCache.get(), parser.get(), nullptr, nullptr);
    provider.SetCurrentIndexFromCache();
    EXPECT_EQ(-1, provider.GetCurrentRow());
    EXPECT_TRUE(std::isnan(gain.GetValue())) << "no row for the current variation answers the invalid value";
    EXPECT_SOFT_ASSERT("i<GetCount()");
  }
}

TEST_F(ProviderTest, QuantityRowsReadAsAColumn) {
  Value gain = Parsed(L"Gain"), s = Parsed(L"S11"), lost = Parsed(L"Lost"), m = Parsed(L"M"), x = Parsed(L"F");
  Provider provider(sweepCache.get(), parser.get(), &primary, f);
  std::vector<double> reals;
  ASSERT_TRUE(provider.GetQuantityRows(*gain.GetValueBase(), 1, 3, reals));
  ASSERT_EQ(3u, reals.size());
  EXPECT_EQ(20.0, reals[0]);
  EXPECT_EQ(30.0, reals[1]);
  EXPECT_TRUE(std::isnan(reals[2])) << "past the column's end: the invalid value, as a point there reads";
  EXPECT_SOFT_ASSERT("i<GetCount()");
  std::vector<AComplex<double>> complexes;
  ASSERT_TRUE(provider.GetQuantityRows(*s.GetValueBase(), -1, 3, complexes));
  ASSERT_EQ(3u, complexes.size());
  EXPECT_TRUE(std::isnan(complexes[0].real()));
  EXPECT_SOFT_ASSERT("i<GetCount()");
  EXPECT_EQ(AComplex<double>(1, -1), complexes[1]);
  EXPECT_EQ(AComplex<double>(2, -2), complexes[2]);
  // Left to be read point by point, without a complaint of their own: no column (its reads
  // complain), matrices, a variable, a column of another kind.
  EXPECT_FALSE(provider.GetQuantityRows(*lost.GetValueBase(), 0, 2, reals));
  EXPECT_FALSE(provider.GetQuantityRows(*m.GetValueBase(), 0, 2, reals));
  EXPECT_FALSE(provider.GetQuantityRows(*x.GetValueBase(), 0, 2, reals));
  EXPECT_FALSE(provider.GetQuantityRows(*s.GetValueBase(), 0, 2, reals));
  Provider inner(sweepCache.get(), parser.get(), &primary, f);
  EXPECT_FALSE(provider.GetQuantityRows(*gain.GetValueBase(), 0, 2, reals)) << "not the installed parser";
}

TEST_F(ProviderTest, RowsOutsideTheColumnReadInvalidWithTheColumnsComplaint) {
  Value gain = Parsed(L"Gain"), s = Parsed(L"S11"), m = Parsed(L"M");
  Provider provider(sweepCache.get(), parser.get(), &primary, f);
  SimValueMatrixContext::SetCurrentRowColForTest(0, 0);
  for (int row : {-1, 3, 1000}) {
    SCOPED_TRACE(row);
    provider.SetCurrentPrimaryIndex(row, true);
    EXPECT_TRUE(std::isnan(gain.GetValue()));
    EXPECT_SOFT_ASSERT("i<GetCount()");
    EXPECT_TRUE(std::isnan(s.GetComplexValue().real()));
    EXPECT_SOFT_ASSERT("i<GetCount()");
    EXPECT_TRUE(std::isnan(m.GetValue())) << "no matrix there, so no element";
    EXPECT_SOFT_ASSERT("i<GetCount()");
    EXPECT_SOFT_ASSERT("0");
    EXPECT_SOFT_ASSERT("0");
  }
  provider.SetCurrentPrimaryIndex(2, true);
  EXPECT_DOUBLE_EQ(30.0, gain.GetValue());
  EXPECT_DOUBLE_EQ(1.0, m.GetValue());
  EXPECT_NO_SOFT_ASSERT();
  SimValueMatrixContext::Reset();
}

TEST_F(ProviderTest, MatrixElementsFollowTheMatrixContext) {
  Value m = Parsed(L"M");
  Provider provider(sweepCache.get(), parser.get(), &primary, f);
  provider.SetCurrentPrimaryIndex(2, true);
  SimValueMatrixContext::SetCurrentRowColForTest(1, 1);
  EXPECT_DOUBLE_EQ(4.0, m.GetValue());
  SimValueMatrixContext::SetCurrentRowColForTest(3, 0);
  EXPECT_TRUE(std::isnan(m.GetValue()));
  EXPECT_SOFT_ASSERT("0");
  EXPECT_SOFT_ASSERT("0");
  SimValueMatrixContext::Reset();
}

TEST(DatasetContextRestorer, NestedScopesRestoreInOrder) {
  struct Context : ISimDatasetValueEvaluationContext {
    int GetCurrentPointIndex() const override { return 0; }
    int GetIndexInsideDataset(const AbstractDynamicDatasetValue*, int) const override { return 0; }
    const AbstractDataset* GetDatasetForPoint(long, int) const override { return nullptr; }
  } outer, inner;
  DoubleSimDatasetValue a(1, nullptr, nullptr);
  ComplexSimDatasetValue b(2, nullptr, nullptr);
  {
    SimDatasetValueEvaluationContextRestorer2 first({&a, &b, nullptr}, &outer);
    {
      SimDatasetValueEvaluationContextRestorer2 second({&a, &b}, &inner);
      EXPECT_EQ(&inner, a.GetEvaluationContext());
      EXPECT_EQ(&inner, b.GetEvaluationContext());
    }
    EXPECT_EQ(&outer, a.GetEvaluationContext());
  }
  EXPECT_EQ(nullptr, a.GetEvaluationContext());
  EXPECT_EQ(nullptr, b.GetEvaluationContext());
  SimDatasetValueEvaluationContextRestorer2 none(std::vector<AbstractDynamicDatasetValue*>{}, &outer);
}

}  // namespace
