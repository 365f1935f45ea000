// The main window's commands: the routing of a command to its handler and the
// handlers of the File, Edit, View and Help menus. Loading, sorting and
// selecting the tracks are in mainform_tracks.cpp.
#include "app/about.h"
#include "app/export_history.h"
#include "app/export_library.h"
#include "app/export_playlists.h"
#include "app/export_track_list.h"
#include "app/extract_photos.h"
#include "app/extract_tracks.h"
#include "app/mainform.h"
#include "app/resource_ids.h"
#include "core/track_columns.h"
#include "win/wide_text.h"

bool TMainForm::IsBlockedWhileBusy(int id) {
    switch (id) {
        case ID_FILE_OPEN:
        case ID_FILE_OPEN_IMAGE:
        case ID_FILE_CLOSE:
        case ID_FILE_EXPORT:
        case ID_FILE_EXTRACT:
        case ID_FILE_EXPORT_PLAYLISTS:
        case ID_FILE_EXPORT_LIBRARY:
        case ID_FILE_EXPORT_HISTORY:
        case ID_FILE_EXTRACT_PHOTOS:
        case ID_VIEW_PLAYLIST:
        case ID_TOOLBUTTON14:
            return true;
        default:
            return id >= ID_SORT_FIRST && id < ID_SORT_FIRST + kStandardColumnCount;
    }
}

void TMainForm::RunCommand(int id) {
    if (tearingDown_ || (IsBusy() && IsBlockedWhileBusy(id))) {
        return;
    }
    RunHandler(id);
    if (!tearingDown_ && window_ != nullptr && !IsBusy()) {
        ShowIdleItemStatus();
    }
}

void TMainForm::ShowIdleItemStatus() {
    const size_t photos = Parser ? Parser->Photos().Count() : 0;
    SetItemStatus(photos > 0 ? win::Utf16FromWide(std::to_wstring(photos) + L" photos") : u"");
}

void TMainForm::RunHandler(int id) {
    switch (id) {
        case ID_FILE_OPEN:
            ActionFileOpenExecute();
            break;
        case ID_FILE_OPEN_IMAGE:
            ActionFileOpenImageExecute();
            break;
        case ID_FILE_CLOSE:
            ActionFileCloseExecute();
            break;
        case ID_FILE_EXPORT:
            ActionFileExportExecute();
            break;
        case ID_FILE_EXTRACT:
            ActionFileExtractExecute();
            break;
        case ID_FILE_EXPORT_PLAYLISTS:
            PlaylistExport(*this).Run();
            break;
        case ID_FILE_EXPORT_LIBRARY:
            LibraryExport(*this).Run();
            break;
        case ID_FILE_EXPORT_HISTORY:
            HistoryExport(*this).Run();
            break;
        case ID_FILE_EXTRACT_PHOTOS:
            PhotoExtraction(*this).Run();
            break;
        case ID_FILE_EXIT:
            ActionFileExitExecute();
            break;
        case ID_EDIT_ALL:
            ActionEditAllExecute();
            break;
        case ID_EDIT_NONE:
            ActionEditNoneExecute();
            break;
        case ID_EDIT_INVERT:
            ActionEditInvertExecute();
            break;
        case ID_EDIT_PREFERENCES:
            ActionEditPreferencesExecute();
            break;
        case ID_VIEW_MENUBAR:
            ActionViewMenuBarExecute();
            break;
        case ID_VIEW_TOOLBAR:
            ActionViewToolbarExecute();
            break;
        case ID_VIEW_STATUSBAR:
            ActionViewStatusBarExecute();
            break;
        case ID_VIEW_ALBUMART:
            ActionViewAlbumArtExecute();
            break;
        case ID_VIEW_PLAYLIST:
        case ID_VIEW_FIND:
            // The playlist list and the find box show and hide with the
            // toolbar; hidden, they take no keys.
            if (IsBarVisible(Bar::Toolbar)) {
                id == ID_VIEW_PLAYLIST ? playlists_->Focus() : find_->Focus();
            }
            break;
        case ID_HELP_ABOUT:
            ActionHelpAboutExecute();
            break;
        case ID_TOOLBUTTON14:
            ToolButton14Click();
            break;
        default:
            RunSortCommand(id);
            break;
    }
}

void TMainForm::TrackListColumnClick(int column) {
    const std::span<const TrackColumnId> shown = ShownColumns();
    if (!tearingDown_ && !IsBusy() && column >= 0 && column < static_cast<int>(shown.size())) {
        SortTrackList(shown[static_cast<size_t>(column)]);
    }
}

void TMainForm::ActionFileExportExecute() {
    TrackListExport(*this).Execute();
}

void TMainForm::ActionFileExtractExecute() {
    TrackExtraction(*this).Run();
}

void TMainForm::ActionFileExitExecute() {
    SetStatusText("Cleaning up and exiting");
    SendMessageW(window_, WM_CLOSE, 0, 0);
}

void TMainForm::ActionEditPreferencesExecute() {
    SettingsForm->Execute();
}

void TMainForm::ActionViewMenuBarExecute() {
    ToggleBar(Bar::MenuBar);
}

void TMainForm::ActionViewToolbarExecute() {
    ToggleBar(Bar::Toolbar);
}

void TMainForm::ActionViewStatusBarExecute() {
    ToggleBar(Bar::StatusBar);
}

void TMainForm::ActionViewAlbumArtExecute() {
    ToggleBar(Bar::AlbumArt);
}

void TMainForm::ActionHelpAboutExecute() {
    TAboutForm about;
    about.ShowModal(window_);
}
