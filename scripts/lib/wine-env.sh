# Sourced by the scripts: a 32-bit Wine prefix of the caller's choosing and a
# display to draw on. Sets WINEPREFIX, WINEARCH, WINEDEBUG and DISPLAY.
#
#   wine_prepare_prefix DIR   create (once) and select the prefix in DIR
#   wine_start_display        use $DISPLAY if it works, else start Xvfb
#   wine_stop                 stop the prefix's wineserver and our Xvfb

wine_prepare_prefix() {
    export WINEPREFIX="$1" WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all}
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        # A program that crashes ends with a backtrace on the terminal instead
        # of waiting for someone to close Wine's crash dialog.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            >/dev/null 2>&1
        # Wine's own fonts (Tahoma for dialogs, Marlett for the caption
        # buttons): this Wine does not find them where Debian puts them.
        cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$WINEPREFIX/drive_c/windows/Fonts/" \
            2>/dev/null || true
        wineserver -w
    fi
}

# Lets the list's font (Arial) fall back to Noto CJK, as Windows falls back to
# its own CJK fonts, so Japanese and Chinese titles show instead of boxes.
wine_link_cjk_font() {
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v Arial /t REG_MULTI_SZ /d 'NotoSansCJK-Regular.ttc,Noto Sans CJK JP' /f >/dev/null 2>&1
}

wine_start_display() {
    local want_virtual=${1:-}
    if [ -z "$want_virtual" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return 0
    fi
    # Xvfb takes the first free display itself and names it once it is up,
    # so that test runs side by side never share one.
    local named
    named=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$named" >/dev/null 2>&1 &
    WINE_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        if grep -qx '[0-9]\+' "$named"; then
            export DISPLAY=":$(head -n 1 "$named")"
            rm -f "$named"
            xdpyinfo >/dev/null 2>&1 && return 0
            break
        fi
        kill -0 "$WINE_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$named"
    kill "$WINE_XVFB_PID" 2>/dev/null || true
    echo "could not start a virtual display (Xvfb)" >&2
    return 1
}

wine_stop() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
    if [ -n "${WINE_XVFB_PID:-}" ]; then
        kill "$WINE_XVFB_PID" 2>/dev/null || true
        wait "$WINE_XVFB_PID" 2>/dev/null || true
        unset WINE_XVFB_PID
    fi
}

# Makes DIR look like an attached player: drive LETTER (a to z), removable,
# with the volume label LABEL (written to DIR/.windows-label; without LABEL
# nothing is written into DIR). Takes effect for Wine processes started after
# it (the drive types are read when the prefix's services start).
wine_attach_drive() {
    local letter=${1,,} dir=$2 label=${3:-}
    ln -sfn "$(realpath "$dir")" "$WINEPREFIX/dosdevices/$letter:"
    [ -z "$label" ] || printf '%s\n' "$label" > "$dir/.windows-label"
    wine reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /d floppy /f >/dev/null 2>&1
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w
}

wine_detach_drive() {
    local letter=${1,,}
    rm -f "$WINEPREFIX/dosdevices/$letter:"
    wine reg delete 'HKLM\Software\Wine\Drives' /v "$letter:" /f >/dev/null 2>&1 || true
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w
}
