#!/usr/bin/env bash
# Builds the benchmarks behind the table of bench/README.md in a Release build without sanitizers
# and runs those rows one after another, after the machine's costs (MachineBench); everything
# printed also goes to build/release/figures.txt, with how long the rows took: once built, about 5
# minutes on an idle 8-core machine (MachineBench about one of them), 7 on one busy with other
# builds, which also spreads the figures.
#   bench/run_figures.sh [row...]
# Rows: blocktext tracedata cache blockread growth traces naming composite statistics import (default: all).
# REP_JOBS sets the parallel jobs of the build (default: every core).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build/release
bin=$dir/bench
jobs=${REP_JOBS:-$(nproc)}
all=(blocktext tracedata cache blockread growth traces naming composite statistics import)
rows=("$@")
[ ${#rows[@]} -gt 0 ] || rows=("${all[@]}")
for row in "${rows[@]}"; do
  [[ " ${all[*]} " == *" $row "* ]] || { echo "unknown row: $row (rows: ${all[*]})" >&2; exit 2; }
done

echo "building the benchmarks in $dir"
mkdir -p "$dir"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DREP_SANITIZE=OFF -DREP_BUILD_BENCH=ON >"$dir/figures.configure.log" 2>&1 ||
  { cat "$dir/figures.configure.log" >&2; exit 1; }
cmake --build "$dir" -j "$jobs" --target BlockTextBench ConcreteTraceDataBench SimValueCacheFilesBench BlockReadBench \
  LinearGrowthBench TracesByIDBench TraceNamingBench CompositePopulationBench FamilyStatisticsBench TracesImportBench >"$dir/figures.build.log" 2>&1 ||
  { cat "$dir/figures.build.log" >&2; exit 1; }
cmake --build "$dir" -j "$jobs" --target MachineBench >>"$dir/figures.build.log" 2>&1 || { cat "$dir/figures.build.log" >&2; exit 1; }

run() {
  echo
  echo "== $*"
  echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
  "$@"
}

# What the figures that first touch memory or wait for the disk depend on, and what the machine
# charges for a page fault, a system call, the page cache and a flush.
machine() {
  echo "$(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'); cores $(nproc)"
  echo "page size $(getconf PAGESIZE); transparent huge pages: $(cat /sys/kernel/mm/transparent_hugepage/enabled 2>/dev/null || echo none)"
  echo "dirty pages written back from $(cat /proc/sys/vm/dirty_background_ratio)% of memory, writers held at $(cat /proc/sys/vm/dirty_ratio)%"
  echo "temporary files on: $(df -T "${TMPDIR:-/tmp}" | awk 'NR == 2 { print $1, $2 }')"
  run "$bin/MachineBench"
}

row() {
  case $1 in
    blocktext) run "$bin/BlockTextBench" --benchmark_filter='BM_BlockTextWrite|BM_RawFwriteText' --benchmark_repetitions=5 ;;
    tracedata) run "$bin/ConcreteTraceDataBench" --benchmark_filter='BM_RawFileWriteRead|BM_StoredTraceFileWriteRead' \
      --benchmark_repetitions=5 ;;
    cache) run "$bin/SimValueCacheFilesBench" ;;
    blockread) run "$bin/BlockReadBench" --benchmark_filter='BM_Numbers|BM_ProjectFread|BM_ProjectRead' --benchmark_repetitions=3 ;;
    growth) run "$bin/LinearGrowthBench" --benchmark_filter='BM_ReportsWrite' ;;
    traces) run "$bin/TracesByIDBench" ;;
    naming) run "$bin/TraceNamingBench" ;;
    composite) run "$bin/CompositePopulationBench" --benchmark_filter='BM_CompositeTrace|BM_ThreePlainTraces' \
      --benchmark_repetitions=3 ;;
    statistics) run bench/statistics_vs_numpy.sh "$bin/FamilyStatisticsBench" ;;
    import) run bench/import_vs_pandas.sh "$bin/TracesImportBench" ;;
  esac
}

{
  start=$SECONDS
  machine
  for r in "${rows[@]}"; do row "$r"; done
  echo
  echo "load at the end: $(cut -d' ' -f1-3 /proc/loadavg); the rows took $((SECONDS - start)) s"
} 2>&1 | tee "$dir/figures.txt"
