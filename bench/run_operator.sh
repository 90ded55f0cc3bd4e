#!/bin/sh
# Builds the operator benchmark and the sale commit benchmark in Release and
# runs them all, printing Markdown tables (see README.md, "The operator's
# waits"). About 11 minutes on a busy 2-core machine once the files exist;
# the first run also generates them (about 5.5 minutes, not measured) into
# $QUOLLIN_BENCH_CACHE (default /var/tmp/quollin-bench).
#
#   bench/run_operator.sh [build-folder] [output-file]
set -eu

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$source_dir/build-operator"}
out=${2:-"$build/operator-$(date -u +%Y%m%d-%H%M).md"}

launcher=""
if command -v ccache >/dev/null 2>&1; then
    launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
fi
# shellcheck disable=SC2086
cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUOLLIN_BUILD_BENCH=ON \
    -DQUOLLIN_BUILD_TESTS=OFF $launcher >/dev/null
cmake --build "$build" --parallel 2 --target bench_operator bench_sale

operator="$build/bench/bench_operator"
export QT_QPA_PLATFORM=offscreen

# The files first, so that no measured process generates one.
"$operator" --goods 10000 --lines 100000 --prepare
"$operator" --goods 100000 --lines 1000000 --prepare
"$operator" --goods 1000000 --lines 1000000 --prepare

# Qt's notes about the offscreen platform are no figures.
run() {
    "$@" 2>&1 | grep -v -e XDG_RUNTIME_DIR -e propagateSizeHints
}

state() {
    echo
    echo "$1: $(date -u '+%Y-%m-%d %H:%M:%S UTC'), uptime:$(uptime | sed 's/.*up[^,]*,//')"
}

{
    echo "## Operator benchmark $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git -C "$source_dir" rev-parse --short HEAD)"
    echo
    echo "nproc $(nproc); $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'), $(grep -m1 'cpu MHz' /proc/cpuinfo | sed 's/.*: //') MHz; $(free -m | awk '/Mem:/ {print $2 " MiB RAM"}')"
    echo "$(. /etc/os-release && echo "$PRETTY_NAME"); Qt $(qmake6 -query QT_VERSION 2>/dev/null || echo '?')"

    state "Start"
    run "$operator" --goods 10000 --lines 100000 --reps 10 --cold-reps 5
    state "After 10,000"
    run "$operator" --goods 100000 --lines 1000000 --reps 7 --cold-reps 5 --sales --records
    state "After 100,000"
    run "$operator" --goods 100000 --lines 1000000 --backup
    state "After the backup run"
    run "$operator" --goods 1000000 --lines 1000000 --reps 3 --cold-reps 2
    state "After 1,000,000"
    echo
    echo "### Sale commit beside the bare transaction (bench_sale)"
    echo
    echo '```'
    "$build/bench/bench_sale" --benchmark_filter='ConfirmSale' --benchmark_repetitions=3 \
        --benchmark_report_aggregates_only=true 2>&1 | grep -E 'ConfirmSale|^Run on|CPU|Load'
    echo '```'
    state "End"
} 2>&1 | tee "$out"
echo "Written to $out"
