# A virtual X display with a window manager, for the tests that need a real
# window frame, focus by keys and minimising.
display_avvia() {
    local n=91
    while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
    Xvfb ":${n}" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    DISPLAY_XVFB_PID=$!
    export DISPLAY=":${n}"
    local i
    for i in $(seq 1 50); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    # Ready once it announces itself on the root window (a loaded machine
    # may take seconds); started again if it did not last.
    local tentativo
    for tentativo in 1 2 3; do
        openbox >/dev/null 2>&1 &
        DISPLAY_WM_PID=$!
        for i in $(seq 1 100); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
            sleep 0.1
        done
        sleep 0.2
        kill -0 "$DISPLAY_WM_PID" 2>/dev/null && return 0
        echo "display_avvia: openbox terminato, lo riavvio" >&2
    done
}

display_ferma() {
    [ -n "${DISPLAY_WM_PID:-}" ] && kill "$DISPLAY_WM_PID" 2>/dev/null || true
    [ -n "${DISPLAY_XVFB_PID:-}" ] && kill "$DISPLAY_XVFB_PID" 2>/dev/null || true
    DISPLAY_WM_PID= DISPLAY_XVFB_PID=
}
