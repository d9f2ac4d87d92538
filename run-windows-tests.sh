#!/usr/bin/env bash
# Runs the scenario tests, and their utf8. variants, against the Windows build:
# cross-compiles kansu.exe (build-windows.sh), builds the native test programs,
# and lets them start kansu.exe under Wine. Installs what a fresh machine
# lacks. The Wine prefix lives in $KANSU_WINE_PREFIX (default
# ~/.cache/kansu-wine) and is created once.
set -euo pipefail
cd "$(dirname "$0")"
# HOME and the state folder in a scratch folder; the Wine prefix, a cache, stays
# in the real HOME.
. scripts/scratch-home.sh
root=$(pwd)
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
. scripts/install-missing.sh
install_missing "$wine" wine64 "$wineserver" wine64 cmake cmake make make g++ g++ \
  /usr/include/gtest/gtest.h libgtest-dev

./build-windows.sh

# The test programs run natively; they share the plain build of run-tests.sh.
jobs=$(nproc 2>/dev/null || echo 2)
native=build-tests-plain
cmake -S . -B "$native" -DKANSU_SANITIZE=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
scenarios=()
for source in tests/scenarios/scenario_*.cpp; do scenarios+=("$(basename "$source" .cpp)"); done
cmake --build "$native" -j "$jobs" --target "${scenarios[@]}"

export WINEPREFIX=${KANSU_WINE_PREFIX:-${KANSU_REAL_HOME:-/tmp}/.cache/kansu-wine}
# Where kansu.exe keeps its recovery files under Wine (its local application
# data): each session's files go back into that session, so the folder must be
# as it was at the end.
wine_state="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/kansu"
wine_state_before=$(kansu_state_listing "$wine_state")
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
export WINESERVER=$wineserver
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== creating the Wine prefix $WINEPREFIX =="
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot --init >/dev/null 2>&1 || true
  "$wineserver" --wait
fi
# One Wine server for the whole run: each start of kansu.exe then takes ~0.1 s.
"$wineserver" --persistent=60
trap '"$wineserver" --kill || true; kansu_scratch_remove' EXIT

export KANSU_COMMAND="$wine '$root/build-windows/kansu.exe'"
export KANSU_WINDOWS=1
echo "== scenario tests against build-windows/kansu.exe under Wine =="
failed=()
# The tests of a program that failed run once more, each named: Wine now and
# then starts kansu.exe without a word of output on a loaded machine. A test
# that fails twice, or a program that ends without naming its failures, fails
# the run.
run_twice() {
  local log names
  log=$(mktemp)
  if "$@" --gtest_brief=1 | tee "$log"; then
    rm -f "$log"
    return 0
  fi
  names=$(sed -n 's/^\[  FAILED  \] \([^ ,]*\.[^ ,]*\).*/\1/p' "$log" | sort -u)
  rm -f "$log"
  [ -n "$names" ] || return 1
  for name in $names; do echo "== once more: $name =="; done
  "$@" --gtest_brief=1 --gtest_filter="$(tr '\n' ':' <<<"$names")"
}
for scenario in "${scenarios[@]}"; do
  run_twice "$native/$scenario" || failed+=("$scenario")
  # The utf8. variants: kansu.exe started with --utf8, the same UTF-8 expectations.
  KANSU_TEST_UTF8=1 run_twice "$native/$scenario" || failed+=("utf8.$scenario")
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "failed under Wine: ${failed[*]}" >&2
  exit 1
fi
if [ "$(kansu_state_listing "$wine_state")" != "$wine_state_before" ]; then
  echo "the scenario tests changed $wine_state" >&2
  exit 1
fi
echo "all scenario tests passed under Wine"

# The Windows zip of the same build: listed, and every file it must hold present.
./package.sh zip >/dev/null
version=$(sed -n 's/^project(kansu VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip=dist/kansu-$version-win64.zip
echo "== $zip =="
listing=$(cmake -E tar tf "$zip")
echo "$listing"
for file in kansu.exe README.md README.ja.md LICENSE CHANGELOG.md examples/functions.session \
            examples/curves.session; do
  if ! grep -qx "kansu-$version-win64/$file" <<<"$listing"; then
    echo "$zip lacks $file" >&2
    exit 1
  fi
done
