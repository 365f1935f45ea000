#include "artwork_db.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "buffered_input.h"
#include "local_files.h"
#include "store_records.h"

namespace {

// Players keep their pictures in a few files; a store naming more is not
// read beyond them.
constexpr size_t kMostFiles = 256;

}  // namespace

// One read of the store: the walk from the root down to each stored size.
class ArtworkIndex::Walk {
public:
    Walk(ArtworkIndex& index, BufferedInput& input, MemoryBudget& budget)
        : index_(index), input_(input), budget_(budget) {}

    void Root() {
        ForEachDataSet(input_,
                       [this](const Record& set) { return set.U16(12) != 1 || ImageList(set); });
    }

private:
    // False once the budget is spent.
    bool ImageList(const Record& set) {
        return ForEachImage(input_, set, 28, [this](const Record& item) { return Image(item); });
    }

    // One picture: of its stored sizes, the usable one with the largest
    // visible area is kept.
    bool Image(const Record& item) {
        std::optional<StoredPicture> best;
        int64_t position = item.ContentStart;
        for (uint32_t i = 0; i < item.U32(12) && position < item.End; ++i) {
            const auto object =
                ReadRecord(input_, position, item.End, "mhod", 14, Extent::Contained);
            if (!object) {
                break;
            }
            if (object->U16(12) == 2) {
                const std::optional<StoredPicture> size = StoredSize(*object);
                if (size && (!best || Area(*size) > Area(*best))) {
                    best = size;
                }
            }
            position = object->End;
        }
        if (!best) {
            return true;
        }
        if (!budget_.MakeRoom(index_.pictures_)) {
            return false;
        }
        best->ImageId = item.U32(16);
        best->SongId = item.U64(20);
        index_.pictures_.push_back(*best);
        return true;
    }

    static int64_t Area(const StoredPicture& picture) {
        return int64_t{picture.Layout.Width} * picture.Layout.Height;
    }

    std::optional<StoredPicture> StoredSize(const Record& object) {
        const auto size =
            ReadRecord(input_, object.ContentStart, object.End, "mhni", 36, Extent::Contained);
        if (!size) {
            return std::nullopt;
        }
        StoredFrame frame;
        frame.FormatId = size->U32(16);
        frame.ByteCount = size->U32(24);
        frame.VerticalPadding = static_cast<int16_t>(size->U16(28));
        frame.HorizontalPadding = static_cast<int16_t>(size->U16(30));
        frame.Height = size->U16(32);
        frame.Width = size->U16(34);
        const std::optional<FrameLayout> layout = LayOutFrame(frame);
        const std::optional<uint32_t> file = layout ? FileNamed(*size) : std::nullopt;
        if (!file) {
            return std::nullopt;
        }
        StoredPicture picture;
        picture.FormatId = frame.FormatId;
        picture.File = *file;
        picture.Offset = size->U32(20);
        picture.Layout = *layout;
        const int64_t end =
            picture.Offset + layout->PictureOffset() + static_cast<int64_t>(layout->PictureBytes());
        if (end > index_.files_[*file].Size) {
            return std::nullopt;
        }
        return picture;
    }

    // The file that the stored size's first child names, as an index into
    // the files met so far.
    std::optional<uint32_t> FileNamed(const Record& size) {
        const auto object =
            ReadRecord(input_, size.ContentStart, size.End, "mhod", 36, Extent::Contained);
        const std::optional<std::string> name = object ? FileNameOf(input_, *object) : std::nullopt;
        if (!name) {
            return std::nullopt;
        }
        // Every picture names one of the same few files.
        const auto named = std::find_if(names_.begin(), names_.end(),
                                        [&](const auto& known) { return known.first == *name; });
        if (named != names_.end()) {
            return named->second;
        }
        const std::optional<std::string> path = PathInFolder(index_.folder_, *name);
        if (!path) {
            return std::nullopt;
        }
        std::vector<ArtworkFile>& files = index_.files_;
        const auto known = std::find_if(files.begin(), files.end(), [&](const ArtworkFile& file) {
            return file.Path == *path;
        });
        if (known != files.end()) {
            return static_cast<uint32_t>(known - files.begin());
        }
        if (files.size() >= kMostFiles || !budget_.MakeRoom(files) ||
            !budget_.Charge(path->size() + 1)) {
            return std::nullopt;
        }
        files.push_back({*path, FileSizeOn(*index_.playerFiles_, *path).value_or(-1)});
        names_.emplace_back(*name, static_cast<uint32_t>(files.size() - 1));
        return names_.back().second;
    }

