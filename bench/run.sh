#!/usr/bin/env bash
# Measurements of the launcher under Wine, each printed as a ratio against a reference:
#   1. the download worker fetching a 256 MiB file from a loopback static web server, against
#      a plain WinINet read loop with the same 1,024,000-byte buffer, and against curl;
#   2. the peak working set of the real ruVazoro.exe while its update run downloads and
#      installs a 512 MiB file, against its working set with the window open and idle (and
#      the install step alone, CopyWholeFile, in a bench program);
#   3. start-up to launch of the real ruVazoro.exe with nothing to update, against a program
#      that makes one WinINet GET.
# Usage: bash bench/run.sh [repetitions]   (default 5; the median counts)
# Needs no display: it runs under its own Xvfb. Uses its own Wine prefix under build/bench/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
reps=${1:-5}

if [ -z "${ZV_BENCH_INNER:-}" ]; then
  bash tools/setup.sh
  ZV_BENCH_INNER=1 exec xvfb-run -a -s '-screen 0 1280x1024x24' bash "$0" "$@"
fi

preset=win64
bin=$root/build/$preset/bin
work=$root/build/bench
prefix=$work/wineprefix
site=$work/site
install="$work/Zorvik 安装"
server_pid=

winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
wine_run() { bash tools/wine-run.sh "$prefix" "$@"; }
fixture() { wine_run "$bin/make_fixture.exe" "$@"; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
mib() { awk -v b="$1" 'BEGIN { printf "%.1f MiB", b / 1048576 }'; }
field() { sed -n "s/.*$1=\\([0-9.]*\\).*/\\1/p"; }  # field NAME < "a=1 NAME=2" -> 2

cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  if [ -d "$prefix" ]; then WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; fi
}
trap cleanup EXIT

echo "== Building ($preset)"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target ruVazoro stub_start pe_fixture_stub make_fixture \
  bench_worker_download bench_wininet_read bench_install_memory bench_launcher_memory >/dev/null

rm -rf "$site" "$install" "$work/out"
mkdir -p "$site/update" "$work/out"
# A persistent Wine server for the whole bench, so that no measurement pays for its start.
wine_run "$bin/make_fixture.exe" >/dev/null 2>&1 || true   # creates the prefix
WINEPREFIX=$prefix wineserver -w
WINEPREFIX=$prefix wineserver -p

echo "== Files"
head -c $((256 * 1024 * 1024)) /dev/urandom >"$site/update/big256.bin"
fixture "$(winpath "$site/update")\\zvHelix.exe" 1 0 2 2315
fixture --pad "$(winpath "$site/update")\\zvHelix.exe" $((512 * 1024 * 1024))
ls -l "$site/update"

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 "$port" --directory "$site" >"$work/http-server.log" 2>&1 &
server_pid=$!
for _ in $(seq 100); do curl -sf -o /dev/null "http://127.0.0.1:$port/update/" && break; sleep 0.1; done
base=http://127.0.0.1:$port/update
echo "serving $site on http://127.0.0.1:$port/ (python3 -m http.server)"

# --- 1. Download of 256 MiB -----------------------------------------------------------------
echo "== Download of 256 MiB, $reps runs each"
out=$(winpath "$work/out")
w=(); r=(); c=()
for i in $(seq "$reps"); do
  t=$(wine_run "$bin/bench_worker_download.exe" "$base/big256.bin" "$out\\worker.bin" | field ms); w+=("$t")
  t=$(wine_run "$bin/bench_wininet_read.exe" "$base/big256.bin" "$out\\wininet.bin" | field ms); r+=("$t")
  s=$(now_ms); curl -sf -o "$work/out/curl.bin" "$base/big256.bin"; c+=("$(( $(now_ms) - s ))")
  echo "  run $i: worker ${w[-1]} ms, WinINet loop ${r[-1]} ms, curl ${c[-1]} ms"
done
for f in worker wininet curl; do
  cmp -s "$work/out/$f.bin" "$site/update/big256.bin" || echo "  WARNING: $f.bin differs from the served file"
done
rm -f "$work/out/"*.bin
mw=$(printf '%s\n' "${w[@]}" | median); mr=$(printf '%s\n' "${r[@]}" | median); mc=$(printf '%s\n' "${c[@]}" | median)

