#!/bin/bash
# The window program solves a level: start it on a private X server, click Sample and Solve,
# copy the solution from the result box and replay it with the command-line program, close the
# box with OK, and compare the board view with the start position the command-line program
# draws. Finally SIGTERM closes the program cleanly.
#
# usage: window_solve.sh QUILLMATE QUILLMATE_CLI
# With QM_SCREENSHOT=FILE set, a picture of the whole window after the solve is kept in FILE.

. "$(dirname "$0")/window_common.sh"
qm_require_tools
APP=$1
CLI=$2
TITLE="Quillmate Ver7.3.1 by nuvelka (Oct/2021)"

qm_make_workspace 5
qm_start_xvfb
qm_start_app "$APP"
main=$(qm_wait_window "$TITLE")
sleep 0.5

# Client coordinates of the buttons' centres.
qm_click "$main" 46 40    # Sample
qm_click "$main" 476 40   # Solve
result=$(qm_wait_window "Result")

# The result box's Copy puts the solution on the clipboard; it must solve level 1.
if command -v xclip >/dev/null 2>&1; then
    qm_click "$result" 52 377   # Copy
    xclip -o -selection clipboard >"$QM_WORK/moves.txt" 2>/dev/null || qm_fail "the clipboard holds no text"
    [ -s "$QM_WORK/moves.txt" ] || qm_fail "the copied solution is empty"
    "$CLI" --check "$QM_WORK/moves.txt" --level 1 >"$QM_WORK/check.out" 2>&1 ||
        qm_fail "the copied solution does not solve level 1: $(cat "$QM_WORK/check.out")"
else
    echo "note: xclip is not installed; the copied solution is not checked" >&2
fi

qm_click "$result" 408 377   # OK
qm_wait_window_gone "Result"

# The view shows the level's start position again, pixel for pixel.
"$CLI" --render 1 "$QM_WORK/expected.png" || qm_fail "quillmate-cli --render failed"
start=$SECONDS
while :; do
    import -window "$main" -crop 768x480+12+88 +repage "$QM_WORK/view.png" 2>/dev/null
    differing=$(compare -metric AE "$QM_WORK/view.png" "$QM_WORK/expected.png" null: 2>&1)
    [ "$differing" = "0" ] && break
    [ $((SECONDS - start)) -lt 10 ] || qm_fail "the view differs from the start position in $differing pixels"
    sleep 0.3
done
if [ -n "${QM_SCREENSHOT:-}" ]; then import -window "$main" "$QM_SCREENSHOT"; fi

# SIGTERM closes the program like its close box: it ends by itself with status 0.
kill -TERM "$QM_APP_PID"
start=$SECONDS
while qm_app_running; do
    [ $((SECONDS - start)) -lt 15 ] || qm_fail "the program did not end after SIGTERM"
    sleep 0.1
done
wait "$QM_APP_PID"
status=$?
QM_APP_PID=""
[ $status -eq 0 ] || qm_fail "the program ended with status $status: $(cat "$QM_WORK/app.err")"
echo "PASS: solved, copied, redrawn and closed"
