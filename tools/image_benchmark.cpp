// image-benchmark DRIVE write-load | load IMAGE | write-extract | extract IMAGE:
// times the main window's Open and Extract on a player read from a disk
// image beside the same player's files on a drive letter, in the same run,
// turn about (best of five rounds each): at most 1.1 times. "write-load"
// writes a 40,000-track database with its covers into DRIVE, "write-extract"
// 300 tracks of 1 MB and 10 of 16 MB; the image of DRIVE's folder is then
// made outside (scripts/benchmarks makes it with xorriso, an Apple
// partition map and an HFS Plus volume), and "load" or "extract" times
// both. DRIVE (a letter, default F) must be attached as a removable drive;
// its iPod_Control folder is overwritten. Runs in the Wine prefix's
// settings (every setting reset). From the repository, after scripts/test:
//
//   . scripts/lib/wine-env.sh && wine_prepare_prefix $PWD/build/windows/wineprefix &&
//   wine_start_display virtual && mkdir -p /tmp/benchpod &&
//   wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
//   wine_attach_drive f /tmp/benchpod BENCHPOD &&
//   wine build/windows/tools/image-benchmark.exe F write-load &&
//   xorriso -as mkisofs -quiet -hfsplus -o /tmp/pod.img /tmp/benchpod &&
//   wine build/windows/tools/image-benchmark.exe F load 'Z:\tmp\pod.img'; wine_stop
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/mainform.h"
#include "app/resource_ids.h"
#include "app_test_support.h"
#include "window_benchmark.h"

namespace {

namespace fs = std::filesystem;
using benchmark::Clock;
using benchmark::SecondsSince;

constexpr int Rounds = 5;
const fs::path RunFolder = L"C:\\image-benchmark";

bool WriteExtractPlayer(const std::string& drive) {
    fs::remove_all(drive + "\\iPod_Control");
    std::vector<itdb::Track> tracks;
    for (int index = 0; index < 310; ++index) {
        const std::string name = "T" + std::to_string(index) + ".mp3";
        const fs::path file =
            drive + "\\iPod_Control\\Music\\F" + std::to_string(10 + index % 20) + "\\" + name;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary)
            << std::string(index < 300 ? 1u << 20 : 16u << 20, static_cast<char>('a' + index % 26));
        itdb::Track track;
        track.title = u"Track " + fs::path(std::to_string(index)).u16string();
        track.location = u":iPod_Control:Music:F" +
                         fs::path(std::to_string(10 + index % 20)).u16string() + u":" +
                         fs::path(name).u16string();
        tracks.push_back(track);
    }
    const fs::path database = drive + "\\iPod_Control\\iTunes\\iTunesDB";
    fs::create_directories(database.parent_path());
    return itdb::WriteFile(database.string(), itdb::RealisticDatabase(tracks));
}

// The time from the command to the list shown, from the drive or the image.
double TimeOpen(std::unique_ptr<TMainForm>& window, const std::string& drive,
                const std::wstring& image) {
    if (image.empty()) {
        return benchmark::TimeOpenInNewWindow(window, drive);
    }
    window.reset();
    DiscardQuitRequest();
    window = benchmark::StartMainWindow();
    const Clock::time_point start = Clock::now();
    window->OpenDiskImage(image);
    return SecondsSince(start);
}

double TimeExtract(std::unique_ptr<TMainForm>& window, const std::string& drive,
                   const std::wstring& image) {
    TimeOpen(window, drive, image);
    SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(ID_EDIT_ALL, 0), 0);
    fs::remove_all(RunFolder);
    fs::create_directories(RunFolder);
    window->Settings().SetExtractPath(RunFolder.u16string());
    return benchmark::TimeFolderCommand(*window, ID_FILE_EXTRACT);
}

// Both, turn about, each the best of its rounds; false when one failed.
bool Compare(const char* what, std::unique_ptr<TMainForm>& window, const std::string& drive,
             const std::wstring& image,
             double (*time)(std::unique_ptr<TMainForm>&, const std::string&, const std::wstring&)) {
    double fromDrive = 1e9, fromImage = 1e9;
    for (int round = 0; round < Rounds; ++round) {
        fromDrive = std::min(fromDrive, time(window, drive, L""));
        fromImage = std::min(fromImage, time(window, drive, image));
    }
    const long rows = static_cast<long>(SendMessageW(window->TrackList(), LVM_GETITEMCOUNT, 0, 0));
    std::printf(
        "%s from the disk image %.3f s, from the drive %.3f s: ratio %.3f (target 1.10), "
        "%ld rows\n",
        what, fromImage, fromDrive, fromImage / fromDrive, rows);
    fs::remove_all(RunFolder);
    return fromImage > 0 && fromDrive > 0 && rows > 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string drive = std::string(1, argc > 1 ? argv[1][0] : 'F') + ":";
    const std::string mode = argc > 2 ? argv[2] : "";
    const std::string database = drive + "\\iPod_Control\\iTunes\\iTunesDB";
    if (mode == "write-load") {
        fs::remove_all(drive + "\\iPod_Control");
        return benchmark::PrepareWindowRun(database) && benchmark::WriteCovers(database) ? 0 : 1;
    }
    if (mode == "write-extract") {
        return WriteExtractPlayer(drive) ? 0 : 1;
    }
    if ((mode != "load" && mode != "extract") || argc != 4) {
        std::fprintf(stderr,
                     "usage: image-benchmark DRIVE write-load | load IMAGE | "
                     "write-extract | extract IMAGE\n");
        return 2;
    }
    const std::wstring image = fs::path(argv[3]).wstring();
    benchmark::ResetSettingsForExtraction();
    MessageBoxRecorder boxes;
    std::unique_ptr<TMainForm> window = benchmark::StartMainWindow();
    const bool measured = mode == "load" ? Compare("Open", window, drive, image, TimeOpen)
                                         : Compare("Extract of 300 x 1 MB and 10 x 16 MB", window,
                                                   drive, image, TimeExtract);
    if (!boxes.Requests().empty()) {
        std::fprintf(stderr, "%u message boxes, the first: %ls\n",
                     static_cast<unsigned>(boxes.Requests().size()),
                     boxes.Requests()[0].Text.c_str());
        return 1;
    }
    return measured ? 0 : 1;
}
