// Import of generated data files through the whole road (ReportDefinition::ImportTracesFromFile),
// against a bare std::from_chars pass over the same bytes, the ceiling. Files of 1 M rows of 4
// full-precision doubles (about 78 MB), read from the page cache; bytes are the file's bytes.
// Also the import of many y columns of one name, per trace, to show naming stays linear, and of
// long hostile "txt" lines beside plain ones of the same length.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "BaselineRatioReporter.h"
#include "BenchMain.h"
#include "PageFaults.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportManager.h"
#include "orvex/core/MessageLog.h"

namespace {

const size_t kRows = 1000000;

// Kept under a fixed name so that the comparison script reads the same file.
std::string BenchFile(const char* ext) {
  const char* dir = std::getenv("REP_BENCH_DIR");
  return std::string(dir ? dir : P_tmpdir) + "/rep_import_bench." + ext;
}

const std::string& MakeFile(const char* ext) {
  static std::string paths[2];
  std::string& path = paths[ext[0] == 'c' ? 0 : 1];
  if (!path.empty()) return path;
  path = BenchFile(ext);
  const bool csv = ext[0] == 'c';
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!csv) out << "generated\n\n\n\n\n";
  out << (csv ? "Freq [GHz],A [dB],B [dB],C\n" : "Freq [GHz] A [dB] B [dB] C\n");
  if (!csv) out << "--\n";
  const char sep = csv ? ',' : ' ';
  char buf[32];
  for (size_t i = 0; i < kRows; ++i) {
    const double x = 1.0 + 1e-6 * double(i);
    const double v[4] = {x, std::sin(x * 7.1) * 1e3 / 7.0, std::cos(x * 3.3) / 3.0, -std::exp(-x) * 1e-5};
    for (int c = 0; c < 4; ++c) {
      const auto r = std::to_chars(buf, buf + sizeof buf, v[c]);
      out.write(buf, r.ptr - buf);
      out.put(c == 3 ? '\n' : sep);
    }
  }
  return path;
}

std::string ReadAll(const std::string& path) {
  std::string bytes;
  if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
    std::fseek(in, 0, SEEK_END);
    bytes.resize(static_cast<size_t>(std::ftell(in)));
    std::fseek(in, 0, SEEK_SET);
    bytes.resize(std::fread(&bytes[0], 1, bytes.size(), in));
    std::fclose(in);
  }
  return bytes;
}

void Import(benchmark::State& state, const char* ext) {
  const std::string& path = MakeFile(ext);
  const int64_t bytes = static_cast<int64_t>(ReadAll(path).size());
  FaultCount faults(state);
  for (auto _ : state) {
    rep::ReportManager mgr(nullptr, true);
    std::unique_ptr<rep::IReportDefinition> created = mgr.CreateReportDefinition({}, L"Bench");
    auto* report = dynamic_cast<rep::ReportDefinition*>(mgr.GetReportDefinition(mgr.AddReportDefinition(*created, nullptr)));
    if (!report->ImportTracesFromFile(AString::FromUtf8(path), nullptr, 1) || report->GetTraces().size() != 3)
      state.SkipWithError("import failed");
  }
  state.SetBytesProcessed(state.iterations() * bytes);
}

