#include "core/itdbparser.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <set>
#include <tuple>
#include <vector>

#include "core/track_columns.h"
#include "itdb_builder.h"
#include "temp_dir.h"

namespace {

using itdb::Bytes;
using itdb::operator+;

struct ParseOutcome {
    int32_t result = 0;
    std::vector<OneTrack> tracks;
};

// Writes the database to a fresh file, parses it and copies out the tracks.
ParseOutcome ParseBytes(const Bytes& database, int32_t limit = -1) {
    TempDir dir;
    const std::string path = dir.File("iTunesDB");
    EXPECT_TRUE(itdb::WriteFile(path, database));
    ITDBParser parser(path);
    ParseOutcome outcome;
    outcome.result = parser.Parse(limit);
    for (parser.First(); parser.HasNext();) {
        outcome.tracks.push_back(*parser.Next());
    }
    return outcome;
}

itdb::TrackItemFields WithObjectCount(int32_t count) {
    itdb::TrackItemFields fields;
    fields.objectCount = count;
    return fields;
}

itdb::TrackItemFields WithHeaderLength(int32_t length) {
    itdb::TrackItemFields fields;
    fields.headerLength = length;
    return fields;
}

// A small valid track item whose title tells which one it is.
Bytes NamedTrack(const std::u16string& title, int32_t trackNumber = 1) {
    itdb::TrackItemFields fields;
    fields.trackNumber = trackNumber;
    return itdb::TrackItem(fields, {itdb::StringObject(1, title),
                                    itdb::StringObject(2, u":iPod_Control:Music:F00:A.mp3")});
}

std::vector<Bytes> NamedTracks(int count) {
    std::vector<Bytes> items;
    for (int i = 0; i < count; ++i) {
        items.push_back(NamedTrack(u"Track " + std::u16string(1, u'A' + i), i + 1));
    }
    return items;
}

std::vector<std::u16string> Titles(const ParseOutcome& outcome) {
    std::vector<std::u16string> titles;
    for (const OneTrack& track : outcome.tracks) {
        titles.push_back(track.GetTitle());
    }
    return titles;
}

Bytes SetInt32(Bytes bytes, size_t offset, int32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes.at(offset + i) = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    }
    return bytes;
}

TEST(ITDBParser, ReadsEveryFieldOfATrack) {
    itdb::TrackItemFields fields;
    fields.lengthMs = 187000;
    fields.trackNumber = 12;
    fields.bitRate = 192;
    fields.sampleRateRaw = (44100u << 16) | 0x1234;
    fields.mediaType = 32;
    const Bytes item = itdb::TrackItem(
        fields, {itdb::StringObject(1, u"\u041F\u0435\u0441\u043D\u044F"),
                 itdb::StringObject(2, u":iPod_Control:Music:F07:ABCD.m4v"),
                 itdb::StringObject(3, u"\u6D77\u306E\u58F0"), itdb::StringObject(4, u"Caf\u00E9"),
                 itdb::StringObject(6, u"MPEG-4 video file \u20AC\u0100")});
    const ParseOutcome outcome = ParseBytes(itdb::Database({itdb::TrackSet({item})}));

    ASSERT_EQ(outcome.result, 1);
    ASSERT_EQ(outcome.tracks.size(), 1u);
    const OneTrack& track = outcome.tracks[0];
    EXPECT_EQ(track.GetTitle(), u"\u041F\u0435\u0441\u043D\u044F");
    EXPECT_EQ(track.GetAlbum(), u"\u6D77\u306E\u58F0");
    EXPECT_EQ(track.GetArtist(), u"Caf\u00E9");
    EXPECT_EQ(track.GetPath(), "\\iPod_Control\\Music\\F07\\ABCD.m4v");
    EXPECT_EQ(track.GetFileType(), "MPEG-4 video file \x80?");
    EXPECT_EQ(track.GetLengthText(), "3:07");
    EXPECT_EQ(track.GetSeconds(), 187);
    EXPECT_EQ(track.GetTrackNumber(), 12);
    EXPECT_EQ(track.GetBitRate(), 192);
    EXPECT_EQ(track.GetSampleRate(), 44100);
    EXPECT_EQ(track.GetTrackType(), "Music Video");
}

