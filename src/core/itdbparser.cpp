#include "itdbparser.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "ansi_text.h"
#include "buffered_input.h"
#include "local_files.h"

namespace {

// A data object's string length sits 28 bytes in, its text 40 bytes in.
constexpr int64_t kStringLengthGap = 12;  // from the end of the type to the length
constexpr int64_t kStringTextGap = 8;     // from the end of the length to the text
constexpr int64_t kObjectFieldsRead = 16;

// The bytes of a track item ("mhit") that hold its fields: its header as
// players write it.
constexpr int32_t kItemBytes = 0x184;

// A field of a track item: where it lies from the item's start and how many
// bytes it takes, little-endian.
struct ItemField {
    // A field outside the bytes read does not compile.
    consteval ItemField(int32_t offset, int32_t width, bool readBeyondHeader = false)
        : Offset(offset), Width(width), ReadBeyondHeader(readBeyondHeader) {
        if (offset < 0 || width < 1 || width > 8 || offset + width > kItemBytes) {
            throw "a track item field outside the bytes read";
        }
    }
    constexpr int32_t End() const { return Offset + Width; }

    int32_t Offset;
    int32_t Width;
    // The fields the track list has always read are taken where they lie
    // even when the item's header is shorter (then they lie in its first data
    // object); any other field beyond the header reads 0.
    bool ReadBeyondHeader;
};

// The fields of a track item that the reader takes.
namespace item {
constexpr ItemField kHeaderLength{4, 4, true};
constexpr ItemField kObjectCount{12, 4, true};
constexpr ItemField kTrackId{16, 4, true};
constexpr ItemField kRating{0x1F, 1};        // stars times 20
constexpr ItemField kDateModified{0x20, 4};  // the player's time
constexpr ItemField kSize{0x24, 4};          // bytes
constexpr ItemField kLength{40, 4, true};    // milliseconds
constexpr ItemField kTrackNumber{44, 4, true};
constexpr ItemField kYear{0x34, 4};
constexpr ItemField kBitRate{56, 4, true};     // kbit/s
constexpr ItemField kSampleRate{60, 4, true};  // 16.16 fixed point
constexpr ItemField kPlayCount{0x50, 4};
constexpr ItemField kLastPlayed{0x58, 4};
constexpr ItemField kDiscNumber{0x5C, 4};
constexpr ItemField kDiscCount{0x60, 4};
constexpr ItemField kDateAdded{0x68, 4};
constexpr ItemField kSkipCount{0x9C, 4};
// A track's links to its picture in the artwork store: its database id, and
// in headers at least kArtworkIdHeaderLength long the picture's image id.
constexpr ItemField kDatabaseId{0x70, 8};
constexpr ItemField kArtworkId{0x160, 4};
constexpr int32_t kArtworkIdHeaderLength = 0x184;
constexpr ItemField kMediaType{208, 4, true};
// Bytes read of every item, however short its header. The walk then moves to
// the item's header length, which may lie before: the input keeps enough
// bytes behind for that move back.
constexpr int32_t kAlwaysRead = kMediaType.End();
static_assert(kAlwaysRead <= BufferedInput::kHistory);
}  // namespace item

// The fixed part of a track item as read, whose fields are taken by their
// offsets.
class ItemHeader {
public:
    // Reads the item's fixed part at the input's position and leaves the
    // input where its first data object starts; false on a short read or
    // when the item does not start with "mhit" or declares a negative header
    // length.
    bool Read(BufferedInput& input) {
        const int64_t start = input.Tell();
        if (input.Read(bytes_, 8) != 8 || std::memcmp(bytes_, "mhit", 4) != 0) {
            return false;
        }
        length_ = static_cast<int32_t>(Get(item::kHeaderLength));
        if (length_ < 0) {
            return false;
        }
        const auto size =
            static_cast<size_t>(std::max(item::kAlwaysRead, std::min(length_, kItemBytes)));
        return input.Read(bytes_ + 8, size - 8) == size - 8 && input.SeekTo(start + length_);
    }

