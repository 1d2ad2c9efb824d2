// What the machine charges for the work that the figures depending on it share: a page touched
// for the first time, a system call, a page of a file taken by a write into the page cache, and a
// flush of written bytes to the disk. Printed before the figures, they tell why a ratio differs
// from one machine to another: a baseline that only copies pays mostly these, the engine's side
// pays them and its own work.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "BenchMain.h"
#include "PageFaults.h"

namespace {

const size_t kPage = 4096;
// As much memory as a project's tree takes (the first touches), and as much as the block text
// files of the figures (the flush).
const size_t kTouched = size_t(128) << 20;
const size_t kFlushed = size_t(20) << 20;
// Long enough for a virtual machine to hand freed memory back to its host.
const unsigned kRest = 4;

std::string TempFile() {
  return (std::filesystem::temp_directory_path() / ("machinebench" + std::to_string(getpid()))).string();
}

// Anonymous memory written one byte a page: every page costs one fault. With `huge`, the memory
// asks for 2 MiB pages (madvise), one fault each where transparent huge pages allow it. With
// `rested`, the machine has had seconds without the memory that the sample before freed: a virtual
// machine may have handed it back to its host by then, and takes it back page by page at its first
// use. Items are 4 KiB pages either way.
void PageFault(benchmark::State& state, bool huge, bool rested) {
  FaultCount faults(state);
  for (auto _ : state) {
    if (rested) {
      state.PauseTiming();
      sleep(kRest);
      state.ResumeTiming();
    }
    char* p = static_cast<char*>(mmap(nullptr, kTouched, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    if (p == MAP_FAILED) {
      state.SkipWithError("mmap failed");
      break;
    }
    if (huge) madvise(p, kTouched, MADV_HUGEPAGE);
    for (size_t i = 0; i < kTouched; i += kPage) p[i] = 1;
    benchmark::ClobberMemory();
    state.PauseTiming();
    munmap(p, kTouched);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(int64_t(state.iterations() * (kTouched / kPage)));
}

void BM_PageFault(benchmark::State& state) { PageFault(state, false, false); }
void BM_PageFaultRested(benchmark::State& state) { PageFault(state, false, true); }
void BM_HugePageFault(benchmark::State& state) { PageFault(state, true, false); }
void BM_HugePageFaultRested(benchmark::State& state) { PageFault(state, true, true); }

void BM_SystemCall(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(syscall(SYS_getppid));
  state.SetItemsProcessed(int64_t(state.iterations()));
}

// One write into a new file, not flushed: the kernel takes a page of its page cache for every
// 4 KiB, as a raw save's fwrite does before its flush. `rested` as for the page faults.
void PageCacheWrite(benchmark::State& state, bool rested) {
  const std::vector<char> bytes(kTouched, 'x');
  const std::string file = TempFile();
  for (auto _ : state) {
    state.PauseTiming();
    sync();
    if (rested) sleep(kRest);
    state.ResumeTiming();
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) state.SkipWithError("write failed");
    if (fd >= 0) close(fd);
    state.PauseTiming();
    unlink(file.c_str());
    state.ResumeTiming();
  }
  state.SetItemsProcessed(int64_t(state.iterations() * (kTouched / kPage)));
}

void BM_PageCacheWrite(benchmark::State& state) { PageCacheWrite(state, false); }
void BM_PageCacheWriteRested(benchmark::State& state) { PageCacheWrite(state, true); }

// The flush alone of 20 MB written just before it: what the disk takes per second.
void BM_DiskFlush(benchmark::State& state) {
  const std::vector<char> bytes(kFlushed, 'x');
  const std::string file = TempFile();
  for (auto _ : state) {
    state.PauseTiming();
    sync();
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool written = fd >= 0 && write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    state.ResumeTiming();
    if (!written || fsync(fd) != 0) state.SkipWithError("flush failed");
    state.PauseTiming();
    if (fd >= 0) close(fd);
    unlink(file.c_str());
    state.ResumeTiming();
  }
  state.SetBytesProcessed(int64_t(state.iterations() * kFlushed));
}

BENCHMARK(BM_PageFault)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(3);
BENCHMARK(BM_PageFaultRested)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_HugePageFault)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(3);
BENCHMARK(BM_HugePageFaultRested)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_SystemCall)->Repetitions(3);
BENCHMARK(BM_PageCacheWrite)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(3);
BENCHMARK(BM_PageCacheWriteRested)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_DiskFlush)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3);

// After the table, each cost in wall time: the median of the repetitions.
class MachineReporter : public BenchConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    BenchConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.error_occurred || r.run_type != Run::RT_Iteration) continue;
      const double items = WallRate(r, "items_per_second"), bytes = WallRate(r, "bytes_per_second");
      if (items > 0) m_usPerItem[r.run_name.function_name].push_back(1e6 / items);
      if (bytes > 0) m_mbPerSecond[r.run_name.function_name].push_back(bytes / 1e6);
    }
  }
  void Finalize() override {
    BenchConsoleReporter::Finalize();
    std::printf("\nthe machine's costs (medians, wall time):\n");
    Line(m_usPerItem, "BM_PageFault", "  page fault: %.2f us per 4 KiB page touched for the first time, memory just freed\n");
    Line(m_usPerItem, "BM_PageFaultRested", "  page fault: %.2f us per 4 KiB page touched for the first time, 4 s after the last\n");
    Line(m_usPerItem, "BM_HugePageFault", "  huge pages: %.2f us per 4 KiB of 2 MiB pages touched for the first time, memory just freed\n");
    Line(m_usPerItem, "BM_HugePageFaultRested", "  huge pages: %.2f us per 4 KiB of 2 MiB pages touched for the first time, 4 s after the last\n");
    Line(m_usPerItem, "BM_SystemCall", "  system call: %.2f us\n");
    Line(m_usPerItem, "BM_PageCacheWrite", "  page cache: %.2f us per 4 KiB page written to a new file, with pages just freed\n");
    Line(m_usPerItem, "BM_PageCacheWriteRested", "  page cache: %.2f us per 4 KiB page written to a new file, 4 s after the last\n");
    Line(m_mbPerSecond, "BM_DiskFlush", "  flush to the disk: %.0f MB/s\n");
  }

private:
  static void Line(std::map<std::string, std::vector<double>>& values, const char* name, const char* format) {
    const auto v = values.find(name);
    if (v != values.end() && !v->second.empty()) std::printf(format, MedianOf(v->second));
  }

  std::map<std::string, std::vector<double>> m_usPerItem;
  std::map<std::string, std::vector<double>> m_mbPerSecond;
};

}  // namespace

int main(int argc, char** argv) {
  MachineReporter reporter;
  return RunBenchmarks(argc, argv, reporter);
}
