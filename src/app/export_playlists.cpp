#include "app/export_playlists.h"

#include <optional>
#include <string_view>
#include <vector>

#include "app/destination_dialog.h"
#include "app/file_placement.h"
#include "app/main_window_services.h"
#include "core/itdbparser.h"
#include "core/playlist_file.h"
#include "core/track_find.h"
#include "win/file_output.h"
#include "win/message_box.h"
#include "win/shell_folders.h"
#include "win/wide_text.h"

void PlaylistExport::Run() {
    BusyScope busy(window_);
    if (!window_.Player() || UserPlaylists(window_.Player()->Playlists()).empty()) {
        win::ShowMessageBox(window_.Handle(), L"There are no playlists to export.",
                            MB_OK | MB_ICONERROR);
        return;
    }
    const std::optional<std::u16string> folder =
        DestinationDialog(window_, L"Export Playlists To Directory",
                          L"Playlists cannot be exported onto the iPod itself. Please choose a "
                          L"folder on another drive.")
            .Choose();
    if (!folder) {
        return;
    }
    ClashPolicy policy(window_.SettingsView().OverwriteFiles);
    window_.SetStatusText("Exporting playlists:");
    NameNumbering namesWritten;
    const Written written = WriteInto(*folder + u"\\", policy, *window_.NamePlan(), namesWritten);
    window_.SetStatusText("Exported " + std::to_string(written.Files) + " playlist(s)");
}

PlaylistExport::Written PlaylistExport::WriteInto(const std::u16string& folder, ClashPolicy& policy,
                                                  const TrackNamePlan& plan,
                                                  NameNumbering& namesWritten) {
    const std::vector<const Playlist*> playlists = UserPlaylists(window_.Player()->Playlists());
    destination_ = folder;
    folders_.Visit(win::WideFromUtf16(destination_));
    std::vector<std::u16string> names;
    for (const Playlist* playlist : playlists) {
        names.push_back(playlist->Name);
    }
    const std::vector<std::u16string> fileNames = PlaylistFileNames(names, namesWritten);
    const TrackFind& find = window_.FindWords();
    entryLines_.emplace(plan, destination_.size(),
                        [&find](const OneTrack& track) { return find.Matches(track); });
    Written written;
    WaitCursor hourglass(window_);
    for (size_t i = 0; i < playlists.size() && !written.Stopped; ++i) {
        const Outcome outcome = WritePlaylistFile(fileNames[i], *playlists[i], policy);
        written.Stopped = outcome == Outcome::Stop;
        written.Files += outcome == Outcome::Written ? 1 : 0;
    }
    window_.SetItemStatus(u"");
    return written;
}

PlaylistExport::Outcome PlaylistExport::WritePlaylistFile(const std::u16string& fileName,
                                                          const Playlist& playlist,
                                                          ClashPolicy& policy) {
    const std::u16string target = destination_ + fileName;
    const std::wstring folder = win::WideFromUtf16(destination_);
    const std::wstring wideName = win::WideFromUtf16(fileName);
    ShowNowAndThen(target);
    const bool exists = folders_.Holds(folder, wideName) && window_.TargetExists(target);
    if (exists) {
        const ClashOutcome clash = ResolveClash(window_, policy, target);
        if (clash != ClashOutcome::Copy) {
            return clash == ClashOutcome::Skip ? Outcome::Skipped : Outcome::Stop;
        }
    }
    // Written under a temporary name first and to the disk, as the
    // extraction copies: the playlist's name only ever holds a whole file.
    const std::wstring temporary =
        win::WideFromUtf16(destination_ + TemporaryCopyName(GetCurrentProcessId()));
    const DWORD error =
        win::WriteThroughTemporary(temporary, win::WideFromUtf16(target), exists,
                                   [&](HANDLE file) { return WriteEntries(file, playlist); });
    if (error != ERROR_SUCCESS) {
        return ReportFailure(target, error);
    }
    folders_.Add(folder, wideName);
    return Outcome::Written;
}

void PlaylistExport::ShowNowAndThen(const std::u16string& target) {
    if (shownNowAndThen_.Due()) {
        window_.SetItemStatus(target);
        window_.ProcessMessages();
    }
}

bool PlaylistExport::WriteEntries(HANDLE file, const Playlist& playlist) {
    PlaylistFileWriter writer(
        [file](std::string_view bytes) { return win::WriteBytes(file, bytes); });
    for (const OneTrack* member : playlist.Members) {
        const std::string_view lines = entryLines_->Of(*member);
        if (!lines.empty() && !writer.WriteLines(lines)) {
            return false;
        }
        if (shownNowAndThen_.Due()) {
            window_.ProcessMessages();
        }
    }
    return writer.Finish();
}

PlaylistExport::Outcome PlaylistExport::ReportFailure(const std::u16string& target, DWORD error) {
    window_.SetItemStatus(target);
    const std::u16string text =
        PlaylistFileFailureText(target, win::Utf16FromWide(win::SystemErrorText(error)));
    const int answer =
        win::ShowMessageBox(window_.Handle(), win::WideFromUtf16(text), MB_YESNO | MB_ICONERROR);
    return answer == IDNO ? Outcome::Stop : Outcome::Skipped;
}
