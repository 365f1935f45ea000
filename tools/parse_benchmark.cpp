// Times the database reader on a large, realistic database, in its ordinary
// and its compressed form, and reports how much memory it needs beyond the
// records it keeps.
//
//   parse-benchmark [TRACKS] [ROUNDS]    defaults: 40000 tracks, 7 rounds
//   parse-benchmark --write FILE [TRACKS]
//                                        writes the ordinary database only, for
//                                        timing trackhaul-dump as a whole process
//
// The database has a playlist set of filler bytes before and after the track
// set; every track item has a 388-byte header and eight data objects. Its
// twin with playlists holds the same tracks and then, as players write them,
// a grouped and a plain playlist set, each with the library playlist and 50
// playlists of 10,000 entries (76-byte entry headers with a 44-byte position
// object inside); reading it should cost at most 1.3 times the read without
// playlists. The compressed form is
// made at zlib level 1, as players' writers make it. Each round reads the
// ordinary file (construct a reader, parse the whole file, walk every track),
// inflates the compressed form's stream with zlib alone, and reads the
// compressed file: reading it should cost little more than the other two
// together. Memory is counted by this program's own operator new, which zlib's
// state comes from too: "kept" is what the reader still holds after Parse
// (records, texts, list nodes, playlists), "peak above kept" the most it held
// beyond them at any moment.
//
// A player holding the same tracks with 3,000 album covers (each in two
// small stored sizes: the index does not read the pictures) is read beside
// the ordinary database: the covers' index should cost at most 1.1 times the
// read without.
//
// Then crafted files, each deflated as it is made: track ids chosen to meet
// in a hash table (a playlist naming 1,000 of 131,072 tracks; 2,000,000
// entries of a missing id among 262,144 tracks), each read beside the same
// sizes with plain ids, which it should take at most 1.5 times as long as;
// 20,000 playlists of one empty name and 4,000,000 empty playlists, read and
// given their file names; and files that would take much memory (a playlist
// of 25,000,000 entries, a location of 250 MB, tracks of texts as long as the
// reader keeps), whose peak should stay within 1.5 times the reader's budget.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include <zlib.h>

#include "artwork_builder.h"
#include "core/itdbparser.h"
#include "core/playlist_file.h"
#include "core/track_find.h"
#include "itdb_builder.h"
#include "temp_dir.h"

namespace {

using itdb::operator+=;

// Allocation counters for the whole program: one thread, no locking needed.
struct AllocationStats {
    size_t live = 0;
    size_t peak = 0;
};

AllocationStats& Stats() {
    static AllocationStats stats;
    return stats;
}

// Each block carries its size in front, aligned for any type.
constexpr size_t kHeader = alignof(std::max_align_t);

void* CountedAllocate(size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *reinterpret_cast<size_t*>(block) = size;
    AllocationStats& stats = Stats();
    stats.live += size;
    stats.peak = std::max(stats.peak, stats.live);
    return block + kHeader;
}

void CountedFree(void* pointer) {
    if (pointer == nullptr) {
        return;
    }
    auto* block = static_cast<unsigned char*>(pointer) - kHeader;
    Stats().live -= *reinterpret_cast<size_t*>(block);
    std::free(block);
}

// The realistic database's header, which the compressed form keeps as it is.
constexpr size_t kHeaderLength = 104;

std::u16string Number(int value) {
    std::u16string text;
    for (char c : std::to_string(value)) {
        text += static_cast<char16_t>(c);
    }
    return text;
}

constexpr int kCoveredAlbums = 3000;

// Writes the covers of the albums RealisticTracks link to into `folder`.
bool WriteCovers(const std::string& folder) {
    std::vector<artwork::Entry> covers;
    for (uint32_t album = 1; album <= kCoveredAlbums; ++album) {
        covers.push_back({album,
                          0,
                          {artwork::Stored(1061, 56, artwork::SolidImage(56, 56, album)),
                           artwork::Stored(1031, 42, artwork::SolidImage(42, 42, album))}});
    }
    return artwork::WriteStore(folder, artwork::BuildStore(covers));
}

std::vector<itdb::Track> RealisticTracks(int count) {
    const std::u16string artists[] = {u"The Quiet Harbour", u"Mar\u00EDa Ol\u00E9",
                                      u"\u041A\u0438\u043D\u043E",
                                      u"\u7F8E\u7A7A\u3072\u3070\u308A"};
    const std::u16string types[] = {u"MPEG audio file", u"AAC audio file", u"MPEG-4 video file"};
    std::vector<itdb::Track> tracks;
    tracks.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        itdb::Track track;
        track.title = u"Song number " + Number(i) + u" (album version)";
        track.artist = artists[i % 4];
        track.album = u"Collected Recordings, volume " + Number(i / 12);
        track.location =
            u":iPod_Control:Music:F" + Number(10 + i % 40) + u":TRK" + Number(i) + u".mp3";
        track.fileType = types[i % 3];
        track.lengthMs = 120000u + static_cast<uint32_t>(i % 300) * 1000u;
        track.trackNumber = i % 12 + 1;
        track.bitRate = i % 2 ? 128 : 256;
        track.sampleRateHz = i % 5 ? 44100 : 22050;
        track.mediaType = i % 17 ? 1 : 32;
        track.artworkId = i / 12 < kCoveredAlbums ? static_cast<uint32_t>(i / 12 + 1) : 0;
        tracks.push_back(track);
    }
    return tracks;
}