TEST(ITDBParser, LengthIsUnsigned) {
    itdb::TrackItemFields fields;
    fields.lengthMs = 4294967295u;
    const Bytes item =
        itdb::TrackItem(fields, {itdb::OtherObject(50, 16), itdb::OtherObject(51, 16)});
    const ParseOutcome outcome = ParseBytes(itdb::Database({itdb::TrackSet({item})}));
    ASSERT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.tracks[0].GetLengthText(), "49d 17:02:47");
}

TEST(ITDBParser, FileThatCannotBeOpened) {
    TempDir dir;
    EXPECT_EQ(ITDBParser(dir.File("missing")).Parse(-1), -1);
    EXPECT_EQ(ITDBParser("").Parse(-1), -1);
    EXPECT_EQ(ITDBParser(dir.Path().string()).Parse(-1), -1);  // a folder
}

struct BrokenHeaderCase {
    const char* what;
    Bytes database;
};

TEST(ITDBParser, InvalidHeaderStructureGivesMinusOne) {
    const Bytes good = itdb::Database({itdb::TrackSet(NamedTracks(2))});
    const Bytes typeTwoOnly = itdb::Database({itdb::OtherSet(2), itdb::OtherSet(3)});
    const Bytes playlistFirst = itdb::Database({itdb::OtherSet(2), itdb::TrackSet(NamedTracks(1))});
    // Offsets: mhbd header 104, mhsd header 96, so mhlt starts at 200.
    const BrokenHeaderCase cases[] = {
        {"empty file", {}},
        {"shorter than the header fields", Bytes(good.begin(), good.begin() + 10)},
        {"first tag not mhbd", SetInt32(good, 0, 0x6462686E)},
        {"total length one short", SetInt32(good, 8, static_cast<int32_t>(good.size()) - 1)},
        {"total length one long", SetInt32(good, 8, static_cast<int32_t>(good.size()) + 1)},
        {"trailing byte", good + Bytes{0}},
        {"no data set of type 1", typeTwoOnly},
        {"data set tag wrong", SetInt32(good, 104, 0x6473686E)},
        {"first set pointing past the file", SetInt32(playlistFirst, 104 + 8, 0x7FFFFFF0)},
        {"type-1 set without mhlt", SetInt32(good, 200, 0x746C686E)},
        {"mhlt cut short",
         itdb::Database({itdb::DataSet(1, Bytes{'m', 'h', 'l', 't', 92, 0, 0, 0})})},
        {"set of another type with total length 0", SetInt32(playlistFirst, 104 + 8, 0)},
        {"set of another type with negative total length", SetInt32(playlistFirst, 104 + 8, -96)},
        {"negative database header length", SetInt32(good, 4, -4)},
        {"negative data set header length", SetInt32(good, 104 + 4, -8)},
        {"negative track list header length", SetInt32(good, 200 + 4, -100)},
        {"database header length past the end", SetInt32(good, 4, 0x7FFFFFFF)},
    };
    for (const BrokenHeaderCase& c : cases) {
        EXPECT_EQ(ParseBytes(c.database).result, -1) << c.what;
    }
}

TEST(ITDBParser, DeclaredTrackCountOfZeroOrLess) {
    EXPECT_EQ(ParseBytes(itdb::Database({itdb::TrackSet({}, 0)})).result, 0);
    EXPECT_EQ(ParseBytes(itdb::Database({itdb::TrackSet(NamedTracks(2), 0)})).result, 0);
    const ParseOutcome negative = ParseBytes(itdb::Database({itdb::TrackSet(NamedTracks(2), -3)}));
    EXPECT_EQ(negative.result, -3);
    EXPECT_TRUE(negative.tracks.empty());
}

TEST(ITDBParser, LimitTakesTheFirstTracksInFileOrder) {
    const Bytes database = itdb::Database({itdb::TrackSet(NamedTracks(10))});
    const ParseOutcome three = ParseBytes(database, 3);
    EXPECT_EQ(three.result, 3);
    EXPECT_EQ(Titles(three), (std::vector<std::u16string>{u"Track A", u"Track B", u"Track C"}));
    EXPECT_EQ(ParseBytes(database, -1).result, 10);
    EXPECT_EQ(ParseBytes(database, -100).result, 10);
    EXPECT_EQ(ParseBytes(database, 10).result, 10);
    EXPECT_EQ(ParseBytes(database, 2147483647).result, 10);
    const ParseOutcome none = ParseBytes(database, 0);
    EXPECT_EQ(none.result, 0);
    EXPECT_TRUE(none.tracks.empty());
}

