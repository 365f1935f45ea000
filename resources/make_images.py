#!/usr/bin/env python3
"""Draws Trackhaul's pictures and writes them as Windows resource files.

    trackhaul.ico   the main icon at every size of ICON_SIZES, 16 colours
    toolbarNN.bmp   the eight command images side by side, NN x NN pixels for
                    each size of TOOLBAR_SIZES, 16 colours; fuchsia marks the
                    transparent pixels

Each picture is drawn by hand at 16 pixels (the icon at 32 too); the other
sizes are made from the nearest smaller one, doubled with Scale2x, which
rounds diagonal edges off instead of leaving steps, and sampled down.

Run it again after changing a picture: python3 resources/make_images.py
Only the standard library is used.
"""
import os
import struct

# The standard 16-colour palette, with a letter for each colour.
PALETTE = [
    ("k", (0, 0, 0)), ("m", (128, 0, 0)), ("g", (0, 128, 0)), ("o", (128, 128, 0)),
    ("n", (0, 0, 128)), ("p", (128, 0, 128)), ("t", (0, 128, 128)), ("s", (192, 192, 192)),
    ("d", (128, 128, 128)), ("r", (255, 0, 0)), ("l", (0, 255, 0)), ("y", (255, 255, 0)),
    ("b", (0, 0, 255)), ("f", (255, 0, 255)), ("a", (0, 255, 255)), ("w", (255, 255, 255)),
]
INDEX = {letter: i for i, (letter, _) in enumerate(PALETTE)}
TRANSPARENT = "."  # fuchsia in the strip, masked in the icon

# The program picks the size for its display's DPI: 16 pixels at 96 DPI.
TOOLBAR_SIZES = (16, 20, 24, 32)
ICON_SIZES = (16, 20, 24, 32, 40, 48, 64)

# The commands' pictures by the names the command table gives them
# (src/app/mainform_commands.cpp), in the order of the strips; the names go
# to src/app/command_image_names.inc in the same order. A new picture is a
# new entry here, then a run of this script.
IMAGES = [
    ("exit", [  # a door with an arrow stepping out
        "................",
        "..kkkkkkkk......",
        "..kooooook......",
        "..koyyyyok......",
        "..koyyyyok......",
        "..koyyyyok..g...",
        "..koyyyyok..gg..",
        "..koyyykoggggll.",
        "..koyyyyoglllll.",
        "..koyyyyok..gl..",
        "..koyyyyok..g...",
        "..koyyyyok......",
        "..koyyyyok......",
        "..kooooook......",
        "..kkkkkkkk......",
        "................",
    ]),
    ("about", [  # an information sign
        "................",
        ".....nnnnnn.....",
        "...nnbbbbbbnn...",
        "..nbbbbwwbbbbn..",
        "..nbbbbwwbbbbn..",
        ".nbbbbbbbbbbbbn.",
        ".nbbbbwwwbbbbbn.",
        ".nbbbbbwwbbbbbn.",
        ".nbbbbbwwbbbbbn.",
        ".nbbbbbwwbbbbbn.",
        "..nbbbbwwbbbbn..",
        "..nbbbwwwwbbbn..",
        "...nnbbbbbbnn...",
        ".....nnnnnn.....",
        "................",
        "................",
    ]),
    ("close", [  # a database with a red cross
        "................",
        "...ssssssss.....",
        "..sddddddddd....",
        "..swwwwwwwwd....",
        "..sddddddddd....",
        "..swwwwwwwwd....",
        "..swwwwwwwwd....",
        "..sddddddrr...rr",
        "..swwwwwwwrr.rr.",
        "..swwwwwwwdrrr..",
        "..sddddddddrrr..",
        "..swwwwwwwrr.rr.",
        "...dddddddrr..rr",
        "................",
        "................",
        "................",
    ]),
    ("export", [  # a list sheet with an arrow going out
        "................",
        ".kkkkkkkkk......",
        ".kwwwwwwwkk.....",
        ".kwddddwwkwk....",
        ".kwwwwwwwkkkk...",
        ".kwddddddwwwk...",
        ".kwwwwwwwwwwk...",
        ".kwdddddddg.....",
        ".kwwwwwwwwgg....",
        ".kwddddgggggg...",
        ".kwwwwwggggggg..",
        ".kwddddgggggg...",
        ".kwwwwwwwwgg....",
        ".kkkkkkkkkg.....",
        "................",
        "................",
    ]),
    ("extract", [  # a note with an arrow going down
        "................",
        "......kk........",
        "......kkkk......",
        "......k..kk.....",
        "......k...k.....",
        "......k.........",
        "...kkkk.....gg..",
        "..kkkkk.....gg..",
        "..kkkk......gg..",
        "...kk.......gg..",
        "..........gggggg",
        "...........gggg.",
        "............gg..",
        "..dddddddddddddd",
        "..dsssssssssssss",
        "................",
    ]),
    ("open", [  # an open folder
        "................",
        "................",
        "..kkkk..........",
        ".kyyyyk.........",
        ".kyyyyykkkkkk...",
        ".kyyyyyyyyyyk...",
        ".kyyykkkkkkkkkk.",
        ".kyyk oooooooook",
        ".kyykoooooooook.",
        ".kykoooooooook..",
        ".kykoooooooook..",
        ".kkoooooooook...",
        ".kkooooooook....",
        ".kkkkkkkkkk.....",
        "................",
        "................",
    ]),
    ("preferences", [  # a gear
        "................",
        ".......dd.......",
        "...dd..ss..dd...",
        "...dssdssdssd...",
        "....dssssssd....",
        "..dddsskksssddd.",
        "..dsssk..ksssd..",
        "...dssk..kssd...",
        "..dsssk..ksssd..",
        "..dddsskksssddd.",
        "....dssssssd....",
        "...dssdssdssd...",
        "...dd..ss..dd...",
        ".......dd.......",
        "................",
        "................",
    ]),
    ("sort", [  # rows growing longer, with a downward arrow
        "................",
        "..n.............",
        "..n....bb.......",
        "..n.............",
        "..n....bbbb.....",
        "..n.............",
        "..n....bbbbbb...",
        "..n.............",
        "..n....bbbbbbbb.",
        "..n.............",
        "nnnnn..bbbbbbbbb",
        ".nnn............",
        "..n.............",
        "................",
        "................",
        "................",
    ]),
]

