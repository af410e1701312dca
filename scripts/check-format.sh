#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format (with the root .clang-format) makes
# of it. `make format` rewrites them.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! out=$(clang-format --dry-run --Werror "${files[@]}" 2>&1); then
    grep -E '^[^ ].*(error|warning):' <<<"$out" | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
    echo "run 'make format' to reformat them"
    exit 1
fi
echo "format check: ${#files[@]} files as clang-format writes them"
