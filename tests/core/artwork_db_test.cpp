// The artwork store read through the reader, as the program reads it: the
// player's database with its tracks' links, the ArtworkDB and its frames.
#include "core/artwork_db.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <tuple>
#include <vector>

#include "artwork_builder.h"
#include "core/itdbparser.h"
#include "itdb_builder.h"
#include "temp_dir.h"

namespace {

using artwork::Image;
using artwork::StoredSize;

namespace fs = std::filesystem;

// A track's links to the store: its database id, and its picture's image id
// where its header is long enough to hold one.
struct TrackLinks {
    uint64_t databaseId = 0;
    uint32_t artworkId = 0;
    int32_t headerLength = 0x184;
};

// What a track shows: a picture of this format, or none.
struct Shown {
    uint32_t formatId = 0;
    Image image;
};

// Writes a player into `dir`, its database of one track per link beside
// the store; returns the database's path.
std::string WritePlayer(const TempDir& dir, const std::vector<TrackLinks>& tracks,
                        const artwork::Store& store) {
    const fs::path control = dir.Path() / "iPod_Control";
    fs::create_directories(control / "iTunes");
    fs::create_directories(control / "Artwork");
    EXPECT_TRUE(artwork::WriteStore((control / "Artwork" / "").string(), store));
    std::vector<itdb::Bytes> items;
    for (const auto& [databaseId, artworkId, headerLength] : tracks) {
        itdb::TrackItemFields fields;
        fields.headerLength = headerLength;
        fields.databaseId = databaseId;
        fields.artworkId = artworkId;
        items.push_back(itdb::TrackItem(
            fields, {itdb::StringObject(1, u"Song"), itdb::StringObject(2, u":Music:A.mp3")}));
    }
    const std::string database = (control / "iTunes" / "iTunesDB").string();
    EXPECT_TRUE(itdb::WriteFile(database, itdb::Database({itdb::TrackSet(items)})));
    return database;
}

// Every track loads and shows what it should: the picture put in, every
// pixel after RGB565 rounding.
void ExpectShown(const std::string& database, const std::vector<std::optional<Shown>>& expected) {
    ITDBParser parser(database);
    ASSERT_EQ(parser.Parse(-1), static_cast<int32_t>(expected.size()));
    parser.First();
    for (const std::optional<Shown>& shown : expected) {
        const int32_t number = parser.Next()->GetArtwork();
        const ArtworkIndex& art = parser.Artwork();
        ASSERT_EQ(number >= 0, shown.has_value());
        if (!shown) {
            continue;
        }
        const std::optional<Picture> picture = art.Load(number);
        ASSERT_TRUE(picture.has_value());
        const Image& image = shown->image;
        EXPECT_EQ(
            std::tuple(art.FormatId(number), art.Width(number), art.Height(number), picture->Width,
                       picture->Height),
            std::tuple(shown->formatId, image.width, image.height, image.width, image.height));
        std::vector<uint32_t> rounded(image.pixels.size());
        std::transform(image.pixels.begin(), image.pixels.end(), rounded.begin(),
                       artwork::Rgb565Rounded);
        EXPECT_TRUE(picture->Pixels == rounded);
    }
}

const Image kCover320 = artwork::TestImage(320, 320, 1);
const Image kCover128 = artwork::TestImage(128, 128, 2);
const Image kWide = artwork::TestImage(320, 240, 3);
const Image kTall = artwork::TestImage(100, 128, 4);
const Image kSmall = artwork::TestImage(56, 56, 5);
const Image k150 = artwork::TestImage(150, 150, 6);

StoredSize Changed(StoredSize size, const std::function<void(StoredSize&)>& change) {
    change(size);
    return size;
}

TEST(ArtworkIndex, GeneratedStoresReadBackExactly) {
    using artwork::Stored;
    const StoredSize padded =
        Changed(Stored(1060, 320, kWide), [](auto& s) { s.verticalPadding = 40; });
    const StoredSize paddedRows = Changed(Stored(1055, 128, kTall), [](auto& s) {
        s.horizontalPadding = -28;
        s.rowPadding = 24;
    });
    const StoredSize bigEndian =
        Changed(Stored(2003, 150, k150), [](auto& s) { s.bigEndian = true; });
    const StoredSize utf8Name =
        Changed(Stored(1061, 56, kSmall), [](auto& s) { s.nameEncoding = 1; });
    const struct {
        const char* name;
        std::vector<artwork::Entry> entries;
        std::vector<TrackLinks> tracks;
        std::vector<std::optional<Shown>> shown;
    } cases[] = {
        // clang-format off
        {"one picture per album, the largest of its sizes",
         {{7, 1001, {Stored(1055, 128, kCover128), Stored(1060, 320, kCover320)}}, {8, 1002, {Stored(1060, 320, kCover128)}}},
         {{1001, 7}, {1002, 8}}, {Shown{1060, kCover320}, Shown{1060, kCover128}}},
        {"an album's tracks share one picture through the image id",
         {{40, 2001, {Stored(1060, 320, kCover320)}}},
         {{2001, 40}, {2002, 40}, {2003, 40}}, {Shown{1060, kCover320}, Shown{1060, kCover320}, Shown{1060, kCover320}}},
        {"reached by the database id alone, also by short headers",
         {{0, 3001, {Stored(1055, 128, kCover128)}}, {0, 3002, {Stored(1060, 320, kCover320)}}},
         {{3002, 0}, {3001, 99, 0x170}, {3003, 0}}, {Shown{1060, kCover320}, Shown{1055, kCover128}, std::nullopt}},
        {"an image id that names no picture falls back to the database id",
         {{5, 4001, {Stored(1055, 128, kCover128)}}}, {{4001, 77}, {4009, 0}}, {Shown{1055, kCover128}, std::nullopt}},
        {"padded pictures that are not square",
         {{1, 0, {padded}}, {2, 0, {paddedRows}}}, {{0, 1}, {0, 2}}, {Shown{1060, kWide}, Shown{1055, kTall}}},
        {"big-endian frames, names in UTF-8, a format known by its size",
         {{1, 0, {bigEndian}}, {2, 0, {utf8Name}}, {3, 0, {Stored(3333, 64, kSmall)}}},
         {{0, 1}, {0, 2}, {0, 3}},
         {Shown{2003, k150}, Shown{1061, kSmall}, Shown{3333, kSmall}}},
        // clang-format on
    };
    for (const auto& [name, entries, tracks, shown] : cases) {
        SCOPED_TRACE(name);
        const TempDir player;
        ExpectShown(WritePlayer(player, tracks, artwork::BuildStore(entries)), shown);
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
    const StoredSize plain = artwork::Stored(1055, 128, kCover128);
    const auto named = [&](const char* name) {
        return Changed(plain, [&](StoredSize& size) { size.fileName = name; });
    };
    const auto patch = [](const char* tag, size_t nth, size_t offset, uint32_t value) {
        return Damage([=](artwork::Store& store) {
            artwork::Patch32(store.database, artwork::TagOffset(store.database, tag, nth) + offset,
                             value);
        });
    };
    // Which of the three tracks keep their picture.
    const auto keep = [](const char* pattern) {
        std::vector<std::optional<Shown>> shown;
        for (const char* c = pattern; *c != '\0'; ++c) {
            shown.push_back(*c == 'x' ? std::optional(Shown{1055, kCover128}) : std::nullopt);
        }
        return shown;
    };
    const struct {
        const char* name;
        StoredSize middle;
        Damage damage;
        std::vector<std::optional<Shown>> shown;
    } cases[] = {
        // clang-format off
        {"a path with ..", named(":..:F1055_1.ithmb"), {}, keep("x-x")},
        {"a path with a drive", named("C::F1055_1.ithmb"), {}, keep("x-x")},
        {"a path with a backslash", named(":x\\..\\F1055_1.ithmb"), {}, keep("x-x")},
        {"a path naming a device", named(":CON"), {}, keep("x-x")},
        {"an offset beyond the file", plain, patch("mhni", 1, 20, 0x7FFFFF00), keep("x-x")},
        {"a byte count short of the frame", plain, patch("mhni", 1, 24, 4), keep("x-x")},
        {"an unknown format larger than 1024 x 1024", artwork::Stored(4000, 1025, kSmall), {}, keep("x-x")},
        {"a picture claiming 65,535 x 65,535 is clipped to its frame", plain, patch("mhni", 1, 32, 0xFFFFFFFF), keep("xxx")},
        {"a missing file", plain, [](artwork::Store& store) { store.files.clear(); }, keep("---")},
        {"a store cut short", plain, [](artwork::Store& store) { store.database.resize(artwork::TagOffset(store.database, "mhii", 2)); }, keep("xx-")},
        {"a store cut in a header", plain, [](artwork::Store& store) { store.database.resize(20); }, keep("---")},
        {"no store", plain, [](artwork::Store& store) { store.database.clear(); }, keep("---")},
        {"counts far beyond the records", plain, [&](artwork::Store& store) {
             for (const auto& [tag, offset] : {std::pair("mhfd", 20), std::pair("mhli", 8), std::pair("mhii", 12)}) {
                 patch(tag, 0, offset, 0xFFFFFFFF)(store);
             }
         }, keep("xxx")},
        {"a picture of total length 0", plain, patch("mhii", 1, 8, 0), keep("x--")},
        {"a set of total length 0", plain, patch("mhsd", 0, 8, 0), keep("---")},
        {"a header longer than its record", plain, patch("mhii", 1, 4, 0xFFFFFF00), keep("x--")},
        {"a total length beyond the set", plain, patch("mhii", 1, 8, 0x7FFFFFFF), keep("x--")},
        {"a name longer than its object", plain, patch("mhod", 3, 24, 0xFFFFFFF0), keep("x-x")},
        // clang-format on
    };
    for (const auto& [name, middle, damage, shown] : cases) {
        SCOPED_TRACE(name);
        artwork::Store store = artwork::BuildStore(ThreePictures(middle));
        if (damage) {
            damage(store);
        }
        const TempDir player;
        const std::string database = WritePlayer(player, {{0, 1}, {0, 2}, {0, 3}}, store);
        // A real frame outside the Artwork folder is never read.
        EXPECT_TRUE(
            itdb::WriteFile(player.File("iPod_Control/F1055_1.ithmb"),
                            artwork::BuildStore(ThreePictures(plain)).files.begin()->second));
        ExpectShown(database, shown);
    }
}

TEST(ArtworkIndex, KeepsWithinTheReadersBudget) {
    const TempDir player;
    const std::string database = WritePlayer(
        player, {}, artwork::BuildStore(ThreePictures(artwork::Stored(1055, 128, kCover128))));
    EXPECT_EQ(ArtworkFolderOf(database),
              (player.Path() / "iPod_Control" / "Artwork" / "").string());
    for (const auto& [budget, pictures] :
         {std::pair(size_t{600}, 0u), std::pair(size_t{8000}, 3u)}) {
        MemoryBudget memory(budget);
        ArtworkIndex index;
        index.Read(ArtworkFolderOf(database), memory);
        EXPECT_EQ(index.Count(), pictures) << budget;
    }
}

// The pane fits a picture inside itself whatever its shape, so that what it
// holds never exceeds its own pixels; and it scales to that size.
TEST(ArtworkIndex, PicturesFitInsideTheirBoxAndScaleToIt) {
    struct Case {
        int32_t width, height, boxWidth, boxHeight;
        PictureSize fitted;
    };
    const Case cases[] = {
        {320, 320, 200, 500, {200, 200}}, {320, 320, 500, 200, {200, 200}},
        {1, 1024, 200, 600, {1, 600}},    {1024, 1, 420, 900, {420, 1}},
        {640, 480, 200, 600, {200, 150}}, {56, 42, 3, 600, {3, 2}},
        {100, 50, 0, 10, {1, 1}},         {65535, 65535, 1, 1, {1, 1}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FittedSize(c.width, c.height, c.boxWidth, c.boxHeight), c.fitted)
            << c.width << "x" << c.height << " in " << c.boxWidth << "x" << c.boxHeight;
    }
    const Picture tall{1, 1024, std::vector<uint32_t>(1024, 0x336699)};
    const Picture scaled = ScalePicture(tall, 1, 600);
    EXPECT_EQ(scaled.Pixels, std::vector<uint32_t>(600, 0x336699));
}

}  // namespace
