#!/usr/bin/env bash
# Runs clang-tidy (checks in .clang-tidy, every finding an error) over the project's own sources,
# using the compile commands of a configured build: scripts/tidy.sh [--all] [BUILDDIR [FILE...]]
# (FILE...: only those files, paths from the top folder.)
#
# A file is checked again only when something clang-tidy sees of it has changed since it was last
# found clean. The key of a clean result is a hash of
#   - the file as clang's preprocessor expands it, with comments kept (so a NOLINT counts): the
#     file and every project header it includes, at every depth (the source and build folders
#     written as placeholders, so the key does not depend on where the tree is checked out); the
#     system's headers are left out, so that a Debian update of Qt or of the C++ library does not
#     make every file be checked again on the next machine (--all checks everything),
#   - its compile flags (the same placeholders),
#   - .clang-tidy, this script, and the versions of clang-tidy and clang.
# The build folder remembers which files each expansion was made of; while none of them has
# changed in content, the expansion's key is taken from there without running the preprocessor
# again (as ccache's direct mode does).
# The keys of clean files are kept in .tidy-cache/, one empty-named file each, committed with the
# sources: a fresh clone then re-checks exactly the files whose key nobody has seen clean. A
# finding is never cached. --all ignores the cache (and fills it again); deleting the folder does
# the same for good. After a run over every file without findings, keys no file has any more are
# removed.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
self=$src/scripts/tidy.sh
cache=$src/.tidy-cache

