#!/usr/bin/env bash
# Fixture of the export tests: attaches a drive too small for any list, X:, a
# file system of a single page mounted on FOLDER, or detaches it again. Needs
# WINEPREFIX, and root to mount.
#
#   export_full_drive.sh attach FOLDER
#   export_full_drive.sh detach FOLDER
set -euo pipefail
: "${WINEPREFIX:?}"
folder=${2:?usage: $0 attach|detach FOLDER}

case $1 in
attach)
    mkdir -p "$folder"
    if mountpoint -q "$folder"; then
        umount "$folder"
    fi
    if ! mount -t tmpfs -o size=4k trackhaul-full "$folder"; then
        echo "export_full_drive.sh: cannot mount a small file system on $folder (needs root)" >&2
        exit 1
    fi
    ln -sfn "$(realpath "$folder")" "$WINEPREFIX/dosdevices/x:"
    ;;
detach)
    rm -f "$WINEPREFIX/dosdevices/x:"
    if mountpoint -q "$folder"; then
        umount "$folder"
    fi
    ;;
*)
    echo "usage: $0 attach|detach FOLDER" >&2
    exit 2
    ;;
esac