constexpr int kPlaylistCount = 50;
constexpr size_t kPlaylistLength = 10000;

// Playlists whose members are spread over the whole library.
std::vector<itdb::PlaylistContents> ManyPlaylists(int trackCount) {
    std::vector<itdb::PlaylistContents> playlists(kPlaylistCount);
    for (int p = 0; p < kPlaylistCount; ++p) {
        playlists[p].name = u"Playlist " + Number(p);
        for (size_t i = 0; i < kPlaylistLength; ++i) {
            playlists[p].members.push_back((static_cast<size_t>(p) * 797 + i * 13) %
                                           static_cast<size_t>(trackCount));
        }
    }
    return playlists;
}

// The figures of one kind of read over all rounds.
struct Figures {
    std::vector<double> seconds;
    size_t kept = 0;       // what the reader still holds after Parse
    size_t members = 0;    // playlist members read
    size_t peakAbove = 0;  // the most it held at any moment

    // Once all rounds are in.
    void Sort() { std::sort(seconds.begin(), seconds.end()); }
    double Best() const { return seconds.front(); }
    double Median() const { return seconds[seconds.size() / 2]; }
};

// Constructs a reader, parses the whole file and walks every track.
bool TimeRead(const std::string& path, int trackCount, Figures& figures) {
    const size_t before = Stats().live;
    Stats().peak = before;
    const auto start = std::chrono::steady_clock::now();
    ITDBParser parser(path);
    const int32_t result = parser.Parse(-1);
    int32_t walked = 0;
    for (parser.First(); parser.HasNext(); ++walked) {
        walked += parser.Next()->GetTrackNumber() < 0 ? 1 : 0;
    }
    const auto stop = std::chrono::steady_clock::now();
    if (result != trackCount || walked != trackCount) {
        std::fprintf(stderr, "%s: Parse returned %d and walked %d of %d tracks\n", path.c_str(),
                     result, walked, trackCount);
        return false;
    }
    figures.seconds.push_back(std::chrono::duration<double>(stop - start).count());
    figures.kept = Stats().live - before;
    figures.peakAbove = Stats().peak - before;
    figures.members = 0;
    for (const Playlist& playlist : parser.Playlists()) {
        figures.members += playlist.Members.size();
    }
    return true;
}

