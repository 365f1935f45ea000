#!/usr/bin/env python3
"""Writes the photo albums of a player (Photos/Photo Database and the .ithmb
frames beside it) from the format's description alone, as a check on
Trackhaul's reader that shares none of its code, and says what it wrote.

    photo_db_writer.py KIND PLAYER EXPECTED

KIND is one of the kinds of player below, or a hostile database. PLAYER is
the player's folder (the tracks' database is the caller's). Into EXPECTED
go photos.txt, the lines `trackhaul-dump --photos` must print, and for each
photo with a picture ID.ppm, the picture decoded by this writer from the
frame bytes it wrote.
"""
import os
import struct
import sys

# format id: (frame width, frame height, pixels)
FORMATS = {
    1009: (42, 30, 'le'), 1015: (130, 88, 'le'), 1024: (320, 240, 'le'),
    1066: (64, 64, 'le'), 1083: (240, 320, 'le'), 1087: (384, 384, 'le'),
    1023: (176, 132, 'be'), 1013: (220, 176, 'be'),
    1019: (720, 480, 'uyvy'), 1067: (720, 480, 'i420'),
}


def pattern(width, height, seed):
    """A picture whose gradients show a mistake of offset, order or colour."""
    return [[((x * 255 // max(width - 1, 1) + seed * 40) % 256,
              (y * 255 // max(height - 1, 1) + seed * 70) % 256,
              ((x + y) * 3 + seed * 90) % 256) for x in range(width)] for y in range(height)]


def clamp(value):
    return max(0, min(255, int(round(value))))


def rgb_of_yuv(y, u, v):
    luma = 1.164 * (y - 16)
    return (clamp(luma + 1.596 * (v - 128)),
            clamp(luma - 0.813 * (v - 128) - 0.391 * (u - 128)),
            clamp(luma + 2.018 * (u - 128)))


def yuv_of_rgb(r, g, b):
    return (clamp(16 + 0.257 * r + 0.504 * g + 0.098 * b),
            clamp(128 - 0.148 * r - 0.291 * g + 0.439 * b),
            clamp(128 + 0.439 * r - 0.368 * g - 0.071 * b))


def widen(value, bits):
    return (value << (8 - bits) | value >> (2 * bits - 8)) & 0xFF


def rgb_of_565(value):
    return widen(value >> 11, 5), widen(value >> 5 & 0x3F, 6), widen(value & 0x1F, 5)


class Frame:
    """One stored picture: a frame of its format with a picture inside."""

    def __init__(self, fmt, picture_width, picture_height, hpad=0, vpad=0, seed=0):
        self.fmt, self.hpad, self.vpad = fmt, hpad, vpad
        self.width, self.height = picture_width, picture_height  # visible
        self.frame_width, self.frame_height, self.pixels = FORMATS.get(
            fmt, (picture_width + abs(hpad), picture_height + abs(vpad), 'le'))
        self.picture = pattern(picture_width, picture_height, seed)
        self.bytes = self.encode()

    def at(self, x, y):
        """The pixel of the frame: the picture where it lies, grey around it."""
        left, top = max(self.hpad, 0), max(self.vpad, 0)
        if left <= x < left + self.width and top <= y < top + self.height:
            return self.picture[y - top][x - left]
        return (128, 128, 128)

    def encode(self):
        w, h = self.frame_width, self.frame_height
        if self.pixels in ('le', 'be'):
            out = bytearray()
            for y in range(h):
                for x in range(w):
                    r, g, b = self.at(x, y)
                    value = (r >> 3) << 11 | (g >> 2) << 5 | b >> 3
                    out += struct.pack('<H' if self.pixels == 'le' else '>H', value)
            return bytes(out)
        if self.pixels == 'uyvy':
            rows = []
            for y in range(h):
                row = bytearray()
                for x in range(0, w, 2):
                    y0, u0, v0 = yuv_of_rgb(*self.at(x, y))
                    y1, u1, v1 = yuv_of_rgb(*self.at(x + 1, y))
                    row += bytes([(u0 + u1) // 2, y0, (v0 + v1) // 2, y1])
                rows.append(bytes(row))
            return b''.join(rows[0::2] + rows[1::2])  # even lines, then odd
        luma, us, vs = bytearray(), bytearray(), bytearray()
        for y in range(h):
            for x in range(w):
                luma.append(yuv_of_rgb(*self.at(x, y))[0])
        for y in range(0, h, 2):
            for x in range(0, w, 2):
                _, u, v = yuv_of_rgb(*self.at(x, y))
                us.append(u)
                vs.append(v)
        body = bytes(luma + us + vs)
        return body + bytes(w * h * 2 - len(body))  # the frame's byte count

    def decoded(self):
        """The visible picture as a reader of the frame bytes gets it."""
        w, data = self.frame_width, self.bytes
        left, top = max(self.hpad, 0), max(self.vpad, 0)
        out = []
        for y in range(top, top + self.height):
            row = []
            for x in range(left, left + self.width):
                if self.pixels in ('le', 'be'):
                    pair = data[(y * w + x) * 2:(y * w + x) * 2 + 2]
                    row.append(rgb_of_565(struct.unpack('<H' if self.pixels == 'le' else '>H', pair)[0]))
                elif self.pixels == 'uyvy':
                    stored = y // 2 if y % 2 == 0 else self.frame_height // 2 + y // 2
                    at = (stored * w + (x & ~1)) * 2
                    row.append(rgb_of_yuv(data[at + (1 if x % 2 == 0 else 3)], data[at], data[at + 2]))
                else:
                    plane = w * self.frame_height
                    chroma = (y // 2) * (w // 2) + x // 2
                    row.append(rgb_of_yuv(data[y * w + x], data[plane + chroma], data[plane * 5 // 4 + chroma]))
            out.append(row)
        return out


def record(tag, header_length, fields, children=b'', total=True):
    """A record: its tag, header length, total length (unless it has none)
    and fields at their offsets, padded to its header, then its children."""
    head = bytearray(header_length)
    head[0:4] = tag.encode()
    struct.pack_into('<I', head, 4, header_length)
    if total:
        struct.pack_into('<I', head, 8, header_length + len(children))
    for offset, form, value in fields:
        struct.pack_into(form, head, offset, value)
    return bytes(head) + children


def string_object(kind, text, encoding=2):
    data = text.encode('utf-16-le' if encoding == 2 else 'utf-8')
    body = bytearray(36 - 24) + data
    head = record('mhod', 24, [(12, '<H', kind)], bytes(body))
    head = bytearray(head)
    struct.pack_into('<I', head, 24, len(data))
    head[28] = encoding
    return bytes(head)


class Writer:
    def __init__(self, player):
        self.photos_folder = os.path.join(player, 'Photos')
        self.files = {}  # name: bytearray

    def stored(self, frame, kind=2, name=None, offset=None, byte_count=None, width=None, height=None):
        file_name = name or f':Thumbs:F{frame.fmt}_1.ithmb'
        data = self.files.setdefault(file_name, bytearray())
        at = len(data) if offset is None else offset
        if offset is None:
            data += frame.bytes
        mhni = record('mhni', 76, [
            (12, '<I', 1), (16, '<I', frame.fmt), (20, '<I', at),
            (24, '<I', len(frame.bytes) if byte_count is None else byte_count),
            (28, '<h', frame.vpad), (30, '<h', frame.hpad),
            (32, '<H', height if height is not None else frame.height + abs(frame.vpad)),
            (34, '<H', width if width is not None else frame.width + abs(frame.hpad))],
            string_object(3, file_name))
        return record('mhod', 24, [(12, '<H', kind)], mhni)

    def original(self, name, contents):
        path = os.path.join(self.photos_folder, *name.strip(':').split(':'))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'wb') as file:
            file.write(contents)
        mhni = record('mhni', 76, [(12, '<I', 1)], string_object(3, name))
        return record('mhod', 24, [(12, '<H', 5)], mhni)

    def write(self, images, albums, cut=None, patch=None):
        """`images`: (image id, [objects]); `albums`: (name, type, [image ids])."""
        items = [record('mhii', 152, [(12, '<I', len(objects)), (16, '<I', image)], b''.join(objects))
                 for image, objects in images]
        image_list = record('mhli', 92, [(8, '<I', len(items))], total=False) + b''.join(items)
        entries = []
        for number, (name, kind, members) in enumerate(albums):
            children = string_object(1, name) + b''.join(
                record('mhia', 40, [(16, '<I', member)]) for member in members)
            entries.append(record('mhba', 148, [(12, '<I', 1), (16, '<I', len(members)),
                                                (20, '<I', 100 + number), (30, '<B', kind)],
                                  children))
        album_list = record('mhla', 92, [(8, '<I', len(entries))], total=False) + b''.join(entries)
        sets = [record('mhsd', 96, [(12, '<H', 1)], image_list),
                record('mhsd', 96, [(12, '<H', 2)], album_list)]
        database = bytearray(record('mhfd', 132, [(20, '<I', len(sets))], b''.join(sets)))
        if patch:
            patch(database)
        if cut is not None:
            database = database[:cut]
        os.makedirs(os.path.join(self.photos_folder, 'Thumbs'), exist_ok=True)
        with open(os.path.join(self.photos_folder, 'Photo Database'), 'wb') as file:
            file.write(database)
        for name, data in self.files.items():
            parts = name.strip(':').split(':')
            if '..' in parts or any(':' in p or '\\' in p for p in parts):
                continue
            with open(os.path.join(self.photos_folder, *parts), 'wb') as file:
                file.write(data)


def kinds():
    """Each kind: a function of a writer giving the images, albums and the
    expected size of each photo's largest picture (None for none)."""
    def uyvy(w):
        tv, thumb = Frame(1019, 720, 480, seed=1), Frame(1009, 42, 30, seed=1)
        small = Frame(1015, 118, 88, hpad=6, seed=2)
        return [(1, [w.stored(thumb), w.stored(tv)]), (2, [w.stored(small)])], \
            [('', 1, [1, 2]), ('Holiday', 2, [2, 1])], {1: tv, 2: small}

    def i420(w):
        tv = Frame(1067, 700, 470, hpad=10, vpad=5, seed=3)
        return [(7, [w.stored(tv), w.stored(Frame(1009, 42, 30, seed=3))])], \
            [('Library', 1, [7])], {7: tv}

    def little(w):
        big, small = Frame(1024, 320, 240, seed=4), Frame(1066, 64, 48, vpad=-8, seed=5)
        return [(3, [w.stored(small), w.stored(big)]), (4, [w.stored(small)])], \
            [('', 1, [3, 4]), ('Only four', 2, [4])], {3: big, 4: small}

    def big_endian(w):
        frame = Frame(1023, 176, 132, seed=6)
        turned = Frame(1013, 220, 176, seed=6)
        return [(9, [w.stored(turned), w.stored(frame)])], [('', 1, [9])], {9: frame}

    def portrait(w):
        frame = Frame(1083, 200, 300, hpad=20, vpad=10, seed=7)
        return [(11, [w.stored(frame)])], [('', 1, [11])], {11: frame}

    def small_and_padded(w):
        odd = Frame(4242, 30, 20, hpad=3, vpad=2, seed=8)  # a format not in the table
        tiny = Frame(1066, 5, 64, hpad=-59, seed=9)
        return [(20, [w.stored(odd)]), (21, [w.stored(tiny)]), (22, [])], \
            [('', 1, [20, 21, 22])], {20: odd, 21: tiny, 22: None}

    def albums(w):
        a, b = Frame(1024, 320, 240, seed=10), Frame(1087, 384, 300, seed=11)
        original = w.original(':Full Resolution:2005:08:06:IMG_3609.jpg', b'\xff\xd8original\xff\xd9')
        return [(30, [w.stored(a)]), (31, [w.stored(b), original])], \
            [('', 1, [30, 31]), ('\u041B\u0435\u0442\u043E & <friends>', 2, [31, 30]),
             ('Empty', 2, []), ('Again', 2, [31, 99])], {30: a, 31: b}

    return {'uyvy': uyvy, 'i420': i420, 'little': little, 'big-endian': big_endian,
            'portrait': portrait, 'small-and-padded': small_and_padded, 'albums': albums}


def hostile(kind, w):
    """A damaged or crafted database: nothing is expected of it but that it
    is read safely."""
    frame = Frame(1024, 320, 240)
    images = [(1, [w.stored(frame)]), (2, [w.stored(Frame(1009, 42, 30))])]
    albums = [('', 1, [1, 2]), ('Two', 2, [2])]
    if kind == 'cut':
        w.write(images, albums, cut=300)
    elif kind == 'counts':
        def patch(data):
            struct.pack_into('<I', data, 20, 0xFFFFFFFF)  # sets
            at = data.find(b'mhli')
            struct.pack_into('<I', data, at + 8, 0x7FFFFFFF)  # images
        w.write(images, albums, patch=patch)
    elif kind == 'loop':
        def patch(data):
            at = data.find(b'mhii')
            struct.pack_into('<I', data, at + 8, 0)  # a total length of nothing
            at = data.find(b'mhba')
            struct.pack_into('<I', data, at + 4, 0)
        w.write(images, albums, patch=patch)
    elif kind == 'offsets':
        w.write([(1, [w.stored(frame, offset=0xFFFFFF00)]),
                 (2, [w.stored(frame, byte_count=0xFFFFFFFF)])], albums)
    elif kind == 'paths':
        w.write([(1, [w.stored(frame, name=':..:..:iPod_Control:iTunes:iTunesDB')]),
                 (2, [w.stored(frame, name='C:\\\\Windows:win.ini')]),
                 (3, [w.stored(frame, name=':Thumbs:CON')])], albums)
    elif kind == 'huge':
        w.write([(1, [w.stored(Frame(4242, 2, 2), width=65535, height=65535,
                               byte_count=65535 * 65535 * 2 & 0xFFFFFFFF)])], albums)
    elif kind == 'sparse':
        name = ':Thumbs:F1024_1.ithmb'
        w.write([(1, [w.stored(frame, name=name, offset=0xFFF00000)])], albums)
        path = os.path.join(w.photos_folder, 'Thumbs', 'F1024_1.ithmb')
        with open(path, 'r+b') as file:
            file.truncate(1 << 32)  # 4 GB, sparse
    return None


def main():
    kind, player, expected = sys.argv[1:4]
    writer = Writer(player)
    if kind in kinds():
        images, albums, largest = kinds()[kind](writer)
        writer.write(images, albums)
    else:
        hostile(kind, writer)
        return
    os.makedirs(expected, exist_ok=True)
    known = {image for image, _ in images}
    lines = []
    for name, _, members in albums:
        members = [m for m in members if m in known]
        lines.append(f'album {name}\x1f{len(members)}')
        for member in members:
            frame = largest[member]
            lines.append(f'photo {member} ' + (f'{frame.width}x{frame.height}' if frame else '-'))
    with open(os.path.join(expected, 'photos.txt'), 'w', encoding='utf-8') as file:
        file.write(''.join(line + '\n' for line in lines))
    for image, frame in largest.items():
        if frame:
            picture = frame.decoded()
            with open(os.path.join(expected, f'{image}.ppm'), 'wb') as file:
                file.write(f'P6\n{frame.width} {frame.height}\n255\n'.encode())
                file.write(bytes(channel for row in picture for pixel in row for channel in pixel))


main()
