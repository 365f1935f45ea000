// make-demo-player [--compressed] FOLDER: writes a folder that looks like an
// attached player to Trackhaul: iPod_Control/iTunes/iTunesDB describing about
// sixty tracks of several albums, with genres, composers, ratings, plays and
// dates, and a few playlists (one named in Cyrillic, one in Japanese, a smart
// one, the player's own "On-The-Go" list and the podcasts); the plays and an
// On-The-Go list made on the player since its last sync ("Play Counts",
// "OTGPlaylistInfo"); and a small file with distinct content at each track's
// location (iPod_Control/Music/Fnn/XXXX.ext), as a player keeps them. With
// --compressed the database is iPod_Control/iTunes/iTunesCDB instead,
// compressed as the newest nanos keep it, and there is no iTunesDB. Four
// albums have covers in iPod_Control/Artwork, each linked to its tracks
// another way: one picture shared through the image id, one picture per
// track found by database id, and a cover narrower than its frame. Seven
// photos lie in Photos, in the whole library and two albums of the owner's
// (one named in Cyrillic), one in both and one in neither.
//
// make-demo-player --rated FILES FOLDER: a player whose tracks are the real
// audio and video files in FILES (tests/data/tags), each four times: neither
// rated nor played, rated, played (some plays since the last sync), and
// both; and a file of noise named .mp3 and a cut .m4a, rated, which cannot
// take tags, and a rated .wav, which is not to. Prints "TITLE<TAB>FILE" per
// track, FILE its path below FOLDER.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "artwork_builder.h"
#include "itdb_builder.h"

