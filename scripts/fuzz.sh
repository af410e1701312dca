#!/usr/bin/env bash
# Runs the map reader fuzzer: scripts/fuzz.sh <builddir> <seconds>
# The corpus lives in <builddir>/fuzz-corpus and is seeded with a few valid map files; findings
# go to <builddir>/fuzz-findings. Exits non-zero when the fuzzer finds a fault.
set -euo pipefail

if [[ $# -lt 1 || $# -gt 2 ]]; then
  echo "usage: $0 <builddir> [seconds]" >&2
  exit 2
fi
builddir=$1
seconds=${2:-600}
here=$(cd "$(dirname "$0")/.." && pwd)
fuzzer=$builddir/fuzz/map_reader_fuzz
corpus=$builddir/fuzz-corpus
findings=$builddir/fuzz-findings

if [[ ! -x $fuzzer ]]; then
  echo "$fuzzer not found; build it with: cmake --preset fuzz -B $builddir && cmake --build $builddir" >&2
  exit 2
fi
mkdir -p "$corpus" "$findings"

# A map file as the editor writes it: path, width, height, then rows of "value," with CR LF.
# The cell in row r, column c is (r * width + c) * step - offset, so rows differ.
seed_map() {
  local name=$1 path=$2 width=$3 height=$4 step=$5 offset=$6
  local out=$corpus/$name
  [[ -e $out ]] && return
  awk -v p="$path" -v w="$width" -v h="$height" -v s="$step" -v o="$offset" 'BEGIN {
    ORS = "\r\n"
    print p ","; print w ","; print h ","
    for (r = 0; r < h; r++) {
      line = ""
      for (c = 0; c < w; c++) line = line ((r * w + c) * s - o) ","
      print line
    }
  }' > "$out"
}
seed_map seed-10x10.map 'D:\tiles\sea.bmp' 10 10 0 0
seed_map seed-1x1.map 'a.bmp' 1 1 0 0
seed_map seed-3x2-negative.map '/home/user/sheet.bmp' 3 2 1 3
seed_map seed-16x12.map 'C:\maps\tiles.bmp' 16 12 7 1
seed_map seed-300x300.map 'sheet.bmp' 300 300 0 0
seed_map seed-1000x1.map 'wide.bmp' 1000 1 1 0
# The same small map with LF-only line ends.
[[ -e $corpus/seed-4x4-lf.map ]] || printf 's.bmp,\n4,\n4,\n0,1,2,3,\n4,5,6,7,\n8,9,10,11,\n-1,-1,-1,-1,\n' > "$corpus/seed-4x4-lf.map"

exec "$fuzzer" "$corpus" \
  -dict="$here/fuzz/map_reader.dict" \
  -max_total_time="$seconds" \
  -max_len=1048576 \
  -timeout=30 \
  -artifact_prefix="$findings/" \
  -print_final_stats=1
