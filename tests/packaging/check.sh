#!/usr/bin/env bash
# Checks of the desktop files, the install layout and the Debian package, one per ctest test:
#   check.sh desktop|metainfo|mime|manual SOURCE_DIR
#   check.sh help PROGRAM MANUAL_PAGE
#   check.sh install BUILD_DIR
#   check.sh package BUILD_DIR OUT_DIR     (leaves the unpacked package in OUT_DIR/root)
#   check.sh lintian OUT_DIR
#   check.sh version OUT_DIR VERSION
set -euo pipefail

check=$1
shift
packaging="${1:-}/packaging"
id=org.tilora.Tilora

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Every file the installation holds, relative to its prefix.
expected_files() {
    cat <<LIST
bin/tilora
bin/tilora-cli
share/applications/$id.desktop
share/doc/tilora/changelog.Debian.gz
share/doc/tilora/copyright
share/doc/tilora/help/index.en.html
share/doc/tilora/help/index.html
LIST
    for size in 16 32 48 64 128 256; do
        echo "share/icons/hicolor/${size}x${size}/apps/$id.png"
    done
    cat <<LIST
share/icons/hicolor/scalable/apps/$id.svg
share/lintian/overrides/tilora
share/locale/ja/LC_MESSAGES/tilora.mo
share/man/man1/tilora-cli.1.gz
share/man/man1/tilora.1.gz
share/metainfo/$id.metainfo.xml
share/mime/packages/$id.xml
share/tilora/translations/tilora-core_ja.qm
share/tilora/translations/tilora_en.qm
LIST
}

# The files under $1 against the list above, then each rendered icon's pixel size.
check_tree() {
    local root=$1
    diff -u <(expected_files | LC_ALL=C sort) <(cd "$root" && find . -type f -printf '%P\n' | LC_ALL=C sort) ||
        fail "the installed files differ from the expected layout"
    for size in 16 32 48 64 128 256; do
        file "$root/share/icons/hicolor/${size}x${size}/apps/$id.png" |
            grep -q "PNG image data, $size x $size," || fail "the ${size} px icon has another size"
    done
}

case "$check" in
desktop)
    desktop-file-validate "$packaging/$id.desktop"
    ;;
metainfo)
    appstreamcli validate --no-net --strict "$packaging/$id.metainfo.xml"
    ;;
mime)
    # A MIME database of the system's types and ours, asked as a file manager asks it (GLib): a
    # real map is ours whatever its name; the other owners of ".map" and random bytes are not.
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    mkdir -p "$tmp/data/mime/packages" "$tmp/home" "$tmp/files"
    cp /usr/share/mime/packages/freedesktop.org.xml "$tmp/data/mime/packages/"
    cp "$packaging/$id.mime.xml" "$tmp/data/mime/packages/$id.xml"
    update-mime-database "$tmp/data/mime" 2>/dev/null
    cp "$1/examples/island.map" "$tmp/files/island.map"
    cp "$1/examples/island.map" "$tmp/files/island-without-suffix"
    printf 'Memory Configuration\n\nName             Origin             Length\n*default*        0x00000000 0xffffffff\n' \
        >"$tmp/files/linker.map"
    printf '{"version":3,"file":"app.js","sources":["app.ts"],"names":[],"mappings":"AAAA,SAAS"}\n' \
        >"$tmp/files/app.js.map"
    # Compressed bytes without gzip's header: no magic of any kind. Cut from a file, not a pipe,
    # so no stage of the pipeline is ended by SIGPIPE (which pipefail would count as a failure).
    seq 1 3000 | gzip -9n >"$tmp/bytes.gz"
    head -c 4106 "$tmp/bytes.gz" | tail -c 4096 >"$tmp/files/bytes.map"
    for f in island.map island-without-suffix linker.map app.js.map bytes.map; do
        type=$(XDG_DATA_HOME="$tmp/home" XDG_DATA_DIRS="$tmp/data" \
            gio info -a standard::content-type "$tmp/files/$f" | sed -n 's/^ *standard::content-type: //p')
        case $f in
        island*) [[ $type == application/x-tilora-map ]] || fail "$f is $type, not a Tilora map" ;;
        *) [[ $type != application/x-tilora-map ]] || fail "$f is taken for a Tilora map" ;;
        esac
    done
    ;;
manual)
    for page in tilora tilora-cli; do
        for locale in C C.UTF-8; do
            warnings=$(LC_ALL=$locale MANWIDTH=80 man --warnings -l "$packaging/$page.1" 2>&1 >/dev/null)
            [[ -z "$warnings" ]] || fail "man warns about $page.1 in $locale: $warnings"
        done
    done
    ;;
