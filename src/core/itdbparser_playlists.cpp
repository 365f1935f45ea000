// The playlist part of the reader. After the track set come further data
// sets; type 2 holds the playlists, type 3 the same playlists with the
// podcast list grouped by show. The reader takes type 3 when the file has
// it, otherwise type 2: a type-2 set is read when met and given up for a
// type-3 set that follows it, since a compressed stream cannot go back.
//
// A set holds a playlist list "mhlp" followed by the playlists "mhyp"; a
// playlist's children are data objects "mhod" (its name, smart rules, ...)
// and entries "mhip", each entry naming a track by id and carrying its
// position in a data object of type 100, inside it or, in older files,
// right after it. Every chunk is stepped over by its declared total length,
// which must lie inside the chunk around it: that keeps the walk moving
// forward and never back by more than the fields just read.
#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

#include "buffered_input.h"
#include "itdbparser.h"

namespace {

enum SetType : int32_t {
    kPlaylistSet = 2,
    kGroupedPlaylistSet = 3,
};

enum ObjectType : int32_t {
    kName = 1,
    kSmartRules = 50,
    kSmartRuleList = 51,
    kPosition = 100,
};

constexpr uint16_t kShowHeadingFlag = 0x100;

// ITDBParser::ToInt32 where the compiler can inline it: the entries of a
// large library are many.
int32_t Int32At(const uint8_t* bytes) {
    return static_cast<int32_t>(
        static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
        static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
}

// The first 16 bytes of a chunk: tag, header length, total length and a
// field that depends on the tag.
struct Chunk {
    int64_t start = 0;
    uint8_t fields[16] = {};

    bool Is(const char (&tag)[5]) const { return std::memcmp(fields, tag, 4) == 0; }
    int32_t HeaderLength() const { return Int32At(fields + 4); }
    int32_t TotalLength() const { return Int32At(fields + 8); }
    int32_t Field12() const { return Int32At(fields + 12); }
    int64_t HeaderEnd() const { return start + HeaderLength(); }
    int64_t End() const { return start + TotalLength(); }
};

// Reads a chunk's first fields; false unless its header lies inside its total
// length and the chunk ends by `limit`.
bool ReadChunk(BufferedInput& input, int64_t limit, Chunk& chunk) {
    chunk.start = input.Tell();
    return input.Read(chunk.fields, sizeof chunk.fields) == sizeof chunk.fields &&
           chunk.HeaderLength() >= 12 && chunk.TotalLength() >= chunk.HeaderLength() &&
           chunk.End() <= limit;
}

bool ReadInt32At(BufferedInput& input, int64_t offset, int32_t& value) {
    uint8_t bytes[4];
    if (!input.SeekTo(offset) || input.Read(bytes, 4) != 4) {
        return false;
    }
    value = Int32At(bytes);
    return true;
}

// The position a data object of type 100 holds, 24 bytes in.
bool ReadPosition(BufferedInput& input, const Chunk& object, int32_t& position) {
    return object.TotalLength() >= 28 && ReadInt32At(input, object.start + 24, position);
}

struct Entry {
    uint32_t trackId = 0;
    bool showHeading = false;
    std::optional<int32_t> position;
};

// The largest entry read; players write entries of 120 bytes. Each is read
// whole and taken apart in memory, which makes the many entries of a large
// library cheap to read.
constexpr int32_t kLargestEntry = 4096;

// Reads the rest of an entry whose first fields are read: its flags (16
// bits, 16 bytes in), its track's id (24 bytes in) and the position object
// among its own data objects.
bool ReadEntry(BufferedInput& input, const Chunk& chunk, Entry& entry) {
    constexpr int32_t kRead = sizeof chunk.fields;  // what lies before `rest`
    const int32_t size = chunk.TotalLength();
    if (chunk.HeaderLength() < 28 || size > kLargestEntry) {
        return false;
    }
    const auto restSize = static_cast<size_t>(size - kRead);
    uint8_t copy[kLargestEntry];
    const uint8_t* rest = input.ReadInPlace(restSize);
    if (rest == nullptr) {
        if (input.Read(copy, restSize) != restSize) {
            return false;
        }
        rest = copy;
    }
    entry.showHeading = ((rest[16 - kRead] | rest[17 - kRead] << 8) & kShowHeadingFlag) != 0;
    entry.trackId = static_cast<uint32_t>(Int32At(rest + 24 - kRead));
    entry.position.reset();
    for (int32_t offset = chunk.HeaderLength(); offset < size;) {
        const uint8_t* object = rest + offset - kRead;
        if (size - offset < 16 || std::memcmp(object, "mhod", 4) != 0) {
            return false;
        }
        const int32_t objectSize = Int32At(object + 8);
        if (objectSize < 16 || objectSize > size - offset) {
            return false;
        }
        if (Int32At(object + 12) == kPosition) {
            if (objectSize < 28) {
                return false;
            }
            entry.position = Int32At(object + 24);
        }
        offset += objectSize;
    }
    return true;
}

}  // namespace

void ITDBParser::ReadPlaylists(BufferedInput& input, int64_t setsStart) {
    // The sets must lie after everything the track walk read.
    if (setsStart < input.Tell() || !input.SeekTo(setsStart)) {
        return;
    }
    try {
        ReadPlaylistSets(input);
    } catch (const std::bad_alloc&) {
        // As at damage: the tracks and the playlists read whole are kept.
    }
}

void ITDBParser::ReadPlaylistSets(BufferedInput& input) {
    Chunk set;
    while (ReadChunk(input, INT64_MAX, set) && set.Is("mhsd")) {
        const int32_t type = set.Field12();
        if (type == kPlaylistSet || type == kGroupedPlaylistSet) {
            DropPlaylists();
            const bool whole = input.SeekTo(set.HeaderEnd()) && ReadPlaylistList(input, set.End());
            if (type == kGroupedPlaylistSet || !whole) {
                return;
            }
        }
        if (!input.SeekTo(set.End())) {
            return;
        }
    }
}

void ITDBParser::DropPlaylists() {
    for (const Playlist& playlist : playlists_) {
        budget_.Release(playlist.Members.capacity() * sizeof(const OneTrack*) +
                        playlist.Name.size() * sizeof(char16_t));
    }
    playlists_.clear();
}

bool ITDBParser::ReadPlaylistList(BufferedInput& input, int64_t setEnd) {
    // The list's header has no total length: its third field is the number
    // of playlists that follow it.
    Chunk list;
    list.start = input.Tell();
    if (input.Read(list.fields, 12) != 12 || !list.Is("mhlp") || list.HeaderLength() < 12 ||
        !input.SeekTo(list.HeaderEnd())) {
        return false;
    }
    const int32_t playlistCount = list.TotalLength();
    for (int32_t i = 0; i < playlistCount; ++i) {
        if (playlists_.size() == kMostPlaylists || !ReadPlaylist(input, setEnd)) {
            return false;
        }
    }
    return true;
}

bool ITDBParser::ReadPlaylist(BufferedInput& input, int64_t setEnd) {
    constexpr int64_t kLibraryFlag = 20;  // one byte
    constexpr int64_t kPodcastFlag = 42;  // 16 bits
    Chunk header;
    uint8_t flags[kPodcastFlag + 2 - sizeof header.fields];
    if (!ReadChunk(input, setEnd, header) || !header.Is("mhyp") ||
        input.Read(flags, sizeof flags) != sizeof flags) {
        return false;
    }
    const auto flagByte = [&](int64_t offset) { return flags[offset - sizeof header.fields]; };
    const bool library = flagByte(kLibraryFlag) == 1;
    const bool podcasts = (flagByte(kPodcastFlag) | flagByte(kPodcastFlag + 1) << 8) == 1;

    Playlist playlist;
    bool smart = false;
    bool named = false;
    bool entrySeen = false;
    // The last entry kept while it has no position yet: an older file puts
    // its position object right after it.
    std::optional<size_t> awaitingPosition;
    entries_.clear();
    if (!input.SeekTo(header.HeaderEnd())) {
        return false;
    }
    Chunk child;
    Entry entry;
    while (input.Tell() < header.End()) {
        if (!ReadChunk(input, header.End(), child)) {
            return false;
        }
        std::optional<size_t> entryWithoutPosition;
        if (child.Is("mhip")) {
            if (!ReadEntry(input, child, entry)) {
                return false;
            }
            entrySeen = true;
            const OneTrack* track = entry.showHeading ? nullptr : trackIds_.Find(entry.trackId);
            if (track != nullptr) {
                if (!budget_.MakeRoom(entries_)) {
                    return false;
                }
                if (!entry.position) {
                    entryWithoutPosition = entries_.size();
                }
                entries_.emplace_back(entry.position.value_or(0), track);
            }
        } else if (child.Is("mhod")) {
            const int32_t type = child.Field12();
            if (type == kName && !named && !entrySeen) {
                named = true;
                if (!ReadWideString(input, playlist.Name) || input.Tell() > child.End()) {
                    return false;
                }
            } else if (type == kSmartRules || type == kSmartRuleList) {
                smart = true;
            } else if (type == kPosition && awaitingPosition &&
                       !ReadPosition(input, child, entries_[*awaitingPosition].first)) {
                return false;
            }
        } else {
            return false;
        }
        awaitingPosition = entryWithoutPosition;
        if (!input.SeekTo(child.End())) {
            return false;
        }
    }

    playlist.Kind = library    ? PlaylistKind::Library
                    : podcasts ? PlaylistKind::Podcasts
                    : smart    ? PlaylistKind::Smart
                               : PlaylistKind::Other;
    const auto byPosition = [](const auto& left, const auto& right) {
        return left.first < right.first;
    };
    // The members are charged as they are taken, and so is the playlist's
    // place among the playlists (its name was charged as it was read).
    if (!budget_.StableSort(entries_, byPosition) ||
        !budget_.Charge(entries_.size() * sizeof(const OneTrack*)) ||
        !budget_.MakeRoom(playlists_)) {
        return false;
    }
    playlist.Members.reserve(entries_.size());
    for (const auto& entry : entries_) {
        playlist.Members.push_back(entry.second);
    }
    playlists_.push_back(std::move(playlist));
    return true;
}
