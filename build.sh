#!/usr/bin/env bash
# Builds the engine and either runs the demo host or every test.
#   ./build.sh demo   release build, then the demo host program
#   ./build.sh test   debug build with AddressSanitizer and UndefinedBehaviorSanitizer, then CTest
set -euo pipefail
cd "$(dirname "$0")"
what="${1:-demo}"

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
command -v ninja >/dev/null || need+=(ninja-build)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev libgmock-dev)
[ -f /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi

jobs=$(nproc)
case "$what" in
  demo)
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DREP_SANITIZE=OFF >/dev/null
    cmake --build build/release -j "$jobs" --target rep_demo rep
    ./build/release/examples/rep_demo "$PWD/build/release/source/librep.so"
    ;;
  test)
    cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DREP_SANITIZE=ON >/dev/null
    cmake --build build/asan -j "$jobs"
    cd build/asan
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      ctest --output-on-failure -j "$jobs"
    ;;
  *)
    echo "usage: $0 demo|test" >&2
    exit 2
    ;;
esac
