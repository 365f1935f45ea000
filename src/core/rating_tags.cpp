#include "core/rating_tags.h"

#include <id3v2framefactory.h>
#include <id3v2tag.h>
#include <mp4atom.h>
#include <mp4file.h>
#include <mpegfile.h>
#include <popularimeterframe.h>
#include <tbytevectorstream.h>
#include <textidentificationframe.h>
#include <tfilestream.h>
#include <unknownframe.h>

#include <algorithm>
#include <array>
#include <system_error>

#include "core/tag_safety.h"

namespace {

const char kWindowsPlayer[] = "Windows Media Player 9 Series";
const char kFmpsRating[] = "FMPS_Rating";
const char kFmpsPlaycount[] = "FMPS_Playcount";
const char kMp4ItemPrefix[] = "----:com.apple.iTunes:";

// How far past its tag an MP3's first frame is looked for: a file of bytes
// that look like frame headers would otherwise be searched to its end, a
// candidate at a time.
constexpr long kFirstFrameSearched = 1 << 20;

// TagLib 1.x measures files in `long`, 32 bits on Windows.
constexpr uintmax_t kLargestFileTagLibMeasures = 0x7FFFFFFF;

// What a file carries of the four values.
struct CarriedValues {
    std::optional<std::pair<int, unsigned>> Popularimeter;  // rating byte, counter
    std::optional<uint32_t> PlayCounter;
    std::optional<std::string> FmpsRating;
    std::optional<std::string> FmpsPlaycount;

    bool operator==(const CarriedValues&) const = default;
};

std::string Narrow(const TagLib::String& text) {
    return text.to8Bit(true);
}

// A file stream that moves what follows a tag in blocks of a megabyte where
// the tag grows or shrinks: TagLib's own moves a kilobyte at a time, which
// makes adding a tag to a large file many times slower than copying it.
class BlockMovingFileStream : public TagLib::FileStream {
public:
    using TagLib::FileStream::FileStream;

    void insert(const TagLib::ByteVector& data, unsigned long start,
                unsigned long replace) override {
        const unsigned long size = data.size();
        if (size > replace) {
            MoveTail(start + replace, static_cast<long>(size - replace));
        } else if (size < replace) {
            removeBlock(start + size, replace - size);
        }
        seek(static_cast<long>(start));
        writeBlock(data);
    }

    void removeBlock(unsigned long start, unsigned long length) override {
        const long end = this->length();
        MoveTail(start + length, -static_cast<long>(length));
        truncate(end - static_cast<long>(length));
    }

    // Whether a block could not be moved whole: what follows the tag may be
    // damaged, whatever the tag reads.
    bool Failed() const { return failed_; }

private:
    static constexpr long kBlock = 1 << 20;

    // Moves everything from `from` to the end by `shift` bytes, the last
    // block first when it moves back and the first first when it moves
    // forward, so that nothing is overwritten before it is moved.
    void MoveTail(unsigned long from, long shift) {
        const long begin = static_cast<long>(from);
        const long end = length();
        for (long done = 0; done < end - begin;) {
            const long size = std::min(kBlock, end - begin - done);
            const long at = shift > 0 ? end - done - size : begin + done;
            seek(at);
            const TagLib::ByteVector block = readBlock(static_cast<unsigned long>(size));
            seek(at + shift);
            writeBlock(block);
            if (static_cast<long>(block.size()) != size || tell() != at + shift + size) {
                failed_ = true;
                return;
            }
            done += size;
        }
    }

    bool failed_ = false;
};

// --- ID3v2 -----------------------------------------------------------------

TagLib::ID3v2::PopularimeterFrame* WindowsPopularimeter(const TagLib::ID3v2::Tag& tag) {
    for (TagLib::ID3v2::Frame* frame : tag.frameListMap()["POPM"]) {
        auto* popularimeter = dynamic_cast<TagLib::ID3v2::PopularimeterFrame*>(frame);
        if (popularimeter != nullptr && popularimeter->email() == kWindowsPlayer) {
            return popularimeter;
        }
    }
    return nullptr;
}

std::optional<std::string> UserText(TagLib::ID3v2::Tag& tag, const char* description) {
    const auto* frame = TagLib::ID3v2::UserTextIdentificationFrame::find(&tag, description);
    if (frame == nullptr || frame->fieldList().size() < 2) {
        return std::nullopt;
    }
    return Narrow(frame->fieldList()[1]);  // the first field is the description
}

void SetUserText(TagLib::ID3v2::Tag& tag, const char* description, const std::string& text) {
    auto* frame = TagLib::ID3v2::UserTextIdentificationFrame::find(&tag, description);
    if (frame == nullptr) {
        frame = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::Latin1);
        frame->setDescription(description);
        tag.addFrame(frame);  // the tag owns it
    }
    frame->setText(TagLib::String(text, TagLib::String::Latin1));
}

