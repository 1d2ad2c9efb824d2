#!/usr/bin/env bash
# Runs the population benchmark and, on the same data, numpy under the distribution's python3
# (the python3 first on PATH may lack numpy), then prints the three side by side.
#   bench/population_vs_numpy.sh [path of PopulationBench]
set -euo pipefail
cd "$(dirname "$0")/.."
bin="${1:-build/release/bench/PopulationBench}"
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
"$bin" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true --benchmark_out="$out" \
  --benchmark_out_format=json
# The OpenBLAS settings of this machine only slow numpy; its elementwise kernels do not use them.
env -u OPENBLAS_CORETYPE -u OPENBLAS_L2_SIZE /usr/bin/python3 bench/population_numpy.py "$out"
