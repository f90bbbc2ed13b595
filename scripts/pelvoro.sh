#!/usr/bin/env bash
# Installs what the station needs on Debian 12, builds it, and then starts it ("start"), runs the
# whole test suite, then again under the sanitizers ("test"), or starts the demo of two simulated
# screens ("demo", scripts/demo.sh).
# Safe to run again: it installs only what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libqt6serialport6-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-arphic-uming fonts-arphic-ukai fonts-wqy-zenhei fonts-wqy-microhei fonts-liberation2
  xvfb xauth
  qt6-translations-l10n tango-icon-theme
  help2man
  libreoffice-writer-nogui
)

install_packages() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# Compiles go through ccache, with paths taken relative to the checkout so that another clone
# of the same sources finds them.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
configure() { # DIR [cmake options]
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache "$@" >/dev/null
}

build() {
  configure build
  cmake --build build
}

# The whole suite under AddressSanitizer (leaks included) + UndefinedBehaviorSanitizer, and the
# serial link's tests (the one part with a thread of its own, and the send runner that drives it)
# under ThreadSanitizer. Their trees skip the benchmarks; the thread tree builds only the link's
# tests.
sanitized_tests() {
  configure build-asan -DPELVORO_SANITIZE=ON -DPELVORO_BUILD_BENCHMARKS=OFF
  cmake --build build-asan
  ASAN_OPTIONS=abort_on_error=1 QT_QPA_PLATFORM=offscreen \
    ctest --test-dir build-asan --output-on-failure -j "$(nproc)"
  configure build-tsan -DPELVORO_SANITIZE_THREADS=ON -DPELVORO_BUILD_BENCHMARKS=OFF
  cmake --build build-tsan --target test_comm
  TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/tests/sanitizers/tsan.supp" QT_QPA_PLATFORM=offscreen \
    build-tsan/bin/test_comm --gtest_filter='Serial*:SendRunner*'
}

case "${1:-}" in
  start)
    install_packages
    build
    shift
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
      echo "No display available: start the station under Xvfb with 'xvfb-run -a build/bin/pelvoro $*'" >&2
      exit 1
    fi
    exec build/bin/pelvoro "$@"
    ;;
  demo)
    install_packages
    build
    shift
    exec bash scripts/demo.sh "$@"
    ;;
  test)
    install_packages
    build
    QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$(nproc)"
    sanitized_tests
    ;;
  *)
    echo "usage: $0 start [--dir DIR] | test | demo" >&2
    exit 64
    ;;
esac