// Inflates the stream from memory with zlib alone, into one 64 KiB buffer
// whose bytes are dropped: the least that reading the compressed form costs
// beyond the ordinary read.
bool TimeInflate(const itdb::Bytes& stream, size_t expectedSize, Figures& figures) {
    std::vector<uint8_t> output(64 * 1024);
    const auto start = std::chrono::steady_clock::now();
    z_stream zlib{};
    inflateInit(&zlib);
    zlib.next_in = const_cast<uint8_t*>(stream.data());
    zlib.avail_in = static_cast<uInt>(stream.size());
    int status = Z_OK;
    while (status == Z_OK) {
        zlib.next_out = output.data();
        zlib.avail_out = static_cast<uInt>(output.size());
        status = inflate(&zlib, Z_NO_FLUSH);
    }
    const size_t inflated = zlib.total_out;
    inflateEnd(&zlib);
    const auto stop = std::chrono::steady_clock::now();
    if (status != Z_STREAM_END || inflated != expectedSize) {
        std::fprintf(stderr, "zlib inflated %zu of %zu bytes\n", inflated, expectedSize);
        return false;
    }
    figures.seconds.push_back(std::chrono::duration<double>(stop - start).count());
    return true;
}

void PrintTimes(const char* what, const Figures& figures, int trackCount) {
    std::printf("  %-16s %7.1f ms (%.0f tracks/s), %7.1f ms\n", what, figures.Best() * 1000,
                trackCount / figures.Best(), figures.Median() * 1000);
}

void PrintMemory(const char* what, const Figures& figures, int trackCount) {
    std::printf("memory, %s: records kept %zu bytes (%.0f per track), peak above kept %zu bytes\n",
                what, figures.kept, static_cast<double>(figures.kept) / trackCount,
                figures.peakAbove - figures.kept);
}

// What the playlists add to the memory the reader keeps, per member.
void PrintMemberMemory(const char* what, const Figures& with, const Figures& without) {
    std::printf("memory, %s: %zu playlist members, %.1f bytes kept per member\n", what,
                with.members, static_cast<double>(with.kept - without.kept) / with.members);
}

void PrintRatio(const char* what, const Figures& with, const Figures& without,
                const char* kind = "playlists") {
    std::printf("%s with %s / without: best %.2f, median %.2f\n", what, kind,
                with.Best() / without.Best(), with.Median() / without.Median());
}

// Crafted files ---------------------------------------------------------------

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

constexpr int32_t kMinimalItemSize = 212 + 2 * 16;

itdb::Bytes MinimalTrackItem(uint32_t id) {
    itdb::TrackItemFields fields;
    fields.headerLength = 212;
    fields.trackId = id;
    return itdb::TrackItem(fields, {itdb::OtherObject(9, 16), itdb::OtherObject(9, 16)});
}

// An entry without a position object, 76 bytes.
itdb::Bytes MinimalEntry(uint32_t id) {
    return itdb::PlaylistEntry({id, 0, itdb::PositionPlace::None});
}
constexpr int64_t kMinimalEntrySize = 76;

// A track set of minimal items with these ids, the parts added in runs.
void AddTracks(itdb::CompressedWriter& writer, const std::vector<uint32_t>& ids) {
    const auto count = static_cast<int32_t>(ids.size());
    writer.Add(itdb::DataSet(1, {}, 96, 96 + 92 + count * kMinimalItemSize));
    writer.Add(itdb::TrackListHeader(count));
    itdb::Bytes run;
    for (size_t i = 0; i < ids.size(); ++i) {
        run += MinimalTrackItem(ids[i]);
        if (run.size() > (1 << 20) || i + 1 == ids.size()) {
            writer.Add(run);
            run.clear();
        }
    }
}

// A playlist set holding one playlist of these entry ids, `times` times over.
void AddPlaylist(itdb::CompressedWriter& writer, const std::vector<uint32_t>& ids, int64_t times) {
    const int64_t entries = static_cast<int64_t>(ids.size()) * times;
    const int64_t playlistSize = 108 + entries * kMinimalEntrySize;
    writer.Add(itdb::DataSet(2, {}, 96, static_cast<int32_t>(96 + 92 + playlistSize)));
    writer.Add(itdb::PlaylistListHeader(1));
    writer.Add(itdb::PlaylistHeader({}, 0, static_cast<int32_t>(entries), playlistSize));
    itdb::Bytes run;
    for (const uint32_t id : ids) {
        run += MinimalEntry(id);
    }
    writer.Add(run, times);
}

