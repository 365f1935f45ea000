#include "core/rating_tags.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include <zlib.h>

#include "core/copy_comparison.h"
#include "core/onetrack.h"
#include "temp_dir.h"

namespace {

const std::filesystem::path kFixtures = TRACKHAUL_TAG_FIXTURES;

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t BigEndian(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    }
    return value;
}

// Where the box `name` starts among the boxes from `at` to `end`, or npos.
size_t FindBox(const std::string& file, size_t at, size_t end, const char* name) {
    while (at + 8 <= end) {
        const uint32_t size = BigEndian(file, at);
        if (file.compare(at + 4, 4, name) == 0) {
            return at;
        }
        if (size < 8) {
            break;
        }
        at += size;
    }
    return std::string::npos;
}

// What a file holds apart from its tags: an MP3's bytes after its ID3v2
// tag; an MP4's media data box, and where its first track's chunk offsets
// point inside it, so that the samples are still found after the header
// grew in front of them.
std::string AudioBytes(const std::string& file, bool mp3) {
    if (mp3 && file.compare(0, 3, "ID3") != 0) {
        return file;
    }
    if (mp3) {
        size_t size = 0;
        for (size_t i = 6; i < 10; ++i) {
            size = size << 7 | (static_cast<uint8_t>(file[i]) & 0x7F);
        }
        return file.substr(10 + size);
    }
    const size_t media = FindBox(file, 0, file.size(), "mdat");
    std::string audio = file.substr(media, BigEndian(file, media));
    size_t box = FindBox(file, 0, file.size(), "moov");
    for (const char* name : {"trak", "mdia", "minf", "stbl", "stco"}) {
        box = FindBox(file, box + 8, box + BigEndian(file, box), name);
    }
    for (uint32_t i = 0; i < BigEndian(file, box + 12); ++i) {
        audio += " " + std::to_string(BigEndian(file, box + 16 + 4 * i) - media);
    }
    return audio;
}

std::string Lines(const char* popm, const char* pcnt, const char* rating, const char* plays) {
    return std::string("POPM: ") + popm + "\nPCNT: " + pcnt + "\nFMPS_Rating: " + rating +
           "\nFMPS_Playcount: " + plays + "\n";
}

struct TagCase {
    const char* Fixture;
    uint32_t Stars;
    uint32_t Plays;
    std::string Carried;  // as trackhaul-dump --tags prints it
    char Id3Version;      // of the written tag; 0: not an MP3 with one
};

// Per kind and tag: the four values written over what the file carried,
// nothing else of it changed.
const TagCase kTagCases[] = {
    {"id3v23.mp3", 3, 12, Lines("128 12", "12", "0.6", "12"), 3},
    {"id3v23.mp3", 0, 5, Lines("0 5", "5", "-", "5"), 3},
    {"id3v23.mp3", 5, 0, Lines("255 0", "0", "1.0", "0"), 3},
    {"id3v23-id3v1.mp3", 1, 1, Lines("1 1", "1", "0.2", "1"), 3},
    // TagLib keeps less padding: the audio moves forward.
    {"id3v23-padded.mp3", 4, 2, Lines("196 2", "2", "0.8", "2"), 3},
    // An ID3v2.4 tag stays one, with all it holds.
    {"id3v24.mp3", 4, 300, Lines("196 300", "300", "0.8", "300"), 4},
    {"id3v24-mood.mp3", 2, 2, Lines("64 2", "2", "0.4", "2"), 4},
    {"untagged.mp3", 2, 7, Lines("64 7", "7", "0.4", "7"), 3},
    {"id3v1.mp3", 0, 4000000000u, Lines("0 4000000000", "4000000000", "-", "4000000000"), 3},
    {"items.m4a", 3, 9, Lines("-", "-", "0.6", "9"), 0},
    // The rating another program wrote stays where the player has none.
    {"header-first.m4a", 0, 1, Lines("-", "-", "0.4", "1"), 0},
    {"header-first.m4a", 5, 70000, Lines("-", "-", "1.0", "70000"), 0},
    // The media, behind the header without room to spare, moves back.
    {"header-first-tight.m4a", 2, 3, Lines("-", "-", "0.4", "3"), 0},
    {"clip.m4v", 1, 0, Lines("-", "-", "0.2", "0"), 0},
};

