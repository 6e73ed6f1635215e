#!/bin/bash
# tools/fuzz.sh TARGET SECONDS [LIBFUZZER-OPTION...]
# Builds the fuzz preset (clang, libFuzzer, ASan, UBSan) and runs one fuzz target of
# tests/fuzz/ for SECONDS. The run starts from the target's committed seeds
# (tests/fuzz/corpus/TARGET) and from what earlier runs learnt (build/fuzz/corpus/TARGET),
# and keeps what it learns there; an input that crashes or breaks a property is written to
# build/fuzz/artifacts/. The whole output is in build/fuzz/logs/TARGET.log. Prints the
# number of executions and their rate; the exit status is libFuzzer's, 0 when nothing was
# found. Options such as -runs=N (stop after N executions) or -max_len=N follow SECONDS.
# Without arguments: lists the targets.
set -u
cd "$(dirname "$0")/.."
targets=$(ls tests/fuzz/*_fuzz.cpp | sed -E 's|.*/(.*)_fuzz\.cpp|\1|')
if [ $# -lt 2 ] || ! echo "$targets" | grep -qx "$1"; then
    echo "usage: tools/fuzz.sh TARGET SECONDS [LIBFUZZER-OPTION...]; targets:" $targets >&2
    exit 2
fi
target=$1
seconds=$2
shift 2
cmake --preset fuzz > /tmp/cvl-configure-fuzz-$$.log 2>&1 ||
    { cat /tmp/cvl-configure-fuzz-$$.log; exit 2; }
rm -f /tmp/cvl-configure-fuzz-$$.log
cmake --build --preset fuzz --target "fuzz_$target" -j "$(nproc)" > /dev/null || exit 2

learnt=build/fuzz/corpus/$target
log=build/fuzz/logs/$target.log
mkdir -p "$learnt" build/fuzz/artifacts build/fuzz/logs
dictionary=()
[ -f "tests/fuzz/$target.dict" ] && dictionary=("-dict=tests/fuzz/$target.dict")
start=$(date +%s)
: > "$log"
# libFuzzer reports progress at powers of two ("pulse"); those lines and any finding are shown.
"build/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
    -rss_limit_mb=2048 "${dictionary[@]}" -artifact_prefix="build/fuzz/artifacts/$target-" \
    "$@" "$learnt" "tests/fuzz/corpus/$target" > "$log" 2>&1 &
fuzzer=$!
tail -n +1 -f --pid="$fuzzer" "$log" | grep --line-buffered -E 'pulse|DONE|ERROR|SUMMARY|property|Test unit written'
wait "$fuzzer"
status=$?
executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
echo "$target: ${executions:-0} executions in $(( $(date +%s) - start )) s" \
     "(${rate:-0} exec/s), exit status $status"
exit "$status"
