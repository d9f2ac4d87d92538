#!/usr/bin/env bash
# Builds kansu and runs every test twice: a plain build, then a build under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
# HOME and the state folder in a scratch folder: no test reaches the real ones.
. scripts/scratch-home.sh
jobs=$(nproc 2>/dev/null || echo 2)
# The plain build uses the flags the calculator is built with; the sanitizer
# build is unoptimised, which compiles faster and keeps reports precise.
for variant in plain sanitize; do
  dir=build-tests-$variant
  flag=OFF
  type=RelWithDebInfo
  if [ "$variant" = sanitize ]; then flag=ON; type=Debug; fi
  echo "== $variant build =="
  cmake -S . -B "$dir" -DKANSU_SANITIZE=$flag -DCMAKE_BUILD_TYPE=$type >/dev/null
  cmake --build "$dir" -j "$jobs"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
done

# The reports on several threads once more, against kansu built with
# ThreadSanitizer: a race between the worker threads fails the run.
echo "== thread sanitizer =="
cmake -S . -B build-tests-tsan -DKANSU_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread >/dev/null
cmake --build build-tests-tsan -j "$jobs" --target kansu
KANSU_COMMAND="'$PWD/build-tests-tsan/kansu'" TSAN_OPTIONS=halt_on_error=1:exitcode=66 \
  build-tests-plain/scenario_threads --gtest_filter='*SameOnAnyNumber*'

# The same reports from a build for x86-64-v3, where a*b+c could be fused.
echo "== x86-64-v3 build =="
scripts/check-fma-build.sh build-tests-plain/kansu build-tests-v3

# No test may have touched the user's recovery files or line history.
kansu_check_real_state
