#!/usr/bin/env bash
# Reports must not depend on the target a build is compiled for: kansu built
# with -march=x86-64-v3 (where GCC could fuse a*b+c into one FMA rounding)
# writes the same bytes as the default build, in all four modes, by machine
# code and by the run loop.
#
# usage: scripts/check-fma-build.sh DEFAULT_KANSU [BUILD_DIR]
# DEFAULT_KANSU is the kansu of the default build; the x86-64-v3 one is built
# in BUILD_DIR (default build-fma-check), with the tests off.
set -euo pipefail
cd "$(dirname "$0")/.."
default_kansu=$(realpath "${1:?usage: $0 DEFAULT_KANSU [BUILD_DIR]}")
dir=${2:-build-fma-check}
jobs=$(nproc 2>/dev/null || echo 2)

if ! echo 'int main() {}' | ${CXX:-c++} -march=x86-64-v3 -x c++ - -o /dev/null 2>/dev/null; then
  echo "fma check skipped: the compiler has no -march=x86-64-v3"
  exit 0
fi
cmake -S . -B "$dir" -DKANSU_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS=-march=x86-64-v3 >/dev/null
cmake --build "$dir" -j "$jobs" --target kansu >/dev/null
v3_kansu=$(realpath "$dir/kansu")

# x86-64-v3 needs AVX2 and FMA among others; a CPU without them cannot run it.
for feature in avx2 fma bmi2 movbe; do
  if ! grep -qw "$feature" /proc/cpuinfo 2>/dev/null; then
    echo "fma check: built $v3_kansu, not run: this CPU lacks $feature"
    exit 0
  fi
done

# One run of every mode, with points, constants and functions whose values
# are no exact binary fractions, and products summed where a fused step would
# round once instead of twice. The formulas hold no user function that calls
# itself, so the explicit ones run as machine code where machine code is made.
session='-1
EnrUsrfunc
1
lin
2
a0*0.1+a1*(1/3)
-1
EnrUsrfunc
1
wave
1
sin(a0*2.718281828)*a0-7.3e-5*a0*a0+0.3
1
x*0.1+1/3-x*x*2.718281828+lin(x,x*7.3e-5)+sigma[n(1,7),x*n*0.1-n/3]
x(-0.7,2.9)[37]
explicit.txt
1
(1e15+0.3)*x-x*1e15+wave(x)*x-exp(x*0.1)*ln(x+1/3)
x(0.1,3.3)[29]
explicit.txt
2
x*x*0.1+y*y/3-2.718281828*x*y+7.3e-5
x(-1.1,1.3)[13]
y(-0.9,1.7)[11]
implicit.txt
3
wave(t)+t*0.1+cos(t*1/3)*2.718281828
t(0.1,6.3)[41]
polar.txt
4
t*t*0.1-t/3+lin(t,0.7)
sin(t*0.3)*t*2.718281828+t*7.3e-5
t(-3.1,2.9)[43]
parametric.txt
0
2
'

# Runs kansu ($1) with the session in an empty directory ($2).
run() {
  mkdir -p "$2"
  (cd "$2" && printf '%s' "$session" | HOME="$PWD" "$1" --utf8 --digits 17 --threads 1 >stdout 2>stderr)
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for machine_code in 1 0; do
  KANSU_MACHINE_CODE=$machine_code run "$default_kansu" "$work/default-$machine_code"
  KANSU_MACHINE_CODE=$machine_code run "$v3_kansu" "$work/v3-$machine_code"
  for file in stdout stderr explicit.txt implicit.txt polar.txt parametric.txt; do
    if [ ! -s "$work/default-$machine_code/$file" ] && [ "$file" != stderr ]; then
      echo "fma check: the default build wrote no $file (KANSU_MACHINE_CODE=$machine_code)" >&2
      status=1
    elif ! cmp "$work/default-$machine_code/$file" "$work/v3-$machine_code/$file"; then
      echo "fma check: $file differs (KANSU_MACHINE_CODE=$machine_code)" >&2
      status=1
    fi
  done
done
[ $status -eq 0 ] && echo "fma check: the x86-64-v3 build writes the default build's bytes"
exit $status
