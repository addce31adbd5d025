#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build (every fuzz_* program in it, so a new reader's
# target is run as soon as it is built): first over its seeds in tests/data/fuzz-seeds/<name>/
# and the kept crashers in tests/data/fuzz-regressions/*.<name>, then over RUNS new inputs
# made from a fixed SEED, so that two runs try the same inputs (RUNS: the table below, about
# 20 seconds of each target on one core; a target not in it gets 40000). A crash, a sanitizer report,
# a hang (TIMEOUT seconds on one input) or running out of memory fails the run, and the
# input is left in <build>/fuzz-out/<name>/ to be kept beside the regression files.
#
#   scripts/run-fuzzers.sh build/fuzz            # every target
#   RUNS=1000 scripts/run-fuzzers.sh build/fuzz fuzz_obj
set -uo pipefail
build=$(realpath "$1")
shift
root=$(cd "$(dirname "$0")/.." && pwd)
# New inputs per target: its rate on a quiet 2-core machine (inputs a second from the fixed
# seed) times about 20 seconds, rounded.
declare -A runs_of=([bitmap]=2000000 [dxf]=600000 [gltf]=150000 [lwo]=350000 [mqo]=500000
    [obj]=400000 [ply]=450000 [rok]=1000000 [stl]=550000 [x]=300000)
# The fuzz build's undefined-behaviour checks only report and carry on unless told to stop;
# a report must fail the run and leave its input like a crash does.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
seed=${SEED:-20261209}
timeout=${TIMEOUT:-10}
seeds="$root/tests/data/fuzz-seeds"
regressions="$root/tests/data/fuzz-regressions"

targets=("$@")
if ((${#targets[@]} == 0)); then
    while IFS= read -r t; do targets+=("$(basename "$t")"); done < <(
        find "$build/fuzz" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x | LC_ALL=C sort)
fi
if ((${#targets[@]} == 0)); then
    echo "run-fuzzers: no fuzz_* programs in $build/fuzz" >&2
    exit 1
fi

failed=()
for target in "${targets[@]}"; do
    name=${target#fuzz_}
    runs=${RUNS:-${runs_of[$name]:-40000}}
    out="$build/fuzz-out/$name"
    rm -rf "$out"
    mkdir -p "$out/new" "$out/given"
    # The given inputs, copied so that the fuzzer's own corpus (its first folder) is a
    # scratch folder and nothing is ever written into the tree.
    [[ -d $seeds/$name ]] && find "$seeds/$name" -maxdepth 1 -type f -exec cp {} "$out/given/" \;
    find "$regressions" -maxdepth 1 -type f -iname "*.$name" -exec cp {} "$out/given/" \;
    given=$(find "$out/given" -type f | wc -l)
    ((given > 0)) || echo "run-fuzzers: $target has no seeds (add some to tests/data/fuzz-seeds/$name/)" >&2
    start=$SECONDS
    if "$build/fuzz/$target" "$out/new" "$out/given" -runs="$runs" -seed="$seed" \
        -timeout="$timeout" -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 \
        -artifact_prefix="$out/" >"$out/log" 2>&1; then
        echo "run-fuzzers: $target: $given given inputs and $runs runs in $((SECONDS - start)) s, no fault"
    else
        failed+=("$target")
        echo "run-fuzzers: $target FAILED after $((SECONDS - start)) s; the input is in $out/:" >&2
        grep -E 'ERROR|SUMMARY|Test unit written' "$out/log" | head -20 >&2
    fi
done
if ((${#failed[@]} > 0)); then
    echo "run-fuzzers: faults in ${failed[*]}" >&2
    exit 1
fi