TEST(ITDBParser, TracksFollowTheDeclaredCountNotTheFile) {
    // Items beyond the declared count are never read.
    const ParseOutcome fewer = ParseBytes(itdb::Database({itdb::TrackSet(NamedTracks(5), 2)}));
    EXPECT_EQ(fewer.result, 2);
    // A count larger than the items present ends at the first missing item.
    const ParseOutcome more =
        ParseBytes(itdb::Database({itdb::TrackSet(NamedTracks(3), 2147483647)}));
    EXPECT_EQ(more.result, 3);
}

TEST(ITDBParser, DataSetsOfOtherTypesBeforeTheTrackSetArePassedOver) {
    const Bytes database = itdb::Database({itdb::OtherSet(2, 300), itdb::OtherSet(-7, 0),
                                           itdb::TrackSet(NamedTracks(2)), itdb::OtherSet(3, 50)});
    const ParseOutcome outcome = ParseBytes(database);
    EXPECT_EQ(outcome.result, 2);
    EXPECT_EQ(Titles(outcome), (std::vector<std::u16string>{u"Track A", u"Track B"}));
}

TEST(ITDBParser, OnlyTheFirstTrackSetIsRead) {
    const Bytes database = itdb::Database(
        {itdb::TrackSet({NamedTrack(u"first")}), itdb::TrackSet({NamedTrack(u"second")})});
    EXPECT_EQ(Titles(ParseBytes(database)), std::vector<std::u16string>{u"first"});
}

TEST(ITDBParser, HeaderLengthsPlaceTheNextChunk) {
    // Longer headers than usual, with the track list after extra header bytes.
    const Bytes list = itdb::TrackListHeader(1, 200) + NamedTrack(u"far");
    const Bytes database = itdb::Database({itdb::DataSet(1, list, 300)}, 500);
    EXPECT_EQ(Titles(ParseBytes(database)), std::vector<std::u16string>{u"far"});
}

TEST(ITDBParser, FailingTrackKeepsTheTracksBeforeIt) {
    const Bytes declaresOneObject =
        itdb::TrackItem(WithObjectCount(1), {itdb::StringObject(1, u"x")});
    Bytes wrongTag = NamedTrack(u"bad");
    wrongTag[3] = 'X';
    const Bytes objectWithoutMhod =
        itdb::TrackItem({}, {itdb::StringObject(1, u"x"), Bytes(40, 'z')});
    const Bytes stringCutShort = itdb::TrackItem(
        {}, {itdb::RawStringObject(1, 1000, Bytes(10, 'a')), itdb::StringObject(2, u"y")});

    const std::pair<const char*, Bytes> failures[] = {
        {"one data object", declaresOneObject},
        {"zero data objects", itdb::TrackItem(WithObjectCount(0), {})},
        {"negative data objects", itdb::TrackItem(WithObjectCount(-1), {})},
        {"wrong item tag", wrongTag},
        {"object without mhod", objectWithoutMhod},
        {"string longer than the file", stringCutShort},
        {"negative string length",
         itdb::TrackItem({}, {itdb::RawStringObject(1, -2, {}), itdb::StringObject(2, u"y")})},
        {"skipped object of total length 0",
         itdb::TrackItem({}, {itdb::OtherObject(5, 0), itdb::OtherObject(5, 0)})},
        {"skipped object of negative total length",
         itdb::TrackItem({}, {itdb::OtherObject(5, -16), itdb::OtherObject(5, 16)})},
        {"negative item header length", itdb::TrackItem(WithHeaderLength(-4), {})},
        {"string beyond the longest text kept and the file",
         itdb::TrackItem({}, {itdb::RawStringObject(2, 100 << 20, Bytes(70000, 'a')),
                              itdb::StringObject(1, u"y")})},
    };
    for (const auto& [what, badItem] : failures) {
        const Bytes database = itdb::Database({itdb::TrackSet(
            {NamedTrack(u"one"), NamedTrack(u"two"), badItem, NamedTrack(u"four")})});
        const ParseOutcome outcome = ParseBytes(database);
        EXPECT_EQ(outcome.result, 2) << what;
        EXPECT_EQ(Titles(outcome), (std::vector<std::u16string>{u"one", u"two"})) << what;

        const Bytes badFirst = itdb::Database({itdb::TrackSet({badItem, NamedTrack(u"two")})});
        EXPECT_EQ(ParseBytes(badFirst).result, 0) << what << " as the first track";
    }
}

