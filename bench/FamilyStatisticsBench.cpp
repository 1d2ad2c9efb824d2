// Statistics and histograms across trace families, beside a tight loop doing the same work.
//   BM_Statistics: mean, stddev, min and max of 1 000 families x 10 000 points at 1 500 common
//   x values, through the engine's postprocessor; BM_StatisticsLoop: the same curves resampled in
//   place with a forward walk and the four statistics in two passes (goal: engine within 2x).
//   BM_Histogram: 10 000 families x 100 points sampled at one x into 10 bins.
// The seeded families are written as raw little-endian doubles to $REP_BENCH_DIR (default /tmp),
// with the engine's common x values and histogram edges, for bench/statistics_vs_numpy.sh.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BenchMain.h"
#include "tracedata/ConcreteTraceData.h"
#include "reports/PointsetDefinition.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportManager.h"
#include "tracedata/TraceDataPostprocessor.h"
#include "reports/TraceDefinition.h"
#include "orvex/values/Interpolation.h"
#include "postorvex/columns/DoubleColumn.h"
#include "postorvex/families/DisplayHistogramAcrossTraceFamiliesParameters.h"
#include "postorvex/families/DisplayStatisticsOfTraceFamiliesParameters.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "refhost/ReferenceReportManagerOwner.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

const unsigned kStatFamilies = 1000, kStatPoints = 10000, kStatX = 1500;
const unsigned kHistFamilies = 10000, kHistPoints = 100, kBins = 10;
const double kSampleAt = 40.25;

std::string BenchFile(const char* name) {
  const char* dir = std::getenv("REP_BENCH_DIR");
  return std::string(dir ? dir : "/tmp") + "/" + name;
}

void WriteDoubles(const std::string& path, const std::vector<double>& values) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(values.data(), sizeof(double), values.size(), f);
  std::fclose(f);
}

// Families of one trace: ascending x with a random start and step per family (so their x values
// differ and every family must be resampled), y a noisy resonance; curves one after the other.
struct Families {
  Families(unsigned families, unsigned points, unsigned seed) : numFamilies(families), numPoints(points) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    x.reserve(size_t(families) * points);
    y.reserve(size_t(families) * points);
    for (unsigned c = 0; c < families; ++c) {
      const double start = unit(random), step = 0.01 * (1.0 + 0.01 * unit(random)), centre = 30 + 20 * unit(random);
      for (unsigned k = 0; k < points; ++k) {
        const double at = start + k * step * (10000.0 / points);
        x.push_back(at);
        y.push_back(-20.0 / (1.0 + (at - centre) * (at - centre)) + 0.1 * unit(random));
      }
    }
  }

  unsigned numFamilies, numPoints;
  std::vector<double> x, y;
};

// A report manager holding one trace, and its families as stored data of that trace.
class Setup {
public:
  explicit Setup(const Families& families) {
    m_solutions.AddSolution(10, L"Run1");
    m_solutions.SetDesignOfInstance(1, 100);
    m_owner.SetDesignInstanceID(1);
    m_owner.SetSolutionManager(&m_solutions);
    m_mgr = std::make_unique<rep::ReportManager>(&m_owner, true);
    const DesignSolutionDefinition dsd(100, 10, ReportTypeSolutionDefinition(1));
    rep::PointsetDefinition pointset;
    rep::TraceDefinition trace(*m_mgr, std::vector<AString>{L"F", L"dB(S11)"}, dsd, pointset, ExtTraceInfo(), 1,
                               nullptr);
    std::unique_ptr<rep::IReportDefinition> report = m_mgr->CreateReportDefinition({&trace}, L"Plot");
    const long reportID = m_mgr->AddReportDefinition(*report, nullptr);
    std::vector<long> ids;
    m_mgr->GetReportDefinition(reportID)->GetTraceIDs(ids);
    m_trace = m_mgr->FindTrace(ids.at(0));

    m_data = std::make_unique<rep::ConcreteTraceData>(*m_mgr, ids.at(0));
    auto* x = new DoubleColumn(Units::kGHz);
    auto* y = new DoubleColumn(Units::kDB);
    x->AppendValues(families.x);
    y->AppendValues(families.y);
    m_data->SetDataColumns({x, y});
    for (unsigned c = 0; c < families.numFamilies; ++c) m_data->SetCurveInfo(c, families.numPoints, AString());
  }

