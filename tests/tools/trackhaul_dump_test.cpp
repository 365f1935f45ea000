// Runs the real trackhaul-dump on databases written here and checks its
// output byte for byte, its messages and its exit status; and through it,
// the demo players that make-demo-player writes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "artwork_builder.h"
#include "core/csv_format.h"
#include "core/local_files.h"
#include "core/player_volume.h"
#include "itdb_builder.h"
#include "temp_dir.h"

namespace {

struct RunResult {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

void WriteAllBytes(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    std::fclose(file);
}

std::string ReadWhole(const std::string& path) {
    std::string bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char chunk[4096];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
            bytes.append(chunk, got);
        }
        std::fclose(file);
    }
    return bytes;
}

RunResult RunTool(const TempDir& dir, const std::string& tool, const std::string& arguments) {
    const std::string out = dir.File("stdout");
    const std::string err = dir.File("stderr");
    const std::string command = tool + " " + arguments + " >" + out + " 2>" + err;
    const int status = std::system(command.c_str());
    RunResult result;
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadWhole(out);
    result.err = ReadWhole(err);
    return result;
}

RunResult RunDump(const TempDir& dir, const std::string& arguments) {
    return RunTool(dir, TRACKHAUL_DUMP, arguments);
}

std::string WriteDatabase(const TempDir& dir, const itdb::Bytes& bytes,
                          const std::string& name = "iTunesDB") {
    const std::string path = dir.File(name);
    EXPECT_TRUE(itdb::WriteFile(path, bytes));
    return path;
}

itdb::Track SampleTrack(std::u16string title, int32_t number) {
    itdb::Track track;
    track.title = std::move(title);
    track.artist = u"Mar\u00EDa \"La\" Ol\u00E9";
    track.album = u"";
    track.location = u":iPod_Control:Music:F00:A.mp3";
    track.fileType = u"MPEG audio file";
    track.lengthMs = 187000;
    track.trackNumber = number;
    track.bitRate = 128;
    track.sampleRateHz = 44100;
    track.mediaType = 4;
    return track;
}

TEST(TrackhaulDump, WritesTheExportFormatInFileOrder) {
    TempDir dir;
    const std::string path = WriteDatabase(
        dir, itdb::RealisticDatabase({SampleTrack(u"\u6D77, \u041F", 2), SampleTrack(u"B", 0)}));
    const RunResult run = RunDump(dir, path);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    const std::u16string expected =
        CsvHeaderLine() +
        u"2,\"\u6D77, \u041F\",\"Mar\u00EDa \"\"La\"\" Ol\u00E9\",\"\",\"3:07\",\"Podcase\","
        u"\"MPEG audio file\",\"128 kBps\",\"44100 Hz\"\n"
        u"0,\"B\",\"Mar\u00EDa \"\"La\"\" Ol\u00E9\",\"\",\"3:07\",\"Podcase\","
        u"\"MPEG audio file\",\"128 kBps\",\"44100 Hz\"\n";
    EXPECT_EQ(run.out, Utf16LeBytes(expected, true));
    EXPECT_EQ(run.out.substr(0, 4), std::string("\xFF\xFE\x22\x00", 4));
    EXPECT_EQ(run.out.find(std::string("\r\0", 2)), std::string::npos);
}

TEST(TrackhaulDump, LimitAndCount) {
    TempDir dir;
    const std::string path =
        WriteDatabase(dir, itdb::RealisticDatabase(
                               {SampleTrack(u"A", 1), SampleTrack(u"B", 2), SampleTrack(u"C", 3)}));
    const RunResult limited = RunDump(dir, path + " 2");
    EXPECT_EQ(limited.exitStatus, 0);
    EXPECT_NE(limited.out.find(Utf16LeBytes(u"\n2,\"B\"")), std::string::npos);
    EXPECT_EQ(limited.out.find(Utf16LeBytes(u"\n3,\"C\"")), std::string::npos);

    const RunResult count = RunDump(dir, "--count " + path);
    EXPECT_EQ(count.exitStatus, 0);
    EXPECT_EQ(count.out, "3\n");
}

TEST(TrackhaulDump, UnreadableAndEmptyDatabases) {
    TempDir dir;
    const RunResult missing = RunDump(dir, dir.File("missing"));
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "An error occurred while reading iPod database.\n");

    const RunResult missingCount = RunDump(dir, "--count " + dir.File("missing"));
    EXPECT_EQ(missingCount.exitStatus, 0);
    EXPECT_EQ(missingCount.out, "-1\n");

    const std::string empty = WriteDatabase(dir, itdb::Database({itdb::TrackSet({})}));
    const RunResult none = RunDump(dir, empty);
    EXPECT_EQ(none.exitStatus, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "iPod database is empty.\n");

    const RunResult limitZero =
        RunDump(dir, WriteDatabase(dir, itdb::RealisticDatabase({SampleTrack(u"A", 1)})) + " 0");
    EXPECT_EQ(limitZero.exitStatus, 1);
    EXPECT_EQ(limitZero.err, "iPod database is empty.\n");
}