// TagLib has no class of its own for the play counter: a frame of just a
// 32-bit big-endian count.
void SetPlayCounter(TagLib::ID3v2::Tag& tag, uint32_t plays) {
    tag.removeFrames("PCNT");
    TagLib::ByteVector frame("PCNT");
    frame.append(TagLib::ByteVector::fromUInt(4));  // the size, the same in both versions
    frame.append(TagLib::ByteVector(2, '\0'));      // no flags
    frame.append(TagLib::ByteVector::fromUInt(plays));
    tag.addFrame(new TagLib::ID3v2::UnknownFrame(frame));
}

std::optional<uint32_t> PlayCounter(const TagLib::ID3v2::Tag& tag) {
    const TagLib::ID3v2::FrameList& frames = tag.frameListMap()["PCNT"];
    const auto* frame =
        frames.isEmpty() ? nullptr : dynamic_cast<TagLib::ID3v2::UnknownFrame*>(frames.front());
    if (frame == nullptr || frame->data().size() < 4) {
        return std::nullopt;
    }
    // A counter longer than 32 bits shows its last 32.
    return frame->data().mid(frame->data().size() - 4).toUInt();
}

CarriedValues Id3v2Values(TagLib::ID3v2::Tag& tag) {
    CarriedValues values;
    if (const auto* popularimeter = WindowsPopularimeter(tag)) {
        values.Popularimeter = {popularimeter->rating(), popularimeter->counter()};
    }
    values.PlayCounter = PlayCounter(tag);
    values.FmpsRating = UserText(tag, kFmpsRating);
    values.FmpsPlaycount = UserText(tag, kFmpsPlaycount);
    return values;
}

long Id3v2Size(TagLib::MPEG::File& file) {
    return file.hasID3v2Tag() ? static_cast<long>(file.ID3v2Tag()->header()->completeTagSize()) : 0;
}

// --- MP4 -------------------------------------------------------------------

std::optional<std::string> Mp4Text(const TagLib::MP4::Tag& tag, const char* name) {
    const TagLib::String key = std::string(kMp4ItemPrefix) + name;
    if (!tag.contains(key) || tag.item(key).toStringList().isEmpty()) {
        return std::nullopt;
    }
    return Narrow(tag.item(key).toStringList().front());
}

void SetMp4Text(TagLib::MP4::Tag& tag, const char* name, const std::string& text) {
    tag.setItem(std::string(kMp4ItemPrefix) + name,
                TagLib::MP4::Item(TagLib::StringList(TagLib::String(text, TagLib::String::UTF8))));
}

CarriedValues Mp4Values(const TagLib::MP4::Tag& tag) {
    CarriedValues values;
    values.FmpsRating = Mp4Text(tag, kFmpsRating);
    values.FmpsPlaycount = Mp4Text(tag, kFmpsPlaycount);
    return values;
}

// The length of the movie header, where the items are, and whether the
// file's top-level boxes fill it exactly: an intact file.
struct Mp4Shape {
    long Movie = -1;
    bool Whole = false;
};

Mp4Shape ShapeOf(TagLib::MP4::File& file) {
    TagLib::MP4::Atoms atoms(&file);
    Mp4Shape shape;
    long total = 0;
    for (const TagLib::MP4::Atom* atom : atoms.atoms) {
        total += atom->length;
        if (atom->name == "moov") {
            shape.Movie = atom->length;
        }
    }
    shape.Whole = shape.Movie > 0 && total == file.length();
    return shape;
}

// --- What the library is not given -----------------------------------------

std::string ReadAt(TagLib::IOStream& stream, uint64_t offset, size_t length) {
    stream.seek(static_cast<long>(offset));
    const TagLib::ByteVector bytes = stream.readBlock(static_cast<unsigned long>(length));
    return std::string(bytes.data(), bytes.size());
}

