#!/usr/bin/env python3
"""What the journeys expect, worked out apart from the program.

  oracle.py by-title DUMP.csv OUT.csv
      the exported list in title order: the header, then the rows of
      trackhaul-dump's file-order listing sorted by title the way a person
      reads an index (letters without accents, case ignored)
  oracle.py extracted DUMP.csv PLAYER PATTERN [FOLDERS]
      "NAME<TAB>SHA-256" of each file an extraction of every track must
      give: the name built from PATTERN, inside the sub-folders built from
      the folder pattern FOLDERS if given, the contents of the track's file
      on the demo player (whose first line names the track's index in the
      file)
  oracle.py listing FOLDER
      "NAME<TAB>SHA-256" of each file in FOLDER, and below it
  oracle.py first-by-title DUMP.csv PLAYER
      the player file of the track that comes first in title order
  oracle.py first-title DUMP.csv
      the title that comes first in title order
  oracle.py setting EXPORT.reg NAME
      the text of a string value in a registry export
  oracle.py covers DUMP.csv ART.txt FOLDERS
      "FOLDER/folder.jpg<TAB>INDEX" of each sub-folder an extraction of
      every track into FOLDERS gives a cover: the index in the file of its
      first track with a picture
  oracle.py playlists FOLDER
      "NAME<TAB>ENTRIES" of each playlist file in FOLDER, after checking
      that it is UTF-8 without a byte-order mark, with CR LF line ends and
      #EXTM3U first, and that every entry's path names a file in FOLDER
  oracle.py rated-export EXPORT.csv DUMP.csv FIELDS (sorted-by COLUMN | found WORD)
      checks an export made with the Rating and Plays columns shown: every
      row is the track's row of the dump with its rating and plays from
      trackhaul-dump --fields; sorted by Rating or Plays it holds every
      track, in ascending order of that column's value; after a find for
      WORD it holds exactly the tracks found, in file order
  oracle.py found DUMP.csv FIELDS PLAYER PATTERN WORD
      as "extracted", for the tracks a find for WORD finds: those with WORD
      in the title, artist, album, genre or composer, ignoring case and
      accents
  oracle.py photos PHOTOS.txt
      "FOLDER/NNN.jpg<TAB>ID" of each file Extract Photos must write, from
      trackhaul-dump --photos: every album but the first a folder of its
      name with its photos numbered in its order, the photos in none of
      them in a folder named after the first album ("Photo Library")
  oracle.py library WRITTEN.xml EXPECTED.xml LINUX-FOLDER WINDOWS-FOLDER
      checks a library file the program wrote against the one
      trackhaul-dump --library wrote for the same folder, read by Python's
      own property-list parser: the same but for the moment each was made
      and the copies' paths, which name the same files seen from Windows
      (WINDOWS-FOLDER with / for \\)
  oracle.py rated-copies DUMP.csv FIELDS MANIFEST PLAYER PATTERN FOLDER
      checks the copies an extraction with ratings on wrote into FOLDER of
      the player make-demo-player --rated made (MANIFEST: what it printed),
      with Debian's mutagen (run it with /usr/bin/python3): a copy of an
      MP3 or MP4 file of a rated or played track carries the stars and
      plays trackhaul-dump --fields shows in both conventions, every other
      frame or item of the player's file, its audio bytes and its time; any
      other copy is the player's file byte for byte. Prints how many copies
      took tags and how many could not.
"""
import csv
import hashlib
import io
import os
import re
import sys
import unicodedata

FORBIDDEN = '/\\:*?"<>|' + ''.join(map(chr, range(0x20))) + '\x7f\x85\u2028\u2029'
DEVICES = {'CON', 'PRN', 'AUX', 'NUL'} | {f'{port}{n}' for port in ('COM', 'LPT') for n in range(10)}
FALLBACK_LEVELS = {'%artist%': 'Unknown Artist', '%album%': 'Unknown Album'}


def dump_rows(path):
    """The header line and the rows of a dump, as lines and as fields."""
    with open(path, 'rb') as dump:
        text = dump.read().decode('utf-16')
    lines = text.split('\n')
    assert lines[-1] == '', 'the listing ends in a line feed'
    lines = lines[:-1]
    fields = list(csv.reader(io.StringIO('\n'.join(lines) + '\n')))
    assert len(fields) == len(lines), 'no field holds a line break'
    return lines[0], list(zip(lines[1:], fields[1:]))


