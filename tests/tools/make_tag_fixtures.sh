#!/usr/bin/env bash
# Makes the small real audio and video files in tests/data/tags, against
# which the writing of ratings is tested: encoded by ffmpeg (a second of a
# tone), tagged by ffmpeg's muxers and, where they write nothing of the
# kind, by mutagen. The files are kept in the repository; this records how
# they were made. Needs ffmpeg and python3-mutagen.
#
#   tests/tools/make_tag_fixtures.sh
set -euo pipefail
out=$(cd "$(dirname "$0")/../data/tags" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

tone=(-f lavfi -i "sine=frequency=440:duration=1:sample_rate=22050" -ac 1)
tags=(-metadata title="Näher" -metadata artist="Trio Ost" -metadata album="Frühling"
      -metadata track=3 -metadata genre=Folk -metadata date=2004)
mp3() { ffmpeg -v error -y "${tone[@]}" -c:a libmp3lame -b:a 32k "$@"; }

mp3 "${tags[@]}" -id3v2_version 3 "$out/id3v23.mp3"
mp3 "${tags[@]}" -id3v2_version 4 "$tmp/id3v24.mp3"
mp3 -map_metadata -1 -id3v2_version 0 -write_xing 0 "$out/untagged.mp3"
mp3 "${tags[@]}" -id3v2_version 3 -write_id3v1 1 "$tmp/both.mp3"
ffmpeg -v error -y "${tone[@]}" -c:a aac -b:a 32k "${tags[@]}" "$out/items.m4a"
ffmpeg -v error -y "${tone[@]}" -c:a aac -b:a 32k "${tags[@]}" -movflags +faststart \
    "$out/header-first.m4a"
# No room to spare before the media: the items' growth moves the media and
# its chunk offsets.
ffmpeg -v error -y "${tone[@]}" -c:a aac -b:a 32k "${tags[@]}" -movflags +faststart \
    "$out/header-first-tight.m4a"
ffmpeg -v error -y -f lavfi -i "testsrc=size=64x48:rate=10:duration=1" "${tone[@]}" \
    -c:v mpeg4 -c:a aac -b:a 32k -metadata title="Clip" -f mp4 "$out/clip.m4v"

# What the muxers do not write: frames and items of other programs that
# must come through, a rating of another program, an ID3v2.4 frame that
# ID3v2.3 has no place for.
# Debian's interpreter, which has python3-mutagen.
/usr/bin/python3 - "$tmp" "$out" <<'PY'
import sys
from mutagen.id3 import ID3, POPM, TXXX, TSOP, COMM, TMOO, APIC
from mutagen.mp4 import MP4, MP4FreeForm
tmp, out = sys.argv[1], sys.argv[2]

def more_frames(path, version, *extra):
    tag = ID3(path)
    tag.add(TSOP(encoding=1, text=["Ost, Trio"]))
    tag.add(COMM(encoding=1, lang="deu", desc="", text=["Aufgenommen im Hof"]))
    tag.add(TXXX(encoding=1, desc="Quelle", text=["Kassette"]))
    tag.add(POPM(email="rater@example.org", rating=50, count=7))
    tag.add(APIC(encoding=0, mime="image/png", type=3, desc="", data=b"\x89PNG\r\n\x1a\n" + bytes(24)))
    for frame in extra:
        tag.add(frame)
    tag.save(path, v2_version=version, v1=1)

import shutil
shutil.copy(f"{tmp}/id3v24.mp3", f"{out}/id3v24.mp3")
more_frames(f"{out}/id3v24.mp3", 4)
shutil.copy(f"{tmp}/id3v24.mp3", f"{out}/id3v24-mood.mp3")
more_frames(f"{out}/id3v24-mood.mp3", 4, TMOO(encoding=3, text=["ruhig"]))
more_frames(f"{out}/id3v23.mp3", 3)
shutil.copy(f"{tmp}/both.mp3", f"{out}/id3v23-id3v1.mp3")
more_frames(f"{out}/id3v23-id3v1.mp3", 3)
ID3(f"{out}/id3v23-id3v1.mp3").save(f"{out}/id3v23-id3v1.mp3", v2_version=3, v1=2)
# More padding than TagLib keeps: the tag shrinks and the audio moves forward.
shutil.copy(f"{out}/id3v23.mp3", f"{out}/id3v23-padded.mp3")
ID3(f"{out}/id3v23-padded.mp3").save(f"{out}/id3v23-padded.mp3", v2_version=3,
                                     padding=lambda info: 8192)

# ffmpeg writes no ID3v1 tag without an ID3v2 one: mutagen writes both and
# takes the ID3v2 tag away again.
from mutagen.id3 import TIT2, delete
shutil.copy(f"{out}/untagged.mp3", f"{out}/id3v1.mp3")
tag = ID3()
tag.add(TIT2(encoding=0, text=["Nur Version 1"]))
tag.save(f"{out}/id3v1.mp3", v1=2)
delete(f"{out}/id3v1.mp3", delete_v1=False, delete_v2=True)

for name in ("items.m4a", "header-first.m4a"):
    tag = MP4(f"{out}/{name}")
    tag["soar"] = ["Ost, Trio"]
    tag["----:com.apple.iTunes:Quelle"] = [MP4FreeForm(b"Kassette")]
    tag["----:com.apple.iTunes:FMPS_Rating"] = [MP4FreeForm(b"0.4")]
    tag["cpil"] = False
    tag["tmpo"] = [96]
    tag.save()
PY
ls -l "$out"
