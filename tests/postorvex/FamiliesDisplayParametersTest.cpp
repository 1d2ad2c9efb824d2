#include <list>
#include <memory>
#include <vector>

#include "RepTest.h"
#include "orvex/io/Block.h"
#include "orvex/values/Function.h"
#include "orvex/values/Units.h"
#include "postorvex/families/DisplayAllTraceFamiliesParameters.h"
#include "postorvex/families/DisplayHistogramAcrossTraceFamiliesParameters.h"
#include "postorvex/families/DisplayStatisticsOfTraceFamiliesParameters.h"
#include "postorvex/families/TraceFamiliesDisplayParametersVisitor.h"

namespace {

// Records which slot a visit reached.
class RecordingVisitor : public TraceFamiliesDisplayParametersVisitor {
public:
  bool Visit(const DisplayHistogramAcrossTraceFamiliesParameters&) override { return Note("histogram"); }
  bool Visit(const DisplayStatisticsOfTraceFamiliesParameters&) override { return Note("statistics"); }
  bool Visit(const DisplayAllTraceFamiliesParameters&) override { return Note("all"); }
  bool Visit(const TraceFamiliesDisplayParameters&) override { return Note("other"); }
  std::vector<std::string> seen;

private:
  bool Note(const char* what) {
    seen.push_back(what);
    return true;
  }
};

// Overrides only the histogram: every other kind must reach the base handler.
class HistogramOnlyVisitor : public TraceFamiliesDisplayParametersVisitor {
public:
  bool Visit(const DisplayHistogramAcrossTraceFamiliesParameters&) override { return true; }
  using TraceFamiliesDisplayParametersVisitor::Visit;
};

// A kind the visitor does not know.
class OtherDisplayParameters : public TraceFamiliesDisplayParameters {
public:
  io::ReadError DoDataExchange(io::CBlock&, bool) override { return io::kNoError; }
  TraceFamiliesDisplayParameters* CloneDisplayParams() const override { return new OtherDisplayParameters; }
};

// A ranged, reducing function that takes only complex datasets.
class ComplexOnlyStatistic : public Function {
public:
  explicit ComplexOnlyStatistic(const wchar_t* name) : Function(name, 1, true, true, true) {}
  bool CalculateFunction(IFunctionArguments*, IFunctionResult*, FunctionContext&) const override { return false; }
  bool AcceptsArgumentType(val::ParameterType t) const override { return t == val::kComplexDatasetParam; }
};

std::vector<AString> Names(std::initializer_list<const wchar_t*> names) {
  std::vector<AString> out;
  for (const wchar_t* n : names) out.emplace_back(n);
  return out;
}

DisplayHistogramAcrossTraceFamiliesParameters Histogram(double at, Units::FullUnitType units, unsigned bins) {
  DisplayHistogramAcrossTraceFamiliesParameters h;
  h.SetValueToSampleAt(Value(at, units));
  h.SetNumberOfBins(bins);
  return h;
}

}  // namespace

TEST(FamiliesDisplayParameters, EachKindReachesItsOwnVisitSlot) {
  DisplayAllTraceFamiliesParameters all;
  DisplayStatisticsOfTraceFamiliesParameters stats;
  DisplayHistogramAcrossTraceFamiliesParameters histogram;
  OtherDisplayParameters other;
  const TraceFamiliesDisplayParameters* kinds[] = {&histogram, &stats, &all, &other};

  RecordingVisitor v;
  for (const TraceFamiliesDisplayParameters* p : kinds) EXPECT_TRUE(p->AcceptDisplayParametersVisitor(v));
  EXPECT_EQ((std::vector<std::string>{"histogram", "statistics", "all", "other"}), v.seen);

  HistogramOnlyVisitor h;
  EXPECT_TRUE(histogram.AcceptDisplayParametersVisitor(h));
  EXPECT_FALSE(stats.AcceptDisplayParametersVisitor(h));
  EXPECT_FALSE(all.AcceptDisplayParametersVisitor(h));
  EXPECT_FALSE(other.AcceptDisplayParametersVisitor(h));
}