// `count` ids that a hash table of open addressing with 2^bits slots, which
// takes the slot of an id from its low bits folded with its high ones
// ((id ^ id >> (32 - bits)) & mask), puts into the first count >> (32 -
// bits) slots, where each look-up must walk all of them; the last id lands
// there too but is not among them.
std::vector<uint32_t> MeetingIds(int bits, uint32_t count) {
    const int shift = 32 - bits;
    const uint32_t mask = (1u << bits) - 1;
    const uint32_t slots = count >> shift;
    std::vector<uint32_t> ids;
    for (uint32_t high = 0; high < (1u << shift); ++high) {
        for (uint32_t slot = 0; slot <= slots; ++slot) {
            const uint32_t spread = (slot ^ high << (bits - shift)) & mask;
            const uint32_t low = spread ^ spread >> shift;
            const uint32_t id = high << bits | low;
            if (slot < slots || high == 0) {
                ids.push_back(id);
            }
        }
    }
    // The id of slot `slots`, the one not among the tracks, goes last.
    std::rotate(ids.begin() + slots, ids.begin() + slots + 1, ids.end());
    return ids;
}

std::vector<uint32_t> PlainIds(uint32_t count) {
    std::vector<uint32_t> ids(count + 1);
    for (uint32_t i = 0; i <= count; ++i) {
        ids[i] = i;
    }
    return ids;
}

// The tracks of the ids but the last, and a playlist naming `entryCount`
// of them in turn, or the last, missing one as often.
itdb::Bytes IdsDatabase(std::vector<uint32_t> ids, int64_t entryCount, bool missing) {
    const uint32_t missingId = ids.back();
    ids.pop_back();
    itdb::CompressedWriter writer;
    AddTracks(writer, ids);
    if (missing) {
        AddPlaylist(writer, {missingId}, entryCount);
    } else {
        std::vector<uint32_t> named;
        for (int64_t i = 0; i < entryCount; ++i) {
            named.push_back(ids[static_cast<size_t>(i * 131) % ids.size()]);
        }
        AddPlaylist(writer, named, 1);
    }
    return writer.Finish();
}

// `count` playlists with nothing but their header and an empty name.
itdb::Bytes EmptyPlaylists(int32_t count) {
    itdb::CompressedWriter writer;
    AddTracks(writer, {1});
    const itdb::Bytes playlist = itdb::PlaylistItem({}, {itdb::StringObject(1, u"")});
    const int64_t setSize = 96 + 92 + static_cast<int64_t>(playlist.size()) * count;
    writer.Add(itdb::DataSet(2, {}, 96, static_cast<int32_t>(setSize)));
    writer.Add(itdb::PlaylistListHeader(count));
    writer.Add(playlist, count);
    return writer.Finish();
}

// One track whose location declares and holds `bytes` bytes.
itdb::Bytes LongLocation(int32_t bytes) {
    itdb::CompressedWriter writer;
    itdb::TrackItemFields fields;
    fields.objectCount = 2;
    const itdb::Bytes item = itdb::TrackItem(fields, {});
    const itdb::Bytes title = itdb::StringObject(1, u"t");
    const int64_t itemSize = static_cast<int64_t>(item.size()) + 40 + bytes + title.size();
    writer.Add(itdb::DataSet(1, {}, 96, static_cast<int32_t>(96 + 92 + itemSize)));
    writer.Add(itdb::TrackListHeader(1));
    writer.Add(item);
    writer.Add(itdb::RawStringObject(2, bytes, {}));
    writer.Add(itdb::Bytes(1 << 16, 'a'), bytes >> 16);
    writer.Add(title);
    return writer.Finish();
}

// `count` tracks whose five texts are each as long as the reader keeps.
itdb::Bytes LongestTexts(int32_t count) {
    const std::u16string text(ITDBParser::kLongestText / 2, u'\u00E9');
    itdb::Bytes item = itdb::TrackItem(
        {}, {itdb::StringObject(1, text), itdb::StringObject(2, text), itdb::StringObject(3, text),
             itdb::StringObject(4, text), itdb::StringObject(6, text)});
    itdb::CompressedWriter writer;
    writer.Add(
        itdb::DataSet(1, {}, 96, static_cast<int32_t>(96 + 92 + int64_t{count} * item.size())));
    writer.Add(itdb::TrackListHeader(count));
    writer.Add(item, count);
    return writer.Finish();
}

