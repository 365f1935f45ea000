#!/usr/bin/env bash
# Fixture of the export tests: attaches X:, a file system of one page mounted
# on FOLDER (needs root), or detaches it again. Needs WINEPREFIX.
#
#   export_full_drive.sh attach|detach FOLDER
set -euo pipefail
: "${WINEPREFIX:?}"
folder=${2:?usage: $0 attach|detach FOLDER}
rm -f "$WINEPREFIX/dosdevices/x:"
! mountpoint -q "$folder" || umount "$folder"
if [ "$1" = attach ]; then
    mkdir -p "$folder"
    mount -t tmpfs -o size=4k trackhaul-full "$folder"
    ln -s "$(realpath "$folder")" "$WINEPREFIX/dosdevices/x:"
fi