    // The field's value, 0 for one that lies beyond the header and is not
    // read there.
    uint64_t Get(ItemField field) const {
        if (!field.ReadBeyondHeader && field.End() > length_) {
            return 0;
        }
        uint64_t value = 0;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(&value, bytes_ + field.Offset, static_cast<size_t>(field.Width));
        } else {
            for (int32_t i = field.Width - 1; i >= 0; --i) {
                value = value << 8 | bytes_[field.Offset + i];
            }
        }
        return value;
    }
    uint32_t GetUInt32(ItemField field) const { return static_cast<uint32_t>(Get(field)); }
    int32_t GetInt32(ItemField field) const { return static_cast<int32_t>(GetUInt32(field)); }
    int32_t Length() const { return length_; }

private:
    uint8_t bytes_[kItemBytes] = {};
    int32_t length_ = 0;
};

// Data object types that carry a string the reader keeps.
enum ObjectType : uint32_t {
    kTitle = 1,
    kLocation = 2,
    kAlbum = 3,
    kArtist = 4,
    kGenre = 5,
    kFileType = 6,
    kComment = 8,
    kComposer = 12,
};

// The texts beyond the list's first columns and their setters. Unlike the
// five strings above, whose walk goes on right after their text, these are
// stepped over by their total length like the objects the reader passes
// over, and read only when their text lies inside it.
struct TextObject {
    ObjectType Type;
    void (OneTrack::*Set)(std::u16string);
};
constexpr TextObject kTextObjects[] = {
    {kGenre, &OneTrack::SetGenre},
    {kComment, &OneTrack::SetComment},
    {kComposer, &OneTrack::SetComposer},
};

bool ReadInt32(BufferedInput& input, int32_t& value) {
    uint8_t bytes[4];
    if (input.Read(bytes, 4) != 4) {
        return false;
    }
    value = ITDBParser::ToInt32(bytes);
    return true;
}

bool ReadTag(BufferedInput& input, const char (&expected)[5]) {
    uint8_t tag[4];
    return input.Read(tag, 4) == 4 && std::memcmp(tag, expected, 4) == 0;
}

// Reads a string of `length` bytes at the input's position as UTF-16
// little-endian: at most kLongestText bytes of it, in whole code units; the
// rest is passed over, but its last byte must be there all the same.
// `charge` is told the bytes to be kept before they are read and may refuse
// them.
template <typename Charge>
bool ReadUnits(BufferedInput& input, int32_t length, std::u16string& text, Charge charge) {
    const int32_t kept = std::min(length, ITDBParser::kLongestText) / 2 * 2;
    if (!charge(static_cast<size_t>(kept))) {
        return false;
    }
    text.resize(static_cast<size_t>(kept) / 2);
    if (input.Read(reinterpret_cast<uint8_t*>(text.data()), static_cast<size_t>(kept)) !=
        static_cast<size_t>(kept)) {
        return false;
    }
    if constexpr (std::endian::native == std::endian::big) {
        for (char16_t& unit : text) {
            unit = static_cast<char16_t>((unit >> 8) | (unit << 8));
        }
    }
    const int64_t passedOver = length - kept;
    uint8_t lastByte = 0;
    return passedOver == 0 || (input.Skip(passedOver - 1) && input.Read(&lastByte, 1) == 1);
}

// Reads an object's string, positioned 16 bytes into the object.
template <typename Charge>
bool ReadStringUnits(BufferedInput& input, std::u16string& text, Charge charge) {
    int32_t length = 0;
    return input.Skip(kStringLengthGap) && ReadInt32(input, length) && length >= 0 &&
           input.Skip(kStringTextGap) && ReadUnits(input, length, text, charge);
}

// A compressed database holds a zlib stream where an ordinary one has its
// first data set: it starts with 0x78 (deflate, 32 KiB window), and its
// first two bytes, big-endian, are a multiple of 31. Leaves the input where
// it was.
bool StartsZlibStream(BufferedInput& input) {
    const int64_t start = input.Tell();
    uint8_t header[2];
    const bool zlib =
        input.Read(header, 2) == 2 && header[0] == 0x78 && (header[0] << 8 | header[1]) % 31 == 0;
    return input.SeekTo(start) && zlib;
}

}  // namespace

