// Where an extraction of the player's photos puts each one: every album but
// the first (the whole library) a folder named after it, holding its photos
// in the album's order as 001.jpg, 002.jpg ...; the photos in none of them
// in a folder named after the first album. A photo whose original the
// player keeps is copied as it is, under its number and the original's
// extension (or that and ".bin", see CopyExtension). A photo with neither
// an original nor a stored picture that can be read is passed over.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "memory_budget.h"

class PhotoIndex;

struct PhotoFile {
    int32_t Photo = 0;            // its number in the index
    std::u16string RelativePath;  // below the chosen folder: "Holiday\001.jpg"
    bool Original = false;        // a copy of the original, else a JPEG of its picture
};

// An album's name as a folder's: mended as a sub-folder named by %album% is
// (forbidden characters, trailing dots and blanks, device names), and
// "Album" when nothing is left.
std::u16string PhotoAlbumFolder(std::u16string_view albumName);

// Every file of the extraction, album by album; folders of names that meet
// are numbered " (2)", " (3)" ... `originalExists` tells whether an
// original the database names is there; it is asked once a photo. The plan
// is charged to `budget`: where that runs out, it ends with the files
// before, and the albums' members not planned are counted as left out.
struct PhotoPlan {
    std::vector<PhotoFile> Files;
    size_t PassedOver = 0;  // photos without any picture to save
    size_t LeftOut = 0;     // album members the budget had no room for
};
PhotoPlan PlanPhotoFiles(const PhotoIndex& photos,
                         const std::function<bool(const std::string& path)>& originalExists,
                         MemoryBudget& budget);