def title_key(title):
    letters = unicodedata.normalize('NFD', title)
    return ''.join(c for c in letters if not unicodedata.combining(c)).casefold()


def by_title(dump, out):
    header, rows = dump_rows(dump)
    ordered = sorted(rows, key=lambda row: title_key(row[1][1]))
    text = '\n'.join([header] + [line for line, _ in ordered]) + '\n'
    with open(out, 'wb') as result:
        result.write(b'\xff\xfe' + text.encode('utf-16-le'))


def sha256(path):
    digest = hashlib.sha256()
    with open(path, 'rb') as data:
        for block in iter(lambda: data.read(1 << 20), b''):
            digest.update(block)
    return digest.hexdigest()


def player_files(player):
    """Each demo track's index in the file, mapped to its file on the player."""
    files = {}
    for folder, _, names in os.walk(os.path.join(player, 'iPod_Control', 'Music')):
        for name in names:
            path = os.path.join(folder, name)
            with open(path, 'rb') as track:
                first = track.readline().decode('ascii')
            match = re.match(r'Trackhaul demo track (\d+):', first)
            assert match, path
            files[int(match.group(1))] = path
    return files


def substitute(pattern, key, value):
    return re.sub(re.escape(key), lambda _: value, pattern, flags=re.IGNORECASE)


def file_name(pattern, number, title, artist, album):
    trim = lambda text: text.strip(''.join(map(chr, range(0x21))))
    name = substitute(pattern, '%tracknumber%', number)
    for key, value in (('%title%', title), ('%artist%', artist), ('%album%', album)):
        name = substitute(name, key, trim(value))
    return ''.join('_' if c in FORBIDDEN else c for c in name)


def folder(folders, *fields):
    """The sub-folders of a track: each level named like a file, without the
    trailing dots and blanks Windows drops; one that cannot be a folder
    becomes a fallback."""
    path = ''
    for level_pattern in folders.split('\\'):
        level = file_name(level_pattern, *fields).rstrip('. ')
        if not level or level.split('.')[0].rstrip(' ').upper() in DEVICES:
            level = FALLBACK_LEVELS.get(level_pattern.lower(), '_')
        path += level + '/'
    return path


def extracted_lines(dump, player, pattern, folders=''):
    _, rows = dump_rows(dump)
    files = player_files(player)
    for index, (_, fields) in enumerate(rows):
        number, title, artist, album = fields[:4]
        source = files[index]
        name = file_name(pattern, number, title, artist, album) + os.path.splitext(source)[1]
        name = name.rstrip('. ') or name  # as Windows stores it
        if folders:
            name = folder(folders, number, title, artist, album) + name
        yield f'{name}\t{sha256(source)}'


def extracted(dump, player, pattern, folders=''):
    for line in extracted_lines(dump, player, pattern, folders):
        print(line)


def listing(folder):
    for parent, _, names in sorted(os.walk(folder)):
        for name in sorted(names):
            path = os.path.join(parent, name)
            print(f'{os.path.relpath(path, folder)}\t{sha256(path)}')


def first_by_title(dump, player):
    _, rows = dump_rows(dump)
    index = min(range(len(rows)), key=lambda i: title_key(rows[i][1][1]))
    print(player_files(player)[index])


def covers(dump, art, folders):
    _, rows = dump_rows(dump)
    with open(art, encoding='ascii') as lines:
        pictures = lines.read().splitlines()
    first = {}
    for index, (_, fields) in enumerate(rows):
        if pictures[index] != '-':
            first.setdefault(folder(folders, *fields[:4]), index)
    for path, index in first.items():
        print(f'{path}folder.jpg\t{index}')


def first_title(dump):
    _, rows = dump_rows(dump)
    print(min((fields[1] for _, fields in rows), key=title_key))


def setting(export, name):
    with open(export, 'rb') as reg:
        text = reg.read().decode('utf-16')
    for line in text.splitlines():
        if line.startswith(f'"{name}"='):
            value = line[len(name) + 3:]
            print(value[1:-1].replace('\\\\', '\\').replace('\\"', '"'))