// Every number of the file through from_chars, cut at the separators: what no importer can beat.
void FromCharsPass(benchmark::State& state, const char* ext) {
  const std::string& path = MakeFile(ext);
  int64_t bytes = 0;
  for (auto _ : state) {
    const std::string text = ReadAll(path);
    bytes = static_cast<int64_t>(text.size());
    const char* p = text.data();
    const char* const end = p + text.size();
    double sum = 0;
    while (p < end) {
      const char* e = p;
      while (e < end && *e != ',' && *e != ' ' && *e != '\n') ++e;
      double v = 0;
      if (std::from_chars(p, e, v).ec == std::errc()) sum += v;
      p = e + 1;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(state.iterations() * bytes);
}

void BM_ImportCsv(benchmark::State& state) { Import(state, "csv"); }
void BM_ImportTxt(benchmark::State& state) { Import(state, "txt"); }
void BM_FromCharsCsv(benchmark::State& state) { FromCharsPass(state, "csv"); }
void BM_FromCharsTxt(benchmark::State& state) { FromCharsPass(state, "txt"); }

// y columns all named "S": per trace, 2 000 must cost about what 200 do.
void BM_ImportColumnsOfOneName(benchmark::State& state) {
  const int columns = static_cast<int>(state.range(0));
  const std::string path = std::string(P_tmpdir) + "/rep_import_names" + std::to_string(getpid()) + ".csv";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "T [s]";
    for (int c = 0; c < columns; ++c) out << ",S []";
    out << "\n";
    for (int r = 0; r < 10; ++r) {
      out << r;
      for (int c = 0; c < columns; ++c) out << "," << (r + c);
      out << "\n";
    }
  }
  for (auto _ : state) {
    rep::ReportManager mgr(nullptr, true);
    std::unique_ptr<rep::IReportDefinition> created = mgr.CreateReportDefinition({}, L"Bench");
    auto* report = dynamic_cast<rep::ReportDefinition*>(mgr.GetReportDefinition(mgr.AddReportDefinition(*created, nullptr)));
    report->ImportTracesFromFile(AString::FromUtf8(path), nullptr, 1);
  }
  std::remove(path.c_str());
  state.SetItemsProcessed(state.iterations() * columns);
}

// "txt" files whose one long line (1 MB) is cut and then refused: a plain data line, a data line
// of signs before spaces without any "i" to close them, and a header of "[" without "]"; each
// shape also with a non-ASCII character, which sends the data line down the wide path.
const size_t kLongLine = size_t(1) << 20;

std::string LongLineFile(const std::string& shape) {
  const bool header = shape.find("header") != std::string::npos;
  const bool wide = shape.find("wide") != std::string::npos;
  std::string bytes = "generated\n\n\n\n\n";
  if (!header) bytes += "T A\n--\n";
  std::string line = wide ? "\xC3\xA9" : "";
  const char* unit = shape.find("signs") != std::string::npos ? "+ " : shape.find("brackets") != std::string::npos ? "[ " : header ? "a " : "1 ";
  while (line.size() < kLongLine) line += unit;
  bytes += line + "\n";
  const std::string path = std::string(P_tmpdir) + "/rep_import_line_" + shape + std::to_string(getpid()) + ".txt";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

void ImportLongLine(benchmark::State& state, const std::string& shape) {
  const std::string path = LongLineFile(shape);
  for (auto _ : state) {
    rep::ReportManager mgr(nullptr, true);
    std::unique_ptr<rep::IReportDefinition> created = mgr.CreateReportDefinition({}, L"Bench");
    auto* report = dynamic_cast<rep::ReportDefinition*>(mgr.GetReportDefinition(mgr.AddReportDefinition(*created, nullptr)));
    if (report->ImportTracesFromFile(AString::FromUtf8(path), nullptr, 1)) state.SkipWithError("the line was taken");
    orvex::test::Messages().Clear();
  }
  std::remove(path.c_str());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kLongLine));
}

void BM_TxtLine(benchmark::State& state, const char* shape) { ImportLongLine(state, shape); }

}  // namespace

BENCHMARK_CAPTURE(BM_TxtLine, plain, "plain")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TxtLine, signs, "signs")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TxtLine, wide_plain, "wide_plain")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TxtLine, wide_signs, "wide_signs")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TxtLine, header_plain, "header_plain")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TxtLine, header_brackets, "header_brackets")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FromCharsCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportTxt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FromCharsTxt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportColumnsOfOneName)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  BaselineRatioReporter reporter({
      {"BM_ImportCsv", "BM_FromCharsCsv", "csv import in %.2f times from_chars over the same bytes\n"},
      {"BM_ImportTxt", "BM_FromCharsTxt", "txt import in %.2f times from_chars over the same bytes\n"},
      {"BM_ImportColumnsOfOneName/2000", "BM_ImportColumnsOfOneName/200",
       "time per column at 2 000 columns of one name: %.2f times that at 200 (linear: near 1)\n", 0.1},
      {"BM_TxtLine/signs", "BM_TxtLine/plain", "txt data line of signs without an i: %.2f times a plain line (linear: within 2)\n"},
      {"BM_TxtLine/wide_signs", "BM_TxtLine/wide_plain",
       "non-ASCII txt data line of signs: %.2f times a plain non-ASCII line (linear: within 2)\n"},
      {"BM_TxtLine/header_brackets", "BM_TxtLine/header_plain",
       "txt header of [ without ]: %.2f times a header of plain names (linear: within 2)\n"},
  });
  return RunBenchmarks(argc, argv, reporter);
}
