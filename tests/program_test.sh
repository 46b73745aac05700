#!/usr/bin/env bash
# The built program under a real X server (Xvfb, no window manager): it fixes its run directory
# whatever directory it starts from, opens centred at 867 x 605, writes wx.txt next to itself,
# closes on Esc with exit code 0, and fails with -1 when no window can be created.
set -euo pipefail

program=$1
work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# A private copy, so that the run directory is a folder of our own.
mkdir "$work/bin"
cp "$program" "$work/bin/tovrenic"

for n in $(seq 140 199); do
  [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
  export DISPLAY=":$n"
  break
done
[[ -n ${DISPLAY:-} ]] || fail "no free display for Xvfb"
unset QT_QPA_PLATFORM

(cd / && exec "$work/bin/tovrenic") &
app_pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tovrenic  ' | head -n 1)
[[ -n $window ]] || fail "the window did not appear"

# The run directory is the executable's folder and the current directory after start-up.
[[ $(readlink "/proc/$app_pid/cwd") == "$work/bin" ]] || fail "current directory $(readlink "/proc/$app_pid/cwd")"

eval "$(xdotool getwindowgeometry --shell "$window")"
[[ $WIDTH == 867 && $HEIGHT == 605 ]] || fail "size ${WIDTH}x$HEIGHT"
[[ $X == $(((1280 - 867) / 2)) && $Y == $(((1024 - 605) / 2)) ]] || fail "position $X,$Y"

# 生成文本 writes the start-up report next to the program and says so.
xdotool mousemove --window "$window" 80 464 click 1
notice=$(timeout 15 xdotool search --sync --onlyvisible --name '^信息：$' | head -n 1)
[[ -n $notice ]] || fail "no notice after 生成文本"
xdotool windowfocus --sync "$notice" key Return
for _ in $(seq 50); do xdotool search --onlyvisible --name '^信息：$' >/dev/null || break; sleep 0.1; done
expected=$(printf '%s' '石家庄早报新闻内容要先生成哦！' | iconv -f UTF-8 -t GBK | od -An -tx1)
[[ $(od -An -tx1 "$work/bin/wx.txt") == "$expected" ]] || fail "wx.txt bytes"

# Esc closes the window; the program ends normally.
xdotool windowfocus --sync "$window" key Escape
status=0
timeout 10 tail --pid="$app_pid" -f /dev/null || fail "still running after Esc"
wait "$app_pid" || status=$?
app_pid=
[[ $status == 0 ]] || fail "exit code $status after Esc"

# No window system at all: an error on standard error and exit code -1.
status=0
DISPLAY=:9999 QT_QPA_PLATFORM=xcb "$work/bin/tovrenic" 2>"$work/err" || status=$?
[[ $status == 255 ]] || fail "exit code $status without a display"
grep -q 'could not be created' "$work/err" || fail "no error text without a display"

echo "program_test: all checks passed"
