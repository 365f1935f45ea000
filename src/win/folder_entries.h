// Reading a folder's entries, and names in capitals as Windows compares
// them, for the lists of names that stand in for look-ups on disk (each
// look-up of a missing name reads the whole folder under Wine).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace win {

// `text` in capitals by the system's table: two names of one file, in any
// letter case, become the same.
std::wstring UpperCase(std::wstring_view text);

// The entries of a search such as "C:\Music\*", one after the other.
class FolderEntries {
public:
    explicit FolderEntries(const std::wstring& pattern);
    FolderEntries(const FolderEntries&) = delete;
    FolderEntries& operator=(const FolderEntries&) = delete;
    ~FolderEntries();

    // The next entry, or nullptr after the last.
    const WIN32_FIND_DATAW* Next();

private:
    WIN32_FIND_DATAW found_{};
    HANDLE search_;
    bool first_ = true;
};

}  // namespace win
