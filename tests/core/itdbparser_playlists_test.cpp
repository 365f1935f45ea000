// The reader's playlists, read from generated databases in both forms; and
// what a player recorded since its last sync, in files beside its database.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/itdbparser.h"
#include "itdb_builder.h"
#include "temp_dir.h"

namespace {

using itdb::Bytes;
using itdb::operator+;
using itdb::EntryFields;
using itdb::PlaylistEntry;
using itdb::PlaylistItem;
using itdb::PlaylistSet;
using itdb::PositionPlace;
using itdb::StringObject;

// The tracks of every case: A, B, C, D with ids 10, 20, 30, 40.
Bytes FourTracks() {
    std::vector<Bytes> items;
    for (int i = 0; i < 4; ++i) {
        itdb::TrackItemFields fields;
        fields.trackId = static_cast<uint32_t>(10 * (i + 1));
        items.push_back(itdb::TrackItem(
            fields, {StringObject(1, std::u16string(1, u'A' + i)), StringObject(2, u":a.mp3")}));
    }
    return itdb::TrackSet(items);
}

Bytes Entry(uint32_t trackId, int32_t position, PositionPlace place = PositionPlace::Inside) {
    return PlaylistEntry({trackId, position, place});
}

// A playlist of the given kind named `name` with entries for these ids at
// positions 1, 2, ...
Bytes List(std::u16string name, const std::vector<uint32_t>& ids, itdb::PlaylistFields fields = {},
           std::vector<Bytes> objects = {}) {
    std::vector<Bytes> children = {StringObject(1, name)};
    children.insert(children.end(), objects.begin(), objects.end());
    int32_t position = 0;
    for (const uint32_t id : ids) {
        children.push_back(Entry(id, ++position));
    }
    return PlaylistItem(fields, children);
}

Bytes Library() {
    return List(u"iPod", {10, 20, 30, 40}, {true, false});
}

Bytes Podcasts(std::u16string name, const std::vector<uint32_t>& ids) {
    return List(std::move(name), ids, {false, true});
}

Bytes Smart(std::u16string name, const std::vector<uint32_t>& ids) {
    return List(std::move(name), ids, {}, {itdb::OtherObject(50, 132), itdb::OtherObject(51, 216)});
}

Bytes WithTracks(const std::vector<Bytes>& setsAfterTracks) {
    std::vector<Bytes> sets = {FourTracks()};
    sets.insert(sets.end(), setsAfterTracks.begin(), setsAfterTracks.end());
    return itdb::Database(sets);
}

Bytes SetInt32(Bytes bytes, size_t offset, int32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes.at(offset + i) = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    }
    return bytes;
}

// Each playlist as "name|kind|member indexes", the indexes in file order of
// the tracks read; the name in ASCII.
struct Read {
    int32_t result = 0;
    std::vector<std::string> playlists;
    // Each track as "plays/last played/rating/skips".
    std::vector<std::string> tracks;
};

Read ParseFile(const std::string& path, int32_t limit);

Read ParseBytes(const Bytes& database, int32_t limit) {
    TempDir dir;
    const std::string path = dir.File("iTunesDB");
    EXPECT_TRUE(itdb::WriteFile(path, database));
    return ParseFile(path, limit);
}

Read ParseFile(const std::string& path, int32_t limit) {
    ITDBParser parser(path);
    Read read;
    read.result = parser.Parse(limit);
    std::map<const OneTrack*, size_t> indexes;
    for (parser.First(); parser.HasNext();) {
        indexes.emplace(parser.Next(), indexes.size());
    }
    for (const Playlist& playlist : parser.Playlists()) {
        std::string text(playlist.Name.begin(), playlist.Name.end());
        text += std::string("|") + "MPSN"[static_cast<int>(playlist.Kind)] + "|";
        for (const OneTrack* member : playlist.Members) {
            text += std::to_string(indexes.at(member)) + ",";
        }
        read.playlists.push_back(text);
    }
    for (parser.First(); parser.HasNext();) {
        const OneTrack& track = *parser.Next();
        read.tracks.push_back(
            std::to_string(track.GetPlayCount()) + "/" + std::to_string(track.GetLastPlayed()) +
            "/" + std::to_string(track.GetRating()) + "/" + std::to_string(track.GetSkipCount()));
    }
    return read;
}

struct PlaylistCase {
    const char* what;
    Bytes database;
    std::vector<std::string> expected;
    int32_t limit = -1;
};

