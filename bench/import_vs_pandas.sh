#!/usr/bin/env bash
# Runs the importer benchmark and, on the same generated csv file, pandas.read_csv (default and
# exact "round_trip" mode) and numpy.loadtxt under the distribution's python3; prints the ratios.
# Installs python3-pandas and python3-numpy when missing; the generated file is removed at the end.
#   bench/import_vs_pandas.sh [path of TracesImportBench]
set -euo pipefail
cd "$(dirname "$0")/.."
bin="${1:-build/release/bench/TracesImportBench}"
. bench/common.sh
need=()
/usr/bin/python3 -c 'import pandas' 2>/dev/null || need+=(python3-pandas)
/usr/bin/python3 -c 'import numpy' 2>/dev/null || need+=(python3-numpy)
[ ${#need[@]} -eq 0 ] || install_packages "${need[@]}"
# The generated csv file (73 MB) goes with the folder when the script ends.
REP_BENCH_DIR="$(bench_input_folder)"
export REP_BENCH_DIR
json="$(mktemp)"
trap 'rm -rf "$json" "$REP_BENCH_DIR"' EXIT
"$bin" --benchmark_filter='BM_(ImportCsv|FromCharsCsv)$' --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true --benchmark_out_format=json --benchmark_out="$json"
/usr/bin/python3 - "$json" "$REP_BENCH_DIR/rep_import_bench.csv" <<'PY'
import json, os, resource, sys, time
import numpy as np
import pandas as pd

results = {b["run_name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"] if b.get("aggregate_name") == "median"}
path = sys.argv[2]
mb = os.path.getsize(path) / 1e6

# The median of three runs, as the engine's figure is the median of its three repetitions, and the
# page faults of one run: on a machine where a fault costs much, the side that touches more fresh
# memory per byte loses the most.
def median_run(f, runs=3):
    t, faults = [], []
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_SELF).ru_minflt
        start = time.perf_counter()
        f()
        t.append(time.perf_counter() - start)
        faults.append(resource.getrusage(resource.RUSAGE_SELF).ru_minflt - before)
    return sorted(t)[len(t) // 2], sorted(faults)[len(faults) // 2]

# Wall time on every side: Google Benchmark's rates are per CPU second, Python's clock is the wall's.
def wall_rate(name):
    b = results[name]
    return b["bytes_per_second"] * b["cpu_time"] / b["real_time"] / 1e6
engine = wall_rate("BM_ImportCsv")
ceiling = wall_rate("BM_FromCharsCsv")
# pandas' C parser, its default, named so that every version runs the same one.
jobs = {
    "pandas.read_csv": lambda: pd.read_csv(path, engine="c"),
    "pandas.read_csv round_trip": lambda: pd.read_csv(path, engine="c", float_precision="round_trip"),
    "numpy.loadtxt": lambda: np.loadtxt(path, delimiter=",", skiprows=1),
}
print(f"file: {mb:.1f} MB; pandas {pd.__version__} (parser engine c), numpy {np.__version__}")
print(f"engine import:        {engine:8.1f} MB/s   page faults per MB {results['BM_ImportCsv'].get('faults', 0) / mb:.0f}")
print(f"from_chars pass:      {ceiling:8.1f} MB/s   engine/from_chars = {engine / ceiling:.2f} (goal >= 0.25)")
for name, job in jobs.items():
    seconds, faults = median_run(job, 1 if "loadtxt" in name else 3)
    speed = mb / seconds
    goal = "  (goal >= 2)" if "round_trip" in name else ""
    print(f"{name:28s}{speed:8.1f} MB/s   engine/{name} = {engine / speed:.2f}{goal}   page faults per MB {faults / mb:.0f}")
PY
