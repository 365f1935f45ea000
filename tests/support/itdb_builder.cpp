#include "itdb_builder.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <fstream>

namespace itdb {
namespace {

void PutInt32(Bytes& bytes, size_t offset, int32_t value) {
    const auto raw = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<uint8_t>(raw >> (8 * i));
    }
}

void PutTag(Bytes& bytes, const char* tag) {
    std::memcpy(bytes.data(), tag, 4);
}

Bytes Utf16Le(std::u16string_view text) {
    Bytes bytes;
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

// A chunk header of `headerLength` zero bytes with its tag and length.
Bytes Header(const char* tag, size_t headerLength) {
    Bytes bytes(headerLength < 12 ? 12 : headerLength, 0);
    PutTag(bytes, tag);
    PutInt32(bytes, 4, static_cast<int32_t>(headerLength));
    return bytes;
}

}  // namespace

Bytes& operator+=(Bytes& left, const Bytes& right) {
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

Bytes operator+(Bytes left, const Bytes& right) {
    return left += right;
}

Bytes Concat(const std::vector<Bytes>& parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all += part;
    }
    return all;
}

Bytes RawStringObject(uint32_t type, int32_t declaredLength, const Bytes& textBytes) {
    Bytes object = Header("mhod", 24);
    object.resize(40, 0);
    PutInt32(object, 8, static_cast<int32_t>(40 + textBytes.size()));
    PutInt32(object, 12, static_cast<int32_t>(type));
    PutInt32(object, 16, 1);  // string encoding, as players write it
    PutInt32(object, 28, declaredLength);
    return object + textBytes;
}

Bytes StringObject(uint32_t type, std::u16string_view text) {
    const Bytes textBytes = Utf16Le(text);
    return RawStringObject(type, static_cast<int32_t>(textBytes.size()), textBytes);
}

Bytes OtherObject(uint32_t type, int32_t totalLength, std::optional<size_t> actualSize) {
    size_t size = actualSize.value_or(totalLength < 16 ? 16 : static_cast<size_t>(totalLength));
    Bytes object = Header("mhod", 24);
    object.resize(size < 16 ? 16 : size, 0);
    PutInt32(object, 8, totalLength);
    PutInt32(object, 12, static_cast<int32_t>(type));
    return object;
}

Bytes TrackItem(const TrackItemFields& fields, const std::vector<Bytes>& objects) {
    const size_t headerLength = fields.headerLength < 16 ? 16 : fields.headerLength;
    Bytes item = Header("mhit", headerLength);
    PutInt32(item, 4, fields.headerLength);
    const Bytes body = Concat(objects);
    PutInt32(item, 8, static_cast<int32_t>(headerLength + body.size()));
    PutInt32(item, 12, fields.objectCount.value_or(static_cast<int32_t>(objects.size())));
    const auto putIfInside = [&](size_t offset, int32_t value) {
        if (offset + 4 <= item.size()) {
            PutInt32(item, offset, value);
        }
    };
    putIfInside(16, static_cast<int32_t>(fields.trackId));
    putIfInside(40, static_cast<int32_t>(fields.lengthMs));
    putIfInside(44, fields.trackNumber);
    putIfInside(56, fields.bitRate);
    putIfInside(60, static_cast<int32_t>(fields.sampleRateRaw));
    putIfInside(208, fields.mediaType);
    putIfInside(0x70, static_cast<int32_t>(fields.databaseId));
    putIfInside(0x74, static_cast<int32_t>(fields.databaseId >> 32));
    putIfInside(0x160, static_cast<int32_t>(fields.artworkId));
    if (0x1F < item.size()) {
        item[0x1F] = fields.rating;
    }
    putIfInside(0x20, static_cast<int32_t>(fields.dateModified));
    putIfInside(0x24, static_cast<int32_t>(fields.sizeBytes));
    putIfInside(0x34, static_cast<int32_t>(fields.year));
    putIfInside(0x50, static_cast<int32_t>(fields.playCount));
    putIfInside(0x58, static_cast<int32_t>(fields.lastPlayed));
    putIfInside(0x5C, static_cast<int32_t>(fields.discNumber));
    putIfInside(0x60, static_cast<int32_t>(fields.discCount));
    putIfInside(0x68, static_cast<int32_t>(fields.dateAdded));
    putIfInside(0x9C, static_cast<int32_t>(fields.skipCount));
    return item + body;
}

Bytes TrackListHeader(int32_t declaredCount, int32_t headerLength) {
    Bytes list = Header("mhlt", headerLength < 12 ? 12 : headerLength);
    PutInt32(list, 4, headerLength);
    PutInt32(list, 8, declaredCount);
    return list;
}

Bytes DataSet(int32_t type, const Bytes& contents, int32_t headerLength,
              std::optional<int32_t> totalLength) {
    Bytes set = Header("mhsd", headerLength < 16 ? 16 : headerLength);
    PutInt32(set, 4, headerLength);
    PutInt32(set, 8, totalLength.value_or(static_cast<int32_t>(set.size() + contents.size())));
    PutInt32(set, 12, type);
    return set + contents;
}

Bytes TrackSet(const std::vector<Bytes>& trackItems, std::optional<int32_t> declaredCount) {
    const auto count = declaredCount.value_or(static_cast<int32_t>(trackItems.size()));
    return DataSet(1, TrackListHeader(count) + Concat(trackItems));
}

Bytes OtherSet(int32_t type, size_t size) {
    return DataSet(type, Bytes(size, 0xAB));
}

Bytes PositionObject(int32_t position) {
    Bytes object = OtherObject(100, 44);
    PutInt32(object, 4, 24);
    PutInt32(object, 24, position);
    return object;
}

Bytes PlaylistEntry(const EntryFields& fields) {
    Bytes entry = Header("mhip", 76);
    const Bytes position = PositionObject(fields.position);
    const bool inside = fields.place == PositionPlace::Inside;
    PutInt32(entry, 8, static_cast<int32_t>(entry.size() + (inside ? position.size() : 0)));
    PutInt32(entry, 12, inside ? 1 : 0);
    PutInt32(entry, 16, fields.showHeading ? 0x100 : 0);
    PutInt32(entry, 24, static_cast<int32_t>(fields.trackId));
    return fields.place == PositionPlace::None ? entry : entry + position;
}

Bytes PlaylistHeader(const PlaylistFields& fields, int32_t objectCount, int32_t entryCount,
                     int64_t totalLength) {
    Bytes playlist = Header("mhyp", static_cast<size_t>(std::max(fields.headerLength, 44)));
    PutInt32(playlist, 4, fields.headerLength);
    PutInt32(playlist, 8, static_cast<int32_t>(totalLength));
    PutInt32(playlist, 12, objectCount);
    PutInt32(playlist, 16, entryCount);
    playlist[20] = fields.library ? 1 : 0;
    playlist[42] = fields.podcasts ? 1 : 0;
    return playlist;
}

Bytes PlaylistItem(const PlaylistFields& fields, const std::vector<Bytes>& children) {
    int32_t objects = 0;
    int32_t entries = 0;
    for (const Bytes& child : children) {
        ++(std::memcmp(child.data(), "mhip", 4) == 0 ? entries : objects);
    }
    const Bytes body = Concat(children);
    const size_t headerSize = static_cast<size_t>(std::max(fields.headerLength, 44));
    return PlaylistHeader(fields, objects, entries,
                          static_cast<int64_t>(headerSize + body.size())) +
           body;
}

Bytes PlaylistListHeader(int32_t declaredCount) {
    Bytes list = Header("mhlp", 92);
    PutInt32(list, 8, declaredCount);
    return list;
}

Bytes PlaylistSet(int32_t type, const std::vector<Bytes>& playlists,
                  std::optional<int32_t> declaredCount) {
    const Bytes list =
        PlaylistListHeader(declaredCount.value_or(static_cast<int32_t>(playlists.size())));
    return DataSet(type, list + Concat(playlists));
}

Bytes Database(const std::vector<Bytes>& dataSets, int32_t headerLength,
               std::optional<int32_t> totalLength) {
    Bytes database = Header("mhbd", headerLength < 12 ? 12 : headerLength);
    PutInt32(database, 4, headerLength);
    database += Concat(dataSets);
    PutInt32(database, 8, totalLength.value_or(static_cast<int32_t>(database.size())));
    return database;
}

Bytes CompressedDatabase(const Bytes& database, int level) {
    constexpr size_t kFlagOffset = 0xA8;
    uint32_t headerLength = 0;
    for (int i = 0; i < 4; ++i) {
        headerLength |= static_cast<uint32_t>(database.at(4 + i)) << (8 * i);
    }
    Bytes file(database.begin(), database.begin() + headerLength);
    const uLong plainSize = static_cast<uLong>(database.size() - headerLength);
    uLongf streamSize = compressBound(plainSize);
    file.resize(headerLength + streamSize);
    compress2(file.data() + headerLength, &streamSize, database.data() + headerLength, plainSize,
              level);
    file.resize(headerLength + streamSize);
    PutInt32(file, 8, static_cast<int32_t>(file.size()));
    if (headerLength >= kFlagOffset + 2) {
        file[kFlagOffset] = 1;
        file[kFlagOffset + 1] = 0;
    }
    return file;
}

struct CompressedWriter::Stream {
    z_stream zlib{};
};

CompressedWriter::CompressedWriter(int level)
    : stream_(std::make_unique<Stream>()), file_(Database({})) {
    deflateInit(&stream_->zlib, level);
}

CompressedWriter::~CompressedWriter() {
    deflateEnd(&stream_->zlib);
}

void CompressedWriter::Deflate(const Bytes& part, int flush) {
    z_stream& zlib = stream_->zlib;
    Bytes out(1 << 16);
    zlib.next_in = const_cast<Bytef*>(part.data());
    zlib.avail_in = static_cast<uInt>(part.size());
    do {
        zlib.next_out = out.data();
        zlib.avail_out = static_cast<uInt>(out.size());
        deflate(&zlib, flush);
        file_.insert(file_.end(), out.data(), zlib.next_out);
    } while (zlib.avail_out == 0);
}

void CompressedWriter::Add(const Bytes& part, int64_t times) {
    // Many copies at a time: one deflate call per small part would take long.
    const int64_t perCall = std::max<int64_t>(1, (1 << 16) / std::max<size_t>(part.size(), 1));
    Bytes copies;
    for (int64_t i = 0; i < std::min(perCall, times); ++i) {
        copies += part;
    }
    for (int64_t done = 0; done < times; done += perCall) {
        if (times - done < perCall) {
            copies.resize(part.size() * static_cast<size_t>(times - done));
        }
        Deflate(copies, Z_NO_FLUSH);
    }
}

Bytes CompressedWriter::Finish() {
    Deflate({}, Z_FINISH);
    PutInt32(file_, 8, static_cast<int32_t>(file_.size()));
    return std::move(file_);
}

Bytes CompressedRepeatedTracks(const Bytes& trackItem, int64_t count, int32_t declaredCount) {
    CompressedWriter writer;
    writer.Add(DataSet(1, TrackListHeader(declaredCount), 96, 0x7FFFFFFF));
    writer.Add(trackItem, count);
    return writer.Finish();
}

Bytes RealisticTrackItem(const Track& track, uint32_t trackId) {
    TrackItemFields fields;
    fields.trackId = trackId;
    fields.lengthMs = track.lengthMs;
    fields.trackNumber = track.trackNumber;
    fields.bitRate = track.bitRate;
    fields.sampleRateRaw = track.sampleRateHz << 16;
    fields.mediaType = track.mediaType;
    fields.databaseId = track.databaseId;
    fields.artworkId = track.artworkId;
    fields.rating = track.rating;
    fields.playCount = track.playCount;
    fields.skipCount = track.skipCount;
    fields.year = track.year;
    fields.dateAdded = track.dateAdded;
    fields.lastPlayed = track.lastPlayed;
    fields.sizeBytes = track.sizeBytes;
    fields.discNumber = track.discNumber;
    fields.discCount = track.discCount;
    std::vector<Bytes> objects = {
        StringObject(1, track.title), StringObject(2, track.location),
        StringObject(3, track.album), StringObject(4, track.artist),
        StringObject(5, track.genre), StringObject(6, track.fileType),
        OtherObject(100, 96),         StringObject(12, track.composer),
    };
    if (!track.comment.empty()) {
        objects.push_back(StringObject(8, track.comment));
    }
    return TrackItem(fields, objects);
}

uint32_t RealisticTrackId(size_t index) {
    return static_cast<uint32_t>(52 + 3 * index);
}

namespace {

Bytes RealisticTrackSet(const std::vector<Track>& tracks) {
    std::vector<Bytes> items;
    items.reserve(tracks.size());
    for (size_t i = 0; i < tracks.size(); ++i) {
        items.push_back(RealisticTrackItem(tracks[i], RealisticTrackId(i)));
    }
    return TrackSet(items);
}

}  // namespace

Bytes RealisticDatabase(const std::vector<Track>& tracks) {
    return Database({OtherSet(2, 256), RealisticTrackSet(tracks), OtherSet(2, 128)});
}

Bytes RealisticPlaylist(const PlaylistContents& playlist, const std::vector<Track>& tracks,
                        bool grouped) {
    PlaylistFields fields;
    fields.podcasts = playlist.kind == ListKind::Podcasts;
    std::vector<Bytes> children = {StringObject(1, playlist.name), OtherObject(100, 288)};
    if (playlist.kind == ListKind::Smart) {
        children.push_back(OtherObject(50, 132));
        children.push_back(OtherObject(51, 216));
    }
    const std::u16string* show = nullptr;
    int32_t position = 0;
    for (const size_t index : playlist.members) {
        const uint32_t id = RealisticTrackId(index);
        if (grouped && fields.podcasts && (show == nullptr || *show != tracks[index].album)) {
            show = &tracks[index].album;
            children.push_back(PlaylistEntry({id, ++position, PositionPlace::Inside, true}));
        }
        children.push_back(PlaylistEntry({id, ++position}));
    }
    return PlaylistItem(fields, children);
}

Bytes RealisticDatabase(const std::vector<Track>& tracks,
                        const std::vector<PlaylistContents>& playlists) {
    std::vector<Bytes> sets = {OtherSet(4, 200), RealisticTrackSet(tracks)};
    for (const int32_t type : {3, 2}) {
        std::vector<Bytes> items;
        std::vector<Bytes> library = {StringObject(1, u"iPod"), OtherObject(100, 288)};
        for (size_t i = 0; i < tracks.size(); ++i) {
            library.push_back(PlaylistEntry({RealisticTrackId(i), static_cast<int32_t>(i + 1)}));
        }
        items.push_back(PlaylistItem({true, false}, library));
        for (const PlaylistContents& playlist : playlists) {
            items.push_back(RealisticPlaylist(playlist, tracks, type == 3));
        }
        sets.push_back(PlaylistSet(type, items));
    }
    return Database(sets);
}

Bytes PlayCountsFile(const std::vector<PlayCountEntry>& entries, int32_t entryLength,
                     int32_t headerLength) {
    Bytes file = Header("mhdp", static_cast<size_t>(headerLength));
    PutInt32(file, 8, entryLength);
    PutInt32(file, 12, static_cast<int32_t>(entries.size()));
    for (const PlayCountEntry& entry : entries) {
        Bytes bytes(static_cast<size_t>(entryLength), 0);
        const auto putIfInside = [&](size_t offset, uint32_t value) {
            if (offset + 4 <= bytes.size()) {
                PutInt32(bytes, offset, static_cast<int32_t>(value));
            }
        };
        putIfInside(0, entry.plays);
        putIfInside(4, entry.lastPlayed);
        putIfInside(12, entry.rating);
        putIfInside(20, entry.skips);
        putIfInside(24, entry.lastSkipped);
        file += bytes;
    }
    return file;
}

Bytes OnTheGoFile(const std::vector<uint32_t>& trackIndexes) {
    Bytes file = Header("mhpo", 0x14);
    PutInt32(file, 8, 4);
    PutInt32(file, 12, static_cast<int32_t>(trackIndexes.size()));
    for (const uint32_t index : trackIndexes) {
        Bytes entry(4, 0);
        PutInt32(entry, 0, static_cast<int32_t>(index));
        file += entry;
    }
    return file;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

}  // namespace itdb
