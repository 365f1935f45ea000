#!/usr/bin/env bash
# Starts the real trackhaul.exe on the current (virtual) display, finds its
# main window, takes a screenshot, ends it through its Exit command and checks
# what it stored in the registry. Then starts it once more with a stored value
# of the wrong type: the start-up fails with the error box and exit code 0.
# Needs WINEPREFIX and DISPLAY, as the test run sets them.
#
#   end_to_end_test.sh TRACKHAUL_EXE TRACKHAUL_REMOTE_EXE OUTPUT_DIR
set -euo pipefail
exe=$1 remote=$2 out=$3
key='HKCU\Software\Marrowfen\Trackhaul'
mkdir -p "$out"

fail() {
    echo "end-to-end: $*" >&2
    exit 1
}
value() {  # the text of a stored setting, or nothing
    wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v name="$1" '$1 == name { print $3 }'
}

: "${WINEPREFIX:?}" "${DISPLAY:?}"
wine reg delete "$key" /f >/dev/null 2>&1 || true
for setting in x=40 y=30 w=800 h=560 FirstRun=0; do
    wine reg add "$key" /v "${setting%%=*}" /d "${setting#*=}" /f >/dev/null 2>&1
done

wine "$exe" &
program=$!
trap 'kill $program 2>/dev/null || true' EXIT

window=""
for _ in $(seq 1 300); do
    window=$(xdotool search --name '^Trackhaul$' 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || fail "no window named Trackhaul appeared"

sleep 1  # let it paint before the picture is taken
import -window root "$out/main-window.png"
[ -s "$out/main-window.png" ] || fail "no screenshot"

wine "$remote" exit || fail "could not send the Exit command"
for _ in $(seq 1 300); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$program" 2>/dev/null && fail "the program did not end after Exit"
wait "$program" || fail "the program ended with a failure"
trap - EXIT

# The teardown saved the whole set: the bars and the unchanged bounds.
for expected in x=40 y=30 w=800 h=560 FirstRun=0 ShowMenuBar=1 ShowToolbar=1 ShowStatusBar=1; do
    name=${expected%%=*}
    actual=$(value "$name")
    [ "$actual" = "${expected#*=}" ] || fail "$name is '$actual', expected '${expected#*=}'"
done

wine reg add "$key" /v ShowStatusBar /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine "$exe" &
program=$!
trap 'kill $program 2>/dev/null || true' EXIT
message=""
for _ in $(seq 1 300); do
    message=$(wine "$remote" dismiss 2>/dev/null | tr -d '\r') && break
    sleep 0.1
done
[ "$message" = "Invalid data type for 'ShowStatusBar'" ] || fail "start-up error box said '$message'"
for _ in $(seq 1 300); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done
wait "$program" || fail "a failed start-up ended with exit code $?, expected 0"
trap - EXIT
wine reg delete "$key" /f >/dev/null 2>&1 || true

echo "end-to-end: passed; screenshot in $out/main-window.png"
