// The main window's track list commands: opening and closing a database, the
// test load, sorting and bulk selection.
#include <iterator>
#include <new>
#include <optional>
#include <string>

#include "app/commands.h"
#include "app/mainform.h"
#include "app/open_disk_image.h"
#include "app/resource_ids.h"
#include "app/selectipod.h"
#include "core/ansi_text.h"
#include "core/onetrack.h"
#include "core/track_row.h"
#include "win/message_box.h"

void TMainForm::ChangeWaitCursors(int change) {
    waitCursors_ += change;
    if (waitCursors_ == 0) {
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    } else {
        UpdateCursor();
    }
}

bool TMainForm::UpdateCursor() {
    if (waitCursors_ == 0) {
        return false;
    }
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return true;
}

void TMainForm::ActionFileOpenExecute() {
    // The status texts and the dialog let messages through before the load
    // begins: a Close there would empty Drive under the new tracks, and a
    // close of the window would release the settings the load still reads.
    BusyScope busy(*this);
    SetStatusText("Selecting iPod device");
    const std::optional<OpenedPlayer> player = TSelectIPodForm().SelectPlayer(window_);
    if (!player) {
        return;
    }
    LoadPlayer(*player);
}

void TMainForm::ActionFileOpenImageExecute() {
    BusyScope busy(*this);
    const std::optional<OpenedPlayer> player = ChooseDiskImage(window_);
    if (player) {
        LoadPlayer(*player);
    }
}

void TMainForm::OpenDiskImage(const std::wstring& path) {
    BusyScope busy(*this);
    const std::optional<OpenedPlayer> player = ::OpenDiskImage(window_, path);
    if (player) {
        LoadPlayer(*player);
    }
}

void TMainForm::LoadPlayer(const OpenedPlayer& player) {
    Drive = player.Drive;
    SetStatusText("Loading track information from iPod");
    LoadDatabase(DatabasePathOnPlayer(*player.Files, Drive), false, player.Files);
}

void TMainForm::ToolButton14Click() {
    LoadDatabase(TestLoadPath, true);
}

void TMainForm::ActionFileCloseExecute() {
    ReleaseDatabase();
    Drive.clear();
    ShowReadyStatus();
}

void TMainForm::ReleaseDatabase() {
    // The rows, the lists and the album art pane point into the reader:
    // they go first.
    Rows().Clear();
    listed_.clear();
    if (playlists_) {
        playlists_->Reset(nullptr);
    }
    if (albumArt_) {
        albumArt_->Forget();
    }
    if (find_) {
        find_->SetTracks({});
    }
    namePlans_.Forget();
    Parser.reset();
}

std::shared_ptr<const TrackNamePlan> TMainForm::NamePlan() {
    return namePlans_.Get(Utf16FromAnsi(SettingsForm->GetFileFormat()),
                          Utf16FromAnsi(SettingsForm->GetFolderFormat()));
}

void TMainForm::LoadDatabase(const std::string& path, bool testLoad,
                             std::shared_ptr<PlayerFiles> files) {
    // Messages are dispatched during the load (status texts, the progress
    // bar, message boxes): commands that would release the tracks or reorder
    // the rows wait until it has ended.
    BusyScope busy(*this);
    std::optional<WaitCursor> waitCursor;
    if (!testLoad) {
        waitCursor.emplace(*this);
        ProcessMessages();
    }
    ReleaseDatabase();
    Parser = std::make_unique<ITDBParser>(path, std::move(files));
    const int32_t trackCount = Parser->Parse(SettingsForm->GetTrackLimit());
    // The rows shown, which are fewer than the tracks read when the list
    // runs out of memory first; -1 when memory ran out elsewhere.
    const int32_t rowCount = trackCount > 0 ? FillTrackListKeepingMemory(trackCount) : trackCount;
    if (rowCount <= 0) {
        // The reader stays, holding no tracks, until the next load or Close.
        if (rowCount < 0) {
            win::ShowMessageBox(window_, L"An error occurred while reading iPod database.",
                                MB_OK | MB_ICONERROR);
        } else {
            win::ShowMessageBox(window_, L"iPod database is empty.", MB_OK | MB_ICONWARNING);
        }
        waitCursor.reset();
        if (!testLoad) {
            ShowReadyStatus();
        }
        return;
    }
    playlists_->Reset(Parser.get());
    listed_ = Parser->TracksInFileOrder();
    // The names an extraction or an export will want, worked out while the
    // user looks at the list.
    namePlans_.Prepare(listed_, Utf16FromAnsi(SettingsForm->GetFileFormat()),
                       Utf16FromAnsi(SettingsForm->GetFolderFormat()));
    find_->SetTracks(listed_);
    listedPlaylist_.reset();
    waitCursor.reset();
    if (FindWords().Active()) {
        ShowFoundRows();
    } else {
        SetStatusText("Loaded total " + std::to_string(rowCount) + " song(s)");
    }
}

