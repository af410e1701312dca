#!/usr/bin/env bash
# Whole processes against Tiled 1.8 on the same 1000 x 1000 map and the same 256 x 256 sheet:
#   export  tilora-cli export MAP OUT.tmx
#           vs  tiled --export-map tmx IN.tmx OUT.tmx                 (IN.tmx: our export of MAP)
#   render  tilora-cli render MAP OUT.bmp --cell-size 8
#           vs  tmxrasterizer --tilesize 8 --no-smoothing IN.tmx OUT.bmp
# Each figure is printed beside the peer's with the ratio, as wall time and as CPU time
# (user + system, steadier on a busy machine). Target, shown and not asserted: 10x or more.
#
# Usage: scripts/bench-processes.sh BUILD_DIR        (make bench passes build/release)
# Environment: BENCH_DIR  work folder (default: a new folder in /dev/shm when there is one, so
#                         that neither side waits for the disk; tilora-cli flushes every file
#                         it writes to disk before renaming it into place, the peers do not)
#              RUNS        runs per export command (default 10)
#              RENDER_RUNS runs per render command (default 5)
set -euo pipefail

build=${1:?usage: scripts/bench-processes.sh BUILD_DIR}
cli=$(cd "$build" && pwd)/src/cli/tilora-cli
if [[ ! -x $cli ]]; then
  echo "bench-processes: $cli not found; build the tilora-cli target first" >&2
  exit 1
fi
runs=${RUNS:-10}
render_runs=${RENDER_RUNS:-5}

if [[ -n ${BENCH_DIR:-} ]]; then
  work=$(mktemp -d "$BENCH_DIR/tilora-bench.XXXXXX")
elif [[ -d /dev/shm && -w /dev/shm ]]; then
  work=$(mktemp -d /dev/shm/tilora-bench.XXXXXX)
else
  work=$(mktemp -d)
fi
trap 'rm -rf "$work"' EXIT

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
  export XDG_RUNTIME_DIR=$work/runtime
  mkdir -m 700 "$XDG_RUNTIME_DIR"
fi

# ---- test data: a 256 x 256 sheet of 64 distinct chips and a map of random chips 0..63 -------
perl -e '
  use strict; use warnings;
  my ($dir) = @ARGV;
  my ($w, $h) = (256, 256);
  open(my $bmp, ">:raw", "$dir/sheet.bmp") or die "$dir/sheet.bmp: $!";
  print $bmp pack("A2 V v v V", "BM", 54 + $w * $h * 3, 0, 0, 54);
  print $bmp pack("V l l v v V V l l V V", 40, $w, $h, 1, 24, 0, $w * $h * 3, 2835, 2835, 0, 0);
  for my $y (reverse 0 .. $h - 1) {
    my $row = "";
    for my $x (0 .. $w - 1) {
      my $chip = int($y / 32) * 8 + int($x / 32);
      $row .= pack("CCC", ($chip * 37 + $x) % 256, ($chip * 91 + $y) % 256, ($chip * 13 + $x * $y) % 256);
    }
    print $bmp $row;
  }
  close $bmp or die;
  srand(20240601);
  open(my $map, ">:raw", "$dir/map.map") or die "$dir/map.map: $!";
  print $map "sheet.bmp,\r\n1000,\r\n1000,\r\n";
  for (1 .. 1000) { print $map join("", map { int(rand(64)) . "," } 1 .. 1000), "\r\n"; }
  close $map or die;
' "$work"
"$cli" export "$work/map.map" "$work/map.tmx"

have_tiled=1
have_rasterizer=1
command -v tiled >/dev/null || have_tiled=0
command -v tmxrasterizer >/dev/null || have_rasterizer=0