namespace {

namespace fs = std::filesystem;

struct Album {
    std::u16string title;
    std::u16string artist;
    std::vector<std::u16string> songs;
    int32_t mediaType;
    std::u16string fileType;
    std::u16string extension;
    int32_t bitRate;
    uint32_t sampleRateHz;
    std::u16string genre;
    uint32_t year;
    std::u16string composer;
};

std::vector<Album> DemoAlbums() {
    return {
        {u"Harbour Lights",
         u"The Quiet Harbour",
         {u"Morning Tide", u"Salt and Stone", u"Lantern", u"The Long Pier", u"Gulls",
          u"Fog Horn Waltz", u"Last Ferry", u"Harbour Lights", u"Driftwood", u"Home Port"},
         1,
         u"MPEG audio file",
         u".mp3",
         192,
         44100,
         u"Folk",
         2009,
         u"Tom Wray"},
        {u"Caf\u00E9 de la Ma\u00F1ana",
         u"Mar\u00EDa Ol\u00E9",
         {u"Caf\u00E9 con le\u00F1a", u"Se\u00F1or Bot\u00F3n", u"\u00C9l y yo",
          u"Coraz\u00F3n de cart\u00F3n", u"Ni\u00F1a del mar", u"Ca\u00F1\u00F3n",
          u"D\u00E9j\u00E0 vu", u"Fa\u00E7ade", u"\u00DCber alles", u"Adi\u00F3s"},
         1,
         u"AAC audio file",
         u".m4a",
         256,
         48000,
         u"Latin",
         2016,
         u"Rub\u00E9n Ortiz"},
        {u"\u0417\u0432\u0435\u0437\u0434\u0430",
         u"\u041A\u0438\u043D\u043E\u043B\u0435\u043D\u0442\u0430",
         {u"\u041F\u0435\u0441\u043D\u044F", u"\u0417\u0438\u043C\u0430",
          u"\u0413\u043E\u0440\u043E\u0434", u"\u0414\u043E\u0436\u0434\u044C",
          u"\u041D\u043E\u0447\u044C", u"\u0420\u0435\u043A\u0430",
          u"\u0412\u0435\u0442\u0435\u0440", u"\u0414\u043E\u0440\u043E\u0433\u0430"},
         1,
         u"MPEG audio file",
         u".mp3",
         128,
         44100,
         u"\u0420\u043E\u043A",
         1988,
         u"\u0412\u0438\u043A\u0442\u043E\u0440 \u0426\u043E\u0439"},
        {u"\u590F\u306E\u8A18\u61B6",
         u"\u7F8E\u7A7A\u3072\u3070\u308A",
         {u"\u6D77\u306E\u58F0", u"\u685C", u"\u591C\u660E\u3051", u"\u96E8\u306E\u65E5",
          u"\u661F\u7A7A", u"\u98A8\u306E\u8A69", u"\u3055\u3088\u306A\u3089", u"\u5149"},
         1,
         u"AAC audio file",
         u".m4a",
         320,
         44100,
         u"J-Pop",
         2021,
         u"\u7F8E\u7A7A\u3072\u3070\u308A"},
        {u"Low Fidelity",
         u"Tape Hiss",
         {u"Side A", u"Side B", u"Wow and Flutter", u"Dolby Off", u"Rewind", u"Fast Forward"},
         1,
         u"MPEG audio file",
         u".mp3",
         96,
         22050,
         u"Lo-Fi",
         1999,
         u""},
        {u"Field Notes",
         u"Field Notes Podcast",
         {u"Episode 1: Birdsong", u"Episode 2: Rivers", u"Episode 3: \"Quiet\" places",
          u"Episode 4: Wind, rain, and thunder"},
         4,
         u"MPEG audio file",
         u".mp3",
         64,
         22050,
         u"Podcast",
         2022,
         u""},
        {u"The Lighthouse Keeper",
         u"Ada Reader",
         {u"Chapter 1", u"Chapter 2", u"Chapter 3", u"Chapter 4"},
         8,
         u"Audible file",
         u".aa",
         32,
         22050,
         u"Audiobook",
         2014,
         u"Ada Reader"},
        {u"Live at the Pier",
         u"The Quiet Harbour",
         {u"Morning Tide (live)", u"Lantern (live)", u"Encore"},
         32,
         u"MPEG-4 video file",
         u".m4v",
         1500,
         48000,
         u"Folk",
         2011,
         u"Tom Wray"},
        {u"Harbour Stories",
         u"Coastal TV",
         {u"Season 1, Episode 1", u"Season 1, Episode 2"},
         64,
         u"MPEG-4 video file",
         u".m4v",
         1200,
         48000,
         u"Documentary",
         2018,
         u""},
        {u"Nature Clips",
         u"Field Notes Podcast",
         {u"Clip: Otters", u"Clip: Herons"},
         6,
         u"MPEG-4 video file",
         u".mp4",
         800,
         44100,
         u"Podcast",
         2023,
         u""},
        {u"",
         u"Unknown Artist",
         {u"Track 01", u"Track 02"},
         1,
         u"WAV audio file",
         u".wav",
         1411,
         44100,
         u"",
         0,
         u""},
    };
}

// Members are indexes of the tracks in album order: Harbour Lights 0-9,
// Cafe de la Manana 10-19, the Cyrillic album 20-27, the Japanese one 28-35,
// Low Fidelity 36-41, the Field Notes podcast 42-45, the audiobook 46-49,
// the live videos 50-52, the TV show 53-54, the video podcast 55-56.
std::vector<itdb::PlaylistContents> DemoPlaylists() {
    using itdb::ListKind;
    return {
        {u"Road Trip", ListKind::Other, {6, 12, 0, 22, 30, 38, 2, 14, 51, 17, 4}},
        {u"Дорога домой", ListKind::Other, {27, 25, 23, 21, 3}},
        {u"夏の歌", ListKind::Other, {28, 30, 32, 34, 29}},
        {u"Top Rated", ListKind::Smart, {1, 7, 11, 29, 33, 36}},
        {u"On-The-Go 1", ListKind::Other, {9, 5, 9}},
        {u"Podcasts", ListKind::Podcasts, {42, 43, 44, 45, 55, 56}},
    };
}

// Songs of the Spanish album that Ren\u00E9e Vallombre wrote, by their index
// in it: what the find box finds for "renee".
bool WrittenByVallombre(size_t album, int song) {
    return album == 1 && (song == 0 || song == 3 || song == 6);
}

// Seven photos of 384 x 288 with their thumbnails, as a color player keeps
// them: all in the library, two albums of the owner's, photo 103 in both
// and photo 107 in neither.
artwork::Store DemoPhotos() {
    // Soft as a photograph: a sky over a sea, each photo in its own light.
    const auto photo = [](int32_t width, int32_t height, uint32_t id) {
        artwork::Image image = artwork::SolidImage(width, height, 0);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                const auto warmth = static_cast<uint32_t>(x * 160 / width + id % 7 * 12);
                const auto depth = static_cast<uint32_t>(y * 200 / height);
                image.pixels[static_cast<size_t>(y * width + x)] =
                    warmth << 16 | (220 - depth) << 8 | (y < height / 2 ? 240 : 140);
            }
        }
        return image;
    };
    std::vector<artwork::Entry> photos;
    for (uint32_t id = 101; id <= 107; ++id) {
        photos.push_back({id,
                          0,
                          {artwork::Stored(1066, 64, photo(64, 48, id)),
                           artwork::Stored(1087, 384, photo(384, 288, id))}});
    }
    return artwork::BuildStore(
        photos,
        {{u"", 1, {101, 102, 103, 104, 105, 106, 107}},
         {u"Harbour Walk", 2, {101, 102, 103}},
         {u"\u0417\u0438\u043C\u043D\u0438\u0439 \u043B\u0435\u0441", 2, {103, 104, 105, 106}}});
}

