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

}  // namespace win
