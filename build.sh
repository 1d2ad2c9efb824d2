#!/usr/bin/env bash
# Builds the engine and either runs the demo host, every test, or the fuzz targets.
#   ./build.sh demo            release build, then the demo host program (its files go to build/demo)
#   ./build.sh test            debug build with AddressSanitizer and UndefinedBehaviorSanitizer, then
#                              CTest; then compiles the benchmarks' sources without sanitizers; when
#                              clang is installed, also builds the fuzz targets and runs each a fixed
#                              number of times from its kept inputs
#   ./build.sh fuzz [seconds]  installs clang when missing, builds everything with clang and runs
#                              each fuzz target for the given seconds (60) from its kept inputs,
#                              REP_JOBS targets at a time
# A build prints its progress on one line; its whole log is printed only when it fails.
# REP_JOBS sets the parallel jobs (default: every core).
set -euo pipefail
cd "$(dirname "$0")"
what="${1:-demo}"

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
install() {
  echo "installing: $*"
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null
}

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
command -v ninja >/dev/null || need+=(ninja-build)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev libgmock-dev)
[ -f /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)
if [ "$what" = fuzz ] && ! command -v clang++ >/dev/null; then need+=(clang); fi
if [ ${#need[@]} -gt 0 ]; then install "${need[@]}"; fi

jobs=${REP_JOBS:-$(nproc)}

# quietly <log> <command...>: runs the command with its output in the log, showing only the last
# "[n/m]" progress line on a terminal; on failure prints the log and stops.
quietly() {
  local log=$1 line
  shift
  mkdir -p "$(dirname "$log")"
  if "$@" 2>&1 | tee "$log" | while IFS= read -r line; do
    if [ -t 1 ] && [[ $line =~ ^\[[0-9]+/[0-9]+\] ]]; then printf '\r\033[K%.70s' "$line"; fi
  done; then
    if [ -t 1 ]; then printf '\r\033[K'; fi
  else
    if [ -t 1 ]; then printf '\r\033[K'; fi
    cat "$log" >&2
    echo "failed: $* (log: $log)" >&2
    exit 1
  fi
}

# build <dir> <what> <cmake options...>: configures and builds <what> (a target, or all).
build() {
  local dir=$1 targets=$2
  shift 2
  echo "building $dir"
  quietly "$dir/configure.log" cmake -S . -B "$dir" -G Ninja "$@"
  if [ "$targets" = none ]; then
    return
  elif [ "$targets" = all ]; then
    quietly "$dir/build.log" cmake --build "$dir" -j "$jobs"
  else
    # shellcheck disable=SC2086
    quietly "$dir/build.log" cmake --build "$dir" -j "$jobs" --target $targets
  fi
}

# The object files of the benchmark programs, as build targets of build/bench.
bench_objects() { ninja -C build/bench -t targets all | sed -n 's|^\(bench/CMakeFiles/[^:]*\.o\): .*|\1|p'; }

# The fuzz targets, as the configure step of build/fuzz found them (fuzz/CMakeLists.txt).
fuzz_targets() { cat build/fuzz/fuzz/targets.txt; }

# run_fuzz <libFuzzer options...>: every fuzz target from its kept inputs, REP_JOBS of them side by
# side; what they find new goes to a scratch folder, never into fuzz/corpus.
run_fuzz() {
  local target scratch running=0 failed=0
  scratch=$(mktemp -d)
  mkdir -p build/fuzz/artifacts
  for target in $(fuzz_targets); do
    mkdir -p "$scratch/$target"
    (
      rc=0
      "build/fuzz/fuzz/$target" "$scratch/$target" "fuzz/corpus/$target" -seed=1 \
        -artifact_prefix=build/fuzz/artifacts/ "$@" >"build/fuzz/$target.log" 2>&1 || rc=$?
      echo "$rc" >"$scratch/$target.rc"
    ) &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
      wait -n
      running=$((running - 1))
    fi
  done
  wait
  for target in $(fuzz_targets); do
    printf '%-32s' "$target"
    if [ "$(cat "$scratch/$target.rc")" != 0 ]; then
      echo "FAILED"
      tail -n 40 "build/fuzz/$target.log" >&2
      failed=1
      continue
    fi
    grep -o 'Done [0-9]* runs in [0-9]* second(s)' "build/fuzz/$target.log" || echo "done"
  done
  rm -rf "$scratch"
  [ "$failed" -eq 0 ] || exit 1
}

fuzz_options=(-DCMAKE_CXX_COMPILER=clang++ -DREP_FUZZ=ON -DREP_BUILD_BENCH=OFF)

case "$what" in
  demo)
    build build/release "rep_demo rep" -DCMAKE_BUILD_TYPE=Release -DREP_SANITIZE=OFF
    ./build/release/examples/rep_demo "$PWD/build/release/source/librep.so" "$PWD/build/demo"
    ;;
  test)
    build build/asan all -DCMAKE_BUILD_TYPE=Debug -DREP_SANITIZE=ON -DREP_BUILD_BENCH=OFF
    (cd build/asan &&
      ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --output-on-failure -j "$jobs")
    # The benchmarks are never run here: their sources are compiled, unoptimised and without the
    # sanitizers, to prove that they still compile; bench/run_figures.sh builds and runs them.
    build build/bench none -DREP_SANITIZE=OFF -DREP_BUILD_BENCH=ON
    echo "compiling the benchmarks"
    # shellcheck disable=SC2046
    quietly build/bench/build.log cmake --build build/bench -j "$jobs" --target $(bench_objects)
    if command -v clang++ >/dev/null; then
      # The targets and the plug-in only: the tests were built above.
      build build/fuzz "rep_fuzz_targets rep" "${fuzz_options[@]}"
      echo "fuzzing each target briefly from its kept inputs"
      run_fuzz -runs=500
    else
      echo "clang++ is not installed: the fuzz targets are not built (./build.sh fuzz installs it)"
    fi
    ;;
  fuzz)
    build build/fuzz all "${fuzz_options[@]}"
    # Readers of files reach their slow paths only on long inputs, up to 1 MB.
    run_fuzz -max_total_time="${2:-60}" -max_len=1048576
    ;;
  *)
    echo "usage: $0 demo|test|fuzz [seconds]" >&2
    exit 2
    ;;
esac
