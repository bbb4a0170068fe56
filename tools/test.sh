#!/usr/bin/env bash
# The test command: installs what is missing, builds both presets and runs every test.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash tools/setup.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

# One Xvfb display (24-bit, so pixel colours read back exactly) for the whole run.
exec xvfb-run -a -s '-screen 0 1280x1024x24' ctest --preset win64