// A file's first bytes that tell the whole file's length: the library pads
// a tag it renders by the length of the file it is in.
class FileStartStream : public TagLib::ByteVectorStream {
public:
    FileStartStream(const TagLib::ByteVector& start, long fileLength)
        : ByteVectorStream(start), fileLength_(fileLength) {}
    long length() override { return fileLength_; }

private:
    long fileLength_;
};

// Whether an MP3's ID3v2 tag, if any, may be read: not too large, and no
// compressed frame in it inflates past its limit.
bool Id3v2TagIsSafe(TagLib::IOStream& stream) {
    const size_t tagLength = Id3v2TagLength(ReadAt(stream, 0, 10));
    return tagLength <= kLargestId3v2Tag &&
           (tagLength == 0 || Id3v2InflatesSanely(ReadAt(stream, 0, tagLength)));
}

// Whether the library finds MPEG audio in `start`, a file's first bytes.
bool MpegAudioIn(const TagLib::ByteVector& start) {
    TagLib::ByteVectorStream stream(start);
    TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    return file.isValid() && file.firstFrameOffset() >= 0;
}

// Whether MPEG audio starts soon after the tag: the library's search over
// the file's first bytes alone, kept in memory; the first few kilobytes
// after the tag hold a frame in nearly every file.
bool HasFirstFrameNearTheStart(TagLib::IOStream& stream) {
    const size_t tagLength = Id3v2TagLength(ReadAt(stream, 0, 10));
    for (const long searched : {static_cast<long>(kMp3AudioChecked), kFirstFrameSearched}) {
        stream.seek(0);
        const long wanted = static_cast<long>(tagLength) + searched;
        const TagLib::ByteVector start = stream.readBlock(static_cast<unsigned long>(wanted));
        if (MpegAudioIn(start)) {
            return true;
        }
        if (static_cast<long>(start.size()) < wanted) {
            return false;  // the whole file was searched
        }
    }
    return false;
}

bool Mp4IsSafe(TagLib::IOStream& stream) {
    return Mp4BoxesNestShallowly(
        [&stream](uint64_t offset, size_t length) { return ReadAt(stream, offset, length); },
        static_cast<uint64_t>(stream.length()));
}

// --- Writing ---------------------------------------------------------------

// What a file is to carry after the writing; what it carried of the values
// not written stays.
CarriedValues Expected(CarriedValues before, RatingConvention convention, RatingAndPlays values) {
    if (convention == RatingConvention::Id3v2) {
        // An unrated track leaves a rating the file has.
        const int rating = values.Stars > 0 || !before.Popularimeter
                               ? PopularimeterRating(values.Stars)
                               : before.Popularimeter->first;
        before.Popularimeter = {rating, values.Plays};
        before.PlayCounter = values.Plays;
    }
    if (values.Stars > 0) {
        before.FmpsRating = FmpsRatingText(values.Stars);
    }
    before.FmpsPlaycount = std::to_string(values.Plays);
    return before;
}

bool TooLargeForTagLib(const std::filesystem::path& file) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(file, error);
    return error || size > kLargestFileTagLibMeasures;
}

// Puts the values `expected` gives into the tag, keeping the other frames.
void SetId3v2Values(TagLib::ID3v2::Tag& tag, const CarriedValues& expected) {
    if (auto* old = WindowsPopularimeter(tag)) {
        tag.removeFrame(old);
    }
    auto* popularimeter = new TagLib::ID3v2::PopularimeterFrame();
    popularimeter->setEmail(kWindowsPlayer);
    popularimeter->setRating(expected.Popularimeter->first);
    popularimeter->setCounter(expected.Popularimeter->second);
    tag.addFrame(popularimeter);
    SetPlayCounter(tag, *expected.PlayCounter);
    if (expected.FmpsRating) {
        SetUserText(tag, kFmpsRating, *expected.FmpsRating);
    }
    SetUserText(tag, kFmpsPlaycount, *expected.FmpsPlaycount);
}

