// export-benchmark [DRIVE]: times the main window's Export on a 40,000-row
// track list, from the click on Save in the save dialog to the end of the
// command. The list comes from the test load, whose database
// C:\Trackhaul\iTunesDB is overwritten; the file goes to
// C:\Trackhaul\export-benchmark.csv. Then Export Library of the same 40,000
// tracks from a player on DRIVE (default F, attached as a removable drive;
// its iPod_Control folder is overwritten) whose copies all lie in
// C:\library-benchmark, sorted into %artist%\%album%: it should take at most
// 1.2 times a bare loop that looks each copy up and writes a file of the
// library's size (the command given a second after the list shows, as a
// person would; its copies are looked up from the command's start, while
// the dialog is open, which is answered at once here). Then Export
// Listening History of the same tracks, each played twice and skipped once
// since the last sync: at most 1.2 times a bare write of as many bytes.
// Runs in the Wine prefix's settings (FirstRun is set to 0 and every other
// setting reset). From the repository, after scripts/test:
//
//   . scripts/lib/wine-env.sh && wine_prepare_prefix $PWD/build/windows/wineprefix &&
//   wine_start_display virtual && mkdir -p /tmp/benchpod &&
//   wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
//   wine_attach_drive f /tmp/benchpod BENCHPOD &&
//   wine build/windows/tools/export-benchmark.exe F; wine_stop
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/mainform.h"
#include "app/resource_ids.h"
#include "app_test_support.h"
#include "core/ansi_text.h"
#include "core/extraction_rules.h"
#include "core/itdbparser.h"
#include "core/track_name_plan.h"
#include "win/file_output.h"
#include "window_benchmark.h"

namespace {

namespace fs = std::filesystem;

const fs::path LibraryFolder = L"C:\\library-benchmark";
constexpr wchar_t kFolders[] = L"%artist%\\%album%";
constexpr uint32_t kFileBytes = 16;

// Writes each track's file on the player and its copy where Extract puts it.
// The copies' paths, or none when a file cannot be written.
std::optional<std::vector<fs::path>> WritePlayerAndCopies(const std::string& drive,
                                                          const ITDBParser& player) {
    std::vector<fs::path> copies;
    const std::string contents(kFileBytes, 'x');
    const TrackNamePlan plan(player.TracksInFileOrder(), u"%tracknumber% - %title% - %artist%",
                             u"%artist%\\%album%");
    for (const OneTrack* track : player.TracksInFileOrder()) {
        const fs::path source = drive + track->GetPath();
        const TargetName name = plan.Of(*track);
        const fs::path copy = LibraryFolder / name.Name;
        for (const fs::path& file : {source, copy}) {
            fs::create_directories(file.parent_path());
            const win::UniqueFile written = win::CreateForWriting(file.wstring());
            if (!written || !win::WriteBytes(written.get(), contents)) {
                return std::nullopt;
            }
        }
        copies.push_back(copy);
    }
    return copies;
}

// Writes a file of `bytes` bytes and has it written to the disk.
void WriteBare(const fs::path& name, uintmax_t bytes) {
    const win::UniqueFile file = win::CreateForWriting(name.wstring());
    const std::string block(64 * 1024, ' ');
    for (uintmax_t left = bytes; left > 0;) {
        const size_t part = static_cast<size_t>(std::min<uintmax_t>(left, block.size()));
        win::WriteBytes(file.get(), std::string_view(block).substr(0, part));
        left -= part;
    }
    FlushFileBuffers(file.get());
}

// Looks each copy up and writes a file of `bytes` bytes to the disk.
double TimeBareLibrary(const std::vector<fs::path>& copies, uintmax_t bytes) {
    const auto start = benchmark::Clock::now();
    size_t found = 0;
    for (const fs::path& copy : copies) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        found += GetFileAttributesExW(copy.c_str(), GetFileExInfoStandard, &data) ? 1 : 0;
    }
    WriteBare(LibraryFolder / L"bare.xml", bytes);
    return found == copies.size() ? benchmark::SecondsSince(start) : -1;
}

// Export Listening History of every track's plays since the sync, against a
// bare write of as many bytes; in the window that has the player open.
bool MeasureHistory(TMainForm& window) {
    const fs::path log = LibraryFolder / L".scrobbler.log";
    SaveDialogAnswer answer(L"Export Listening History", log.wstring());
    SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(ID_FILE_EXPORT_HISTORY, 0), 0);
    const double exportTime = benchmark::SecondsSince(answer.AnsweredAt());
    std::error_code noSize;
    const uintmax_t bytes = fs::file_size(log, noSize);
    const auto start = benchmark::Clock::now();
    WriteBare(LibraryFolder / L"bare.log", bytes);
    const double bare = benchmark::SecondsSince(start);
    if (!answer.Shown() || noSize) {
        std::fprintf(stderr, "history export failed\n");
        return false;
    }
    std::printf(
        "Export Listening History (%ls) of %ju bytes: %.3f s; a bare write of as much: %.3f s; "
        "ratio %.2f (target 1.2)\n",
        StatusText(window.StatusBar()).c_str(), bytes, exportTime, bare, exportTime / bare);
    return true;
}

