#!/bin/bash
# Builds the program a second time, from a copy of the source in another folder into another
# build folder, and compares the two files byte for byte: whoever rebuilds a release must get
# the checksum that was published.
# Usage: check_reproducible.sh <source folder> <built exe> <scratch folder>
set -euo pipefail
source_dir="$1"
exe="$2"
scratch="$3"

rm -rf "$scratch"
mkdir -p "$scratch/source"
if git -C "$source_dir" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -C "$source_dir" ls-files -z --cached --others --exclude-standard |
        (cd "$source_dir" && xargs -0 cp --parents -t "$scratch/source" 2>/dev/null || true)
else
    tar -C "$source_dir" --exclude=./build --exclude=./.git -cf - . | tar -C "$scratch/source" -xf -
fi
cmake -S "$scratch/source" -B "$scratch/other-build" \
      -DCMAKE_TOOLCHAIN_FILE="$scratch/source/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$scratch/other-build" -j"$(nproc)" --target turnix >/dev/null
second="$scratch/other-build/$(basename "$exe")"

first_sum="$(sha256sum < "$exe" | cut -d' ' -f1)"
second_sum="$(sha256sum < "$second" | cut -d' ' -f1)"
echo "first build:  $first_sum"
echo "second build: $second_sum"
if [ "$first_sum" != "$second_sum" ]; then
    echo "FAILED: the two builds differ at (offset, byte, byte):"
    cmp -l "$exe" "$second" | head -n 10
    exit 1
fi
rm -rf "$scratch"
echo "ok: the same source gave the same bytes"
