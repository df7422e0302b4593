#!/usr/bin/env bash
# Solves a level file at a time limit once per solver choice (both threads, thread 1 alone,
# thread 2 alone, or the choices given), replays every reported solution with --check, and
# prints per run the levels solved and, from the statistics file, how each thread ended on the
# levels the run did not solve.
# usage: bench/run-hard.sh FILE [SECONDS] [CHOICE...]     CHOICE: both, 1 or 2
# QM_KEEP=FOLDER keeps each run's report and statistics file there; QM_EXTRA adds options to
# every run (for example "--optimize moves").
set -euo pipefail
if [ $# -lt 1 ]; then
    echo "usage: $0 FILE [SECONDS] [both|1|2 ...]" >&2
    exit 2
fi
source_path=$1
seconds=${2:-20}
shift $(( $# >= 2 ? 2 : 1 ))
choices=("$@")
[ ${#choices[@]} -eq 0 ] && choices=(both 1 2)
# shellcheck source=bench/cli-setup.sh
source "$(dirname "$0")/cli-setup.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
keep=${QM_KEEP:-}
[ -n "$keep" ] && mkdir -p "$keep"

for choice in "${choices[@]}"; do
    report=$work/report-$choice.txt
    stats=$work/stats-$choice.tsv
    start=$(date +%s.%N)
    # shellcheck disable=SC2086
    "$cli" --time-limit "$seconds" --solver "$choice" --trace --report "$report" --stats "$stats" \
        ${QM_EXTRA:-} "$source_path" 2>/dev/null
    end=$(date +%s.%N)
    # Each solved level's letters into a file of its own, then replayed by --check.
    rm -f "$work"/moves-*
    awk -v dir="$work" -f "$here/report-moves.awk" "$report"
    replayed=0 bad=""
    for moves in "$work"/moves-*; do
        [ -e "$moves" ] || continue
        n=${moves##*-}
        if "$cli" --check "$moves" --level "$n" "$source_path" >/dev/null 2>&1; then
            replayed=$((replayed + 1))
        else
            bad="$bad $n"
        fi
    done
    [ -n "$keep" ] && cp "$report" "$stats" "$keep"/
    solved=$(awk '/^# Solved:/ { sub(/^# Solved: */, ""); print $1 + 0 }' "$report")
    printf '== %s, --solver %s, %ss per level: solved %s (%.0f s), replayed %d' "$(basename "$source_path")" \
        "$choice" "$seconds" "$solved" "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')" "$replayed"
    [ -n "$bad" ] && printf ', NOT REPLAYED:%s' "$bad"
    printf '\n'
    unsolved=$(awk '/^ *[0-9]+\[/ && !/moves/ && !/BoxesOver|SizeOver|Irregular|Impossible/ {
        n = $1; sub(/\[.*/, "", n); printf "%s ", n }' "$report")
    printf '   unsolved: %s\n' "${unsolved:-none}"
    awk '/^ *[0-9]+\[/ && /moves/ { m = $0; sub(/moves.*/, "", m); sub(/.*sec */, "", m); moves += m
                                    p = $0; sub(/pushes.*/, "", p); sub(/.*moves */, "", p); pushes += p }
         END { printf "   solutions: %d moves, %d pushes in all\n", moves, pushes }' "$report"
    # How each thread ended on the unsolved levels: end reason and phase, counted.
    awk -F '\t' -v list="$unsolved" '
        BEGIN { split(list, l, " "); for (i in l) want[l[i]] = 1 }
        NR > 1 && ($1 in want) {
            phase = $5; sub(/ [0-9]+\/[0-9]+$/, "", phase)
            key = "thread " $2 ": " $16 " in " phase (($13 != "-") ? " (full: " $13 ")" : "")
            count[key]++
        }
        END { for (k in count) printf "   %3d  %s\n", count[k], k }
    ' "$stats" | sort -k2
done
