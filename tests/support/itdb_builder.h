// Builds player databases byte by byte, so that every test, benchmark and
// demo states exactly the file it reads. Each function returns one chunk with
// its nested contents; lengths are filled in to match unless a test asks for
// other values to describe a damaged file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace itdb {

using Bytes = std::vector<uint8_t>;

Bytes operator+(Bytes left, const Bytes& right);
Bytes& operator+=(Bytes& left, const Bytes& right);
Bytes Concat(const std::vector<Bytes>& parts);

// A string data object ("mhod", 24-byte header) holding UTF-16LE text.
Bytes StringObject(uint32_t type, std::u16string_view text);
// A string data object with a declared length of the caller's choosing and
// the given raw text bytes (which may be fewer or an odd number).
Bytes RawStringObject(uint32_t type, int32_t declaredLength, const Bytes& textBytes);
// A data object the reader does not read: `totalLength` is declared, and
// `actualSize` bytes (at least 16; default: totalLength) are written.
Bytes OtherObject(uint32_t type, int32_t totalLength, std::optional<size_t> actualSize = {});

struct TrackItemFields {
    int32_t headerLength = 388;
    std::optional<int32_t> objectCount{};  // default: the objects given
    uint32_t trackId = 0;                  // what playlist entries name the track by
    uint32_t lengthMs = 0;
    int32_t trackNumber = 0;
    int32_t bitRate = 0;
    uint32_t sampleRateRaw = 0;  // 16.16 fixed point
    int32_t mediaType = 1;
    // What the player knows of the track; times in seconds since 1904.
    uint8_t rating = 0;  // stars times 20
    uint32_t dateModified = 0;
    uint32_t sizeBytes = 0;
    uint32_t year = 0;
    uint32_t playCount = 0;
    uint32_t lastPlayed = 0;
    uint32_t discNumber = 0;
    uint32_t discCount = 0;
    uint32_t dateAdded = 0;
    uint32_t skipCount = 0;
    uint64_t databaseId = 0;  // what the artwork store's song ids name the track by
    uint32_t artworkId = 0;   // the artwork store's image id; 0 for none
};
// A track item ("mhit") followed by its data objects. Fields that lie beyond a
// short header are not written.
Bytes TrackItem(const TrackItemFields& fields, const std::vector<Bytes>& objects);

// The track list header ("mhlt") with its declared count.
Bytes TrackListHeader(int32_t declaredCount, int32_t headerLength = 92);
// A data set ("mhsd") around its contents.
Bytes DataSet(int32_t type, const Bytes& contents, int32_t headerLength = 96,
              std::optional<int32_t> totalLength = {});
// The type-1 data set: the track list header, then the track items.
Bytes TrackSet(const std::vector<Bytes>& trackItems, std::optional<int32_t> declaredCount = {});
// A data set of another type (playlists: 2), holding `size` filler bytes.
Bytes OtherSet(int32_t type, size_t size = 64);

// A data object of type 100 as an entry holds it (44 bytes): the entry's
// position in its playlist 24 bytes in.
Bytes PositionObject(int32_t position);

// Where an entry's position object is written: inside the entry, right
// after it (as older files have it) or nowhere.
enum class PositionPlace { Inside, After, None };
struct EntryFields {
    uint32_t trackId = 0;
    int32_t position = 0;
    PositionPlace place = PositionPlace::Inside;
    bool showHeading = false;  // a show's heading in the grouped podcast list
};
// A playlist entry ("mhip", 76-byte header) and its position object.
Bytes PlaylistEntry(const EntryFields& fields);

struct PlaylistFields {
    bool library = false;
    bool podcasts = false;
    int32_t headerLength = 108;
};
// A playlist ("mhyp") followed by its children, data objects and entries in
// the order given; the counts of both are filled in.
Bytes PlaylistItem(const PlaylistFields& fields, const std::vector<Bytes>& children);
// A playlist's header alone, with the counts and the total length given:
// for playlists too large to build whole.
Bytes PlaylistHeader(const PlaylistFields& fields, int32_t objectCount, int32_t entryCount,
                     int64_t totalLength);
// The playlist list header ("mhlp") with its declared count.
Bytes PlaylistListHeader(int32_t declaredCount);
// A playlist set: type 2, or 3 for the one with the podcast list grouped by
// show; the playlist list header ("mhlp") with its declared count, then the
// playlists.
Bytes PlaylistSet(int32_t type, const std::vector<Bytes>& playlists,
                  std::optional<int32_t> declaredCount = {});
// The whole file: "mhbd" followed by the data sets; the total length is the
// file size unless given.
Bytes Database(const std::vector<Bytes>& dataSets, int32_t headerLength = 104,
               std::optional<int32_t> totalLength = {});

