#!/bin/sh
# Runs the start-up benchmark on a real X display. Without DISPLAY it starts a private Xvfb on
# the first free display number from :90 to :99 and stops it again when the benchmark ends.
#
# Usage: bench/run-startup-bench.sh build/release/bench/tovrenic_startup_bench
set -eu

if [ $# -ne 1 ]; then
  echo "usage: $0 PATH/TO/tovrenic_startup_bench" >&2
  exit 2
fi
bench=$1
if [ ! -x "$bench" ]; then
  echo "$0: $bench is not an executable" >&2
  exit 2
fi

xvfb_pid=
runtime_dir=
stop_xvfb() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  fi
}
# Called from the EXIT trap.
# shellcheck disable=SC2317
clean_up() {
  stop_xvfb
  if [ -n "$runtime_dir" ]; then
    rm -rf "$runtime_dir"
  fi
}
trap clean_up EXIT
trap 'exit 130' INT TERM HUP

# A desktop session has a private runtime folder; give the children one too, so that Qt does not
# warn about its absence in every run.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  runtime_dir=$(mktemp -d "${TMPDIR:-/tmp}/tovrenic-bench-runtime.XXXXXX")
  chmod 700 "$runtime_dir"
  XDG_RUNTIME_DIR=$runtime_dir
  export XDG_RUNTIME_DIR
fi

if [ -n "${DISPLAY:-}" ]; then
  status=0
  "$bench" || status=$?
  exit "$status"
fi

for n in 90 91 92 93 94 95 96 97 98 99; do
  # A lock file or socket means the number is taken (or was, by a server that left them behind).
  if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then
    continue
  fi
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  # Up to 10 s for the server to answer; it may also lose a race for the number and exit.
  tries=0
  while [ $tries -lt 100 ]; do
    if xdpyinfo -display ":$n" >/dev/null 2>&1; then
      break
    fi
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then
      break
    fi
    sleep 0.1
    tries=$((tries + 1))
  done
  if xdpyinfo -display ":$n" >/dev/null 2>&1; then
    status=0
    DISPLAY=":$n" QT_QPA_PLATFORM=xcb "$bench" || status=$?
    exit "$status"
  fi
  stop_xvfb
done

echo "$0: could not start Xvfb on any display from :90 to :99" >&2
exit 1