// The file is written and then read back through one stream: TagLib does
// not tell of a write that failed, the file read afresh does.
RatingTagsOutcome WriteId3v2(BlockMovingFileStream& stream, RatingAndPlays values) {
    auto* const frames = TagLib::ID3v2::FrameFactory::instance();
    CarriedValues expected;
    long expectedLength = 0;
    {
        TagLib::MPEG::File file(&stream, frames, false);
        // A file without MPEG audio is no MP3, whatever its name.
        if (!file.isValid() || file.readOnly() || !HasFirstFrameNearTheStart(stream)) {
            return RatingTagsOutcome::Unreadable;
        }
        const long lengthWithoutTag = file.length() - Id3v2Size(file);
        // A tag keeps its version where it can: ID3v2.4 stays, with all it
        // holds; ID3v2.3 and 2.2, and a new tag, are saved as ID3v2.3, the
        // version Windows reads.
        const bool version4 = file.hasID3v2Tag() && file.ID3v2Tag()->header()->majorVersion() == 4;
        TagLib::ID3v2::Tag& tag = *file.ID3v2Tag(true);
        expected = Expected(Id3v2Values(tag), RatingConvention::Id3v2, values);
        SetId3v2Values(tag, expected);

        const auto version = version4 ? TagLib::ID3v2::v4 : TagLib::ID3v2::v3;
        if (!file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, version,
                       TagLib::File::DoNotDuplicate)) {
            return RatingTagsOutcome::Damaged;
        }
        expectedLength = lengthWithoutTag + Id3v2Size(file);
    }
    TagLib::MPEG::File reread(&stream, frames, false);
    const bool intact = !stream.Failed() && reread.isValid() && reread.hasID3v2Tag() &&
                        reread.length() == expectedLength &&
                        Id3v2Values(*reread.ID3v2Tag()) == expected;
    return intact ? RatingTagsOutcome::Written : RatingTagsOutcome::Damaged;
}

RatingTagsOutcome WriteMp4(BlockMovingFileStream& stream, RatingAndPlays values) {
    CarriedValues expected;
    long lengthOutsideMovie = 0;
    {
        TagLib::MP4::File file(&stream, false);
        if (!file.isValid() || file.readOnly() || file.tag() == nullptr) {
            return RatingTagsOutcome::Unreadable;
        }
        const Mp4Shape shape = ShapeOf(file);
        if (!shape.Whole) {
            return RatingTagsOutcome::Unreadable;
        }
        lengthOutsideMovie = file.length() - shape.Movie;
        TagLib::MP4::Tag& tag = *file.tag();
        expected = Expected(Mp4Values(tag), RatingConvention::Mp4Items, values);
        if (values.Stars > 0) {
            SetMp4Text(tag, kFmpsRating, *expected.FmpsRating);
        }
        SetMp4Text(tag, kFmpsPlaycount, *expected.FmpsPlaycount);
        if (!file.save()) {
            return RatingTagsOutcome::Damaged;
        }
    }
    // Only the movie header may have changed its length.
    TagLib::MP4::File reread(&stream, false);
    if (!reread.isValid() || reread.tag() == nullptr) {
        return RatingTagsOutcome::Damaged;
    }
    const Mp4Shape shape = ShapeOf(reread);
    const bool intact = !stream.Failed() && shape.Whole &&
                        reread.length() - shape.Movie == lengthOutsideMovie &&
                        Mp4Values(*reread.tag()) == expected;
    return intact ? RatingTagsOutcome::Written : RatingTagsOutcome::Damaged;
}

bool IsSafeForTagLib(TagLib::IOStream& stream, RatingConvention convention) {
    return convention == RatingConvention::Id3v2 ? Id3v2TagIsSafe(stream) : Mp4IsSafe(stream);
}

std::string Line(const char* name, const std::optional<std::string>& value) {
    return std::string(name) + ": " + value.value_or("-") + "\n";
}

}  // namespace

RatingTagsOutcome WriteRatingTags(const std::filesystem::path& file, RatingConvention convention,
                                  RatingAndPlays values) {
    if (convention == RatingConvention::None || TooLargeForTagLib(file)) {
        return RatingTagsOutcome::Unreadable;
    }
    BlockMovingFileStream stream(file.c_str());
    if (!stream.isOpen() || stream.readOnly() || !IsSafeForTagLib(stream, convention)) {
        return RatingTagsOutcome::Unreadable;
    }
    return convention == RatingConvention::Id3v2 ? WriteId3v2(stream, values)
                                                 : WriteMp4(stream, values);
}

