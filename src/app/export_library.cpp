#include "app/export_library.h"

#include <commdlg.h>

#include <chrono>
#include <future>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "app/file_placement.h"
#include "app/main_window_services.h"
#include "app/utc_clock.h"
#include "core/ansi_text.h"
#include "core/copy_comparison.h"
#include "core/itdbparser.h"
#include "core/library_xml.h"
#include "core/local_files.h"
#include "core/path_text.h"
#include "core/update_throttle.h"
#include "win/file_output.h"
#include "win/folder_entries.h"
#include "win/message_box.h"
#include "win/shell_folders.h"
#include "win/wide_text.h"

namespace {

using win::UpperCase;

constexpr wchar_t kLibraryName[] = L"Library.xml";

// The sizes of files, looked up one by one until a name is missing in a
// folder, or each folder read whole at once. A folder read whole answers for
// itself from then on: under Wine each look-up of a missing name reads the
// whole folder, and a folder of 40,000 copies of which few are there would
// take minutes.
class FileSizes {
public:
    // One by one until a name is missing in a folder, or each folder whole
    // at once.
    enum class Lookup { OneByOne, WholeFolders };
    explicit FileSizes(Lookup lookup = Lookup::OneByOne) : lookup_(lookup) {}

    std::optional<uint64_t> Of(const std::u16string& path) {
        const std::wstring wide = win::WideFromUtf16(path);
        const size_t nameStart = wide.rfind(L'\\') + 1;
        const std::wstring folder = wide.substr(0, nameStart);
        if (lookup_ == Lookup::OneByOne && !IsListed(folder)) {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            if (GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) {
                return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                           ? std::nullopt
                           : std::optional(uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow);
            }
        }
        const Files& files = Listed(folder);
        const auto found = files.find(UpperCase(wide.substr(nameStart)));
        return found != files.end() ? std::optional(found->second) : std::nullopt;
    }

private:
    using Files = std::unordered_map<std::wstring, uint64_t>;  // by upper-case name

    bool IsListed(const std::wstring& folder) const {
        return !folders_.empty() && folders_.contains(UpperCase(folder));
    }