TEST(TrackhaulDump, ReadsTheCompressedFormLikeTheOrdinaryOne) {
    TempDir dir;
    const itdb::Bytes database =
        itdb::RealisticDatabase({SampleTrack(u"\u6D77", 2), SampleTrack(u"B", 0)});
    const RunResult ordinary = RunDump(dir, WriteDatabase(dir, database));
    const std::string compressed =
        WriteDatabase(dir, itdb::CompressedDatabase(database), "iTunesCDB");
    const RunResult run = RunDump(dir, compressed);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, ordinary.out);
    EXPECT_EQ(RunDump(dir, "--count " + compressed).out, "2\n");
}

TEST(TrackhaulDump, PlaylistsOnePerLineInBothForms) {
    TempDir dir;
    const std::vector<itdb::Track> tracks = {SampleTrack(u"A", 1), SampleTrack(u"B", 2),
                                             SampleTrack(u"C", 3)};
    const itdb::Bytes database = itdb::RealisticDatabase(
        tracks, {{u"\u0414\u043E\u0440\u043E\u0433\u0430", itdb::ListKind::Other, {2, 0, 2}},
                 {u"Top", itdb::ListKind::Smart, {1}},
                 {u"Casts", itdb::ListKind::Podcasts, {0, 1}},
                 {u"", itdb::ListKind::Other, {}}});
    const std::string expected =
        "iPod\x1FM\x1F"
        "0,1,2\n"
        "\xD0\x94\xD0\xBE\xD1\x80\xD0\xBE\xD0\xB3\xD0\xB0\x1FN\x1F"
        "2,0,2\n"
        "Top\x1FS\x1F"
        "1\n"
        "Casts\x1FP\x1F"
        "0,1\n"
        "\x1FN\x1F\n";
    for (const itdb::Bytes& form : {database, itdb::CompressedDatabase(database)}) {
        const RunResult run = RunDump(dir, "--playlists " + WriteDatabase(dir, form));
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.out, expected);
    }
    const RunResult noPlaylists =
        RunDump(dir, "--playlists " + WriteDatabase(dir, itdb::RealisticDatabase(tracks)));
    EXPECT_EQ(noPlaylists.exitStatus, 0);
    EXPECT_EQ(noPlaylists.out, "");
    const RunResult missing = RunDump(dir, "--playlists " + dir.File("missing"));
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(missing.err, "An error occurred while reading iPod database.\n");
}

// Beside the compressed database, as the newest players keep it.
TEST(TrackhaulDump, ArtOfAPlayerAndItsPicturesAsPpm) {
    TempDir dir;
    const std::filesystem::path art = dir.Path() / "player" / "iPod_Control" / "Artwork";
    std::filesystem::create_directories(art);
    std::filesystem::create_directories(art.parent_path() / "iTunes");
    std::vector<itdb::Track> tracks(3, SampleTrack(u"A", 1));
    tracks[0].artworkId = 9;
    tracks[1].databaseId = 0x123456789A;
    WriteDatabase(dir, itdb::CompressedDatabase(itdb::RealisticDatabase(tracks)),
                  "player/iPod_Control/iTunes/iTunesCDB");
    artwork::StoredSize wide = artwork::Stored(1055, 128, artwork::TestImage(128, 96));
    wide.verticalPadding = 16;
    ASSERT_TRUE(artwork::WriteStore(
        (art / "").string(),
        artwork::BuildStore(
            {{9, 0, {wide}},
             {0, 0x123456789A, {artwork::Stored(1060, 320, artwork::SolidImage(320, 320, 0))}}})));
    const std::string player = dir.File("player");
    EXPECT_EQ(RunDump(dir, "--art " + player + "/").out, "128x96 1055\n320x320 1060\n-\n");

    std::string expected = "P6\n128 96\n255\n";
    for (const uint32_t pixel : wide.image.pixels) {
        const uint32_t shown = artwork::Rgb565Rounded(pixel);
        expected += {char(shown >> 16), char(shown >> 8), char(shown)};
    }
    EXPECT_EQ(RunDump(dir, "--art-ppm " + player + " 0 " + dir.File("0.ppm")).exitStatus, 0);
    EXPECT_EQ(ReadWhole(dir.File("0.ppm")), expected);
    for (const char* index : {" 2 ", " 3 "}) {
        const RunResult none = RunDump(dir, "--art-ppm " + player + index + dir.File("x.ppm"));
        EXPECT_EQ(std::pair(none.exitStatus, none.err),
                  std::pair(1, std::string("The track has no picture.\n")));
    }
}

