#include "win/shell_folders.h"

#include <objbase.h>

namespace win {

std::optional<std::wstring> PathOfItem(PCIDLIST_ABSOLUTE item) {
    std::wstring path(32768, L'\0');  // the longest path Windows knows
    if (item == nullptr ||
        !SHGetPathFromIDListEx(item, path.data(), static_cast<DWORD>(path.size()),
                               GPFIDL_DEFAULT)) {
        return std::nullopt;
    }
    path.resize(path.find(L'\0'));
    return path;
}

UniqueItemIdList DocumentsFolderItem(HWND owner) {
    PIDLIST_ABSOLUTE item = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(owner, CSIDL_PERSONAL, &item))) {
        return nullptr;
    }
    return UniqueItemIdList(item);
}

bool FolderExists(std::wstring_view path) {
    if (path.empty()) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(std::wstring(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring FolderOrDocuments(HWND owner, const std::wstring& folder) {
    if (FolderExists(folder)) {
        return folder;
    }
    const UniqueItemIdList documents = DocumentsFolderItem(owner);
    return PathOfItem(documents.get()).value_or(L"");
}

std::wstring SystemErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    // Inserts are left as they are: there are no arguments to put in.
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", length);
    LocalFree(buffer);
    return text;
}

ComApartment::ComApartment()
    : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ComApartment::~ComApartment() {
    if (initialised_) {
        CoUninitialize();
    }
}

}  // namespace win