# ---- one file (run in parallel by the loop below) ---------------------------------------------
if [[ ${1:-} == --one ]]; then
    file=$2 tidydb=$3 common=$4 all=$5
    # The file's compile command, as CMake wrote it into the stripped database.
    entry=$(awk -v f="$src/$file" '
        /"directory":/ { d = $0 }
        /"command":/   { c = $0 }
        /"file":/      { if (index($0, "\"" f "\"")) { print d; print c; exit } }' \
        "$tidydb/compile_commands.json")
    dir=$(sed -n '1s/^ *"directory": "\(.*\)",*$/\1/p' <<<"$entry")
    command=$(sed -n '2s/^ *"command": "\(.*\)",*$/\1/p' <<<"$entry" | sed 's/\\\\/\\/g; s/\\"/"/g')
    eval "words=($command)"
    # The flags alone: without the compiler, the object file and the source.
    flags=()
    for ((i = 1; i < ${#words[@]}; i++)); do
        case ${words[i]} in
        -o) ((i++)) || true ;;
        -c) ;;
        "$src/$file") ;;
        *) flags+=("${words[i]}") ;;
        esac
    done
    build=$(cd "$tidydb/.." && pwd)
    placeholders() { sed "s|$build|@BUILD@|g; s|$src|@SRC@|g"; }
    flagskey=$(printf '%s\n' "$common" "${flags[@]}" | placeholders | sha256sum | cut -d' ' -f1)
    # What the file's expansion was made of last time, and the contents of each of those files
    # now: unchanged, so is the expansion, and its key is the one found then (the preprocessor
    # need not run). Kept in the build folder; the committed cache holds only expansion keys.
    depsfile=$tidydb/deps/${file//\//%}
    # A file listed there and since deleted (a header no longer included) only makes the sum
    # differ, so the expansion is made again; it must not stop the script.
    direct() {
        { echo "$flagskey"; tail -n +2 "$depsfile" | tr '\n' '\0' | xargs -0 sha256sum 2>&1 || true; } |
            sha256sum | cut -d' ' -f1
    }
    key=none
    seen=none
    [[ -f $depsfile && $(head -1 "$depsfile") == "$flagskey" ]] && seen=$(direct)
    if [[ -f $tidydb/direct/$seen ]]; then
        key=$(cat "$tidydb/direct/$seen")
    else
        # A file the preprocessor refuses gets no key: clang-tidy runs and says why.
        expansion=$(mktemp)
        if (cd "$dir" && clang++ "${flags[@]}" -E -C "$src/$file" >"$expansion" 2>/dev/null); then
            ours=$(awk -v s="$src/" -v b="$build/" '
                /^# [0-9]+ "/ { f = $3; gsub(/"/, "", f); keep = index(f, s) == 1 || index(f, b) == 1 }
                keep' "$expansion")
            key=$({ printf '%s\n' "$flagskey"; placeholders <<<"$ours"; } | sha256sum | cut -d' ' -f1)
            mkdir -p "$tidydb/deps" "$tidydb/direct"
            { echo "$flagskey"; sed -n 's/^# [0-9]* "\(\/[^"]*\)".*/\1/p' <<<"$ours" | sort -u; } >"$depsfile"
            echo "$key" >"$tidydb/direct/$(direct)"
        fi
        rm -f "$expansion"
    fi
    if [[ $all == 0 && $key != none && -e $cache/$key ]]; then
        echo "cached $key"
        exit 0
    fi
    status=0
    out=$(clang-tidy -p "$tidydb" --quiet "$file" 2>&1) || status=$?
    out=$(grep -v '^[0-9]* warnings\? generated\.$' <<<"$out" || true)
    if ((status == 0)) && [[ -z $out ]]; then
        [[ $key == none ]] || echo "$file" >"$cache/$key"
        echo "clean $key"
    else
        printf '%s\n' "$out" >&2
        echo "finding $file"
    fi
    exit 0
fi

# ---- every file --------------------------------------------------------------------------------
all=0
if [[ ${1:-} == --all ]]; then
    all=1
    shift
fi
builddir=$(cd "${1:-build/dev}" 2>/dev/null && pwd) || builddir=${1:-build/dev}
shift || true
if [[ ! -f $builddir/compile_commands.json ]]; then
    echo "$builddir/compile_commands.json not found: configure that build first" >&2
    exit 2
fi

# clang-tidy reads each file as written: without the precompiled header that the build forces
# into every file, so that a missing include is found here and not first in a build without it.
tidydb=$builddir/tidy
mkdir -p "$tidydb" "$cache"
sed -E 's/ -Winvalid-pch//g; s/ -include [^ ]*cmake_pch\.hxx//g
        s/ -Xclang -include-pch -Xclang [^ ]*cmake_pch\.hxx\.pch//g
        s/ -Xclang -include -Xclang [^ ]*cmake_pch\.hxx//g' \
    "$builddir/compile_commands.json" >"$tidydb/compile_commands.json"

chosen=$#
if ((chosen > 0)); then
    mapfile -t files < <(printf '%s\n' "$@")
else
    mapfile -t files < <(git ls-files 'src/*.cpp' 'tests/*.cpp' 'bench/*.cpp')
fi
mapfile -t files < <(printf '%s\n' "${files[@]}" |
    grep -Fxf <(sed -n 's/^ *"file": "\(.*\)",*$/\1/p' "$tidydb/compile_commands.json" |
        sed "s|^$src/||"))

# What a clean check depends on besides the file: the checks, the tools and how a key is made.
# Raise KeyVersion when a change to this script changes what a key means; other edits to the
# script leave every key as it was.
KeyVersion=2
common=$(
    sha256sum .clang-tidy | cut -d' ' -f1
    echo "key version $KeyVersion"
    clang-tidy --version
    clang++ --version
)
results=$(printf '%s\n' "${files[@]}" |
    xargs -P "$(nproc)" -I{} "$self" --one {} "$tidydb" "$common" "$all")

checked=$(grep -c '^clean ' <<<"$results" || true)
cached=$(grep -c '^cached ' <<<"$results" || true)
mapfile -t failed < <(sed -n 's/^finding //p' <<<"$results")
if ((${#failed[@]} > 0)); then
    echo "clang-tidy: findings in ${#failed[@]} of ${#files[@]} files: ${failed[*]}" >&2
    exit 1
fi
if ((checked + cached != ${#files[@]})); then
    echo "clang-tidy: ${#files[@]} files, but only $((checked + cached)) results" >&2
    exit 1
fi
if ((chosen > 0)); then
    echo "clang-tidy: ${#files[@]} files, no findings ($checked checked, $cached unchanged)"
    exit 0
fi
# Every file is clean: the keys no file has any more go.
used=$(sed -n 's/^\(clean\|cached\) //p' <<<"$results" | sort)
stale=0
for entry in "$cache"/*; do
    [[ -e $entry ]] || continue
    if ! grep -qxF "${entry##*/}" <<<"$used"; then
        rm -f "$entry"
        stale=$((stale + 1))
    fi
done
echo "clang-tidy: ${#files[@]} files, no findings ($checked checked, $cached unchanged since" \
    "their clean check, $stale old keys removed)"
