// The player's photo albums ("\Photos\Photo Database" at the player's root):
// which photos there are, the albums that hold them, and where each photo's
// pixels lie in the .ithmb files of "Photos\Thumbs", or where its original
// is kept ("Photos\Full Resolution"), when the PC that synced it sent it.
//
// The database is a tree of records as the artwork store is (see
// store_records.h): "mhfd" holds data sets "mhsd"; the set of type 1 holds
// the image list "mhli" with one "mhii" per photo, whose objects "mhod" of
// type 2 each hold a stored picture "mhni" and one of type 5 the original;
// the set of type 2 holds the album list "mhla" with one "mhba" per album,
// its name object and its members "mhia". The index is read once, front to
// back, and keeps per photo its id, its largest usable stored picture and
// its original; pixels are read only when a photo is wanted.
//
// A damaged database costs photos, never tracks: every record must lie
// inside its parent and move the walk forward, names may only name files
// inside the Photos folder, and a stored picture whose frame its file does
// not hold is not used.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "memory_budget.h"
#include "photo_frame.h"
#include "picture.h"
#include "player_files.h"

class PhotoIndex {
public:
    // One album, in the database's order; the first is the whole library.
    struct Album {
        std::u16string Name;
        std::vector<int32_t> Photos;  // their numbers, in the album's order
    };

    // Reads the Photo Database of `photosFolder` (its path and a separator)
    // on `files` (null: this machine's), charging what the index keeps to
    // the reader's budget: where that runs out, the read ends with the
    // photos and albums before. A missing or damaged database gives fewer or
    // none.
    void Read(const std::string& photosFolder, MemoryBudget& budget,
              std::shared_ptr<PlayerFiles> files = nullptr);

    size_t Count() const { return photos_.size(); }
    const std::vector<Album>& Albums() const { return albums_; }
    uint32_t ImageId(int32_t number) const { return At(number).ImageId; }
    // The photo of that image id, or -1.
    int32_t Find(uint32_t imageId) const;
    // Whether photo `number` (0 to Count() - 1) has a stored picture that can
    // be read, and its visible size.
    bool HasPicture(int32_t number) const { return At(number).File >= 0; }
    int32_t Width(int32_t number) const { return At(number).Layout.Width; }
    int32_t Height(int32_t number) const { return At(number).Layout.Height; }
    // The .ithmb file of its stored picture.
    const std::string& FilePath(int32_t number) const;
    // The path of the photo's original, empty when it has none; whether the
    // file is there is not known.
    const std::string& OriginalPath(int32_t number) const { return At(number).Original; }

    // Reads and decodes the stored picture of photo `number` with one seek
    // and one read of one frame; nothing when it has none or its file
    // cannot give the bytes any more.
    std::optional<Picture> Load(int32_t number) const;

private:
    struct Photo {
        uint32_t ImageId = 0;
        int32_t File = -1;  // into files_; -1: no stored picture to use
        int64_t Offset = 0;
        PhotoFrameLayout Layout;
        std::string Original;
    };
    struct PhotoFile {
        std::string Path;
        int64_t Size = -1;
    };

    class Walk;

    const Photo& At(int32_t number) const { return photos_[static_cast<size_t>(number)]; }

    std::shared_ptr<PlayerFiles> playerFiles_;  // where the files lie
    std::string folder_;
    std::vector<PhotoFile> files_;
    std::vector<Photo> photos_;
    std::vector<Album> albums_;
    std::vector<std::pair<uint32_t, int32_t>> byImageId_;  // sorted
};

// The Photos folder of the player whose database is at `databasePath`:
// for ".../iPod_Control/iTunes/iTunesDB" ".../Photos/", with the database
// path's own separator.
std::string PhotosFolderOf(const std::string& databasePath);
