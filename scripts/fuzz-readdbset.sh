#!/usr/bin/env bash
# Fuzzes the dbset.xml reader with libFuzzer (clang, Debian's libclang-rt-14-dev).
# Usage: bash scripts/fuzz-readdbset.sh [seconds]   (default 600)
# New inputs that reach new code are kept in tests/fuzz/corpus-readdbset, which the
# test suite replays (tst_fuzzcorpus).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
secs="${1:-600}"
out="$root/build-fuzz"
mkdir -p "$out"
qt="$(pkg-config --cflags --libs Qt5Core Qt5Xml Qt5Sql)"
clang++ -std=c++17 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined \
  -I"$root/data" \
  "$root/tests/fuzz/fuzz_readdbset.cpp" "$root/data/dbsetconfig.cpp" "$root/data/dbrecords.cpp" \
  "$root/data/sqllog.cpp" "$root/data/transactionscope.cpp" \
  $qt -o "$out/fuzz_readdbset"
corpus="$root/tests/fuzz/corpus-readdbset"
mkdir -p "$corpus"
[ -n "$(ls -A "$corpus")" ] || cp "$root/dbset.xml" "$corpus/shipped.xml"
QT_LOGGING_RULES="*.debug=false;*.warning=false" \
  "$out/fuzz_readdbset" -max_total_time="$secs" -timeout=10 -max_len=65536 \
  -dict="$root/tests/fuzz/dbset.dict" \
  "$corpus" 2>&1 | tail -n 25
