#!/usr/bin/env bash
# The demo: an old installation of the Zorvik workstation is brought up to date by the real
# ruVazoro.exe (the 64-bit build, the one that runs on this machine) under Wine.
#
#   bash tools/demo.sh              update from an update site (a static web server on loopback)
#   bash tools/demo.sh --lan        update from a LAN share (a folder with lan.ini)
#   bash tools/demo.sh --headless   press the buttons automatically even when a display is set
#
# With a display (DISPLAY set) the window opens there and you click through it yourself:
# "检查更新", then "启动程序". Without one (or with --headless) the demo runs under its own
# Xvfb, presses the buttons itself through window_driver.exe, saves a screenshot of each step
# under build/demo/screenshots/ and prints the log. Either way it then starts the launcher a
# second time, which finds nothing to update and starts the workstation at once.
# A stub stands in for the workstation's start program and records how it was started.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD

mode=internet
headless=0
for arg in "$@"; do
  case $arg in
    --lan) mode=lan ;;
    --headless) headless=1 ;;
    *) echo "usage: bash tools/demo.sh [--lan] [--headless]" >&2; exit 2 ;;
  esac
done

if [ -z "${ZV_DEMO_INNER:-}" ]; then
  bash tools/setup.sh
  # Without a display, or headless: one Xvfb display for the whole demo.
  if [ -z "${DISPLAY:-}" ] || [ "$headless" = 1 ]; then
    ZV_DEMO_INNER=headless exec xvfb-run -a -s '-screen 0 1280x1024x24' bash "$0" "$@"
  fi
  export ZV_DEMO_INNER=interactive
fi
[ "$ZV_DEMO_INNER" = headless ] && headless=1

preset=win64
bin=$root/build/$preset/bin
demo=$root/build/demo
prefix=$demo/wineprefix           # the demo's own Wine prefix: its end never touches the tests'
install="$demo/Zorvik 工作站"
site=$demo/site                   # the update site's files, served at /update/...
share="$demo/共享"                 # the LAN share
shots=$demo/screenshots
server_pid=
launcher_pid=

