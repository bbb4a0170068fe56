#!/usr/bin/env bash
# Runs a Windows program under Wine with the build tree's own prefix.
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
# Creates the prefix on first use (serialised with a lock, as ctest runs tests in parallel)
# and gives Wine an Xvfb display when none is set.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix=$(realpath -m -- "$1"); shift   # Wine wants an absolute prefix

export WINEPREFIX=$prefix
export WINELOADER=/usr/lib/wine/wine64
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml='
export WINEARCH=win64
case "${LANG:-}" in *UTF-8*|*utf8*) ;; *) export LANG=C.UTF-8 ;; esac

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s '-screen 0 1280x1024x24' "$0" "$prefix" "$@"
fi

mkdir -p "$(dirname "$prefix")"
(
  flock 9
  # A changed wine-prefix.reg makes a fresh prefix.
  if [ ! -f "$prefix/.zorvik-ready" ] || [ "$here/wine-prefix.reg" -nt "$prefix/.zorvik-ready" ]; then
    rm -rf "$prefix"
    "$WINELOADER" wineboot -i >/dev/null 2>&1 || true
    "$WINELOADER" regedit /S "Z:${here//\//\\}\\wine-prefix.reg" >/dev/null 2>&1 || true
    wineserver -w || true
    touch "$prefix/.zorvik-ready"
  fi
) 9>"$prefix.lock"

exec "$WINELOADER" "$@"
