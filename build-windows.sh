#!/usr/bin/env bash
# Cross-compiles kansu.exe for 64-bit Windows (MinGW-w64, statically linked:
# no DLL needed beside it). Installs the cross compiler when it is missing.
# The exe ends up in build-windows/kansu.exe.
set -euo pipefail
cd "$(dirname "$0")"
compiler=x86_64-w64-mingw32-g++-posix
. scripts/install-missing.sh
install_missing cmake cmake make make "$compiler" g++-mingw-w64-x86-64-posix
dir=build-windows
cmake --no-warn-unused-cli -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKANSU_TESTS=OFF >/dev/null
cmake --build "$dir" -j "$(nproc 2>/dev/null || echo 2)" --target kansu
# A plain Windows has none of the MinGW runtime DLLs: refuse an exe that needs one.
if x86_64-w64-mingw32-objdump -p "$dir/kansu.exe" | grep -i 'DLL Name' |
   grep -iv -e 'KERNEL32.dll' -e 'msvcrt.dll' -e 'api-ms-win-' -e 'USER32.dll' -e 'ADVAPI32.dll'; then
  echo "kansu.exe depends on a DLL that Windows does not ship" >&2
  exit 1
fi
echo "built $dir/kansu.exe"