help)
    # A program's --help and its manual page: the same options, every way of calling it that the
    # help shows is in the manual's synopsis, and each option's values, ranges and numbers in the
    # help are in the manual's paragraph for it. A new option in one of them fails this until the
    # other says the same.
    program=$1 manual=$2
    name=$(basename "$program")
    helptext=$(DISPLAY='' WAYLAND_DISPLAY='' "$program" --help) || fail "$name --help failed"
    mantext=$(LC_ALL=C MANWIDTH=250 man -l "$manual") || fail "man cannot show $manual"
    options() { grep -oE -- '(^|[^A-Za-z0-9-])--[a-z][a-z0-9-]*' | grep -oE -- '--[a-z][a-z0-9-]*' | sort -u; }
    diff <(options <<<"$helptext") <(options <<<"$mantext") >&2 ||
        fail "$name --help (<) and $(basename "$manual") (>) list other options"

    # The forms: from the program's name up to the first bracketed word or non-ASCII text.
    forms() {
        LC_ALL=C sed -E 's/^(Usage|使い方):?//; s/^[[:space:]]+//' |
            LC_ALL=C awk -v name="$name" '$1 == name {
                sub(/[\200-\377].*/, ""); form = ""
                for (i = 1; i <= NF && substr($i, 1, 1) != "["; i++) form = form (i > 1 ? " " : "") $i
                print form }' | sort -u
    }
    synopsis=$(sed -n '/^SYNOPSIS/,/^[A-Z]/p' <<<"$mantext")
    missing=$(comm -23 <(forms <<<"$helptext") <(forms <<<"$synopsis"))
    [[ -z $missing ]] || fail "forms of $name --help missing from the manual's synopsis: $missing"

    # Each option the help describes on a line of its own, with the lines indented below it.
    mapfile -t described < <(awk '
        function flush() { if (opt != "") print opt "\t" text; opt = "" }
        match($0, /^ +--[a-z][a-z0-9-]*/) {
            flush(); indent = index($0, "-"); opt = substr($0, indent, RLENGTH - indent + 1)
            text = substr($0, RLENGTH + 1); next }
        opt != "" && match($0, /^ +/) && RLENGTH >= indent && substr($0, RLENGTH + 1, 1) != "-" {
            text = text " " $0; next }
        { flush() }
        END { flush() }' <<<"$helptext")
    for entry in "${described[@]}"; do
        option=${entry%%$'\t'*} text=${entry#*$'\t'}
        # The manual's paragraph: the tag line naming the option and the lines indented below it.
        paragraph=$(awk -v opt="$option" '
            /^       [^ ]/ { inside = 0; n = split($0, words, /[ ,]+/)
                           for (i = 1; i <= n; i++) if (words[i] == opt) inside = 1 }
            inside' <<<"$mantext")
        [[ -n $paragraph ]] || fail "the manual has no paragraph for $option"
        value=$(awk '{ print $1 }' <<<"$text")
        if [[ $value == *"|"* ]]; then
            for choice in ${value//|/ }; do
                head -1 <<<"$paragraph" | grep -qw -- "$choice" ||
                    fail "the manual's $option lacks the value $choice"
            done
        fi
        while read -r low high; do
            grep -qE "(^|[^0-9])$low (to|\.\.) $high([^0-9]|$)" <<<"$paragraph" ||
                fail "the manual's $option lacks the range $low to $high"
        done < <(grep -oE '[0-9]+(～|\.\.| to )[0-9]+' <<<"$text" | sed -E 's/(～|\.\.| to )/ /')
        for number in $(grep -oE '[0-9]+' <<<"$text" | sort -u); do
            grep -qE "(^|[^0-9])$number([^0-9]|$)" <<<"$paragraph" ||
                fail "the manual's $option lacks the number $number"
        done
    done
    # The standard-output operand "-", where the help names one.
    if grep -qE '(^|[[:space:]])-([[:space:]]|$)' <<<"$helptext"; then
        grep -qE '(^|[[:space:]])-([[:space:]]|$)' <<<"$mantext" ||
            fail "the manual does not say what - means"
    fi
    echo "$name: --help and the manual agree on ${#described[@]} described options"
    ;;
install)
    stage=$(mktemp -d)
    trap 'rm -rf "$stage"' EXIT
    cmake --install "$1" --prefix "$stage/usr" >/dev/null
    check_tree "$stage/usr"
    ;;
package)
    out=$2
    rm -rf "$out"
    mkdir -p "$out"
    cpack --config "$1/CPackConfig.cmake" -B "$out" >/dev/null
    deb=$(ls "$out"/tilora_*.deb)
    info=$(dpkg-deb --info "$deb")
    grep -q "^ Maintainer: Tilora developers <tilora@example.org>$" <<<"$info" || fail "maintainer: $info"
    # Computed by dpkg-shlibdeps from the programs, beside the names given by hand.
    grep -q "^ Depends: .*libqt6widgets6" <<<"$info" || fail "no computed dependencies: $info"
    grep -q "^ Depends: .*libqt6svg6" <<<"$info" || fail "no SVG icon engine: $info"
    dpkg-deb -x "$deb" "$out/root"
    check_tree "$out/root/usr"
    ;;
lintian)
    # Every tag lintian shows by default (errors, warnings, and the informational tags it lists)
    # counts: it must print nothing at all.
    deb=$(ls "$1"/tilora_*.deb)
    output=$(lintian --allow-root "$deb" 2>&1) || fail "lintian failed: $output"
    [[ -z $output ]] || fail "lintian: $output"
    ;;
version)
    output=$("$1/root/usr/bin/tilora-cli" --version) || fail "tilora-cli --version failed"
    grep -q "$2" <<<"$output" || fail "tilora-cli --version does not name $2: $output"
    ;;
*)
    fail "unknown check $check"
    ;;
esac
