// load-benchmark [DRIVE]: times the main window's Open on a 40,000-track
// player database, then a sort by title and one by track number. DRIVE (a
// letter, default F) must be attached as a removable drive; its database is
// overwritten. Runs in the Wine prefix's settings (FirstRun is set to 0 and
// every other setting reset). Without a window manager, Wine waits about a
// second whenever a window is hidden (here: the device dialog), unless its
// windows are unmanaged. From the repository, after scripts/test:
//
//   . scripts/lib/wine-env.sh && wine_prepare_prefix $PWD/build/windows/wineprefix &&
//   wine_start_display virtual && mkdir -p /tmp/benchpod &&
//   wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
//   wine_attach_drive f /tmp/benchpod BENCHPOD &&
//   wine build/windows/tools/load-benchmark.exe F; wine_stop
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/mainform.h"
#include "app/resource_ids.h"
#include "app_test_support.h"
#include "window_benchmark.h"

namespace {

using benchmark::Clock;
using benchmark::SecondsSince;
using benchmark::TrackCount;

// Runs a command to its end and returns how long it took.
double TimeCommand(TMainForm& form, int id) {
    const Clock::time_point start = Clock::now();
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return SecondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string drive = std::string(1, argc > 1 ? argv[1][0] : 'F') + ":";
    if (!benchmark::PrepareWindowRun(drive + "\\iPod_Control\\iTunes\\iTunesDB")) {
        return 1;
    }
    MessageBoxRecorder boxes;
    const std::unique_ptr<TMainForm> window = benchmark::StartMainWindow();
    TMainForm& form = *window;

    // The load is timed from the click on OK to the end of the command.
    Clock::time_point okClicked{};
    WhenWindowShows dialog(L"Select Your iPod", [&](HWND found) {
        HWND driveList = GetDlgItem(found, IDC_CBDRIVE);
        const std::wstring entry = L"(" + std::wstring(1, drive[0]) + L":)";
        SendMessageW(driveList, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(entry.c_str()));
        okClicked = Clock::now();
        PressButton(found, IDOK);
    });
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(ID_FILE_OPEN, 0), 0);
    const double load = SecondsSince(okClicked);
    const auto rows = SendMessageW(form.TrackList(), LVM_GETITEMCOUNT, 0, 0);
    const bool loaded = dialog.Shown() && rows == TrackCount && boxes.Requests().empty() &&
                        StatusText(form.StatusBar()) == L"Loaded total 40000 song(s)";
    if (!loaded) {
        std::fprintf(stderr, "load failed: dialog %s, %ld rows, %u message boxes\n",
                     dialog.Shown() ? "shown" : "not shown", static_cast<long>(rows),
                     static_cast<unsigned>(boxes.Requests().size()));
        return 1;
    }
    PumpMessages();

    const double byTitle = TimeCommand(form, ID_SORT_TITLE);
    const double byNumber = TimeCommand(form, ID_SORT_TRACKNUMBER);
    std::printf("tracks %d, rows %ld\n", TrackCount, static_cast<long>(rows));
    std::printf("load (OK to \"Loaded total 40000 song(s)\"): %.3f s (target 1.2 s)\n", load);
    std::printf("sort by title:        %.3f s (target 0.6 s)\n", byTitle);
    std::printf("sort by track number: %.3f s (target 0.6 s)\n", byNumber);
    return 0;
}
