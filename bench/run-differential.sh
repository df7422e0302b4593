#!/usr/bin/env bash
# The solver against the plain reference on generated tiny levels: how many levels the reference
# solves, how many each solver choice solves or misses, and the time taken.
# usage: bench/run-differential.sh [SEED]   (build first: cmake --build build)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
test_program=${QM_DIFF_TEST:-$here/../build/tests/qm_test_reference}
if [ ! -x "$test_program" ]; then
    echo "$0: $test_program not found; build first (cmake --build build)" >&2
    exit 2
fi
start=$(date +%s.%N)
QM_DIFF_SEED=${1:-1} "$test_program" --gtest_brief=1 | grep -E "seed|judged|solved|missed|proved" || true
end=$(date +%s.%N)
awk -v t0="$start" -v t1="$end" 'BEGIN { printf "seconds %.1f\n", t1 - t0 }'
