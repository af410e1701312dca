#!/usr/bin/env bash
# Checks of the desktop files, the install layout and the Debian package, one per ctest test:
#   check.sh desktop|metainfo|mime|manual SOURCE_DIR
#   check.sh install BUILD_DIR
#   check.sh package BUILD_DIR OUT_DIR     (leaves the unpacked package in OUT_DIR/root)
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
share/doc/tilora/copyright
share/doc/tilora/help/index.html
LIST
    for size in 16 32 48 64 128 256; do
        echo "share/icons/hicolor/${size}x${size}/apps/$id.png"
    done
    cat <<LIST
share/icons/hicolor/scalable/apps/$id.svg
share/man/man1/tilora-cli.1.gz
share/metainfo/$id.metainfo.xml
share/mime/packages/$id.xml
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
    # Build a MIME database from this type alone and look at the glob it yields.
    db=$(mktemp -d)
    trap 'rm -rf "$db"' EXIT
    mkdir -p "$db/packages"
    cp "$packaging/$id.mime.xml" "$db/packages/$id.xml"
    update-mime-database "$db"
    grep -qx '10:application/x-tilora-map:\*\.map' "$db/globs2" ||
        fail "no low-weight *.map glob in: $(cat "$db/globs2")"
    ;;
manual)
    for locale in C C.UTF-8; do
        warnings=$(LC_ALL=$locale MANWIDTH=80 man --warnings -l "$packaging/tilora-cli.1" 2>&1 >/dev/null)
        [[ -z "$warnings" ]] || fail "man warns in $locale: $warnings"
    done
    LC_ALL=C MANWIDTH=80 man -l "$packaging/tilora-cli.1" | grep -q "tilora-cli render" ||
        fail "the manual lacks its synopsis"
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
    grep -q "^ Maintainer: Tilora developers$" <<<"$info" || fail "maintainer: $info"
    # Computed by dpkg-shlibdeps from the programs, beside the names given by hand.
    grep -q "^ Depends: .*libqt6widgets6" <<<"$info" || fail "no computed dependencies: $info"
    grep -q "^ Depends: .*libqt6svg6" <<<"$info" || fail "no SVG icon engine: $info"
    dpkg-deb -x "$deb" "$out/root"
    check_tree "$out/root/usr"
    ;;
version)
    output=$("$1/root/usr/bin/tilora-cli" --version) || fail "tilora-cli --version failed"
    grep -q "$2" <<<"$output" || fail "tilora-cli --version does not name $2: $output"
    ;;
*)
    fail "unknown check $check"
    ;;
esac