std::optional<Mp3TagInFront> TagInFrontOfMp3(std::string_view start, uint64_t fileSize,
                                             RatingAndPlays values) {
    const std::optional<size_t> firstAudio = StartForTagInFront(start);
    if (!firstAudio) {
        return std::nullopt;
    }
    const size_t replaced = *firstAudio - kMp3AudioChecked;
    // The tag and the audio's first frames lie in `start`, or the file ends
    // in it.
    const bool inStart =
        *firstAudio <= start.size() || (start.size() == fileSize && replaced <= start.size());
    if (fileSize < start.size() || fileSize > kLargestFileTagLibMeasures || !inStart ||
        (replaced > 0 && !Id3v2InflatesSanely(start.substr(0, replaced)))) {
        return std::nullopt;
    }
    const auto bytes = [](std::string_view part) {
        return TagLib::ByteVector(part.data(), static_cast<unsigned int>(part.size()));
    };
    const TagLib::ByteVector head = bytes(start.substr(0, *firstAudio));
    auto* const frames = TagLib::ID3v2::FrameFactory::instance();
    TagLib::ByteVector rendered;
    CarriedValues expected;
    {
        // The tag as the file holds it, padded as it would be in the file.
        FileStartStream stream(head, static_cast<long>(fileSize));
        TagLib::MPEG::File file(&stream, frames, false);
        if (!file.isValid() || Id3v2Size(file) != static_cast<long>(replaced) ||
            file.firstFrameOffset() < 0) {
            return std::nullopt;  // no MPEG audio near the start
        }
        const bool version4 = file.hasID3v2Tag() && file.ID3v2Tag()->header()->majorVersion() == 4;
        TagLib::ID3v2::Tag& tag = *file.ID3v2Tag(true);
        expected = Expected(Id3v2Values(tag), RatingConvention::Id3v2, values);
        SetId3v2Values(tag, expected);
        rendered = tag.render(version4 ? TagLib::ID3v2::v4 : TagLib::ID3v2::v3);
    }
    // Checked as it will be written: the tag read from its own bytes in
    // front of the audio's start.
    TagLib::ByteVector copyStart = rendered;
    copyStart.append(bytes(start.substr(replaced, kMp3AudioChecked)));
    TagLib::ByteVectorStream stream(copyStart);
    TagLib::MPEG::File copy(&stream, frames, false);
    if (!copy.isValid() || !copy.hasID3v2Tag() ||
        Id3v2Size(copy) != static_cast<long>(rendered.size()) ||
        Id3v2Values(*copy.ID3v2Tag()) != expected) {
        return std::nullopt;
    }
    return Mp3TagInFront{std::string(rendered.data(), rendered.size()), replaced};
}

std::optional<size_t> StartForTagInFront(std::string_view header) {
    const size_t tagLength = Id3v2TagLength(header.substr(0, 10));
    return tagLength <= kLargestTagInFront ? std::optional(tagLength + kMp3AudioChecked)
                                           : std::nullopt;
}

std::optional<std::string> DescribeRatingTags(const std::filesystem::path& path,
                                              RatingConvention convention) {
    if (convention == RatingConvention::None || TooLargeForTagLib(path)) {
        return std::nullopt;
    }
    {
        TagLib::FileStream stream(path.c_str(), true);
        if (!stream.isOpen() || !IsSafeForTagLib(stream, convention)) {
            return std::nullopt;
        }
    }
    CarriedValues values;
    if (convention == RatingConvention::Id3v2) {
        TagLib::MPEG::File file(path.c_str(), false);
        if (!file.isValid()) {
            return std::nullopt;
        }
        if (file.hasID3v2Tag()) {
            values = Id3v2Values(*file.ID3v2Tag());
        }
    } else {
        TagLib::MP4::File file(path.c_str(), false);
        if (!file.isValid() || file.tag() == nullptr) {
            return std::nullopt;
        }
        values = Mp4Values(*file.tag());
    }
    const auto number = [](const std::optional<uint32_t>& n) {
        return n ? std::optional(std::to_string(*n)) : std::nullopt;
    };
    const std::optional<std::string> popularimeter =
        values.Popularimeter ? std::optional(std::to_string(values.Popularimeter->first) + " " +
                                             std::to_string(values.Popularimeter->second))
                             : std::nullopt;
    return Line("POPM", popularimeter) + Line("PCNT", number(values.PlayCounter)) +
           Line("FMPS_Rating", values.FmpsRating) + Line("FMPS_Playcount", values.FmpsPlaycount);
}