TEST(ITDBParser, TruncatedFileYieldsTheCompleteTracks) {
    // The total length is made to match, so only the track walk notices.
    const Bytes full = itdb::Database({itdb::TrackSet(NamedTracks(5))});
    const size_t trackSize = NamedTracks(1)[0].size();
    const size_t cut = 104 + 96 + 92 + 2 * trackSize + trackSize / 2;
    Bytes truncated(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
    truncated = SetInt32(truncated, 8, static_cast<int32_t>(cut));
    EXPECT_EQ(ParseBytes(truncated).result, 2);
}

TEST(ITDBParser, DataObjectsOfOtherTypesArePassedOverByTheirLength) {
    for (const uint32_t type : {0u, 5u, 7u, 100u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        itdb::TrackItemFields fields;
        fields.trackNumber = 3;
        const Bytes item = itdb::TrackItem(
            fields, {itdb::StringObject(1, u"kept"), itdb::OtherObject(type, 77),
                     itdb::OtherObject(type, 16), itdb::StringObject(4, u"artist")});
        const ParseOutcome outcome = ParseBytes(itdb::Database({itdb::TrackSet({item})}));
        ASSERT_EQ(outcome.result, 1) << type;
        EXPECT_EQ(outcome.tracks[0].GetTitle(), u"kept") << type;
        EXPECT_EQ(outcome.tracks[0].GetArtist(), u"artist") << type;
        EXPECT_EQ(outcome.tracks[0].GetAlbum(), u"") << type;
    }
}

TEST(ITDBParser, StringObjectsIgnoreTheirTotalLength) {
    Bytes title = itdb::StringObject(1, u"title");
    title = SetInt32(title, 8, 9999);  // a wrong total length is not consulted
    const Bytes item = itdb::TrackItem({}, {title, itdb::StringObject(3, u"album")});
    const ParseOutcome outcome = ParseBytes(itdb::Database({itdb::TrackSet({item})}));
    ASSERT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.tracks[0].GetAlbum(), u"album");
}

TEST(ITDBParser, MissingObjectsKeepTheDefaults) {
    const Bytes item =
        itdb::TrackItem({}, {itdb::StringObject(4, u"a"), itdb::StringObject(3, u"b")});
    const ParseOutcome outcome = ParseBytes(itdb::Database({itdb::TrackSet({item})}));
    ASSERT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.tracks[0].GetTitle(), u"");
    EXPECT_EQ(outcome.tracks[0].GetPath(), "");
    EXPECT_EQ(outcome.tracks[0].GetFileType(), "");
}

// A title and a location longer than the reader keeps, one odd in length.
Bytes LongTextsTrack() {
    return itdb::TrackItem(
        {}, {itdb::StringObject(1, std::u16string(40000, u'\u00E9')),
             itdb::RawStringObject(2, 300001, Bytes(300001, ':')), itdb::StringObject(4, u"x")});
}

TEST(ITDBParser, EmptyAndOddLengthStrings) {
    const Bytes oddTitle = itdb::RawStringObject(1, 5, Bytes{'a', 0, 'b', 0, 'c'});
    const Bytes item = itdb::TrackItem(
        {}, {itdb::StringObject(3, u""), oddTitle, itdb::StringObject(4, u"next"),
             itdb::RawStringObject(6, 1, Bytes{'Z'}), itdb::StringObject(2, u":a:b")});
    const ParseOutcome outcome = ParseBytes(itdb::Database({itdb::TrackSet({item})}));
    ASSERT_EQ(outcome.result, 1);
    const OneTrack& track = outcome.tracks[0];
    EXPECT_EQ(track.GetAlbum(), u"");
    EXPECT_EQ(track.GetTitle(), u"ab");
    EXPECT_EQ(track.GetArtist(), u"next");
    EXPECT_EQ(track.GetFileType(), "");
    EXPECT_EQ(track.GetPath(), "\\a\\b");

    const ParseOutcome longTexts = ParseBytes(itdb::Database({itdb::TrackSet({LongTextsTrack()})}));
    ASSERT_EQ(longTexts.result, 1);
    EXPECT_EQ(longTexts.tracks[0].GetTitle(),
              std::u16string(ITDBParser::kLongestText / 2, u'\u00E9'));
    EXPECT_EQ(longTexts.tracks[0].GetPath().size(), ITDBParser::kLongestText / 2u);
    EXPECT_EQ(longTexts.tracks[0].GetArtist(), u"x");
}

