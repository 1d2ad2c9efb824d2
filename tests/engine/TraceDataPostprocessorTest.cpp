#include "tracedata/TraceDataPostprocessor.h"

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "tracedata/ConcreteTraceData.h"
#include "quantities/OutputVariableMgr.h"
#include "tracedata/ReportDataManager.h"
#include "quantities/SimValueDataCache.h"
#include "StoredTraceFixture.h"
#include "tracedata/TraceComponentData.h"
#include "tracedata/TraceData.h"
#include "orvex/centupd/CentralizedUpdateUtility.h"
#include "orvex/core/MessageLog.h"
#include "orvex/values/Function.h"
#include "postorvex/columns/CharColumn.h"
#include "postorvex/columns/DoubleColumn.h"
#include "postorvex/columns/IntColumn.h"
#include "postorvex/families/DisplayAllTraceFamiliesParameters.h"
#include "postorvex/families/DisplayHistogramAcrossTraceFamiliesParameters.h"
#include "postorvex/families/DisplayStatisticsOfTraceFamiliesParameters.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SweepBase.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kTiny = std::numeric_limits<double>::denorm_min();
const char* const kIgnored =
    "Some curves are ignored for statistical calculations as they fall outside the calculation bounds.";
const char* const kStatisticsError = "Error generating statistics of families. Plotting all families instead.";
const char* const kHistogramError = "Error generating histogram of families. Plotting all families instead.";

struct Curve {
  std::vector<double> x, y;
};

// A curve flat at v over x from 0 to 10.
Curve Flat(double v) { return {{0, 10}, {v, v}}; }

std::vector<double> Values(const Column* column) {
  const DoubleColumn* d = column ? column->GetDoubleColumn() : nullptr;
  return d ? d->GetValues() : std::vector<double>{};
}

// Values equal bit for bit, NaN matching NaN.
void ExpectSame(const std::vector<double>& expected, const std::vector<double>& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    if (std::isnan(expected[i])) {
      EXPECT_TRUE(std::isnan(actual[i])) << "at " << i;
    } else {
      EXPECT_EQ(expected[i], actual[i]) << "at " << i;
    }
  }
}

// The posted messages' texts, each checked for the integers and severity every such message has.
std::vector<std::string> Posted() {
  std::vector<std::string> texts;
  for (const orvex::test::PostedMessage& posted : orvex::test::Messages().Posted()) {
    const VelmorMessage& m = posted.message;
    EXPECT_EQ(1, m.GetSeverity());
    EXPECT_EQ((std::array<int, 4>{0, 24464, 1, 6}), m.GetInts());
    EXPECT_TRUE(m.GetString1().empty() && m.GetString2().empty() && !m.GetFlag());
    texts.push_back(m.GetArgs().empty() ? std::string() : m.GetArgs()[0].ToUtf8());
  }
  orvex::test::Messages().Clear();
  return texts;
}

// A statistical function that always fails, as a broken library function would.
class FailingStatistic : public Function {
public:
  FailingStatistic() : Function(L"broken", 1, true, true, true) {}
  bool CalculateFunction(IFunctionArguments*, IFunctionResult*, FunctionContext&) const override { return false; }
};

class FamiliesTest : public reptest::StoredTraceFixture {
protected:
  // Stored families of the fixture's trace: x in GHz, y in dB, curves one after the other.
  std::unique_ptr<rep::ConcreteTraceData> Families(const std::vector<Curve>& curves) {
    auto data = std::make_unique<rep::ConcreteTraceData>(Mgr(), m_traceID);
    auto* x = new DoubleColumn(Units::kGHz);
    auto* y = new DoubleColumn(Units::kDB);
    for (const Curve& c : curves) {
      x->AppendValues(c.x);
      y->AppendValues(c.y);
    }
    data->SetDataColumns({x, y});
    for (unsigned i = 0; i < curves.size(); ++i)
      data->SetCurveInfo(i, static_cast<unsigned>(curves[i].x.size()), AString::Format(L"L=%u", i));
    data->SetPrimarySweepName(L"F");
    data->SetPrimarySweepColumn(x->CloneColumn());
    return data;
  }

