#!/usr/bin/env bash
# Builds the benchmarks behind the table of bench/README.md in a Release build without sanitizers
# and runs exactly those, one after another; everything printed also goes to
# build/release/figures.txt. Takes about a quarter of an hour; a busy machine spreads the figures.
#   bench/run_figures.sh
# REP_JOBS sets the parallel jobs of the build (default: every core).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build/release
bin=$dir/bench
jobs=${REP_JOBS:-$(nproc)}

echo "building the benchmarks in $dir"
mkdir -p "$dir"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DREP_SANITIZE=OFF -DREP_BUILD_BENCH=ON >"$dir/figures.configure.log" 2>&1 ||
  { cat "$dir/figures.configure.log" >&2; exit 1; }
cmake --build "$dir" -j "$jobs" --target BlockTextBench ConcreteTraceDataBench SimValueCacheFilesBench BlockReadBench \
  LinearGrowthBench CompositePopulationBench FamilyStatisticsBench TracesImportBench >"$dir/figures.build.log" 2>&1 ||
  { cat "$dir/figures.build.log" >&2; exit 1; }

run() {
  echo
  echo "== $*"
  "$@"
}

{
  run "$bin/BlockTextBench" --benchmark_filter='BM_BlockTextWrite|BM_RawFwriteText' --benchmark_repetitions=5
  run "$bin/ConcreteTraceDataBench" --benchmark_filter='BM_RawFileWriteRead|BM_StoredTraceFileWriteRead' \
    --benchmark_repetitions=3
  run "$bin/SimValueCacheFilesBench"
  run "$bin/BlockReadBench" --benchmark_filter='BM_Numbers|BM_ProjectFread|BM_ProjectRead' --benchmark_repetitions=3
  run "$bin/LinearGrowthBench" --benchmark_filter='BM_ReportsWrite'
  run "$bin/CompositePopulationBench" --benchmark_filter='BM_CompositeTrace|BM_ThreePlainTraces' --benchmark_repetitions=3
  run bench/statistics_vs_numpy.sh "$bin/FamilyStatisticsBench"
  run bench/import_vs_pandas.sh "$bin/TracesImportBench"
} 2>&1 | tee "$dir/figures.txt"
