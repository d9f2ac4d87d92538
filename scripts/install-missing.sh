# Sourced by the build and test scripts (not run on its own).
#
# install_missing WHAT PACKAGE [WHAT PACKAGE ...]
# Installs, in one apt-get run, every PACKAGE whose WHAT is missing. WHAT is a
# command name, or a file (a glob pattern is allowed) when it starts with "/".
# Nothing is installed, and apt-get not called, when everything is there.
install_missing() {
  local need=()
  while [ $# -ge 2 ]; do
    case $1 in
      /*) compgen -G "$1" >/dev/null || need+=("$2") ;;
      *) command -v "$1" >/dev/null || need+=("$2") ;;
    esac
    shift 2
  done
  [ ${#need[@]} -gt 0 ] || return 0
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}"
}
