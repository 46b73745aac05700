#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine.
#   tools/dev.sh run    install what is missing, build (release), start Tovrenic
#   tools/dev.sh test   install what is missing, build (debug), run the whole test suite
#   tools/dev.sh bench  install what is missing, build (release), run every benchmark
# Without a display, "run" starts the program on Xvfb, saves a screenshot and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."

build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}

xvfb_pid=
app_pid=
stop_headless() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  return 0
}

start_headless() {
  local program=$1 shot=$PWD/build/screenshot.png n window
  for n in $(seq 100 139); do [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break; done
  trap stop_headless EXIT
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
  DISPLAY=":$n" "$program" >/dev/null 2>&1 &
  app_pid=$!
  window=$(DISPLAY=":$n" timeout 30 xdotool search --sync --onlyvisible --name '^Tovrenic  ' | head -n 1)
  sleep 1
  DISPLAY=":$n" import -window "$window" "$shot"
  echo "No display here: Tovrenic ran on Xvfb :$n; its window is in $shot"
}

case ${1:-} in
  run)
    bash tools/install-deps.sh
    build release
    if [[ -n ${DISPLAY:-}${WAYLAND_DISPLAY:-} ]]; then
      exec build/release/app/tovrenic
    fi
    start_headless build/release/app/tovrenic
    ;;
  test)
    bash tools/install-deps.sh
    build default
    ctest --preset default
    ;;
  bench)
    bash tools/install-deps.sh
    build release
    for bench in text web request briefing; do
      "build/release/bench/tovrenic_${bench}_bench" --benchmark_counters_tabular=true
    done
    QT_QPA_PLATFORM=offscreen build/release/bench/tovrenic_responsiveness_bench
    bench/run-startup-bench.sh build/release/bench/tovrenic_startup_bench
    ;;
  *)
    echo "usage: tools/dev.sh run|test|bench" >&2
    exit 2
    ;;
esac
