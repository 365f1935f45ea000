// The artwork store read through the reader, as the program reads it: the
// player's database with its tracks' links, the ArtworkDB and its frames.
#include "core/artwork_db.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "artwork_builder.h"
#include "core/itdbparser.h"
#include "itdb_builder.h"
#include "temp_dir.h"

namespace {

using artwork::Image;
using artwork::StoredSize;

// A track's links to the store: the database id, and the image id where
// its header is long enough to hold one.
struct TrackLinks {
    uint64_t databaseId = 0;
    uint32_t artworkId = 0;
    int32_t headerLength = 0x184;
};

// What a track should show: a picture of this format, or none.
struct Shown {
    uint32_t formatId = 0;
    Image image;
};

// A player folder with a database of one track per link and the store.
class Player {
public:
    Player(const std::vector<TrackLinks>& tracks, const artwork::Store& store) {
        namespace fs = std::filesystem;
        fs::create_directories(dir_.Path() / "iPod_Control" / "iTunes");
        fs::create_directories(dir_.Path() / "iPod_Control" / "Artwork");
        std::vector<itdb::Bytes> items;
        for (const TrackLinks& links : tracks) {
            itdb::TrackItemFields fields;
            fields.headerLength = links.headerLength;
            fields.databaseId = links.databaseId;
            fields.artworkId = links.artworkId;
            items.push_back(
                itdb::TrackItem(fields, {itdb::StringObject(1, u"Song"),
                                         itdb::StringObject(2, u":iPod_Control:Music:F00:A.mp3")}));
        }
        EXPECT_TRUE(itdb::WriteFile(Database(), itdb::Database({itdb::TrackSet(items)})));
        EXPECT_TRUE(artwork::WriteStore(ArtworkFolder(), store));
    }

