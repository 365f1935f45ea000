// Writes the fuzzers' seed corpora: small databases, valid and damaged, that
// reach every branch of the reader, in both forms; and the picture stores of
// the album covers and the photos; and small disks holding a player's
// volume, of both kinds, with and without a partition map.
#include <iostream>
#include <string>
#include <vector>

#include "artwork_builder.h"
#include "fat_image_builder.h"
#include "hfs_image_builder.h"
#include "itdb_builder.h"

using namespace itdb;

namespace {

// A stored picture whose frame the fuzzer's files hold already.
artwork::StoredSize Framed(uint32_t formatId, int32_t width, int32_t height,
                           const char* fileName = nullptr) {
    artwork::StoredSize size = artwork::Stored(formatId, width, {width, height, {}});
    size.shared = {0, static_cast<uint32_t>(width * height * 2)};
    if (fileName != nullptr) {
        size.fileName = fileName;
    }
    return size;
}

// Control bytes (see picture_store_fuzzer.cpp): bit 0 the photos, the rest
// the largest budget.
bool WritePictureStoreSeeds(const std::string& folder) {
    constexpr uint8_t kCovers = 0xFE;
    constexpr uint8_t kPhotos = 0xFF;
    const artwork::Store covers =
        artwork::BuildStore({{1, 0x1234, {Framed(1060, 320, 320), Framed(1055, 128, 128)}},
                             {2, 0, {Framed(1061, 56, 56)}}});
    artwork::StoredSize padded = Framed(1009, 42, 30, ":Thumbs:F1009_1.ithmb");
    padded.horizontalPadding = 3;
    padded.verticalPadding = -2;
    const artwork::Store photos =
        artwork::BuildStore({{1, 0, {Framed(1019, 720, 480, ":Thumbs:F1019_1.ithmb"), padded}},
                             {2, 0, {Framed(1067, 720, 480), Framed(1023, 176, 132)}},
                             {3, 0, {Framed(1013, 220, 176), Framed(9999, 50, 40)}}},
                            {{u"", 1, {1, 2, 3}},
                             {u"\u0417\u0438\u043C\u0430 & <co>", 2, {3, 1, 3}},
                             {u"Empty", 2, {}}});
    return itdb::WriteFile(folder + "/covers", Bytes{kCovers} + covers.database) &&
           itdb::WriteFile(folder + "/photos", Bytes{kPhotos} + photos.database);
}

bool WriteVolumeSeeds(const std::string& folder) {
    const fat::Entry database{"ITUNESDB   ", u"iTunesDB", Bytes(700, 1), {}, false};
    const fat::Entry song{"ABCD    MP3", u"Caf\u00E9.mp3", Bytes(1100, 2), {}, false};
    const fat::Entry control{"IPOD_C~1   ", u"iPod_Control", {}, {database, song}, true};
    hfs::Options branching;
    branching.RecordsPerLeaf = 2;
    Bytes journaled = hfs::Volume({{u"iPod_Control/iTunes/iTunesDB", Bytes(512, 1)}});
    hfs::AddJournal(journaled, hfs::FirstDataBlock(journaled), Bytes(512, 9));
    Bytes mapped(4 * 512);  // the Mac's map: a descriptor, one entry for the volume
    mapped[0] = 'E', mapped[1] = 'R', mapped[2] = 2;
    mapped[512] = 'P', mapped[513] = 'M', mapped[512 + 7] = 1, mapped[512 + 11] = 4;
    mapped[512 + 15] = 0xFF;
    const Bytes mac = hfs::Volume({{u"iPod_Control/iTunes/iTunesDB", Bytes(900, 1)},
                                   {u"iPod_Control/Music/F00/Cafe\u0301.mp3", Bytes(9000, 2), 12}},
                                  branching);
    mapped.insert(mapped.end(), mac.begin(), mac.end());
    return itdb::WriteFile(folder + "/fat32", fat::Volume({control})) &&
           itdb::WriteFile(folder + "/hfs-mapped", mapped) &&
           itdb::WriteFile(folder + "/hfs-journaled", journaled);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: write-fuzz-seeds DATABASE-FOLDER PICTURE-STORE-FOLDER VOLUME-FOLDER\n";
        return 2;
    }
    const std::string folder = argv[1];
    Track song{u"Song \u00E9",
               u"Artist",
               u"Album \u6D77",
               u":iPod_Control:Music:F00:A.mp3",
               u"MPEG audio file",
               187000,
               3,
               192,
               44100,
               1};
    Track video = song;
    video.mediaType = 32;
    video.title = u"\u041F\u0435\u0441\u043D\u044F";

    TrackItemFields shortHeader;
    shortHeader.headerLength = 156;
    const std::vector<std::pair<std::string, Bytes>> seeds = {
        {"realistic", RealisticDatabase({song, video, song})},
        {"minimal",
         Database({TrackSet({TrackItem({}, {StringObject(1, u"t"), OtherObject(9, 20)})})})},
        {"short-item-header",
         Database({TrackSet(
             {TrackItem(shortHeader, {StringObject(1, u"ab"), StringObject(2, u":x")})})})},
        {"odd-and-empty-strings",
         Database({TrackSet({TrackItem({}, {RawStringObject(1, 3, {'a', 0, 'b'}),
                                            StringObject(3, u""), StringObject(6, u"type")})})})},
        {"sets-before-tracks",
         Database({OtherSet(2, 40), OtherSet(3, 8), TrackSet({RealisticTrackItem(song)})})},
        {"empty-track-list", Database({TrackSet({})})},
        {"declares-more", Database({TrackSet({RealisticTrackItem(song)}, 5)})},
        {"playlists",
         RealisticDatabase({song, video, song}, {{u"Mix", ListKind::Other, {2, 0, 2}},
                                                 {u"Top", ListKind::Smart, {1}},
                                                 {u"Casts", ListKind::Podcasts, {0, 1}}})},
        {"playlist-positions-after-entries",
         Database(
             {TrackSet({RealisticTrackItem(song, 7), RealisticTrackItem(video, 9)}),
              PlaylistSet(2, {PlaylistItem({}, {StringObject(1, u"Old"),
                                                PlaylistEntry({9, 2, PositionPlace::After}),
                                                PlaylistEntry({7, 1, PositionPlace::After})})})})},
    };
    // Control bytes (see itdb_fuzzer.cpp): no limit, read as it is or
    // wrapped in the compressed form at level 1; one with a limit of 2.
    constexpr uint8_t kAsItIs = 0x0E;
    constexpr uint8_t kWrapped = 0x1F;
    std::vector<std::pair<std::string, Bytes>> inputs;
    for (const auto& [name, bytes] : seeds) {
        inputs.emplace_back(name, Bytes{kAsItIs} + bytes);
        inputs.emplace_back(name + "-wrapped", Bytes{kWrapped} + bytes);
    }
    // Compressed files as a player writes them, for mutations of the stream.
    for (const size_t seed : {0, 2}) {
        inputs.emplace_back(seeds[seed].first + "-compressed",
                            Bytes{kAsItIs} + CompressedDatabase(seeds[seed].second));
    }
    inputs.emplace_back("realistic-limit-2", Bytes{0x04} + seeds[0].second);
    for (const auto& [name, bytes] : inputs) {
        if (!WriteFile(folder + "/" + name, bytes)) {
            std::cerr << "cannot write " << folder << "/" << name << "\n";
            return 1;
        }
    }
    return WritePictureStoreSeeds(argv[2]) && WriteVolumeSeeds(argv[3]) ? 0 : 1;
}
