#!/usr/bin/env bash
# Runs clang-tidy (checks in .clang-tidy, every finding an error) over the project's own sources,
# using the compile commands of a configured build: scripts/tidy.sh <builddir>
set -euo pipefail
cd "$(dirname "$0")/.."
builddir=${1:-build/dev}
if [[ ! -f $builddir/compile_commands.json ]]; then
    echo "$builddir/compile_commands.json not found: configure that build first" >&2
    exit 2
fi
mapfile -t files < <(git ls-files 'src/*.cpp' 'tests/*.cpp' 'bench/*.cpp' |
    grep -Ff <(sed -n 's/^ *"file": "\(.*\)",*$/\1/p' "$builddir/compile_commands.json" |
        sed "s|^$PWD/||"))
jobs=$(nproc)
printf '%s\n' "${files[@]}" |
    xargs -P "$jobs" -n 4 clang-tidy -p "$builddir" --quiet 2> >(grep -v 'warnings generated' >&2)
echo "clang-tidy: ${#files[@]} files, no findings"