# --- 2. Working set while installing 512 MiB ------------------------------------------------
echo "== Working set of ruVazoro.exe while its run installs a 512 MiB zvHelix.exe"
mkdir -p "$install"
cp "$bin/ruVazoro.exe" "$install/ruVazoro.exe"
cp "$bin/stub_start.exe" "$install/reDoriVeza64.exe"
fixture --stamp "$(winpath "$install/reDoriVeza64.exe")" 1 0 1 2624
for f in 'doRozavovu\Dicom.Core.dll' vcredist_x86.exe reDoriVeza.exe zvHelix.exe zvHelix64.exe \
         ziRozirAzuvid.exe 'doRozavovu\doRozavovu.exe'; do
  fixture "$(winpath "$install")\\$f" 1 0 1 2624
done
page() {  # page CHANGES: the version page, asking for the installed versions apart from CHANGES
  printf '%s\r\n' '[Zorvik]' "$@" 'ruVazoro.exe=20211130' 'Dicom.Core.dll=20210624' 'vcredist_x86.exe=20210624' \
    'reDoriVeza.exe=20210624' 'reDoriVeza64.exe=20210624' 'zvHelix.exe=20210624' 'zvHelix64.exe=20210624' \
    'ziRozirAzuvid.exe=20210624' 'doRozavovu.exe=20210624' >"$site/update/update.html"
}
page 'zvHelix.exe=20220315'
printf '[Zorvik]\r\nUpdateHost=127.0.0.1:%s\r\n' "$port" >"$install/Zorvik配置.ini"
memory=$(wine_run "$bin/bench_launcher_memory.exe" "$(winpath "$install/ruVazoro.exe")")
echo "  $memory"
idle=$(field idle_ws <<<"$memory"); peak=$(field peak <<<"$memory")
cmp -s "$install/zvHelix.exe" "$site/update/zvHelix.exe" || echo "  WARNING: the installed zvHelix.exe is not the served file"
copy=$(wine_run "$bin/bench_install_memory.exe" "$(winpath "$site/update/zvHelix.exe")" "$(winpath "$work/out/zvHelix.exe")")
echo "  install step alone (bench_install_memory.exe): $copy"
copy_idle=$(field idle_ws <<<"$copy"); copy_peak=$(field peak <<<"$copy")
rm -f "$work/out/zvHelix.exe"
WINEPREFIX=$prefix timeout 20 wineserver -w 2>/dev/null || true  # the stub may still run
rm -f "$install/stub-record.txt"

# --- 3. Start-up to launch ------------------------------------------------------------------
echo "== Start-up to launch with nothing to update, $reps runs each"
page
s=(); g=()
for i in $(seq "$reps"); do
  t0=$(now_ms); wine_run "$install/ruVazoro.exe"; s+=("$(( $(now_ms) - t0 ))")
  [ -f "$install/stub-record.txt" ] || sleep 1
  [ -f "$install/stub-record.txt" ] || echo "  WARNING: the start program was not started"
  rm -f "$install/stub-record.txt"
  t0=$(now_ms); wine_run "$bin/bench_wininet_read.exe" "$base/update.html" "$out\\update.html" >/dev/null
  g+=("$(( $(now_ms) - t0 ))")
  echo "  run $i: ruVazoro.exe ${s[-1]} ms, one WinINet GET ${g[-1]} ms"
done
ms=$(printf '%s\n' "${s[@]}" | median); mg=$(printf '%s\n' "${g[@]}" | median)

echo
echo "== Figures (medians of $reps runs)"
printf '%-62s %s\n' \
  "download 256 MiB: worker ${mw} ms / WinINet loop ${mr} ms" "$(ratio "$mw" "$mr")" \
  "download 256 MiB: worker ${mw} ms / curl ${mc} ms" "$(ratio "$mw" "$mc")" \
  "install 512 MiB: peak $(mib "$peak") / idle $(mib "$idle") (ruVazoro.exe)" "$(ratio "$peak" "$idle")" \
  "install step alone: peak $(mib "$copy_peak") / before $(mib "$copy_idle")" "$(ratio "$copy_peak" "$copy_idle")" \
  "start-up to launch: ruVazoro.exe ${ms} ms / one WinINet GET ${mg} ms" "$(ratio "$ms" "$mg")"