def playlists(folder):
    for name in sorted(os.listdir(folder)):
        if not name.endswith('.m3u8'):
            continue
        with open(os.path.join(folder, name), 'rb') as playlist:
            data = playlist.read()
        assert not data.startswith(b'\xef\xbb\xbf'), f'{name}: a byte-order mark'
        assert data.endswith(b'\r\n') and b'\n' not in data.replace(b'\r\n', b''), \
            f'{name}: lines not ended by CR LF'
        lines = data.decode('utf-8').split('\r\n')[:-1]
        assert lines[0] == '#EXTM3U', f'{name}: no #EXTM3U'
        paths = [line for line in lines[1:] if not line.startswith('#')]
        for path in paths:
            assert os.path.isfile(os.path.join(folder, *path.split('\\'))), \
                f'{name}: {path} is not there'
        print(f'{name}\t{len(paths)}')


def fields_rows(path):
    """The fields of each track from trackhaul-dump --fields, by column."""
    names = ['Genre', 'Year', 'Composer', 'Disc', 'Rating', 'Plays', 'Skips', 'Last Played',
             'Date Added', 'Size', 'Comment']
    with open(path, 'rb') as dump:
        lines = dump.read().decode('utf-8').split('\n')[:-1]
    return [dict(zip(names, line.split('\x1f'))) for line in lines]


def found_indexes(dump, fields, word):
    _, rows = dump_rows(dump)
    texts = lambda i: rows[i][1][1:4] + [fields[i]['Genre'], fields[i]['Composer']]
    return [i for i in range(len(rows)) if any(title_key(word) in title_key(t) for t in texts(i))]


def rated_export(export, dump, fields_dump, how, argument):
    header, rows = dump_rows(dump)
    fields = fields_rows(fields_dump)
    expected = [f'{line},"{fields[i]["Rating"]}","{fields[i]["Plays"]}"'
                for i, (line, _) in enumerate(rows)]
    exported_header, exported = dump_rows(export)
    assert exported_header == header + ',"Rating","Plays"', exported_header
    lines = [line for line, _ in exported]
    if how == 'found':
        wanted = [expected[i] for i in found_indexes(dump, fields, argument)]
        assert lines == wanted, f'found {len(lines)} rows, not the {len(wanted)} expected'
        return
    assert sorted(lines) == sorted(expected), 'the rows are not those of the tracks'
    value = {'Rating': lambda f: len(f[-2]), 'Plays': lambda f: int(f[-1])}[argument]
    values = [value(f) for _, f in exported]
    assert values == sorted(values), f'not in ascending order of {argument}: {values}'


def found(dump, fields_dump, player, pattern, word):
    indexes = set(found_indexes(dump, fields_rows(fields_dump), word))
    for index, line in enumerate(extracted_lines(dump, player, pattern)):
        if index in indexes:
            print(line)


def library(written, expected, linux_folder, windows_folder):
    import plistlib
    import urllib.parse

    def as_windows(library, prefix):
        """The library without its date, every URL as the path it names."""
        del library['Date']

        def path(url):
            named = urllib.parse.unquote(urllib.parse.urlparse(url).path)
            return windows_folder + named[len(prefix):] if prefix else named.lstrip('/')
        library['Music Folder'] = path(library['Music Folder'])
        for track in library['Tracks'].values():
            track['Location'] = path(track['Location'])
        return library

    with open(written, 'rb') as file:
        program = as_windows(plistlib.load(file), None)
    with open(expected, 'rb') as file:
        tool = as_windows(plistlib.load(file), linux_folder)
    assert program == tool, f'{program}\n!=\n{tool}'
    assert len(program['Tracks']) > 0, 'no track in the library'
    print(len(program['Tracks']))


def photos(listing):
    albums = []
    with open(listing, encoding='utf-8') as lines:
        for line in lines:
            if line.startswith('album '):
                albums.append((line[6:].split('\x1f')[0], []))
            else:
                albums[-1][1].append(line.split()[1])
    folders = [(name, members) for name, members in albums[1:]]
    placed = {member for _, members in folders for member in members}
    rest = [member for member in albums[0][1] if member not in placed]
    if rest:
        folders.append((albums[0][0] or 'Photo Library', rest))
    for name, members in folders:
        width = max(3, len(str(len(members))))
        for number, member in enumerate(members, 1):
            print(f'{name}/{number:0{width}d}.jpg\t{member}')


POPULARIMETER = {0: 0, 1: 1, 2: 64, 3: 128, 4: 196, 5: 255}
FMPS_RATING = {1: '0.2', 2: '0.4', 3: '0.6', 4: '0.8', 5: '1.0'}
WINDOWS_PLAYER = 'Windows Media Player 9 Series'


