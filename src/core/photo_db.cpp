#include "photo_db.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "buffered_input.h"
#include "local_files.h"
#include "store_records.h"
#include "utf8_text.h"

namespace {

// Players keep their photos in a few files; a database naming more is not
// read beyond them.
constexpr size_t kMostFiles = 1024;
// The most of an album's name that is kept, in bytes.
constexpr uint32_t kLongestName = 4096;

enum ObjectType : uint16_t { kName = 1, kStoredPicture = 2, kOriginal = 5 };
enum SetType : uint16_t { kImages = 1, kAlbums = 2 };

}  // namespace

// One read of the database: the walk from the root down to each stored
// picture and album member.
class PhotoIndex::Walk {
public:
    Walk(PhotoIndex& index, BufferedInput& input, MemoryBudget& budget)
        : index_(index), input_(input), budget_(budget) {}

    void Root() {
        ForEachDataSet(input_, [this](const Record& set) {
            const uint16_t type = set.U16(12);
            return (type != kImages || ImageList(set)) && (type != kAlbums || AlbumList(set));
        });
    }

private:
    // False once the budget is spent.
    bool ImageList(const Record& set) {
        return ForEachImage(input_, set, 20, [this](const Record& item) { return Image(item); });
    }

    // One photo: of its stored pictures, the usable one with the largest
    // visible area (the first of equal area), and its original.
    bool Image(const Record& item) {
        Photo photo;
        photo.ImageId = item.U32(16);
        int64_t position = item.ContentStart;
        for (uint32_t i = 0; i < item.U32(12) && position < item.End; ++i) {
            const auto object =
                ReadRecord(input_, position, item.End, "mhod", 14, Extent::Contained);
            if (!object) {
                break;
            }
            if (object->U16(12) == kStoredPicture) {
                TakeIfLarger(*object, photo);
            } else if (object->U16(12) == kOriginal) {
                TakeOriginal(*object, photo);
            }
            position = object->End;
        }
        if (!budget_.MakeRoom(index_.photos_) || !budget_.Charge(photo.Original.size())) {
            return false;
        }
        index_.photos_.push_back(std::move(photo));
        return true;
    }

    void TakeIfLarger(const Record& object, Photo& photo) {
        const auto stored =
            ReadRecord(input_, object.ContentStart, object.End, "mhni", 36, Extent::Contained);
        if (!stored) {
            return;
        }
        StoredFrame frame;
        frame.FormatId = stored->U32(16);
        frame.ByteCount = stored->U32(24);
        frame.VerticalPadding = static_cast<int16_t>(stored->U16(28));
        frame.HorizontalPadding = static_cast<int16_t>(stored->U16(30));
        frame.Height = stored->U16(32);
        frame.Width = stored->U16(34);
        const std::optional<PhotoFrameLayout> layout = LayOutPhotoFrame(frame);
        if (!layout || (photo.File >= 0 && Area(*layout) <= Area(photo.Layout))) {
            return;
        }
        const std::optional<int32_t> file = FileNamed(*stored);
        const int64_t offset = stored->U32(20);
        if (!file || offset + layout->FrameBytes > index_.files_[*file].Size) {
            return;
        }
        photo.File = *file;
        photo.Offset = offset;
        photo.Layout = *layout;
    }

    void TakeOriginal(const Record& object, Photo& photo) {
        const auto stored =
            ReadRecord(input_, object.ContentStart, object.End, "mhni", 36, Extent::Contained);
        // Whether it is there is asked when the photos are extracted: a
        // look-up a photo would make opening a player of many slow.
        const std::optional<std::string> path = stored ? PathNamed(*stored) : std::nullopt;
        if (path) {
            photo.Original = *path;
        }
    }

    static int64_t Area(const PhotoFrameLayout& layout) {
        return int64_t{layout.Width} * layout.Height;
    }

    // The path inside the Photos folder that the record's first child names.
    std::optional<std::string> PathNamed(const Record& stored) {
        const auto object =
            ReadRecord(input_, stored.ContentStart, stored.End, "mhod", 36, Extent::Contained);
        const std::optional<std::string> name = object ? FileNameOf(input_, *object) : std::nullopt;
        return name ? PathInFolder(index_.folder_, *name) : std::nullopt;
    }

    // The file of a stored picture, as an index into the files met so far.
    std::optional<int32_t> FileNamed(const Record& stored) {
        const std::optional<std::string> path = PathNamed(stored);
        if (!path) {
            return std::nullopt;
        }
        std::vector<PhotoFile>& files = index_.files_;
        if (const auto known = fileNumbers_.find(*path); known != fileNumbers_.end()) {
            return known->second;
        }
        // The table of numbers lives as long as the walk, within the
        // budget's spare bytes.
        if (files.size() >= kMostFiles || !budget_.MakeRoom(files) ||
            !budget_.Charge(path->size() + 1)) {
            return std::nullopt;
        }
        files.push_back({*path, FileSizeOn(*index_.playerFiles_, *path).value_or(-1)});
        const auto number = static_cast<int32_t>(files.size() - 1);
        fileNumbers_.emplace(*path, number);
        return number;
    }

    bool AlbumList(const Record& set) {
        return ForEachListItem(
            input_, set, "mhla", [this](int64_t position, int64_t end) -> std::optional<int64_t> {
                const auto album =
                    ReadRecord(input_, position, end, "mhba", 31, Extent::HeaderOnly);
                if (!album) {
                    return position;
                }
                return AlbumAt(*album, end);
            });
    }

