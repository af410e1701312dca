#!/usr/bin/env bash
# Whole processes on the same files, each beside its peer (Tiled 1.8) and its floor, measured in
# the same run. The map is 1000 x 1000 cells of varied chips (0..63) on a 256 x 256 sheet.
#   export   tilora-cli export MAP OUT.tmx
#            peer  tiled --export-map tmx IN.tmx OUT.tmx              (IN.tmx: our export of MAP)
#            floor reading, parsing and formatting the same map inside one process
#                  (tilora_bench cli_export_1000x1000/floor on this MAP)
#   render   tilora-cli render MAP OUT.bmp --cell-size 8
#            peer  tmxrasterizer --tilesize 8 --no-smoothing IN.tmx OUT.bmp
#            floor dd writing as many bytes to the same folder
#   png      tilora-cli render MAP OUT.png --cell-size 8
#            peer  tmxrasterizer --tilesize 8 --no-smoothing IN.tmx OUT.png
#            and the peak memory of tilora-cli's PNG render at every cell size the limit allows
#   info     tilora-cli info MAP
#            floor wc -l MAP (reading the same file and looking at every byte, as a process)
#   batch    100 maps of 40 x 30 exported by one tilora-cli process (--out-dir) beside 10 single
#            runs
#   sheets   peak memory of one batch render over two maps, each on its own 8192 x 8192 sheet
#            (256 MB decoded), beside the peak of rendering one of them alone
# Targets, shown and not asserted: export 20x the peer and within 2x of its floor; BMP within 2x
# of its floor; PNG 8x the peer with a peak under 100 MB; info within 3x of its floor; the batch
# of 100 faster than 10 single runs; the batch over two large sheets within 10% of one alone.
#
# Usage: scripts/bench-processes.sh BUILD_DIR        (make bench passes build/release)
# Environment: BENCH_DIR  work folder (default: a new folder in /dev/shm when there is one, so
#                         that neither side waits for the disk; tilora-cli flushes every file
#                         it writes to disk before renaming it into place, the peers do not)
#              RUNS        runs per quick command (default 20)
#              RENDER_RUNS runs per render command (default 3)
set -euo pipefail

build=${1:?usage: scripts/bench-processes.sh BUILD_DIR}
cli=$(cd "$build" && pwd)/src/cli/tilora-cli
bench=$(cd "$build" && pwd)/bench/tilora_bench
if [[ ! -x $cli ]]; then
  echo "bench-processes: $cli not found; build the tilora-cli target first" >&2
  exit 1
fi
runs=${RUNS:-20}
render_runs=${RENDER_RUNS:-3}

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
  mkdir("$dir/small") or die;
  for my $k (1 .. 100) {
    open(my $m, ">:raw", sprintf("%s/small/m%03d.map", $dir, $k)) or die;
    print $m "../sheet.bmp,\r\n40,\r\n30,\r\n";
    for (1 .. 30) { print $m join("", map { int(rand(64)) . "," } 1 .. 40), "\r\n"; }
    close $m or die;
  }
' "$work"
mkdir "$work/batch-out"
"$cli" export "$work/map.map" "$work/map.tmx"

have_tiled=1
have_rasterizer=1
command -v tiled >/dev/null || have_tiled=0
command -v tmxrasterizer >/dev/null || have_rasterizer=0

# ---- timing ------------------------------------------------------------------------------------
# measure RUNS NAME CMD...: appends "NAME wall_ms cpu_ms" to $results: the median wall time (a
# machine shared with other work stalls a run now and then, which a mean takes in whole) and the
# mean CPU time.
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
    awk -F, -v name="$name" 'NR == 2 { printf "%s %.1f %.1f\n", name, $4 * 1000, ($5 + $6) * 1000 }' \
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
    sort -n "$work/$name.times" |
      awk -v name="$name" '{ w[NR] = $1; c += $2 + $3 }
        END { printf "%s %.1f %.1f\n", name, (w[int((NR + 1) / 2)] + w[int(NR / 2) + 1]) * 500, c * 1000 / NR }' \
      >>"$results"
  }
fi

measure "$runs" export-tilora "$cli" export "$work/map.map" "$work/ours.tmx"
if ((have_tiled)); then
  measure "$runs" export-peer tiled --export-map tmx "$work/map.tmx" "$work/tiled.tmx"
fi
measure "$runs" info-tilora "$cli" info "$work/map.map"
measure "$runs" info-floor wc -l "$work/map.map"
measure "$render_runs" render-tilora "$cli" render "$work/map.map" "$work/ours.bmp" --cell-size 8
bmp_mb=$((($(stat -c %s "$work/ours.bmp") + 1048575) / 1048576))
measure "$render_runs" render-floor dd if=/dev/zero of="$work/floor.bin" bs=1M count="$bmp_mb" status=none
if ((have_rasterizer)); then
  measure "$render_runs" render-peer tmxrasterizer --tilesize 8 --no-smoothing "$work/map.tmx" "$work/tiled.bmp"
fi
measure "$render_runs" png-tilora "$cli" render "$work/map.map" "$work/ours.png" --cell-size 8
if ((have_rasterizer)); then
  measure "$render_runs" png-peer tmxrasterizer --tilesize 8 --no-smoothing "$work/map.tmx" "$work/tiled.png"
fi
measure "$render_runs" batch-tilora "$cli" export "$work"/small/m*.map --out-dir "$work/batch-out"
measure "$runs" single-tilora "$cli" export "$work/small/m001.map" "$work/single.tmx"