# ---- timing ------------------------------------------------------------------------------------
# measure RUNS NAME CMD...: appends "NAME wall_ms cpu_ms" (means) to $results.
results=$work/results.txt
: >"$results"
if command -v hyperfine >/dev/null; then
  timer="hyperfine"
  measure() {
    local n=$1 name=$2
    shift 2
    # Without a shell, hyperfine splits the command line as a shell would: quote each word.
    hyperfine --shell=none --style none --warmup 1 --runs "$n" \
      --export-csv "$work/$name.csv" "$(printf '%q ' "$@")" >/dev/null
    # command,mean,stddev,median,user,system,min,max (seconds)
    awk -F, -v name="$name" 'NR == 2 { printf "%s %.1f %.1f\n", name, $2 * 1000, ($5 + $6) * 1000 }' \
      "$work/$name.csv" >>"$results"
  }
else
  timer="a shell loop"
  measure() {
    local n=$1 name=$2 i
    shift 2
    "$@" >/dev/null 2>&1  # warm-up
    local TIMEFORMAT='%R %U %S'
    for ((i = 0; i < n; i++)); do
      { time "$@" >/dev/null 2>&1; } 2>>"$work/$name.times"
    done
    awk -v name="$name" '{ w += $1; c += $2 + $3 } END { printf "%s %.1f %.1f\n", name, w * 1000 / NR, c * 1000 / NR }' \
      "$work/$name.times" >>"$results"
  }
fi

measure "$runs" export-tilora "$cli" export "$work/map.map" "$work/ours.tmx"
if ((have_tiled)); then
  measure "$runs" export-peer tiled --export-map tmx "$work/map.tmx" "$work/tiled.tmx"
fi
measure "$render_runs" render-tilora "$cli" render "$work/map.map" "$work/ours.bmp" --cell-size 8
if ((have_rasterizer)); then
  measure "$render_runs" render-peer tmxrasterizer --tilesize 8 --no-smoothing "$work/map.tmx" "$work/tiled.bmp"
fi

# ---- report ------------------------------------------------------------------------------------
size() { if [[ -f $1 ]]; then stat -c %s "$1"; else echo "-"; fi; }
echo
echo "Whole processes: 1000 x 1000 map, 256 x 256 sheet, in $work ($timer)"
echo "Outputs (bytes): TMX ours $(size "$work/ours.tmx"), Tiled's $(size "$work/tiled.tmx");" \
  "BMP ours $(size "$work/ours.bmp"), tmxrasterizer's $(size "$work/tiled.bmp")"
awk -v tiled="$have_tiled" -v rast="$have_rasterizer" '
  { wall[$1] = $2; cpu[$1] = $3 }
  function ratio(a, b) { return (a in wall && b in wall && wall[a] > 0) ? sprintf("%8.1fx", wall[b] / wall[a]) : sprintf("%9s", "-") }
  function cratio(a, b) { return (a in cpu && b in cpu && cpu[a] > 0) ? sprintf("%8.1fx", cpu[b] / cpu[a]) : sprintf("%9s", "-") }
  function ms(t, k) { return (k in t) ? sprintf("%9.1f", t[k]) : sprintf("%9s", "-") }
  function row(label, a, b) {
    printf "%-34s %s %s %s   %s %s %s\n", label, ms(wall, a), ms(wall, b), ratio(a, b), ms(cpu, a), ms(cpu, b), cratio(a, b)
  }
  END {
    printf "%-34s %29s   %29s\n", "", "wall time, ms (mean)", "CPU time, ms (user+sys)"
    printf "%-34s %9s %9s %9s   %9s %9s %9s\n", "", "tilora", "peer", "ratio", "tilora", "peer", "ratio"
    row("export TMX   vs tiled --export-map", "export-tilora", "export-peer")
    row("render BMP 8 vs tmxrasterizer", "render-tilora", "render-peer")
    if (!tiled) print "  tiled is not installed (scripts/deps.sh --bench installs it): no peer figure"
    if (!rast) print "  tmxrasterizer is not installed (package tiled): no peer figure"
    print "Target: each ratio at least 10x (shown, not asserted)."
  }' "$results"
