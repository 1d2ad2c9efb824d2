#!/usr/bin/python3
"""20*log10(|S|) over the data of PopulationBench (100 curves x 10 000 points) with numpy, for
the side-by-side figure. Prints points per second; does nothing when numpy is missing."""
import sys
import time

try:
    import numpy as np
except ImportError:
    print("numpy not installed: skipped")
    sys.exit(0)

CURVES, POINTS = 100, 10000
x = np.arange(1.0, POINTS + 1.0) * 1e-3
major = np.arange(1.0, CURVES + 1.0)[:, None]
s = np.cos(x)[None, :] / major + 1j * np.sin(x)[None, :] * major

best = float("inf")
for _ in range(20):
    start = time.perf_counter()
    y = 20 * np.log10(np.abs(s))
    best = min(best, time.perf_counter() - start)
print(f"numpy 20*log10(abs(S)): {best * 1e3:.2f} ms, {CURVES * POINTS / best / 1e6:.1f}M points/s")
