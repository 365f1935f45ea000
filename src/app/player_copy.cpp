#include "app/player_copy.h"

#include <algorithm>
#include <vector>

#include "core/ansi_text.h"
#include "core/local_files.h"
#include "win/file_output.h"
#include "win/wide_text.h"

namespace {

// Under Wine a copy in blocks of 64 to 256 KiB keeps up with the system's
// own; blocks of 1 MiB take twice as long.
constexpr size_t kBlockBytes = 256 << 10;

DWORD CALLBACK CopyProgressRoutine(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER,
                                   LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE, LPVOID data) {
    // The system's copy routine calls this: nothing may be thrown into it.
    try {
        (*static_cast<const CopyProgress*>(data))(done.QuadPart, total.QuadPart);
    } catch (const std::exception&) {
    }
    return PROGRESS_CONTINUE;
}

// The system's form of a time the volume keeps; a local one is read as
// Windows reads a FAT drive's, by the zone's bias today.
std::optional<FILETIME> FileTimeOf(const WrittenTime& written) {
    constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
    constexpr int64_t kTicksPerSecond = 10000000;
    const int64_t ticks = (written.Seconds + kSecondsFrom1601To1970) * kTicksPerSecond;
    if (ticks < 0) {
        return std::nullopt;
    }
    FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    FILETIME utc{};
    if (written.Local && !LocalFileTimeToFileTime(&time, &utc)) {
        return std::nullopt;
    }
    return written.Local ? utc : time;
}

DWORD CopyBlockByBlock(PlayerFile& file, const std::wstring& target, const CopyProgress& progress) {
    const win::UniqueFile output = win::CreateForWriting(target);
    if (!output) {
        return GetLastError();
    }
    if (const DWORD error = AppendPlayerFile(file, 0, output.get(), progress)) {
        return error;
    }
    // The copy keeps the time of the player's file, as the system's copy does.
    const std::optional<WrittenTime> written = file.LastWritten();
    const std::optional<FILETIME> time = written ? FileTimeOf(*written) : std::nullopt;
    return !time || SetFileTime(output.get(), nullptr, nullptr, &*time) ? DWORD{ERROR_SUCCESS}
                                                                        : GetLastError();
}

// What Windows says of a file that is not there: its folder is missing too,
// or only the file.
DWORD MissingFileError(PlayerFiles& files, const std::string& source) {
    const size_t nameStart = source.find_last_of("\\/");
    const std::string folder = nameStart == std::string::npos ? "" : source.substr(0, nameStart);
    return files.ListFolder(Utf16FromAnsi(folder)) ? DWORD{ERROR_FILE_NOT_FOUND}
                                                   : DWORD{ERROR_PATH_NOT_FOUND};
}

}  // namespace

DWORD AppendPlayerFile(PlayerFile& file, uint64_t offset, HANDLE output,
                       const CopyProgress& progress) {
    const uint64_t size = file.Size();
    std::vector<uint8_t> block(
        static_cast<size_t>(std::min<uint64_t>(size - std::min(offset, size), kBlockBytes)));
    for (uint64_t done = offset; done < size;) {
        const size_t count = static_cast<size_t>(std::min<uint64_t>(block.size(), size - done));
        if (!file.ReadAt(done, count, block.data())) {
            return ERROR_READ_FAULT;
        }
        if (!win::WriteBytes(
                output, std::string_view(reinterpret_cast<const char*>(block.data()), count))) {
            const DWORD error = GetLastError();
            return error != ERROR_SUCCESS ? error : DWORD{ERROR_WRITE_FAULT};
        }
        done += count;
        if (progress) {
            progress(static_cast<int64_t>(done), static_cast<int64_t>(size));
        }
    }
    return ERROR_SUCCESS;
}

DWORD CopyPlayerFile(PlayerFiles& files, const std::string& source, const std::wstring& target,
                     const CopyProgress& progress) {
    if (AreThisMachines(files)) {
        BOOL cancel = FALSE;  // never set: a run stops between copies
        const bool copied = CopyFileExW(win::WideFromAnsi(source).c_str(), target.c_str(),
                                        progress ? CopyProgressRoutine : nullptr,
                                        const_cast<CopyProgress*>(&progress), &cancel, 0) != 0;
        return copied ? ERROR_SUCCESS : GetLastError();
    }
    const std::unique_ptr<PlayerFile> file = files.OpenAnsi(source);
    return file ? CopyBlockByBlock(*file, target, progress) : MissingFileError(files, source);
}

bool PlayerFileExists(PlayerFiles& files, const std::string& source) {
    if (AreThisMachines(files)) {
        const DWORD attributes = GetFileAttributesW(win::WideFromAnsi(source).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    return files.OpenAnsi(source) != nullptr;
}

std::optional<FILETIME> PlayerFileTime(PlayerFiles& files, const std::string& source) {
    if (AreThisMachines(files)) {
        return win::LastWriteTime(win::WideFromAnsi(source));
    }
    const std::unique_ptr<PlayerFile> file = files.OpenAnsi(source);
    const std::optional<WrittenTime> written = file ? file->LastWritten() : std::nullopt;
    return written ? FileTimeOf(*written) : std::nullopt;
}
