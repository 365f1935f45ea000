// Where an extraction of the player's photos puts each one: every album but
// the first (the whole library) a folder named after it, holding its photos
// in the album's order as 001.jpg, 002.jpg ...; the photos in none of them
// in a folder named after the first album. A photo whose original the
// player keeps is copied as it is, under its number and the original's
// extension.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
// are numbered " (2)", " (3)" ...
std::vector<PhotoFile> PlanPhotoFiles(const PhotoIndex& photos);
