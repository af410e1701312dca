#!/usr/bin/env bash
# Installs the Debian packages one task needs: scripts/deps.sh [run|package|test|bench]
#   run      the compiler, CMake, Ninja, Qt and the Japanese fonts: enough to build and start the
#            editor and tilora-cli (make run)
#   package  run, and the icon renderer and dpkg's tools for the Debian package (make package)
#   test     package, and the test frameworks, clang's tools, the validators of the desktop files,
#            lintian, Tiled for the interoperability tests, and the en_US.UTF-8 and ja_JP.UTF-8
#            locales the programs are tested in (make test; the default)
#   bench    test, and hyperfine and GNU time (make bench; Google Benchmark comes with test)
# Safe to run again: it installs only what is missing, and asks apt nothing when all is there.
set -euo pipefail

profile=${1:-test}
[[ $profile == --bench ]] && profile=bench # the old spelling

run=(
  build-essential cmake ninja-build
  qt6-base-dev qt6-base-dev-tools libgl-dev zlib1g-dev libpng-dev libexpat1-dev
  # Tiled's JSON maps are read with nlohmann's header-only parser (its event interface, so a large
  # layer is stored compactly); it adds nothing to tilora-cli's run-time libraries.
  nlohmann-json3-dev
  # The catalogs: msgfmt (tilora-cli's and the core's messages), lrelease and lconvert (the
  # editor's).
  gettext qt6-l10n-tools
  # What the editor loads at run time without linking it: the window-system plugins and the SVG
  # icon engine, and the fonts its layouts were measured with.
  qt6-qpa-plugins libqt6svg6 fonts-ipafont-gothic
)
package=(librsvg2-bin dpkg-dev file)
test=(
  ccache git libqt6test6 libgtest-dev libgmock-dev pngcheck
  clang libclang-rt-14-dev clang-format clang-tidy
  desktop-file-utils appstream shared-mime-info libglib2.0-bin man-db lintian
  tiled locales
  # Google Benchmark's headers: clang-tidy compiles the benchmarks' sources too.
  libbenchmark-dev
)
bench=(hyperfine time)

case $profile in
run) packages=("${run[@]}") ;;
package) packages=("${run[@]}" "${package[@]}") ;;
test) packages=("${run[@]}" "${package[@]}" "${test[@]}") ;;
bench) packages=("${run[@]}" "${package[@]}" "${test[@]}" "${bench[@]}") ;;
*)
  echo "usage: scripts/deps.sh [run|package|test|bench]" >&2
  exit 2
  ;;
esac

# One query for all of them; a package dpkg has never heard of is simply not listed.
mapfile -t installed < <(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null |
  awk '$NF == "installed" { print $1 }')
missing=()
for p in "${packages[@]}"; do
  [[ " ${installed[*]} " == *" $p "* ]] || missing+=("$p")
done

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi

if ((${#missing[@]} > 0)); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The tests run tilora-cli and the editor in English and in Japanese, so those locales must exist
# (Debian's locales package generates none by itself).
if [[ $profile == test || $profile == bench ]]; then
  for locale in en_US ja_JP; do
    if ! locale -a 2>/dev/null | grep -qix "$locale.utf-\?8"; then
      echo "Generating the locale $locale.UTF-8"
      "${sudo_cmd[@]}" localedef -i "$locale" -c -f UTF-8 -A /usr/share/locale/locale.alias "$locale.UTF-8"
    fi
  done
fi
