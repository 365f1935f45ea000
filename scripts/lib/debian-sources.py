#!/usr/bin/env python3
"""Prints deb-src entries (deb822 format) for the Debian archives among the
machine's enabled deb entries, so that `apt-get source` finds the source
packages of what is installed: one entry per archive and suite, with the
components of all its deb entries. Its Signed-By is the one its deb entries
give where they give one (the first, where they differ), none where none
has it: apt refuses two entries of one archive and suite whose Signed-By
differ, so an archive listed twice, in sources.list and in a deb822 file,
must not come out twice. Entries of other archives are left out: they may
publish no sources.

    debian-sources.py [SOURCES_DIR [SOURCES_LIST]]"""
import glob
import os
import sys


def deb822_stanzas(text):
    """The stanzas of a deb822 file as dicts; a field's continuation lines
    (a key given inline) are kept as they stand, after a line break."""
    stanza, field = {}, None
    for line in text.splitlines() + [""]:
        if not line.strip():
            if stanza:
                yield stanza
            stanza, field = {}, None
        elif line.startswith("#"):
            continue
        elif line[0] in " \t" and field:
            stanza[field] += "\n" + line
        else:
            field, _, value = line.partition(":")
            field = field.strip()
            stanza[field] = value.strip()


def deb822_entries(text):
    """The enabled deb entries of a deb822 file as (URI, suite, components,
    signed-by or None)."""
    for fields in deb822_stanzas(text):
        if ("deb" not in fields.get("Types", "").split() or
                fields.get("Enabled", "yes").lower() == "no"):
            continue
        for uri in fields.get("URIs", "").split():
            for suite in fields.get("Suites", "").split():
                yield uri, suite, fields.get("Components", "").split(), fields.get("Signed-By")


def one_line_entries(text):
    """The deb lines of a sources.list as (URI, suite, components,
    signed-by or None)."""
    for line in text.splitlines():
        words = line.split("#", 1)[0].split()
        if len(words) < 3 or words[0] != "deb":
            continue
        signed_by = None
        if words[1].startswith("["):
            end = next((i for i, w in enumerate(words) if w.endswith("]")), None)
            if end is None:
                continue
            for option in " ".join(words[1:end + 1]).strip("[]").split():
                name, _, value = option.partition("=")
                if name == "signed-by":
                    signed_by = value
            words = words[:1] + words[end + 1:]
        if len(words) >= 3:
            yield words[1], words[2], words[3:], signed_by


def is_debian(uri):
    return "debian.org" in uri or "debian.net" in uri


def source_entries(deb_entries):
    """The deb-src entries, one per URI and suite, in the order first met."""
    merged = {}
    for uri, suite, components, signed_by in deb_entries:
        if not is_debian(uri):
            continue
        entry = merged.setdefault((uri.rstrip("/"), suite), {"uri": uri, "components": [],
                                                             "signed_by": None})
        entry["components"] += [c for c in components if c not in entry["components"]]
        entry["signed_by"] = entry["signed_by"] or signed_by
    for (_, suite), entry in merged.items():
        text = (f"Types: deb-src\nURIs: {entry['uri']}\nSuites: {suite}\n"
                f"Components: {' '.join(entry['components'])}")
        if entry["signed_by"]:
            text += f"\nSigned-By: {entry['signed_by']}"
        yield text


def main():
    sources_dir = sys.argv[1] if len(sys.argv) > 1 else "/etc/apt/sources.list.d"
    sources_list = sys.argv[2] if len(sys.argv) > 2 else "/etc/apt/sources.list"
    deb_entries = []
    if os.path.exists(sources_list):
        with open(sources_list) as f:
            deb_entries += one_line_entries(f.read())
    for path in sorted(glob.glob(os.path.join(sources_dir, "*.list"))):
        with open(path) as f:
            deb_entries += one_line_entries(f.read())
    for path in sorted(glob.glob(os.path.join(sources_dir, "*.sources"))):
        with open(path) as f:
            deb_entries += deb822_entries(f.read())
    print("\n\n".join(source_entries(deb_entries)))


if __name__ == "__main__":
    main()
