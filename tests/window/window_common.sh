# Shared steps of the window tests: a private X server, a private settings folder, the program
# under test, and finding, clicking and photographing its windows. Sourced by the test scripts.
#
# Exit status 77 means "skipped" (a tool is missing).

set -u

QM_SKIP=77
QM_TIMEOUT=${QM_TIMEOUT:-40}   # seconds to wait for a window or a result

qm_fail() {
    echo "FAIL: $*" >&2
    exit 1
}

qm_require_tools() {
    for tool in Xvfb xdotool import compare "$@"; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIP: $tool is not installed" >&2
            exit $QM_SKIP
        fi
    done
}

QM_WORK=""
QM_XVFB_PID=""
QM_APP_PID=""

qm_cleanup() {
    if [ -n "$QM_APP_PID" ] && kill -0 "$QM_APP_PID" 2>/dev/null; then
        kill "$QM_APP_PID" 2>/dev/null
        wait "$QM_APP_PID" 2>/dev/null
    fi
    if [ -n "$QM_XVFB_PID" ]; then
        kill "$QM_XVFB_PID" 2>/dev/null
        wait "$QM_XVFB_PID" 2>/dev/null
    fi
    if [ -n "$QM_WORK" ] && [ -z "${QM_KEEP:-}" ]; then rm -rf "$QM_WORK"; fi
}

# A scratch folder with a settings folder holding the given time limit.
qm_make_workspace() {
    QM_WORK=$(mktemp -d "${TMPDIR:-/tmp}/qm-window.XXXXXX") || qm_fail "no scratch folder"
    trap qm_cleanup EXIT
    export XDG_CONFIG_HOME="$QM_WORK/config"
    mkdir -p "$XDG_CONFIG_HOME/nuvelka"
    printf '[OPTION]\nuTime=%s\n' "$1" >"$XDG_CONFIG_HOME/nuvelka/nuvelka.ini"
}

# A private X server on a free display number, which it picks itself.
qm_start_xvfb() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$QM_WORK/display" 2>"$QM_WORK/xvfb.log" &
    QM_XVFB_PID=$!
    local waited=0
    while [ ! -s "$QM_WORK/display" ]; do
        kill -0 "$QM_XVFB_PID" 2>/dev/null || qm_fail "Xvfb did not start: $(cat "$QM_WORK/xvfb.log")"
        sleep 0.1
        waited=$((waited + 1))
        [ $waited -lt 100 ] || qm_fail "Xvfb gave no display number"
    done
    export DISPLAY=":$(head -n 1 "$QM_WORK/display")"
    # The number comes before the server takes connections on a loaded machine: wait until one
    # succeeds, so that the program does not start without a display.
    waited=0
    until xdotool getdisplaygeometry >/dev/null 2>&1; do
        kill -0 "$QM_XVFB_PID" 2>/dev/null || qm_fail "Xvfb ended: $(cat "$QM_WORK/xvfb.log")"
        sleep 0.1
        waited=$((waited + 1))
        [ $waited -lt 100 ] || qm_fail "Xvfb on $DISPLAY takes no connection"
    done
}

qm_start_app() {
    "$1" >"$QM_WORK/app.out" 2>"$QM_WORK/app.err" &
    QM_APP_PID=$!
}

qm_app_running() { kill -0 "$QM_APP_PID" 2>/dev/null; }

# Prints the first window whose title is exactly $1, waiting up to QM_TIMEOUT seconds.
qm_wait_window() {
    local title=$1 start=$SECONDS window
    while [ $((SECONDS - start)) -lt "$QM_TIMEOUT" ]; do
        qm_app_running || qm_fail "the program ended early: $(cat "$QM_WORK/app.err")"
        window=$(xdotool search --onlyvisible --name "^$(qm_regex "$title")\$" 2>/dev/null | head -n 1)
        if [ -n "$window" ]; then
            echo "$window"
            return 0
        fi
        sleep 0.2
    done
    qm_fail "no window titled \"$title\" after ${QM_TIMEOUT}s"
}

# Waits until no visible window is titled $1.
qm_wait_window_gone() {
    local title=$1 start=$SECONDS
    while [ $((SECONDS - start)) -lt "$QM_TIMEOUT" ]; do
        [ -z "$(xdotool search --onlyvisible --name "^$(qm_regex "$title")\$" 2>/dev/null)" ] && return 0
        sleep 0.2
    done
    qm_fail "window \"$title\" is still open"
}

# The title with the characters that are special in a regular expression escaped.
qm_regex() { printf '%s' "$1" | sed 's/[][\\.*^$()+?{}|/]/\\&/g'; }

# Clicks at client coordinates x y of window w.
qm_click() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.3
}

# Types text at the pointer's window (the X server gives the keyboard to the window under the
# pointer when no window manager runs).
qm_type() {
    xdotool type --delay 20 "$1"
    sleep 0.2
}

# Clicks the OK button of a message box (centred at the bottom, 12 pixels above its edge).
qm_dismiss_message_box() {
    local window=$1 WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(WIDTH|HEIGHT)=')"
    qm_click "$window" $((WIDTH / 2)) $((HEIGHT - 12 - 13))
}

# Waits until the board view of window $1 (768 x 480 at 12, 88) equals the picture $2.
qm_expect_view() {
    local window=$1 expected=$2 start=$SECONDS differing
    while :; do
        import -window "$window" -crop 768x480+12+88 +repage "$QM_WORK/view.png" 2>/dev/null
        differing=$(compare -metric AE "$QM_WORK/view.png" "$expected" null: 2>&1)
        [ "$differing" = "0" ] && return 0
        [ $((SECONDS - start)) -lt 10 ] || qm_fail "the view differs from $(basename "$expected") in $differing pixels"
        sleep 0.3
    done
}

# Sends SIGTERM (closing the program like its close box) and waits up to 15 s for it to end with
# status 0; fails with what it says otherwise.
qm_terminate_app() {
    local what=$1 start status
    kill -TERM "$QM_APP_PID"
    start=$SECONDS
    while qm_app_running; do
        [ $((SECONDS - start)) -lt 15 ] || qm_fail "the program did not end after SIGTERM $what"
        sleep 0.1
    done
    status=0
    wait "$QM_APP_PID" || status=$?
    QM_APP_PID=""
    [ $status -eq 0 ] || qm_fail "the program ended with status $status: $(cat "$QM_WORK/app.err")"
}

# Makes the workspace (time limit in seconds), starts the X server and the program, and waits for
# its main window; sets QM_MAIN to the window's id.
qm_open_main_window() {
    qm_make_workspace "$2"
    qm_start_xvfb
    qm_start_app "$1"
    # A failure inside the substitution ends only its subshell: end the test with it.
    QM_MAIN=$(qm_wait_window "Quillmate Ver7.3.1 by nuvelka (Oct/2021)") || exit 1
    sleep 0.5
}