void TMainForm::ShowList(std::vector<const OneTrack*> tracks,
                         std::optional<std::u16string> playlistLabel) {
    listed_ = std::move(tracks);
    listedPlaylist_ = std::move(playlistLabel);
    ShowFoundRows();
}

void TMainForm::ShowFoundRows() {
    if (!Parser) {
        return;
    }
    const BusyScope busy(*this);
    const bool finding = FindWords().Active();
    int rowCount = 0;
    {
        const WaitCursor waitCursor(*this);
        TrackListView rows = Rows();
        rows.SetRedraw(false);
        rowCount = rows.ReplaceTracks(finding ? FindWords().Found(listed_) : listed_);
        rows.SetRedraw(true);
    }
    if (finding) {
        SetStatusText("Showing " + std::to_string(rowCount) + " of " +
                      std::to_string(listed_.size()) + " tracks");
    } else if (listedPlaylist_) {
        SetStatusText(u"Playlist: " + *listedPlaylist_);
    } else {
        SetStatusText("Loaded total " + std::to_string(rowCount) + " song(s)");
    }
}

int32_t TMainForm::FillTrackListKeepingMemory(int32_t trackCount) {
    const WaitCursor hourglass(*this);
    try {
        const int32_t rowCount = FillTrackList(trackCount);
        if (rowCount > 0) {
            return rowCount;
        }
    } catch (const std::bad_alloc&) {
    }
    // Nothing is kept of a load that ran out of memory.
    ShowProgress(false);
    Rows().SetRedraw(true);
    ReleaseDatabase();
    return -1;
}

int32_t TMainForm::FillTrackList(int32_t trackCount) {
    TrackListView rows = Rows();
    Parser->First();
    ShowProgress(true);
    rows.SetRedraw(false);
    int32_t shownPercent = 0;
    int32_t row = 0;
    for (; Parser->HasNext(); ++row) {
        if (!rows.InsertTrack(row, *Parser->Next())) {
            break;  // the list is full: the rows so far stay
        }
        // Letting messages through after every row would cost more than
        // adding the rows; the bar moves, and the window repaints, whenever
        // its position changes.
        const int32_t percent = ProgressPercent(row + 1, trackCount);
        if (percent != shownPercent) {
            shownPercent = percent;
            SetProgress(percent);
        }
    }
    rows.SetRedraw(true);
    ShowProgress(false);
    return row;
}

void TMainForm::SortTrackList(TrackColumnId column) {
    Rows().SortBy(column);
}

AlbumArtPane::Source TMainForm::FocusedPicture() const {
    const auto row = static_cast<int>(
        SendMessageW(trackList_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    const OneTrack* track = row >= 0 ? Rows().TrackAt(row) : nullptr;
    if (track == nullptr || !Parser) {
        return {};
    }
    return {&Parser->Artwork(), track->GetArtwork()};
}

void TMainForm::RunSortCommand(int id) {
    using Handler = void (TMainForm::*)();
    static constexpr Handler handlers[] = {
        &TMainForm::ActionSortTrackNumberExecute, &TMainForm::ActionSortTitleExecute,
        &TMainForm::ActionSortArtistExecute,      &TMainForm::ActionSortAlbumExecute,
        &TMainForm::ActionSortLengthExecute,      &TMainForm::ActionSortTrackTypeExecute,
        &TMainForm::ActionSortEncodingExecute,    &TMainForm::ActionSortBitRateExecute,
        &TMainForm::ActionSortSampleRateExecute,
    };
    const int key = id - ID_SORT_FIRST;
    if (key >= 0 && key < static_cast<int>(std::size(handlers))) {
        (this->*handlers[key])();
    }
}

void TMainForm::ActionSortTrackNumberExecute() {
    SortTrackList(TrackColumnId::TrackNumber);
}
void TMainForm::ActionSortTitleExecute() {
    SortTrackList(TrackColumnId::Title);
}
void TMainForm::ActionSortArtistExecute() {
    SortTrackList(TrackColumnId::Artist);
}
void TMainForm::ActionSortAlbumExecute() {
    SortTrackList(TrackColumnId::Album);
}
void TMainForm::ActionSortLengthExecute() {
    SortTrackList(TrackColumnId::Length);
}
void TMainForm::ActionSortTrackTypeExecute() {
    SortTrackList(TrackColumnId::TrackType);
}
void TMainForm::ActionSortEncodingExecute() {
    SortTrackList(TrackColumnId::Encoding);
}
void TMainForm::ActionSortBitRateExecute() {
    SortTrackList(TrackColumnId::BitRate);
}
void TMainForm::ActionSortSampleRateExecute() {
    SortTrackList(TrackColumnId::SampleRate);
}

void TMainForm::ActionEditAllExecute() {
    Rows().SelectAll();
}

void TMainForm::ActionEditNoneExecute() {
    Rows().SelectNone();
}

void TMainForm::ActionEditInvertExecute() {
    Rows().InvertSelection();
}
