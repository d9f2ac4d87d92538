#!/usr/bin/env bash
# Writes CHANGELOG.md in the format of a Debian changelog on standard output,
# for the package's /usr/share/doc/kansu/changelog.gz (a native package's
# changelog must be one).
# Usage: scripts/debian-changelog.sh CHANGELOG.md "NAME <EMAIL>"
# Each "## VERSION (DATE)" becomes an entry and each "- " item a "  * " item,
# wrapped at 78 columns. An entry without a date ("unreleased") is dated by the
# last commit, or by the file when there is no git checkout.
set -euo pipefail
changes=$1 maintainer=$2
cd "$(dirname "$changes")"
if committed=$(git log -1 --format=%cI 2>/dev/null); then
  undated=$(date -R -u -d "$committed")
else
  undated=$(date -R -u -r "$(basename "$changes")")
fi
awk -v maintainer="$maintainer" -v undated="$undated" '
function flush_item(   words, n, i, line, lead) {
  if (item == "") return
  n = split(item, words, " ")
  line = "  *"
  for (i = 1; i <= n; i++) {
    if (length(line) + 1 + length(words[i]) > 78 && line !~ /^ *\*?$/) {
      print line
      line = "   "
    }
    line = line " " words[i]
  }
  print line
  item = ""
}
function close_entry() {
  flush_item()
  if (version != "") { print ""; print " -- " maintainer "  " date; entries++ }
}
/^## / {
  close_entry()
  if (entries > 0) print ""
  version = $2
  date = undated
  if (match($0, /\(([0-9]{4}-[0-9]{2}-[0-9]{2})\)/)) {
    cmd = "date -R -u -d " substr($0, RSTART + 1, 10)
    cmd | getline date
    close(cmd)
  }
  print "kansu (" version ") unstable; urgency=medium"
  print ""
  next
}
version == "" { next }
/^- / { flush_item(); item = substr($0, 3); next }
/^  +[^ ]/ && item != "" { sub(/^ +/, ""); item = item " " $0; next }
END { close_entry() }
' "$(basename "$changes")"