// The compressed form of a database, as newer players keep it (iTunesCDB):
// its header as it is, then everything after the header as one zlib stream
// at `level`; the total length becomes the new file size, and the header's
// compression flag (16 bits at 0xA8) is set where the header reaches that
// far. The database's header length must lie between 12 and its size.
Bytes CompressedDatabase(const Bytes& database, int level = 1);

// A compressed database deflated part by part as it is made: small on disk,
// and in memory, however large it inflates. It starts with the header of
// Database({}); the parts that follow are the caller's, lengths and all.
class CompressedWriter {
public:
    explicit CompressedWriter(int level = 1);
    CompressedWriter(const CompressedWriter&) = delete;
    CompressedWriter& operator=(const CompressedWriter&) = delete;
    ~CompressedWriter();
    // Adds `part` to the stream `times` times over.
    void Add(const Bytes& part, int64_t times = 1);
    // Ends the stream and returns the file, its total length filled in.
    Bytes Finish();

private:
    void Deflate(const Bytes& part, int flush);

    struct Stream;
    std::unique_ptr<Stream> stream_;
    Bytes file_;
};

// A compressed database whose track set declares `declaredCount` tracks and
// holds `count` copies of `trackItem`.
Bytes CompressedRepeatedTracks(const Bytes& trackItem, int64_t count, int32_t declaredCount);

// A track as a player describes it, for realistic databases.
struct Track {
    std::u16string title;
    std::u16string artist;
    std::u16string album;
    std::u16string location;  // ":iPod_Control:Music:F00:ABCD.mp3"
    std::u16string fileType;  // "MPEG audio file"
    uint32_t lengthMs = 0;
    int32_t trackNumber = 0;
    int32_t bitRate = 0;
    uint32_t sampleRateHz = 0;
    int32_t mediaType = 1;
    std::u16string genre = u"Pop";
    std::u16string composer = u"composer";
    std::u16string comment{};  // written only when not empty
    uint8_t rating = 0;        // stars times 20
    uint32_t playCount = 0;
    uint32_t skipCount = 0;
    uint32_t year = 0;
    uint32_t dateAdded = 0;  // seconds since 1904
    uint32_t lastPlayed = 0;
    uint32_t sizeBytes = 0;
    uint32_t discNumber = 0;
    uint32_t discCount = 0;
    uint64_t databaseId = 0;
    uint32_t artworkId = 0;
};
// A track item with the five string objects, a genre, a composer and, when
// given, a comment, plus a non-string object, as players write them.
Bytes RealisticTrackItem(const Track& track, uint32_t trackId = 0);
// The id RealisticDatabase gives the track at `index`: not the index, as on
// a player.
uint32_t RealisticTrackId(size_t index);
// A whole database of such tracks, with a playlist set of filler bytes before
// and after the track set.
Bytes RealisticDatabase(const std::vector<Track>& tracks);

enum class ListKind { Podcasts, Smart, Other };
struct PlaylistContents {
    std::u16string name;
    ListKind kind = ListKind::Other;
    std::vector<size_t> members;  // indexes into the tracks, in playlist order
};
// A playlist as players write it: its name, a data object of type 100 of its
// own before the entries, smart rules (types 50 and 51) for a smart one, its
// entries with positions 1, 2, ... inside them. The grouped podcast list has
// a show heading (naming the show's first episode) before each run of
// episodes of one album.
Bytes RealisticPlaylist(const PlaylistContents& playlist, const std::vector<Track>& tracks,
                        bool grouped);
// A whole database of realistic tracks and playlists: after the track set a
// type-3 and a type-2 playlist set, each with the library playlist ("iPod",
// every track) first and then `playlists`.
Bytes RealisticDatabase(const std::vector<Track>& tracks,
                        const std::vector<PlaylistContents>& playlists);

// The plays since the last sync of one track, as "Play Counts" holds them.
struct PlayCountEntry {
    uint32_t plays = 0;
    uint32_t lastPlayed = 0;
    uint32_t rating = 0;
    uint32_t skips = 0;
    uint32_t lastSkipped = 0;
};
// A "Play Counts" file: header "mhdp" of `headerLength` bytes, then the
// entries of `entryLength` bytes each, whose fields are written as far as
// they fit: plays at 0, last played at 4, rating at 12, skips at 20, last
// skipped at 24.
Bytes PlayCountsFile(const std::vector<PlayCountEntry>& entries, int32_t entryLength = 0x1C,
                     int32_t headerLength = 0x60);
// An "OTGPlaylistInfo" file: header "mhpo" of 0x14 bytes, then one 4-byte
// entry per track index.
Bytes OnTheGoFile(const std::vector<uint32_t>& trackIndexes);

// Writes bytes to a file; false when it cannot be written.
bool WriteFile(const std::string& path, const Bytes& bytes);

}  // namespace itdb
