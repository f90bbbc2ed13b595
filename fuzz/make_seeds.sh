#!/usr/bin/env bash
# Writes the committed seeds of the INI and table fuzzers into fuzz/corpus/<fuzzer>/ with the
# command-line tool, and copies the rich-text samples of the tests.
#   fuzz/make_seeds.sh [PELVORO_CLI]   (default: build/bin/pelvoro-cli)
# The seeds of the other fuzzers are written by the fuzz_seeds program built beside the fuzzers
# (run_all.sh runs it).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-$here/../build/bin/pelvoro-cli}
out=$here/corpus
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run() { "$cli" --dir "$work/app" "$@" >/dev/null 2>&1 || true; }

mkdir -p "$work/app" "$out"/{ini_document_fuzzer,bls_reader_fuzzer,rtf_reader_fuzzer}

# INI: the configuration as the tool's set, area and subtitle commands leave it.
run set --screens 3
cp "$work/app/SysConfig.ini" "$out/ini_document_fuzzer/screens3.ini"
run set --screen 2 ScreenName=大厅 Width=96 ColorMode=1 IpAddress=10.0.0.7
run set --screen 3 "ScreenName= 前后有空格 "
cp "$work/app/SysConfig.ini" "$out/ini_document_fuzzer/named.ini"
run area add --screen 1 小字幕
run area add --screen 1 固定时钟
cp "$work/app/SysConfig.ini" "$out/ini_document_fuzzer/areas.ini"

# Tables.
t=$work/app
run table new --cols 4 --rows 3 a.bls
cp "$t/a.bls" "$out/bls_reader_fuzzer/plain.bls" 2>/dev/null || true
run table set a.bls B1=12 C2=中文
run table merge a.bls B2:C3
cp "$t/a.bls" "$out/bls_reader_fuzzer/merged.bls" 2>/dev/null || true

# Rich text: the sample documents the tests use.
cp "$here"/../tests/pages/data/rtf/*.rtf "$out/rtf_reader_fuzzer/" 2>/dev/null || true
