#!/usr/bin/env bash
# The demo: builds ruVazoro.exe (the 64-bit build, the one that runs on this machine),
# prepares an install folder in the build tree and runs the program there under Wine.
# A stub stands in for the workstation's start program and records how it was started.
# Needs no display: it runs under its own Xvfb when none is set.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD

bash tools/setup.sh
# One Xvfb display for the whole demo, unless a display is given.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s '-screen 0 1280x1024x24' bash "$0" "$@"
fi

preset=win64
bin=$root/build/$preset/bin
prefix=$root/build/$preset/wineprefix
install="$root/build/demo/Zorvik 工作站"

step() { printf '\n== %s\n' "$*"; }

build() {
  step "Building ruVazoro.exe and the stub start program ($preset)"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target ruVazoro stub_start
}

# ruVazoro.exe and the stub as the 64-bit start program; nothing else, so the start-up
# check finds nothing to update.
prepare_install() {
  step "Install folder: $install"
  rm -rf "$install"
  mkdir -p "$install"
  cp "$bin/ruVazoro.exe" "$install/ruVazoro.exe"
  cp "$bin/stub_start.exe" "$install/reDoriVeza64.exe"
  ls -1 "$install"
}

run_launcher() {
  step "Running ruVazoro.exe"
  local started ended code=0
  started=$(date +%s%N)
  bash tools/wine-run.sh "$prefix" "$install/ruVazoro.exe" || code=$?
  ended=$(date +%s%N)
  echo "ruVazoro.exe ended after $(( (ended - started) / 1000000 )) ms with exit code $code"
}

# The start program runs on after ruVazoro.exe has ended; give it a few seconds.
show_start_record() {
  step "Record of the start program"
  local record=$install/stub-record.txt
  for _ in $(seq 100); do
    [ -f "$record" ] && break
    sleep 0.1
  done
  if [ ! -f "$record" ]; then
    echo "the start program was not started"
    return 1
  fi
  tr -d '\r' <"$record"
}

# Lets Wine's processes of this prefix end before the display goes away.
finish() {
  WINEPREFIX=$prefix wineserver -w || true
}

build
prepare_install
run_launcher
show_start_record
finish
