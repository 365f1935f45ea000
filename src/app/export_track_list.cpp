#include "app/export_track_list.h"

#include <commctrl.h>
#include <commdlg.h>

#include <chrono>
#include <string_view>

#include "app/main_window_services.h"
#include "app/track_list_view.h"
#include "core/csv_file_writer.h"
#include "core/onetrack.h"
#include "core/path_text.h"
#include "core/update_throttle.h"
#include "win/file_output.h"
#include "win/handles.h"
#include "win/message_box.h"
#include "win/shell_folders.h"
#include "win/wide_text.h"

namespace {

// Letting messages through costs about as much as writing a hundred rows:
// the window repaints and the current title shows this often instead.
constexpr std::chrono::milliseconds ShowProgressEvery{200};

}  // namespace

TrackListExport::TrackListExport(MainWindowServices& window) : window_(window) {
    SaveDialog.Title = L"Export Track List";
    SaveDialog.FilterDescription = L"Comma-Separated Text (*.csv)";
    SaveDialog.FilterPattern = L"*.csv";
    SaveDialog.DefaultExtension = L"csv";
    SaveDialog.Options = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                         OFN_NOREADONLYRETURN | OFN_ENABLESIZING;
}

void TrackListExport::Execute() {
    // Held from the start: the rows counted here are the rows written.
    BusyScope busy(window_);
    const HWND owner = window_.Handle();
    const int rowCount = window_.Rows().Count();
    if (rowCount == 0) {
        win::ShowMessageBox(owner, L"There are no tracks to export.", MB_OK | MB_ICONERROR);
        return;
    }
    SaveDialog.FileName.clear();
    SaveDialog.InitialDir = StartFolder();
    if (!SaveDialog.Execute(owner)) {
        return;
    }
    const std::wstring fileName = SaveDialog.FileName;
    const std::u16string folder = FolderOfFileName(win::Utf16FromWide(fileName));
    if (window_.IsOnPlayerDrive(folder)) {
        win::ShowMessageBox(owner,
                            L"The track list cannot be exported onto the iPod itself. Please "
                            L"choose a folder on another drive.",
                            MB_OK | MB_ICONERROR);
        return;
    }
    window_.RememberExtractPath(folder);

    win::UniqueFile file = win::CreateForWriting(fileName, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!file) {
        win::ShowMessageBox(owner, L"Error opening file for writing:\r\n" + fileName,
                            MB_OK | MB_ICONERROR);
        return;
    }
    window_.SetStatusText("Exporting track list:");
    bool written = false;
    {
        WaitCursor hourglass(window_);
        window_.ProcessMessages();
        const bool rowsWritten = WriteRows(file.get(), rowCount);
        const bool closed = CloseHandle(file.release()) != 0;
        written = rowsWritten && closed;
        if (!written) {
            DeleteFileW(fileName.c_str());  // nothing half-written is left behind
        }
        window_.SetItemStatus(u"");
    }
    if (!written) {
        win::ShowMessageBox(owner, L"Error writing file:\r\n" + fileName, MB_OK | MB_ICONERROR);
    }
    window_.ShowReadyStatus();
}

std::wstring TrackListExport::StartFolder() const {
    return win::FolderOrDocuments(window_.Handle(),
                                  win::WideFromUtf16(window_.SettingsView().ExtractPath));
}

bool TrackListExport::WriteRows(HANDLE file, int rowCount) {
    const TrackListView rows = window_.Rows();
    CsvFileWriter writer([file](std::string_view bytes) { return win::WriteBytes(file, bytes); },
                         window_.ShownColumns());
    UpdateThrottle progress(ShowProgressEvery);
    for (int row = 0; row < rowCount; ++row) {
        const OneTrack* track = rows.TrackAt(row);
        if (track == nullptr) {
            continue;
        }
        if (progress.Due()) {
            window_.SetItemStatus(track->GetTitle());
            window_.ProcessMessages();
        }
        if (!writer.WriteTrack(*track)) {
            return false;
        }
    }
    return writer.Finish();
}
