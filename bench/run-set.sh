#!/usr/bin/env bash
# Solves a level set with the command-line solver and prints the figures we track:
# solved / failed / skipped counts, total seconds and seconds per solved level.
# usage: bench/run-set.sh SOURCE [SECONDS] [extra quillmate-cli options...]
# SOURCE is a level file or folder, or the word "sample" for the built-in sample set.
set -euo pipefail
if [ $# -lt 1 ]; then
    echo "usage: $0 SOURCE [SECONDS] [quillmate-cli options...]" >&2
    exit 2
fi
source_path=$1
seconds=${2:-10}
shift $(( $# >= 2 ? 2 : 1 ))
# shellcheck source=bench/cli-setup.sh
source "$(dirname "$0")/cli-setup.sh"
report=$(mktemp)
trap 'rm -f "$report"' EXIT
start=$(date +%s.%N)
if [ "$source_path" = sample ]; then
    "$cli" --time-limit "$seconds" --report "$report" "$@" 2>/dev/null
else
    "$cli" --time-limit "$seconds" --report "$report" "$@" "$source_path" 2>/dev/null
fi
end=$(date +%s.%N)
awk -v t0="$start" -v t1="$end" -v src="$source_path" -v limit="$seconds" '
    /^# Solved:/ { sub(/^# Solved: */, ""); solved = $1 + 0 }
    /^# Failed:/ { sub(/^# Failed: */, ""); failed = $1 + 0 }
    /^# Skiped:/ { sub(/^# Skiped: */, ""); skipped = $1 + 0 }
    /^ *[0-9]+\[/ {
        if (match($0, /\][ ]*[0-9]+sec/)) {
            s = substr($0, RSTART + 1, RLENGTH - 4); gsub(/ /, "", s); levelsec += s
        }
        if ($0 ~ /moves/) solvedsec += s
    }
    END {
        printf "source %s, time limit %ss\n", src, limit
        printf "solved %d / failed %d / skipped %d\n", solved, failed, skipped
        printf "total seconds %.1f (wall clock), %d (sum of level times)\n", t1 - t0, levelsec
        if (solved > 0) printf "seconds per solved level %.2f\n", solvedsec / solved
        else printf "seconds per solved level -\n"
    }' "$report"
