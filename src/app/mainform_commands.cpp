// The main window's commands: the routing of a command to its handler and the
// handlers of the File, Edit, View and Help menus. Loading, sorting and
// selecting the tracks are in mainform_tracks.cpp.
#include "app/about.h"
#include "app/commands.h"
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

std::span<const Command> TMainForm::Commands() {
    constexpr BYTE Ctrl = FCONTROL | FVIRTKEY;
    // The handlers run inside the window, as its members do.
    using W = TMainForm;
    static constexpr Command table[] = {
        // id, caption, shortcut (text, flags, key), image, main menu, context menu,
        // toolbar, waits while busy, handler
        {ID_FILE_OPEN,
         L"&Open iPod Database...",
         L"Ctrl+O",
         Ctrl,
         'O',
         "open",
         {L"&File", 101},
         {L"", 101},
         101,
         true,
         [](W& w) { w.ActionFileOpenExecute(); }},
        {ID_FILE_OPEN_IMAGE,
         L"Open Disk &Image...",
         L"Ctrl+Shift+O",
         Ctrl | FSHIFT,
         'O',
         "",
         {L"&File", 102},
         {},
         0,
         true,
         [](W& w) { w.ActionFileOpenImageExecute(); }},
        {ID_FILE_CLOSE,
         L"&Close iPod Database",
         L"Ctrl+R",
         Ctrl,
         'R',
         "close",
         {L"&File", 103},
         {L"", 102},
         102,
         true,
         [](W& w) { w.ActionFileCloseExecute(); }},
        {ID_FILE_EXPORT,
         L"Export Track &List...",
         L"Ctrl+E",
         Ctrl,
         'E',
         "export",
         {L"&File", 201},
         {L"", 103},
         103,
         true,
         [](W& w) { w.ActionFileExportExecute(); }},
        {ID_FILE_EXTRACT,
         L"&Extract Selected Tracks...",
         L"Ctrl+S",
         Ctrl,
         'S',
         "extract",
         {L"&File", 202},
         {L"", 104},
         104,
         true,
         [](W& w) { w.ActionFileExtractExecute(); }},
        {ID_FILE_EXPORT_PLAYLISTS,
         L"Export &Playlists...",
         L"Ctrl+M",
         Ctrl,
         'M',
         "",
         {L"&File", 203},
         {L"", 105},
         0,
         true,
         [](W& w) { PlaylistExport(w).Run(); }},
        {ID_FILE_EXPORT_LIBRARY,
         L"Export Li&brary...",
         L"Ctrl+B",
         Ctrl,
         'B',
         "",
         {L"&File", 204},
         {L"", 106},
         0,
         true,
         [](W& w) { LibraryExport(w).Run(); }},
        {ID_FILE_EXPORT_HISTORY,
         L"Export Listening Histor&y...",
         L"Ctrl+Y",
         Ctrl,
         'Y',
         "",
         {L"&File", 205},
         {L"", 107},
         0,
         true,
         [](W& w) { HistoryExport(w).Run(); }},
        // After Show/Hide in the context menu, whose access key it shares: the
        // key keeps opening that submenu, as it always has.
        {ID_FILE_EXTRACT_PHOTOS,
         L"Extract P&hotos...",
         L"Ctrl+H",
         Ctrl,
         'H',
         "",
         {L"&File", 206},
         {L"", 401},
         0,
         true,
         [](W& w) { PhotoExtraction(w).Run(); }},
        {ID_FILE_EXIT,
         L"E&xit",
         L"",
         0,
         0,
         "exit",
         {L"&File", 301},
         {},
         0,
         false,
         [](W& w) { w.ActionFileExitExecute(); }},
        {ID_EDIT_ALL,
         L"Select &All",
         L"Ctrl+A",
         Ctrl,
         'A',
         "exit",
         {L"&Edit", 101},
         {L"", 201},
         0,
         false,
         [](W& w) { w.ActionEditAllExecute(); }},
        {ID_EDIT_NONE,
         L"Select &None",
         L"Ctrl+D",
         Ctrl,
         'D',
         "exit",
         {L"&Edit", 102},
         {L"", 202},
         0,
         false,
         [](W& w) { w.ActionEditNoneExecute(); }},
        {ID_EDIT_INVERT,
         L"&Invert Selection",
         L"Ctrl+I",
         Ctrl,
         'I',
         "exit",
         {L"&Edit", 103},
         {L"", 203},
         0,
         false,
         [](W& w) { w.ActionEditInvertExecute(); }},
        {ID_EDIT_PREFERENCES,
         L"&Preferences...",
         L"Ctrl+P",
         Ctrl,
         'P',
         "preferences",
         {L"&Edit", 201},
         {},
         201,
         false,
         [](W& w) { w.ActionEditPreferencesExecute(); }},
        {ID_VIEW_MENUBAR,
         L"&Menu Bar",
         L"",
         0,
         0,
         "",
         {L"&View", 101},
         {L"Show/&Hide", 301},
         0,
         false,
         [](W& w) { w.ActionViewMenuBarExecute(); }},
        {ID_VIEW_TOOLBAR,
         L"&Toolbar",
         L"",
         0,
         0,
         "",
         {L"&View", 102},
         {L"Show/&Hide", 302},
         0,
         false,
         [](W& w) { w.ActionViewToolbarExecute(); }},
        {ID_VIEW_STATUSBAR,
         L"&Status Bar",
         L"",
         0,
         0,
         "",
         {L"&View", 103},
         {L"Show/&Hide", 303},
         0,
         false,
         [](W& w) { w.ActionViewStatusBarExecute(); }},
        {ID_VIEW_ALBUMART,
         L"Album &Art",
         L"",
         0,
         0,
         "",
         {L"&View", 104},
         {L"Show/&Hide", 304},
         0,
         false,
         [](W& w) { w.ActionViewAlbumArtExecute(); }},
        {ID_VIEW_PLAYLIST,
         L"&Playlist",
         L"Ctrl+L",
         Ctrl,
         'L',
         "",
         {},
         {},
         0,
         true,
         [](W& w) { w.FocusBand(ID_VIEW_PLAYLIST); }},
        {ID_VIEW_FIND,
         L"&Find",
         L"Ctrl+F",
         Ctrl,
         'F',
         "",
         {},
         {},
         0,
         false,
         [](W& w) { w.FocusBand(ID_VIEW_FIND); }},
        // Sorting by length is kept out of the View menu; the context menu
        // has it.
        {ID_SORT_TRACKNUMBER,
         L"Track &Number",
         L"",
         0,
         0,
         "",
         {L"&View|&Sort List By", 201},
         {L"&Sort Tracks By", 311},
         0,
         true,
         nullptr},
        {ID_SORT_TITLE,
         L"&Title",
         L"",
         0,
         0,
         "",
         {L"&View|&Sort List By", 202},
         {L"&Sort Tracks By", 312},
         0,
         true,
         nullptr},
        {ID_SORT_ARTIST,
         L"&Artist",
         L"",
         0,
         0,
         "",
         {L"&View|&Sort List By", 203},
         {L"&Sort Tracks By", 313},
         0,
         true,
         nullptr},
        {ID_SORT_ALBUM,
         L"Al&bum",
         L"",
         0,
         0,
         "",
         {L"&View|&Sort List By", 204},
         {L"&Sort Tracks By", 314},
         0,
         true,
         nullptr},
        {ID_SORT_LENGTH,
         L"&Length",
         L"",
         0,
         0,
         "",
         {},
         {L"&Sort Tracks By", 315},
         0,
         true,
         nullptr},
        {ID_SORT_TRACKTYPE,
         L"&Track Type",
         L"",
         0,
         0,
         "",
         {L"&View|&Sort List By", 205},
         {L"&Sort Tracks By", 316},
         0,
         true,
         nullptr},
        {ID_SORT_ENCODING,
         L"&Encoding",
         L"",
         0,
         0,
         "",
         {L"&View|&Sort List By", 206},
         {L"&Sort Tracks By", 317},
         0,
         true,
         nullptr},
        {ID_SORT_BITRATE,
         L"&Bit Rate",
         L"",
         0,
         0,
         "",
         {L"&View|&Sort List By", 208},
         {L"&Sort Tracks By", 318},
         0,
         true,
         nullptr},
        {ID_SORT_SAMPLERATE,
         L"&Sample Rate",
         L"",
         0,
         0,
         "",
         {L"&View|&Sort List By", 207},
         {L"&Sort Tracks By", 319},
         0,
         true,
         nullptr},
        {ID_HELP_ABOUT,
         L"Abou&t...",
         L"F1",
         FVIRTKEY,
         VK_F1,
         "about",
         {L"&Help", 101},
         {L"", 501},
         301,
         false,
         [](W& w) { w.ActionHelpAboutExecute(); }},
        {ID_TOOLBUTTON14,
         L"",
         L"",
         0,
         0,
         "",
         {},
         {},
         401,
         true,
         [](W& w) { w.ToolButton14Click(); }},
    };
    return table;
}

std::span<const SubmenuImage> TMainForm::SubmenuImages() {
    static constexpr SubmenuImage images[] = {{L"&View|&Sort List By", "sort"}};
    return images;
}

const Command* TMainForm::FindCommand(int id) {
    for (const Command& command : Commands()) {
        if (command.Id == id) {
            return &command;
        }
    }
    return nullptr;
}

bool TMainForm::IsBlockedWhileBusy(int id) {
    const Command* command = FindCommand(id);
    return command ? command->WaitsWhileBusy
                   : id >= ID_SORT_FIRST && id < ID_SORT_FIRST + kStandardColumnCount;
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
    const Command* command = FindCommand(id);
    if (command && command->Run) {
        command->Run(*this);
    } else {
        RunSortCommand(id);
    }
}

void TMainForm::FocusBand(int id) {
    // The playlist list and the find box show and hide with the toolbar;
    // hidden, they take no keys.
    if (IsBarVisible(Bar::Toolbar)) {
        id == ID_VIEW_PLAYLIST ? playlists_->Focus() : find_->Focus();
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