    std::string Database() const {
        return (dir_.Path() / "iPod_Control" / "iTunes" / "iTunesDB").string();
    }
    std::string ArtworkFolder() const {
        return (dir_.Path() / "iPod_Control" / "Artwork" / "").string();
    }
    std::string File(const std::string& name) const { return dir_.File(name); }

private:
    TempDir dir_;
};

// Parses the player and checks that every track loads and shows what it
// should, every pixel equal to the picture put in after RGB565 rounding.
void ExpectShown(const Player& player, const std::vector<std::optional<Shown>>& expected) {
    ITDBParser parser(player.Database());
    ASSERT_EQ(parser.Parse(-1), static_cast<int32_t>(expected.size()));
    size_t index = 0;
    for (parser.First(); parser.HasNext(); ++index) {
        SCOPED_TRACE(testing::Message() << "track " << index);
        const int32_t number = parser.Next()->GetArtwork();
        const ArtworkIndex& art = parser.Artwork();
        if (!expected[index]) {
            EXPECT_EQ(number, -1);
            continue;
        }
        ASSERT_GE(number, 0);
        const Image& image = expected[index]->image;
        EXPECT_EQ(art.FormatId(number), expected[index]->formatId);
        ASSERT_EQ(art.Width(number), image.width);
        ASSERT_EQ(art.Height(number), image.height);
        const std::optional<Picture> picture = art.Load(number);
        ASSERT_TRUE(picture.has_value());
        for (size_t i = 0; i < image.pixels.size(); ++i) {
            ASSERT_EQ(picture->Pixels[i], artwork::Rgb565Rounded(image.pixels[i]))
                << "pixel " << i % image.width << "," << i / image.width;
        }
    }
}

const Image kCover320 = artwork::TestImage(320, 320, 1);
const Image kCover128 = artwork::TestImage(128, 128, 2);
const Image kWide = artwork::TestImage(320, 240, 3);
const Image kTall = artwork::TestImage(100, 128, 4);

TEST(ArtworkIndex, GeneratedStoresReadBackExactly) {
    StoredSize padded = artwork::Stored(1060, 320, kWide);
    padded.verticalPadding = 40;
    StoredSize paddedRows = artwork::Stored(1055, 128, kTall);
    paddedRows.horizontalPadding = -28;
    paddedRows.rowPadding = 24;
    StoredSize bigEndian = artwork::Stored(2003, 150, artwork::TestImage(150, 150, 5));
    bigEndian.bigEndian = true;
    StoredSize utf8Name = artwork::Stored(1061, 56, artwork::TestImage(56, 56, 6));
    utf8Name.nameEncoding = 1;

    const struct {
        const char* name;
        std::vector<artwork::Entry> entries;
        std::vector<TrackLinks> tracks;
        std::vector<std::optional<Shown>> shown;
    } cases[] = {
        {"one picture per album, the largest of its sizes",
         {{7, 1001, {artwork::Stored(1055, 128, kCover128), artwork::Stored(1060, 320, kCover320)}},
          {8, 1002, {artwork::Stored(1060, 320, kCover128)}}},
         {{1001, 7}, {1002, 8}},
         {Shown{1060, kCover320}, Shown{1060, kCover128}}},
        {"an album's tracks share one picture through the image id",
         {{40, 2001, {artwork::Stored(1060, 320, kCover320)}}},
         {{2001, 40}, {2002, 40}, {2003, 40}},
         {Shown{1060, kCover320}, Shown{1060, kCover320}, Shown{1060, kCover320}}},
        {"reached by the database id alone, also by short headers",
         {{0, 3001, {artwork::Stored(1055, 128, kCover128)}},
          {0, 3002, {artwork::Stored(1060, 320, kCover320)}}},
         {{3002, 0}, {3001, 99, 0x170}, {3003, 0}},
         {Shown{1060, kCover320}, Shown{1055, kCover128}, std::nullopt}},
        {"an image id that names no picture falls back to the database id",
         {{5, 4001, {artwork::Stored(1055, 128, kCover128)}}},
         {{4001, 77}, {4009, 0}},
         {Shown{1055, kCover128}, std::nullopt}},
        {"padded pictures that are not square",
         {{1, 0, {padded}}, {2, 0, {paddedRows}}},
         {{0, 1}, {0, 2}},
         {Shown{1060, kWide}, Shown{1055, kTall}}},
        {"big-endian frames, names in UTF-8, a format known by its size",
         {{1, 0, {bigEndian}},
          {2, 0, {utf8Name}},
          {3, 0, {artwork::Stored(3333, 64, artwork::TestImage(64, 64))}}},
         {{0, 1}, {0, 2}, {0, 3}},
         {Shown{2003, bigEndian.image}, Shown{1061, utf8Name.image},
          Shown{3333, artwork::TestImage(64, 64)}}},
    };
    for (const auto& [name, entries, tracks, shown] : cases) {
        SCOPED_TRACE(name);
        ExpectShown(Player(tracks, artwork::BuildStore(entries)), shown);
    }
}

// A store of three pictures whose middle one a test damages.
std::vector<artwork::Entry> ThreePictures(const StoredSize& middle) {
    return {{1, 0, {artwork::Stored(1055, 128, kCover128)}},
            {2, 0, {middle}},
            {3, 0, {artwork::Stored(1055, 128, kCover128)}}};
}

TEST(ArtworkIndex, HostileStoresCostPicturesNeverTracks) {
    using Damage = std::function<void(artwork::Store&)>;
    const auto named = [](std::string name) {
        StoredSize size = artwork::Stored(1055, 128, kCover128);
        size.fileName = std::move(name);
        return size;
    };
    const auto patch = [](const char* tag, size_t nth, size_t offset, uint32_t value) {
        return Damage([=](artwork::Store& store) {
            artwork::Patch32(store.database, artwork::TagOffset(store.database, tag, nth) + offset,
                             value);
        });
    };
    const Shown cover{1055, kCover128};
    const std::vector<std::optional<Shown>> all{cover, cover, cover};
    const std::vector<std::optional<Shown>> notMiddle{cover, std::nullopt, cover};
    const std::vector<std::optional<Shown>> none(3);
    const std::vector<std::optional<Shown>> first{cover, std::nullopt, std::nullopt};
    const StoredSize plain = artwork::Stored(1055, 128, kCover128);

    const struct {
        const char* name;
        StoredSize middle;
        Damage damage;
        std::vector<std::optional<Shown>> shown;
    } cases[] = {
        {"a path with ..", named(":..:F1055_1.ithmb"), {}, notMiddle},
        {"a path with a drive", named("C::F1055_1.ithmb"), {}, notMiddle},
        {"a path with a backslash", named(":x\\..\\F1055_1.ithmb"), {}, notMiddle},
        {"a path naming a device", named(":CON"), {}, notMiddle},
        {"an offset beyond the file", plain, patch("mhni", 1, 20, 0x7FFFFF00), notMiddle},
        {"a byte count short of the frame", plain, patch("mhni", 1, 24, 4), notMiddle},
        {"an unknown format larger than 1024 x 1024",
         artwork::Stored(4000, 1025, artwork::TestImage(1, 1)),
         {},
         notMiddle},
        {"a picture claiming 65,535 x 65,535 is clipped to its frame", plain,
         patch("mhni", 1, 32, 0xFFFFFFFF), all},
        {"a missing file", plain, [](artwork::Store& store) { store.files.erase("F1055_1.ithmb"); },
         none},
        {"a store cut short",
         plain,
         [](artwork::Store& store) {
             store.database.resize(artwork::TagOffset(store.database, "mhii", 2));
         },
         {cover, cover, std::nullopt}},
        {"a store cut in a header", plain, [](artwork::Store& store) { store.database.resize(20); },
         none},
        {"counts far beyond the records", plain,
         [&](artwork::Store& store) {
             patch("mhfd", 0, 20, 0xFFFFFFFF)(store);
             patch("mhli", 0, 8, 0xFFFFFFFF)(store);
             patch("mhii", 1, 12, 0xFFFFFFFF)(store);
         },
         all},
        {"a picture of total length 0", plain, patch("mhii", 1, 8, 0), first},
        {"a set of total length 0", plain, patch("mhsd", 0, 8, 0), none},
        {"a header longer than its record", plain, patch("mhii", 1, 4, 0xFFFFFF00), first},
        {"a total length beyond the set", plain, patch("mhii", 1, 8, 0x7FFFFFFF), first},
        {"a name longer than its object", plain, patch("mhod", 3, 24, 0xFFFFFFF0), notMiddle},
        {"no store", plain, [](artwork::Store& store) { store.database.clear(); }, none},
    };
    for (const auto& [name, middle, damage, shown] : cases) {
        SCOPED_TRACE(name);
        artwork::Store store = artwork::BuildStore(ThreePictures(middle));
        if (damage) {
            damage(store);
        }
        const Player player({{0, 1}, {0, 2}, {0, 3}}, store);
        // A real frame outside the Artwork folder is never read.
        EXPECT_TRUE(
            itdb::WriteFile(player.File("iPod_Control/F1055_1.ithmb"),
                            artwork::BuildStore(ThreePictures(plain)).files.begin()->second));
        ExpectShown(player, shown);
    }
}

TEST(ArtworkIndex, KeepsThePicturesBeforeTheBudgetRunsOut) {
    const Player player({},
                        artwork::BuildStore(ThreePictures(artwork::Stored(1055, 128, kCover128))));
    ArtworkIndex index;
    size_t left = 250;  // the file's name and one picture
    index.Read(player.ArtworkFolder(),
               [&left](size_t bytes) { return bytes <= left && (left -= bytes, true); });
    EXPECT_EQ(index.Count(), 1u);
    EXPECT_EQ(ArtworkFolderOf("/media/IPOD/iPod_Control/iTunes/iTunesDB"),
              "/media/IPOD/iPod_Control/Artwork/");
}

}  // namespace