ITDBParser::ITDBParser(const std::string& databasePath, std::shared_ptr<PlayerFiles> files)
    : databasePath_(databasePath),
      files_(files ? std::move(files) : std::make_shared<LocalFiles>()),
      cursor_(tracks_.end()) {}

ITDBParser::~ITDBParser() = default;

std::vector<const OneTrack*> ITDBParser::TracksInFileOrder() const {
    std::vector<const OneTrack*> tracks;
    tracks.reserve(tracks_.size());
    for (const auto& track : tracks_) {
        tracks.push_back(track.get());
    }
    return tracks;
}

int32_t ITDBParser::ToInt32(const uint8_t bytes[4]) {
    const uint32_t value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                           static_cast<uint32_t>(bytes[2]) << 16 |
                           static_cast<uint32_t>(bytes[3]) << 24;
    return static_cast<int32_t>(value);
}

int32_t ITDBParser::Parse(int32_t limit) {
    DropPlaylists();
    BufferedInput input;
    if (databasePath_.empty() || !input.Open(files_->OpenAnsi(databasePath_))) {
        return -1;
    }
    int32_t result = -1;
    try {
        result = ReadTracks(input, limit);
    } catch (const std::bad_alloc&) {
        // Memory ran out below the budget (the address space of a 32-bit
        // program is shared with everything else): nothing is kept, and
        // the playlists, which point at the tracks, go first.
        playlists_.clear();
        artwork_ = {};
        photos_ = {};
        tracks_.clear();
        cursor_ = tracks_.end();
        budget_.Clear();
    }
    narrowBuffer_ = std::u16string();
    trackIds_.Free(budget_);
    budget_.Free(entries_);
    budget_.Free(artworkLinks_);
    return result;
}

int32_t ITDBParser::ReadTracks(BufferedInput& input, int32_t limit) {
    int64_t trackSetEnd = 0;
    const int32_t count = ReadHeader(input, trackSetEnd);
    if (count <= 0) {
        // A player may hold photos and no track.
        if (count == 0) {
            photos_.Read(PhotosFolderOf(databasePath_), budget_, files_);
        }
        return count;
    }
    const int32_t wanted = limit < 0 ? count : std::min(count, limit);
    // A track's record and its place in the list, beside its texts.
    constexpr size_t kTrackBytes = sizeof(OneTrack) + 4 * sizeof(void*);
    // Without an artwork store no track has a picture, and the links that
    // would find it are not kept.
    const std::string artworkFolder = ArtworkFolderOf(databasePath_);
    const bool withArtwork = ArtworkIndex::StoreExists(*files_, artworkFolder);
    int32_t read = 0;
    while (read < wanted) {
        TrackLinks links;
        std::unique_ptr<OneTrack> track = ReadTrack(input, links);
        if (!track || !budget_.Charge(kTrackBytes) ||
            !trackIds_.Add(links.TrackId, track.get(), budget_) ||
            (withArtwork && !budget_.MakeRoom(artworkLinks_))) {
            break;
        }
        if (withArtwork) {
            artworkLinks_.emplace_back(track.get(), links);
        }
        tracks_.push_back(std::move(track));
        ++read;
    }
    // A second track of the same id leaves the playlists to the first.
    if (trackIds_.Sort(budget_)) {
        ReadPlaylists(input, trackSetEnd);
    }
    MergeSinceSync();
    if (withArtwork && read > 0) {
        ReadArtwork(artworkFolder);
    }
    // The photos cost no track: they are read last, within what is left.
    photos_.Read(PhotosFolderOf(databasePath_), budget_, files_);
    return read;
}

