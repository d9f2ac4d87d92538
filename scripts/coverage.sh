#!/usr/bin/env bash
# Line coverage of src/ by the whole test suite: a Debug build with --coverage
# in its own folder (no ccache: its .gcno files must match the objects), every
# test run in a scratch HOME, then gcovr's summary. Tests that limit the file
# size report failures here because the coverage data cannot be written under
# that limit; the lines they ran still count from the other tests.
# Usage: scripts/coverage.sh [BUILD_DIR]   (default: build-coverage)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-coverage}
. scripts/scratch-home.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER_LAUNCHER= \
  -DCMAKE_CXX_FLAGS="--coverage -O0" -DCMAKE_EXE_LINKER_FLAGS=--coverage >/dev/null
cmake --build "$build" -j"$(nproc)"
find "$build" -name '*.gcda' -delete
ctest --test-dir "$build" -j"$(nproc)" --timeout 600 >"$build/coverage-ctest.log" 2>&1 || true
gcovr -r . --filter 'src/' --object-directory "$build" --gcov-ignore-parse-errors -j"$(nproc)" \
  2>/dev/null | tail -3
