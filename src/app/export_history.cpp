#include "app/export_history.h"

#include <commdlg.h>

#include "app/file_placement.h"
#include "app/main_window_services.h"
#include "app/utc_clock.h"
#include "core/itdbparser.h"
#include "core/path_text.h"
#include "win/file_output.h"
#include "win/message_box.h"
#include "win/shell_folders.h"
#include "win/wide_text.h"

namespace {

// The two files' names, each a stem and its extension.
struct HistoryFileName {
    std::wstring_view Stem;
    std::wstring_view Extension;

    std::wstring Whole() const { return std::wstring(Stem) + std::wstring(Extension); }
};
constexpr HistoryFileName kLogName{L".scrobbler", L".log"};
constexpr HistoryFileName kListensName{L"listens", L".json"};

bool EndsWith(const std::wstring& text, std::wstring_view end) {
    return text.size() >= end.size() &&
           IsSamePath(text.substr(text.size() - end.size()), std::wstring(end));
}

}  // namespace

HistoryExport::HistoryExport(MainWindowServices& window) : window_(window) {
    saveDialog_.Title = L"Export Listening History";
    saveDialog_.FilterDescription = L".scrobbler.log (Last.fm)";
    saveDialog_.FilterPattern = L"*.log";
    saveDialog_.MoreFilters = {{L"ListenBrainz listens (*.json)", L"*.json"}};
    // The policy and the prompt ask about a file that is there.
    saveDialog_.Options =
        OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN | OFN_ENABLESIZING;
}

void HistoryExport::Run() {
    BusyScope busy(window_);
    const HWND owner = window_.Handle();
    const ListeningHistory history = Gather();
    if (history.Listens.empty()) {
        win::ShowMessageBox(owner, L"There are no plays since the player's last sync.",
                            MB_OK | MB_ICONINFORMATION);
        return;
    }
    saveDialog_.InitialDir = StartFolder();
    saveDialog_.FileName = kLogName.Whole();
    saveDialog_.ChosenFilter = 1;
    if (!saveDialog_.Execute(owner)) {
        return;
    }
    // The file's name tells its format; the listens' type with the log's
    // name left in the box gives the listens' name.
    std::wstring fileName = saveDialog_.FileName;
    const bool listens = saveDialog_.ChosenFilter == 2;
    const std::wstring logName = kLogName.Whole();
    if (listens && EndsWith(fileName, L"\\" + logName)) {
        fileName.replace(fileName.size() - logName.size(), logName.size(), kListensName.Whole());
    } else if (listens && !EndsWith(fileName, kListensName.Extension)) {
        fileName += kListensName.Extension;
    }
    const std::u16string target = win::Utf16FromWide(fileName);
    if (window_.IsOnPlayerDrive(FolderOfFileName(target))) {
        win::ShowMessageBox(owner,
                            L"The listening history cannot be exported onto the iPod itself. "
                            L"Please choose a folder on another drive.",
                            MB_OK | MB_ICONERROR);
        return;
    }
    ClashPolicy policy(window_.SettingsView().OverwriteFiles);
    const Format format =
        EndsWith(fileName, kListensName.Extension) ? Format::ListenBrainz : Format::ScrobblerLog;
    if (Write(history, format, target, policy) != Outcome::Written) {
        window_.ShowReadyStatus();
        return;
    }
    const size_t plays = history.Plays;
    std::string status = "Exported " + std::to_string(plays) + " plays";
    if (history.EstimatedPlays > 0) {
        status += " (" + std::to_string(history.EstimatedPlays) + " with estimated times)";
    }
    window_.SetStatusText(status);
}

bool HistoryExport::WriteInto(const std::u16string& folder, ClashPolicy& policy,
                              NameNumbering& namesWritten) {
    const ListeningHistory history = Gather();
    if (history.Listens.empty()) {
        return true;
    }
    const auto target = [&](const HistoryFileName& name) {
        return folder + namesWritten.Take(win::Utf16FromWide(std::wstring(name.Stem)),
                                          win::Utf16FromWide(std::wstring(name.Extension)));
    };
    return Write(history, Format::ScrobblerLog, target(kLogName), policy) != Outcome::Stop &&
           Write(history, Format::ListenBrainz, target(kListensName), policy) != Outcome::Stop;
}

ListeningHistory HistoryExport::Gather() {
    if (!window_.Player()) {
        return {};
    }
    UtcClock clock;
    return GatherListeningHistory(window_.Player()->TracksInFileOrder(), clock.AsConversion());
}

HistoryExport::Outcome HistoryExport::Write(const ListeningHistory& history, Format format,
                                            const std::u16string& target, ClashPolicy& policy) {
    const bool exists = window_.TargetExists(target);
    if (exists) {
        const ClashOutcome clash = ResolveClash(window_, policy, target);
        if (clash != ClashOutcome::Copy) {
            return clash == ClashOutcome::EndRun ? Outcome::Stop : Outcome::Skipped;
        }
    }
    window_.SetStatusText("Exporting listening history:");
    window_.SetItemStatus(target);
    // Written whole under a temporary name and to the disk, then renamed.
    const std::wstring temporary =
        win::WideFromUtf16(FolderOfFileName(target) + TemporaryCopyName(GetCurrentProcessId()));
    const DWORD error =
        win::WriteThroughTemporary(temporary, win::WideFromUtf16(target), exists, [&](HANDLE file) {
            BlockWriter output(
                [file](std::string_view bytes) { return win::WriteBytes(file, bytes); });
            return format == Format::ListenBrainz ? WriteListenBrainzListens(history, output)
                                                  : WriteScrobblerLog(history, output);
        });
    window_.SetItemStatus(u"");
    if (error != ERROR_SUCCESS) {
        win::ShowMessageBox(window_.Handle(),
                            L"Error writing file:\r\n" + win::WideFromUtf16(target) + L"\r\n" +
                                win::SystemErrorText(error),
                            MB_OK | MB_ICONERROR);
        return Outcome::Skipped;
    }
    return Outcome::Written;
}

std::wstring HistoryExport::StartFolder() const {
    return win::FolderOrDocuments(window_.Handle(),
                                  win::WideFromUtf16(window_.SettingsView().MusicFolder));
}
