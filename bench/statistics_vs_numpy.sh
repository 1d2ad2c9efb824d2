#!/usr/bin/env bash
# Runs the family statistics benchmark and, on the same seeded families that it writes, numpy:
# np.interp per family then mean, std(ddof=1), min and max along the families; for the histogram
# the families interpolated at the sample x in one vectorised pass (checked against np.interp)
# then np.histogram with the engine's edges. Prints the times, checks
# that numpy finds the same values, and prints the ratios.
#   bench/statistics_vs_numpy.sh [path of FamilyStatisticsBench]
set -euo pipefail
cd "$(dirname "$0")/.."
bin="${1:-build/release/bench/FamilyStatisticsBench}"
. bench/common.sh

# The python3 first on PATH may lack numpy; the distribution's has it once python3-numpy is in.
python=""
for candidate in /usr/bin/python3 "$(command -v python3 || true)"; do
  if [ -n "$candidate" ] && "$candidate" -c 'import numpy' 2>/dev/null; then
    python="$candidate"
    break
  fi
done
if [ -z "$python" ]; then
  install_packages python3-numpy
  python=/usr/bin/python3
fi

# The seeded families (about 180 MB) go with the folder when the script ends.
REP_BENCH_DIR="$(bench_input_folder)"
export REP_BENCH_DIR
json="$(mktemp)"
trap 'rm -rf "$json" "$REP_BENCH_DIR"' EXIT
# Repetitions in random order, compared by their medians: a busy machine slows one run, not all.
"$bin" --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true \
  --benchmark_out_format=json --benchmark_out="$json"
"$python" - "$json" "$REP_BENCH_DIR" <<'PY'
import json, sys, time
import numpy as np

results = {b["run_name"].split("/")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]
           if b.get("aggregate_name") == "median"}
folder = sys.argv[2]
load = lambda name: np.fromfile(f"{folder}/{name}", dtype="<f8")

def median(f, runs=5):
    t = []
    for _ in range(runs):
        start = time.perf_counter()
        out = f()
        t.append(time.perf_counter() - start)
    return sorted(t)[runs // 2] * 1e3, out

def ms(name):
    b = results[name]
    assert b["time_unit"] == "ms", b["time_unit"]
    return b["real_time"]

# Statistics: 1 000 families x 10 000 points at the engine's 1 500 common x values.
x = load("rep_stats_families_x.f64").reshape(1000, -1)
y = load("rep_stats_families_y.f64").reshape(1000, -1)
xs = load("rep_stats_x.f64")
def statistics():
    rows = np.empty((x.shape[0], xs.size))
    for c in range(x.shape[0]):
        rows[c] = np.interp(xs, x[c], y[c])
    return np.concatenate([rows.mean(axis=0), rows.std(axis=0, ddof=1), rows.min(axis=0), rows.max(axis=0)])
numpy_stats, expected = median(statistics)
engine = load("rep_stats_engine.f64")
loop = load("rep_stats_loop.f64")
print(f"\nstatistics of 1000 families x 10000 points at {xs.size} x values:")
for name, label, values in (("BM_Statistics", "engine", engine), ("BM_StatisticsLoop", "tight loop", loop)):
    print(f"  {label:10s}  {ms(name):8.1f} ms   largest difference from numpy {np.abs(values - expected).max():.2e}")
print(f"  numpy       {numpy_stats:8.1f} ms")
print(f"  engine/loop = {ms('BM_Statistics') / ms('BM_StatisticsLoop'):.2f} (goal <= 2), "
      f"numpy/engine = {numpy_stats / ms('BM_Statistics'):.2f} (goal >= 1)")

# Histogram: 10 000 families x 100 points sampled at 40.25 into the engine's 10 bins.
hx = load("rep_hist_families_x.f64").reshape(10000, -1)
hy = load("rep_hist_families_y.f64").reshape(10000, -1)
edges = load("rep_hist_edges.f64")
at = 40.25
# Vectorised over the families: np.interp's own formula at each family's segment around `at`,
# its end values outside the family's x.
def samples():
    j = np.clip((hx <= at).sum(axis=1) - 1, 0, hx.shape[1] - 2)[:, None]
    x0, x1 = np.take_along_axis(hx, j, 1)[:, 0], np.take_along_axis(hx, j + 1, 1)[:, 0]
    y0, y1 = np.take_along_axis(hy, j, 1)[:, 0], np.take_along_axis(hy, j + 1, 1)[:, 0]
    inside = (y1 - y0) / (x1 - x0) * (at - x0) + y0
    return np.where(at <= hx[:, 0], hy[:, 0], np.where(at >= hx[:, -1], hy[:, -1], inside))
looped = np.array([np.interp(at, hx[c], hy[c]) for c in range(hx.shape[0])])
assert np.allclose(samples(), looped, rtol=1e-12, atol=0), "vectorised samples differ from np.interp"
numpy_hist, counts = median(lambda: np.histogram(samples(), bins=edges)[0])
# The engine counts samples beyond its end edges (the largest lies a rounding above the last
# edge) in the end bins; numpy drops them, so compare with them moved onto the edges.
clipped = np.histogram(np.clip(samples(), edges[0], edges[-1]), bins=edges)[0]
same = np.array_equal(clipped, load("rep_hist_counts.f64")[:-1].astype(clipped.dtype))
print(f"\nhistogram of 10000 families x 100 points, {edges.size - 1} bins:")
print(f"  engine      {ms('BM_Histogram'):8.2f} ms   counts {'the same as numpy' if same else 'DIFFER FROM NUMPY'}")
print(f"  numpy       {numpy_hist:8.2f} ms   (vectorised)")
print(f"  numpy/engine = {numpy_hist / ms('BM_Histogram'):.2f} (goal >= 1)")
PY