TEST(TrackhaulDump, FieldsWithThePlaysSinceTheSyncInAPlayersFolder) {
    TempDir dir;
    itdb::Track first = SampleTrack(u"A", 1);
    first.genre = u"Jazz";
    first.composer = u"\u041F\u0451\u0442\u0440";
    first.comment = u"two\r\nlines";
    first.rating = 80;
    first.playCount = 3;
    first.year = 1969;
    first.dateAdded = 3723839940;  // 2021-12-31 23:59
    itdb::Track second = SampleTrack(u"B", 2);
    second.skipCount = 1;
    const itdb::Bytes database = itdb::RealisticDatabase({first, second});
    const std::filesystem::path folder = dir.Path() / "iPod_Control" / "iTunes";
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(itdb::WriteFile((folder / "Play Counts").string(),
                                itdb::PlayCountsFile({{2, 0, 100, 0}, {0, 3792038700, 0, 4}})));
    ASSERT_TRUE(itdb::WriteFile((folder / "OTGPlaylistInfo").string(), itdb::OnTheGoFile({1, 5})));
    const std::string expected =
        "Jazz\x1F"
        "1969\x1F\xD0\x9F\xD1\x91\xD1\x82\xD1\x80\x1F\x1F\xE2\x98\x85\xE2\x98\x85\xE2\x98\x85"
        "\xE2\x98\x85\xE2\x98\x85\x1F"
        "5\x1F"
        "0\x1F\x1F"
        "2021-12-31 23:59\x1F"
        "0.0 MB\x1Ftwo  lines\n"
        "Pop\x1F\x1F"
        "composer\x1F\x1F\x1F"
        "0\x1F"
        "5\x1F"
        "2024-02-29 08:05\x1F\x1F"
        "0.0 MB\x1F\n";
    for (const char* name : {"iTunesDB", "iTunesCDB"}) {
        const std::string path = (folder / name).string();
        ASSERT_TRUE(itdb::WriteFile(
            path, name == std::string("iTunesDB") ? database : itdb::CompressedDatabase(database)));
        const RunResult run = RunDump(dir, "--fields " + path);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.out, expected);
        EXPECT_EQ(RunDump(dir, "--playlists " + path).out,
                  "On-The-Go (not synced)\x1FN\x1F"
                  "1\n");
        std::filesystem::remove(path);
    }
    const RunResult elsewhere = RunDump(dir, "--fields " + WriteDatabase(dir, database));
    EXPECT_NE(elsewhere.out.find("\x1F"
                                 "3\x1F"
                                 "0\x1F"),
              std::string::npos);
    EXPECT_EQ(RunDump(dir, "--fields " + dir.File("missing")).exitStatus, 1);
}

// Seconds since 1904 of a moment on the player's clock.
uint32_t PlayerTime(int year, unsigned month, unsigned day, int hour, int minute, int second) {
    using namespace std::chrono;
    const auto days = sys_days{std::chrono::year{year} / month / day} - sys_days{1904y / 1 / 1};
    return static_cast<uint32_t>(duration_cast<seconds>(days).count() + hour * 3600 + minute * 60 +
                                 second);
}