TEST(ITDBParser, OddStringsLastByteMustBeThereAlthoughItIsNotKept) {
    const Bytes lastByteMissing = itdb::TrackItem(
        {}, {itdb::StringObject(1, u"x"), itdb::RawStringObject(4, 5, Bytes{'a', 0, 'b', 0})});
    const Bytes database = itdb::Database({itdb::TrackSet({NamedTrack(u"one"), lastByteMissing})});
    EXPECT_EQ(ParseBytes(database).result, 1);
    EXPECT_EQ(ParseBytes(itdb::CompressedDatabase(database)).result, 1);
}

TEST(ITDBParser, EmbeddedNulKeepsWideTextButEndsNarrowText) {
    const std::u16string withNul(u"ab\0cd", 5);
    const Bytes item =
        itdb::TrackItem({}, {itdb::StringObject(1, withNul), itdb::StringObject(6, withNul)});
    const ParseOutcome outcome = ParseBytes(itdb::Database({itdb::TrackSet({item})}));
    ASSERT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.tracks[0].GetTitle(), withNul);
    EXPECT_EQ(outcome.tracks[0].GetFileType(), "ab");
}

TEST(ITDBParser, ShortItemHeaderStillFindsItsObjects) {
    // With a 156-byte header the first object starts at 156, and the media
    // type at item offset 208 is read from that object's offset 52: the
    // seventh and eighth code units of its text, here 32 and 0.
    itdb::TrackItemFields fields;
    fields.headerLength = 156;
    fields.trackNumber = 9;
    fields.bitRate = 128;
    const std::u16string title(u"abcdef\x0020\0", 8);
    const Bytes item =
        itdb::TrackItem(fields, {itdb::StringObject(1, title), itdb::StringObject(4, u"who")});
    const ParseOutcome outcome = ParseBytes(itdb::Database({itdb::TrackSet({item})}));
    ASSERT_EQ(outcome.result, 1);
    const OneTrack& track = outcome.tracks[0];
    EXPECT_EQ(track.GetTitle(), title);
    EXPECT_EQ(track.GetArtist(), u"who");
    EXPECT_EQ(track.GetTrackNumber(), 9);
    EXPECT_EQ(track.GetBitRate(), 128);
    EXPECT_EQ(track.GetTrackType(), "Music Video");
}

TEST(ITDBParser, ParseAppendsAndTheCursorWalksInFileOrder) {
    TempDir dir;
    const std::string path = dir.File("iTunesDB");
    ASSERT_TRUE(itdb::WriteFile(path, itdb::Database({itdb::TrackSet(NamedTracks(3))})));
    ITDBParser parser(path);
    parser.First();
    EXPECT_FALSE(parser.HasNext());
    ASSERT_EQ(parser.Parse(2), 2);
    ASSERT_EQ(parser.Parse(-1), 3);
    std::vector<std::u16string> titles;
    for (parser.First(); parser.HasNext();) {
        titles.push_back(parser.Next()->GetTitle());
    }
    EXPECT_EQ(titles, (std::vector<std::u16string>{u"Track A", u"Track B", u"Track A", u"Track B",
                                                   u"Track C"}));
}

// What the player knows of a track ------------------------------------------------

// The texts of the list's extra columns, '|' between them.
std::u16string ExtraTexts(const OneTrack& track) {
    std::u16string texts;
    for (const TrackColumnId id : ExtraColumns()) {
        texts += id == ExtraColumns().front() ? u"" : u"|";
        texts += ColumnOf(id).Text(track);
    }
    return texts;
}

Bytes WithTotalLength(Bytes object, int32_t totalLength) {
    object.resize(static_cast<size_t>(totalLength), 0);
    return SetInt32(object, 8, totalLength);
}

