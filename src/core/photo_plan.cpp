#include "photo_plan.h"

#include <algorithm>

#include "ansi_text.h"
#include "extraction_rules.h"
#include "file_name_case.h"
#include "file_name_pattern.h"
#include "photo_db.h"

namespace {

constexpr std::u16string_view kLibraryFolder = u"Photo Library";

// "001" for 1 among 500; as many digits as the last number needs, at least
// three.
std::u16string Numbered(size_t number, size_t count) {
    std::string digits = std::to_string(number);
    const size_t width = std::max<size_t>(3, std::to_string(count).size());
    digits.insert(0, width - std::min(width, digits.size()), '0');
    return std::u16string(digits.begin(), digits.end());
}

std::u16string ExtensionOf(const PhotoIndex& photos, int32_t photo, bool original) {
    if (!original) {
        return u".jpg";
    }
    const std::u16string extension = Utf16FromAnsi(CopyExtension(photos.OriginalPath(photo)));
    return extension.empty() ? u".jpg" : extension;
}

}  // namespace

std::u16string PhotoAlbumFolder(std::u16string_view albumName) {
    std::u16string folder(TrimBlanksAndControls(albumName));
    ReplaceForbiddenCharacters(folder);
    // Windows drops them silently; "a." and "a" would be one folder.
    folder.erase(folder.find_last_not_of(u". ") + 1);
    if (folder.empty() || IsReservedDeviceName(folder)) {
        return u"Album";
    }
    return folder;
}

std::vector<PhotoFile> PlanPhotoFiles(const PhotoIndex& photos) {
    const std::vector<PhotoIndex::Album>& albums = photos.Albums();
    // The albums the owner made, then the photos in none of them.
    std::vector<std::vector<int32_t>> members;
    std::vector<std::u16string> folders;
    std::vector<bool> inAlbum(photos.Count(), false);
    for (size_t album = 1; album < albums.size(); ++album) {
        members.push_back(albums[album].Photos);
        folders.push_back(PhotoAlbumFolder(albums[album].Name));
        for (const int32_t photo : albums[album].Photos) {
            inAlbum[static_cast<size_t>(photo)] = true;
        }
    }
    std::vector<int32_t> elsewhere;
    for (size_t photo = 0; photo < photos.Count(); ++photo) {
        if (!inAlbum[photo]) {
            elsewhere.push_back(static_cast<int32_t>(photo));
        }
    }
    if (!elsewhere.empty()) {
        members.push_back(std::move(elsewhere));
        const bool named = !albums.empty() && !TrimBlanksAndControls(albums[0].Name).empty();
        folders.push_back(named ? PhotoAlbumFolder(albums[0].Name)
                                : std::u16string(kLibraryFolder));
    }
    folders = NumberedWhereTheyMeet(std::move(folders));

    std::vector<PhotoFile> files;
    for (size_t folder = 0; folder < folders.size(); ++folder) {
        const std::vector<int32_t>& photosThere = members[folder];
        for (size_t place = 0; place < photosThere.size(); ++place) {
            const int32_t photo = photosThere[place];
            const bool original = !photos.OriginalPath(photo).empty();
            files.push_back({photo,
                             folders[folder] + u'\\' + Numbered(place + 1, photosThere.size()) +
                                 ExtensionOf(photos, photo, original),
                             original});
        }
    }
    return files;
}
