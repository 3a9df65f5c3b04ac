#!/bin/bash
# Formats every C++ file of the project in the house style (.clang-format).
# --check changes nothing and fails, naming the files, if any is not formatted.
set -euo pipefail
source "$(dirname "$0")/failure.sh"
REPO="$(cd "$(dirname "$0")/.." && pwd)"
cd "$REPO"
command -v clang-format >/dev/null || { echo "format: clang-format is missing (bash tools/setup.sh test installs it)" >&2; exit 1; }

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' | while read -r f; do [ -f "$f" ] && echo "$f"; done)
else
    mapfile -t files < <(find app bench dialog install registry resources scripts tests -name '*.cpp' -o -name '*.h')
fi

if [ "${1:-}" != --check ]; then
    clang-format -i "${files[@]}"
    exit 0
fi
unformatted=()
for f in "${files[@]}"; do
    clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || unformatted+=("$f")
done
if [ ${#unformatted[@]} -gt 0 ]; then
    echo "not in the house style: ${unformatted[*]}"
    echo "fix with: bash tools/format.sh"
    exit 1
fi
echo "ok: ${#files[@]} files in the house style"