bool MeasureLibrary(const std::string& drive) {
    const std::string database = drive + "\\iPod_Control\\iTunes\\iTunesDB";
    std::error_code kept;
    fs::remove_all(drive + "\\iPod_Control", kept);
    fs::remove_all(LibraryFolder, kept);
    // As a player keeps them, the database gives each file's size, and the
    // tracks were added, played and rated over the years.
    std::vector<itdb::Track> tracks = benchmark::Tracks();
    for (size_t index = 0; index < tracks.size(); ++index) {
        itdb::Track& track = tracks[index];
        track.sizeBytes = kFileBytes;
        track.dateAdded = 3300000000u + static_cast<uint32_t>(index) * 7919u;  // 2008 on
        track.lastPlayed = track.dateAdded + 86400u * static_cast<uint32_t>(index % 900);
        track.playCount = static_cast<uint32_t>(index % 37);
        track.rating = static_cast<uint8_t>(index % 6 * 20);
    }
    // Every track played since the last sync, twice, and skipped once.
    std::vector<itdb::PlayCountEntry> sinceSync;
    for (const itdb::Track& track : tracks) {
        sinceSync.push_back({2, track.lastPlayed + 3600, 0, 1, track.lastPlayed + 7200});
    }
    if (!benchmark::PrepareWindowRun(database) ||
        !itdb::WriteFile(database, benchmark::Database(tracks)) ||
        !itdb::WriteFile(drive + "\\iPod_Control\\iTunes\\Play Counts",
                         itdb::PlayCountsFile(sinceSync))) {
        return false;
    }
    ITDBParser player(database);
    player.Parse(-1);
    const std::optional<std::vector<fs::path>> copies = WritePlayerAndCopies(drive, player);
    if (!copies) {
        std::fprintf(stderr, "cannot write the player's files and their copies\n");
        return false;
    }
    SettingsKey::Write(L"FolderFormat", kFolders);
    SettingsKey::Write(L"ExtractPath", LibraryFolder.wstring());
    MessageBoxRecorder boxes;
    std::unique_ptr<TMainForm> window = benchmark::StartMainWindow();
    bool dialogShown = false;
    benchmark::TimeOpen(*window, drive, dialogShown);
    // Nobody answers the save dialog within a second of the list's showing;
    // the tracks' names are planned in that time.
    benchmark::LookAtTheWindow(1.0);
    const fs::path file = LibraryFolder / L"Library.xml";
    SaveDialogAnswer answer(L"Export Library", file.wstring());
    SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(ID_FILE_EXPORT_LIBRARY, 0), 0);
    const double exportTime = benchmark::SecondsSince(answer.AnsweredAt());
    std::error_code noSize;
    const uintmax_t bytes = fs::file_size(file, noSize);
    const double bare = TimeBareLibrary(*copies, bytes);
    const bool history = MeasureHistory(*window);
    window.reset();
    DiscardQuitRequest();
    // The folder itself may be held open a while.
    fs::remove_all(LibraryFolder, kept);
    if (!dialogShown || !answer.Shown() || noSize || !boxes.Requests().empty() || bare <= 0 ||
        !history) {
        std::fprintf(stderr, "library export failed: %u message boxes\n",
                     static_cast<unsigned>(boxes.Requests().size()));
        return false;
    }
    std::printf(
        "Export Library of %zu tracks, %ju bytes: %.3f s; a bare loop that looks the copies up "
        "and writes as much: %.3f s; ratio %.2f (target 1.2)\n",
        copies->size(), bytes, exportTime, bare, exportTime / bare);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string drive = std::string(1, argc > 1 ? argv[1][0] : 'F') + ":";
    if (!benchmark::PrepareWindowRun(TMainForm::TestLoadPath)) {
        return 1;
    }
    MessageBoxRecorder boxes;
    std::unique_ptr<TMainForm> window = benchmark::StartMainWindow();
    TMainForm& form = *window;
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(ID_TOOLBUTTON14, 0), 0);
    const auto rows = SendMessageW(form.TrackList(), LVM_GETITEMCOUNT, 0, 0);
    PumpMessages();

    const std::filesystem::path file = "C:\\Trackhaul\\export-benchmark.csv";
    SaveDialogAnswer answer(L"Export Track List", file.wstring());
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(ID_FILE_EXPORT, 0), 0);
    const double exportTime = benchmark::SecondsSince(answer.AnsweredAt());

    std::error_code noSize;
    const auto bytes = std::filesystem::file_size(file, noSize);
    if (rows != benchmark::TrackCount || !answer.Shown() || !boxes.Requests().empty() || noSize) {
        std::fprintf(stderr, "export failed: %ld rows, dialog %s, %u message boxes\n",
                     static_cast<long>(rows), answer.Shown() ? "shown" : "not shown",
                     static_cast<unsigned>(boxes.Requests().size()));
        return 1;
    }
    std::printf("rows %ld, file %lu bytes\n", static_cast<long>(rows),
                static_cast<unsigned long>(bytes));
    std::printf("export (Save to \"Trackhaul Ready\"): %.3f s (target 0.5 s)\n", exportTime);
    window.reset();
    DiscardQuitRequest();
    return MeasureLibrary(drive) ? 0 : 1;
}
