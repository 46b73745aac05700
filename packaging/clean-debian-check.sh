#!/usr/bin/env bash
# The package on a bare Debian 12: a minimal system made with debootstrap in FOLDER (or one made
# there before), the package installed in it with apt from Debian's archive, and the installed
# program started in it on an Xvfb of this machine until its window shows; Esc closes it with
# exit code 0. Shows that the package declares everything it needs. Needs root, debootstrap and
# the network to Debian's archive, so it is run by hand, not in CI. The apt log goes to
# clean-install.log beside the package.
#
#   packaging/clean-debian-check.sh path/to/tovrenic_<version>_<arch>.deb FOLDER
set -euo pipefail

[[ $# -eq 2 && -f $1 ]] || { echo "usage: $0 path/to/tovrenic_*.deb FOLDER" >&2; exit 2; }
deb=$(realpath "$1")
system=$(realpath -m "$2")
log=$(dirname "$deb")/clean-install.log
[[ $(id -u) -eq 0 ]] || { echo "clean-debian-check: needs root" >&2; exit 77; }

if [[ ! -x $system/usr/bin/apt-get ]]; then
  debootstrap --variant=minbase bookworm "$system" http://deb.debian.org/debian
fi

mounted=()
xvfb_pid=
app_pid=
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" || true; done
  return 0
}
trap cleanup EXIT
bind() {
  mkdir -p "$system$1"
  mount --bind "$1" "$system$1"
  mounted+=("$system$1")
}
fail() { echo "clean-debian-check: FAIL: $*" >&2; exit 1; }

mount -t proc proc "$system/proc"
mounted+=("$system/proc")
bind /dev
bind /tmp/.X11-unix
cp /etc/resolv.conf "$system/etc/resolv.conf"
cp "$deb" "$system/tmp/"

in_system() { chroot "$system" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }
{
  echo "\$ apt-get update"
  in_system apt-get update
  echo "\$ apt-get install -y ./$(basename "$deb")"
  in_system env DEBIAN_FRONTEND=noninteractive apt-get install -y "/tmp/$(basename "$deb")"
} >"$log" 2>&1 || { tail -n 40 "$log"; fail "apt-get install"; }
sed -n '/^\$ apt-get install/,$p' "$log" | grep -E '^(\$|[0-9]+ upgraded|The following NEW|Setting up tovrenic)'

for n in $(seq 240 279); do
  [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
  export DISPLAY=":$n"
  break
done
[[ -n ${DISPLAY:-} ]] || fail "no free display for Xvfb"

chroot "$system" env -i PATH=/usr/bin:/bin HOME=/root DISPLAY="$DISPLAY" tovrenic &
app_pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tovrenic  ' | head -n 1) || true
[[ -n $window ]] || fail "the program installed in the bare system showed no window"
sleep 1
import -window "$window" "$(dirname "$deb")/clean-installed.png" 2>/dev/null || true
xdotool windowfocus --sync "$window" key Escape
timeout 10 tail --pid="$app_pid" -f /dev/null || fail "still running after Esc"
status=0
wait "$app_pid" || status=$?
app_pid=
[[ $status -eq 0 ]] || fail "exit code $status after Esc"
echo "clean-debian-check: installed with apt on a bare Debian 12, window shown, closed with Esc"