  std::unique_ptr<rep::ITraceData> Postprocess(const TraceFamiliesDisplayParameters& params) {
    m_trace->GetFamiliesDisplayDefinitionForEdit().SetFamiliesDisplayParams(params);
    rep::TraceDataPostprocessor postprocessor(m_data.get(), m_trace);
    return std::unique_ptr<rep::ITraceData>(postprocessor.CreatePostprocessedTraceData(nullptr));
  }

private:
  refhost::ReferenceReportManagerOwner m_owner;
  refhost::ReferenceSolutionManager m_solutions;
  std::unique_ptr<rep::ReportManager> m_mgr;
  rep::BaseTraceDefinition* m_trace = nullptr;  // owned by the manager
  std::unique_ptr<rep::ConcreteTraceData> m_data;
};

const Families& StatisticsFamilies() {
  static const Families families(kStatFamilies, kStatPoints, 15);
  return families;
}

const Families& HistogramFamilies() {
  static const Families families(kHistFamilies, kHistPoints, 16);
  return families;
}

DisplayStatisticsOfTraceFamiliesParameters StatisticsParams() {
  DisplayStatisticsOfTraceFamiliesParameters params;
  params.SetStatFunctionNames({L"mean", L"stddev", L"min", L"max"});
  return params;
}

DisplayHistogramAcrossTraceFamiliesParameters HistogramParams() {
  DisplayHistogramAcrossTraceFamiliesParameters params;
  params.SetValueToSampleAt(Value(kSampleAt, Units::kGHz));
  params.SetNumberOfBins(kBins);
  return params;
}

std::vector<double> Leading(const rep::ITraceData& data, unsigned dim, size_t count) {
  const std::vector<double>& v = data.GetDataColumn(dim)->GetDoubleColumn()->GetValues();
  return std::vector<double>(v.begin(), v.begin() + std::min(count, v.size()));
}

void BM_Statistics(benchmark::State& state) {
  Setup setup(StatisticsFamilies());
  const DisplayStatisticsOfTraceFamiliesParameters params = StatisticsParams();
  std::unique_ptr<rep::ITraceData> shown;
  for (auto _ : state) {
    shown = setup.Postprocess(params);
    benchmark::DoNotOptimize(shown.get());
  }
  if (!shown || shown->GetNumCurves() != 4) state.SkipWithError("no statistics made");
  if (shown) {
    WriteDoubles(BenchFile("rep_stats_x.f64"), Leading(*shown, 0, kStatX));
    WriteDoubles(BenchFile("rep_stats_engine.f64"), Leading(*shown, 1, 4 * kStatX));
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kStatFamilies) * kStatPoints);
}

