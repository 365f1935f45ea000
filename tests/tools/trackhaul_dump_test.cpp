// Runs the real trackhaul-dump on databases written here and checks its
// output byte for byte, its messages and its exit status; and through it,
// the demo players that make-demo-player writes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/csv_format.h"
#include "itdb_builder.h"
#include "temp_dir.h"

namespace {

struct RunResult {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

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

TEST(TrackhaulDump, UsageErrors) {
    TempDir dir;
    for (const char* arguments :
         {"", "--count", "--playlists", "--playlists a b", "--fields", "a 1 2", "a notanumber"}) {
        const RunResult run = RunDump(dir, arguments);
        EXPECT_EQ(run.exitStatus, 2) << arguments;
        EXPECT_EQ(run.out, "") << arguments;
        EXPECT_NE(run.err.find("usage:"), std::string::npos) << arguments;
    }
}

}  // namespace
