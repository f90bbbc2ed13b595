#!/usr/bin/env bash
# Installs what the station needs on Debian 12, builds it, and then starts it ("start"), runs the
# whole test suite, then again under the sanitizers ("test"), or starts the demo of two simulated
# screens ("demo", scripts/demo.sh).
# Safe to run again: it installs only what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build g++ pkg-config ccache clang-format
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

# The test command runs in stages and stops at the first that fails; the exit trap then names that
# stage and, for a test stage, the tests that failed (CTest keeps their names in the tree).
stage=""
failed_tests_tree=""
report_failure() {
  local status=$?
  [ "$status" -eq 0 ] || [ -z "$stage" ] && return
  echo >&2
  echo "FAILED at stage: $stage (exit $status)" >&2
  local log=$failed_tests_tree/Testing/Temporary/LastTestsFailed.log
  if [ -n "$failed_tests_tree" ] && [ -s "$log" ]; then
    echo "Failing tests ($failed_tests_tree):" >&2
    sed 's/^[0-9]*:/  /' "$log" >&2
  fi
}
run_stage() { # NAME command...
  stage=$1
  failed_tests_tree=""
  shift
  echo "== $stage ($(date +%T))"
  "$@"
}
# Most tests wait (on a peer, a timeout, another process) rather than compute, so CTest runs four
# per core: on 2 cores the normal suite took 3 minutes this way against 5 one per core. The tests
# do not rely on an idle machine, so the extra load is safe.
test_jobs=$((4 * $(nproc)))
run_tests() { # TREE [ctest options]
  local tree=$1
  shift
  failed_tests_tree=$tree
  rm -f "$tree/Testing/Temporary/LastTestsFailed.log"
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$tree" --output-on-failure "$@"
}

# The whole suite under AddressSanitizer (leaks included) + UndefinedBehaviorSanitizer, and the
# serial link's tests (the one part with a thread of its own, and the send runner that drives it)
# under ThreadSanitizer. Both trees keep assertions live; they skip the benchmarks and the layer
# probes (the normal tree builds those), and the thread tree builds only the link's tests.
run_test_stages() {
  run_stage "format check" format_check
  run_stage "build" build
  run_stage "tests" run_tests build -j "$test_jobs"
  run_stage "build (AddressSanitizer)" build_tree build-asan -DPELVORO_SANITIZE=ON
  ASAN_OPTIONS=abort_on_error=1 run_stage "tests (AddressSanitizer)" run_tests build-asan -j "$test_jobs"
  run_stage "build (ThreadSanitizer)" build_tree build-tsan -DPELVORO_SANITIZE_THREADS=ON --target test_comm
  TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/tests/sanitizers/tsan.supp" \
    run_stage "tests (ThreadSanitizer)" run_tests build-tsan -R '^(Serial|SendRunner)'
  stage=""
  echo "All stages passed."
}
build_tree() { # DIR [-D options] [--target ...]
  local dir=$1 options=() targets=()
  shift
  while [ $# -gt 0 ]; do
    case $1 in
      --target) targets+=(--target "$2"); shift 2 ;;
      *) options+=("$1"); shift ;;
    esac
  done
  configure "$dir" -DPELVORO_BUILD_BENCHMARKS=OFF "${options[@]}"
  cmake --build "$dir" "${targets[@]}"
}

# The sources' layout (.clang-format). PELVORO_SKIP_FORMAT_CHECK=1 skips it, while a branch's
# sources are not formatted yet.
format_check() {
  if [ -n "${PELVORO_SKIP_FORMAT_CHECK:-}" ]; then
    echo "skipped (PELVORO_SKIP_FORMAT_CHECK is set)"
    return
  fi
  configure build
  cmake --build build --target format-check
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
    trap report_failure EXIT
    run_test_stages
    ;;
  *)
    echo "usage: $0 start [--dir DIR] | test | demo" >&2
    exit 64
    ;;
esac