void ITDBParser::ReadArtwork(const std::string& artworkFolder) {
    artwork_.Read(artworkFolder, budget_, files_);
    for (const auto& [track, links] : artworkLinks_) {
        track->SetArtwork(artwork_.Find(links.ArtworkId, links.DatabaseId));
    }
}

int32_t ITDBParser::ReadHeader(BufferedInput& input, int64_t& trackSetEnd) {
    constexpr int32_t kInvalid = -1;
    int32_t headerLength = 0;
    int32_t totalLength = 0;
    if (!input.SeekTo(0) || !ReadTag(input, "mhbd") || !ReadInt32(input, headerLength) ||
        !ReadInt32(input, totalLength) || totalLength != input.Size()) {
        return kInvalid;
    }
    // The library's own id, in headers long enough to hold it.
    constexpr int32_t kLibraryIdOffset = 0x18;
    uint8_t id[8] = {};
    libraryId_ = 0;
    if (headerLength >= kLibraryIdOffset + 8 && input.SeekTo(kLibraryIdOffset) &&
        input.Read(id, sizeof id) == sizeof id) {
        for (int i = 7; i >= 0; --i) {
            libraryId_ = libraryId_ << 8 | id[i];
        }
    }
    if (!input.SeekTo(headerLength)) {
        return kInvalid;
    }
    // Everything after a compressed database's header is read as it inflates.
    if (StartsZlibStream(input) && !input.InflateFrom(headerLength)) {
        return kInvalid;
    }

    // Walk the data sets up to the first one of type 1. Each step must move
    // forward, or a set declaring a length of 0 would be read for ever.
    while (true) {
        const int64_t setStart = input.Tell();
        int32_t setHeaderLength = 0;
        int32_t setTotalLength = 0;
        int32_t setType = 0;
        if (!ReadTag(input, "mhsd") || !ReadInt32(input, setHeaderLength) ||
            !ReadInt32(input, setTotalLength) || !ReadInt32(input, setType)) {
            return kInvalid;
        }
        if (setType == 1) {
            if (setHeaderLength < 0 || !input.SeekTo(setStart + setHeaderLength)) {
                return kInvalid;
            }
            trackSetEnd = setStart + setTotalLength;
            break;
        }
        if (setTotalLength <= 0 || !input.SeekTo(setStart + setTotalLength)) {
            return kInvalid;
        }
    }

    const int64_t listStart = input.Tell();
    int32_t listHeaderLength = 0;
    int32_t trackCount = 0;
    if (!ReadTag(input, "mhlt") || !ReadInt32(input, listHeaderLength) ||
        !ReadInt32(input, trackCount) || listHeaderLength < 0 ||
        !input.SeekTo(listStart + listHeaderLength)) {
        return kInvalid;
    }
    return trackCount;
}

