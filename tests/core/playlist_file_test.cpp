#include "core/playlist_file.h"

#include <gtest/gtest.h>

#include "core/playlist.h"

namespace {

// The file the writer writes of these entries, in blocks of `blockSize`
// bytes; `blocks` counts them.
std::string PlaylistFileText(const std::vector<PlaylistFileEntry>& entries,
                             size_t blockSize = 64 * 1024, size_t* blocks = nullptr) {
    std::string text;
    PlaylistFileWriter writer(
        [&](std::string_view bytes) {
            text += bytes;
            if (blocks != nullptr) {
                ++*blocks;
            }
            return true;
        },
        blockSize);
    for (const PlaylistFileEntry& entry : entries) {
        EXPECT_TRUE(writer.WriteEntry(entry));
    }
    EXPECT_TRUE(writer.Finish());
    return text;
}

TEST(PlaylistFile, TextIsUtf8WithCrLfAndOneInfoLinePerEntry) {
    const std::vector<PlaylistFileEntry> entries = {
        {187, u"Mar\u00EDa Ol\u00E9", u"Caf\u00E9, con le\u00F1a", u"07 - Caf\u00E9.m4a"},
        {0, u"", u"", u"Kino\\\u0417\u0432\u0435\u0437\u0434\u0430\\1 - \u041F.mp3"},
        {3600, u"\u7F8E\u7A7A", u"two\r\nlines\t\U0001F3B5", u"\u6D77 \U0001F3B5.m4a"},
    };
    EXPECT_EQ(PlaylistFileText(entries),
              "#EXTM3U\r\n"
              "#EXTINF:187,Mar\xC3\xAD"
              "a Ol\xC3\xA9 - Caf\xC3\xA9, con le\xC3\xB1"
              "a\r\n"
              "07 - Caf\xC3\xA9.m4a\r\n"
              "#EXTINF:0, - \r\n"
              "Kino\\\xD0\x97\xD0\xB2\xD0\xB5\xD0\xB7\xD0\xB4\xD0\xB0\\1 - \xD0\x9F.mp3\r\n"
              "#EXTINF:3600,\xE7\xBE\x8E\xE7\xA9\xBA - two  lines \xF0\x9F\x8E\xB5\r\n"
              "\xE6\xB5\xB7 \xF0\x9F\x8E\xB5.m4a\r\n");
    EXPECT_EQ(PlaylistFileText({}), "#EXTM3U\r\n");
    EXPECT_EQ(PlaylistFileText({{1, u"a\x85z", u"b\u2028c\u2029d\x7F", u"p"}}),
              "#EXTM3U\r\n#EXTINF:1,a z - b c d \r\np\r\n");
    // Written as the entries come; a long text is cut, never inside a pair.
    size_t blocks = 0;
    EXPECT_EQ(PlaylistFileText(std::vector<PlaylistFileEntry>(10, entries[0]), 100, &blocks),
              PlaylistFileText(std::vector<PlaylistFileEntry>(10, entries[0])));
    EXPECT_GE(blocks, 5u);
    const std::u16string cutInPair = std::u16string(kLongestEntryInfo - 5, u'x') + u"\U0001F3B5";
    EXPECT_EQ(PlaylistFileText({{1, u"A", cutInPair, u"p"}}),
              "#EXTM3U\r\n#EXTINF:1,A - " + std::string(kLongestEntryInfo - 5, 'x') + "\r\np\r\n");
    EXPECT_EQ(Utf8FromUtf16(u"a\xD800"
                            u"b\xDC00"),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
}

TEST(PlaylistFile, FileNamesOfOneExport) {
    struct Case {
        std::vector<std::u16string> names;
        std::vector<std::u16string> expected;
    };
    const Case cases[] = {
        {{u"Road Trip", u"  Fav/ou:rites?\t", u"\u0414\u043E\u0440\u043E\u0433\u0430"},
         {u"Road Trip.m3u8", u"Fav_ou_rites_.m3u8", u"\u0414\u043E\u0440\u043E\u0433\u0430.m3u8"}},
        {{u"", u" \r\n", u"...", u"CON", u"nul.txt", u"Com1", u"Playlist"},
         {u"Playlist.m3u8", u"Playlist (2).m3u8", u"Playlist (3).m3u8", u"Playlist (4).m3u8",
          u"Playlist (5).m3u8", u"Playlist (6).m3u8", u"Playlist (7).m3u8"}},
        {{u"\u017D", u"\u017E", u"\u0141", u"\u0142", u"\u03C3", u"\u03C2", u"\u03A3", u"\uFF41",
          u"\uFF21", u"a\r\nb", u"x\u2028y"},
         {u"\u017D.m3u8", u"\u017E (2).m3u8", u"\u0141.m3u8", u"\u0142 (2).m3u8", u"\u03C3.m3u8",
          u"\u03C2 (2).m3u8", u"\u03A3 (3).m3u8", u"\uFF41.m3u8", u"\uFF21 (2).m3u8", u"a__b.m3u8",
          u"x_y.m3u8"}},
        {{u"Mix", u"MIX", u"mix (2)", u"Mix", u"mix"},
         {u"Mix.m3u8", u"MIX (2).m3u8", u"mix (2) (2).m3u8", u"Mix (3).m3u8", u"mix (4).m3u8"}},
        {{u"\u0434\u043E\u0436\u0434\u044C \u00E9t\u00E9",
          u"\u0414\u041E\u0416\u0414\u042C \u00C9T\u00C9", u"a/b", u"a_b", u"CONSOLE"},
         {u"\u0434\u043E\u0436\u0434\u044C \u00E9t\u00E9.m3u8",
          u"\u0414\u041E\u0416\u0414\u042C \u00C9T\u00C9 (2).m3u8", u"a_b.m3u8", u"a_b (2).m3u8",
          u"CONSOLE.m3u8"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlaylistFileNames(c.names), c.expected);
    }
    // Files the same run wrote into the folder keep their names.
    NameNumbering written;
    written.Reserve(u"1 - MIX - DJ.m3u8");
    written.Reserve(u"Trip");
    EXPECT_EQ(PlaylistFileNames({u"1 - Mix - DJ", u"Trip", u"1 - mix - dj"}, written),
              (std::vector<std::u16string>{u"1 - Mix - DJ (2).m3u8", u"Trip.m3u8",
                                           u"1 - mix - dj (3).m3u8"}));
}

OneTrack Track(std::u16string title, std::string location, int32_t number = 1) {
    OneTrack track;
    track.SetTitle(std::move(title));
    track.SetArtist(u"Band");
    track.SetLocation(std::move(location));
    track.SetLength(61500);
    track.SetTrackNumber(number);
    return track;
}

TEST(PlaylistFile, EntriesNameWhatTheExtractionWritesAndLeaveOutWhatItRefuses) {
    const OneTrack song = Track(u"Song", ":iPod_Control:Music:F00:A.mp3", 7);
    const auto path = [&](const OneTrack& track, std::u16string_view fileFormat,
                          std::u16string_view folderFormat, size_t destinationLength) {
        const TrackNamePlan plan({&track}, fileFormat, folderFormat);
        const auto entry = PlaylistFileEntryOf(track, plan, destinationLength);
        return entry ? entry->Path : u"(left out)";
    };
    const TrackNamePlan titles({&song}, u"%title%", u"");
    const auto entry = PlaylistFileEntryOf(song, titles, 249);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->Seconds, 61);
    EXPECT_EQ(entry->Artist + u"|" + entry->Title + u"|" + entry->Path, u"Band|Song|Song.mp3");
    EXPECT_EQ(path(Track(u"Nul", ":iPod_Control:Music:F00:B.mp3"), u"%title%", u"", 0),
              u"(left out)");
    EXPECT_EQ(path(Track(u"Up", ":iPod_Control:..:C.mp3"), u"%title%", u"", 0), u"(left out)");
    EXPECT_EQ(path(Track(u"Left/Right", ":iPod_Control:Music:F01:D"), u"%title%", u"", 249),
              u"Left_Right");
    EXPECT_EQ(path(song, u"%tracknumber% - %title%", u"", 0), u"7 - Song.mp3");
    // With sub-folders or without, the path below the folder while the whole fits.
    EXPECT_EQ(path(song, u"%title%", u"%artist%\\x", 259 - 15), u"Band\\x\\Song.mp3");
    EXPECT_EQ(path(song, u"%title%", u"%artist%\\x", 259 - 14), u"(left out)");
    EXPECT_EQ(path(song, u"%title%", u"", 259 - 8), u"Song.mp3");
    EXPECT_EQ(path(song, u"%title%", u"", 259 - 7), u"(left out)");

    // One export's lines: each track's worked out once, the tracks the find
    // leaves out and those refused without any.
    const OneTrack refused = Track(u"Nul", ":iPod_Control:Music:F00:B.mp3");
    const OneTrack unlisted = Track(u"Other", ":iPod_Control:Music:F00:C.mp3");
    int asked = 0;
    PlaylistEntryLines lines(titles, 3, [&](const OneTrack& track) {
        ++asked;
        return &track != &unlisted;
    });
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(lines.Of(song), PlaylistEntryText(*entry));
        EXPECT_EQ(lines.Of(refused), "");
        EXPECT_EQ(lines.Of(unlisted), "");
    }
    EXPECT_EQ(asked, 3);
}

TEST(PlaylistFile, ChooserLabelNamesTheCount) {
    Playlist playlist{u"Road Trip", PlaylistKind::Other, {}};
    EXPECT_EQ(PlaylistLabel(playlist), u"Road Trip (0)");
    OneTrack track;
    playlist.Members.assign(42, &track);
    EXPECT_EQ(PlaylistLabel(playlist), u"Road Trip (42)");
}

}  // namespace
