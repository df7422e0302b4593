#!/bin/bash
# The window program loads and solves levels on a private X server:
# - a level pasted from the clipboard through the text box shows as the command-line program
#   draws it (needs xclip);
# - Sample and Solve open the result box, whose Copy puts a solution on the clipboard that the
#   command-line program accepts for level 1 (needs xclip); its OK closes it and the view shows
#   the level's start position pixel for pixel;
# - SIGTERM closes the program cleanly.
#
# usage: window_solve.sh QUILLMATE QUILLMATE_CLI
# With QM_SCREENSHOT=FILE set, a picture of the whole window after the solve is kept in FILE.

. "$(dirname "$0")/window_common.sh"
qm_require_tools
APP=$1
CLI=$2

qm_open_main_window "$APP" 5
main=$QM_MAIN

# Client coordinates of the buttons' centres: Text 100, Sample 46, Solve 476 (all at y 40);
# the text box's action button 52 and OK 408 (at y 377).
if command -v xclip >/dev/null 2>&1; then
    printf '#######\n#.$ @ #\n#######\n' >"$QM_WORK/pasted.txt"
    xclip -selection clipboard -i "$QM_WORK/pasted.txt" 2>/dev/null
    qm_click "$main" 100 40   # Text
    box=$(qm_wait_window "TextBox") || exit 1
    qm_click "$box" 52 377    # Paste
    qm_click "$box" 408 377   # OK
    qm_wait_window_gone "TextBox"
    "$CLI" --render 1 "$QM_WORK/pasted.png" "$QM_WORK/pasted.txt" || qm_fail "quillmate-cli --render failed"
    qm_expect_view "$main" "$QM_WORK/pasted.png"
else
    echo "note: xclip is not installed; pasting and copying are not checked" >&2
fi

qm_click "$main" 46 40    # Sample
qm_click "$main" 476 40   # Solve
result=$(qm_wait_window "Result") || exit 1

# The result box's Copy puts the solution on the clipboard; it must solve level 1.
if command -v xclip >/dev/null 2>&1; then
    qm_click "$result" 52 377   # Copy
    xclip -o -selection clipboard >"$QM_WORK/moves.txt" 2>/dev/null || qm_fail "the clipboard holds no text"
    [ -s "$QM_WORK/moves.txt" ] || qm_fail "the copied solution is empty"
    "$CLI" --check "$QM_WORK/moves.txt" --level 1 >"$QM_WORK/check.out" 2>&1 ||
        qm_fail "the copied solution does not solve level 1: $(cat "$QM_WORK/check.out")"
fi

qm_click "$result" 408 377   # OK
qm_wait_window_gone "Result"

# The view shows the level's start position again, pixel for pixel.
"$CLI" --render 1 "$QM_WORK/expected.png" || qm_fail "quillmate-cli --render failed"
qm_expect_view "$main" "$QM_WORK/expected.png"
if [ -n "${QM_SCREENSHOT:-}" ]; then import -window "$main" "$QM_SCREENSHOT"; fi

# SIGTERM closes the program like its close box: it ends by itself with status 0.
qm_terminate_app ""
echo "PASS: solved, copied, redrawn and closed"
