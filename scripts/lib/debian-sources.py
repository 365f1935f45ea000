#!/usr/bin/env python3
"""Prints deb-src entries (deb822 format) for the Debian archives among the
machine's deb entries, with the same suites and components, so that
`apt-get source` finds the source packages of what is installed. Entries of
other archives are left out: they may publish no sources.

    debian-sources.py [SOURCES_DIR [SOURCES_LIST]]"""
import glob
import os
import sys


def deb822_stanzas(text):
    """The stanzas of a deb822 file as lists of (field, value) pairs."""
    stanza = []
    for line in text.splitlines() + [""]:
        if not line.strip():
            if stanza:
                yield stanza
            stanza = []
        elif not line.startswith("#"):
            field, _, value = line.partition(":")
            stanza.append((field.strip(), value.strip()))


def one_line_entries(text):
    """The deb lines of a sources.list as (URI, suite, components, options)."""
    for line in text.splitlines():
        words = line.split("#", 1)[0].split()
        if len(words) < 3 or words[0] != "deb":
            continue
        options = ""
        if words[1].startswith("["):
            end = next(i for i, w in enumerate(words) if w.endswith("]"))
            options = " ".join(words[1:end + 1])
            words = words[:1] + words[end + 1:]
        yield words[1], words[2], " ".join(words[3:]), options


def is_debian(uri):
    return "debian.org" in uri or "debian.net" in uri


def main():
    sources_dir = sys.argv[1] if len(sys.argv) > 1 else "/etc/apt/sources.list.d"
    sources_list = sys.argv[2] if len(sys.argv) > 2 else "/etc/apt/sources.list"
    entries = []
    for path in sorted(glob.glob(os.path.join(sources_dir, "*.sources"))):
        with open(path) as f:
            for stanza in deb822_stanzas(f.read()):
                fields = dict(stanza)
                if ("deb" not in fields.get("Types", "").split() or
                        fields.get("Enabled", "yes") == "no" or
                        not is_debian(fields.get("URIs", ""))):
                    continue
                entries.append("\n".join(
                    f"{name}: {'deb-src' if name == 'Types' else value}"
                    for name, value in stanza))
    if os.path.exists(sources_list):
        with open(sources_list) as f:
            for uri, suite, components, options in one_line_entries(f.read()):
                if not is_debian(uri):
                    continue
                entry = f"Types: deb-src\nURIs: {uri}\nSuites: {suite}\nComponents: {components}"
                if "signed-by=" in options:
                    key = options.split("signed-by=", 1)[1].rstrip("]").split()[0]
                    entry += f"\nSigned-By: {key}"
                entries.append(entry)
    print("\n\n".join(entries))


main()