ICON_16 = [
    "................",
    "....kkkkkkkk....",
    "...kwwwwwwwwk...",
    "...kwkkkkkkwk...",
    "...kwkaaaakwk...",
    "...kwkaaaakwk...",
    "...kwkkkkkkwk...",
    "...kwwwwwwwwk...",
    "...kwwssssswk...",
    "...kwsswwsswk...",
    "...kwswwwwswk...",
    "...kwsswwsswk...",
    "...kwwssssswk...",
    "...kwwwwwwwwk...",
    "....kkkkkkkk....",
    "................",
]


def draw_icon_32():
    """The player drawn at 32 x 32: body, screen and wheel, plus a green arrow."""
    size = 32
    rows = [[TRANSPARENT] * size for _ in range(size)]

    def put(x, y, c):
        if 0 <= x < size and 0 <= y < size:
            rows[y][x] = c

    left, top, right, bottom = 7, 1, 24, 30
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            corner = (x in (left, right)) and (y in (top, bottom))
            if corner:
                continue
            edge = x in (left, right) or y in (top, bottom)
            put(x, y, "k" if edge else "w")
    for y in range(4, 14):  # the screen
        for x in range(10, 22):
            edge = x in (10, 21) or y in (4, 13)
            put(x, y, "k" if edge else ("a" if y < 9 else "t"))
    cx, cy = 15.5, 22.0  # the wheel, with its centre button
    for y in range(15, 30):
        for x in range(8, 24):
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
            if d <= 2.2:
                put(x, y, "w")
            elif d <= 3.2:
                put(x, y, "d")
            elif d <= 6.3:
                put(x, y, "s")
            elif d <= 7.0:
                put(x, y, "d")
    for y in range(18, 27):  # the arrow out of the player
        put(27, y, "g")
        put(28, y, "g")
    for i, width in enumerate((8, 6, 4, 2)):
        for x in range(28 - width // 2 + 1 - 1, 28 + width // 2):
            put(x, 27 + i, "l" if i else "g")
    return ["".join(r) for r in rows]


def scale2x(art):
    """Doubles a picture; a pixel's quarter takes a neighbour's colour where
    two neighbours of that colour meet at its corner."""
    height, width = len(art), len(art[0])
    rows = [[""] * (2 * width) for _ in range(2 * height)]
    for y in range(height):
        for x in range(width):
            p = art[y][x]
            above = art[y - 1][x] if y > 0 else p
            below = art[y + 1][x] if y < height - 1 else p
            left = art[y][x - 1] if x > 0 else p
            right = art[y][x + 1] if x < width - 1 else p
            corners = [
                (left, above, right, below), (above, right, left, below),
                (below, left, above, right), (right, below, above, left),
            ]
            for i, (a, b, c, d) in enumerate(corners):
                rows[2 * y + i // 2][2 * x + i % 2] = a if a == b and a != c and a != d else p
    return ["".join(r) for r in rows]


def drawn_at(arts, size):
    """The picture at `size` from the hand-drawn ones of other sizes."""
    base = max((art for art in arts if len(art) <= size), key=len)
    while len(base) < size:
        base = scale2x(base)
    if len(base) != size:
        base = scale2x(base)  # sampled from twice the size at least, for even strokes
    step = len(base) / size
    return ["".join(base[int((y + 0.5) * step)][int((x + 0.5) * step)] for x in range(size))
            for y in range(size)]


def indices(art, transparent="f"):
    """Palette indices; transparent pixels get the colour `transparent`."""
    return [[INDEX[transparent] if c in TRANSPARENT + " " else INDEX[c] for c in row] for row in art]


def pack_4bit(row):
    data = bytearray()
    for i in range(0, len(row), 2):
        data.append((row[i] << 4) | row[i + 1])
    while len(data) % 4:
        data.append(0)
    return bytes(data)


def pack_mask(art_row):
    bits = [1 if c in TRANSPARENT + " " else 0 for c in art_row]
    data = bytearray()
    for i in range(0, len(bits), 8):
        byte = 0
        chunk = bits[i:i + 8]
        for b in chunk:
            byte = (byte << 1) | b
        data.append(byte << (8 - len(chunk)))  # the first pixel in the highest bit
    while len(data) % 4:
        data.append(0)
    return bytes(data)


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for _, (r, g, b) in PALETTE)


def dib_header(width, height):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, 0, 0, 0, 16, 0)


