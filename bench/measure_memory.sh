#!/usr/bin/env bash
# Resident size of the program holding an empty TV directory and one of
# 200,000 entries: the program is started offscreen in a fresh folder of its
# own (so it keeps its files there), left to settle, and its VmRSS read from
# /proc. Both folders hold the same small radio list, so that nothing is
# downloaded at start.
# Usage: bench/measure_memory.sh [build/bin/chengyu-tv] [runs]
set -euo pipefail
exe=$(readlink -f "${1:-build/bin/chengyu-tv}")
runs=${2:-3}
settle=${SETTLE_SECONDS:-8}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

names=(湖南卫视 浙江卫视 凤凰卫视中文台 "CCTV-1 综合" 北京新闻 中央1台)
for ((i = 0; i < 200000; i++)); do
  printf '%s%d\r\nhttp://127.0.0.1:8801/play/tv/%d\r\n' "${names[i % 6]}" "$i" "$i"
done | iconv -f UTF-8 -t GBK > "$work/big.ini"
printf '中国之声 广播\r\nhttp://127.0.0.1:8801/play/radio/0\r\n' | iconv -f UTF-8 -t GBK > "$work/radio.ini"

rss_of() { # $1: the TV list file, or nothing for an empty one
  local dir="$work/run" pid kb
  rm -rf "$dir"
  mkdir -p "$dir"
  cp "$exe" "$dir/"
  cp "$work/radio.ini" "$dir/diantaibiao.ini"
  if [ -n "$1" ]; then cp "$1" "$dir/dianshibiao.ini"; else : > "$dir/dianshibiao.ini"; fi
  QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 "$dir/$(basename "$exe")" >/dev/null 2>&1 &
  pid=$!
  sleep "$settle"
  kb=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo "$kb"
}

for ((r = 1; r <= runs; r++)); do
  empty=$(rss_of "")
  full=$(rss_of "$work/big.ini")
  echo "run $r: empty directory ${empty} kB, 200,000 entries ${full} kB, extra $(((full - empty) / 1024)) MB"
done