step() { printf '\n== %s\n' "$*"; }
# A Linux path as Wine's Z: drive shows it.
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
wine_run() { bash tools/wine-run.sh "$prefix" "$@"; }
driver() { wine_run "$bin/window_driver.exe" "$@"; }
fixture() { wine_run "$bin/make_fixture.exe" "$@"; }
# An INI file as UTF-16LE with a byte-order mark, as the profile functions keep Chinese values.
write_utf16_ini() { { printf '\xff\xfe'; printf '%s' "$2" | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$1"; }

cleanup() {
  [ -n "$launcher_pid" ] && kill "$launcher_pid" 2>/dev/null || true
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  # Lets the prefix's processes end; whatever hangs on is ended with it.
  if [ -d "$prefix" ]; then
    WINEPREFIX=$prefix timeout 15 wineserver -w 2>/dev/null || WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  fi
}
trap cleanup EXIT

build() {
  step "Building ruVazoro.exe, the stub start program and the helpers ($preset)"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target ruVazoro stub_start pe_fixture_stub make_fixture window_driver
}

# The old installation: ruVazoro.exe (1.0.1.3130), the stub as the 64-bit start program and
# every other managed file at 1.0.1.2624 (version key 20210624).
prepare_install() {
  step "Old installation: $install"
  rm -rf "$install" "$shots"
  mkdir -p "$install" "$shots"
  cp "$bin/ruVazoro.exe" "$install/ruVazoro.exe"
  cp "$bin/stub_start.exe" "$install/reDoriVeza64.exe"
  fixture --stamp "$(winpath "$install/reDoriVeza64.exe")" 1 0 1 2624
  for f in 'doRozavovu\Dicom.Core.dll' vcredist_x86.exe reDoriVeza.exe zvHelix.exe zvHelix64.exe \
           ziRozirAzuvid.exe 'doRozavovu\doRozavovu.exe'; do
    fixture "$(winpath "$install")\\$f" 1 0 1 2624
  done
  (cd "$install" && find . -type f | sort)
}

# The update site: the version page asks for 20220315 (version x.x.2.2315) of three files,
# whose newer builds lie beside it. Dicom.Core.dll is large, so that the run takes a moment.
prepare_site() {
  step "Update site: $site/update"
  rm -rf "$site"
  mkdir -p "$site/update"
  local w; w=$(winpath "$site/update")
  fixture "$w\\Dicom.Core.dll" 1 0 2 2315
  fixture --pad "$w\\Dicom.Core.dll" $((96 * 1024 * 1024))
  fixture "$w\\zvHelix.exe" 1 0 2 2315
  fixture "$w\\doRozavovu.exe" 1 0 2 2315
  printf '%s\r\n' '[Zorvik]' 'ruVazoro.exe=20211130' 'Dicom.Core.dll=20220315' 'vcredist_x86.exe=20210624' \
    'reDoriVeza.exe=20210624' 'reDoriVeza64.exe=20210624' 'zvHelix.exe=20220315' 'zvHelix64.exe=20210624' \
    'ziRozirAzuvid.exe=20210624' 'doRozavovu.exe=20220315' >"$site/update/update.html"
  ls -l "$site/update"
}

# A static web server on a free loopback port, ended by the trap.
serve_site() {
  local port
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  python3 -m http.server --bind 127.0.0.1 "$port" --directory "$site" >"$demo/http-server.log" 2>&1 &
  server_pid=$!
  for _ in $(seq 100); do
    curl -sf -o /dev/null "http://127.0.0.1:$port/update/update.html" && break
    sleep 0.1
  done
  host=127.0.0.1:$port
  step "Serving $site on http://$host/ (python3 -m http.server, pid $server_pid)"
  printf '[Zorvik]\r\nUpdateHost=%s\r\n' "$host" >"$install/Zorvik配置.ini"
  echo "Zorvik配置.ini: UpdateHost=$host"
}

# The LAN share: lan.ini lists two files (no sub-folders on a share), with their newer builds.
prepare_share() {
  step "LAN share: $share"
  rm -rf "$share"
  mkdir -p "$share"
  fixture "$(winpath "$share")\\zvHelix.exe" 1 0 2 2315
  fixture "$(winpath "$share")\\ziRozirAzuvid.exe" 1 0 2 2315
  # UTF-16, so that the full-width comma of File2 reads as one.
  write_utf16_ini "$share/lan.ini" "[Zorvik]
Version=20210624
File1=zvHelix.exe,20220315
File2=ziRozirAzuvid.exe，20220315"
  write_utf16_ini "$install/Zorvik配置.ini" "[Zorvik]
LanUpdateConfigFile=$(winpath "$share")\\lan.ini"
  ls -l "$share"
  echo "Zorvik配置.ini: LanUpdateConfigFile=$(winpath "$share")\\lan.ini"
}

shot() {  # shot NAME: the update window
  local bmp=$shots/$1.bmp
  if driver shot "$(winpath "$bmp")" window; then
    convert "$bmp" "$shots/$1.png" && rm -f "$bmp"
    echo "screenshot: $shots/$1.png"
  fi
}

screen_shot() {  # screen_shot NAME: the whole display
  xwd -root -silent | convert xwd:- "$shots/$1.png" && echo "screenshot: $shots/$1.png"
}

wait_log_end() {  # wait_log_end TEXT TIMEOUT-MS
  printf '%s' "$1" >"$demo/log-end.txt"
  driver wait-log-ends-with "$(winpath "$demo/log-end.txt")" "$2"
}

print_log() {
  driver log - | tr -d '\r' | sed 's/^/    | /'
  echo
}

# Presses the buttons as a user would, with a screenshot of each step.
drive_window() {
  driver wait-window 30000 || { echo "the update window did not open"; return 1; }
  sleep 0.5
  shot 1-window-opened
  step "Pressing 检查更新"
  driver click 1000
  if [ "$mode" = internet ]; then
    # The large Dicom.Core.dll is downloading: its backup line ends the log meanwhile.
    wait_log_end "正在备份$(winpath "$install")\\doRozavovu\\Dicom.Core.dll文件
" 15000 && sleep 0.3 && shot 2-during-the-run
  fi
  if ! wait_log_end "所有操作已完成！
" 120000; then
    echo "the run did not finish; its log:"
    print_log
    return 1
  fi
  sleep 0.3
  shot 3-after-the-run
  echo "The log:"
  print_log
  step "Pressing 启动程序"
  driver click 1003
  driver wait-gone 10000
  sleep 0.5
  screen_shot 4-after-launch
}

run_launcher() {  # run_launcher [window]: with "window", the update window is expected
  step "Starting ruVazoro.exe"
  local started ended code=0
  started=$(date +%s%N)
  wine_run "$install/ruVazoro.exe" &
  launcher_pid=$!
  if [ "${1:-}" = window ] && [ "$headless" = 1 ]; then
    drive_window || true
  elif [ "${1:-}" = window ]; then
    echo "The update window is open on $DISPLAY: press 检查更新, then 启动程序 (or 退出)."
  fi
  wait "$launcher_pid" || code=$?
  launcher_pid=
  ended=$(date +%s%N)
  echo "ruVazoro.exe ended after $(( (ended - started) / 1000000 )) ms with exit code $code"
}

# The start program runs on after ruVazoro.exe has ended; give it a few seconds.
show_start_record() {
  local record=$install/stub-record.txt
  for _ in $(seq 100); do
    [ -f "$record" ] && break
    sleep 0.1
  done
  if [ ! -f "$record" ]; then
    echo "the start program was not started"
    return 0
  fi
  echo "The start program's record:"
  tr -d '\r' <"$record" | sed 's/^/    | /'
  rm -f "$record"
}

show_result() {
  step "The installation after the run"
  (cd "$install" && find . -type f ! -name '*.txt' -printf '%-45p %10s bytes\n' | sort)
  echo "Zorvik配置.ini:"
  local ini=$install/Zorvik配置.ini
  if [ "$(head -c 2 "$ini" | od -An -tx1 | tr -d ' ')" = fffe ]; then
    iconv -f UTF-16 -t UTF-8 "$ini"
  else
    cat "$ini"
  fi | tr -d '\r' | sed 's/^/    | /'
  echo
}

build
prepare_install
if [ "$mode" = lan ]; then prepare_share; else prepare_site; serve_site; fi
run_launcher window
show_start_record
show_result
step "Starting ruVazoro.exe again: nothing is older now, so it starts the workstation at once"
run_launcher
show_start_record
if [ "$headless" = 1 ]; then
  step "Screenshots"
  ls -1 "$shots"
fi
