#!/usr/bin/env bash
# Crash-consistency run (not a CI test): repeats random writing commands of pelvoro-cli on one
# application directory, SIGKILLs each at a random moment, lets the next run of the tool complete
# or drop what the killed one left, and counts states that break what the files promise:
#   - a staged file or the journal still there after the next run;
#   - a page or subtitle file whose size does not match its page count;
#   - a subtitle text without its pages or pages without their text;
#   - a page whose schedule is not its own (each page k carries its id as dwell, its schedule
#     section "0号屏k页定时参数" the same id, so a delete that shifted one and not the other shows).
# usage: benchmarks/crash_consistency.sh BUILD_BIN_DIR [KILLS]   (default 1000)
set -uo pipefail
bin=${1:?give the build\'s bin directory}
kills=${2:-1000}
cli="$bin/pelvoro-cli"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export QT_QPA_PLATFORM=offscreen
run() { "$cli" --dir "$dir" "$@" >/dev/null 2>&1; }
gbk() { iconv -f UTF-8 -t GBK; }

printf '[全局参数]\r\n显示屏数目=0\r\n[0号屏参数]\r\n控制卡类型=Normal\r\n单双色=1\r\n横向点数=64\r\n纵向点数=32\r\n主区域高=16\r\n字幕区域高=16\r\n第一区域=主区\r\n第二区域=小字幕\r\n' | gbk > "$dir/SysConfig.ini"
python3 - "$dir/p.png" <<'PY' || { echo "needs python3 to draw a picture"; exit 2; }
import sys, zlib, struct
w, h = 64, 16
raw = b''.join(b'\x00' + b'\xff\x00\x00' * w for _ in range(h))
def chunk(t, d): return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
open(sys.argv[1], 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
                              + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))
PY
next_id=1
# Appends a page with a fresh id and its schedule section (run between kills, never killed).
add_page() {
    local count id
    count=$(page_count)
    id=$((next_id % 250 + 1)); next_id=$((next_id + 1))
    run pages add --screen 1 --dwell "$id" "$dir/p.png" || return
    printf '[0号屏%d页定时参数]\r\nid=%d\r\n' $((count + 1)) "$id" | gbk >> "$dir/SysConfig.ini"
}
page_count() {
    [ -f "$dir/Tavrel1.dat" ] || { echo 0; return; }
    od -An -tu1 -j12 -N1 "$dir/Tavrel1.dat" | tr -d ' '
}
# Prints a line per broken promise.
check() {
    local f size count
    for f in "$dir"/*.pelvoro-new "$dir"/.pelvoro-journal; do [ -e "$f" ] && echo "left behind: ${f##*/}"; done
    if [ -f "$dir/Tavrel1.dat" ]; then
        size=$(stat -c %s "$dir/Tavrel1.dat"); count=$(page_count)
        [ "$size" -eq $((13 + count * (4 + 256) + 1)) ] || echo "torn page file: $size bytes for $count pages"
        local config k dwell sched
        config=$(iconv -f GBK -t UTF-8 "$dir/SysConfig.ini" | tr -d '\r')
        for ((k = 1; k <= count; k++)); do
            dwell=$(od -An -tu1 -j$((13 + 4 * (k - 1) + 3)) -N1 "$dir/Tavrel1.dat" | tr -d ' ')
            sched=$(printf '%s\n' "$config" | awk -v s="[0号屏${k}页定时参数]" '$0 == s {f = 1; next} /^\[/ {f = 0} f && /^id=/ {sub("id=", ""); print; exit}')
            [ "$sched" = "$dwell" ] || echo "page $k has dwell $dwell but schedule ${sched:-none}"
        done
    fi
    if [ -f "$dir/TavrelTitle1.dat" ]; then
        size=$(stat -c %s "$dir/TavrelTitle1.dat")
        count=$(od -An -tu1 -j12 -N1 "$dir/TavrelTitle1.dat" | tr -d ' ')
        [ "$size" -eq $((17 + count * 256 + 1)) ] || echo "torn subtitle file: $size bytes for $count pages"
    fi
    if [ -f "$dir/TavrelTitle1.dat" ] && [ ! -f "$dir/TavrelTitle1.txt" ]; then echo "subtitle pages without text"; fi
    if [ ! -f "$dir/TavrelTitle1.dat" ] && [ -f "$dir/TavrelTitle1.txt" ]; then echo "subtitle text without pages"; fi
}

for _ in 1 2 3; do add_page; done
bad=0; killed=0; finished=0
for ((i = 1; i <= kills; i++)); do
    while [ "$(page_count)" -lt 3 ]; do add_page; done
    count=$(page_count)
    case $((RANDOM % 5)) in
    0) args=(pages delete --screen 1 --page $((RANDOM % count + 1))) ;;
    1) args=(subtitle set --screen 1 "text $i $RANDOM") ;;
    2) args=(subtitle delete --screen 1) ;;
    3) args=(set --screen 1 "ScreenName=s$i") ;;
    4) args=(pages set --screen 1 --page 1 --effect $((RANDOM % 10))) ;;
    esac
    "$cli" --dir "$dir" "${args[@]}" >/dev/null 2>&1 &
    pid=$!
    sleep "0.$(printf '%03d' $((RANDOM % 400)))"
    if kill -9 "$pid" 2>/dev/null; then killed=$((killed + 1)); else finished=$((finished + 1)); fi
    wait "$pid" 2>/dev/null
    run pages list --screen 1 # the next run completes or drops what was left
    problems=$(check)
    if [ -n "$problems" ]; then
        bad=$((bad + 1))
        echo "round $i (${args[*]}): $problems"
    fi
done
echo "rounds: $kills, killed while running: $killed, finished before the kill: $finished, inconsistent states: $bad"
[ "$bad" -eq 0 ]