    // One album: its objects (the first name among them), then its members,
    // each record after the one before. Where the next album starts; nothing
    // once the budget is spent.
    std::optional<int64_t> AlbumAt(const Record& album, int64_t end) {
        Album read;
        int64_t position = album.ContentStart;
        bool named = false;
        for (uint32_t i = 0; i < album.U32(12); ++i) {
            const auto object = ReadRecord(input_, position, end, "mhod", 14, Extent::Contained);
            if (!object) {
                return album.Start;  // damage: the list ends here
            }
            if (!named && object->U16(12) == kName) {
                named = ReadName(*object, read.Name);
            }
            position = object->End;
        }
        for (uint32_t i = 0; i < album.U32(16); ++i) {
            const auto member = ReadRecord(input_, position, end, "mhia", 20, Extent::HeaderOnly);
            if (!member) {
                break;
            }
            if (!budget_.MakeRoom(read.Photos)) {
                budget_.Free(read.Photos);
                return std::nullopt;
            }
            read.Photos.push_back(static_cast<int32_t>(member->U32(16)));  // an image id for now
            position = member->End;
        }
        if (!budget_.MakeRoom(index_.albums_) ||
            !budget_.Charge(read.Name.size() * sizeof(char16_t))) {
            budget_.Free(read.Photos);
            return std::nullopt;
        }
        index_.albums_.push_back(std::move(read));
        return position;
    }

    // The text of a string object: +24 its length in bytes, +28 its
    // encoding (2 UTF-16LE, 0 or 1 UTF-8), the text from +36.
    bool ReadName(const Record& object, std::u16string& name) {
        const uint32_t length = std::min(object.U32(24), kLongestName);
        if (object.Start + 36 + int64_t{length} > object.End) {
            return false;
        }
        std::string bytes(length, '\0');
        if (!input_.SeekTo(object.Start + 36) ||
            input_.Read(reinterpret_cast<uint8_t*>(bytes.data()), length) != length) {
            return false;
        }
        const uint8_t encoding = object.Head[28];
        if (encoding == 2) {
            name.resize(length / 2);
            for (size_t i = 0; i < name.size(); ++i) {
                name[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                                static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
            }
            return true;
        }
        if (encoding <= 1) {
            name = Utf16FromUtf8(bytes);
            return true;
        }
        return false;
    }

    PhotoIndex& index_;
    BufferedInput& input_;
    MemoryBudget& budget_;
    // The number of each file met, by its path: at most kMostFiles.
    std::unordered_map<std::string, int32_t> fileNumbers_;
};

void PhotoIndex::Read(const std::string& photosFolder, MemoryBudget& budget,
                      std::shared_ptr<PlayerFiles> files) {
    *this = PhotoIndex();
    playerFiles_ = files ? std::move(files) : std::make_shared<LocalFiles>();
    folder_ = photosFolder;
    BufferedInput input;
    if (!folder_.empty() && input.Open(playerFiles_->OpenAnsi(folder_ + "Photo Database"))) {
        Walk(*this, input, budget).Root();
    }
    // Album members by image id, the first photo of an id taking it.
    if (!budget.Charge(photos_.size() * sizeof(byImageId_.front()))) {
        albums_.clear();
        return;
    }
    byImageId_.reserve(photos_.size());
    for (size_t number = 0; number < photos_.size(); ++number) {
        byImageId_.emplace_back(photos_[number].ImageId, static_cast<int32_t>(number));
    }
    std::stable_sort(byImageId_.begin(), byImageId_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    // A photo an album lists again is in it once: each album's members
    // by their number, the album that met one last marked beside it.
    const size_t markBytes = photos_.size() * sizeof(uint32_t);
    if (!budget.Charge(markBytes)) {
        albums_.clear();
        return;
    }
    std::vector<uint32_t> lastAlbum(photos_.size(), 0);
    for (size_t album = 0; album < albums_.size(); ++album) {
        const auto mark = static_cast<uint32_t>(album + 1);
        std::erase_if(albums_[album].Photos, [&](int32_t& member) {
            member = Find(static_cast<uint32_t>(member));
            if (member < 0 || lastAlbum[static_cast<size_t>(member)] == mark) {
                return true;
            }
            lastAlbum[static_cast<size_t>(member)] = mark;
            return false;
        });
    }
    budget.Release(markBytes);
}

int32_t PhotoIndex::Find(uint32_t imageId) const {
    const auto found = std::lower_bound(
        byImageId_.begin(), byImageId_.end(), imageId,
        [](const std::pair<uint32_t, int32_t>& entry, uint32_t id) { return entry.first < id; });
    return found != byImageId_.end() && found->first == imageId ? found->second : -1;
}

const std::string& PhotoIndex::FilePath(int32_t number) const {
    static const std::string kNone;
    return HasPicture(number) ? files_[static_cast<size_t>(At(number).File)].Path : kNone;
}

std::optional<Picture> PhotoIndex::Load(int32_t number) const {
    if (number < 0 || static_cast<size_t>(number) >= photos_.size() || !HasPicture(number)) {
        return std::nullopt;
    }
    const Photo& photo = At(number);
    std::vector<uint8_t> frame(photo.Layout.FrameBytes);
    if (!playerFiles_ ||
        !ReadRangeOn(*playerFiles_, FilePath(number), static_cast<uint64_t>(photo.Offset),
                     frame.size(), frame.data())) {
        return std::nullopt;
    }
    return DecodePhotoFrame(photo.Layout, frame.data());
}

std::string PhotosFolderOf(const std::string& databasePath) {
    // The database lies two folders below the player's root.
    size_t end = databasePath.size();
    for (int level = 0; level < 3; ++level) {
        end = end == 0 ? std::string::npos : databasePath.find_last_of("\\/", end - 1);
        if (end == std::string::npos) {
            return {};
        }
    }
    const char separator = databasePath[end];
    return databasePath.substr(0, end + 1) + "Photos" + separator;
}