std::vector<PlaylistCase> Cases() {
    const Bytes everyKind = PlaylistSet(
        2, {Library(), List(u"Mix", {30, 10}), Smart(u"Top", {20}), Podcasts(u"Casts", {40, 30})});
    const Bytes grouped = PlaylistSet(
        3, {Library(),
            PlaylistItem({false, true}, {StringObject(1, u"Casts"),
                                         PlaylistEntry({40, 1, PositionPlace::Inside, true}),
                                         Entry(40, 2), Entry(30, 3)})});
    const Bytes secondBroken = [] {
        Bytes list = List(u"Broken", {20, 30});
        list[list.size() - 44 - 76] = 'X';  // the last entry's tag
        return PlaylistSet(2, {List(u"Good", {10}), list, List(u"After", {40})});
    }();
    std::vector<Bytes> sameNames(ITDBParser::kMostPlaylists + 1, List(u"Same", {10}));
    return {
        {"no more playlists than the most kept",
         WithTracks({PlaylistSet(2, sameNames), PlaylistSet(3, {List(u"Later", {})})}),
         std::vector<std::string>(ITDBParser::kMostPlaylists, "Same|N|0,")},
        {"every kind in file order", WithTracks({everyKind}),
         {"iPod|M|0,1,2,3,", "Mix|N|2,0,", "Top|S|1,", "Casts|P|3,2,"}},
        {"the grouped set before the plain one",
         WithTracks({grouped, PlaylistSet(2, {List(u"Plain", {10})})}),
         {"iPod|M|0,1,2,3,", "Casts|P|3,2,"}},
        {"the grouped set after the plain one",
         WithTracks({PlaylistSet(2, {List(u"Plain", {10})}), itdb::OtherSet(5, 30), grouped}),
         {"iPod|M|0,1,2,3,", "Casts|P|3,2,"}},
        {"only the plain set, between sets of other types",
         WithTracks({itdb::OtherSet(4, 70), PlaylistSet(2, {List(u"Plain", {10})}),
                     itdb::OtherSet(5, 30)}),
         {"Plain|N|0,"}},
        {"a track twice, an empty list, an unnamed list",
         WithTracks({PlaylistSet(2, {List(u"Twice", {20, 10, 20}), List(u"Empty", {}),
                                     PlaylistItem({}, {Entry(30, 1)})})}),
         {"Twice|N|1,0,1,", "Empty|N|", "|N|2,"}},
        {"ids of no track read are left out", WithTracks({PlaylistSet(2, {List(u"L", {10, 999, 40, 0, 30})})}),
         {"L|N|0,3,2,"}},
        {"ids beyond the track limit are left out",
         WithTracks({PlaylistSet(2, {List(u"L", {40, 10, 30, 20})})}), {"L|N|0,1,"}, 2},
        {"order by position, equal positions in file order",
         WithTracks({PlaylistSet(2, {PlaylistItem({}, {StringObject(1, u"P"), Entry(10, 7), Entry(20, 3),
                                                   Entry(30, 7), Entry(40, -1)})})}),
         {"P|N|3,1,0,2,"}},
        {"position objects after their entries",
         WithTracks({PlaylistSet(2, {PlaylistItem({}, {StringObject(1, u"Old"),
                                                   Entry(10, 3, PositionPlace::After),
                                                   Entry(20, 2, PositionPlace::After),
                                                   Entry(999, 0, PositionPlace::After),
                                                   Entry(30, 1, PositionPlace::After)})})}),
         {"Old|N|2,1,0,"}},
        {"entries without position keep file order",
         WithTracks({PlaylistSet(2, {PlaylistItem({}, {StringObject(1, u"N"),
                                                   Entry(20, 5, PositionPlace::None),
                                                   Entry(10, 5, PositionPlace::None)})})}),
         {"N|N|1,0,"}},
        {"the name is the first title object before the entries",
         WithTracks({PlaylistSet(2, {PlaylistItem({}, {itdb::OtherObject(100, 288), StringObject(1, u"First"),
                                                   StringObject(1, u"Second"), Entry(10, 1),
                                                   StringObject(1, u"Late")})})}),
         {"First|N|0,"}},
        {"playlist sets before the track set are not read",
         itdb::Database({PlaylistSet(2, {List(u"Before", {10})}), FourTracks()}), {}},
        {"damage in an entry keeps the playlists before it", WithTracks({secondBroken}),
         {"Good|N|0,"}},
        {"fewer playlists than declared",
         WithTracks({PlaylistSet(2, {List(u"One", {10}), List(u"Two", {20})}, 5)}),
         {"One|N|0,", "Two|N|1,"}},
        {"a playlist reaching past its set",
         WithTracks({SetInt32(PlaylistSet(2, {List(u"One", {10}), List(u"Two", {20})}),
                              96 + 92 + List(u"One", {10}).size() + 8, 100000)}),
         {"One|N|0,"}},
        {"an entry reaching past its playlist",
         WithTracks({PlaylistSet(2, {List(u"One", {10}), SetInt32(List(u"Two", {20}), List(u"Two", {20}).size() - 120 + 8, 5000)})}),
         {"One|N|0,"}},
        {"a playlist list without its tag",
         WithTracks({SetInt32(PlaylistSet(2, {List(u"One", {10})}), 96, 0x706C686E)}), {}},
        {"a name longer than its object",
         WithTracks({PlaylistSet(2, {List(u"One", {10}),
                                     PlaylistItem({}, {itdb::RawStringObject(1, 4000, Bytes(8, 'a')),
                                                       Entry(10, 1)})})}),
         {"One|N|0,"}},
        {"a playlist set of length 0",
         WithTracks({SetInt32(PlaylistSet(2, {List(u"One", {10})}), 8, 0)}), {}},
        {"the file cut inside the playlists",
         [] {
             Bytes whole = WithTracks({PlaylistSet(2, {List(u"One", {10}), List(u"Two", {20})})});
             whole.resize(whole.size() - 50);
             return SetInt32(whole, 8, static_cast<int32_t>(whole.size()));
         }(),
         {"One|N|0,"}},
    };
}

