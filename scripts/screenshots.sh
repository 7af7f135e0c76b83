#!/usr/bin/env bash
# Saves pictures of the desktop program's main windows at 1280x800 into
# build/screenshots/: the demo's data (scripts/demo.sh makes it afresh, so
# it matches this build) shown by quorvel-gui under a virtual X server (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
if ! command -v xvfb-run >/dev/null; then
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  echo "Installing: xvfb xauth" >&2
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends xvfb xauth
fi
home=build/release/demo-home
scripts/demo.sh >/dev/null
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_TESTS=OFF >/dev/null
cmake --build build/release -j2 --target qv_gui_screenshots
rm -rf build/screenshots
xvfb-run -a -s "-screen 0 1280x800x24" build/release/tools/qv_gui_screenshots --home "$home" --out build/screenshots
