#!/usr/bin/env bash
# Fixture of the loading tests: attaches two fresh folders as the removable
# drives F: (label FIRSTPOD) and G: (label SECONDPOD), or detaches them again.
# The tests write the databases into the folders themselves. Needs WINEPREFIX.
#
#   loading_drives.sh attach FOLDER
#   loading_drives.sh detach
set -euo pipefail
. "$(dirname "$0")/../../scripts/lib/wine-env.sh"
: "${WINEPREFIX:?}"

case ${1:-} in
attach)
    rm -rf "$2"
    mkdir -p "$2/f" "$2/g"
    wine_attach_drive f "$2/f" FIRSTPOD
    wine_attach_drive g "$2/g" SECONDPOD
    ;;
detach)
    wine_detach_drive f
    wine_detach_drive g
    ;;
*)
    echo "usage: $0 attach FOLDER | detach" >&2
    exit 2
    ;;
esac