# The export's floor: the same map read, parsed and formatted inside one process.
if [[ -x $bench ]]; then
  TILORA_BENCH_MAP=$work/map.map "$bench" --benchmark_filter='^cli_export_1000x1000/floor$' \
    --benchmark_format=csv 2>/dev/null |
    awk -F, '/cli_export_1000x1000\/floor/ { t = $3; u = $5; gsub(/"/, "", u)
      f = (u == "ns") ? 1e-6 : (u == "us") ? 1e-3 : (u == "s") ? 1e3 : 1
      printf "export-floor %.1f %.1f\n", t * f, $4 * f }' >>"$results"
fi

# Peak resident memory (MB) of the PNG render at every cell size the pixel limit allows, each
# against its bound (the render streams the image in bands, so the peak must not grow with it).
peak_bound_mb=100
peaks=""
for cs in 1 2 4 8 16; do
  kb=$(/usr/bin/time -f %M "$cli" render "$work/map.map" "$work/peak.png" --cell-size "$cs" 2>&1 >/dev/null | tail -1)
  peaks+="$cs: $((kb / 1024)) MB"
  if ((kb / 1024 >= peak_bound_mb)); then peaks+=" (OVER ${peak_bound_mb} MB)"; fi
  peaks+="  "
done
peer_peak="-"
if ((have_rasterizer)); then
  kb=$(/usr/bin/time -f %M tmxrasterizer --tilesize 8 --no-smoothing "$work/map.tmx" "$work/peak-peer.png" 2>&1 >/dev/null | tail -1)
  peer_peak="$((kb / 1024)) MB"
fi

# Peak resident memory (MB) of a batch over two large sheets beside one map alone: the batch lets
# go of one sheet before it decodes the next. The sheets are renders of an all-chip-0 map (a
# small PNG that decodes to 8192 x 8192), copied so that they are two files.
perl -e 'print "sheet.bmp,\r\n256,\r\n256,\r\n", ("0," x 256 . "\r\n") x 256' >"$work/sheetsrc.map"
"$cli" render "$work/sheetsrc.map" "$work/large1.png" --cell-size 32
cp "$work/large1.png" "$work/large2.png"
mkdir "$work/large-out"
for k in 1 2; do printf 'large%d.png,\r\n2,\r\n1,\r\n0,1,\r\n' "$k" >"$work/large$k.map"; done
peak_mb() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1 | awk '{ printf "%d", $1 / 1024 }'; }
sheets_one=$(peak_mb "$cli" render "$work/large1.map" "$work/large-out/one.png" --cell-size 1)
sheets_two=$(peak_mb "$cli" render "$work/large1.map" "$work/large2.map" --out-dir "$work/large-out" --cell-size 1)

# ---- report ------------------------------------------------------------------------------------
size() { if [[ -f $1 ]]; then stat -c %s "$1"; else echo "-"; fi; }
echo
echo "Whole processes: 1000 x 1000 map of varied chips, 256 x 256 sheet, in $work ($timer)"
echo "Outputs (bytes): TMX ours $(size "$work/ours.tmx"), Tiled's $(size "$work/tiled.tmx");" \
  "BMP ours $(size "$work/ours.bmp"), tmxrasterizer's $(size "$work/tiled.bmp");" \
  "PNG ours $(size "$work/ours.png"), tmxrasterizer's $(size "$work/tiled.png")"
awk -v tiled="$have_tiled" -v rast="$have_rasterizer" '
  { wall[$1] = $2; cpu[$1] = $3 }
  function ms(t, k) { return (k in t) ? sprintf("%9.1f", t[k]) : sprintf("%9s", "-") }
  function ratio(t, a, b) { return (a in t && b in t && t[a] > 0) ? sprintf("%8.1fx", t[b] / t[a]) : sprintf("%9s", "-") }
  function row(t, label, a, peer, floor) {
    printf "%-38s %s %s %s %s %s\n", label, ms(t, a), ms(t, peer), ratio(t, a, peer), ms(t, floor), ratio(t, floor, a)
  }
  function table(t, title) {
    printf "%-38s %9s %9s %9s %9s %9s\n", title, "tilora", "peer", "peer/us", "floor", "us/floor"
    row(t, "export TMX   vs tiled --export-map", "export-tilora", "export-peer", "export-floor")
    row(t, "render BMP 8 vs tmxrasterizer", "render-tilora", "render-peer", "render-floor")
    row(t, "render PNG 8 vs tmxrasterizer", "png-tilora", "png-peer", "")
    row(t, "info         vs wc -l", "info-tilora", "", "info-floor")
  }
  END {
    table(wall, "wall time, ms (median)")
    printf "%-38s %9s %9s %9s\n", "batch: 100 maps in one process", ms(wall, "batch-tilora"), "", ""
    if ("single-tilora" in wall)
      printf "%-38s %9.1f   (target: the batch of 100 takes less)\n", "        10 single runs", wall["single-tilora"] * 10
    # On a machine shared with other work a longer process waits more often for a core, so the
    # processor time (user + system, all threads) is shown too.
    table(cpu, "CPU time, ms (mean, user + system)")
    if (!tiled) print "  tiled is not installed (scripts/deps.sh --bench installs it): no peer figure"
    if (!rast) print "  tmxrasterizer is not installed (package tiled): no peer figure"
  }' "$results"
echo "Peak memory of the PNG render by cell size: $peaks(tmxrasterizer at 8: $peer_peak)"
echo "Peak memory of a batch over two 8192 x 8192 sheets: $sheets_two MB (one of them alone: $sheets_one MB)"
echo "Targets: export 20x peer and within 2x floor; BMP within 2x floor; PNG 8x peer and under"
echo "${peak_bound_mb} MB at every cell size; info within 3x floor; 100 maps in one process under 10 single"
echo "runs; the batch over two large sheets within 10% of one alone."
