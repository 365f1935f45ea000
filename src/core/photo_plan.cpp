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

PhotoPlan PlanPhotoFiles(const PhotoIndex& photos,
                         const std::function<bool(const std::string& path)>& originalExists,
                         MemoryBudget& budget) {
    const std::vector<PhotoIndex::Album>& albums = photos.Albums();
    // The albums the owner made, then the photos in none of them; the
    // albums' members are not copied, as they may be many.
    std::vector<const std::vector<int32_t>*> members;
    std::vector<std::u16string> folders;
    std::vector<bool> inAlbum(photos.Count(), false);
    for (size_t album = 1; album < albums.size(); ++album) {
        members.push_back(&albums[album].Photos);
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
        members.push_back(&elsewhere);
        const bool named = !albums.empty() && !TrimBlanksAndControls(albums[0].Name).empty();
        folders.push_back(named ? PhotoAlbumFolder(albums[0].Name)
                                : std::u16string(kLibraryFolder));
    }
    folders = NumberedWhereTheyMeet(std::move(folders));

    // What each photo is saved from, asked once: its original where it is
    // there, else its stored picture, else nothing.
    enum class Source : uint8_t { NotAsked, Original, Picture, None };
    std::vector<Source> sources(photos.Count(), Source::NotAsked);
    const auto sourceOf = [&](int32_t photo) {
        Source& source = sources[static_cast<size_t>(photo)];
        if (source == Source::NotAsked) {
            const std::string& original = photos.OriginalPath(photo);
            source = !original.empty() && originalExists(original) ? Source::Original
                     : photos.HasPicture(photo)                    ? Source::Picture
                                                                   : Source::None;
        }
        return source;
    };
    PhotoPlan plan;
    // Each file is charged with its path, as the plan holds them all.
    const auto room = [&](const std::u16string& path) {
        return budget.MakeRoom(plan.Files) && budget.Charge((path.size() + 1) * sizeof(char16_t));
    };
    for (size_t folder = 0; folder < folders.size(); ++folder) {
        std::vector<int32_t> saved;
        for (const int32_t photo : *members[folder]) {
            if (sourceOf(photo) != Source::None) {
                saved.push_back(photo);
            }
        }
        for (size_t place = 0; place < saved.size(); ++place) {
            const int32_t photo = saved[place];
            const bool original = sourceOf(photo) == Source::Original;
            std::u16string path = folders[folder] + u'\\' + Numbered(place + 1, saved.size()) +
                                  ExtensionOf(photos, photo, original);
            if (!room(path)) {
                plan.LeftOut = saved.size() - place;
                for (size_t later = folder + 1; later < folders.size(); ++later) {
                    plan.LeftOut += members[later]->size();
                }
                break;
            }
            plan.Files.push_back({photo, std::move(path), original});
        }
        if (plan.LeftOut > 0) {
            break;
        }
    }
    plan.PassedOver = static_cast<size_t>(std::count(sources.begin(), sources.end(), Source::None));
    return plan;
}
