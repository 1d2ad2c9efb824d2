#!/usr/bin/python3
"""20*log10(|S|) over the data of PopulationBench (100 curves x 10 000 points) with numpy, printed
beside the medians of the benchmark's JSON output (its first argument) when given. Without numpy
only the benchmark's figures are printed."""
import json
import sys
import time

CURVES, POINTS = 100, 10000


def numpy_seconds():
    try:
        import numpy as np
    except ImportError:
        return None
    x = np.arange(1.0, POINTS + 1.0) * 1e-3
    major = np.arange(1.0, CURVES + 1.0)[:, None]
    s = np.cos(x)[None, :] / major + 1j * np.sin(x)[None, :] * major
    best = float("inf")
    for _ in range(20):
        start = time.perf_counter()
        y = 20 * np.log10(np.abs(s))
        best = min(best, time.perf_counter() - start)
    assert y.shape == (CURVES, POINTS)
    return best


def bench_medians(path):
    """Median real time per iteration, in seconds, of each benchmark in the JSON output."""
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    return {r["run_name"]: r["real_time"] * scale[r["time_unit"]]
            for r in runs if r.get("aggregate_name") == "median"}


def main():
    rows = []
    if len(sys.argv) > 1:
        medians = bench_medians(sys.argv[1])
        for name, label in (("BM_Population", "population (engine)"), ("BM_TightLoopBaseline", "tight C++ loop")):
            if name in medians:
                rows.append((label, medians[name]))
    best = numpy_seconds()
    if best is None:
        print("numpy not installed: skipped")
    else:
        rows.append(("numpy 20*log10(abs(S))", best))
    if not rows:
        return
    tight = dict(rows).get("tight C++ loop")
    print(f"\n{'':24} {'ms':>8} {'M points/s':>11} {'x tight loop':>13}")
    for label, seconds in rows:
        ratio = f"{seconds / tight:13.2f}" if tight else f"{'':>13}"
        print(f"{label:24} {seconds * 1e3:8.2f} {CURVES * POINTS / seconds / 1e6:11.1f} {ratio}")


if __name__ == "__main__":
    main()