struct CraftedRead {
    double seconds = 0;
    int32_t result = 0;
    size_t playlists = 0;
    double namingSeconds = 0;  // the file names of the user's playlists
    size_t peak = 0;           // the most the reader held at any moment
};

CraftedRead ReadCrafted(const std::string& path) {
    CraftedRead read;
    const size_t before = Stats().live;
    Stats().peak = before;
    const auto start = std::chrono::steady_clock::now();
    {
        ITDBParser parser(path);
        read.result = parser.Parse(-1);
        read.seconds = SecondsSince(start);
        read.peak = Stats().peak - before;
        read.playlists = parser.Playlists().size();
        const auto naming = std::chrono::steady_clock::now();
        std::vector<std::u16string> names;
        for (const Playlist* playlist : UserPlaylists(parser.Playlists())) {
            names.push_back(playlist->Name);
        }
        PlaylistFileNames(names);
        read.namingSeconds = SecondsSince(naming);
    }
    return read;
}

bool WriteCrafted(const std::string& path, const itdb::Bytes& file) {
    if (!itdb::WriteFile(path, file)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// Crafted ids against plain ones of the same sizes, best of `rounds`.
bool CompareIds(const TempDir& dir, const char* what, int bits, uint32_t tracks, int64_t entries,
                bool missing, int rounds) {
    const std::string crafted = dir.File("crafted-ids");
    const std::string plain = dir.File("plain-ids");
    const itdb::Bytes craftedFile = IdsDatabase(MeetingIds(bits, tracks), entries, missing);
    if (!WriteCrafted(crafted, craftedFile) ||
        !WriteCrafted(plain, IdsDatabase(PlainIds(tracks), entries, missing))) {
        return false;
    }
    double craftedBest = 1e9, plainBest = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const CraftedRead c = ReadCrafted(crafted);
        const CraftedRead p = ReadCrafted(plain);
        if (c.result != static_cast<int32_t>(tracks) || p.result != c.result) {
            std::fprintf(stderr, "%s: read %d and %d of %u tracks\n", what, c.result, p.result,
                         tracks);
            return false;
        }
        craftedBest = std::min(craftedBest, c.seconds);
        plainBest = std::min(plainBest, p.seconds);
    }
    std::printf("  %s (%zu bytes): %.3f s, plain ids %.3f s: %.2f x (target 1.5)\n", what,
                craftedFile.size(), craftedBest, plainBest, craftedBest / plainBest);
    return true;
}

bool TimePlaylists(const TempDir& dir, const char* what, int32_t count) {
    const std::string path = dir.File("playlists");
    const itdb::Bytes file = EmptyPlaylists(count);
    if (!WriteCrafted(path, file)) {
        return false;
    }
    const CraftedRead read = ReadCrafted(path);
    std::printf("  %s (%zu bytes): %zu playlists kept, read %.3f s, named %.3f s\n", what,
                file.size(), read.playlists, read.seconds, read.namingSeconds);
    return true;
}

bool MeasurePeak(const TempDir& dir, const char* what, const itdb::Bytes& file) {
    const std::string path = dir.File("memory");
    if (!WriteCrafted(path, file)) {
        return false;
    }
    const CraftedRead read = ReadCrafted(path);
    constexpr double kMiB = 1 << 20;
    std::printf(
        "  %s (%zu bytes): %d tracks, peak %.1f MiB = %.2f x the budget (target 1.5), "
        "%.2f s\n",
        what, file.size(), read.result, read.peak / kMiB,
        static_cast<double>(read.peak) / ITDBParser::kMemoryBudget, read.seconds);
    return true;
}

// Finds in a database whose texts fill the reader's budget: the texts are
// folded once, then a word of 20 and one of 68 letters that almost match
// everywhere are looked for, which should take 0.5 s at most each.
bool TimeFind(const TempDir& dir) {
    const std::string path = dir.File("find");
    if (!WriteCrafted(path, LongestTexts(2000))) {
        return false;
    }
    ITDBParser parser(path);
    const int32_t read = parser.Parse(-1);
    std::vector<const OneTrack*> tracks;
    size_t units = 0;
    for (parser.First(); parser.HasNext();) {
        const OneTrack* track = parser.Next();
        tracks.push_back(track);
        units += track->GetTitle().size() + track->GetArtist().size() + track->GetAlbum().size();
    }
    const size_t before = Stats().live;
    auto start = std::chrono::steady_clock::now();
    TrackFind find;
    find.SetTracks(tracks);
    const double folding = SecondsSince(start);
    const size_t folded = Stats().live - before;
    std::printf("  find in %d tracks of %zu M code units: folding once %.2f s, %.0f MiB kept\n",
                read, units >> 20, folding, folded / double(1 << 20));
    for (const size_t letters : {20, 68}) {
        find.SetText(std::u16string(letters - 1, u'E') + u"x");
        start = std::chrono::steady_clock::now();
        const size_t found = find.Found(tracks).size();
        std::printf("  a word of %zu letters: %.3f s (target 0.5 s), %zu found\n", letters,
                    SecondsSince(start), found);
    }
    return read > 0;
}

bool RunCraftedFiles(int rounds) {
    TempDir dir;
    std::printf("crafted files:\n");
    return CompareIds(dir, "131,072 tracks of ids that meet, 1,000 entries", 18, 131072, 1000,
                      false, rounds) &&
           CompareIds(dir, "262,144 tracks of ids that meet, 2,000,000 of a missing id", 19, 262144,
                      2000000, true, rounds) &&
           TimePlaylists(dir, "20,000 playlists of one name", 20000) &&
           TimePlaylists(dir, "4,000,000 playlists", 4000000) &&
           MeasurePeak(dir, "a playlist of 25,000,000 entries",
                       [] {
                           itdb::CompressedWriter writer;
                           AddTracks(writer, {7});
                           AddPlaylist(writer, {7}, 25000000);
                           return writer.Finish();
                       }()) &&
           MeasurePeak(dir, "a location of 250 MB", LongLocation(250 << 20)) &&
           MeasurePeak(dir, "tracks of the longest texts", LongestTexts(2000)) && TimeFind(dir);
}

}  // namespace