// The library file of a generated player, read back by Python's own
// property-list parser: every field as the player holds it with the plays
// since the last sync merged, times on the clock of a zone with daylight
// saving, and copies that are missing or of another size left out, but
// for a rated track's, which its tags may have made larger.
TEST(TrackhaulDump, LibraryOfAPlayerReadByAnotherParser) {
    TempDir dir;
    const std::filesystem::path player = dir.Path() / "player";
    const std::filesystem::path music = dir.Path() / "Música & Co";
    std::filesystem::create_directories(player / "iPod_Control" / "iTunes");
    std::filesystem::create_directories(player / "iPod_Control" / "Music" / "F00");
    std::vector<itdb::Track> tracks(6);
    const char16_t* names[] = {u"Ana & <Bo> \"quoted\" \u00DCber",
                               u"Episode",
                               u"Clip",
                               u"Short",
                               u"a\x01z",
                               u"lone \xD800"};
    for (size_t i = 0; i < tracks.size(); ++i) {
        itdb::Track& track = tracks[i];
        track = SampleTrack(names[i], static_cast<int32_t>(i + 1));
        track.location = u":iPod_Control:Music:F00:T" + std::u16string(1, u'0' + i) + u".mp3";
        track.genre = u"";
        track.composer = u"";
        track.databaseId = 0x0123456789ABCDE0u + i;
        track.mediaType = 1;
        track.sizeBytes = static_cast<uint32_t>(100 + i);
        WriteAllBytes(
            (player / "iPod_Control" / "Music" / "F00" / ("T" + std::to_string(i) + ".mp3"))
                .string(),
            std::string(track.sizeBytes, static_cast<char>('a' + i)));
    }
    tracks[0].artist = u"\u041A\u0438\u043D\u043E";
    tracks[0].album = u"\u6D77\u306E\u58F0";
    tracks[0].genre = u"Rock & Roll";
    tracks[0].composer = u"J. S. Brook";
    tracks[0].comment = u"line\r\nbreak";
    tracks[0].rating = 40;
    tracks[0].playCount = 3;
    tracks[0].skipCount = 1;
    tracks[0].year = 1999;
    tracks[0].discNumber = 1;
    tracks[0].discCount = 2;
    tracks[0].lengthMs = 187123;
    tracks[0].bitRate = 320;
    tracks[0].dateAdded = PlayerTime(2019, 7, 1, 12, 0, 0);    // summer time
    tracks[0].lastPlayed = PlayerTime(2019, 1, 15, 12, 0, 0);  // winter time
    tracks[1].mediaType = 4;                                   // a podcast
    tracks[1].dateAdded = 1;
    tracks[1].lastPlayed = 0xFFFFFFFF;
    tracks[2].mediaType = 32;  // a music video, whose copy is gone
    const std::vector<itdb::PlaylistContents> playlists{{u"Mix", itdb::ListKind::Other, {0, 2, 0}},
                                                        {u"Mix", itdb::ListKind::Other, {1}},
                                                        {u"Empty", itdb::ListKind::Other, {}}};
    itdb::Bytes database = itdb::RealisticDatabase(tracks, playlists);
    for (int i = 0; i < 8; ++i) {
        database[0x18 + i] = static_cast<uint8_t>(0xA1 + i);  // the library's id
    }
    const std::filesystem::path itunes = player / "iPod_Control" / "iTunes";
    ASSERT_TRUE(itdb::WriteFile((itunes / "iTunesDB").string(), database));
    ASSERT_TRUE(itdb::WriteFile((itunes / "Play Counts").string(),
                                itdb::PlayCountsFile({{2, 0, 60, 1}, {0, 0, 0, 0}})));
    ASSERT_TRUE(itdb::WriteFile((itunes / "OTGPlaylistInfo").string(), itdb::OnTheGoFile({4, 0})));

    // The copies, where the program's default patterns put them: one gone,
    // one of another size, one larger by its ratings.
    const std::string copies[] = {
        "1 - Ana & _Bo_ _quoted_ \u00DCber - \u041A\u0438\u043D\u043E.mp3",
        "2 - Episode - Mar\u00EDa _La_ Ol\u00E9.mp3",
        "",
        "4 - Short - Mar\u00EDa _La_ Ol\u00E9.mp3",
        "5 - a_z - Mar\u00EDa _La_ Ol\u00E9.mp3",
        "6 - lone \uFFFD - Mar\u00EDa _La_ Ol\u00E9.mp3"};
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (!copies[i].empty()) {
            WriteAllBytes((music / copies[i]).string(),
                          std::string(tracks[i].sizeBytes + (i == 3 ? 1 : 0) + (i == 0 ? 700 : 0),
                                      static_cast<char>('a' + i)));
        }
    }
    const RunResult run = RunTool(dir, "TZ=Europe/Berlin " TRACKHAUL_DUMP,
                                  "--library " + player.string() + " '" + music.string() + "'");
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "2 track(s) left out: no copy of the player's size.\n");
    WriteAllBytes(dir.File("Library.xml"), run.out);
    const RunResult read =
        RunTool(dir, "python3 " READ_LIBRARY, dir.File("Library.xml") + " Europe/Berlin");
    ASSERT_EQ(read.exitStatus, 0) << read.err;
    const std::string folder = music.string();
    const std::string expected =
        "Major Version=1\nMinor Version=1\nApplication Version=Trackhaul 0.1b\nFeatures=5\n"
        "Show Content Ratings=True\nMusic Folder=" +
        folder +
        "/\n"
        "Library Persistent ID=A8A7A6A5A4A3A2A1\n"
        "Track ID=1|Name=Ana & <Bo> \"quoted\" \u00DCber|Artist=\u041A\u0438\u043D\u043E|"
        "Album=\u6D77\u306E\u58F0|Genre=Rock & Roll|Kind=MPEG audio file|Composer=J. S. Brook|"
        "Comments=line  break|Size=800|Total Time=187123|Disc Number=1|Disc Count=2|"
        "Track Number=1|Year=1999|Date Added=2019-07-01 12:00:00|Bit Rate=320|"
        "Sample Rate=44100|Play Count=5|Skip Count=2|Play Date=" +
        std::to_string(tracks[0].lastPlayed) +
        "|Play Date UTC=2019-01-15 12:00:00|Rating=60|Persistent ID=0123456789ABCDE0|"
        "Track Type=File|Location=" +
        folder + "/" + copies[0] +
        "\n"
        "Track ID=2|Name=Episode|Artist=Mar\u00EDa \"La\" Ol\u00E9|Kind=MPEG audio file|Size=101|"
        "Total Time=187000|Track Number=2|Date Added=1904-01-01 00:00:01|Bit Rate=128|"
        "Sample Rate=44100|Play Date=4294967295|Play Date UTC=2040-02-06 06:28:15|"
        "Persistent ID=0123456789ABCDE1|Track Type=File|Podcast=True|Location=" +
        folder + "/" + copies[1] +
        "\n"
        "Track ID=3|Name=a z|Artist=Mar\u00EDa \"La\" Ol\u00E9|Kind=MPEG audio file|Size=104|"
        "Total Time=187000|Track Number=5|Bit Rate=128|Sample Rate=44100|"
        "Persistent ID=0123456789ABCDE4|Track Type=File|Location=" +
        folder + "/" + copies[4] +
        "\n"
        // A surrogate without its partner names the copy as it names the track.
        "Track ID=4|Name=lone \uFFFD|Artist=Mar\u00EDa \"La\" Ol\u00E9|Kind=MPEG audio file|"
        "Size=105|Total Time=187000|Track Number=6|Bit Rate=128|Sample Rate=44100|"
        "Persistent ID=0123456789ABCDE5|Track Type=File|Location=" +
        folder + "/" + copies[5] +
        "\n"
        "playlist Library 5 MA [1,2,3,4]\n"
        "playlist Mix 6 A [1,1]\n"
        "playlist Mix 7 A [2]\n"
        "playlist Empty 8 A []\n"
        "playlist On-The-Go (not synced) 9 A [3,1]\n";
    EXPECT_EQ(read.out, expected);
}