TEST(RatingTags, WritesTheValuesAndKeepsTheRest) {
    TempDir dir;
    for (const TagCase& row : kTagCases) {
        SCOPED_TRACE(std::string(row.Fixture) + " " + std::to_string(row.Stars) + " stars " +
                     std::to_string(row.Plays) + " plays");
        const std::filesystem::path copy = dir.Path() / row.Fixture;
        std::filesystem::copy_file(kFixtures / row.Fixture, copy,
                                   std::filesystem::copy_options::overwrite_existing);
        const RatingConvention convention = RatingConventionOf(row.Fixture);

        EXPECT_EQ(WriteRatingTags(copy, convention, {row.Stars, row.Plays}),
                  RatingTagsOutcome::Written);
        EXPECT_EQ(DescribeRatingTags(copy, convention), row.Carried);
        const std::string before = ReadAll(kFixtures / row.Fixture);
        const std::string after = ReadAll(copy);
        const bool mp3 = convention == RatingConvention::Id3v2;
        EXPECT_EQ(AudioBytes(after, mp3), AudioBytes(before, mp3));
        if (mp3) {  // the same file, its tag made in front of the copy's bytes
            const std::optional<Mp3TagInFront> front =
                TagInFrontOfMp3(before, before.size(), {row.Stars, row.Plays});
            ASSERT_TRUE(front);
            EXPECT_EQ(front->Tag + before.substr(front->Replaced), after);
        }
        if (row.Id3Version != 0) {
            EXPECT_EQ(after.substr(0, 4), std::string("ID3") + row.Id3Version);
        }
        if (row.Id3Version == 4) {
            EXPECT_NE(after.find("TDRC"), std::string::npos);  // a date of ID3v2.4's own
        }
        // The ID3v1 tag at the end stays as it was.
        EXPECT_EQ(after.substr(after.size() - 128, 3) == "TAG",
                  before.substr(before.size() - 128, 3) == "TAG");
    }
}