TEST(FamiliesDisplayParameters, ClonesAreIndependentAndOfTheSameKind) {
  DisplayStatisticsOfTraceFamiliesParameters stats;
  stats.SetStatFunctionNames(Names({L"median", L"rms"}));
  std::unique_ptr<TraceFamiliesDisplayParameters> statsClone(stats.CloneDisplayParams());
  stats.SetStatFunctionNames(Names({L"sum"}));
  auto* sc = dynamic_cast<DisplayStatisticsOfTraceFamiliesParameters*>(statsClone.get());
  ASSERT_NE(nullptr, sc);
  EXPECT_EQ(Names({L"median", L"rms"}), sc->GetStatFunctionNames());

  DisplayHistogramAcrossTraceFamiliesParameters histogram = Histogram(2.5, Units::kGHz, 7);
  std::unique_ptr<TraceFamiliesDisplayParameters> histogramClone(histogram.CloneDisplayParams());
  histogram.SetValueToSampleAt(Value(9.0, Units::kNs));
  histogram.SetNumberOfBins(3);
  auto* hc = dynamic_cast<DisplayHistogramAcrossTraceFamiliesParameters*>(histogramClone.get());
  ASSERT_NE(nullptr, hc);
  EXPECT_EQ(2.5, hc->GetValueToSampleAt().GetValue());
  EXPECT_EQ(Units::kGHz, hc->GetValueToSampleAt().GetUnits());
  EXPECT_EQ(7u, hc->GetNumberOfBins());

  std::unique_ptr<TraceFamiliesDisplayParameters> allClone(DisplayAllTraceFamiliesParameters().CloneDisplayParams());
  EXPECT_NE(nullptr, dynamic_cast<DisplayAllTraceFamiliesParameters*>(allClone.get()));
}

TEST(FamiliesDisplayParameters, DefaultsOfEachKind) {
  DisplayStatisticsOfTraceFamiliesParameters stats;
  EXPECT_EQ(Names({L"mean", L"min", L"max"}), stats.GetStatFunctionNames());
  DisplayHistogramAcrossTraceFamiliesParameters h;
  EXPECT_EQ(10u, h.GetNumberOfBins());
  EXPECT_EQ(0.0, h.GetValueToSampleAt().GetValue());
  EXPECT_EQ(Units::kNoUnit, h.GetValueToSampleAt().GetUnits());
  EXPECT_EQ(val::kDoubleParam, h.GetValueToSampleAt().GetParameterType());
}

// The parameters share the block of the definition's "DisplayFamiliesType": their keys must
// read back among other items.
TEST(FamiliesDisplayParameters, ExchangeRoundTripsInASharedBlock) {
  io::CBlock block(ACHAR("TraceFamiliesDisplayDefinition"));
  block << io::CBlock_named_value(ACHAR("DisplayFamiliesType"), io::CBlock_value(AString(L"DisplayStatistics")));

  DisplayStatisticsOfTraceFamiliesParameters stats;
  stats.SetStatFunctionNames(Names({L"stddev", L"No such function", L"", L"peak_to_peak"}));
  EXPECT_EQ(io::kNoError, stats.DoDataExchange(block, false));
  DisplayHistogramAcrossTraceFamiliesParameters histogram = Histogram(1.25, Units::kGHz, 33);
  EXPECT_EQ(io::kNoError, histogram.DoDataExchange(block, false));
  EXPECT_EQ(io::kNoError, DisplayAllTraceFamiliesParameters().DoDataExchange(block, false));

  DisplayStatisticsOfTraceFamiliesParameters statsRead;
  EXPECT_EQ(io::kNoError, statsRead.DoDataExchange(block, true));
  EXPECT_EQ(stats.GetStatFunctionNames(), statsRead.GetStatFunctionNames());

  DisplayHistogramAcrossTraceFamiliesParameters histogramRead;
  EXPECT_EQ(io::kNoError, histogramRead.DoDataExchange(block, true));
  EXPECT_EQ(33u, histogramRead.GetNumberOfBins());
  EXPECT_EQ(1.25, histogramRead.GetValueToSampleAt().GetValue());
  EXPECT_EQ(Units::kGHz, histogramRead.GetValueToSampleAt().GetUnits());
  EXPECT_EQ(histogram.GetValueToSampleAt().GetValueText(), histogramRead.GetValueToSampleAt().GetValueText());

  EXPECT_EQ(io::kNoError, DisplayAllTraceFamiliesParameters().DoDataExchange(block, true));
}

