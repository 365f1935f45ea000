#include "app/export_playlists.h"

#include <vector>

#include "app/destination_dialog.h"
#include "app/mainform.h"
#include "app/overwriteprompt.h"
#include "core/ansi_text.h"
#include "core/itdbparser.h"
#include "core/playlist_file.h"
#include "win/handles.h"
#include "win/message_box.h"
#include "win/wide_text.h"

namespace {

bool WriteWholeFile(const std::wstring& fileName, const std::string& bytes) {
    HANDLE opened = CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        return false;
    }
    win::UniqueFile file(opened);
    DWORD written = 0;
    const bool complete =
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    return CloseHandle(file.release()) != 0 && complete;
}

}  // namespace

void PlaylistExport::Run() {
    TMainForm::BusyScope busy(form_);
    const std::vector<const Playlist*> playlists =
        form_.Parser ? UserPlaylists(form_.Parser->Playlists()) : std::vector<const Playlist*>{};
    if (playlists.empty()) {
        win::ShowMessageBox(form_.Handle(), L"There are no playlists to export.",
                            MB_OK | MB_ICONERROR);
        return;
    }
    const std::optional<std::u16string> folder =
        DestinationDialog(form_, L"Export Playlists To Directory",
                          L"Playlists cannot be exported onto the iPod itself. Please choose a "
                          L"folder on another drive.")
            .Choose();
    if (!folder) {
        return;
    }
    destination_ = *folder + u"\\";

    std::vector<std::u16string> names;
    for (const Playlist* playlist : playlists) {
        names.push_back(playlist->Name);
    }
    const std::vector<std::u16string> fileNames = PlaylistFileNames(names);
    const std::u16string fileFormat = Utf16FromAnsi(form_.Settings().GetFileFormat());
    const std::u16string folderFormat = Utf16FromAnsi(form_.Settings().GetFolderFormat());
    ClashPolicy policy(form_.Settings().GetOverwriteFiles());
    form_.SetStatusText("Exporting playlists:");
    int written = 0;
    {
        TMainForm::WaitCursor hourglass(form_);
        for (size_t i = 0; i < playlists.size(); ++i) {
            const std::u16string target = destination_ + fileNames[i];
            form_.SetItemStatus(target);
            // While the find box narrows the rows, the playlists hold the
            // tracks it finds.
            Playlist found = *playlists[i];
            found.Members = form_.FindWords().Found(found.Members);
            const std::string text = PlaylistFileText(
                PlaylistFileEntries(found, fileFormat, folderFormat, destination_.size()));
            const Outcome outcome = WritePlaylistFile(target, text, policy);
            if (outcome == Outcome::Stop) {
                break;
            }
            written += outcome == Outcome::Written ? 1 : 0;
        }
        form_.SetItemStatus(u"");
    }
    form_.SetStatusText("Exported " + std::to_string(written) + " playlist(s)");
}

PlaylistExport::Outcome PlaylistExport::WritePlaylistFile(const std::u16string& target,
                                                          const std::string& text,
                                                          ClashPolicy& policy) {
    const bool exists = form_.TargetExists(target);
    if (exists) {
        const ClashOutcome clash =
            policy.Resolve([&] { return form_.OverwritePrompt().AskOverwrite(target); });
        if (clash != ClashOutcome::Copy) {
            return clash == ClashOutcome::Skip ? Outcome::Skipped : Outcome::Stop;
        }
    }
    // Written under a temporary name first, as the extraction copies: the
    // playlist's name only ever holds a whole file.
    const std::wstring temporary =
        win::WideFromUtf16(destination_ + TemporaryCopyName(GetCurrentProcessId()));
    if (!WriteWholeFile(temporary, text)) {
        DeleteFileW(temporary.c_str());
        return ReportFailure(target);
    }
    const DWORD flags = exists ? MOVEFILE_REPLACE_EXISTING : 0;
    if (!MoveFileExW(temporary.c_str(), win::WideFromUtf16(target).c_str(), flags)) {
        DeleteFileW(temporary.c_str());
        return ReportFailure(target);
    }
    return Outcome::Written;
}

PlaylistExport::Outcome PlaylistExport::ReportFailure(const std::u16string& target) {
    win::ShowMessageBox(form_.Handle(), L"Error writing file:\r\n" + win::WideFromUtf16(target),
                        MB_OK | MB_ICONERROR);
    return Outcome::Stop;
}
