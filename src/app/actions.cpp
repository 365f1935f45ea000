#include "app/actions.h"

#include <algorithm>
#include <array>

#include "app/resource_ids.h"

namespace {

constexpr BYTE Ctrl = FCONTROL | FVIRTKEY;
using enum CommandImage;

constexpr std::array ActionList{
    Action{ID_FILE_OPEN, L"&Open iPod Database...", L"Ctrl+O", Ctrl, 'O', Open},
    Action{ID_FILE_OPEN_IMAGE, L"Open Disk &Image...", L"Ctrl+Shift+O", Ctrl | FSHIFT, 'O', None},
    Action{ID_FILE_CLOSE, L"&Close iPod Database", L"Ctrl+R", Ctrl, 'R', Close},
    Action{ID_FILE_EXPORT, L"Export Track &List...", L"Ctrl+E", Ctrl, 'E', Export},
    Action{ID_FILE_EXTRACT, L"&Extract Selected Tracks...", L"Ctrl+S", Ctrl, 'S', Extract},
    Action{ID_FILE_EXPORT_PLAYLISTS, L"Export &Playlists...", L"Ctrl+M", Ctrl, 'M', None},
    Action{ID_FILE_EXPORT_LIBRARY, L"Export Li&brary...", L"Ctrl+B", Ctrl, 'B', None},
    Action{ID_FILE_EXPORT_HISTORY, L"Export Listening Histor&y...", L"Ctrl+Y", Ctrl, 'Y', None},
    Action{ID_FILE_EXTRACT_PHOTOS, L"Extract P&hotos...", L"Ctrl+H", Ctrl, 'H', None},
    Action{ID_FILE_EXIT, L"E&xit", L"", 0, 0, Exit},
    Action{ID_EDIT_ALL, L"Select &All", L"Ctrl+A", Ctrl, 'A', Exit},
    Action{ID_EDIT_NONE, L"Select &None", L"Ctrl+D", Ctrl, 'D', Exit},
    Action{ID_EDIT_INVERT, L"&Invert Selection", L"Ctrl+I", Ctrl, 'I', Exit},
    Action{ID_EDIT_PREFERENCES, L"&Preferences...", L"Ctrl+P", Ctrl, 'P', Preferences},
    Action{ID_VIEW_MENUBAR, L"&Menu Bar", L"", 0, 0, None},
    Action{ID_VIEW_TOOLBAR, L"&Toolbar", L"", 0, 0, None},
    Action{ID_VIEW_STATUSBAR, L"&Status Bar", L"", 0, 0, None},
    Action{ID_VIEW_ALBUMART, L"Album &Art", L"", 0, 0, None},
    Action{ID_VIEW_PLAYLIST, L"&Playlist", L"Ctrl+L", Ctrl, 'L', None},
    Action{ID_VIEW_FIND, L"&Find", L"Ctrl+F", Ctrl, 'F', None},
    Action{ID_SORT_TRACKNUMBER, L"Track &Number", L"", 0, 0, None},
    Action{ID_SORT_TITLE, L"&Title", L"", 0, 0, None},
    Action{ID_SORT_ARTIST, L"&Artist", L"", 0, 0, None},
    Action{ID_SORT_ALBUM, L"Al&bum", L"", 0, 0, None},
    Action{ID_SORT_LENGTH, L"&Length", L"", 0, 0, None},
    Action{ID_SORT_TRACKTYPE, L"&Track Type", L"", 0, 0, None},
    Action{ID_SORT_ENCODING, L"&Encoding", L"", 0, 0, None},
    Action{ID_SORT_BITRATE, L"&Bit Rate", L"", 0, 0, None},
    Action{ID_SORT_SAMPLERATE, L"&Sample Rate", L"", 0, 0, None},
    Action{ID_HELP_ABOUT, L"Abou&t...", L"F1", FVIRTKEY, VK_F1, About},
};

}  // namespace

std::span<const Action> Actions() {
    return ActionList;
}

const Action* FindAction(int id) {
    const auto found = std::find_if(ActionList.begin(), ActionList.end(),
                                    [id](const Action& a) { return a.Id == id; });
    return found == ActionList.end() ? nullptr : &*found;
}