// A copy of the fixture in `dir` that took `values`.
std::filesystem::path RatedCopy(const TempDir& dir, const char* fixture, RatingAndPlays values) {
    const std::filesystem::path copy = dir.Path() / fixture;
    std::filesystem::copy_file(kFixtures / fixture, copy,
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(WriteRatingTags(copy, RatingConventionOf(fixture), values),
              RatingTagsOutcome::Written);
    return copy;
}

// A file is rated on the player, then unrated and played again: the copy
// keeps the rating it had, in both fields, and takes the new plays.
TEST(RatingTags, AnUnratedTrackLeavesTheFilesRating) {
    TempDir dir;
    for (const char* fixture : {"id3v23.mp3", "untagged.mp3", "items.m4a"}) {
        SCOPED_TRACE(fixture);
        const std::filesystem::path copy = RatedCopy(dir, fixture, {3, 2});
        const RatingConvention convention = RatingConventionOf(fixture);
        ASSERT_EQ(WriteRatingTags(copy, convention, {0, 9}), RatingTagsOutcome::Written);
        EXPECT_EQ(DescribeRatingTags(copy, convention), convention == RatingConvention::Id3v2
                                                            ? Lines("128 9", "9", "0.6", "9")
                                                            : Lines("-", "-", "0.6", "9"));
    }
}

// An MP3 without a tag takes one in front of its bytes as they are copied:
// the same values as a tag written into the copy, the audio untouched. (A
// tagged one takes the file WriteRatingTags makes, as the table shows.)
TEST(RatingTags, AnMp3TakesItsTagInOnePass) {
    TempDir dir;
    const std::string audio = ReadAll(kFixtures / "untagged.mp3");
    const std::optional<Mp3TagInFront> front = TagInFrontOfMp3(audio, audio.size(), {4, 21});
    ASSERT_TRUE(front);
    EXPECT_EQ(front->Replaced, 0u);
    const std::filesystem::path copy = dir.Path() / "copy.mp3";
    std::ofstream(copy, std::ios::binary) << front->Tag + audio;
    EXPECT_EQ(DescribeRatingTags(copy, RatingConvention::Id3v2),
              Lines("196 21", "21", "0.8", "21"));
    EXPECT_EQ(ReadAll(copy).substr(0, 4), "ID3\3");
    EXPECT_EQ(AudioBytes(ReadAll(copy), true), audio);
    // A long file's tag keeps the padding its length allows, as the file
    // tagged in place does, however little of its start is given.
    const std::string padded =
        ReadAll(kFixtures / "id3v23-padded.mp3") + std::string(size_t{4} << 20, '\0');
    std::ofstream(copy, std::ios::binary | std::ios::trunc) << padded;
    ASSERT_EQ(WriteRatingTags(copy, RatingConvention::Id3v2, {4, 21}), RatingTagsOutcome::Written);
    const auto longFront = TagInFrontOfMp3(padded.substr(0, 80 << 10), padded.size(), {4, 21});
    ASSERT_TRUE(longFront);
    EXPECT_EQ(longFront->Tag + padded.substr(longFront->Replaced), ReadAll(copy));
    // A tag that does not end in the start given, or no MPEG audio: the copy
    // is tagged as ever.
    const std::string tagged = ReadAll(kFixtures / "id3v23.mp3");
    EXPECT_FALSE(TagInFrontOfMp3(tagged.substr(0, 20), tagged.size(), {4, 21}));
    // A tag too large to be read whole in front of the copy is left to it.
    for (const size_t padding : {kLargestTagInFront / 2, kLargestTagInFront}) {
        std::string file("ID3\3\0\0", 6);
        for (int shift = 21; shift >= 0; shift -= 7) {
            file += static_cast<char>((padding >> shift) & 0x7F);
        }
        file += std::string(padding, '\0') + audio;
        EXPECT_EQ(TagInFrontOfMp3(file, file.size(), {4, 21}).has_value(),
                  padding < kLargestTagInFront);
    }
    EXPECT_FALSE(TagInFrontOfMp3(std::string(5000, '\x55'), 5000, {4, 21}));
}

// An ID3v2 tag with one frame, flagged compressed in ID3v2.3's way, whose
// data is `data` deflated.
std::string TagWithCompressedFrame(const std::string& data) {
    uLongf length = compressBound(static_cast<uLong>(data.size()));
    std::string deflated(length, '\0');
    compress2(reinterpret_cast<Bytef*>(deflated.data()), &length,
              reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()), 9);
    deflated.resize(length);
    const auto bigEndian = [](uint32_t value) {
        return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 8), static_cast<char>(value)};
    };
    const std::string frame = "COMM" + bigEndian(static_cast<uint32_t>(deflated.size() + 4)) +
                              std::string("\0\x80", 2) +
                              bigEndian(static_cast<uint32_t>(data.size())) + deflated;
    std::string size;
    for (int shift = 21; shift >= 0; shift -= 7) {
        size += static_cast<char>((frame.size() >> shift) & 0x7F);
    }
    return std::string("ID3\3\0\0", 6) + size + frame;
}