def audio_bytes(data, mp3):
    """An MP3's bytes after its ID3v2 tag, if any, or an MP4's media data box."""
    if mp3:
        if data[:3] != b'ID3':
            return data
        size = 0
        for byte in data[6:10]:
            size = size << 7 | byte & 0x7F
        return data[10 + size + (10 if data[5] & 0x10 else 0):]
    at = 0
    while at + 8 <= len(data):
        size = int.from_bytes(data[at:at + 4], 'big')
        if data[at + 4:at + 8] == b'mdat':
            return data[at:at + size]
        at += max(size, 8)
    raise AssertionError('no media data')


def expect_tags(source, copy, stars, plays):
    """The ratings in the copy; everything else as in the player's file."""
    import mutagen
    from mutagen.mp4 import MP4FreeForm
    before, after = mutagen.File(source), mutagen.File(copy)
    if source.endswith('.mp3'):
        kept_v24 = before.tags is not None and before.tags.version[1] == 4
        assert after.tags.version[1] == (4 if kept_v24 else 3), after.tags.version
        popm = after.tags[f'POPM:{WINDOWS_PLAYER}']
        assert (popm.rating, popm.count) == (POPULARIMETER[stars], plays), popm
        assert after.tags['PCNT'].count == plays
        assert after.tags['TXXX:FMPS_Playcount'].text == [str(plays)]
        ours = {f'POPM:{WINDOWS_PLAYER}', 'PCNT', 'TXXX:FMPS_Playcount'}
        if stars:
            assert after.tags['TXXX:FMPS_Rating'].text == [FMPS_RATING[stars]]
            ours.add('TXXX:FMPS_Rating')
        with open(source, 'rb') as a, open(copy, 'rb') as b:
            tail_a, tail_b = a.read()[-128:], b.read()[-128:]
        assert (tail_a[:3] == b'TAG') == (tail_b[:3] == b'TAG') and \
            (tail_a[:3] != b'TAG' or tail_a == tail_b), 'the ID3v1 tag changed'
    else:
        item = '----:com.apple.iTunes:'
        assert after.tags[item + 'FMPS_Playcount'] == [MP4FreeForm(str(plays).encode())]
        ours = {item + 'FMPS_Playcount'}
        if stars:
            assert after.tags[item + 'FMPS_Rating'] == [MP4FreeForm(FMPS_RATING[stars].encode())]
            ours.add(item + 'FMPS_Rating')
    kept = lambda tags: {k: v for k, v in (tags or {}).items() if k not in ours}
    assert kept(after.tags) == kept(before.tags), f'{kept(before.tags)}\n!=\n{kept(after.tags)}'


def rated_copies(dump, fields_dump, manifest, player, pattern, folder):
    import mutagen
    _, rows = dump_rows(dump)
    fields = fields_rows(fields_dump)
    with open(manifest, encoding='utf-8') as lines:
        files = [line.rstrip('\n').split('\t')[1] for line in lines]
    tagged = missed = 0
    for (_, (number, title, artist, album, *_)), shown, file in zip(rows, fields, files):
        source = os.path.join(player, file)
        extension = os.path.splitext(file)[1]
        copy = os.path.join(folder, file_name(pattern, number, title, artist, album) + extension)
        stars, plays = len(shown['Rating']), int(shown['Plays'])
        with open(source, 'rb') as a, open(copy, 'rb') as b:
            before, after = a.read(), b.read()
        try:
            readable = mutagen.File(source) is not None
        except mutagen.MutagenError:
            readable = False
        takes = extension in ('.mp3', '.m4a', '.m4b', '.m4v', '.mp4') and (stars or plays)
        if takes and not readable:
            missed += 1
        if not takes or not readable:
            assert after == before, f'{copy} is not the player\'s file'
            continue
        mp3 = extension == '.mp3'
        assert audio_bytes(after, mp3) == audio_bytes(before, mp3), f'{copy}: the audio changed'
        assert abs(os.stat(copy).st_mtime - os.stat(source).st_mtime) < 0.001, f'{copy}: its time'
        expect_tags(source, copy, stars, plays)
        tagged += 1
    print(tagged, missed)


def main(command, *arguments):
    commands = {'by-title': by_title, 'extracted': extracted, 'listing': listing,
                'first-by-title': first_by_title, 'first-title': first_title, 'setting': setting,
                'playlists': playlists, 'rated-export': rated_export, 'found': found,
                'covers': covers, 'library': library, 'photos': photos,
                'rated-copies': rated_copies}
    commands[command](*arguments)


if __name__ == '__main__':
    main(*sys.argv[1:])
