// The player's artwork store ("\iPod_Control\Artwork\ArtworkDB"): which
// pictures there are, which tracks they belong to, and where each one's
// pixels lie in the .ithmb files beside it.
//
// The store is a tree of records, each a 4-byte tag and its header length:
// "mhfd" holds data sets "mhsd"; the one of type 1 holds the image list
// "mhli", followed by one "mhii" per picture, whose data objects "mhod" of
// type 2 each hold one stored size "mhni" with its file name. The index is
// read once, front to back, and keeps per picture only its ids and its
// largest usable stored size; pixels are read only when a picture is wanted.
//
// A damaged store costs pictures, never more: every record must lie inside
// its parent and move the walk forward, names may only name files inside
// the Artwork folder, and a stored size whose frame the file does not hold
// is not used.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "artwork_frame.h"
#include "memory_budget.h"
#include "picture.h"
#include "player_files.h"

class ArtworkIndex {
public:
    // Reads the ArtworkDB of `artworkFolder` (its path and a separator) on
    // `files` (null: this machine's), charging what the index keeps to the
    // reader's budget: where that runs out, the read ends with the pictures
    // before. A missing or damaged store gives fewer or no pictures.
    void Read(const std::string& artworkFolder, MemoryBudget& budget,
              std::shared_ptr<PlayerFiles> files = nullptr);
    // Whether `artworkFolder` holds an ArtworkDB that can be opened: without
    // one, no track has a picture.
    static bool StoreExists(PlayerFiles& files, const std::string& artworkFolder);

    // The picture of a track, by the track's links: its image id (0 for
    // none) and its database id; -1 when it has none.
    int32_t Find(uint32_t imageId, uint64_t songId) const;

    size_t Count() const { return pictures_.size(); }
    // The visible size and format id of picture `number` (0 to Count() - 1).
    int32_t Width(int32_t number) const { return At(number).Layout.Width; }
    int32_t Height(int32_t number) const { return At(number).Layout.Height; }
    uint32_t FormatId(int32_t number) const { return At(number).FormatId; }
    // The .ithmb file that holds it.
    const std::string& FilePath(int32_t number) const { return files_[At(number).File].Path; }

    // Reads and decodes picture `number` with one seek and one read of at
    // most one frame; nothing when its file cannot give the bytes any more.
    std::optional<Picture> Load(int32_t number) const;

private:
    struct StoredPicture {
        uint32_t ImageId = 0;
        uint64_t SongId = 0;
        uint32_t FormatId = 0;
        uint32_t File = 0;   // index into files_
        int64_t Offset = 0;  // of the frame in its file
        FrameLayout Layout;
    };
    struct ArtworkFile {
        std::string Path;   // inside the Artwork folder
        int64_t Size = -1;  // -1: cannot be opened
    };
    // One link kind's ids with their pictures, sorted by id.
    template <typename Id>
    using Links = std::vector<std::pair<Id, int32_t>>;

    class Walk;

    const StoredPicture& At(int32_t number) const { return pictures_[static_cast<size_t>(number)]; }
    void IndexLinks(MemoryBudget& budget);

    std::shared_ptr<PlayerFiles> playerFiles_;  // where the files lie
    std::string folder_;
    std::vector<ArtworkFile> files_;
    std::vector<StoredPicture> pictures_;
    Links<uint32_t> byImageId_;
    Links<uint64_t> bySongId_;
};

// The Artwork folder beside a database: for ".../iPod_Control/iTunes/iTunesDB"
// ".../iPod_Control/Artwork/" with the database path's own separator.
std::string ArtworkFolderOf(const std::string& databasePath);
