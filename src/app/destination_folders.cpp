#include "app/destination_folders.h"

#include "core/extraction_rules.h"
#include "win/folder_entries.h"
#include "win/wide_text.h"

using win::UpperCase;

void DestinationFolders::Visit(const std::wstring& folder) {
    const auto [place, added] = folders_.try_emplace(UpperCase(folder));
    if (!added) {
        return;
    }
    Names& names = place->second;
    win::FolderEntries entries(folder + L"*");
    while (const WIN32_FIND_DATAW* entry = entries.Next()) {
        const bool leftover = !(entry->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                              IsTemporaryCopyName(win::Utf16FromWide(entry->cFileName));
        if (!leftover || !DeleteFileW((folder + entry->cFileName).c_str())) {
            names.insert(UpperCase(entry->cFileName));
        }
    }
}

bool DestinationFolders::Holds(const std::wstring& folder, std::wstring_view name) const {
    const auto place = folders_.find(UpperCase(folder));
    return place != folders_.end() && place->second.contains(UpperCase(name));
}

void DestinationFolders::Add(const std::wstring& folder, std::wstring_view name) {
    folders_[UpperCase(folder)].insert(UpperCase(name));
}

bool DestinationFolders::TakeCoverTurn(const std::wstring& folder) {
    return coveredFolders_.insert(UpperCase(folder)).second;
}

DWORD DestinationFolders::MakeSubFolders(const std::wstring& destination,
                                         std::wstring_view relativePath) {
    for (size_t end = relativePath.find(L'\\'); end != std::wstring_view::npos;
         end = relativePath.find(L'\\', end + 1)) {
        const std::wstring folder = destination + std::wstring(relativePath.substr(0, end));
        std::wstring key = UpperCase(folder + L'\\');
        if (subFolders_.contains(key)) {
            continue;
        }
        if (CreateDirectoryW(folder.c_str(), nullptr)) {
            // New, so empty: nothing to read when the run first writes there.
            folders_.try_emplace(key);
            madeFolders_.insert(key);
        } else {
            const DWORD error = GetLastError();
            const DWORD attributes = GetFileAttributesW(folder.c_str());
            if (error != ERROR_ALREADY_EXISTS || attributes == INVALID_FILE_ATTRIBUTES ||
                !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                return error;
            }
        }
        subFolders_.insert(std::move(key));
    }
    return ERROR_SUCCESS;
}

void DestinationFolders::RemoveEmptyFoldersMade(const std::wstring& destination,
                                                std::wstring_view relativePath) {
    for (size_t end = relativePath.rfind(L'\\'); end != std::wstring_view::npos && end > 0;
         end = relativePath.rfind(L'\\', end - 1)) {
        const std::wstring folder = destination + std::wstring(relativePath.substr(0, end));
        const std::wstring key = UpperCase(folder + L'\\');
        // One that holds anything holds the ones around it too.
        if (!madeFolders_.contains(key) || !RemoveDirectoryW(folder.c_str())) {
            return;
        }
        madeFolders_.erase(key);
        subFolders_.erase(key);
        folders_.erase(key);
    }
}

bool DestinationFolders::MayTakeCoverTurn(const std::wstring& folder) const {
    return !coveredFolders_.contains(UpperCase(folder));
}

void DestinationFolders::KeepCoverOut(const std::wstring& folder) {
    coveredFolders_.insert(UpperCase(folder));
}
