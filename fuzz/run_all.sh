#!/usr/bin/env bash
# Builds every fuzzer and runs each in turn for N seconds, then prints one line per fuzzer:
# executions, seconds and the result.
#   fuzz/run_all.sh [SECONDS] [FUZZER...]     (default 600 seconds, every fuzzer)
# BUILD (default build-fuzz) is the clang build tree; NICE (default 10) the runs' niceness. Each run
# starts from the committed seeds (fuzz/corpus/<fuzzer>), the seeds fuzz_seeds writes from the
# station's writers and what earlier runs kept (BUILD/fuzz-corpus/<fuzzer>); a crash, leak, timeout
# or broken invariant leaves its input in BUILD/fuzz-crashes/<fuzzer>/ and the log in BUILD/fuzz-logs.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$here")
build=${BUILD:-$src/build-fuzz}
seconds=${1:-600}
shift || true
all=(ini_document_fuzzer bls_reader_fuzzer rtf_reader_fuzzer page_store_fuzzer subtitle_store_fuzzer
     project_files_fuzzer link_answer_fuzzer controller_card_fuzzer)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")

if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache -DPELVORO_BUILD_FUZZERS=ON \
        -DPELVORO_BUILD_TESTS=OFF -DPELVORO_BUILD_BENCHMARKS=OFF || exit 1
fi
nice -n "${NICE:-10}" ninja -C "$build" fuzz_seeds "${targets[@]}" || exit 1
rm -rf "$build/fuzz-seeds"
QT_QPA_PLATFORM=offscreen "$build/bin/fuzz_seeds" "$build/fuzz-seeds" || exit 1

# Per fuzzer: the longest input and any extra options.
options() {
    case $1 in
    ini_document_fuzzer) echo "-max_len=16384" ;;
    bls_reader_fuzzer) echo "-max_len=65536" ;;
    rtf_reader_fuzzer) echo "-max_len=8192 -dict=$here/rtf.dict" ;;
    project_files_fuzzer | controller_card_fuzzer) echo "-max_len=8192" ;;
    link_answer_fuzzer) echo "-max_len=1100" ;;
    *) echo "-max_len=4096" ;;
    esac
}

summary=()
for t in "${targets[@]}"; do
    corpus=$build/fuzz-corpus/$t
    crashes=$build/fuzz-crashes/$t
    log=$build/fuzz-logs/$t.log
    mkdir -p "$corpus" "$crashes" "$(dirname "$log")"
    seeds=()
    for d in "$here/corpus/$t" "$build/fuzz-seeds/$t"; do
        [ -d "$d" ] && seeds+=("$d")
    done
    start=$(date +%s)
    # shellcheck disable=SC2046
    nice -n "${NICE:-10}" "$build/bin/$t" $(options "$t") -timeout=10 -max_total_time="$seconds" \
        -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus" "${seeds[@]}" >"$log" 2>&1
    rc=$?
    took=$(($(date +%s) - start))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ "$rc" -eq 0 ]; then result=clean; else result="FAILED (exit $rc, see $log)"; fi
    summary+=("$(printf '%-24s %12s executions %6s s  %s' "$t" "${runs:-?}" "$took" "$result")")
    echo "${summary[-1]}"
done
echo
printf '%s\n' "${summary[@]}"