// The plays and skips since the last sync, as Last.fm's log and as
// ListenBrainz listens read back by Python's JSON parser: earlier plays of a
// track placed one length apart before its last, times on the clock of a
// zone with daylight saving, equal times in the player's order; videos,
// tracks without an artist and plays without a time left out.
TEST(TrackhaulDump, ListeningHistoryOfAPlayer) {
    TempDir dir;
    const std::filesystem::path player = dir.Path() / "player";
    const std::filesystem::path itunes = player / "iPod_Control" / "iTunes";
    std::filesystem::create_directories(itunes);
    const struct {
        std::u16string title;
        std::u16string artist;
        std::u16string album;
        int32_t number;
        uint32_t lengthMs;
        int32_t mediaType;
        itdb::PlayCountEntry since;
    } tracks[] = {
        {u"Once",
         u"\u041A\u0438\u043D\u043E",
         u"\u0410\u043B\u044C\u0431\u043E\u043C",
         3,
         200999,
         1,
         {1, PlayerTime(2019, 7, 1, 12, 0, 0)}},  // summer time: UTC+2
        {u"Many\tTimes", u"Ana", u"", 0, 180500, 1, {3, PlayerTime(2019, 1, 15, 12, 0, 0)}},
        {u"Skipped \"x\"",
         u"Ana",
         u"B\\C",
         2,
         60000,
         0,
         {0, 0, 0, 1, PlayerTime(2019, 1, 15, 12, 0, 0)}},
        {u"Clip", u"Ana", u"", 4, 60000, 32, {2, PlayerTime(2019, 1, 1, 0, 0, 0)}},
        {u"Nobody's", u"", u"", 5, 60000, 1, {2, PlayerTime(2019, 1, 1, 0, 0, 0)}},
        {u"No time", u"Ana", u"", 6, 60000, 1, {2, 0}},
    };
    std::vector<itdb::Track> described;
    std::vector<itdb::PlayCountEntry> playCounts;
    for (const auto& track : tracks) {
        itdb::Track item = SampleTrack(track.title, track.number);
        item.artist = track.artist;
        item.album = track.album;
        item.lengthMs = track.lengthMs;
        item.mediaType = track.mediaType;
        item.playCount = 7;  // before the sync: not history
        described.push_back(item);
        playCounts.push_back(track.since);
    }
    ASSERT_TRUE(
        itdb::WriteFile((itunes / "iTunesDB").string(), itdb::RealisticDatabase(described)));
    ASSERT_TRUE(
        itdb::WriteFile((itunes / "Play Counts").string(), itdb::PlayCountsFile(playCounts)));

    const RunResult log =
        RunTool(dir, "TZ=Europe/Berlin " TRACKHAUL_DUMP, "--history " + player.string());
    ASSERT_EQ(log.exitStatus, 0) << log.err;
    EXPECT_EQ(log.out,
              "#AUDIOSCROBBLER/1.1\n#TZ/UTC\n#CLIENT/Trackhaul 0.1b\n"
              "Ana\t\tMany Times\t\t180\tL\t1547549640\t\n"
              "Ana\t\tMany Times\t\t180\tL\t1547549820\t\n"
              "Ana\t\tMany Times\t\t180\tL\t1547550000\t\n"
              "Ana\tB\\C\tSkipped \"x\"\t2\t60\tS\t1547550000\t\n"
              "\u041A\u0438\u043D\u043E\t\u0410\u043B\u044C\u0431\u043E\u043C\tOnce\t3\t200\tL\t"
              "1561975200\t\n");

    const RunResult json = RunTool(dir, "TZ=Europe/Berlin " TRACKHAUL_DUMP,
                                   "--history " + player.string() + " --json");
    ASSERT_EQ(json.exitStatus, 0) << json.err;
    WriteAllBytes(dir.File("listens.json"), json.out);
    const RunResult read = RunTool(
        dir, "python3",
        "-c 'import json, sys\nfor listen in json.load(open(sys.argv[1], encoding=\"utf-8\")): "
        "print(json.dumps(listen, sort_keys=True, ensure_ascii=False))' " +
            dir.File("listens.json"));
    ASSERT_EQ(read.exitStatus, 0) << read.err;
    const std::string info =
        "\"media_player\": \"iPod\", \"submission_client\": \"Trackhaul\", "
        "\"submission_client_version\": \"0.1b\"";
    const std::string many =
        "{\"listened_at\": %, \"track_metadata\": {\"additional_info\": "
        "{\"duration_ms\": 180500, " +
        info + "}, \"artist_name\": \"Ana\", \"track_name\": \"Many\\tTimes\"}}\n";
    std::string expected;
    for (const char* time : {"1547549640", "1547549820", "1547550000"}) {
        std::string line = many;
        expected += line.replace(line.find('%'), 1, time);
    }
    expected +=
        "{\"listened_at\": 1561975200, \"track_metadata\": {\"additional_info\": "
        "{\"duration_ms\": 200999, " +
        info +
        ", \"tracknumber\": 3}, \"artist_name\": \"\u041A\u0438\u043D\u043E\", "
        "\"release_name\": \"\u0410\u043B\u044C\u0431\u043E\u043C\", \"track_name\": \"Once\"}}\n";
    EXPECT_EQ(read.out, expected);
}