TEST(ITDBParser, ReadsWhatThePlayerKnowsAsTheColumnsShowIt) {
    // Genre|Year|Composer|Disc|Rating|Plays|Skips|Last Played|Date Added|Size|Comment
    const struct {
        const char* what;
        itdb::TrackItemFields fields;
        std::vector<Bytes> objects;
        std::u16string expected;
    } cases[] = {
        {"nothing known", {}, {}, u"|||||0|0|||0.0 MB|"},
        {"every field at its largest",
         {.rating = 255,
          .sizeBytes = 0xFFFFFFFF,
          .year = 0xFFFFFFFF,
          .playCount = 0xFFFFFFFF,
          .lastPlayed = 0xFFFFFFFF,
          .discNumber = 0xFFFFFFFF,
          .discCount = 0xFFFFFFFF,
          .dateAdded = 1,
          .skipCount = 0xFFFFFFFF},
         {},
         u"|4294967295||4294967295/4294967295|\u2605\u2605\u2605\u2605\u2605|4294967295|"
         u"4294967295|2040-02-06 06:28|1904-01-01 00:00|4096.0 MB|"},
        {"ratings between stars, dates before 1970 and after 2038",
         {.rating = 59,
          .sizeBytes = 4404019,
          .year = 1999,
          .playCount = 12,
          .lastPlayed = 1465994096,
          .discNumber = 1,
          .dateAdded = 4265672767,
          .skipCount = 3},
         {},
         u"|1999||1|\u2605\u2605|12|3|1950-06-15 12:34|2039-03-04 05:06|4.2 MB|"},
        {"no star below 20, a disc without a number, sizes rounded",
         {.rating = 19, .sizeBytes = 52429, .discCount = 5, .dateAdded = 3792038700},
         {},
         u"|||||0|0||2024-02-29 08:05|0.1 MB|"},
        {"texts with control characters",
         {.sizeBytes = 52428},
         {itdb::StringObject(5, u"Hip\r\nHop"),
          itdb::StringObject(12, u"\u041F\u0451\u0442\u0440\t"),
          itdb::StringObject(8, u"one\r\ntwo\x7F\x85\x1F\u00A0end")},
         u"Hip  Hop||\u041F\u0451\u0442\u0440 |||0|0|||0.0 MB|one  two   \u00A0end"},
        {"texts whose objects are longer than their text",
         {},
         {WithTotalLength(itdb::StringObject(5, u"Jazz"), 60), itdb::StringObject(8, u"next")},
         u"Jazz|||||0|0|||0.0 MB|next"},
        {"text objects without their text inside are passed over",
         {},
         {itdb::RawStringObject(5, 1000, Bytes{'a', 0, 'b', 0}), itdb::OtherObject(12, 24),
          itdb::StringObject(8, u"next")},
         u"|||||0|0|||0.0 MB|next"},
        {"a short header ending before the skips",
         {.headerLength = 0x9C, .playCount = 7, .discNumber = 2, .discCount = 2, .skipCount = 9},
         {},
         u"|||2/2||7|0|||0.0 MB|"},
        {"a header ending after the rating",
         {.headerLength = 0x20, .rating = 40, .dateModified = 5, .sizeBytes = 2 << 20},
         {},
         u"||||\u2605\u2605|0|0|||0.0 MB|"},
    };
    for (const auto& c : cases) {
        std::vector<Bytes> objects = {itdb::StringObject(1, u"title"),
                                      itdb::StringObject(2, u":a")};
        objects.insert(objects.end(), c.objects.begin(), c.objects.end());
        const Bytes database = itdb::Database(
            {itdb::TrackSet({itdb::TrackItem(c.fields, objects), NamedTrack(u"b")})});
        for (const Bytes& form : {database, itdb::CompressedDatabase(database)}) {
            const ParseOutcome outcome = ParseBytes(form);
            ASSERT_EQ(outcome.result, 2) << c.what;
            EXPECT_EQ(ExtraTexts(outcome.tracks[0]), c.expected) << c.what;
            EXPECT_EQ(outcome.tracks[0].GetTitle(), u"title") << c.what;
        }
    }
}

// Compressed databases ----------------------------------------------------------

// Everything a read gives of a track, for comparing two reads.
auto Everything(const OneTrack& track) {
    return std::make_tuple(track.GetTitle(), track.GetArtist(), track.GetAlbum(),
                           track.GetLengthText(), track.GetTrackType(), track.GetFileType(),
                           track.GetPath(), track.GetSeconds(), track.GetBitRate(),
                           track.GetSampleRate(), track.GetTrackNumber());
}

void ExpectSameRead(const ParseOutcome& actual, const ParseOutcome& expected) {
    EXPECT_EQ(actual.result, expected.result);
    ASSERT_EQ(actual.tracks.size(), expected.tracks.size());
    for (size_t i = 0; i < actual.tracks.size(); ++i) {
        EXPECT_EQ(Everything(actual.tracks[i]), Everything(expected.tracks[i])) << "track " << i;
    }
}

