#!/usr/bin/env bash
# Crash-consistency run (not a CI test): repeats random writing commands of pelvoro-cli on one
# application directory and SIGKILLs each at a random moment of its run. Before each kill the same
# command runs to its end on a copy of the directory: that copy is the whole new state, the
# directory before the command the whole old one. After the kill the next run of the tool (a
# reading one) completes or drops what was left, and the directory must then equal one of the two,
# byte for byte, with nothing staged or half-written beside the files. The next command then runs
# on whatever state was left, so a kill that broke something also shows in the rounds after it.
# usage: benchmarks/crash_consistency.sh BUILD_BIN_DIR [KILLS]   (default 1000)
set -uo pipefail
bin=${1:?give the build\'s bin directory}
kills=${2:-1000}
cli="$bin/pelvoro-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dir="$work/app"; old="$work/old"; new="$work/new"; files="$work/in"
mkdir -p "$dir" "$files"
export QT_QPA_PLATFORM=offscreen
run() { "$cli" --dir "$1" "${@:2}" >/dev/null 2>&1; }
gbk() { iconv -f UTF-8 -t GBK; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

printf '[全局参数]\r\n显示屏数目=0\r\n[0号屏参数]\r\n控制卡类型=Normal\r\n单双色=1\r\n横向点数=64\r\n纵向点数=32\r\n主区域高=16\r\n字幕区域高=16\r\n第一区域=主区\r\n第二区域=小字幕\r\n' | gbk > "$dir/SysConfig.ini"
python3 - "$files" <<'PY' || { echo "needs python3 to draw the pictures"; exit 2; }
import sys, zlib, struct
def png(path, w, h, rgb):
    raw = b''.join(b'\x00' + bytes(rgb) * w for _ in range(h))
    def chunk(t, d): return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    open(path, 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
                           + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))
png(sys.argv[1] + '/red.png', 64, 16, (255, 0, 0))
png(sys.argv[1] + '/green.png', 32, 16, (0, 255, 0))
PY
printf '{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 converted text\\par second line\\par}' > "$files/doc.rtf"

page_count() {
    [ -f "$dir/Tavrel1.dat" ] || { echo 0; return; }
    od -An -tu1 -j12 -N1 "$dir/Tavrel1.dat" | tr -d ' '
}
has_main() { iconv -f GBK -t UTF-8 "$dir/SysConfig.ini" | grep -q '区域=主区'; }
# Keeps the directory worth killing in: a main area with a few pages, a subtitle and a saved project.
prepare() {
    has_main || run "$dir" area add --screen 1 主区
    iconv -f GBK -t UTF-8 "$dir/SysConfig.ini" | grep -q '区域=小字幕' || run "$dir" area add --screen 1 小字幕
    local tries=0
    while [ "$(page_count)" -lt 3 ] && [ $tries -lt 5 ]; do
        run "$dir" pages add --screen 1 --dwell $((RANDOM % 200)) "$files/red.png" "$files/green.png"
        tries=$((tries + 1))
    done
}
# Leftovers that must not survive the next run of the tool.
leftovers() {
    local f
    for f in "$dir"/*.pelvoro-new "$dir"/.*.pelvoro-new "$dir"/.pelvoro-journal "$dir"/*.[A-Za-z0-9][A-Za-z0-9][A-Za-z0-9][A-Za-z0-9][A-Za-z0-9][A-Za-z0-9]; do
        [ -e "$f" ] && echo "left behind: ${f##*/}"
    done
}
same() { diff -rq --exclude=.pelvoro.lock "$1" "$2" >/dev/null 2>&1; }
snapshot() { rm -rf "$2"; cp -a "$1" "$2"; rm -f "$2/.pelvoro.lock"; }

