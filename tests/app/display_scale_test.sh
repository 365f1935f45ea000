#!/usr/bin/env bash
# Reads the manifest back from the program, then runs the display scale suite
# at each DPI, set before the start (the prefix reads it when it starts), 192
# first for the move from 96; the prefix is at 96 DPI again at the end.
#   display_scale_test.sh SUITE_EXE TRACKHAUL_EXE OUTPUT_DIR
suite=$1 exe=$2 out=$3 status=0
for entry in '>PerMonitorV2, PerMonitor</dpiAwareness>' '>true/pm</dpiAware>' \
    e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
    4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
    8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"'; do
    grep -aqF "$entry" "$exe" || { echo "the manifest lacks $entry"; status=1; }
done
mkdir -p "$out" && cd "$out" && rm -f ./*.figures || exit 1
for dpi in 192 144 120 96; do
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null 2>&1
    wineserver -k >/dev/null 2>&1
    wineserver -w
    echo "== $dpi DPI" && wine "$suite" || status=1
done
exit $status