    // The files of `folder` (a path and a backslash), read when first asked.
    const Files& Listed(const std::wstring& folder) {
        const auto [place, added] = folders_.try_emplace(UpperCase(folder));
        if (added) {
            win::FolderEntries entries(folder + L"*");
            while (const WIN32_FIND_DATAW* entry = entries.Next()) {
                if (!(entry->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                    place->second.emplace(
                        UpperCase(entry->cFileName),
                        uint64_t{entry->nFileSizeHigh} << 32 | entry->nFileSizeLow);
                }
            }
        }
        return place->second;
    }

    Lookup lookup_;
    std::unordered_map<std::wstring, Files> folders_;  // by upper-case path
};

// A file opened for reading at any offset, shared with every other program.
std::optional<OpenedFile> OpenForReading(const std::u16string& path) {
    HANDLE handle = CreateFileW(win::WideFromUtf16(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    auto file =
        std::make_shared<win::UniqueFile>(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
    LARGE_INTEGER size{};
    if (!*file || !GetFileSizeEx(file->get(), &size)) {
        return std::nullopt;
    }
    return OpenedFile{
        static_cast<uint64_t>(size.QuadPart), [file](uint64_t offset, size_t length) {
            std::string bytes(length, '\0');
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            DWORD read = 0;
            if (!ReadFile(file->get(), bytes.data(), static_cast<DWORD>(length), &read, &at)) {
                read = 0;
            }
            bytes.resize(read);
            return bytes;
        }};
}

// The tracks whose copies the library names, chosen as ChooseLibraryTracks
// does: the first half of them here and the second on a thread of its own,
// each with its own look-ups, since looking the copies up is most of the
// time it takes.
LibraryChoice ChooseOnTwoThreads(const std::vector<const OneTrack*>& tracks,
                                 const TrackNamePlan& plan, const std::u16string& musicFolder,
                                 const std::u16string& player, PlayerFiles& files) {
    // A player of this machine's files is looked at as they are; one in a
    // disk image through its volume, which keeps its folders' names itself.
    const bool thisMachines = AreThisMachines(files);
    const auto choose = [&](std::vector<const OneTrack*> part) {
        FileSizes copies;
        // The player keeps its files in a few dozen folders: they are read
        // whole when they are looked in at all.
        FileSizes playerFiles(FileSizes::Lookup::WholeFolders);
        const FileSizeLookup playerFileSize = [&](const std::u16string& path) {
            if (thisMachines) {
                return playerFiles.Of(path);
            }
            const std::unique_ptr<PlayerFile> file = files.Open(path);
            return file ? std::optional<uint64_t>(file->Size()) : std::nullopt;
        };
        const FileOpener openPlayerFile = [&](const std::u16string& path) {
            return thisMachines ? OpenForReading(path) : OpenedFileOf(files.Open(path));
        };
        return ChooseLibraryTracks(
            part, plan, musicFolder, player,
            [&copies](const std::u16string& path) { return copies.Of(path); }, playerFileSize,
            OpenForReading, openPlayerFile);
    };
    const auto half = tracks.begin() + static_cast<std::ptrdiff_t>(tracks.size() / 2);
    std::future<LibraryChoice> second =
        std::async(std::launch::async, choose, std::vector<const OneTrack*>(half, tracks.end()));
    LibraryChoice choice = choose(std::vector<const OneTrack*>(tracks.begin(), half));
    LibraryChoice rest = second.get();
    choice.Tracks.insert(choice.Tracks.end(), std::make_move_iterator(rest.Tracks.begin()),
                         std::make_move_iterator(rest.Tracks.end()));
    choice.LeftOut += rest.LeftOut;
    return choice;
}

}  // namespace

std::u16string LibraryLeftOutStatus(size_t leftOut, size_t tracks) {
    return Utf16FromAnsi(std::to_string(leftOut) + " of " + std::to_string(tracks) +
                         " tracks were left out of Library.xml: they have no whole copy in the "
                         "folder");
}

LibraryExport::LibraryExport(MainWindowServices& window) : window_(window) {
    saveDialog_.Title = L"Export Library";
    saveDialog_.FilterDescription = L"Library files (*.xml)";
    saveDialog_.FilterPattern = L"*.xml";
    saveDialog_.DefaultExtension = L"xml";
    saveDialog_.Options = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                          OFN_NOREADONLYRETURN | OFN_ENABLESIZING;
}

void LibraryExport::Run() {
    BusyScope busy(window_);
    const HWND owner = window_.Handle();
    if (!window_.Player() || window_.Player()->TracksInFileOrder().empty()) {
        win::ShowMessageBox(owner, L"There are no tracks to export.", MB_OK | MB_ICONERROR);
        return;
    }
    saveDialog_.InitialDir = StartFolder();
    saveDialog_.FileName = kLibraryName;
    if (!saveDialog_.Execute(owner)) {
        return;
    }
    const std::wstring fileName = saveDialog_.FileName;
    if (window_.IsOnPlayerDrive(win::Utf16FromWide(fileName))) {
        win::ShowMessageBox(owner,
                            L"The library cannot be exported onto the iPod itself. Please choose "
                            L"a folder on another drive.",
                            MB_OK | MB_ICONERROR);
        return;
    }
    std::u16string musicFolder = window_.SettingsView().MusicFolder;
    if (musicFolder.empty() || musicFolder.back() != u'\\') {
        musicFolder += u'\\';
    }
    const std::optional<Written> written = Write(musicFolder, fileName, *window_.NamePlan());
    if (written && written->LeftOut > 0) {
        win::ShowMessageBox(
            owner,
            std::to_wstring(written->LeftOut) + L" of " + std::to_wstring(written->Tracks) +
                L" tracks were left out of the library: they have no whole copy where the "
                L"preferences put them in\r\n" +
                win::WideFromUtf16(musicFolder) +
                L"\r\nTo include them, extract them first, then export the library again.",
            MB_OK | MB_ICONINFORMATION);
    }
    window_.ShowReadyStatus();
}

LibraryExport::Written LibraryExport::WriteInto(const std::u16string& folder, ClashPolicy& policy,
                                                const TrackNamePlan& plan,
                                                NameNumbering& namesWritten) {
    const std::u16string target = folder + namesWritten.Take(u"Library", u".xml");
    if (window_.TargetExists(target)) {
        const ClashOutcome clash = ResolveClash(window_, policy, target);
        if (clash != ClashOutcome::Copy) {
            return Written{clash == ClashOutcome::EndRun};
        }
    }
    return Write(folder, win::WideFromUtf16(target), plan).value_or(Written{});
}

std::optional<LibraryExport::Written> LibraryExport::Write(const std::u16string& musicFolder,
                                                           const std::wstring& fileName,
                                                           const TrackNamePlan& plan) {
    const ITDBParser& player = *window_.Player();
    window_.SetStatusText("Exporting library:");
    WaitCursor hourglass(window_);
    const LibraryChoice choice =
        ChooseOnTwoThreads(player.TracksInFileOrder(), plan, musicFolder,
                           Utf16FromAnsi(window_.PlayerDrive()), *player.Files());
    SYSTEMTIME now{};
    GetSystemTime(&now);
    const Library library{musicFolder, player.LibraryId(), CivilOf(now), choice.Tracks,
                          UserPlaylists(player.Playlists())};

    // Written whole under a temporary name and to the disk, then renamed:
    // the library's name only ever holds a whole file.
    const std::u16string folder = FolderOfFileName(win::Utf16FromWide(fileName));  // with its "\\"
    const std::wstring temporary =
        win::WideFromUtf16(folder + TemporaryCopyName(GetCurrentProcessId()));
    UpdateThrottle shown(std::chrono::milliseconds(200));
    const auto progress = [&](size_t written) {
        if (shown.Due()) {
            window_.SetItemStatus(choice.Tracks[written - 1].CopyPath);
            window_.ProcessMessages();
        }
    };
    UtcClock clock;
    const LocalToUtc localToUtc = clock.AsConversion();
    const DWORD error = win::WriteThroughTemporary(temporary, fileName, true, [&](HANDLE file) {
        BlockWriter output([file](std::string_view bytes) { return win::WriteBytes(file, bytes); });
        return WriteLibraryXml(library, localToUtc, output, progress);
    });
    window_.SetItemStatus(u"");
    if (error != ERROR_SUCCESS) {
        win::ShowMessageBox(
            window_.Handle(),
            L"Error writing file:\r\n" + fileName + L"\r\n" + win::SystemErrorText(error),
            MB_OK | MB_ICONERROR);
        return std::nullopt;
    }
    return Written{false, choice.LeftOut, choice.LeftOut + choice.Tracks.size()};
}

std::wstring LibraryExport::StartFolder() const {
    return win::FolderOrDocuments(window_.Handle(),
                                  win::WideFromUtf16(window_.SettingsView().MusicFolder));
}
