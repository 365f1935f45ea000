#include "win/file_output.h"

namespace win {

UniqueFile CreateForWriting(const std::wstring& fileName, DWORD shareMode) {
    HANDLE file = CreateFileW(fileName.c_str(), GENERIC_WRITE, shareMode, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueFile(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

bool WriteBytes(HANDLE file, std::string_view bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

DWORD ClearReadOnly(const std::wstring& fileName) {
    const DWORD attributes = GetFileAttributesW(fileName.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return GetLastError();
    }
    if (!(attributes & FILE_ATTRIBUTE_READONLY)) {
        return ERROR_SUCCESS;
    }
    // No attribute left is said as "normal": none at all would change none.
    const DWORD kept = attributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
    return SetFileAttributesW(fileName.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL)
               ? ERROR_SUCCESS
               : GetLastError();
}

std::optional<FILETIME> LastWriteTime(const std::wstring& fileName) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(fileName.c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return data.ftLastWriteTime;
}

UniqueFile OpenForWriting(const std::wstring& fileName) {
    HANDLE file = CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueFile(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

DWORD FlushToDisk(const std::wstring& fileName, const std::optional<FILETIME>& lastWrite) {
    const UniqueFile file = OpenForWriting(fileName);
    if (!file) {
        return GetLastError();
    }
    if (lastWrite && !SetFileTime(file.get(), nullptr, nullptr, &*lastWrite)) {
        return GetLastError();
    }
    return FlushFileBuffers(file.get()) ? ERROR_SUCCESS : GetLastError();
}

DWORD WriteThroughTemporary(const std::wstring& temporary, const std::wstring& target, bool replace,
                            const std::function<bool(HANDLE file)>& write) {
    DWORD error = ERROR_SUCCESS;
    {
        UniqueFile file = CreateForWriting(temporary);
        if (!file || !write(file.get()) || !FlushFileBuffers(file.get()) ||
            !CloseHandle(file.release())) {
            error = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_WRITE_FAULT;
        }
    }
    const DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING : 0;
    if (error == ERROR_SUCCESS && !MoveFileExW(temporary.c_str(), target.c_str(), flags)) {
        error = GetLastError();
    }
    if (error != ERROR_SUCCESS) {
        DeleteFileW(temporary.c_str());
    }
    return error;
}

}  // namespace win
