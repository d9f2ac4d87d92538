#!/usr/bin/env bash
# Checks what a user installs: the .deb (built by package.sh, unpacked with
# dpkg-deb -x) and its description, the manual pages (groff lint, no word or
# key broken across lines), the READMEs' length, and cmake --install into a
# temporary prefix against the file list in README.md ("PREFIX/..." lines),
# with every document the READMEs link to.
# Run from .ci/run after the tests; needs dpkg-dev and groff (installed when missing).
set -euo pipefail
cd "$(dirname "$0")/../.."
. scripts/install-missing.sh
install_missing groff groff-base dpkg-shlibdeps dpkg-dev
work=$(mktemp -d /tmp/kansu-install-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

version=$(sed -n 's/^project(kansu VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "no version in CMakeLists.txt" >&2; exit 1; }

# Manual pages: no warning from groff, neither in the lint nor when rendered.
for page in man/kansu.1 man/ja/kansu.1; do
  lint=$(groff -man -ww -z -K utf8 -Tutf8 "$page" 2>&1)
  rendered=$(groff -man -ww -K utf8 -Tutf8 "$page" 2>&1 >/dev/null)
  if [ -z "$lint$rendered" ]; then pass "groff lint $page"; else fail "groff $page: $lint$rendered"; fi
done

# Rendered as man shows them: no word broken by a hyphen (paths would read
# wrong), and in the Japanese page no blank beside Japanese punctuation (a
# blank a line break between text and a macro would leave).
for page in man/kansu.1 man/ja/kansu.1; do
  text=$(groff -man -K utf8 -Tutf8 "$page" 2>/dev/null | LC_ALL=C.UTF-8 sed 's/.\x08//g')
  broken=$(grep -n "$(printf '\xe2\x80\x90')" <<<"$text" || true)  # U+2010, groff's hyphen
  [ -z "$broken" ] && pass "no hyphenation in $page" || fail "hyphenated in $page: $broken"
done
text=$(groff -man -K utf8 -Tutf8 man/ja/kansu.1 2>/dev/null | LC_ALL=C.UTF-8 sed 's/.\x08//g')
blanks=$(LC_ALL=C.UTF-8 grep -nP '\S [、。」）]|[、。「（] \S' <<<"$text" || true)
[ -z "$blanks" ] && pass "no blank beside Japanese punctuation" ||
  fail "blank beside Japanese punctuation in man/ja/kansu.1: $blanks"

# Rendered at every width from 40 to 120 columns: no key name or argument broken
# across two lines (a reader would copy "Ctrl-" alone, or "[変数" and "名=値]"),
# and each of them shown whole at the widest, so the check cannot pass on text
# it does not find.
unbroken_at_all_widths() {  # $1: page, then the texts that must stay on one line
  local page=$1 width rendered broken text
  shift
  for width in $(seq 40 120); do
    rendered=$(timeout 20 groff -man -K utf8 -Tutf8 -P-cbu -rLL=${width}n -rLT=${width}n \
                 "$page" 2>/dev/null) || { fail "$page does not render at width $width"; return; }
    # A text is broken when one line ends with its head and the next begins
    # (after the indentation) with the rest.
    broken=$(awk -v width="$width" '
      BEGIN { for (i = 1; i < ARGC; i++) texts[i] = ARGV[i]; ARGC = 1 }
      { line = $0; sub(/^ +/, "", line)
        for (i in texts) for (k = 1; NR > 1 && k < length(texts[i]); k++) {
          head = substr(texts[i], 1, k); tail = substr(texts[i], k + 1)
          if (substr(previous, length(previous) - k + 1) == head && index(line, tail) == 1)
            print "width " width ", line " NR ": \"" head "\" / \"" tail "\""
        }
        previous = $0 }' "$@" <<<"$rendered")
    [ -z "$broken" ] || { fail "$page breaks a line inside a key or argument: $broken"; return; }
  done
  for text in "$@"; do  # the widest rendering shows each whole
    grep -qF -- "$text" <<<"$rendered" || { fail "$page never shows \"$text\" on one line"; return; }
  done
  pass "$page: keys and arguments unbroken at widths 40 to 120"
}
unbroken_at_all_widths man/kansu.1 "Ctrl-A/E/K/U/W" "Ctrl-R" "Ctrl-C" "Ctrl-D"
unbroken_at_all_widths man/ja/kansu.1 "Ctrl-A/E/K/U/W" "Ctrl-R" "[変数名=値]" "変数名=値"

# The READMEs stay short: a quick start and pointers, the rest in docs/.
for readme in README.md README.ja.md; do
  lines=$(wc -l <"$readme")
  [ "$lines" -lt 300 ] && pass "$readme: $lines lines" || fail "$readme has $lines lines (at most 299)"
done

# The .deb: its name, computed dependencies, and the installed binary at work.
./package.sh deb >/dev/null
deb=dist/kansu_${version}_amd64.deb
if [ -f "$deb" ]; then pass "built $deb"; else fail "no $deb"; exit 1; fi
depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in *libc6*) pass "Depends: $depends" ;; *) fail "Depends not computed: '$depends'" ;; esac
description=$(dpkg-deb -f "$deb" Description)
if grep -q "UTF-8 terminal" <<<"$description" && ! grep -q "with --utf8, UTF-8" <<<"$description"; then
  pass "the description says which encoding the dialogue uses"
else
  fail "the description does not say a UTF-8 terminal gets UTF-8: $description"
fi
dpkg-deb -x "$deb" "$work/root"
kansu="$work/root/usr/bin/kansu"
first_line=$("$kansu" --utf8 --version | head -n 1)
expected="kansu $version"
if git rev-parse --git-dir >/dev/null 2>&1; then
  expected="$expected (git $(git rev-parse --short=7 HEAD))"
fi
[ "$first_line" = "$expected" ] && pass "--version: $first_line" || fail "--version: '$first_line', expected '$expected'"
"$kansu" --utf8 --version | grep -q "MIT License" && pass "--version names the licence" ||
  fail "--version does not name the licence"

# One example session replayed from a copy of the installed examples.
cp -r "$work/root/usr/share/doc/kansu/examples" "$work/examples"
status=0
(cd "$work/examples" && "$kansu" --utf8 < functions.session > console.txt) || status=$?
[ "$status" = 0 ] && pass "functions.session ends with status 0" || fail "functions.session: status $status"
for report in functions-explicit.txt functions-implicit.txt; do
  if cmp -s "$work/examples/$report" "tests/examples/$report"; then pass "report $report"
  else fail "report $report differs from tests/examples/$report"; fi
done

# Every installed file is where README.md says, and README names nothing that is missing.
mapfile -t patterns < <(sed -n 's/^    PREFIX\/\([^ ]*\).*/\1/p' README.md)
[ ${#patterns[@]} -gt 0 ] || fail "README.md lists no PREFIX/ paths"
check_tree() {  # $1: label, $2: folder that stands for PREFIX
  local label=$1 prefix=$2 file pattern matched before=$failures
  while IFS= read -r file; do
    matched=no
    for pattern in "${patterns[@]}"; do
      # shellcheck disable=SC2053
      [[ "$file" == $pattern ]] && matched=yes
    done
    [ "$matched" = yes ] || fail "$label: $file is installed but README.md does not list it"
  done < <(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
  for pattern in "${patterns[@]}"; do
    compgen -G "$prefix/$pattern" >/dev/null || fail "$label: README.md lists PREFIX/$pattern, not installed"
  done
  if [ "$failures" = "$before" ]; then pass "$label: installed files match README.md"; fi
}
cmake --install build-package --strip --prefix "$work/prefix" >/dev/null
check_tree "cmake --install" "$work/prefix"
check_tree ".deb" "$work/root/usr"
# Every document the installed READMEs and docs link to is installed where the
# link points (LICENSE is installed as copyright, which the README says).
for docdir in "$work/prefix/share/doc/kansu" "$work/root/usr/share/doc/kansu"; do
  missing=""
  for document in "$docdir"/README.md "$docdir"/README.ja.md "$docdir"/docs/*.md; do
    while IFS= read -r link; do
      [ -e "$(dirname "$document")/$link" ] || missing+=" ${document#"$docdir"/}: $link"
    done < <(grep -oE '\]\([^)#]+' "$document" | sed 's/^](//' | grep -vE '^(https?:|LICENSE$)' || true)
  done
  [ -z "$missing" ] && pass "$docdir: every linked document installed" ||
    fail "$docdir: links to documents not installed:$missing"
done
for page in share/man/man1/kansu.1.gz share/man/ja/man1/kansu.1.gz; do
  grep -q "kansu $version" <(zcat "$work/prefix/$page") && pass "$page names kansu $version" ||
    fail "$page does not name kansu $version"
  # The documents named where this install put them, in either kind of install.
  for root in "$work/prefix:$work/prefix" "$work/root/usr:/usr"; do
    docdir=${root#*:}/share/doc/kansu
    grep -q "^\.I $docdir\$" <(zcat "${root%%:*}/$page") && pass "$page names $docdir" ||
      fail "${root%%:*}/$page does not name $docdir"
  done
done

if [ "$failures" -gt 0 ]; then echo "install check: $failures failed" >&2; exit 1; fi
echo "install check: all passed"
