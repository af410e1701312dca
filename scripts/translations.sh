#!/usr/bin/env bash
# The catalogs in translations/ against the sources: scripts/translations.sh check|update [SOURCE_DIR]
#   check   fails, naming each entry, when a text of the sources has no translation in a catalog,
#           an entry is unfinished (fuzzy), or an entry's text is in no source any more (stale);
#           make test runs it
#   update  adds the new texts of the sources to every catalog, untranslated, and drops the stale
#           ones; then translate what `check` names
# Two families of texts (see docs/ARCHITECTURE.md, "Languages"):
#   LANG.po         English texts marked with i18n() or I18N_NOOP() in src/core, src/tiled, src/cli
#   tilora_LANG.ts  the editor's Japanese texts marked with tr(), QT_TR_NOOP() or
#                   QT_TRANSLATE_NOOP() in the other folders of src/
set -euo pipefail

mode=${1:-}
root=$(cd "${2:-$(dirname "$0")/..}" && pwd)
catalogs=$root/translations
[[ $mode == check || $mode == update ]] || {
    echo "usage: scripts/translations.sh check|update [SOURCE_DIR]" >&2
    exit 2
}

lupdate=$(command -v lupdate 2>/dev/null || true)
[[ -x /usr/lib/qt6/bin/lupdate ]] && lupdate=/usr/lib/qt6/bin/lupdate
lconvert=$(dirname "${lupdate:-/usr/lib/qt6/bin/lupdate}")/lconvert
for tool in xgettext msgmerge msgattrib "$lupdate" "$lconvert"; do
    command -v "$tool" >/dev/null || {
        echo "translations.sh: $tool is missing (scripts/deps.sh installs gettext and qt6-l10n-tools)" >&2
        exit 2
    }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The gettext template: every marked text of the Qt-free folders, each with the files it is in.
(cd "$root" && find src/core src/tiled src/cli \( -name '*.cpp' -o -name '*.h' \) -print | LC_ALL=C sort) >"$tmp/files"
(cd "$root" && xgettext --language=C++ --qt --from-code=UTF-8 --keyword= --keyword=i18n:1 \
    --keyword=I18N_NOOP:1 --flag=i18n:1:qt-format --flag=I18N_NOOP:1:qt-format \
    --add-location=file --sort-by-file --no-wrap --package-name=Tilora \
    --files-from="$tmp/files" -o "$tmp/tilora.pot")
# (xgettext writes nothing when no text is marked.)
[[ -e $tmp/tilora.pot ]] || printf 'msgid ""\nmsgstr "Content-Type: text/plain; charset=UTF-8\\n"\n' >"$tmp/tilora.pot"

