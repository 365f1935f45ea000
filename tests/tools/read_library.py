#!/usr/bin/env python3
"""Reads a library file (an XML property list) with Python's own parser, not
Trackhaul's, and prints what it holds as lines for a test to compare: the
file's own keys, then a line per track (its keys in the file's order, each
key=value, separated by |), then a line per playlist. Dates are shown on the
clock of ZONE, local again, and file URLs as the paths they name.

    read_library.py LIBRARY.xml ZONE
"""
import datetime
import plistlib
import sys
import urllib.parse
import zoneinfo


def shown(key, value, zone):
    if isinstance(value, datetime.datetime):
        moment = value.replace(tzinfo=datetime.timezone.utc).astimezone(zone)
        return moment.strftime("%Y-%m-%d %H:%M:%S")
    if isinstance(value, str) and value.startswith("file://"):
        return urllib.parse.unquote(urllib.parse.urlparse(value).path)
    return str(value)


def main():
    with open(sys.argv[1], "rb") as file:
        library = plistlib.load(file)
    zone = zoneinfo.ZoneInfo(sys.argv[2])
    for key, value in library.items():
        if key not in ("Tracks", "Playlists", "Date"):
            print(f"{key}={shown(key, value, zone)}")
    for key in sorted(library["Tracks"], key=int):
        track = library["Tracks"][key]
        assert key == str(track["Track ID"]), key
        print("|".join(f"{k}={shown(k, v, zone)}" for k, v in track.items()))
    for playlist in library["Playlists"]:
        items = ",".join(str(item["Track ID"]) for item in playlist["Playlist Items"])
        flags = "".join(k[0] for k in ("Master", "Visible", "All Items") if playlist.get(k))
        print(f"playlist {playlist['Name']} {playlist['Playlist ID']} {flags} [{items}]")


main()