// The plays made on the player since its last sync, as it records them:
// every track's rating as it stands, and a few tracks played again, two of
// them rated anew.
itdb::Bytes PlayCounts(const std::vector<itdb::Track>& tracks) {
    constexpr uint32_t kLastWeek = 3785907600;  // 2023-12-20 09:00
    std::vector<itdb::PlayCountEntry> entries;
    for (const itdb::Track& track : tracks) {
        entries.push_back({0, 0, track.rating, 0});
    }
    entries[1] = {2, kLastWeek, 60, 0};
    entries[7] = {5, kLastWeek + 3600, 20, 1};
    entries[12] = {1, kLastWeek + 7200, entries[12].rating, 0};
    return itdb::PlayCountsFile(entries);
}

std::u16string Widen(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// Player file names look like "F07/ABCD.mp3": a folder number and four
// letters, all derived from the track's index so the demo is reproducible.
std::string PlayerFileName(int index) {
    std::string name;
    unsigned value = static_cast<unsigned>(index) * 2654435761u;
    for (int i = 0; i < 4; ++i) {
        name += static_cast<char>('A' + value % 26);
        value /= 26;
    }
    return name;
}

// How an album's tracks find their cover, if it has one.
enum class CoverLink { None, SharedImage, DatabaseId, Narrow };

struct Cover {
    CoverLink link;
    uint32_t sky;
    uint32_t sea;
    uint32_t sun;
};

// By album, in the order of DemoAlbums.
std::vector<Cover> DemoCovers() {
    return {
        {CoverLink::SharedImage, 0xF4A259, 0x1D3557, 0xFFF3B0},
        {CoverLink::DatabaseId, 0x8E3B46, 0xE0B1CB, 0xF8F4E3},
        {CoverLink::SharedImage, 0x2B2D42, 0x8D99AE, 0xEDF2F4},
        {CoverLink::Narrow, 0xFFB5A7, 0x2A9D8F, 0xE63946},
    };
}

// A cover of `width` × `height`: a sun over the sea, in the album's colours.
artwork::Image CoverImage(const Cover& cover, int32_t width, int32_t height) {
    artwork::Image image = artwork::SolidImage(width, height, cover.sky);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const int32_t dx = x - width / 2;
            const int32_t dy = y - height * 9 / 20;
            const int32_t radius = std::min(width, height) / 5;
            uint32_t& pixel = image.pixels[static_cast<size_t>(y * width + x)];
            if (y > height * 11 / 20) {
                pixel = cover.sea;
            } else if (dx * dx + dy * dy < radius * radius) {
                pixel = cover.sun;
            }
        }
    }
    return image;
}

// The covers' sizes as a classic keeps them: 320 and 128 pixels square, or
// 320 × 240 centred in its frames.
std::vector<artwork::StoredSize> CoverSizes(const Cover& cover) {
    std::vector<artwork::StoredSize> sizes;
    for (const auto& [formatId, side] : {std::pair{1060u, 320}, std::pair{1055u, 128}}) {
        const int32_t height = cover.link == CoverLink::Narrow ? side * 3 / 4 : side;
        artwork::StoredSize size = artwork::Stored(formatId, side, CoverImage(cover, side, height));
        size.verticalPadding = static_cast<int16_t>((side - height) / 2);
        sizes.push_back(size);
    }
    return sizes;
}