    ArtworkIndex& index_;
    BufferedInput& input_;
    MemoryBudget& budget_;
    // The names met, with their files; as few as the files.
    std::vector<std::pair<std::string, uint32_t>> names_;
};

bool ArtworkIndex::StoreExists(PlayerFiles& files, const std::string& artworkFolder) {
    return !artworkFolder.empty() && files.OpenAnsi(artworkFolder + "ArtworkDB") != nullptr;
}

void ArtworkIndex::Read(const std::string& artworkFolder, MemoryBudget& budget,
                        std::shared_ptr<PlayerFiles> files) {
    playerFiles_ = files ? std::move(files) : std::make_shared<LocalFiles>();
    folder_ = artworkFolder;
    BufferedInput input;
    if (!folder_.empty() && input.Open(playerFiles_->OpenAnsi(folder_ + "ArtworkDB"))) {
        Walk(*this, input, budget).Root();
    }
    IndexLinks(budget);
}

namespace {

// Fills `links` with the ids of the pictures, but ids of 0, sorted by id;
// of pictures sharing an id the first in the store comes first. False, and
// no link, when the budget does not hold them.
template <typename Id, typename Stored>
bool MakeLinks(std::vector<std::pair<Id, int32_t>>& links, const std::vector<Stored>& pictures,
               Id Stored::*id, MemoryBudget& budget) {
    if (!budget.Charge(pictures.size() * sizeof(links.front()))) {
        return false;
    }
    links.reserve(pictures.size());
    for (size_t number = 0; number < pictures.size(); ++number) {
        if (pictures[number].*id != 0) {
            links.emplace_back(pictures[number].*id, static_cast<int32_t>(number));
        }
    }
    if (!budget.StableSort(links, [](const auto& a, const auto& b) { return a.first < b.first; })) {
        links = {};
        return false;
    }
    return true;
}

}  // namespace

void ArtworkIndex::IndexLinks(MemoryBudget& budget) {
    // Id 0 links nothing: a track without a database id or image id is not
    // every picture's.
    if (!MakeLinks(byImageId_, pictures_, &StoredPicture::ImageId, budget) ||
        !MakeLinks(bySongId_, pictures_, &StoredPicture::SongId, budget)) {
        byImageId_ = {};
        bySongId_ = {};
    }
}

namespace {

template <typename Id>
int32_t FindLink(const std::vector<std::pair<Id, int32_t>>& links, Id id) {
    const auto found =
        std::lower_bound(links.begin(), links.end(), id,
                         [](const auto& link, Id value) { return link.first < value; });
    return found != links.end() && found->first == id ? found->second : -1;
}

}  // namespace

int32_t ArtworkIndex::Find(uint32_t imageId, uint64_t songId) const {
    const int32_t linked = imageId != 0 ? FindLink(byImageId_, imageId) : -1;
    if (linked >= 0 || songId == 0) {
        return linked;
    }
    return FindLink(bySongId_, songId);
}

std::optional<Picture> ArtworkIndex::Load(int32_t number) const {
    if (number < 0 || static_cast<size_t>(number) >= pictures_.size()) {
        return std::nullopt;
    }
    const StoredPicture& picture = At(number);
    std::vector<uint8_t> bytes(picture.Layout.PictureBytes());
    if (!playerFiles_ ||
        !ReadRangeOn(*playerFiles_, files_[picture.File].Path,
                     static_cast<uint64_t>(picture.Offset + picture.Layout.PictureOffset()),
                     bytes.size(), bytes.data())) {
        return std::nullopt;
    }
    return DecodeFrame(picture.Layout, bytes.data());
}

std::string ArtworkFolderOf(const std::string& databasePath) {
    const size_t nameStart = databasePath.find_last_of("\\/");
    if (nameStart == std::string::npos || nameStart == 0) {
        return {};
    }
    const size_t folderStart = databasePath.find_last_of("\\/", nameStart - 1);
    if (folderStart == std::string::npos) {
        return {};
    }
    const char separator = databasePath[nameStart];
    return databasePath.substr(0, folderStart + 1) + "Artwork" + separator;
}
