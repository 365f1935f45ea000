#!/usr/bin/env bash
# Runs the display scale suite once for each DPI, the prefix's display set to
# it before the suite starts (the DPI is read when the prefix starts), and
# sets the prefix back to 96 DPI at the end. The run at 192 DPI comes first:
# the run at 96 compares its DPI change with the start it recorded.
#
#   display_scale_test.sh SUITE_EXE TRACKHAUL_EXE OUTPUT_DIR
set -uo pipefail
suite=$1 exe=$2 out=$3
: "${WINEPREFIX:?}"
set_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wineserver -k >/dev/null 2>&1
    wineserver -w
}
trap 'set_dpi 96' EXIT
mkdir -p "$out" && cd "$out" && rm -f ./*.figures
status=0
for dpi in 192 144 120 96; do
    echo "== $dpi DPI"
    set_dpi "$dpi"
    TRACKHAUL_EXE="Z:${exe//\//\\}" wine "$suite" || status=1
done
exit $status
