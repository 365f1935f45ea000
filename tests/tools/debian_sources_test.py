#!/usr/bin/env python3
"""The deb-src entries scripts/lib/debian-sources.py makes of the shapes a
Debian machine's sources take: one entry per archive and suite, whatever
lists it twice, so that apt never meets two of one archive whose Signed-By
differ."""
import os
import subprocess
import sys
import tempfile
import unittest

GENERATOR = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "lib",
                         "debian-sources.py")
KEY = "/usr/share/keyrings/debian-archive-keyring.gpg"
DEB822 = f"""Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: {KEY}

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: {KEY}
"""
ONE_LINE = """deb http://deb.debian.org/debian bookworm main contrib
# deb http://deb.debian.org/debian bookworm non-free
deb http://deb.debian.org/debian-security bookworm-security main
deb-src http://deb.debian.org/debian bookworm main
"""


def entry(uri, suite, components, signed_by=None):
    text = f"Types: deb-src\nURIs: {uri}\nSuites: {suite}\nComponents: {components}"
    return text + (f"\nSigned-By: {signed_by}" if signed_by else "")


DEBIAN, SECURITY = "http://deb.debian.org/debian", "http://deb.debian.org/debian-security"
CASES = [
    ("one-line only", {"sources.list": ONE_LINE},
     [entry(DEBIAN, "bookworm", "main contrib"),
      entry(SECURITY, "bookworm-security", "main")]),
    ("deb822 only", {"debian.sources": DEB822},
     [entry(DEBIAN, "bookworm", "main", KEY), entry(DEBIAN, "bookworm-updates", "main", KEY),
      entry(SECURITY, "bookworm-security", "main", KEY)]),
    # Debian 12 roots made by debootstrap and later given a deb822 file.
    ("both, one with signed-by and one without", {"sources.list": ONE_LINE, "debian.sources": DEB822},
     [entry(DEBIAN, "bookworm", "main contrib", KEY),
      entry(SECURITY, "bookworm-security", "main", KEY),
      entry(DEBIAN, "bookworm-updates", "main", KEY)]),
    ("one-line with signed-by",
     {"sources.list": f"deb [arch=amd64 signed-by={KEY}] http://deb.debian.org/debian/ bookworm main\n"},
     [entry("http://deb.debian.org/debian/", "bookworm", "main", KEY)]),
    ("disabled and non-Debian entries",
     {"debian.sources": DEB822.replace("Components: main\nSigned-By", "Components: main\nEnabled: no\nSigned-By", 1),
      "other.list": "deb https://deb.nodesource.com/node_20.x nodistro main\n",
      "other.sources": "Types: deb\nURIs: https://packages.example.com/apt\nSuites: stable\nComponents: main\n",
      "nodesource.sources.disabled": DEB822},
     [entry(SECURITY, "bookworm-security", "main", KEY)]),
    ("an inline key, lines kept",
     {"debian.sources": "Types: deb deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\n"
                        "Components: main\nSigned-By:\n -----BEGIN PGP PUBLIC KEY BLOCK-----\n .\n abc\n"},
     [entry(DEBIAN, "bookworm", "main", "\n -----BEGIN PGP PUBLIC KEY BLOCK-----\n .\n abc")]),
]


class DebianSources(unittest.TestCase):
    def test_every_shape(self):
        for name, files, expected in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as root:
                listed = os.path.join(root, "sources.list.d")
                os.mkdir(listed)
                for file, text in files.items():
                    path = os.path.join(root, file) if file == "sources.list" else os.path.join(listed, file)
                    with open(path, "w") as f:
                        f.write(text)
                out = subprocess.run([sys.executable, GENERATOR, listed, os.path.join(root, "sources.list")],
                                     capture_output=True, text=True, check=True).stdout
                self.assertEqual(out, "\n\n".join(expected) + "\n")


if __name__ == "__main__":
    unittest.main()