// Resamples every family in place into its row, then mean, min and max in one pass and the sum
// of squared deviations in a second.
void BM_StatisticsLoop(benchmark::State& state) {
  const Families& families = StatisticsFamilies();
  const size_t n = families.numPoints;
  std::vector<double> xs(kStatX), rows(size_t(kStatFamilies) * kStatX), stats(4 * kStatX);
  for (auto _ : state) {
    double lo = -1e300, hi = 1e300;
    for (unsigned c = 0; c < kStatFamilies; ++c) {
      lo = std::max(lo, families.x[c * n]);
      hi = std::min(hi, families.x[c * n + n - 1]);
    }
    const long* linear = nullptr;
    core::interpolate_time_data_in_place(families.x.data(), families.y.data(), n, linear, 0, lo, hi, kStatX,
                                         xs.data(), rows.data());
    for (unsigned c = 1; c < kStatFamilies; ++c)
      core::interp_specified_time_in_place(families.x.data() + c * n, families.y.data() + c * n, n, linear, 0,
                                           xs.data(), kStatX, rows.data() + size_t(c) * kStatX);
    for (unsigned p = 0; p < kStatX; ++p) {
      double sum = 0, mn = rows[p], mx = rows[p];
      for (unsigned c = 0; c < kStatFamilies; ++c) {
        const double v = rows[size_t(c) * kStatX + p];
        sum += v;
        mn = std::min(mn, v);
        mx = std::max(mx, v);
      }
      const double mean = sum / kStatFamilies;
      double squares = 0;
      for (unsigned c = 0; c < kStatFamilies; ++c) {
        const double d = rows[size_t(c) * kStatX + p] - mean;
        squares += d * d;
      }
      stats[p] = mean;
      stats[kStatX + p] = std::sqrt(squares / (kStatFamilies - 1));
      stats[2 * kStatX + p] = mn;
      stats[3 * kStatX + p] = mx;
    }
    benchmark::DoNotOptimize(stats.data());
  }
  WriteDoubles(BenchFile("rep_stats_loop.f64"), stats);
  state.SetItemsProcessed(state.iterations() * int64_t(kStatFamilies) * kStatPoints);
}

void BM_Histogram(benchmark::State& state) {
  Setup setup(HistogramFamilies());
  const DisplayHistogramAcrossTraceFamiliesParameters params = HistogramParams();
  std::unique_ptr<rep::ITraceData> shown;
  for (auto _ : state) {
    shown = setup.Postprocess(params);
    benchmark::DoNotOptimize(shown.get());
  }
  if (!shown) state.SkipWithError("no histogram made");
  if (shown) {
    WriteDoubles(BenchFile("rep_hist_edges.f64"), Leading(*shown, 0, kBins + 1));
    WriteDoubles(BenchFile("rep_hist_counts.f64"), Leading(*shown, 1, kBins + 1));
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kHistFamilies) * kHistPoints);
}

// After the usual table: the engine beside its tight loop.
class RatioReporter : public BenchConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    BenchConsoleReporter::ReportRuns(runs);
    // The median of repetitions when there are any, else the one run; in ms.
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const std::string family = run.benchmark_name().substr(0, run.benchmark_name().find('/'));
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
        m_median[family] = run.GetAdjustedRealTime();
      else if (run.run_type == Run::RT_Iteration)
        m_single[family] = run.GetAdjustedRealTime();
    }
  }
  void Finalize() override {
    BenchConsoleReporter::Finalize();
    const std::map<std::string, double>& ms = m_median.empty() ? m_single : m_median;
    const auto engine = ms.find("BM_Statistics"), loop = ms.find("BM_StatisticsLoop");
    if (engine == ms.end() || loop == ms.end()) return;
    std::printf("\nstatistics: engine %.1f ms, tight loop %.1f ms, engine/loop = %.2f (goal <= 2)\n",
                engine->second, loop->second, engine->second / loop->second);
  }

private:
  std::map<std::string, double> m_median, m_single;
};

}  // namespace

int main(int argc, char** argv) {
  const Families& stats = StatisticsFamilies();
  const Families& hist = HistogramFamilies();
  WriteDoubles(BenchFile("rep_stats_families_x.f64"), stats.x);
  WriteDoubles(BenchFile("rep_stats_families_y.f64"), stats.y);
  WriteDoubles(BenchFile("rep_hist_families_x.f64"), hist.x);
  WriteDoubles(BenchFile("rep_hist_families_y.f64"), hist.y);
  benchmark::RegisterBenchmark("BM_Statistics", BM_Statistics)->Unit(benchmark::kMillisecond)->MinTime(1.0);
  benchmark::RegisterBenchmark("BM_StatisticsLoop", BM_StatisticsLoop)->Unit(benchmark::kMillisecond)->MinTime(1.0);
  benchmark::RegisterBenchmark("BM_Histogram", BM_Histogram)->Unit(benchmark::kMillisecond)->MinTime(1.0);
  RatioReporter reporter;
  return RunBenchmarks(argc, argv, reporter);
}
