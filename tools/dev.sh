#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine.
#   tools/dev.sh run            install what is missing, build (release), start Tovrenic
#   tools/dev.sh test           install what is missing, build (debug), run the whole test suite
#   tools/dev.sh asan           the whole test suite built with AddressSanitizer and
#                               UndefinedBehaviorSanitizer, leaks checked; fails on any report
#   tools/dev.sh fuzz [-j J] N  every fuzz target for N seconds, J at a time (tools/fuzz.sh)
#   tools/dev.sh bench          build (release), run every benchmark, print one table of figures
#   tools/dev.sh package        build (release, program only) and pack the Debian package
#   tools/dev.sh deb-test       the package installed with apt, started on Xvfb, removed (root)
# Without a display, "run" starts the program on Xvfb, saves a screenshot and prints its path.
# Each preset builds in build/<preset>, or in $TOVRENIC_BUILD_ROOT/<preset> when that is set;
# $TOVRENIC_JOBS sets the build's parallel jobs (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."

root=${TOVRENIC_BUILD_ROOT:-build}

build() {
  cmake --preset "$1" -B "$root/$1" >/dev/null
  cmake --build "$root/$1" -j "${TOVRENIC_JOBS:-2}"
}

# What the test presets do, in whichever folder the build is: a test preset always runs the
# tests of its own preset's folder.
run_tests() {
  ctest --test-dir "$root/$1" --output-on-failure -j 2
}

xvfb_pid=
app_pid=
stop_headless() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  return 0
}

start_headless() {
  local program=$1 shot n window
  shot=$(realpath -m "$root")/screenshot.png
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

# The benchmarks' own output scrolls by as usual; the figures also go to files that
# tools/bench-report.py reads for the closing table.
run_benchmarks() {
  local bin=$root/release/bench out=$root/release/bench-results
  rm -rf "$out"
  mkdir -p "$out"
  for bench in text web request; do
    "$bin/tovrenic_${bench}_bench" --benchmark_counters_tabular=true \
      --benchmark_out="$out/$bench.json" --benchmark_out_format=json
  done
  "$bin/tovrenic_briefing_bench" --benchmark_counters_tabular=true | tee "$out/briefing.log"
  QT_QPA_PLATFORM=offscreen "$bin/tovrenic_responsiveness_bench" | tee "$out/responsiveness.log"
  bench/run-startup-bench.sh "$bin/tovrenic_startup_bench" | tee "$out/startup.log"
  echo
  python3 tools/bench-report.py "$out"
}

# The package preset is the release build without the tests and benchmarks.
package() {
  build package
  rm -f "$root/package"/tovrenic_*.deb
  cpack -G DEB --config "$root/package/CPackConfig.cmake" -B "$(realpath -m "$root/package")"
}

case ${1:-} in
  run)
    bash tools/install-deps.sh
    build release
    if [[ -n ${DISPLAY:-}${WAYLAND_DISPLAY:-} ]]; then
      exec "$root/release/app/tovrenic"
    fi
    start_headless "$root/release/app/tovrenic"
    ;;
  test)
    bash tools/install-deps.sh
    build default
    run_tests default
    ;;
  asan)
    bash tools/install-deps.sh
    build asan-ubsan
    # The asan-ubsan test preset's settings, and every report also in a file of its own, so that
    # one from a child process whose exit status a test does not look at still fails the run.
    reports=$(realpath -m "$root/asan-ubsan/sanitizer-reports")
    rm -rf "$reports"
    mkdir -p "$reports"
    status=0
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:log_path=$reports/report \
      LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
      UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:log_path=$reports/report \
      run_tests asan-ubsan || status=$?
    if compgen -G "$reports/report*" >/dev/null; then
      for report in "$reports"/report*; do
        echo "--- $report"
        cat "$report"
      done
      echo "asan: sanitizer reports above" >&2
      status=1
    fi
    exit "$status"
    ;;
  fuzz)
    bash tools/install-deps.sh
    shift
    exec bash tools/fuzz.sh "$@"
    ;;
  bench)
    bash tools/install-deps.sh
    build release
    run_benchmarks
    ;;
  package)
    bash tools/install-deps.sh
    package
    ;;
  deb-test)
    bash tools/install-deps.sh
    package
    exec bash packaging/deb-install-test.sh "$root/package"/tovrenic_*.deb
    ;;
  *)
    echo "usage: tools/dev.sh run|test|asan|fuzz [-j JOBS] SECONDS|bench|package|deb-test" >&2
    exit 2
    ;;
esac