// A player of one track (or none) whose photos the independent writer
// writes, of `kind`, with what it expects in `expected`.
std::string PlayerWithPhotos(const TempDir& dir, const std::string& kind,
                             const std::string& expected, bool withTrack = true) {
    const std::filesystem::path player = dir.Path() / kind;
    std::filesystem::create_directories(player / "iPod_Control" / "iTunes");
    const std::vector<itdb::Track> tracks =
        withTrack ? std::vector<itdb::Track>{SampleTrack(u"A", 1)} : std::vector<itdb::Track>{};
    EXPECT_TRUE(itdb::WriteFile((player / "iPod_Control" / "iTunes" / "iTunesDB").string(),
                                itdb::RealisticDatabase(tracks)));
    const RunResult written =
        RunTool(dir, "python3 " PHOTO_DB_WRITER, kind + " " + player.string() + " " + expected);
    EXPECT_EQ(written.exitStatus, 0) << written.err;
    return player.string();
}

// The photo albums of seven kinds of player, written by a writer of its own:
// the albums and sizes as it says, and each picture as it decodes its frame,
// but for the rounding of the YUV conversion.
TEST(TrackhaulDump, PhotoAlbumsOfEveryKindReadBackAsTheirWriterWroteThem) {
    TempDir dir;
    for (const std::string kind :
         {"uyvy", "i420", "little", "big-endian", "portrait", "small-and-padded", "albums"}) {
        SCOPED_TRACE(kind);
        const std::string expected = dir.File(kind + "-expected");
        const std::string player = PlayerWithPhotos(dir, kind, expected);
        const RunResult photos = RunDump(dir, "--photos " + player);
        EXPECT_EQ(photos.exitStatus, 0);
        EXPECT_EQ(photos.out, ReadWhole(expected + "/photos.txt"));
        for (const auto& entry : std::filesystem::directory_iterator(expected)) {
            if (entry.path().extension() != ".ppm") {
                continue;
            }
            const std::string id = entry.path().stem().string();
            ASSERT_EQ(RunDump(dir, "--photo-ppm " + player + " " + id + " " + dir.File("out.ppm"))
                          .exitStatus,
                      0)
                << id;
            const std::string read = ReadWhole(dir.File("out.ppm"));
            const std::string written = ReadWhole(entry.path().string());
            ASSERT_EQ(read.size(), written.size()) << id;
            int worst = 0;
            for (size_t i = 0; i < read.size(); ++i) {
                worst = std::max(worst, std::abs(static_cast<uint8_t>(read[i]) -
                                                 static_cast<uint8_t>(written[i])));
            }
            EXPECT_LE(worst, 1) << id;
        }
    }
    // A player of photos and no track: its photos all the same.
    const std::string expected = dir.File("without-tracks-expected");
    const RunResult photos =
        RunDump(dir, "--photos " + PlayerWithPhotos(dir, "albums", expected, false));
    EXPECT_EQ(photos.exitStatus, 0);
    EXPECT_EQ(photos.err, "iPod database is empty.\n");
    EXPECT_EQ(photos.out, ReadWhole(expected + "/photos.txt"));
}