def write_strip(path, size):
    images = [drawn_at([img], size) for _, img in IMAGES]
    width, height = size * len(images), size
    pixels = [sum((indices(img)[y] for img in images), []) for y in range(height)]
    body = b"".join(pack_4bit(pixels[y]) for y in reversed(range(height)))
    offset = 14 + 40 + 64
    header = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + dib_header(width, height) + palette_bytes() + body)


def icon_image(art):
    size = len(art)
    # Masked pixels must be black in the colour image, or they would tint
    # whatever lies behind the icon.
    xor = b"".join(pack_4bit(row) for row in reversed(indices(art, transparent="k")))
    mask = b"".join(pack_mask(row) for row in reversed(art))
    return dib_header(size, size * 2) + palette_bytes() + xor + mask


def write_icon(path, arts):
    images = [icon_image(art) for art in arts]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for art, image in zip(arts, images):
        size = len(art) % 256  # 0 stands for 256
        data += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(data + b"".join(images))


def write_image_names(path):
    with open(path, "w") as f:
        f.write("// Made by resources/make_images.py: the pictures' names in the order of the\n")
        f.write("// strips. Do not edit.\n")
        for name, _ in IMAGES:
            f.write('"%s",\n' % name)


def check(art, size):
    assert len(art) == size and all(len(row) == size for row in art), "bad picture size"


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    icon_32 = draw_icon_32()
    for _, img in IMAGES:
        check(img, 16)
    check(ICON_16, 16)
    check(icon_32, 32)
    for size in TOOLBAR_SIZES:
        write_strip(os.path.join(here, "toolbar%d.bmp" % size), size)
    icons = [drawn_at([ICON_16, icon_32], size) for size in ICON_SIZES]
    write_icon(os.path.join(here, "trackhaul.ico"), icons)
    write_image_names(os.path.join(here, "..", "src", "app", "command_image_names.inc"))
