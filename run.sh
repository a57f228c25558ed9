#!/usr/bin/env bash
# Builds the program and starts it in a program directory with sample lists.
# Without a display it runs under Xvfb, saves build/screenshot.png and quits.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

rundir=build/run
mkdir -p "$rundir"
cp build/bin/chengyu-tv "$rundir/"
for f in dianshibiao.ini diantaibiao.ini; do
  [ -f "$rundir/$f" ] || cp "demo/lists/$f" "$rundir/"
done

# The browser engine's sandbox cannot run as root.
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

if [ -x build/bin/chengyu-service ]; then
  build/bin/chengyu-service --data demo &
  pids+=($!)
  sleep 1
fi

if [ -n "${DISPLAY:-}" ]; then
  "$rundir/chengyu-tv"
  exit 0
fi

display=":$((90 + RANDOM % 9))"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
sleep 1
DISPLAY="$display" "$rundir/chengyu-tv" &
pids+=($!)
sleep "${SETTLE_SECONDS:-8}"
DISPLAY="$display" import -window root build/screenshot.png
echo "screenshot saved to $(pwd)/build/screenshot.png"