TEST(FamiliesDisplayParameters, DamagedOrMissingKeysKeepWhatWasHeld) {
  const DisplayHistogramAcrossTraceFamiliesParameters held = Histogram(4.0, Units::kNs, 12);
  struct Case {
    const char* why;
    std::vector<io::CBlock_named_value> items;
    io::ReadError expected;
    double sampleAt;
    Units::FullUnitType units;
    unsigned bins;
  };
  auto nv = [](const wchar_t* k, const io::CBlock_value& v) { return io::CBlock_named_value(k, v); };
  const Case cases[] = {
      {"nothing", {}, 2, 4.0, Units::kNs, 12},
      {"bins only", {nv(L"NumBins", 5)}, 2, 4.0, Units::kNs, 5},
      {"sample value only",
       {nv(L"SampleAt", AString(L"3us")), nv(L"SampleAtUnits", Units::kUs), nv(L"NumBins", 6)}, 0, 3.0, Units::kUs, 6},
      {"text that does not parse",
       {nv(L"SampleAt", AString(L"3 apples")), nv(L"SampleAtUnits", Units::kUs), nv(L"NumBins", 6)}, 1, 4.0,
       Units::kNs, 6},
      {"units as text",
       {nv(L"SampleAt", AString(L"3")), nv(L"SampleAtUnits", AString(L"us")), nv(L"NumBins", 6)}, 1, 4.0, Units::kNs,
       6},
      {"negative bins", {nv(L"SampleAt", AString(L"3")), nv(L"SampleAtUnits", Units::kUs), nv(L"NumBins", -1)}, 1, 3.0,
       Units::kUs, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    io::CBlock b;
    for (const auto& item : c.items) b << item;
    DisplayHistogramAcrossTraceFamiliesParameters h = held;
    EXPECT_EQ(c.expected, h.DoDataExchange(b, true));
    EXPECT_DOUBLE_EQ(c.sampleAt, h.GetValueToSampleAt().GetValue());
    EXPECT_EQ(c.units, h.GetValueToSampleAt().GetUnits());
    EXPECT_EQ(c.bins, h.GetNumberOfBins());
  }

  DisplayStatisticsOfTraceFamiliesParameters stats;
  stats.SetStatFunctionNames(Names({L"sum"}));
  io::CBlock empty;
  EXPECT_EQ(2, stats.DoDataExchange(empty, true));
  io::CBlock damaged;
  io::CBlock_func f(ACHAR("StatFunctions"));
  f << AString(L"mean") << 3;
  damaged << f;
  EXPECT_EQ(1, stats.DoDataExchange(damaged, true));
  EXPECT_EQ(Names({L"sum"}), stats.GetStatFunctionNames());
}

TEST(FamiliesDisplayParameters, StatisticsListOnlyRangedReducingFunctionsThatTakeTheType) {
  Function::Register(std::make_unique<ComplexOnlyStatistic>(L"cstat"));
  DisplayStatisticsOfTraceFamiliesParameters stats;
  // "abs" is not ranged, "deriv" does not reduce, "nosuch" is unknown; case does not matter.
  stats.SetStatFunctionNames(Names({L"MAX", L"abs", L"deriv", L"nosuch", L"cstat", L"variance", L"mean"}));

  std::list<const Function*> functions{nullptr};
  EXPECT_EQ(3u, stats.GetStatFunctionsToDisplay(functions, val::kDoubleDatasetParam));
  ASSERT_EQ(4u, functions.size());
  functions.pop_front();  // the caller's own entry stays first
  std::vector<AString> listed;
  for (const Function* f : functions) listed.push_back(f->GetName());
  EXPECT_EQ(Names({L"max", L"variance", L"mean"}), listed);

  std::vector<AString> names{AString(L"kept")};
  stats.GetStatFunctionNamesToDisplay(names);
  EXPECT_EQ(Names({L"kept", L"max", L"variance", L"mean"}), names);

  std::list<const Function*> complexOnes;
  EXPECT_EQ(4u, stats.GetStatFunctionsToDisplay(complexOnes, val::kComplexDatasetParam));
  std::list<const Function*> numbers;
  EXPECT_EQ(0u, stats.GetStatFunctionsToDisplay(numbers, val::kDoubleParam));
}
