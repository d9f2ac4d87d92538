#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 20) from
# its seeds; exits non-zero on the first finding (a crash, a sanitizer report, a
# leak, a timeout). Findings are kept in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
# HOME and the state folder in a scratch folder: a target that saves or writes a
# recovery file never reaches the real ones.
. scripts/scratch-home.sh
root=$PWD  # the dialogue target works in a directory of its own: paths are absolute
seconds=${1:-20}
build=$root/build-fuzz
CXX=clang++ cmake -S . -B "$build" -DKANSU_FUZZ=ON -DKANSU_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target fuzz_formula fuzz_range fuzz_savefile fuzz_dialogue fuzz_report fuzz_compiled
mkdir -p "$build/findings"
for target in formula range savefile dialogue report compiled; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$build/findings/$target-")
  case $target in
    formula) options+=(-max_len=255 -dict="$root/fuzz/formula.dict") ;;
    range) options+=(-max_len=418 -dict="$root/fuzz/formula.dict") ;;
    compiled) options+=(-max_len=320 -dict="$root/fuzz/formula.dict") ;;
    savefile) options+=(-max_len=4096) ;;
    report) options+=(-max_len=8192) ;;
    # A run cut at the work budget unwinds past the calculation's own arrays:
    # those are left to the process, not reported.
    dialogue) options+=(-max_len=2048 -dict="$root/fuzz/formula.dict" -detect_leaks=0) ;;
  esac
  leaks=1
  [ "$target" = dialogue ] && leaks=0
  echo "== fuzz_$target, $seconds s =="
  ASAN_OPTIONS=detect_leaks=$leaks \
    "$build/fuzz/fuzz_$target" "${options[@]}" "$corpus" "$root/fuzz/seeds/$target"
done
kansu_check_real_state
