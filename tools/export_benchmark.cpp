// export-benchmark: times the main window's Export on a 40,000-row track
// list, from the click on Save in the save dialog to the end of the command.
// The list comes from the test load, whose database C:\Trackhaul\iTunesDB is
// overwritten; the file goes to C:\Trackhaul\export-benchmark.csv. Runs in
// the Wine prefix's settings (FirstRun is set to 0 and every other setting
// reset). From the repository, after scripts/test:
//
//   . scripts/lib/wine-env.sh && wine_prepare_prefix $PWD/build/windows/wineprefix &&
//   wine_start_display virtual &&
//   wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
//   wine build/windows/tools/export-benchmark.exe; wine_stop
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "app/mainform.h"
#include "app/resource_ids.h"
#include "app_test_support.h"
#include "window_benchmark.h"

int main() {
    if (!benchmark::PrepareWindowRun(TMainForm::TestLoadPath)) {
        return 1;
    }
    MessageBoxRecorder boxes;
    const std::unique_ptr<TMainForm> window = benchmark::StartMainWindow();
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
    return 0;
}