  std::unique_ptr<rep::ITraceData> Postprocess(rep::ITraceData& data, const TraceFamiliesDisplayParameters& params) {
    Trace().GetFamiliesDisplayDefinitionForEdit().SetFamiliesDisplayParams(params);
    rep::TraceDataPostprocessor postprocessor(&data, &Trace());
    return std::unique_ptr<rep::ITraceData>(postprocessor.CreatePostprocessedTraceData(nullptr));
  }

  std::unique_ptr<rep::ITraceData> Histogram(const std::vector<Curve>& curves, unsigned bins, const Value& at) {
    DisplayHistogramAcrossTraceFamiliesParameters params;
    params.SetNumberOfBins(bins);
    params.SetValueToSampleAt(at);
    m_basic = Families(curves);
    return Postprocess(*m_basic, params);
  }

  std::unique_ptr<rep::ITraceData> Statistics(const std::vector<Curve>& curves,
                                              const std::vector<AString>& functions = {L"mean", L"min", L"max"}) {
    DisplayStatisticsOfTraceFamiliesParameters params;
    params.SetStatFunctionNames(functions);
    m_basic = Families(curves);
    return Postprocess(*m_basic, params);
  }

  std::unique_ptr<rep::ConcreteTraceData> m_basic;
};

TEST_F(FamiliesTest, HistogramsOfTheSampledValues) {
  struct Case {
    std::vector<Curve> curves;
    unsigned bins;
    std::vector<double> edges;   // empty: no histogram
    std::vector<double> counts;
    std::vector<std::string> messages;
    std::vector<const char*> asserts;
    const char* why;
  };
  const double e = 0.4;
  const Case cases[] = {
      {{Flat(1), Flat(2), Flat(3), Flat(4), Flat(5)}, 10,
       {1, 1 + e, 1 + 2 * e, 1 + 3 * e, 1 + 4 * e, 1 + 5 * e, 1 + 6 * e, 1 + 7 * e, 1 + 8 * e, 1 + 9 * e, 5},
       {1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0}, {}, {}, "1..5 in 10 bins: the maximum falls into the last bin"},
      {{Flat(10), Flat(10), Flat(10)}, 4, {8, 9, 10, 11, 12}, {0, 0, 3, 0, 0}, {}, {}, "all equal: [0.8v, 1.2v]"},
      {{Flat(0), Flat(0)}, 4, {-1, -0.5, 0, 0.5, 1}, {0, 0, 2, 0, 0}, {}, {}, "all zero: [-1, 1]"},
      {{Flat(-10), Flat(-10)}, 4, {-12, -11, -10, -9, -8}, {0, 0, 2, 0, 0}, {}, {}, "all negative: [1.2v, 0.8v]"},
      {{Flat(1), Flat(kNaN), Flat(3)}, 4, {1, 1.5, 2, 2.5, 3}, {1, 0, 0, 1, 0}, {}, {"0"},
       "a NaN sample is not counted"},
      {{Flat(1), Flat(3)}, 2, {1, 2, 3}, {1, 1, 0}, {}, {"numBins > 2"}, "two bins are made after the check"},
      {{Flat(1), Flat(3)}, 0, {}, {}, {kHistogramError}, {"numBins > 2"}, "no bin"},
      {{Flat(1), Flat(3)}, 4294967295u, {}, {}, {kHistogramError}, {}, "more bins than a plot can show"},
      {{Flat(kNaN), Flat(kNaN)}, 10, {}, {}, {kHistogramError}, {}, "no finite sample"},
      {{Flat(-1e308), Flat(1e308)}, 10, {}, {}, {kHistogramError}, {}, "a range wider than the largest double"},
      {{Flat(1.7e308), Flat(1.7e308)}, 4, {}, {}, {kHistogramError}, {}, "all equal, widened past the largest double"},
      {{Flat(-1.7e308), Flat(-1.7e308)}, 4, {}, {}, {kHistogramError}, {}, "all equal and negative, widened past it"},
      {{Flat(kTiny), Flat(kTiny)}, 4, {}, {}, {kHistogramError}, {}, "all equal to the smallest subnormal"},
      {{Flat(kTiny), Flat(5 * kTiny)}, 10, {}, {}, {kHistogramError}, {}, "bins narrower than the smallest subnormal"},
      {{Flat(0x1p1022), Flat(0x1p1023)}, 4, {0x1p1022, 0x1.4p1022, 0x1.8p1022, 0x1.cp1022, 0x1p1023}, {1, 0, 0, 1, 0},
       {}, {}, "a range near the largest double that fits"},
      {{Flat(1), {{6, 10}, {7, 7}}, Flat(3), {{0, 4}, {7, 7}}}, 4, {1, 1.5, 2, 2.5, 3}, {1, 0, 0, 1, 0}, {kIgnored}, {},
       "curves not covering the sample value are left out, with one warning"},
      {{{{6, 10}, {7, 7}}, {{0, 4}, {7, 7}}}, 4, {}, {}, {kIgnored, kHistogramError}, {}, "no curve covers it"},
      {{Flat(1), {{0, 7, 3, 10}, {9, 9, 9, 9}}, Flat(3)}, 4, {1, 1.5, 2, 2.5, 3}, {1, 0, 0, 1, 0}, {kIgnored}, {},
       "a curve the interpolation refuses is left out"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::unique_ptr<rep::ITraceData> shown = Histogram(c.curves, c.bins, Value(5.0, Units::kGHz));
    for (const char* text : c.asserts) EXPECT_SOFT_ASSERT(text);
    EXPECT_NO_SOFT_ASSERT();
    EXPECT_EQ(c.messages, Posted());
    if (c.edges.empty()) {
      EXPECT_FALSE(shown);
      continue;
    }
    ASSERT_TRUE(shown);
    ASSERT_EQ(1u, shown->GetNumCurves());
    EXPECT_EQ(c.bins + 1, shown->GetNumPointsInCurve(0));
    const std::vector<double> edges = Values(shown->GetDataColumn(0));
    ASSERT_EQ(c.edges.size(), edges.size());
    for (size_t i = 0; i < edges.size(); ++i) EXPECT_NEAR(c.edges[i], edges[i], 1e-12) << "edge " << i;
    EXPECT_EQ(c.counts, Values(shown->GetDataColumn(1)));
  }
}

TEST_F(FamiliesTest, HistogramDataNamesItsOutcomesAndTheSamplePoint) {
  // 5000 MHz is sampled as 5 GHz, the unit of the x values.
  std::unique_ptr<rep::ITraceData> shown = Histogram({Flat(1), {{0, 10}, {2, 4}}}, 4, Value(5000.0, Units::kMHz));
  ASSERT_TRUE(shown);
  EXPECT_EQ(
      "name: Number of outcomes\n"
      "enforced: 1 6\n"
      "curve 0: 5 from 0 \"F=5GHz\"\n"
      "component 0 \"dB(S(1,1))\": 1/200/5 [1 1.5 2 2.5 3] text none\n"
      "component 1 \"Number of outcomes\": 1/90/5 [1 0 0 1 0] text none\n"
      "sweep \"\": none\n",
      reptest::Describe(*shown));
  EXPECT_TRUE(Posted().empty());

  // A number without a unit is taken in the unit of the x values, not as 5 Hz.
  shown = Histogram({Flat(1), {{0, 10}, {2, 4}}}, 4, Value(5.0, Units::kNoUnit));
  ASSERT_TRUE(shown);
  EXPECT_EQ(L"F=5GHz", shown->GetCurveVariationKey(0, false));
  EXPECT_EQ((std::vector<double>{1, 0, 0, 1, 0}), Values(shown->GetDataColumn(1)));
}

TEST_F(FamiliesTest, StatisticsAtCommonXValues) {
  // 4000 points each over different but overlapping x ranges: 1500 x values from the largest
  // first x (10) to the smallest last x (3999).
  std::vector<Curve> curves(3);
  for (int c = 0; c < 3; ++c)
    for (int k = 0; k < 4000; ++k) {
      curves[c].x.push_back(k + (c == 1 ? 10 : c * 2));
      curves[c].y.push_back(c * 10.0);
    }
  std::unique_ptr<rep::ITraceData> shown = Statistics(curves, {L"mean", L"unknown", L"min", L"max", L"stddev"});
  ASSERT_TRUE(shown);
  EXPECT_NO_SOFT_ASSERT();
  EXPECT_TRUE(Posted().empty());
  ASSERT_EQ(4u, shown->GetNumCurves()) << "one curve per known statistical function";
  const char* names[] = {"mean", "min", "max", "stddev"};
  const double expected[] = {10, 0, 20, 10};
  const std::vector<double> x = Values(shown->GetDataColumn(0)), y = Values(shown->GetDataColumn(1));
  ASSERT_EQ(4u * 1500, x.size());
  for (unsigned f = 0; f < 4; ++f) {
    SCOPED_TRACE(names[f]);
    EXPECT_EQ(names[f], shown->GetCurveVariationKey(f, false).ToUtf8());
    EXPECT_EQ(1500u, shown->GetNumPointsInCurve(f));
    EXPECT_EQ(f * 1500u, shown->GetCurveOffset(f));
    EXPECT_EQ(10.0, x[f * 1500]);
    EXPECT_EQ(3999.0, x[f * 1500 + 1499]);
    for (unsigned p = 0; p < 1500; ++p) ASSERT_EQ(expected[f], y[f * 1500 + p]) << "at " << p;
  }
  EXPECT_EQ(Units::kGHz, shown->GetDataColumn(0)->GetUnits());
  EXPECT_EQ(Units::kDB, shown->GetDataColumn(1)->GetUnits());
  rep::ITraceDataSweepInfo* sweep = shown->GetTraceDataSweepInfo();
  EXPECT_EQ(L"F", sweep->GetPrimarySweepName());
  EXPECT_EQ(x, Values(sweep->GetPrimarySweepColumn()));
  EXPECT_EQ(L"dB(S(1,1))", shown->GetComponentExpression(1)) << "the definition's expressions answer";
}

TEST_F(FamiliesTest, VarianceIsExactOnHardDataAndAnInvalidPointStaysInvalid) {
  // Flat families at 1e9+4, +7, +13 and +16, all invalid at x = 2.
  std::vector<Curve> curves;
  for (double offset : {4.0, 7.0, 13.0, 16.0}) {
    const double v = 1e9 + offset;
    curves.push_back({{0, 1, 2, 3, 4}, {v, v, kNaN, v, v}});
  }
  std::unique_ptr<rep::ITraceData> shown = Statistics(curves, {L"variance", L"stddev", L"mean", L"max"});
  ASSERT_TRUE(shown);
  EXPECT_NO_SOFT_ASSERT();
  const std::vector<double> y = Values(shown->GetDataColumn(1));
  const double r = std::sqrt(30.0), m = 1e9 + 10, t = 1e9 + 16;
  ExpectSame({30, 30, kNaN, 30, 30, r, r, kNaN, r, r, m, m, kNaN, m, m, t, t, kNaN, t, t}, y);
  ExpectSame({0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 0, 1, 2, 3, 4}, Values(shown->GetDataColumn(0)));
}

// A family at -inf dB (|S| = 0) at the common x values: the sums across the families are infinite,
// not NaN.
TEST_F(FamiliesTest, AFamilyAtMinusInfinityGivesInfiniteSums) {
  const double inf = std::numeric_limits<double>::infinity();
  std::unique_ptr<rep::ITraceData> shown =
      Statistics({Flat(-inf), Flat(1), Flat(3), Flat(4)}, {L"mean", L"sum", L"rms", L"median", L"max"});
  ASSERT_TRUE(shown);
  EXPECT_NO_SOFT_ASSERT();
  EXPECT_TRUE(Posted().empty());
  ExpectSame({-inf, -inf, -inf, -inf, inf, inf, 2, 2, 4, 4}, Values(shown->GetDataColumn(1)));
}

TEST_F(FamiliesTest, StatisticsFailuresAndLeftOutCurves) {
  struct Case {
    std::vector<Curve> curves;
    std::vector<double> means;  // empty: nothing made
    std::vector<std::string> messages;
    const char* why;
  };
  const Case cases[] = {
      {{{{0, 10}, {0, 0}}, {{20, 30}, {1, 1}}}, {}, {kStatisticsError}, "families without a common x range"},
      {{{{10, 0}, {0, 0}}, {{10, 0}, {1, 1}}}, {}, {kStatisticsError}, "descending sweeps"},
      {{{{0, 5, 10}, {0, 5, 10}}, {{0, 6, 3, 10}, {9, 9, 9, 9}}, {{0, 5, 10}, {2, 7, 12}}},
       {1, 6, 11},
       {kIgnored},
       "a curve the interpolation refuses is left out"},
      {{{{0, 5, 10}, {0, 5, 10}}, {{}, {}}, {{0, 5, 10}, {2, 7, 12}}},
       {1, 6, 11},
       {kIgnored},
       "a curve without points is left out"},
      {{{{kNaN, 5, 10}, {0, 5, 10}}, {{0, 5, 10}, {2, 7, 12}}, {{0, 5, 10}, {4, 9, 14}}},
       {3, 8, 13},
       {kIgnored},
       "a curve without an x at its end is left out"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::unique_ptr<rep::ITraceData> shown = Statistics(c.curves, {L"mean"});
    EXPECT_NO_SOFT_ASSERT();
    EXPECT_EQ(c.messages, Posted());
    if (c.means.empty()) {
      EXPECT_FALSE(shown);
      continue;
    }
    ASSERT_TRUE(shown);
    EXPECT_EQ(c.means, Values(shown->GetDataColumn(1)));
  }
}

TEST_F(FamiliesTest, AFailedEvaluationGivesTheInvalidValue) {
  Function::Register(std::make_unique<FailingStatistic>());
  std::unique_ptr<rep::ITraceData> shown = Statistics({Flat(1), Flat(3)}, {L"broken", L"mean"});
  ASSERT_TRUE(shown);
  EXPECT_SOFT_ASSERT("retVal == true");
  EXPECT_SOFT_ASSERT("retVal == true");
  ExpectSame({kNaN, kNaN, 2, 2}, Values(shown->GetDataColumn(1)));
}

TEST_F(FamiliesTest, InterpolationOrdersHoldSegmentsUntilTheyEnd) {
  // Curve 1 is resampled at the half points of curve 0. Its orders hold its first segment and
  // end there: its second segment counts as linear.
  m_basic = Families({{{0, 0.5, 1, 1.5, 2}, {0, 5, 10, 15, 20}}, {{0, 1, 2}, {0, 10, 20}}});
  auto* orders = new CharColumn();
  orders->GetValues() = {1, 1, 1, 1, 1, 0};
  m_basic->GetTraceComponentData()[1]->SetInterpColumn(orders);
  DisplayStatisticsOfTraceFamiliesParameters stats;
  stats.SetStatFunctionNames({L"min", L"max"});
  std::unique_ptr<rep::ITraceData> shown = Postprocess(*m_basic, stats);
  ASSERT_TRUE(shown);
  ExpectSame({0, 0, 10, 15, 20, 0, 5, 10, 15, 20}, Values(shown->GetDataColumn(1)));
  EXPECT_NO_SOFT_ASSERT();
}

TEST_F(FamiliesTest, UnsuitableDataIsShownAsItIs) {
  DisplayStatisticsOfTraceFamiliesParameters stats;
  // One curve.
  m_basic = Families({Flat(1)});
  EXPECT_FALSE(Postprocess(*m_basic, stats));
  // Three components.
  m_basic = Families({Flat(1), Flat(2)});
  m_basic->SetDataColumns({new DoubleColumn(), new DoubleColumn(), new DoubleColumn()});
  EXPECT_FALSE(Postprocess(*m_basic, stats));
  // An integer y column.
  m_basic = Families({Flat(1), Flat(2)});
  auto* ints = new IntColumn();
  ints->GetValues() = {1, 1, 2, 2};
  m_basic->SetDataColumns({m_basic->GetDataColumn(0)->CloneColumn(), ints});
  EXPECT_FALSE(Postprocess(*m_basic, stats));
  DisplayHistogramAcrossTraceFamiliesParameters histogram;
  EXPECT_FALSE(Postprocess(*m_basic, histogram));
  // Families shown as they are, or statistics without a known function.
  m_basic = Families({Flat(1), Flat(2)});
  EXPECT_FALSE(Postprocess(*m_basic, DisplayAllTraceFamiliesParameters()));
  stats.SetStatFunctionNames({L"deriv", L"nosuch"});
  EXPECT_FALSE(Postprocess(*m_basic, stats));
  EXPECT_NO_SOFT_ASSERT();
  EXPECT_TRUE(Posted().empty());
}

// Parameters of a kind the postprocessor does not know.
class OtherDisplayParameters : public TraceFamiliesDisplayParameters {
public:
  io::ReadError DoDataExchange(io::CBlock&, bool) override { return io::kNoError; }
  TraceFamiliesDisplayParameters* CloneDisplayParams() const override { return new OtherDisplayParameters; }
};

TEST_F(FamiliesTest, ParametersOfAnotherKindMakeNothing) {
  m_basic = Families({Flat(1), Flat(2)});
  rep::TraceDataPostprocessor postprocessor(m_basic.get(), &Trace());
  rep::TraceDataPostprocessorVisitor visitor(postprocessor);
  EXPECT_FALSE(OtherDisplayParameters().AcceptDisplayParametersVisitor(visitor));
  EXPECT_SOFT_ASSERT("0");
  EXPECT_FALSE(visitor.GetPostprocessedTraceData());
}

// A computed trace of dB(S) over F (GHz) with one family per L, S = F + jL, through the update
// road of the reference host.
class FamilyTraceRoadTest : public reptest::EngineFixture {
protected:
  FamilyTraceRoadTest() : m_cache(&m_solutions) {
    m_owner.SetSimValueCache(&m_cache);
    m_owner.SetOutputVariableMgr(&m_user);
    refhost::ReferenceSolution& s = *m_solutions.FindSolution(10);
    s.AddSupportedReportType(1);
    Variable* f = s.AddVariable(L"F", Value(1.0, Units::kGHz), false);
    Variable* l = s.AddVariable(L"L", Value(1.0, Units::kNoUnit), true);
    s.AddQuantity(L"S", ValueState(2, 15, 1), [f, l](const VariableValues& at) {
      return AComplex<double>(at.GetVariableValue(f)->GetValue(), at.GetVariableValue(l)->GetValue());
    });
    s.AddSweep(f, {1, 2, 3, 4});
    s.AddSweep(l, {1, 2, 3});
    for (double lv : {1.0, 2.0, 3.0}) {
      VariableValues p;
      p.SetVariableValue(l, Value(lv, Units::kNoUnit));
      s.AddInstance(p);
    }
    for (const wchar_t* name : {L"F", L"L"})
      m_defs.PushBackAndOwn(s.GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
  }

  // Adds the trace shown with these parameters, updates it and answers what is displayed.
  rep::ITraceData* Update(const TraceFamiliesDisplayParameters& params) {
    rep::PointsetDefinition pointset(m_defs, {});
    DesignSolutionDefinition dsd(100, 10, ReportTypeSolutionDefinition(1));
    rep::TraceDefinition trace(Mgr(), std::vector<AString>{L"F", L"dB(S)"}, dsd, pointset, ExtTraceInfo(), 1, &params);
    m_reportID = AddReport(L"R", {&trace});
    return UpdateAgain();
  }

  rep::ITraceData* UpdateAgain() {
    std::vector<long> ids;
    Report(m_reportID).GetTraceIDs(ids);
    rep::ReportDataManager& dm = *Mgr().GetDataManager();
    std::vector<ICentralizedUpdateObject*> objects;
    dm.GetCentralizedUpdateObjects(objects, m_reportID);
    EXPECT_EQ(1u, objects.size()) << "the trace needs an update";
    CentralizedUpdateUtility::UpdateObjects(nullptr, objects, nullptr);
    return dm.GetITraceData(ids.at(0));
  }

  static double DB(double f, double l) { return 20 * std::log10(std::hypot(f, l)); }

  rep::SimValueDataCache m_cache;
  rep::OutputVariableMgr m_user{&m_solutions};
  SubsweepDefParamsContainer m_defs;
  long m_reportID = 0;
};

// Data taken out of its manager drops the display form, which reaches the trace's definition
// through that manager, and shows its families.
TEST_F(FamilyTraceRoadTest, TakenDataShowsItselfOnceItsManagerIsGone) {
  DisplayStatisticsOfTraceFamiliesParameters params;
  params.SetStatFunctionNames({L"mean"});
  rep::ITraceData* shown = Update(params);
  ASSERT_TRUE(shown);
  ASSERT_EQ(1u, shown->GetNumCurves());
  std::vector<long> ids;
  Report(m_reportID).GetTraceIDs(ids);
  std::unique_ptr<AbstractDynamicTraceData> taken(Mgr().GetDataManager()->TakeTraceData(ids.at(0)));
  m_mgr.reset();
  auto* data = dynamic_cast<rep::TraceData*>(taken.get());
  ASSERT_NE(nullptr, data);
  EXPECT_EQ(static_cast<rep::ITraceData*>(data), data->GetTraceDataForDisplay());
  EXPECT_EQ(3u, data->GetTraceDataForDisplay()->GetNumCurves()) << "the families";
  EXPECT_EQ(AString(), data->GetTraceDataForDisplay()->GetTraceName());
  EXPECT_SOFT_ASSERT("m_mgr");
}

TEST_F(FamilyTraceRoadTest, StatisticsActOnTheTracesValues) {
  DisplayStatisticsOfTraceFamiliesParameters params;
  params.SetStatFunctionNames({L"mean", L"max"});
  rep::ITraceData* shown = Update(params);
  ASSERT_TRUE(shown);
  ASSERT_EQ(2u, shown->GetNumCurves());
  EXPECT_EQ(L"mean", shown->GetCurveVariationKey(0, false));
  const std::vector<double> x = Values(shown->GetDataColumn(0)), y = Values(shown->GetDataColumn(1));
  ASSERT_EQ(8u, y.size());
  for (unsigned k = 0; k < 4; ++k) {
    const double f = k + 1.0;
    EXPECT_EQ(f, x[k]);
    const double meanOfDB = (DB(f, 1) + DB(f, 2) + DB(f, 3)) / 3;
    const double dBOfMean = 20 * std::log10((std::hypot(f, 1) + std::hypot(f, 2) + std::hypot(f, 3)) / 3);
    EXPECT_NEAR(meanOfDB, y[k], 1e-12) << "the mean of dB values";
    EXPECT_GT(std::fabs(dBOfMean - y[k]), 1e-3) << "not the dB of the mean";
    EXPECT_NEAR(DB(f, 3), y[4 + k], 1e-12);
  }
  EXPECT_EQ(L"F", shown->GetTraceDataSweepInfo()->GetPrimarySweepName());
  EXPECT_EQ(Units::kGHz, shown->GetDataColumn(0)->GetUnits());

  // Populated again, the data displayed is made anew in place of the one before.
  Mgr().GetDataManager()->SetNeedsUpdateForSolution(100, 10);
  shown = UpdateAgain();
  ASSERT_TRUE(shown);
  EXPECT_EQ(y, Values(shown->GetDataColumn(1)));
  EXPECT_NO_SOFT_ASSERT();
}

TEST_F(FamilyTraceRoadTest, AHistogramAcrossTheFamilies) {
  DisplayHistogramAcrossTraceFamiliesParameters params;
  params.SetValueToSampleAt(Value(2.0, Units::kGHz));
  params.SetNumberOfBins(4);
  rep::ITraceData* shown = Update(params);
  ASSERT_TRUE(shown);
  unsigned type = 0;
  EXPECT_TRUE(shown->GetTraceTypeToEnforce(type));
  EXPECT_EQ(6u, type);
  EXPECT_EQ(L"F=2GHz", shown->GetCurveVariationKey(0, false));
  EXPECT_EQ(L"dB(S)", shown->GetComponentExpression(0));
  const std::vector<double> edges = Values(shown->GetDataColumn(0));
  ASSERT_EQ(5u, edges.size());
  EXPECT_NEAR(DB(2, 1), edges.front(), 1e-12);
  EXPECT_NEAR(DB(2, 3), edges.back(), 1e-12);
  EXPECT_EQ(3.0, Values(shown->GetDataColumn(1))[0] + Values(shown->GetDataColumn(1))[1] +
                     Values(shown->GetDataColumn(1))[2] + Values(shown->GetDataColumn(1))[3]);
  EXPECT_NO_SOFT_ASSERT();
}

TEST_F(FamilyTraceRoadTest, AllFamiliesAreShownWhenAsked) {
  rep::ITraceData* shown = Update(DisplayAllTraceFamiliesParameters());
  ASSERT_TRUE(shown);
  EXPECT_EQ(3u, shown->GetNumCurves());
  EXPECT_EQ(12u, shown->GetDataColumn(1)->GetCount());
  EXPECT_TRUE(dynamic_cast<rep::TraceData*>(shown)) << "the data itself";
}

}  // namespace
