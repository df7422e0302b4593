#!/bin/bash
# A batch from the option dialog: levels 1 to 2 of the sample set with a report file. Then a
# second batch over the whole set is interrupted by SIGTERM, which must end the program soon
# and cleanly although the worker thread is busy.
#
# usage: window_batch.sh QUILLMATE QUILLMATE_CLI

. "$(dirname "$0")/window_common.sh"
qm_require_tools
APP=$1

qm_open_main_window "$APP" 5
main=$QM_MAIN
REPORT="$QM_WORK/report.txt"

qm_click "$main" 46 40    # Sample
qm_click "$main" 746 40   # Option
option=$(qm_wait_window "Option") || exit 1
qm_click "$option" 30 116   # " Output file." (enables the report path)
qm_click "$option" 180 141  # report path
qm_type "$REPORT"
qm_click "$option" 161 175  # from (its text is selected on focus)
qm_type 1
qm_click "$option" 239 175  # to
qm_type 2
qm_click "$option" 365 175  # Batch Start
qm_wait_window_gone "Option"

box=$(qm_wait_window "Kelvaro Solver") || exit 1
qm_dismiss_message_box "$box"
qm_wait_window_gone "Kelvaro Solver"

[ -f "$REPORT" ] || qm_fail "no report file"
report=$(tr -d '\r' <"$REPORT")
line() { printf '%s\n' "$report" | sed -n "${1}p"; }
[ "$(line 1)" = "# Quillmate Ver7.3.1 by nuvelka (Oct/2021)" ] || qm_fail "header line 1: $(line 1)"
[ "$(line 2)" = "# LevelSetName: Sample (6 levels)" ] || qm_fail "header line 2: $(line 2)"
printf '%s\n' "$report" | grep -q '^# MaxSize \[50\*50(64)\] Memory 3.5GB TimeLimit 5sec$' ||
    qm_fail "no size line with the 5-second limit of the settings file"
levels=$(printf '%s\n' "$report" | grep -E '^ +[0-9]+\[')
[ "$(printf '%s\n' "$levels" | wc -l)" -eq 2 ] || qm_fail "expected two level lines, got: $levels"
printf '%s\n' "$levels" | sed -n 1p | grep -qE '^   1\[ 9\* 8\(  3\)\] +[0-9]+sec +[0-9]+moves +[0-9]+pushes$' ||
    qm_fail "level 1 line: $(printf '%s\n' "$levels" | sed -n 1p)"
printf '%s\n' "$levels" | sed -n 2p | grep -qE '^   2\[15\* 7\(  3\)\] +[0-9]+sec +[0-9]+moves +[0-9]+pushes$' ||
    qm_fail "level 2 line: $(printf '%s\n' "$levels" | sed -n 2p)"
printf '%s\n' "$report" | grep -qE '^# Solved: +2 levels +\[[0-9/]+ [0-9:]+ Finish\]$' || qm_fail "no footer with 2 solved"
printf '%s\n' "$report" | grep -qE '^# Failed: +0 levels$' || qm_fail "no footer with 0 failed"

# The whole set again into the same report, and SIGTERM while it runs: the program cancels
# the batch, which still finishes its report, and ends with status 0.
qm_click "$main" 746 40
option=$(qm_wait_window "Option") || exit 1
qm_click "$option" 161 175  # from
qm_type 1
qm_click "$option" 239 175  # to
qm_type 6
qm_click "$option" 365 175  # Batch Start
qm_wait_window_gone "Option"
qm_app_running || qm_fail "the program ended during the batch"
qm_terminate_app "during a batch"
report=$(tr -d '\r' <"$REPORT")
printf '%s\n' "$report" | grep -q '^->Cancel$' || qm_fail "the interrupted batch has no cancel line: $report"
printf '%s\n' "$report" | grep -qE '^# Solved: +[0-5] levels ' || qm_fail "the interrupted batch has no footer: $report"
echo "PASS: batch report checked; a batch interrupted by SIGTERM was cancelled and closed"