// Damaged and crafted photo albums cost photos, never the tracks, and are
// read without a crash, a hang or a read outside the Photos folder.
TEST(TrackhaulDump, HostilePhotoDatabasesCostPhotosNeverTracks) {
    TempDir dir;
    for (const std::string kind : {"cut", "counts", "loop", "offsets", "paths", "huge", "sparse"}) {
        SCOPED_TRACE(kind);
        const std::string player = PlayerWithPhotos(dir, kind, dir.File("unused"));
        EXPECT_EQ(RunDump(dir, "--photos " + player).exitStatus, 0);
        EXPECT_EQ(RunDump(dir, "--count " + player + "/iPod_Control/iTunes/iTunesDB").out, "1\n");
        for (const char* id : {"1", "2", "3"}) {
            const int status =
                RunDump(dir, "--photo-ppm " + player + " " + id + " " + dir.File("out.ppm"))
                    .exitStatus;
            EXPECT_TRUE(status == 0 || status == 1) << id;
        }
    }
    // A path leading out of the Photos folder is not followed.
    const RunResult paths = RunDump(dir, "--photos " + dir.File("paths"));
    EXPECT_EQ(paths.out.find("photo 1 -\n") != std::string::npos, true) << paths.out;
}

TEST(MakeDemoPlayer, CompressedTwinHoldsOnlyITunesCDBWithTheSameTracks) {
    TempDir dir;
    ASSERT_EQ(RunTool(dir, MAKE_DEMO_PLAYER, dir.File("plain")).exitStatus, 0);
    ASSERT_EQ(RunTool(dir, MAKE_DEMO_PLAYER, "--compressed " + dir.File("twin")).exitStatus, 0);
    const auto database = [&](const std::string& player, const std::string& name) {
        return (dir.Path() / player / "iPod_Control" / "iTunes" / name).string();
    };
    EXPECT_FALSE(std::filesystem::exists(database("twin", "iTunesDB")));
    EXPECT_LT(std::filesystem::file_size(database("twin", "iTunesCDB")),
              std::filesystem::file_size(database("plain", "iTunesDB")));
    const RunResult plain = RunDump(dir, database("plain", "iTunesDB"));
    EXPECT_EQ(RunDump(dir, database("twin", "iTunesCDB")).out, plain.out);
    EXPECT_EQ(RunDump(dir, "--count " + database("twin", "iTunesCDB")).out, "59\n");
    const RunResult playlists = RunDump(dir, "--playlists " + database("plain", "iTunesDB"));
    EXPECT_EQ(RunDump(dir, "--playlists " + database("twin", "iTunesCDB")).out, playlists.out);
    std::string kinds;
    for (size_t line = 0; line < playlists.out.size(); line = playlists.out.find('\n', line) + 1) {
        kinds += playlists.out[playlists.out.find('\x1F', line) + 1];
    }
    EXPECT_EQ(kinds, "MNNNSNPN");
    EXPECT_NE(playlists.out.find("\xD0\x94\xD0\xBE\xD1\x80\xD0\xBE\xD0\xB3\xD0\xB0 "),
              std::string::npos);
    EXPECT_NE(playlists.out.find("On-The-Go 1\x1FN\x1F"
                                 "9,5,9\n"),
              std::string::npos);
}