prepare
run "$dir" subtitle set --screen 1 "first subtitle"
run "$dir" project save "$files/p.save"
bad=0; killed=0; finished=0; rounds=0; failed_next=0
declare -A killed_by=() bad_by=()
start=$(date +%s)
while [ "$killed" -lt "$kills" ] && [ "$rounds" -lt $((kills * 4)) ]; do
    rounds=$((rounds + 1))
    prepare
    count=$(page_count); [ "$count" -gt 0 ] || count=1
    page=$((RANDOM % count + 1))
    case $((RANDOM % 16)) in
    0 | 1) args=(pages delete --screen 1 --page "$page") ;;
    2) args=(pages delete --screen 1 --all) ;;
    3) args=(pages move --screen 1 --page "$page" $([ $((RANDOM % 2)) = 0 ] && echo up || echo down)) ;;
    4) args=(pages add --screen 1 --dwell $((RANDOM % 200)) "$files/green.png") ;;
    5) args=(convert --screen 1 "$files/doc.rtf") ;;
    6) args=(pages set --screen 1 --page "$page" --effect $((RANDOM % 10))) ;;
    7 | 8) args=(subtitle set --screen 1 "text $rounds $RANDOM") ;;
    9) args=(subtitle delete --screen 1) ;;
    10) args=(set --screen 1 "ScreenName=s$rounds") ;;
    11) args=(set --screen 1 "Width=$([ $((RANDOM % 2)) = 0 ] && echo 64 || echo 72)") ;;
    12) args=(area remove --screen 1 $([ $((RANDOM % 2)) = 0 ] && echo 主区 || echo 小字幕)) ;;
    13) args=(schedule set --screen 1 --page "$page" --start-time "0$((RANDOM % 10)):$((RANDOM % 50 + 10)):00") ;;
    14) args=(project open "$files/p.save") ;;
    15) args=(pages delete --screen 1 --page 1) ;;
    esac
    # The whole new state, and how long the command takes to reach it.
    snapshot "$dir" "$old"
    snapshot "$dir" "$new"
    t0=$(now_ms)
    "$cli" --dir "$new" "${args[@]}" >/dev/null 2>&1
    expected=$?
    took=$(($(now_ms) - t0))
    rm -f "$new/.pelvoro.lock"
    if [ "${args[0]}" = project ] && [ "${args[1]}" = save ]; then snapshot "$dir" "$new"; fi
    # The same command on the directory itself, killed somewhere inside its run.
    "$cli" --dir "$dir" "${args[@]}" >/dev/null 2>&1 &
    pid=$!
    delay=$((RANDOM % (took + 5)))
    sleep "$((delay / 1000)).$(printf '%03d' $((delay % 1000)))"
    if kill -9 "$pid" 2>/dev/null; then
        wait "$pid" 2>/dev/null
        code=$?
        if [ "$code" -eq 137 ]; then killed=$((killed + 1)); killed_by[${args[0]} ${args[1]}]=$((${killed_by[${args[0]} ${args[1]}]:-0} + 1)); else finished=$((finished + 1)); fi
    else
        wait "$pid" 2>/dev/null
        finished=$((finished + 1))
    fi
    run "$dir" pages list --screen 1 # the next run completes or drops what was left
    problems=$(leftovers)
    if ! same "$dir" "$old" && ! same "$dir" "$new"; then
        problems+=$'\n'"neither the old nor the new state: $(diff -rq --exclude=.pelvoro.lock "$dir" "$new" | tr '\n' ';')"
    fi
    if [ -n "$problems" ]; then
        bad=$((bad + 1)); bad_by[${args[0]} ${args[1]}]=$((${bad_by[${args[0]} ${args[1]}]:-0} + 1))
        echo "round $rounds (${args[*]}, exit $expected on the copy, killed after ${delay} of ${took} ms):$problems"
        # Go on from the new state, so that one fault is counted once.
        rm -rf "$dir"; cp -a "$new" "$dir"
    fi
    # The next command works on what the kill left: the same command once more, to its end.
    snapshot "$dir" "$new"
    if "$cli" --dir "$new" "${args[@]}" >/dev/null 2>&1; [ $? -ne "$expected" ] && same "$dir" "$old"; then
        failed_next=$((failed_next + 1))
        echo "round $rounds (${args[*]}): after the kill the command no longer gives exit $expected"
    fi
done
for key in "${!killed_by[@]}"; do echo "  killed in $key: ${killed_by[$key]}, inconsistent ${bad_by[$key]:-0}"; done | sort
echo "rounds: $rounds, killed while running: $killed, finished before the kill: $finished," \
     "inconsistent states: $bad, next command failing: $failed_next, time: $(($(date +%s) - start)) s"
[ "$bad" -eq 0 ] && [ "$failed_next" -eq 0 ]
