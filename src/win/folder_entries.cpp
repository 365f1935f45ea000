#include "win/folder_entries.h"

namespace win {

std::wstring UpperCase(std::wstring_view text) {
    std::wstring upper(text);
    if (!upper.empty()) {
        CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    }
    return upper;
}

FolderEntries::FolderEntries(const std::wstring& pattern)
    : search_(FindFirstFileW(pattern.c_str(), &found_)) {}

FolderEntries::~FolderEntries() {
    if (search_ != INVALID_HANDLE_VALUE) {
        FindClose(search_);
    }
}

const WIN32_FIND_DATAW* FolderEntries::Next() {
    if (search_ == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    if (first_) {
        first_ = false;
        return &found_;
    }
    return FindNextFileW(search_, &found_) ? &found_ : nullptr;
}

}  // namespace win