// A player's folder imaged as a Mac formats a player (an Apple partition
// map and an HFS Plus volume, by xorriso) and as Windows does (FAT32 inside
// a PC's boot record, by sfdisk, mkfs.vfat and mcopy).
std::vector<std::pair<std::string, std::string>> ImagesOf(const TempDir& dir,
                                                          const std::string& player) {
    const std::string mac = dir.File("mac.img");
    const std::string pc = dir.File("pc.img");
    const std::string commands =
        "xorriso -as mkisofs -quiet -hfsplus -V DEMO -o " + mac + " " + player +
        " && truncate -s 40M " + pc + " && echo 'start=2048, type=c' | sfdisk -q " + pc +
        " && mkfs.vfat -F 32 -n DEMO --offset 2048 " + pc +
        " >/dev/null && MTOOLS_SKIP_CHECK=1 mcopy -s -i " + pc + "@@1M " + player + "/* ::/";
    EXPECT_EQ(std::system(("(" + commands + ") >/dev/null 2>&1").c_str()), 0) << commands;
    return {{"HFS Plus", mac}, {"FAT32", pc}};
}

TEST(TrackhaulDump, APlayerInADiskImageReadsAsItsFolderDoes) {
    TempDir dir;
    const std::string player = dir.File("player");
    ASSERT_EQ(RunTool(dir, MAKE_DEMO_PLAYER, player).exitStatus, 0);
    const RunResult folderFiles = RunDump(dir, "--files " + player);
    ASSERT_EQ(folderFiles.exitStatus, 0);
    EXPECT_NE(folderFiles.out.find("iPod_Control/iTunes/iTunesDB\t"), std::string::npos);
    for (const auto& [kind, image] : ImagesOf(dir, player)) {
        SCOPED_TRACE(kind);
        for (const char* verb : {"--files ", "--art ", "--photos ", "--history "}) {
            const RunResult fromImage = RunDump(dir, verb + image);
            EXPECT_EQ(fromImage.exitStatus, 0) << verb << fromImage.err;
            EXPECT_EQ(fromImage.out, RunDump(dir, verb + player).out) << verb;
        }
        // Every file byte for byte as the folder holds it.
        std::unique_ptr<PlayerFiles> volume =
            OpenPlayerVolume(std::shared_ptr<BlockSource>(ImageFileSource::Open(image)));
        ASSERT_TRUE(volume);
        size_t compared = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(player)) {
            if (entry.is_regular_file()) {
                const std::filesystem::path relative = entry.path().lexically_relative(player);
                std::unique_ptr<PlayerFile> file = volume->Open(relative.u16string());
                ASSERT_TRUE(file) << relative;
                std::string bytes(file->Size(), '\0');
                ASSERT_TRUE(
                    file->ReadAt(0, bytes.size(), reinterpret_cast<uint8_t*>(bytes.data())));
                EXPECT_EQ(bytes, ReadWhole(entry.path().string())) << relative;
                ++compared;
            }
        }
        EXPECT_GT(compared, 50u);
    }
    // A whole disk of 160 GB, sparse: only the blocks the player needs are read.
    const std::string disk = dir.File("disk.img");
    ASSERT_EQ(
        std::system(
            ("cp " + dir.File("mac.img") + " " + disk + " && truncate -s 160G " + disk).c_str()),
        0);
    EXPECT_EQ(RunDump(dir, "--files " + disk).out, folderFiles.out);
    // A folder's file whose name is no text here is passed over, not fatal.
    WriteAllBytes(dir.File("odd/iPod_Control/bad\xFF.mp3"), "x");
    WriteAllBytes(dir.File("odd/iPod_Control/good.mp3"), "xy");
    EXPECT_EQ(RunDump(dir, "--files " + dir.File("odd")).out, "iPod_Control/good.mp3\t2\n");
    WriteAllBytes(dir.File("not-a-disk.img"), std::string(100000, 'x'));
    const RunResult none = RunDump(dir, "--files " + dir.File("not-a-disk.img"));
    EXPECT_EQ(none.exitStatus, 1);
    EXPECT_EQ(none.err, "No player found in this image.\n");
}

TEST(TrackhaulDump, UsageErrors) {
    TempDir dir;
    for (const char* arguments :
         {"", "--count", "--playlists", "--playlists a b", "--fields", "a 1 2", "a notanumber",
          "--art", "--art-ppm a 1", "--art-ppm a -1 b", "--art-ppm a x b"}) {
        const RunResult run = RunDump(dir, arguments);
        EXPECT_EQ(run.exitStatus, 2) << arguments;
        EXPECT_EQ(run.out, "") << arguments;
        EXPECT_NE(run.err.find("usage:"), std::string::npos) << arguments;
    }
}

}  // namespace
