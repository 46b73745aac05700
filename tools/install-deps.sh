#!/usr/bin/env bash
# Installs the Debian 12 packages Tovrenic needs to build, run and test: the one list of them.
# As root it runs apt-get; otherwise it prints the command to run and stops.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config
  # libraries
  qt6-base-dev libgl-dev libturbojpeg0-dev libicu-dev libpcre2-dev libcurl4-openssl-dev
  # the panels' 黑体 face and its fallback
  fonts-wqy-zenhei fonts-noto-cjk
  # pinyin readings, read by the table generator
  unicode-data
  # tests and benchmarks: local HTTP, HTTPS and proxy servers
  libgtest-dev libbenchmark-dev libcpp-httplib-dev libssl-dev openssl nginx tinyproxy
  # the program under a real X server: screenshots and driving the window
  xvfb xdotool imagemagick x11-utils iproute2
  # fuzzing (clang's libFuzzer and sanitizer runtimes), the benchmark table, the Debian package
  clang libclang-rt-14-dev python3 dpkg-dev desktop-file-utils
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
  echo "Tovrenic needs these Debian packages; install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
