#!/usr/bin/env bash
# Installs the Debian packages that building, testing, benchmarking and running Tilora need.
# Safe to run again: it installs only what is missing, and asks apt nothing when all is there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libqt6test6 libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev libpng-dev libexpat1-dev pngcheck time
  clang libclang-rt-14-dev clang-format clang-tidy git
  fonts-ipafont-gothic
  xvfb xauth
)
# Tiled's JSON maps are parsed by nlohmann's header-only reader (its event interface, so a large
# layer is stored compactly, and nothing is added to tilora-cli's run-time libraries). The Tiled
# tests run the real Tiled over what tilora-cli writes and import the example maps it ships.
packages+=(nlohmann-json3-dev tiled)
# The icon's renderer and SVG engine, the desktop-file, AppStream, MIME and manual checks, and
# the Debian package's tools.
packages+=(
  librsvg2-bin libqt6svg6 desktop-file-utils appstream shared-mime-info man-db dpkg-dev file
)
# The whole-process benchmark times the programs with hyperfine; only `make bench` needs it.
if [[ "${1:-}" == "--bench" ]]; then
  packages+=(hyperfine)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
