#include "app/export_library.h"

#include <commdlg.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <exception>
#include <functional>
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
        // Read in place: tens of thousands of copies are looked up.
        const auto* wide = reinterpret_cast<const wchar_t*>(path.c_str());
        const std::wstring_view whole(wide, path.size());
        const size_t nameStart = whole.rfind(L'\\') + 1;
        const std::wstring_view folder = whole.substr(0, nameStart);
        if (lookup_ == Lookup::OneByOne && !IsListed(folder)) {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            if (GetFileAttributesExW(wide, GetFileExInfoStandard, &data)) {
                return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                           ? std::nullopt
                           : std::optional(uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow);
            }
        }
        const Files& files = Listed(folder);
        const auto found = files.find(UpperCase(whole.substr(nameStart)));
        return found != files.end() ? std::optional(found->second) : std::nullopt;
    }

private:
    using Files = std::unordered_map<std::wstring, uint64_t>;  // by upper-case name

    bool IsListed(std::wstring_view folder) const {
        return !folders_.empty() && folders_.contains(UpperCase(folder));
    }

    // The files of `folder` (a path and a backslash), read when first asked.
    const Files& Listed(std::wstring_view folder) {
        const auto [place, added] = folders_.try_emplace(UpperCase(folder));
        if (added) {
            win::FolderEntries entries(std::wstring(folder) + L"*");
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

}  // namespace

// The tracks whose copies the library names, chosen as ChooseLibraryTracks
// does, a part at a time on a thread of its own while the caller writes the
// parts already chosen: looking the copies up takes longer than writing the
// file, and the two go on side by side. A caller that finds its next part
// not chosen yet chooses a later one itself rather than wait.
class ChoiceInParts {
public:
    using ChoosePart = std::function<LibraryChoice(const std::vector<const OneTrack*>& part)>;
    // Each thread's own chooser, with its own look-ups.
    using MakeChooser = std::function<ChoosePart()>;

    ChoiceInParts(const std::vector<const OneTrack*>& tracks, const MakeChooser& makeChooser) {
        constexpr size_t kPartSize = 1024;
        for (size_t start = 0; start < tracks.size(); start += kPartSize) {
            const auto from = tracks.begin() + static_cast<std::ptrdiff_t>(start);
            const size_t length = std::min(kPartSize, tracks.size() - start);
            parts_.emplace_back(from, from + static_cast<std::ptrdiff_t>(length));
        }
        chosen_.resize(parts_.size());
        for (std::promise<LibraryChoice>& part : chosen_) {
            ready_.push_back(part.get_future());
        }
        ownChooser_ = makeChooser();
        thread_ = std::async(std::launch::async,
                             [this, choose = makeChooser()] { ChooseWhileAny(choose); });
    }
    ChoiceInParts(const ChoiceInParts&) = delete;
    ChoiceInParts& operator=(const ChoiceInParts&) = delete;
    // Stops the thread once it has chosen the part it is on.
    ~ChoiceInParts() {
        stopped_ = true;
        thread_.wait();
    }

    // The next part's tracks, as soon as they are chosen, kept until the
    // choice ends; null after the last part. Throws what choosing them threw.
    const std::vector<LibraryTrack>* Next() {
        if (next_ == ready_.size()) {
            return nullptr;
        }
        while (ready_[next_].wait_for(std::chrono::seconds(0)) != std::future_status::ready &&
               ChooseOne(ownChooser_)) {
        }
        LibraryChoice& part = given_.emplace_back(ready_[next_++].get());
        leftOut_ += part.LeftOut;
        return &part.Tracks;
    }
    size_t LeftOut() const { return leftOut_; }

private:
    void ChooseWhileAny(const ChoosePart& choose) {
        while (!stopped_ && ChooseOne(choose)) {
        }
    }
    // Chooses the next part no thread has taken; false when there is none.
    bool ChooseOne(const ChoosePart& choose) {
        const size_t part = taken_++;
        if (part >= parts_.size()) {
            return false;
        }
        try {
            chosen_[part].set_value(choose(parts_[part]));
        } catch (...) {
            chosen_[part].set_exception(std::current_exception());
        }
        return true;
    }

    std::vector<std::vector<const OneTrack*>> parts_;
    std::vector<std::promise<LibraryChoice>> chosen_;
    std::vector<std::future<LibraryChoice>> ready_;
    std::deque<LibraryChoice> given_;  // the parts Next gave
    std::atomic<size_t> taken_ = 0;
    std::atomic<bool> stopped_ = false;
    size_t next_ = 0;
    size_t leftOut_ = 0;
    ChoosePart ownChooser_;
    std::future<void> thread_;  // last: ended first
};

namespace {

// Each thread's chooser of the library's tracks among the copies in
// `musicFolder`.
ChoiceInParts::MakeChooser ChoosersFor(const TrackNamePlan& plan, const std::u16string& musicFolder,
                                       const std::u16string& player, PlayerFiles& files) {
    // A player of this machine's files is looked at as they are; one in a
    // disk image through its volume, which keeps its folders' names itself.
    const bool thisMachines = AreThisMachines(files);
    return [&plan, musicFolder, player, &files, thisMachines] {
        auto copies = std::make_shared<FileSizes>();
        // The player keeps its files in a few dozen folders: they are read
        // whole when they are looked in at all.
        auto playerFiles = std::make_shared<FileSizes>(FileSizes::Lookup::WholeFolders);
        const FileSizeLookup playerFileSize = [playerFiles, thisMachines,
                                               &files](const std::u16string& path) {
            if (thisMachines) {
                return playerFiles->Of(path);
            }
            const std::unique_ptr<PlayerFile> file = files.Open(path);
            return file ? std::optional<uint64_t>(file->Size()) : std::nullopt;
        };
        const FileOpener openCopy = [](const std::u16string& path) {
            return OpenedFileOf(LocalFile::Open(path));
        };
        const FileOpener openPlayerFile = [&files](const std::u16string& path) {
            return OpenedFileOf(files.Open(path));
        };
        return [=, &plan](const std::vector<const OneTrack*>& part) {
            return ChooseLibraryTracks(
                part, plan, musicFolder, player,
                [copies](const std::u16string& path) { return copies->Of(path); }, playerFileSize,
                openCopy, openPlayerFile);
        };
    };
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
    std::u16string musicFolder = window_.SettingsView().MusicFolder;
    if (musicFolder.empty() || musicFolder.back() != u'\\') {
        musicFolder += u'\\';
    }
    // The copies are looked up while the user picks the file's name.
    const std::unique_ptr<ChoiceInParts> choice = StartChoice(musicFolder, *window_.NamePlan());
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
    const std::optional<Written> written = Write(*choice, musicFolder, fileName);
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
    return Write(*StartChoice(folder, plan), folder, win::WideFromUtf16(target))
        .value_or(Written{});
}

std::unique_ptr<ChoiceInParts> LibraryExport::StartChoice(const std::u16string& musicFolder,
                                                          const TrackNamePlan& plan) {
    const ITDBParser& player = *window_.Player();
    return std::make_unique<ChoiceInParts>(
        player.TracksInFileOrder(),
        ChoosersFor(plan, musicFolder, Utf16FromAnsi(window_.PlayerDrive()), *player.Files()));
}

std::optional<LibraryExport::Written> LibraryExport::Write(ChoiceInParts& choice,
                                                           const std::u16string& musicFolder,
                                                           const std::wstring& fileName) {
    const ITDBParser& player = *window_.Player();
    window_.SetStatusText("Exporting library:");
    WaitCursor hourglass(window_);
    SYSTEMTIME now{};
    GetSystemTime(&now);
    const Library library{
        musicFolder, player.LibraryId(), CivilOf(now), {}, UserPlaylists(player.Playlists())};

    // Written whole under a temporary name and to the disk, then renamed:
    // the library's name only ever holds a whole file.
    const std::u16string folder = FolderOfFileName(win::Utf16FromWide(fileName));  // with its "\\"
    const std::wstring temporary =
        win::WideFromUtf16(folder + TemporaryCopyName(GetCurrentProcessId()));
    UpdateThrottle shown(std::chrono::milliseconds(200));
    size_t chosen = 0;
    const MoreLibraryTracks moreTracks = [&] {
        const std::vector<LibraryTrack>* part = choice.Next();
        chosen += part ? part->size() : 0;
        return part;
    };
    const auto progress = [&](const LibraryTrack& written) {
        if (shown.Due()) {
            window_.SetItemStatus(written.CopyPath);
            window_.ProcessMessages();
        }
    };
    UtcClock clock;
    const LocalToUtc localToUtc = clock.AsConversion();
    const DWORD error = win::WriteThroughTemporary(temporary, fileName, true, [&](HANDLE file) {
        BlockWriter output([file](std::string_view bytes) { return win::WriteBytes(file, bytes); });
        return WriteLibraryXml(library, localToUtc, output, moreTracks, progress);
    });
    window_.SetItemStatus(u"");
    if (error != ERROR_SUCCESS) {
        win::ShowMessageBox(
            window_.Handle(),
            L"Error writing file:\r\n" + fileName + L"\r\n" + win::SystemErrorText(error),
            MB_OK | MB_ICONERROR);
        return std::nullopt;
    }
    return Written{false, choice.LeftOut(), choice.LeftOut() + chosen};
}

std::wstring LibraryExport::StartFolder() const {
    return win::FolderOrDocuments(window_.Handle(),
                                  win::WideFromUtf16(window_.SettingsView().MusicFolder));
}