std::unique_ptr<OneTrack> ITDBParser::ReadTrack(BufferedInput& input, TrackLinks& links) {
    ItemHeader header;
    if (!header.Read(input)) {
        return nullptr;
    }
    const int32_t objectCount = header.GetInt32(item::kObjectCount);
    if (objectCount < 2) {
        return nullptr;
    }
    auto track = std::make_unique<OneTrack>();
    track->SetLength(header.GetUInt32(item::kLength));
    track->SetTrackNumber(header.GetInt32(item::kTrackNumber));
    track->SetBitRate(header.GetInt32(item::kBitRate));
    track->SetSampleRate(header.GetUInt32(item::kSampleRate));
    track->SetMediaType(header.GetInt32(item::kMediaType));
    track->SetRating(header.GetUInt32(item::kRating));
    track->SetDateModified(header.GetUInt32(item::kDateModified));
    track->SetSize(header.GetUInt32(item::kSize));
    track->SetYear(header.GetUInt32(item::kYear));
    track->SetPlayCount(header.GetUInt32(item::kPlayCount));
    track->SetLastPlayed(header.GetUInt32(item::kLastPlayed));
    track->SetDisc(header.GetUInt32(item::kDiscNumber), header.GetUInt32(item::kDiscCount));
    track->SetDateAdded(header.GetUInt32(item::kDateAdded));
    track->SetSkipCount(header.GetUInt32(item::kSkipCount));

    for (int32_t i = 0; i < objectCount; ++i) {
        int32_t objectTotalLength = 0;
        int32_t rawType = 0;
        if (!ReadTag(input, "mhod") || !input.Skip(4) || !ReadInt32(input, objectTotalLength) ||
            !ReadInt32(input, rawType)) {
            return nullptr;
        }
        const auto type = static_cast<uint32_t>(rawType);
        const auto* textObject =
            std::find_if(std::begin(kTextObjects), std::end(kTextObjects),
                         [type](const TextObject& object) { return object.Type == type; });
        if (textObject != std::end(kTextObjects)) {
            if (!ReadTextObject(input, objectTotalLength, *track, textObject->Set)) {
                return nullptr;
            }
            continue;
        }
        std::u16string wide;
        std::string narrow;
        switch (type) {
            case kTitle:
                if (!ReadWideString(input, wide))
                    return nullptr;
                track->SetTitle(std::move(wide));
                break;
            case kAlbum:
                if (!ReadWideString(input, wide))
                    return nullptr;
                track->SetAlbum(std::move(wide));
                break;
            case kArtist:
                if (!ReadWideString(input, wide))
                    return nullptr;
                track->SetArtist(std::move(wide));
                break;
            case kLocation:
                if (!ReadNarrowString(input, narrow))
                    return nullptr;
                track->SetLocation(std::move(narrow));
                break;
            case kFileType:
                if (!ReadNarrowString(input, narrow))
                    return nullptr;
                track->SetFileType(std::move(narrow));
                break;
            default:
                // Objects the list does not need are passed over whole. One
                // that would not move the walk forward ends the track: an item
                // may declare two billion objects.
                if (objectTotalLength <= 0 || !input.Skip(objectTotalLength - kObjectFieldsRead)) {
                    return nullptr;
                }
                break;
        }
    }
    links.TrackId = static_cast<uint32_t>(header.Get(item::kTrackId));
    links.DatabaseId = header.Get(item::kDatabaseId);
    track->SetDatabaseId(links.DatabaseId);
    // Only headers of the newer, longer kind hold the picture's image id.
    links.ArtworkId = header.Length() >= item::kArtworkIdHeaderLength
                          ? static_cast<uint32_t>(header.Get(item::kArtworkId))
                          : 0;
    return track;
}

bool ITDBParser::ReadTextObject(BufferedInput& input, int32_t totalLength, OneTrack& track,
                                void (OneTrack::*set)(std::u16string)) {
    constexpr int64_t kTextOffset = kObjectFieldsRead + kStringLengthGap + 4 + kStringTextGap;
    const int64_t objectStart = input.Tell() - kObjectFieldsRead;
    if (totalLength <= 0) {
        return false;  // as for any object passed over: the walk must move on
    }
    int32_t length = 0;
    if (totalLength >= kTextOffset && input.Skip(kStringLengthGap) && ReadInt32(input, length) &&
        length >= 0 && length <= totalLength - kTextOffset) {
        std::u16string text;
        const auto charge = [this](size_t bytes) { return budget_.Charge(bytes); };
        if (!input.Skip(kStringTextGap) || !ReadUnits(input, length, text, charge)) {
            return false;
        }
        (track.*set)(std::move(text));
    }
    return input.SeekTo(objectStart + totalLength);
}

bool ITDBParser::ReadWideString(BufferedInput& input, std::u16string& text) {
    return ReadStringUnits(input, text, [this](size_t bytes) { return budget_.Charge(bytes); });
}

bool ITDBParser::ReadNarrowString(BufferedInput& input, std::string& text) {
    // The UTF-16 form passes through a buffer of its own, reused; the narrow
    // text is charged at what it holds, up to two bytes a code unit.
    if (!ReadStringUnits(input, narrowBuffer_, [](size_t) { return true; })) {
        return false;
    }
    text = AnsiFromUtf16(narrowBuffer_);
    return budget_.Charge(text.size());
}
