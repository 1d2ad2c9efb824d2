// Unique names over many existing names: one gather and one probe per try, never a scan per try.
#include <benchmark/benchmark.h>

#include <list>

#include "BenchMain.h"
#include "RatioReporter.h"
#include "orvex/core/I18n.h"
#include "orvex/core/LocalNameServer.h"
#include "orvex/core/VelmorNameServer.h"

namespace {

class ListNameServer : public VelmorNameServer {
public:
  explicit ListNameServer(std::list<AString> names) : m_names(std::move(names)) {}
  void GetNames(std::list<AString>& names) const override { names.insert(names.end(), m_names.begin(), m_names.end()); }

private:
  std::list<AString> m_names;
};

// "Report", "Report1", ... "Report<n-1>": the worst case, every try up to n clashes.
std::list<AString> Crowded(long n) {
  std::list<AString> names{L"Report"};
  for (long k = 1; k < n; ++k) names.push_back(L"Report" + i18n::MakeNumberString(k));
  return names;
}

void BM_GetUniqueNameGathered(benchmark::State& state) {
  ListNameServer server(Crowded(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(server.GetUniqueName(L"report", 1));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_GetUniqueNameGathered)->Range(16, 4096);

// A batch of names made unique one after the other, as a paste of many reports does.
void BM_LocalServerBatch(benchmark::State& state) {
  for (auto _ : state) {
    LocalNameServer server;
    for (long i = 0; i < state.range(0); ++i) server.AddName(server.GetUniqueName(L"Report", 1));
    benchmark::DoNotOptimize(server);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LocalServerBatch)->Range(16, 1024);

}  // namespace

int main(int argc, char** argv) {
  RatioReporter reporter;
  return RunBenchmarks(argc, argv, reporter);
}
