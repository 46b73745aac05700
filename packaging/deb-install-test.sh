#!/usr/bin/env bash
# The Debian package as a user gets it: installed with apt (which brings in what it depends on),
# the installed /usr/bin/tovrenic started on Xvfb, its window found, closed with Esc (exit code
# 0), and the package removed again. The apt log goes to install.log beside the package, the
# window to installed.png. Needs root for apt: exits with 77 (skipped) otherwise.
#
#   packaging/deb-install-test.sh path/to/tovrenic_<version>_<arch>.deb
set -euo pipefail

[[ $# -eq 1 && -f $1 ]] || { echo "usage: $0 path/to/tovrenic_*.deb" >&2; exit 2; }
deb=$(realpath "$1")
out=$(dirname "$deb")
log=$out/install.log
if [[ $(id -u) -ne 0 ]]; then
  echo "deb-test: skipped: installing with apt needs root"
  exit 77
fi
if [[ $(dpkg-query -W -f='${Status}' tovrenic 2>/dev/null || true) == "install ok installed" ]]; then
  echo "deb-test: a tovrenic package is installed already; remove it first" >&2
  exit 1
fi

installed=
xvfb_pid=
app_pid=
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  if [[ -n $installed ]]; then
    echo "\$ apt-get remove -y tovrenic" >>"$log"
    apt-get remove -y tovrenic >>"$log" 2>&1 || echo "deb-test: could not remove tovrenic" >&2
  fi
  return 0
}
trap cleanup EXIT
fail() { echo "deb-test: FAIL: $*" >&2; exit 1; }

export DEBIAN_FRONTEND=noninteractive
{
  echo "\$ dpkg-deb --info $(basename "$deb")"
  dpkg-deb --info "$deb"
  echo "\$ dpkg-deb --contents $(basename "$deb")"
  dpkg-deb --contents "$deb"
  echo "\$ apt-get install -y ./$(basename "$deb")"
} >"$log"
installed=yes
(cd "$out" && apt-get install -y "./$(basename "$deb")") >>"$log" 2>&1 ||
  { cat "$log"; fail "apt-get install"; }
sed -n '/^\$ apt-get install/,$p' "$log"

for file in /usr/bin/tovrenic /usr/share/applications/tovrenic.desktop \
  /usr/share/icons/hicolor/256x256/apps/tovrenic.png; do
  [[ -f $file ]] || fail "$file not installed"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate /usr/share/applications/tovrenic.desktop || fail "the .desktop entry"
fi

for n in $(seq 200 239); do
  [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
  export DISPLAY=":$n"
  break
done
[[ -n ${DISPLAY:-} ]] || fail "no free display for Xvfb"
unset QT_QPA_PLATFORM

# Started by name through PATH, as the .desktop entry does.
(cd / && exec env PATH=/usr/bin:/bin tovrenic) &
app_pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tovrenic  ' | head -n 1) || true
[[ -n $window ]] || fail "the installed program showed no window"
sleep 1
import -window "$window" "$out/installed.png" 2>/dev/null || true
xdotool windowfocus --sync "$window" key Escape
timeout 10 tail --pid="$app_pid" -f /dev/null || fail "still running after Esc"
status=0
wait "$app_pid" || status=$?
app_pid=
[[ $status -eq 0 ]] || fail "exit code $status after Esc"
echo "deb-test: installed with apt, window shown, closed with Esc (exit code 0); log in $log"
