#!/usr/bin/env bash
# Fixture of the tests that fill a disk: attaches drive LETTER, a file system
# of SIZE (as mount's tmpfs takes it) mounted on FOLDER (needs root), or
# detaches it again. Needs WINEPREFIX.
#
#   small_drive.sh attach|detach FOLDER LETTER [SIZE]
set -euo pipefail
: "${WINEPREFIX:?}"
folder=${2:?usage: $0 attach|detach FOLDER LETTER [SIZE]}
letter=${3:?usage: $0 attach|detach FOLDER LETTER [SIZE]}
rm -f "$WINEPREFIX/dosdevices/$letter:"
! mountpoint -q "$folder" || umount "$folder"
if [ "$1" = attach ]; then
    mkdir -p "$folder"
    mount -t tmpfs -o "size=${4:?}" "trackhaul-$letter" "$folder"
    ln -s "$(realpath "$folder")" "$WINEPREFIX/dosdevices/$letter:"
fi