uint64_t DatabaseId(int index) {
    return 0x5EED000000000000u + static_cast<uint64_t>(index) * 7;
}

// A rating (stars times 20), plays in the database and plays since the
// last sync.
struct RatedCase {
    const char* Name;
    uint8_t Rating;
    uint32_t Plays;
    uint32_t PlaysSinceSync;
};

int MakeRatedPlayer(const fs::path& files, const fs::path& root) {
    constexpr RatedCase kCases[] = {
        {"neither", 0, 0, 0}, {"rated", 60, 0, 0}, {"played", 0, 4, 2}, {"both", 100, 12, 0}};
    std::vector<fs::path> sources;
    for (const auto& entry : fs::directory_iterator(files)) {
        sources.push_back(entry.path());
    }
    std::sort(sources.begin(), sources.end());
    const fs::path music = root / "iPod_Control" / "Music" / "F00";
    fs::create_directories(music);
    fs::create_directories(root / "iPod_Control" / "iTunes");
    std::vector<itdb::Track> tracks;
    std::vector<itdb::PlayCountEntry> sinceSync;
    const auto add = [&](const std::string& title, const fs::path& source, const std::string& data,
                         const RatedCase& rated) {
        const std::string extension = source.extension().string();
        const std::string file = "R" + std::to_string(tracks.size()) + extension;
        std::ofstream(music / file, std::ios::binary) << data;
        itdb::Track track;
        track.title = Widen(title);
        track.artist = u"Tagged";
        track.album = Widen(source.stem().string());
        track.location = Widen(":iPod_Control:Music:F00:" + file);
        track.fileType = extension == ".mp3" ? u"MPEG audio file" : u"AAC audio file";
        track.trackNumber = static_cast<int32_t>(tracks.size() + 1);
        track.lengthMs = 1000;
        track.sizeBytes = static_cast<uint32_t>(data.size());
        track.rating = rated.Rating;
        track.playCount = rated.Plays;
        track.databaseId = DatabaseId(static_cast<int>(tracks.size()));
        tracks.push_back(track);
        sinceSync.push_back({rated.PlaysSinceSync, 0, rated.Rating, 0});  // the rating kept
        std::cout << title << "\tiPod_Control/Music/F00/" << file << "\n";
    };
    const auto contents = [](const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    for (const fs::path& source : sources) {
        for (const RatedCase& rated : kCases) {
            add(source.filename().string() + " " + rated.Name, source, contents(source), rated);
        }
    }
    const std::string aac = contents(files / "items.m4a");
    add("noise.mp3", "noise.mp3", std::string(5000, '\x55'), kCases[3]);
    add("cut.m4a", "cut.m4a", aac.substr(0, aac.size() / 2), kCases[3]);
    add("tone.wav", "tone.wav", contents(files / "untagged.mp3"), kCases[3]);
    const fs::path iTunes = root / "iPod_Control" / "iTunes";
    if (!itdb::WriteFile((iTunes / "iTunesDB").string(), itdb::RealisticDatabase(tracks, {})) ||
        !itdb::WriteFile((iTunes / "Play Counts").string(), itdb::PlayCountsFile(sinceSync))) {
        std::cerr << "cannot write " << iTunes << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--rated") {
        return MakeRatedPlayer(argv[2], argv[3]);
    }
    const bool compressed = argc == 3 && std::string(argv[1]) == "--compressed";
    if (argc != 2 && !compressed) {
        std::cerr << "usage: make-demo-player [--compressed] FOLDER\n"
                     "       make-demo-player --rated FILES FOLDER\n";
        return 2;
    }
    const fs::path root = argv[argc - 1];
    std::vector<itdb::Track> tracks;
    std::vector<artwork::Entry> covers;
    const std::vector<Cover> demoCovers = DemoCovers();
    int index = 0;
    const std::vector<Album> albums = DemoAlbums();
    for (size_t albumIndex = 0; albumIndex < albums.size(); ++albumIndex) {
        const Album& album = albums[albumIndex];
        const Cover cover = albumIndex < demoCovers.size() ? demoCovers[albumIndex]
                                                           : Cover{CoverLink::None, 0, 0, 0};
        const auto imageId = static_cast<uint32_t>(100 + albumIndex);
        int32_t number = 1;
        for (const std::u16string& song : album.songs) {
            const std::string folder =
                "F" + std::string(index % 20 < 10 ? "0" : "") + std::to_string(index % 20);
            const std::string extension(album.extension.begin(), album.extension.end());
            const std::string file = PlayerFileName(index) + extension;

            itdb::Track track;
            track.title = song;
            track.artist = album.artist;
            track.album = album.title;
            track.location = Widen(":iPod_Control:Music:" + folder + ":" + file);
            track.fileType = album.fileType;
            track.lengthMs = 95000u + static_cast<uint32_t>(index) * 7919u % 400000u +
                             (album.mediaType == 8 ? 3600000u : 0u);
            track.trackNumber = number++;
            track.bitRate = album.bitRate;
            track.sampleRateHz = album.sampleRateHz;
            track.mediaType = album.mediaType;
            track.genre = album.genre;
            track.year = album.year;
            track.composer = WrittenByVallombre(albumIndex, number - 2) ? u"Ren\u00E9e Vallombre"
                                                                        : album.composer;
            // Every track played a different number of times, rated 0 to 5
            // stars, added on a day of its own in 2019.
            const auto order = static_cast<uint32_t>(index);
            track.playCount = order * 7 % 59;
            track.skipCount = order % 4;
            track.rating = static_cast<uint8_t>(order * 5 % 6 * 20);
            constexpr uint32_t kNewYear2019 = 3629145600;
            track.dateAdded = kNewYear2019 + order * 86400 + 3600 * (order % 24);
            track.lastPlayed = track.playCount == 0 ? 0 : track.dateAdded + 86400 * 90;
            track.sizeBytes = static_cast<uint32_t>(uint64_t{track.lengthMs} *
                                                    static_cast<uint32_t>(album.bitRate) / 8);
            if (album.mediaType == 1 && !album.title.empty()) {
                track.discNumber = 1;
                track.discCount = 1;
            }
            if (album.mediaType == 32) {
                track.comment = u"Recorded live\r\nat the pier";
            }
            track.databaseId = DatabaseId(index);
            if (cover.link == CoverLink::DatabaseId) {
                covers.push_back({0, track.databaseId, CoverSizes(cover)});
            } else if (cover.link != CoverLink::None) {
                if (number == 2) {
                    covers.push_back({imageId, track.databaseId, CoverSizes(cover)});
                }
                track.artworkId = imageId;
            }
            tracks.push_back(track);

            const fs::path trackFile = root / "iPod_Control" / "Music" / folder / file;
            fs::create_directories(trackFile.parent_path());
            std::ofstream out(trackFile, std::ios::binary | std::ios::trunc);
            out << "Trackhaul demo track " << index << ": " << folder << "/" << file << "\n";
            if (!out) {
                std::cerr << "cannot write " << trackFile << "\n";
                return 1;
            }
            ++index;
        }
    }
    const fs::path database =
        root / "iPod_Control" / "iTunes" / (compressed ? "iTunesCDB" : "iTunesDB");
    const itdb::Bytes ordinary = itdb::RealisticDatabase(tracks, DemoPlaylists());
    fs::create_directories(database.parent_path());
    const fs::path iTunes = database.parent_path();
    if (!itdb::WriteFile(database.string(),
                         compressed ? itdb::CompressedDatabase(ordinary) : ordinary) ||
        !itdb::WriteFile((iTunes / "Play Counts").string(), PlayCounts(tracks)) ||
        !itdb::WriteFile((iTunes / "OTGPlaylistInfo").string(), itdb::OnTheGoFile({3, 8, 20}))) {
        std::cerr << "cannot write " << iTunes << "\n";
        return 1;
    }
    const fs::path artworkFolder = root / "iPod_Control" / "Artwork";
    fs::create_directories(artworkFolder);
    if (!artwork::WriteStore((artworkFolder / "").string(), artwork::BuildStore(covers))) {
        std::cerr << "cannot write " << artworkFolder << "\n";
        return 1;
    }
    const fs::path photosFolder = root / "Photos";
    fs::create_directories(photosFolder);
    if (!artwork::WriteStore((photosFolder / "").string(), DemoPhotos(), "Photo Database")) {
        std::cerr << "cannot write " << photosFolder << "\n";
        return 1;
    }
    std::cout << "demo player with " << tracks.size() << " tracks in " << root.string() << "\n";
    return 0;
}