# The editor's folders, as Qt's lupdate reads them: every folder of src/ but the Qt-free ones, so a
# new window's folder is covered without a word here.
editor_dirs=()
for d in "$root"/src/*/; do
    case $(basename "$d") in
    core | tiled | cli) ;;
    *) editor_dirs+=("${d%/}") ;;
    esac
done

if [[ $mode == update ]]; then
    for po in "$catalogs"/*.po; do
        [[ -e $po ]] || continue
        msgmerge --quiet --no-fuzzy-matching --no-wrap --add-location=file --sort-by-file \
            "$po" "$tmp/tilora.pot" -o "$tmp/merged.po"
        # (No creation date: the file changes only when its entries do.)
        msgattrib --no-obsolete --no-wrap "$tmp/merged.po" | sed '/^"POT-Creation-Date: /d' >"$po"
        echo "updated ${po#"$root"/}"
    done
    for ts in "$catalogs"/tilora_*.ts; do
        [[ -e $ts ]] || continue
        "$lupdate" -silent -locations none -no-obsolete -source-language ja "${editor_dirs[@]}" -ts "$ts"
        echo "updated ${ts#"$root"/}"
    done
    exit 0
fi

# Prints each entry of a .po file, one per line, as [context: ]"text" (location). (msgattrib
# and lconvert write no file when nothing is left.)
entries() {
    [[ -e $1 ]] || return 0
    awk '
        function unquote(s) { sub(/^(#~ )?[a-z]+ "/, "", s); sub(/^"/, "", s); sub(/"$/, "", s); return s }
        /^#: / { where = substr($0, 4) }
        /^(#~ )?msgctxt / { part = "ctxt"; ctxt = unquote($0); next }
        /^(#~ )?msgid / { part = "id"; id = unquote($0); next }
        /^(#~ )?msgstr/ {
            sub(/\|$/, "", ctxt) # lconvert writes a .ts context as "Context|"
            if (id != "") print (ctxt != "" ? ctxt ": " : "") "\"" id "\"" (where != "" ? " (" where ")" : "")
            part = ""; id = ""; ctxt = ""; where = ""; next
        }
        /^(#~ )?"/ { s = $0; sub(/^#~ /, "", s); if (part == "id") id = id unquote(s); else if (part == "ctxt") ctxt = ctxt unquote(s) }
    ' "$1"
}

failed=0
report() { # catalog, what, file of entries
    local n
    n=$(wc -l <"$3")
    ((n > 0)) || return 0
    failed=1
    echo "$1: $n $2:"
    sed 's/^/    /' "$3"
}

# Each catalog merged with the sources: what is missing comes out untranslated, what was left
# unfinished fuzzy, what no source has any more obsolete.
check_po() { # catalog name, merged .po (none: no entries)
    rm -f "$tmp"/[abc].po
    if [[ -e $2 ]]; then
        msgattrib --untranslated --no-obsolete --no-wrap "$2" -o "$tmp/a.po"
        msgattrib --only-fuzzy --no-obsolete --no-wrap "$2" -o "$tmp/b.po"
        msgattrib --only-obsolete --no-wrap "$2" -o "$tmp/c.po"
    fi
    entries "$tmp/a.po" >"$tmp/a"
    entries "$tmp/b.po" >"$tmp/b"
    entries "$tmp/c.po" >"$tmp/c"
    report "$1" "texts without a translation" "$tmp/a"
    report "$1" "unfinished (fuzzy) translations" "$tmp/b"
    report "$1" "stale entries (no source has their text)" "$tmp/c"
}

for po in "$catalogs"/*.po; do
    [[ -e $po ]] || continue
    msgmerge --quiet --no-fuzzy-matching --no-wrap "$po" "$tmp/tilora.pot" -o "$tmp/merged.po"
    check_po "${po#"$root"/}" "$tmp/merged.po"
    # The catalog as committed, too: an entry marked obsolete (#~) or fuzzy in the file itself.
    rm -f "$tmp/d.po"
    msgattrib --only-obsolete --no-wrap "$po" -o "$tmp/d.po"
    entries "$tmp/d.po" >"$tmp/d"
    report "${po#"$root"/}" "obsolete (#~) entries left in the file" "$tmp/d"
done
for ts in "$catalogs"/tilora_*.ts; do
    [[ -e $ts ]] || continue
    cp "$ts" "$tmp/catalog.ts"
    "$lupdate" -silent -locations none -source-language ja "${editor_dirs[@]}" -ts "$tmp/catalog.ts" >/dev/null
    rm -f "$tmp/merged.po"
    "$lconvert" -i "$tmp/catalog.ts" -o "$tmp/merged.po"
    check_po "${ts#"$root"/}" "$tmp/merged.po"
done

# A Japanese text the editor shows must be marked, or no catalog would ever hear of it: every
# string literal of the editor's folders holding Japanese is part of a marked text, unless its line
# says "not translated" (a font's name). Comments are not texts.
"$lupdate" -silent -locations none -source-language ja "${editor_dirs[@]}" -ts "$tmp/all.ts" >/dev/null
rm -f "$tmp/all.po"
"$lconvert" -i "$tmp/all.ts" -o "$tmp/all.po"
entries "$tmp/all.po" >"$tmp/marked"
find "${editor_dirs[@]}" \( -name '*.cpp' -o -name '*.h' \) -print | LC_ALL=C sort >"$tmp/editor-files"
# shellcheck disable=SC2016 # (Perl code, not shell)
xargs perl -CSD -e '
    open(my $m, "<", shift) or die; local $/; my $marked = <$m>; close $m; $/ = "\n";
    my $root = shift;
    for my $file (@ARGV) {
        open(my $f, "<", $file) or die "$file: $!";
        while (my $line = <$f>) {
            next if $line =~ /not translated/ || $line =~ m{^\s*//};
            $line =~ s{\s//\s.*$}{};
            while ($line =~ /"((?:[^"\\]|\\.)*)"/g) {
                my $text = $1;
                next unless $text =~ /[\p{Han}\p{Hiragana}\p{Katakana}\x{3000}-\x{303f}\x{ff00}-\x{ffef}]/;
                next if index($marked, $text) >= 0;
                (my $where = $file) =~ s{^\Q$root\E/}{};
                print "\"$text\" ($where:$.)\n";
            }
        }
        close $f;
    }' "$tmp/marked" "$root" <"$tmp/editor-files" >"$tmp/unmarked"
report "src/" "Japanese texts not marked for translation (QT_TRANSLATE_NOOP(\"tilora\", ...), see platform/UiText.h)" "$tmp/unmarked"

if ((failed)); then
    echo "Run scripts/translations.sh update, translate the entries named above in translations/," >&2
    echo "and build: the catalogs are made from those files." >&2
    exit 1
fi
echo "translations: every catalog has every text of the sources, none unfinished or stale"
