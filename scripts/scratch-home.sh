# Sourced by the test scripts (not run on its own).
#
# Points HOME and XDG_STATE_HOME at a scratch folder, removed on exit, so no
# test, fuzz target or bench step reaches the user's own files: recovery files
# and the line history land there. The first script to source it does the
# work; a script it starts (run-tests.sh from .ci/run) keeps the same folder.
# KANSU_REAL_HOME keeps the user's HOME for caches a run may reuse (the Wine
# prefix). A script with an EXIT trap of its own calls kansu_scratch_remove there.
#
# kansu_state_listing FOLDER: a listing of FOLDER's files with their checksums,
#   empty when there is no such folder.
# kansu_scratch_remove: removes the scratch folder if this script made it.
# kansu_check_real_state: fails, naming the difference, when the real state
#   folder (as it was before the scratch folder) changed since sourcing.
kansu_state_listing() {
  [ -d "$1" ] || return 0
  (cd "$1" && find . -print0 | sort -z | xargs -0 -r sh -c \
    'for f; do if [ -f "$f" ]; then cksum "$f"; else echo "$f"; fi; done' sh)
}

kansu_scratch_remove() {
  if [ -n "${kansu_scratch_owned:-}" ]; then rm -rf "$KANSU_SCRATCH_HOME"; fi
}

if [ -z "${KANSU_SCRATCH_HOME:-}" ]; then
  KANSU_REAL_HOME=${HOME:-}
  KANSU_REAL_STATE=${XDG_STATE_HOME:-${HOME:-/nonexistent}/.local/state}/kansu
  KANSU_REAL_STATE_BEFORE=$(kansu_state_listing "$KANSU_REAL_STATE")
  KANSU_SCRATCH_HOME=$(mktemp -d /tmp/kansu-home-XXXXXX)
  mkdir -p "$KANSU_SCRATCH_HOME/state"
  kansu_scratch_owned=1
  trap kansu_scratch_remove EXIT
  export KANSU_SCRATCH_HOME KANSU_REAL_HOME KANSU_REAL_STATE KANSU_REAL_STATE_BEFORE
  export HOME=$KANSU_SCRATCH_HOME XDG_STATE_HOME=$KANSU_SCRATCH_HOME/state
fi

kansu_check_real_state() {
  local after
  after=$(kansu_state_listing "$KANSU_REAL_STATE")
  if [ "$after" != "$KANSU_REAL_STATE_BEFORE" ]; then
    echo "the run changed the real state folder $KANSU_REAL_STATE:" >&2
    diff <(echo "$KANSU_REAL_STATE_BEFORE") <(echo "$after") >&2 || true
    return 1
  fi
  echo "the real state folder $KANSU_REAL_STATE is as it was"
}
