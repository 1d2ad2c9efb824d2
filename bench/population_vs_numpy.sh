#!/usr/bin/env bash
# Runs the population benchmark and, on the same data, numpy under the distribution's python3
# (the python3 first on PATH may lack numpy).
#   bench/population_vs_numpy.sh [path of PopulationBench]
set -euo pipefail
cd "$(dirname "$0")/.."
bin="${1:-build/release/bench/PopulationBench}"
"$bin" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
/usr/bin/python3 bench/population_numpy.py