TEST(ITDBParserPlaylists, ReadsEveryCaseAlikeInBothForms) {
    for (const PlaylistCase& c : Cases()) {
        SCOPED_TRACE(c.what);
        const Read ordinary = ParseBytes(c.database, c.limit);
        EXPECT_EQ(ordinary.result, c.limit < 0 ? 4 : c.limit);
        EXPECT_EQ(ordinary.playlists, c.expected);
        const Read compressed = ParseBytes(itdb::CompressedDatabase(c.database), c.limit);
        EXPECT_EQ(compressed.result, ordinary.result);
        EXPECT_EQ(compressed.playlists, c.expected);
    }
}

TEST(ITDBParserPlaylists, EachParseReplacesThePlaylists) {
    TempDir dir;
    const std::string path = dir.File("iTunesDB");
    const Bytes database = WithTracks({PlaylistSet(2, {List(u"Mix", {20, 10})})});
    ASSERT_TRUE(itdb::WriteFile(path, database));
    ITDBParser parser(path);
    ASSERT_EQ(parser.Parse(-1), 4);
    ASSERT_EQ(parser.Parse(1), 1);
    ASSERT_EQ(parser.Playlists().size(), 1u);
    parser.First();
    for (int i = 0; i < 4; ++i) {
        parser.Next();
    }
    EXPECT_EQ(parser.Playlists()[0].Members, std::vector<const OneTrack*>{parser.Next()});

    ASSERT_TRUE(itdb::WriteFile(path, itdb::Database({itdb::TrackSet({}, 0)})));
    EXPECT_EQ(parser.Parse(-1), 0);
    EXPECT_TRUE(parser.Playlists().empty());
}

// What the player recorded since its last sync -------------------------------------

// Four tracks with plays, last plays, ratings and skips of their own, and a
// playlist of the database.
Bytes PlayedTracks() {
    const uint32_t plays[] = {5, 0, UINT32_MAX - 1, 1};
    std::vector<Bytes> items;
    for (uint32_t i = 0; i < 4; ++i) {
        itdb::TrackItemFields fields;
        fields.trackId = 10 * (i + 1);
        fields.playCount = plays[i];
        fields.lastPlayed = 100 * i;
        fields.rating = static_cast<uint8_t>(20 * (i + 1));
        fields.skipCount = i;
        items.push_back(itdb::TrackItem(
            fields, {StringObject(1, std::u16string(1, u'A' + i)), StringObject(2, u":a.mp3")}));
    }
    return itdb::Database({itdb::TrackSet(items), PlaylistSet(2, {Library()})});
}

const std::vector<std::string> kUnplayed = {"5/0/20/0", "0/100/40/1", "4294967294/200/60/2",
                                            "1/300/80/3"};
const std::vector<std::string> kOwnPlaylists = {"iPod|M|0,1,2,3,"};

