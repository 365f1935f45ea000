#include "core/library_xml.h"

#include <gtest/gtest.h>

#include "core/onetrack.h"
#include "core/playlist.h"

namespace {

// The texts, dates and URLs of the library file, one row each.
TEST(LibraryXml, TextsDatesAndUrls) {
    const std::pair<std::u16string, std::string> texts[] = {
        {u"Ana & <Bo> \"q\" 'a'", "Ana &amp; &lt;Bo&gt; \"q\" 'a'"},
        {u"tab\tline\nreturn\r", "tab\tline\nreturn&#13;"},
        {u"a\x01z\x1F\uFFFE\uFFFF", "a z   "},
        {u"\u041A\u0438\u043D\u043E \U0001F3B5",
         "\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE \xF0\x9F\x8E\xB5"},
        {u"lone \xD800", "lone \xEF\xBF\xBD"},
    };
    for (const auto& [text, xml] : texts) {
        EXPECT_EQ(XmlText(text), xml);
    }
    const std::pair<uint32_t, std::string> dates[] = {
        {1, "1904-01-01T00:00:01Z"},          {2082844800, "1970-01-01T00:00:00Z"},
        {3029529600, "2000-01-01T00:00:00Z"}, {3034713599, "2000-02-29T23:59:59Z"},
        {0xFFFFFFFF, "2040-02-06T06:28:15Z"},
    };
    for (const auto& [time, iso] : dates) {
        EXPECT_EQ(IsoDate(CivilOfPlayerTime(time)), iso) << time;
    }
    const std::pair<std::u16string, std::string> urls[] = {
        {u"C:\\Music\\Ana & Bo\\First\\01 - Song.mp3",
         "file://localhost/C:/Music/Ana%20%26%20Bo/First/01%20-%20Song.mp3"},
        {u"d:\\\u042D\u043A\u0441\u043F\u043E\u0440\u0442\\a:b#?%~_.x",
         "file://localhost/d:/%D0%AD%D0%BA%D1%81%D0%BF%D0%BE%D1%80%D1%82/a%3Ab%23%3F%25~_.x"},
        {u"/home/ana/M\u00FAsica/", "file:///home/ana/M%C3%BAsica/"},
        {u"C:\\\U0001F3B5\xD800.mp3", "file://localhost/C:/%F0%9F%8E%B5%EF%BF%BD.mp3"},
    };
    for (const auto& [path, url] : urls) {
        EXPECT_EQ(FileUrl(path), url);
    }
}

// The file is written as the tracks come, a part at a time, some parts
// empty: it is the file of all of them given at once, ids and playlists
// alike.
TEST(LibraryXml, TracksGivenInPartsWriteTheFileOfAllAtOnce) {
    std::vector<OneTrack> tracks(5);
    std::vector<LibraryTrack> entries;
    for (size_t i = 0; i < tracks.size(); ++i) {
        tracks[i].SetTitle(u"Song " + std::u16string(1, static_cast<char16_t>(u'A' + i)));
        entries.push_back({&tracks[i], u"C:\\Music\\" + tracks[i].GetTitle() + u".mp3", 100 + i});
    }
    const Playlist trip{u"Trip", PlaylistKind::Other, {&tracks[4], &tracks[0], &tracks[4]}};
    const auto written = [&](std::vector<LibraryTrack> first,
                             std::vector<std::vector<LibraryTrack>> parts) {
        std::string file;
        BlockWriter output([&file](std::string_view bytes) {
            file += bytes;
            return true;
        });
        size_t next = 0;
        const MoreLibraryTracks more = [&] {
            return next < parts.size() ? &parts[next++] : nullptr;
        };
        const Library library{u"C:\\Music\\", 7, CivilTime{2026, 1, 2, 3, 4, 5}, first, {&trip}};
        EXPECT_TRUE(WriteLibraryXml(
            library, [](const CivilTime& time) { return std::optional(time); }, output, more));
        return file;
    };
    const std::string whole = written(entries, {});
    EXPECT_NE(whole.find("<key>5</key>"), std::string::npos);
    EXPECT_EQ(written({entries[0]}, {{}, {entries[1], entries[2]}, {}, {entries[3], entries[4]}}),
              whole);
    EXPECT_EQ(written({}, {{entries[0], entries[1], entries[2], entries[3], entries[4]}}), whole);

    // A file that cannot be written asks for no more tracks.
    BlockWriter refusing([](std::string_view) { return false; }, 1);
    size_t asked = 0;
    const std::vector<LibraryTrack> part{entries[0]};
    const MoreLibraryTracks more = [&] { return ++asked < 3 ? &part : nullptr; };
    const Library library{u"C:\\Music\\", 7, CivilTime{}, {}, {}};
    EXPECT_FALSE(WriteLibraryXml(
        library, [](const CivilTime& time) { return std::optional(time); }, refusing, more));
    EXPECT_EQ(asked, 0u);
}

}  // namespace
