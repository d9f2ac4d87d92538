#!/usr/bin/env bash
# Builds the packages of kansu into dist/:
#   deb  kansu_<version>_amd64.deb   (release build in build-package, cpack -G DEB)
#   zip  kansu-<version>-win64.zip   (MinGW build of build-windows.sh, cpack -G ZIP)
# Usage: ./package.sh [deb] [zip]   (both when none is named)
# Installs what a fresh Debian machine lacks (dpkg-dev for the dependencies of
# the .deb; the cross compiler through build-windows.sh).
set -euo pipefail
cd "$(dirname "$0")"
kinds=("$@")
[ ${#kinds[@]} -gt 0 ] || kinds=(deb zip)
. scripts/install-missing.sh
mkdir -p dist
jobs=$(nproc 2>/dev/null || echo 2)

for kind in "${kinds[@]}"; do
  case "$kind" in
  deb)
    install_missing cmake cmake make make g++ g++ dpkg-shlibdeps dpkg-dev
    # Only what the package holds is built (no "all" before installing),
    # hardened as Debian builds are: fortified calls, stack protector,
    # position-independent, relocations read-only and bound at start.
    cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DKANSU_TESTS=OFF \
      -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
      -DCMAKE_CXX_FLAGS="-D_FORTIFY_SOURCE=2 -fstack-protector-strong" \
      -DCMAKE_POSITION_INDEPENDENT_CODE=ON \
      -DCMAKE_EXE_LINKER_FLAGS="-pie -Wl,-z,relro,-z,now" >/dev/null
    cmake --build build-package -j "$jobs" --target kansu kansu_install_files
    rm -rf build-package/packages
    (cd build-package && cpack -G DEB >/dev/null)
    cp build-package/packages/kansu_*_*.deb dist/
    ;;
  zip)
    ./build-windows.sh
    rm -rf build-windows/packages
    (cd build-windows && cpack -G ZIP >/dev/null)
    cp build-windows/packages/kansu-*-win64.zip dist/
    ;;
  *)
    echo "usage: $0 [deb] [zip]" >&2
    exit 2
    ;;
  esac
done
ls -l dist