// Many tracks of different sizes with 156-byte item headers: some item
// straddles every refill of the reader's buffer, and each moves back.
Bytes ManyShortHeaderTracks() {
    std::vector<Bytes> items;
    for (int i = 0; i < 600; ++i) {
        itdb::TrackItemFields fields = WithHeaderLength(156);
        fields.trackNumber = i;
        items.push_back(itdb::TrackItem(
            fields, {itdb::StringObject(1, std::u16string(static_cast<size_t>(i % 97), u'x')),
                     itdb::OtherObject(9, 20 + i % 13)}));
    }
    return itdb::Database({itdb::TrackSet(items)});
}

struct NamedDatabase {
    const char* what;
    Bytes database;
};

std::vector<NamedDatabase> DatabasesOfEveryShape() {
    const Bytes longTitle = itdb::TrackItem(
        {}, {itdb::StringObject(1, std::u16string(150000, u'\u00E9')), itdb::OtherObject(8, 300000),
             itdb::StringObject(6, u"MPEG audio file")});
    const Bytes oneObject = itdb::TrackItem(WithObjectCount(1), {itdb::StringObject(1, u"x")});
    return {
        {"realistic", itdb::RealisticDatabase({{u"A", u"B", u"C", u":a:b.mp3", u"MPEG audio file",
                                                187000, 3, 192, 44100, 32}})},
        {"short item headers across buffer refills", ManyShortHeaderTracks()},
        {"strings and skips longer than a buffer",
         itdb::Database({itdb::OtherSet(2, 500000), itdb::TrackSet({longTitle, NamedTrack(u"b")}),
                         itdb::OtherSet(3, 100)})},
        {"failing third track",
         itdb::Database({itdb::TrackSet(
             {NamedTrack(u"one"), NamedTrack(u"two"), oneObject, NamedTrack(u"four")})})},
        {"declares more tracks than it holds", itdb::Database({itdb::TrackSet(NamedTracks(4), 9)})},
        {"declares no track", itdb::Database({itdb::TrackSet(NamedTracks(2), 0)})},
        {"no track set", itdb::Database({itdb::OtherSet(2), itdb::OtherSet(3)})},
        {"nothing after the header", itdb::Database({})},
        {"header long enough for the compression flag",
         itdb::Database({itdb::TrackSet(NamedTracks(3))}, 244)},
        {"texts beyond the longest kept", itdb::Database({itdb::TrackSet({LongTextsTrack()})})},
    };
}

TEST(ITDBParser, CompressedFormReadsLikeTheOrdinaryOne) {
    for (const auto& [what, database] : DatabasesOfEveryShape()) {
        for (const int32_t limit : {-1, 2}) {
            SCOPED_TRACE(std::string(what) + ", limit " + std::to_string(limit));
            const ParseOutcome ordinary = ParseBytes(database, limit);
            ExpectSameRead(ParseBytes(itdb::CompressedDatabase(database), limit), ordinary);
            ExpectSameRead(ParseBytes(itdb::CompressedDatabase(database, 9), limit), ordinary);
        }
    }
}

// What zlib inflates from a stream before it ends, breaks or fails its check.
Bytes GoodInflatedPrefix(const Bytes& stream) {
    Bytes inflated(1 << 20);
    z_stream zlib{};
    inflateInit(&zlib);
    zlib.next_in = const_cast<Bytes::value_type*>(stream.data());
    zlib.avail_in = static_cast<uInt>(stream.size());
    zlib.next_out = inflated.data();
    zlib.avail_out = static_cast<uInt>(inflated.size());
    while (inflate(&zlib, Z_NO_FLUSH) == Z_OK && zlib.avail_out > 0) {
    }
    inflated.resize(zlib.total_out);
    inflateEnd(&zlib);
    return inflated;
}

