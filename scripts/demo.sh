#!/usr/bin/env bash
# The demo behind `scripts/pelvoro.sh demo` (which builds first): a fresh application directory
# (build/demo, or $PELVORO_DEMO_DIR) with two screens, a 128 x 32 dual-colour one on the network
# and a 64 x 16 single-colour one on a serial port; pages converted from docs/demo/notice.rtf and
# a subtitle on the first, a clock on the second; a controller simulator for each screen; then
# the station on it.
# With --screenshots OUTDIR it sends screen 1's programme to its simulator instead and writes the
# README's pictures (scripts/screenshots.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${PELVORO_BUILD_DIR:-build}/bin
demo=${PELVORO_DEMO_DIR:-${PELVORO_BUILD_DIR:-build}/demo}
shots=""
if [ "${1:-}" = "--screenshots" ]; then
  shots=${2:?--screenshots needs a directory}
  shift 2
fi

pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

# Waits for the simulator's line that matches $2 in log $1 and prints its last field.
sim_says() {
  for _ in $(seq 100); do
    line=$(grep -m1 -E "$2" "$1" || true)
    [ -n "$line" ] && { echo "${line##* }"; return 0; }
    sleep 0.1
  done
  echo "the simulator did not start: $(cat "$1")" >&2
  return 1
}

# The tools enter the application's directory: every path they get is absolute.
demo=$(realpath -m "$demo")
rm -rf "$demo"
mkdir -p "$demo"
QT_QPA_PLATFORM=offscreen "$bin/pelvoro-sim" --tcp 0 --state "$demo/sim-screen1" --snapshot \
  >"$demo/sim-screen1.log" 2>&1 &
pids+=($!)
QT_QPA_PLATFORM=offscreen "$bin/pelvoro-sim" --serial --colour single --state "$demo/sim-screen2" --snapshot \
  >"$demo/sim-screen2.log" 2>&1 &
pids+=($!)
port=$(sim_says "$demo/sim-screen1.log" '^listening on ' | sed 's/.*://')
device=$(sim_says "$demo/sim-screen2.log" '^serial device ')

cli() {
  "$bin/pelvoro-cli" --dir "$demo" "$@" >/dev/null 2>"$demo/cli.log" || { cat "$demo/cli.log" >&2; return 1; }
}
cli set --screens 2
cli set --screen 1 Width=128 Height=32 ColorMode=1 CommMode=2 IpAddress=127.0.0.1 "IpPort=$port"
cli set --screen 2 Width=64 Height=16 ColorMode=0 CommMode=0 ComPort=1 BaudIndex=3
# Screen 1: pages over a subtitle strip, 16 rows each; screen 2: a clock.
cli area add --screen 1 主区
cli area add --screen 1 小字幕
cli area add --screen 2 固定时钟
cli convert --screen 1 "$PWD/docs/demo/notice.rtf"
cli subtitle set --screen 1 "欢迎光临 本店营业时间 8:00-22:00" --colour 黄
export PELVORO_COM1=$device

if [ -n "$shots" ]; then
  shots=$(realpath -m "$shots")
  mkdir -p "$shots"
  cli send all --screen 1
  QT_QPA_PLATFORM=offscreen "$bin/pelvoro-screenshot" --dir "$demo" "$shots" "$demo/sim-screen1/screen1/screen.png"
  exit 0
fi

echo "Demo directory: $demo"
echo "  screen 1: 128 x 32 dual colour on 127.0.0.1:$port (pelvoro-sim, snapshots in $demo/sim-screen1/screen1/)"
echo "  screen 2: 64 x 16 single colour on COM1 = $device (pelvoro-sim, snapshots in $demo/sim-screen2/screen2/)"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display available: starting the station under Xvfb (xvfb-run -a); nothing will be seen on screen."
  xvfb-run -a "$bin/pelvoro" --dir "$demo"
else
  "$bin/pelvoro" --dir "$demo"
fi