void* operator new(size_t size) {
    return CountedAllocate(size);
}
void* operator new[](size_t size) {
    return CountedAllocate(size);
}
void operator delete(void* pointer) noexcept {
    CountedFree(pointer);
}
void operator delete[](void* pointer) noexcept {
    CountedFree(pointer);
}
void operator delete(void* pointer, size_t) noexcept {
    CountedFree(pointer);
}
void operator delete[](void* pointer, size_t) noexcept {
    CountedFree(pointer);
}

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--write") {
        const int count = argc > 3 ? std::atoi(argv[3]) : 40000;
        return count > 0 &&
                       itdb::WriteFile(argv[2], itdb::RealisticDatabase(RealisticTracks(count)))
                   ? 0
                   : 1;
    }
    const int trackCount = argc > 1 ? std::atoi(argv[1]) : 40000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    if (trackCount <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: parse-benchmark [TRACKS] [ROUNDS]\n");
        return 2;
    }

    TempDir dir;
    const std::string ordinaryPath = dir.File("iTunesDB");
    const std::string compressedPath = dir.File("iTunesCDB");
    const std::string withPlaylistsPath = dir.File("iTunesDB-playlists");
    const std::string compressedWithPlaylistsPath = dir.File("iTunesCDB-playlists");
    const std::string coveredPath = dir.File("player/iPod_Control/iTunes/iTunesDB");
    itdb::Bytes stream;
    size_t inflatedSize = 0;
    {
        const std::vector<itdb::Track> tracks = RealisticTracks(trackCount);
        const itdb::Bytes database = itdb::RealisticDatabase(tracks);
        const itdb::Bytes compressed = itdb::CompressedDatabase(database, 1);
        const itdb::Bytes withPlaylists =
            itdb::RealisticDatabase(tracks, ManyPlaylists(trackCount));
        const itdb::Bytes compressedWithPlaylists = itdb::CompressedDatabase(withPlaylists, 1);
        std::filesystem::create_directories(dir.Path() / "player/iPod_Control/iTunes");
        std::filesystem::create_directories(dir.Path() / "player/iPod_Control/Artwork");
        if (!itdb::WriteFile(ordinaryPath, database) || !itdb::WriteFile(coveredPath, database) ||
            !WriteCovers(dir.File("player/iPod_Control/Artwork/")) ||
            !itdb::WriteFile(compressedPath, compressed) ||
            !itdb::WriteFile(withPlaylistsPath, withPlaylists) ||
            !itdb::WriteFile(compressedWithPlaylistsPath, compressedWithPlaylists)) {
            std::fprintf(stderr, "cannot write the databases in %s\n", dir.Path().string().c_str());
            return 1;
        }
        stream.assign(compressed.begin() + kHeaderLength, compressed.end());
        inflatedSize = database.size() - kHeaderLength;
        std::printf("database: %d tracks, %zu bytes; compressed at zlib level 1: %zu bytes\n",
                    trackCount, database.size(), compressed.size());
        std::printf("with %d playlists of %zu entries: %zu bytes; compressed: %zu bytes\n",
                    kPlaylistCount, kPlaylistLength, withPlaylists.size(),
                    compressedWithPlaylists.size());
    }

    // The three are measured in turn in every round, so that they share
    // whatever the machine is doing meanwhile.
    Figures ordinary, inflate, compressed, ordinaryPlaylists, compressedPlaylists, covered;
    for (int round = 0; round < rounds; ++round) {
        // The reads with and without covers, set against each other, take
        // turns going first.
        const bool coversFirst = round % 2 == 1;
        if ((coversFirst && !TimeRead(coveredPath, trackCount, covered)) ||
            !TimeRead(ordinaryPath, trackCount, ordinary) ||
            (!coversFirst && !TimeRead(coveredPath, trackCount, covered)) ||
            !TimeInflate(stream, inflatedSize, inflate) ||
            !TimeRead(compressedPath, trackCount, compressed) ||
            !TimeRead(withPlaylistsPath, trackCount, ordinaryPlaylists) ||
            !TimeRead(compressedWithPlaylistsPath, trackCount, compressedPlaylists)) {
            return 1;
        }
    }

    for (Figures* figures :
         {&ordinary, &inflate, &compressed, &ordinaryPlaylists, &compressedPlaylists, &covered}) {
        figures->Sort();
    }
    std::printf("%d rounds, best and median:\n", rounds);
    PrintTimes("ordinary read", ordinary, trackCount);
    PrintTimes("bare inflate", inflate, trackCount);
    PrintTimes("compressed read", compressed, trackCount);
    PrintTimes("with playlists", ordinaryPlaylists, trackCount);
    PrintTimes("compressed, with", compressedPlaylists, trackCount);
    PrintTimes("with covers", covered, trackCount);
    std::printf("compressed read / (ordinary read + bare inflate): best %.2f, median %.2f\n",
                compressed.Best() / (ordinary.Best() + inflate.Best()),
                compressed.Median() / (ordinary.Median() + inflate.Median()));
    PrintMemory("ordinary", ordinary, trackCount);
    PrintMemory("compressed", compressed, trackCount);
    PrintRatio("ordinary read", ordinaryPlaylists, ordinary);
    PrintRatio("compressed read", compressedPlaylists, compressed);
    PrintMemberMemory("with playlists", ordinaryPlaylists, ordinary);
    PrintRatio("ordinary read", covered, ordinary, "3000 album covers");
    std::printf("memory, with covers: %zu bytes more kept\n", covered.kept - ordinary.kept);
    return RunCraftedFiles(std::min(rounds, 3)) ? 0 : 1;
}
