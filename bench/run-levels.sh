#!/usr/bin/env bash
# Solves chosen levels of a file one at a time, replays every solution with --check, and prints
# each level's time and, in all, the levels solved and the seconds spent with every unsolved
# level counted at the limit: a graded measure for comparing two builds on levels both solve.
# usage: bench/run-levels.sh FILE SECONDS CHOICE LEVEL...     CHOICE: both, 1, 2 or 3
# QM_CLI=BINARY runs another build; QM_EXTRA adds options to every run.
set -euo pipefail
if [ $# -lt 4 ]; then
    echo "usage: $0 FILE SECONDS both|1|2|3 LEVEL..." >&2
    exit 2
fi
source_path=$1 seconds=$2 choice=$3
shift 3
# shellcheck source=bench/cli-setup.sh
source "$(dirname "$0")/cli-setup.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

solved=0 total=0
for n in "$@"; do
    report=$work/report-$n.txt
    start=$(date +%s.%N)
    # shellcheck disable=SC2086
    "$cli" --time-limit "$seconds" --solver "$choice" --from "$n" --to "$n" --trace \
        --report "$report" ${QM_EXTRA:-} "$source_path" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    spent=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }')
    awk -v dir="$work" -f "$here/report-moves.awk" "$report"
    verdict=unsolved
    if [ -e "$work/moves-$n" ]; then
        if "$cli" --check "$work/moves-$n" --level "$n" "$source_path" >/dev/null 2>&1; then
            verdict=solved
            solved=$((solved + 1))
        else
            verdict="NOT REPLAYED"
        fi
    fi
    [ "$verdict" = solved ] || spent=$seconds
    total=$(awk -v a="$total" -v b="$spent" 'BEGIN { print a + b }')
    printf '%s\t%s\t%s s\n' "$n" "$verdict" "$spent"
done
printf '== %s, --solver %s, %ss per level: solved %d of %d, %.1f s with unsolved at the limit\n' \
    "$(basename "$source_path")" "$choice" "$seconds" "$solved" "$#" "$total"
