#!/usr/bin/env bash
# Builds the program and starts it in a program directory with sample lists,
# with the reference service running beside it.
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

# The reference service plays both service hosts on 127.0.0.1:8801 and :8802;
# the options of ./run.sh go to it (./run.sh --only-host1 leaves host 2 down).
# Its stream channels play the test streams the build made in build/media.
if [ -x build/bin/chengyu-service ]; then
  build/bin/chengyu-service --data demo --media build/media "$@" &
  pids+=($!)
  for _ in $(seq 50); do
    (exec 3<>/dev/tcp/127.0.0.1/8801) 2>/dev/null && break
    (exec 3<>/dev/tcp/127.0.0.1/8802) 2>/dev/null && break
    kill -0 "${pids[-1]}" 2>/dev/null || break
    sleep 0.1
  done
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
