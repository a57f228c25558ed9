#!/usr/bin/env bash
# Builds the Debian package from the build folder given, unpacks it into a
# scratch root with dpkg -x, validates the desktop entry, the AppStream data,
# the icons and the manual pages, and starts the unpacked program under Xvfb
# against the unpacked reference service, with a read-only program folder:
#   1. without HOME: it runs and keeps nothing;
#   2. with a fresh HOME: the lists land in ~/.local/share/chengyu-tv (0700);
#   3. with an account saved there: it logs in, lumatv.dat is rewritten 0600.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli Xvfb xwininfo identify iconv; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

scratch=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
  chmod -R u+w "$scratch"
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "--- $*"; }
# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local tries=$(($1 * 4)); shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.25; done
  return 1
}

step "package"
deb=$("$source_dir/scripts/package" "$build" "$scratch/out")
root=$scratch/root
dpkg-deb -x "$deb" "$root"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6webenginewidgets6 libqt6network6 libc6; do
  [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done

step "desktop entry, AppStream, icons, manual pages"
app_id=cn.chengyu.tv
share=$root/usr/share
desktop-file-validate "$share/applications/$app_id.desktop"
appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml"
grep -qx "Icon=$app_id" "$share/applications/$app_id.desktop" || fail "desktop entry names another icon"
grep -qx "Name=澄屿高清网络电视" "$share/applications/$app_id.desktop" || fail "desktop entry name"
for size in 16 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/$app_id.png
  [ "$(identify -format '%m %wx%h' "$png")" = "PNG ${size}x${size}" ] || fail "icon $png"
done
grep -q "<svg" "$share/icons/hicolor/scalable/apps/$app_id.svg" || fail "no SVG icon"
for page in chengyu-tv chengyu-service; do
  [ -x "$root/usr/bin/$page" ] || fail "no $page"
  zcat "$share/man/man1/$page.1.gz" | grep -q "^\.TH" || fail "manual page of $page"
done

step "a read-only program folder, bad options"
chmod -R a-w "$root/usr"
work=$scratch/cwd
mkdir -p "$work" "$scratch/home"
cd "$work"
tv=$root/usr/bin/chengyu-tv
base_env=(env -i PATH=/usr/bin:/bin LANG=C.UTF-8 QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu)
# The browser engine's sandbox cannot run as root.
[ "$(id -u)" -eq 0 ] && base_env+=(QTWEBENGINE_DISABLE_SANDBOX=1)
status=0
"${base_env[@]}" HOME="$scratch/home" "$tv" --service-host1 ftp://example >/dev/null 2>"$scratch/err" || status=$?
[ "$status" -eq 2 ] || fail "a bad host ends with $status"
[ "$(wc -l <"$scratch/err")" -eq 1 ] || fail "the error is not one line: $(cat "$scratch/err")"
"${base_env[@]}" "$tv" --help | grep -q -- "--service-host1" || fail "--help"
[ -z "$(ls -A "$scratch/home")" ] || fail "a refused start wrote $(ls -A "$scratch/home")"

step "the installed reference service, without --data"
"${base_env[@]}" "$root/usr/bin/chengyu-service" --port1 0 --port2 0 >"$scratch/service.log" 2>&1 &
pids+=($!)
wait_for 10 grep -q "host2 listening" "$scratch/service.log" || fail "service: $(cat "$scratch/service.log")"
grep -q "data from $share/chengyu-tv/demo: 4 accounts" "$scratch/service.log" || fail "service data: $(cat "$scratch/service.log")"
host1=$(sed -n 's/^host1 listening on //p' "$scratch/service.log")
host2=$(sed -n 's/^host2 listening on //p' "$scratch/service.log")

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
pids+=($!)
wait_for 10 test -s "$scratch/display" || fail "Xvfb did not start"
display=:$(cat "$scratch/display")

# Starts the program; its process id goes to $tv_pid.
start_tv() {
  "${base_env[@]}" DISPLAY="$display" "$@" "$tv" --service-host1 "$host1" --service-host2 "$host2" \
    >>"$scratch/tv.log" 2>&1 &
  tv_pid=$!
  pids+=("$tv_pid")
}
stop_tv() { kill "$tv_pid"; wait "$tv_pid" 2>/dev/null || true; }
requests() { grep -c "$1" "$scratch/service.log" || true; }

step "1. no HOME: runs, downloads the lists once, keeps nothing"
# Everything below the scratch folder but the logs.
files() { (cd "$scratch" && find . | grep -v -e '^\./service\.log$' -e '^\./tv\.log$' | sort); }
before=$(files)
start_tv
radio_asked() { [ "$(requests diantaibiao.asp)" -ge 1 ]; }
wait_for 60 radio_asked || fail "no radio list asked for: $(cat "$scratch/tv.log")"
sleep 1
kill -0 "$tv_pid" || fail "the program ended: $(cat "$scratch/tv.log")"
stop_tv
[ "$(requests jiemubiao.asp)" -eq 1 ] || fail "the TV list was asked for $(requests jiemubiao.asp) times"
after=$(files)
[ "$before" = "$after" ] || fail "written without HOME: $(diff <(echo "$before") <(echo "$after") || true)"

step "2. a fresh HOME: the lists land in the per-user folder"
home=$scratch/home
data=$home/.local/share/chengyu-tv
start_tv HOME="$home"
wait_for 60 test -s "$data/diantaibiao.ini" || fail "no radio list in $data: $(cat "$scratch/tv.log")"
stop_tv
[ "$(stat -c %a "$data")" = 700 ] || fail "per-user folder mode $(stat -c %a "$data")"
iconv -f GBK -t UTF-8 "$data/dianshibiao.ini" | grep -q "卫视" || fail "no TV list in $data"
[ "$(ls "$root/usr/bin")" = "$(printf 'chengyu-service\nchengyu-tv')" ] || fail "program folder: $(ls "$root/usr/bin")"
[ -z "$(ls -A "$work")" ] || fail "written into the working folder: $(ls -A "$work")"

step "3. a saved account: logged in, lumatv.dat rewritten with mode 0600"
# Table 0 of the scrambling codec is the alphabet itself.
printf '0000000000vip\r\n0000000000123456\r\n' >"$data/lumatv.dat"
chmod 644 "$data/lumatv.dat"
seeded=$(stat -c %i "$data/lumatv.dat")
start_tv HOME="$home"
rewritten() { [ "$(stat -c %i "$data/lumatv.dat")" != "$seeded" ]; }
wait_for 30 rewritten || fail "lumatv.dat not rewritten"
[ "$(stat -c %a "$data/lumatv.dat")" = 600 ] || fail "lumatv.dat mode $(stat -c %a "$data/lumatv.dat")"
wait_for 30 grep -q "denglu.asp?yh=vip&pw=\*\*\*" "$scratch/service.log" || fail "no automatic login"
wait_for 30 sh -c "xwininfo -display '$display' -root -tree | grep -q '账号：vip VIP用户'" ||
  fail "the title shows no login: $(xwininfo -display "$display" -root -tree | grep -i chengyu || true)"
stop_tv
echo "PASS: $deb"
