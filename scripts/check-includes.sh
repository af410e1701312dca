#!/usr/bin/env bash
# Fails when a source file includes a header from a layer it may not use.
#   core      -> core only (and no Qt)
#   tiled     -> core, tiled (no Qt)
#   platform  -> core, platform
#   windows   -> core, platform, and their own folder (newmap, palette, mapview, stamps, overview)
#   shell     -> anything but app and cli
#   cli       -> core, tiled and cli only (no Qt)
# Usage: scripts/check-includes.sh [source root]   (default: src next to this script)
set -euo pipefail
root=${1:-"$(dirname "$0")/../src"}
windows="newmap palette mapview stamps overview"
status=0

allowed() { # folder of the including file, folder of the included header
    local from=$1 to=$2
    case $from in
    core) [[ $to == core ]] ;;
    tiled) [[ $to == core || $to == tiled ]] ;;
    platform) [[ $to == core || $to == platform ]] ;;
    newmap | palette | mapview | stamps | overview) [[ $to == core || $to == platform || $to == "$from" ]] ;;
    shell) [[ $to != app && $to != cli ]] ;;
    cli) [[ $to == core || $to == tiled || $to == cli ]] ;;
    app) true ;;
    *) true ;;
    esac
}

while IFS= read -r -d '' file; do
    rel=${file#"$root"/}
    from=${rel%%/*}
    while IFS= read -r line; do
        header=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"$line")
        if [[ $header == */* ]]; then
            to=${header%%/*}
        else
            to=$from # a header beside the file
        fi
        if ! allowed "$from" "$to"; then
            echo "$rel: includes \"$header\" ($from may not use $to)"
            status=1
        fi
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
    if [[ $from == core || $from == tiled || $from == cli ]] &&
        grep -qE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "$file"; then
        echo "$rel: includes Qt ($from links no Qt)"
        status=1
    fi
done < <(find "$root" \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)

if ((status == 0)); then echo "include check: every layer uses only the layers below it"; fi
exit $status