TEST(ITDBParserSinceSync, PlayCountsAndOnTheGoListsBesideAPlayersDatabase) {
    using Entries = std::vector<itdb::PlayCountEntry>;
    const Entries entries = {
        {2, 500, 0, 4}, {0, 0, 100, 0}, {3, 700, 90, 1}, {1, 0, 7, 2}, {9, 9, 9, 9}};
    const Bytes full = itdb::PlayCountsFile(entries);
    const struct {
        const char* what;
        std::map<std::string, Bytes> files;
        std::vector<std::string> tracks;
        std::vector<std::string> onTheGo;
        int32_t limit = -1;
        bool inPlayersFolder = true;
    } cases[] = {
        {"no files", {}, kUnplayed, {}},
        {"plays and last plays only",
         {{"Play Counts", itdb::PlayCountsFile({{2, 500}, {0, 0}}, 0x0C)}},
         {"7/500/20/0", "0/100/40/1", "4294967294/200/60/2", "1/300/80/3"},
         {}},
        {"ratings replaced, 0 included, plays added up to the largest count",
         {{"Play Counts", itdb::PlayCountsFile(entries, 0x10)}},
         {"7/500/0/0", "0/100/100/1", "4294967295/700/90/2", "2/300/7/3"},
         {}},
        {"skips added, the entry past the tracks ignored",
         {{"Play Counts", full}},
         {"7/500/0/4", "0/100/100/1", "4294967295/700/90/3", "2/300/7/5"},
         {}},
        {"longer header and entries",
         {{"Play Counts", itdb::PlayCountsFile({{1, 0, 20, 1}}, 0x30, 0x70)}},
         {"6/0/20/1", "0/100/40/1", "4294967294/200/60/2", "1/300/80/3"},
         {}},
        {"tracks past the limit keep their values and leave the lists",
         {{"Play Counts", full}, {"OTGPlaylistInfo", itdb::OnTheGoFile({3, 1, 0})}},
         {"7/500/0/4", "0/100/100/1"},
         {"On-The-Go (not synced)|N|1,0,"},
         2},
        {"several lists, an empty one, one past the tracks, a damaged one, one after a gap",
         {{"OTGPlaylistInfo", itdb::OnTheGoFile({2, 0, 2})},
          {"OTGPlaylistInfo_1", itdb::OnTheGoFile({})},
          {"OTGPlaylistInfo_2", itdb::OnTheGoFile({3, 99, 1})},
          {"OTGPlaylistInfo_3", SetInt32(itdb::OnTheGoFile({0}), 0, 0x6F70686E)},
          {"OTGPlaylistInfo_4", itdb::OnTheGoFile({4})},
          {"OTGPlaylistInfo_6", itdb::OnTheGoFile({0})}},
         kUnplayed,
         {"On-The-Go (not synced)|N|2,0,2,", "On-The-Go (not synced) 2|N|3,1,",
          "On-The-Go (not synced) 3|N|"}},
        {"damaged files change nothing",
         {{"Play Counts", SetInt32(full, 0, 0x7064686E)},
          {"OTGPlaylistInfo", SetInt32(itdb::OnTheGoFile({1}), 4, 0x10)},
          {"OTGPlaylistInfo_1", SetInt32(itdb::OnTheGoFile({1}), 8, 2)},
          {"OTGPlaylistInfo_2", SetInt32(itdb::OnTheGoFile({1, 2}), 12, 3)},
          {"OTGPlaylistInfo_3", SetInt32(itdb::OnTheGoFile({1}), 12, -1)},
          {"OTGPlaylistInfo_4", Bytes(10, 0)}},
         kUnplayed,
         {}},
        {"a header shorter than a Play Counts header",
         {{"Play Counts", itdb::PlayCountsFile(entries, 0x1C, 0x5C)}},
         kUnplayed,
         {}},
        {"entries shorter than the least",
         {{"Play Counts", itdb::PlayCountsFile(entries, 0x08)}},
         kUnplayed,
         {}},
        {"a Play Counts file cut short",
         {{"Play Counts", Bytes(full.begin(), full.end() - 1)}},
         kUnplayed,
         {}},
        {"a database outside a player's folder",
         {{"Play Counts", full}, {"OTGPlaylistInfo", itdb::OnTheGoFile({0})}},
         kUnplayed,
         {},
         -1,
         false},
    };
    for (const auto& c : cases) {
        for (const bool compressed : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (compressed ? ", compressed" : ""));
            TempDir dir;
            const std::filesystem::path folder =
                c.inPlayersFolder ? dir.Path() / "iPod_Control" / "iTunes" : dir.Path();
            std::filesystem::create_directories(folder);
            for (const auto& [name, bytes] : c.files) {
                ASSERT_TRUE(itdb::WriteFile((folder / name).string(), bytes));
            }
            const std::string database =
                (folder / (compressed ? "iTunesCDB" : "iTunesDB")).string();
            ASSERT_TRUE(itdb::WriteFile(
                database, compressed ? itdb::CompressedDatabase(PlayedTracks()) : PlayedTracks()));
            const Read read = ParseFile(database, c.limit);
            EXPECT_EQ(read.tracks, c.tracks);
            std::vector<std::string> playlists = kOwnPlaylists;
            if (c.limit == 2) {
                playlists = {"iPod|M|0,1,"};
            }
            playlists.insert(playlists.end(), c.onTheGo.begin(), c.onTheGo.end());
            EXPECT_EQ(read.playlists, playlists);
        }
    }
}

}  // namespace