TEST(RatingTags, FilesThatCannotTakeThemAreLeftAsTheyAre) {
    TempDir dir;
    const std::string noise(5000, '\x55');
    const std::string audio = ReadAll(kFixtures / "untagged.mp3");
    // Boxes nested twenty thousand deep, each a movie holding the next.
    std::string nested = ReadAll(kFixtures / "items.m4a").substr(0, 32);
    for (uint32_t depth = 0, size = 20000 * 8; depth < 20000; ++depth, size -= 8) {
        nested += std::string{static_cast<char>(size >> 24), static_cast<char>(size >> 16),
                              static_cast<char>(size >> 8), static_cast<char>(size)} +
                  "moov";
    }
    // Four megabytes of frame headers of which none is followed by another.
    std::string headers;
    for (int i = 0; i < (1 << 20); ++i) {
        headers += "\xFF\xFB\x90\x64";
    }
    struct {
        const char* Name;
        std::string Bytes;
        bool Hostile = false;  // would make the tag library fail
    } const kFiles[] = {
        {"noise.mp3", noise},
        {"noise.m4a", noise},
        {"cut.m4a", ReadAll(kFixtures / "items.m4a").substr(0, 3000)},
        {"tone.wav", ReadAll(kFixtures / "untagged.mp3")},
        {"nested.m4a", nested, true},
        {"headers.mp3", headers},
        {"bomb.mp3", TagWithCompressedFrame(std::string(size_t{20} << 20, 'x')) + audio, true},
    };
    for (const auto& file : kFiles) {
        SCOPED_TRACE(file.Name);
        const std::filesystem::path path = dir.Path() / file.Name;
        std::ofstream(path, std::ios::binary) << file.Bytes;
        EXPECT_EQ(WriteRatingTags(path, RatingConventionOf(file.Name), {3, 3}),
                  RatingTagsOutcome::Unreadable);
        EXPECT_EQ(ReadAll(path), file.Bytes);
        if (RatingConventionOf(file.Name) == RatingConvention::Id3v2) {  // nor tagged as copied
            EXPECT_FALSE(TagInFrontOfMp3(file.Bytes, file.Bytes.size(), {3, 3}));
        }
        if (file.Hostile) {  // not even read
            EXPECT_EQ(DescribeRatingTags(path, RatingConventionOf(file.Name)), std::nullopt);
        }
    }
    // A compressed frame of a sane size is read as ever.
    const std::filesystem::path small = dir.Path() / "small.mp3";
    std::ofstream(small, std::ios::binary)
        << TagWithCompressedFrame(std::string(1000, 'x')) + audio;
    EXPECT_EQ(WriteRatingTags(small, RatingConvention::Id3v2, {3, 3}), RatingTagsOutcome::Written);
}

// A copy that took its ratings is still the player's file for the library,
// however much its tag shrank or grew; a copy whose audio differs is not.
TEST(RatingTags, CopiesDifferFromThePlayersFileOnlyInTheirTags) {
    TempDir dir;
    const auto opened = [](const std::string& bytes) {
        return OpenedFile{bytes.size(), [bytes](uint64_t offset, size_t length) {
                              return offset < bytes.size() ? bytes.substr(offset, length) : "";
                          }};
    };
    for (const char* fixture : {"id3v23-padded.mp3", "untagged.mp3", "header-first-tight.m4a"}) {
        SCOPED_TRACE(fixture);
        const std::filesystem::path copy = RatedCopy(dir, fixture, {3, 2});
        const RatingConvention convention = RatingConventionOf(fixture);
        const std::string original = ReadAll(kFixtures / fixture);
        std::string written = ReadAll(copy);
        EXPECT_TRUE(SameBesideTags(opened(written), opened(original), convention));
        written[written.size() - 200] ^= 1;  // in the audio
        EXPECT_FALSE(SameBesideTags(opened(written), opened(original), convention));
        EXPECT_FALSE(SameBesideTags(opened(written.substr(0, written.size() - 1)), opened(original),
                                    convention));
    }
}

TEST(RatingTags, WhichTracksTakeThem) {
    struct {
        const char* Path;
        uint32_t Rating;
        uint32_t Plays;
        bool Takes;
    } const kTracks[] = {
        {":iPod_Control:Music:F00:A.mp3", 60, 0, true},
        {":iPod_Control:Music:F00:A.MP3", 0, 1, true},
        {":iPod_Control:Music:F00:A.m4b", 100, 0, true},
        {":iPod_Control:Music:F00:A.mp3", 0, 0, false},
        // Less than a star is no rating, as the list shows it.
        {":iPod_Control:Music:F00:A.mp3", 19, 0, false},
        {":iPod_Control:Music:F00:A.m4p", 60, 3, false},
        {":iPod_Control:Music:F00:A.wav", 60, 3, false},
        {":iPod_Control:Music:F00:A.aa", 60, 3, false},
    };
    for (const auto& row : kTracks) {
        OneTrack track;
        track.SetLocation(row.Path);
        track.SetRating(row.Rating);
        track.SetPlayCount(row.Plays);
        EXPECT_EQ(TakesRatingTags(track), row.Takes) << row.Path << " " << row.Rating;
    }
}

}  // namespace
