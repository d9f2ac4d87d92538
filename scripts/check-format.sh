#!/usr/bin/env bash
# Fails when a C++ file of the tree differs from what clang-format makes of it
# under .clang-format; names each such file. `scripts/check-format.sh --fix`
# rewrites them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
fix=0
[ "${1:-}" = "--fix" ] && fix=1
differ=()
while IFS= read -r file; do
  if ! clang-format "$file" | cmp -s - "$file"; then
    differ+=("$file")
    [ $fix -eq 1 ] && clang-format -i "$file"
  fi
done < <(git ls-files '*.cpp' '*.h' '*.inc')
if [ ${#differ[@]} -gt 0 ] && [ $fix -eq 0 ]; then
  printf 'not formatted as .clang-format says (scripts/check-format.sh --fix):\n' >&2
  printf '  %s\n' "${differ[@]}" >&2
  exit 1
fi
echo "format: every C++ file as .clang-format says"