TEST(ITDBParser, CutOrDamagedStreamReadsLikeAFileEndingAtItsLastGoodByte) {
    const Bytes database = itdb::Database({itdb::TrackSet(NamedTracks(20))});
    const Bytes compressed = itdb::CompressedDatabase(database);
    const Bytes header(compressed.begin(), compressed.begin() + 104);
    const Bytes stream(compressed.begin() + 104, compressed.end());

    std::vector<std::pair<std::string, Bytes>> streams;
    for (const size_t kept : {size_t{0}, size_t{1}, size_t{2}, size_t{7}, stream.size() / 4,
                              stream.size() / 2, stream.size() * 3 / 4, stream.size() - 4}) {
        streams.emplace_back("cut to " + std::to_string(kept) + " bytes",
                             Bytes(stream.begin(), stream.begin() + kept));
    }
    for (const size_t at :
         {size_t{3}, stream.size() / 3, stream.size() * 2 / 3, stream.size() - 3}) {
        Bytes damaged = stream;
        damaged[at] ^= 0x5A;
        streams.emplace_back("damaged at " + std::to_string(at), damaged);
    }
    streams.emplace_back("bytes after its end", stream + Bytes(300, 0xEE));

    std::set<int32_t> results;
    for (const auto& [what, changed] : streams) {
        SCOPED_TRACE(what);
        const Bytes cutFile = header + GoodInflatedPrefix(changed);
        const ParseOutcome expected =
            ParseBytes(SetInt32(cutFile, 8, static_cast<int32_t>(cutFile.size())));
        const Bytes file = header + changed;
        ExpectSameRead(ParseBytes(SetInt32(file, 8, static_cast<int32_t>(file.size()))), expected);
        results.insert(expected.result);
    }
    EXPECT_GE(results.size(), 4u);  // the cuts fell before, among and after the tracks
}

// A few megabytes that inflate to more tracks than memory should hold: the
// reader keeps tracks up to its budget and counts them.
TEST(ITDBParser, TracksBeyondTheMemoryBudgetAreNotRead) {
    const Bytes minimalTrack = itdb::TrackItem(
        WithHeaderLength(212), {itdb::OtherObject(9, 16), itdb::OtherObject(9, 16)});
    const int64_t fitting = static_cast<int64_t>(ITDBParser::kMemoryBudget / sizeof(OneTrack));
    const Bytes bomb = itdb::CompressedRepeatedTracks(minimalTrack, fitting + 1000, 0x7FFFFFFF);
    EXPECT_LT(bomb.size(), 4u << 20);
    // In a player's folder, beside the plays since the last sync: they would
    // need more memory again, and are left out.
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "iPod_Control/iTunes");
    const std::string path = dir.File("iPod_Control/iTunes/iTunesCDB");
    ASSERT_TRUE(itdb::WriteFile(path, bomb));
    ASSERT_TRUE(itdb::WriteFile(dir.File("iPod_Control/iTunes/Play Counts"),
                                itdb::PlayCountsFile({{5, 0}})));
    ITDBParser parser(path);
    const int32_t read = parser.Parse(-1);
    EXPECT_GT(read, fitting / 2);
    EXPECT_LT(read, fitting);
    parser.First();
    EXPECT_EQ(parser.Next()->GetPlayCount(), 0u);
    int32_t walked = 0;
    for (parser.First(); parser.HasNext(); parser.Next()) {
        ++walked;
    }
    EXPECT_EQ(walked, read);
}

TEST(ITDBParser, CompressedFormIsToldByContent) {
    const Bytes database = itdb::Database({itdb::TrackSet(NamedTracks(3))}, 244);
    Bytes flagged = database;
    flagged[0xA8] = 1;  // a flag that says compressed does not make it so
    EXPECT_EQ(ParseBytes(flagged).result, 3);
    Bytes unflagged = itdb::CompressedDatabase(database);
    unflagged[0xA8] = 0;  // nor does a flag that says not
    EXPECT_EQ(ParseBytes(unflagged).result, 3);
    // A stream that needs a preset dictionary inflates to nothing.
    Bytes dictionary = itdb::CompressedDatabase(database);
    dictionary[244 + 1] = 0xBB;
    EXPECT_EQ(ParseBytes(dictionary).result, -1);
}

TEST(ITDBParser, ToInt32IsLittleEndianAndSigned) {
    const uint8_t one[4] = {1, 0, 0, 0};
    const uint8_t mixed[4] = {0x78, 0x56, 0x34, 0x12};
    const uint8_t minusOne[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    const uint8_t lowest[4] = {0, 0, 0, 0x80};
    EXPECT_EQ(ITDBParser::ToInt32(one), 1);
    EXPECT_EQ(ITDBParser::ToInt32(mixed), 0x12345678);
    EXPECT_EQ(ITDBParser::ToInt32(minusOne), -1);
    EXPECT_EQ(ITDBParser::ToInt32(lowest), INT32_MIN);
}

}  // namespace
