// Block text against raw binary I/O: 100 columns of 10 000 doubles, written and read.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "orvex/io/BlockFile.h"
#include "orvex/io/TokenStream.h"

namespace {

constexpr int kColumns = 100;
constexpr int kRows = 10000;
constexpr int64_t kDoubles = int64_t(kColumns) * kRows;

std::vector<double> MakeDoubles() {
  std::vector<double> v(static_cast<size_t>(kDoubles));
  for (size_t i = 0; i < v.size(); ++i) v[i] = std::sin(double(i) * 0.001) * 1e3 / (1.0 + double(i % 97));
  return v;
}

// Laid out as the column writer lays out a double column.
io::CBlock MakeBlock(const std::vector<double>& values) {
  io::CBlock top(L"Cache");
  for (int c = 0; c < kColumns; ++c) {
    io::CBlock col(L"ValuesCol");
    col << io::CBlock_named_value(L"ColumnType", 4) << io::CBlock_named_value(L"ColumnCount", unsigned(kRows));
    io::CBlock_func f(L"Values");
    f.reserve(kRows);
    for (int r = 0; r < kRows; ++r) f << values[size_t(c) * kRows + r];
    col << std::move(f);
    top << std::move(col);
  }
  return top;
}

struct Data {
  std::vector<double> values = MakeDoubles();
  io::CBlock block = MakeBlock(values);
  std::string dir;
  Data() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "blockbench-XXXXXX").string();
    dir = mkdtemp(tmpl.data()) ? tmpl : std::string("/tmp");
  }
  ~Data() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  LongFileName TextFile() const { return LongFileName(AString::FromUtf8(dir + "/cache.blk")); }
  std::string RawFile() const { return dir + "/cache.bin"; }
};

Data& Shared() {
  static Data d;
  return d;
}

void SetCounts(benchmark::State& state, int64_t bytes) {
  state.SetBytesProcessed(state.iterations() * bytes);
  state.SetItemsProcessed(state.iterations() * kDoubles);
}

void BM_BlockTextWriteFile(benchmark::State& state) {
  Data& d = Shared();
  for (auto _ : state) {
    if (io::WriteBlockFile(d.TextFile(), d.block) != io::kNoError) state.SkipWithError("write failed");
  }
  SetCounts(state, int64_t(std::filesystem::file_size(d.TextFile().ToNarrow())));
}

void BM_BlockTextReadFile(benchmark::State& state) {
  Data& d = Shared();
  io::WriteBlockFile(d.TextFile(), d.block);
  for (auto _ : state) {
    io::CBlock read;
    if (io::ReadBlockFile(d.TextFile(), read) != io::kNoError) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(read);
  }
  SetCounts(state, int64_t(std::filesystem::file_size(d.TextFile().ToNarrow())));
}

void BM_BlockTextWriteMemory(benchmark::State& state) {
  Data& d = Shared();
  size_t bytes = 0;
  for (auto _ : state) {
    io::CStringToken_ostream out;
    out << d.block;
    bytes = out.Utf8().size();
    benchmark::DoNotOptimize(out.Utf8().data());
  }
  SetCounts(state, int64_t(bytes));
}

void BM_BlockTextReadMemory(benchmark::State& state) {
  Data& d = Shared();
  io::CStringToken_ostream out;
  out << d.block;
  const std::string& text = out.Utf8();
  for (auto _ : state) {
    io::CStringToken_istream in(text.data(), text.size());
    io::CBlock read;
    in >> read;
    if (in.Fail()) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(read);
  }
  SetCounts(state, int64_t(text.size()));
}

void BM_RawFwrite(benchmark::State& state) {
  Data& d = Shared();
  for (auto _ : state) {
    std::FILE* f = std::fopen(d.RawFile().c_str(), "wb");
    if (!f || std::fwrite(d.values.data(), sizeof(double), d.values.size(), f) != d.values.size())
      state.SkipWithError("fwrite failed");
    if (f) std::fclose(f);
  }
  SetCounts(state, kDoubles * int64_t(sizeof(double)));
}

void BM_RawFread(benchmark::State& state) {
  Data& d = Shared();
  {
    std::FILE* f = std::fopen(d.RawFile().c_str(), "wb");
    if (f) {
      std::fwrite(d.values.data(), sizeof(double), d.values.size(), f);
      std::fclose(f);
    }
  }
  std::vector<double> back(d.values.size());
  for (auto _ : state) {
    std::FILE* f = std::fopen(d.RawFile().c_str(), "rb");
    if (!f || std::fread(back.data(), sizeof(double), back.size(), f) != back.size()) state.SkipWithError("fread failed");
    if (f) std::fclose(f);
    benchmark::DoNotOptimize(back.data());
  }
  SetCounts(state, kDoubles * int64_t(sizeof(double)));
}

}  // namespace

BENCHMARK(BM_BlockTextWriteFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlockTextReadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlockTextWriteMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlockTextReadMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawFwrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawFread)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
