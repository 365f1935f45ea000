// The main window, built for real and driven through its own message queue.
#include "app/mainform.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/command_images.h"
#include "app/commands.h"
#include "app/resource_ids.h"
#include "app_test_support.h"
#include "main_window_test.h"
#include "temp_dir.h"
#include "win/wide_text.h"

namespace {

// The place of a picture in the image list, by the name the table gives it.
int Image(std::string_view name) {
    return CommandImageIndex(name);
}

bool BandVisible(HWND coolBar, int band) {
    REBARBANDINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = RBBIM_STYLE;
    SendMessageW(coolBar, RB_GETBANDINFOW, band, reinterpret_cast<LPARAM>(&info));
    return (info.fStyle & RBBS_HIDDEN) == 0;
}

bool HasStyle(HWND window, LONG_PTR style) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & style) == style;
}

bool Checked(HMENU menu, int id) {
    return (GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

RECT WindowBounds(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

std::wstring Number(LONG value) {
    return std::to_wstring(value);
}

// Where the main window was created last, and its size.
RECT createdAt;
LRESULT CALLBACK NoteTopLevelCreation(int code, WPARAM window, LPARAM data) {
    if (code == HCBT_CREATEWND) {
        const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(data)->lpcs;
        const bool named = IS_INTRESOURCE(create->lpszClass) == FALSE;
        if (named && std::wstring_view(create->lpszClass) == L"TMainForm") {
            createdAt = {create->x, create->y, create->cx, create->cy};
        }
    }
    return CallNextHookEx(nullptr, code, window, data);
}

class MainFormTest : public MainWindowTest {
protected:
    // Ends the program the way its Exit command does.
    void Exit() {
        Command(ID_FILE_EXIT);
        EXPECT_EQ(form_->Handle(), nullptr);
        form_.reset();
        DiscardQuitRequest();
    }

    MessageBoxRecorder boxes_{IDNO};
};

TEST_F(MainFormTest, TakesItsBoundsAndBarsFromTheStoredSettings) {
    SettingsKey::Write(L"x", L"50");
    SettingsKey::Write(L"y", L"60");
    SettingsKey::Write(L"w", L"700");
    SettingsKey::Write(L"h", L"500");
    SettingsKey::Write(L"ShowMenuBar", L"1");
    SettingsKey::Write(L"ShowToolbar", L"0");
    SettingsKey::Write(L"ShowStatusBar", L"0");
    // Made there, not moved there: on a monitor of another scale a move
    // would change the size stored.
    const HHOOK hook =
        SetWindowsHookExW(WH_CBT, NoteTopLevelCreation, nullptr, GetCurrentThreadId());
    TMainForm& form = Start();
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(createdAt.left, 50);
    EXPECT_EQ(createdAt.top, 60);
    EXPECT_EQ(createdAt.right, 700);
    EXPECT_EQ(createdAt.bottom, 500);

    const RECT bounds = WindowBounds(form.Handle());
    EXPECT_EQ(bounds.left, 50);
    EXPECT_EQ(bounds.top, 60);
    EXPECT_EQ(bounds.right - bounds.left, 700);
    EXPECT_EQ(bounds.bottom - bounds.top, 500);
    EXPECT_TRUE(BandVisible(form.CoolBar(), 0));
    EXPECT_FALSE(BandVisible(form.CoolBar(), 1));
    EXPECT_FALSE(IsWindowVisible(form.StatusBar()));
    for (HMENU menu : {form.MainMenu(), form.PopupMenu()}) {
        EXPECT_TRUE(Checked(menu, ID_VIEW_MENUBAR));
        EXPECT_FALSE(Checked(menu, ID_VIEW_TOOLBAR));
        EXPECT_FALSE(Checked(menu, ID_VIEW_STATUSBAR));
    }
    EXPECT_TRUE(boxes_.Requests().empty());
}

TEST_F(MainFormTest, EachViewToggleFlipsItsBarBothCheckMarksAndTheStoredSetting) {
    TMainForm& form = Start();
    struct Toggle {
        int Command;
        const wchar_t* Setting;
        bool ShownAtStart;
        std::function<bool()> BarVisible;
    };
    const std::array<Toggle, 4> toggles{{
        {ID_VIEW_MENUBAR, L"ShowMenuBar", true, [&] { return BandVisible(form.CoolBar(), 0); }},
        {ID_VIEW_TOOLBAR, L"ShowToolbar", true, [&] { return BandVisible(form.CoolBar(), 1); }},
        {ID_VIEW_STATUSBAR, L"ShowStatusBar", true,
         [&] { return IsWindowVisible(form.StatusBar()) != 0; }},
        {ID_VIEW_ALBUMART, L"ShowAlbumArt", false,
         [&] { return IsWindowVisible(form.AlbumArt()) != 0; }},
    }};
    for (const Toggle& toggle : toggles) {
        SCOPED_TRACE(win::AnsiFromWide(toggle.Setting));
        ASSERT_EQ(toggle.BarVisible(), toggle.ShownAtStart);
        for (const bool visible : {!toggle.ShownAtStart, toggle.ShownAtStart}) {
            Command(toggle.Command);
            EXPECT_EQ(toggle.BarVisible(), visible);
            EXPECT_EQ(Checked(form.MainMenu(), toggle.Command), visible);
            EXPECT_EQ(Checked(form.PopupMenu(), toggle.Command), visible);
            EXPECT_EQ(SettingsKey::Read(toggle.Setting), visible ? L"1" : L"0");
        }
    }
}

TEST_F(MainFormTest, AHiddenToolbarStaysHiddenAtTheNextStart) {
    Start();
    Command(ID_VIEW_TOOLBAR);
    Exit();
    TMainForm& form = Start();
    EXPECT_FALSE(BandVisible(form.CoolBar(), 1));
    EXPECT_FALSE(Checked(form.MainMenu(), ID_VIEW_TOOLBAR));
    EXPECT_FALSE(Checked(form.PopupMenu(), ID_VIEW_TOOLBAR));
}

TEST_F(MainFormTest, WithBothBandsHiddenTheTrackListStartsAtTheTop) {
    TMainForm& form = Start();
    Command(ID_VIEW_MENUBAR);
    Command(ID_VIEW_TOOLBAR);
    RECT list = WindowBounds(form.TrackList());
    POINT origin{0, 0};
    ClientToScreen(form.Handle(), &origin);
    EXPECT_EQ(list.top, origin.y);
}

TEST_F(MainFormTest, HidingTheStatusBarHidesTheProgressBar) {
    TMainForm& form = Start();
    form.ShowProgress(true);
    EXPECT_TRUE(IsWindowVisible(form.ProgressBar()));
    Command(ID_VIEW_STATUSBAR);
    EXPECT_FALSE(IsWindowVisible(form.ProgressBar()));
}

TEST_F(MainFormTest, WelcomesTheUserOnTheFirstStartOnly) {
    SettingsKey::Delete();
    Start();
    ASSERT_EQ(boxes_.Requests().size(), 1u);
    const win::MessageBoxRequest& welcome = boxes_.Requests().front();
    EXPECT_EQ(welcome.Caption, L"Welcome to Trackhaul");
    EXPECT_EQ(welcome.Text,
              L"Thank you for choosing Trackhaul Do you want to configure program parameters?");
    EXPECT_EQ(welcome.Style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    Exit();

    Start();
    EXPECT_EQ(boxes_.Requests().size(), 1u);
}

TEST_F(MainFormTest, ResizingInTheNormalStateStoresTheBounds) {
    TMainForm& form = Start();
    SetWindowPos(form.Handle(), nullptr, 30, 40, 640, 480, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(SettingsKey::Read(L"x"), L"30");
    EXPECT_EQ(SettingsKey::Read(L"y"), L"40");
    EXPECT_EQ(SettingsKey::Read(L"w"), L"640");
    EXPECT_EQ(SettingsKey::Read(L"h"), L"480");
}

TEST_F(MainFormTest, ResizingAMaximisedWindowStoresNothing) {
    TMainForm& form = Start();
    SetWindowPos(form.Handle(), nullptr, 30, 40, 640, 480, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(form.Handle(), SW_MAXIMIZE);
    PumpMessages();
    EXPECT_EQ(SettingsKey::Read(L"w"), L"640");
    EXPECT_EQ(SettingsKey::Read(L"h"), L"480");
}

TEST_F(MainFormTest, MovingWithoutResizingStoresNothingUntilTheWindowCloses) {
    TMainForm& form = Start();
    SetWindowPos(form.Handle(), nullptr, 30, 40, 640, 480, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(form.Handle(), nullptr, 70, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(SettingsKey::Read(L"x"), L"30");
    Exit();
    EXPECT_EQ(SettingsKey::Read(L"x"), L"70");
    EXPECT_EQ(SettingsKey::Read(L"y"), L"90");
    EXPECT_EQ(SettingsKey::Read(L"w"), L"640");
    EXPECT_EQ(SettingsKey::Read(L"h"), L"480");
    EXPECT_EQ(SettingsKey::Read(L"FirstRun"), L"0");
}

TEST_F(MainFormTest, ClosingWhileMaximisedStoresTheMaximisedBounds) {
    TMainForm& form = Start();
    ShowWindow(form.Handle(), SW_MAXIMIZE);
    PumpMessages();
    const RECT maximised = WindowBounds(form.Handle());
    Exit();
    EXPECT_EQ(SettingsKey::Read(L"x"), Number(maximised.left));
    EXPECT_EQ(SettingsKey::Read(L"w"), Number(maximised.right - maximised.left));
}

TEST_F(MainFormTest, ClosingWhileMinimisedStoresThePlaceTheWindowReturnsTo) {
    TMainForm& form = Start();
    SetWindowPos(form.Handle(), nullptr, 30, 40, 640, 480, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(form.Handle(), SW_MINIMIZE);
    PumpMessages();
    PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
    PumpMessages();
    EXPECT_EQ(form.Handle(), nullptr);
    EXPECT_EQ(SettingsKey::Read(L"x"), L"30");
    EXPECT_EQ(SettingsKey::Read(L"y"), L"40");
    EXPECT_EQ(SettingsKey::Read(L"w"), L"640");
}

TEST_F(MainFormTest, AValueOfTheWrongTypeStopsConstructionAndLeavesNoWindow) {
    SettingsKey::WriteDword(L"ShowStatusBar", 1);
    try {
        TMainForm form;
        ADD_FAILURE() << "constructed";
    } catch (const SettingsError& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'ShowStatusBar'");
    }
    EXPECT_EQ(FindWindowW(L"TMainForm", nullptr), nullptr);
    EXPECT_EQ(TMainForm::MainForm(), nullptr);
}

TEST_F(MainFormTest, IsTheSingleMainFormWhileItExists) {
    TMainForm& form = Start();
    EXPECT_EQ(TMainForm::MainForm(), &form);
    Exit();
    EXPECT_EQ(TMainForm::MainForm(), nullptr);
}

TEST_F(MainFormTest, HasItsCaptionStatusPanelsAndHiddenProgressBar) {
    TMainForm& form = Start();
    EXPECT_EQ(win::WindowText(form.Handle()), L"Trackhaul");
    std::array<int, 3> edges{};
    ASSERT_EQ(
        SendMessageW(form.StatusBar(), SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges.data())), 3);
    EXPECT_EQ(edges[0], 200);
    EXPECT_EQ(edges[1], 400);
    EXPECT_EQ(StatusText(form.StatusBar(), 0), L"Trackhaul Ready");
    EXPECT_EQ(StatusText(form.StatusBar(), 2), L"");
    const RECT statusBar = WindowBounds(form.StatusBar());
    EXPECT_EQ(statusBar.bottom - statusBar.top, 19);

    HWND progress = form.ProgressBar();
    wchar_t className[64] = {};
    GetClassNameW(progress, className, 64);
    EXPECT_STREQ(className, L"msctls_progress32");
    EXPECT_EQ(GetParent(progress), form.StatusBar());
    EXPECT_FALSE(IsWindowVisible(progress));
    RECT bounds = WindowBounds(progress);
    MapWindowPoints(HWND_DESKTOP, form.StatusBar(), reinterpret_cast<POINT*>(&bounds), 2);
    EXPECT_EQ(bounds.left, 204);
    EXPECT_EQ(bounds.top, 4);
    EXPECT_EQ(bounds.right - bounds.left, 192);
    EXPECT_EQ(bounds.bottom - bounds.top, 13);
    PBRANGE range{};
    SendMessageW(progress, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 100);
}

TEST_F(MainFormTest, TrackListHasItsNineColumnsFontAndUnicodeFormat) {
    TMainForm& form = Start();
    HWND list = form.TrackList();
    struct Expected {
        const wchar_t* Header;
        int Width;
        int Format;
    };
    const std::array<Expected, 9> columns{{
        {L"Track #", 50, LVCFMT_LEFT},
        {L"Title", 130, LVCFMT_LEFT},
        {L"Artist", 130, LVCFMT_LEFT},
        {L"Album", 130, LVCFMT_LEFT},
        {L"Length", 80, LVCFMT_RIGHT},
        {L"Track Type", 100, LVCFMT_LEFT},
        {L"Encoding", 100, LVCFMT_LEFT},
        {L"Bit Rate", 75, LVCFMT_RIGHT},
        {L"Sample Rate", 75, LVCFMT_RIGHT},
    }};
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 9);
    for (int index = 0; index < 9; ++index) {
        wchar_t text[64] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = 64;
        ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(text, columns[index].Header);
        EXPECT_EQ(column.cx, columns[index].Width) << index;
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, columns[index].Format) << index;
    }
    EXPECT_TRUE(HasStyle(list, LVS_REPORT));
    EXPECT_FALSE(HasStyle(list, LVS_SINGLESEL));
    EXPECT_TRUE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(SendMessageW(list, CCM_GETUNICODEFORMAT, 0, 0));

    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_STREQ(font.lfFaceName, L"Arial");
    EXPECT_EQ(font.lfCharSet, RUSSIAN_CHARSET);
    EXPECT_EQ(font.lfHeight, -11);  // 8 points at 96 dpi
}

TEST_F(MainFormTest, ColumnsKeepTheirMinimumWidthsWhenTheUserNarrowsThem) {
    TMainForm& form = Start();
    HWND list = form.TrackList();
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const std::array<int, 9> minimum{10, 50, 50, 0, 0, 30, 30, 30, 30};
    for (int index = 0; index < 9; ++index) {
        // Drag the column's right divider to its left edge.
        RECT column{};
        SendMessageW(header, HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&column));
        const int y = (column.top + column.bottom) / 2;
        SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(column.right - 1, y));
        SendMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(column.left, y));
        SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(column.left, y));
        PumpMessages();
        EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, index, 0), std::max(minimum[index], 1))
            << index;
    }
}

TEST_F(MainFormTest, ToolbarsHoldTheMenuButtonsAndTheCommandButtons) {
    TMainForm& form = Start();
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_CHILD;
    SendMessageW(form.CoolBar(), RB_GETBANDINFOW, 0, reinterpret_cast<LPARAM>(&band));
    HWND menuBar = band.hwndChild;
    SendMessageW(form.CoolBar(), RB_GETBANDINFOW, 1, reinterpret_cast<LPARAM>(&band));
    HWND toolbar = band.hwndChild;

    ASSERT_EQ(SendMessageW(menuBar, TB_BUTTONCOUNT, 0, 0), 4);
    const std::array<const wchar_t*, 4> captions{L"&File", L"&Edit", L"&View", L"&Help"};
    for (int index = 0; index < 4; ++index) {
        TBBUTTON button{};
        SendMessageW(menuBar, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button));
        wchar_t text[32] = {};
        SendMessageW(menuBar, TB_GETBUTTONTEXTW, button.idCommand, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, captions[index]);
        RECT rect{};
        SendMessageW(menuBar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
        EXPECT_EQ(rect.right - rect.left, 36);
        EXPECT_EQ(rect.bottom - rect.top, 21);
    }

    struct Expected {
        int Command;
        int Image;
    };
    constexpr int Separator = -1;
    const std::array<Expected, 10> buttons{{{ID_FILE_OPEN, Image("open")},
                                            {ID_FILE_CLOSE, Image("close")},
                                            {ID_FILE_EXPORT, Image("export")},
                                            {ID_FILE_EXTRACT, Image("extract")},
                                            {Separator, 0},
                                            {ID_EDIT_PREFERENCES, Image("preferences")},
                                            {Separator, 0},
                                            {ID_HELP_ABOUT, Image("about")},
                                            {Separator, 0},
                                            {ID_TOOLBUTTON14, I_IMAGENONE}}};
    ASSERT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 10);
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0));
    // Every picture the table names is in the list.
    for (const ::Command& command : TMainForm::Commands()) {
        const int image = Image(command.Image);
        EXPECT_TRUE(command.Image.empty() ||
                    (image >= 0 && image < ImageList_GetImageCount(images)))
            << win::AnsiFromWide(std::wstring(command.Caption));
    }
    for (int index = 0; index < 10; ++index) {
        TBBUTTON button{};
        SendMessageW(toolbar, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button));
        if (buttons[index].Command == Separator) {
            EXPECT_TRUE(button.fsStyle & BTNS_SEP) << index;
            continue;
        }
        EXPECT_EQ(button.idCommand, buttons[index].Command) << index;
        EXPECT_EQ(button.iBitmap, buttons[index].Image) << index;
    }
}

// The entries of a menu as "text" with "-" for a separator and "text >" for
// a submenu, and the image each entry shows (-1 for none).
struct Entry {
    std::wstring Text;
    int Image;
    bool operator==(const Entry&) const = default;
};

std::vector<Entry> Entries(HMENU menu) {
    std::vector<Entry> entries;
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_SUBMENU | MIIM_BITMAP | MIIM_DATA;
        GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
        const int image =
            info.hbmpItem == HBMMENU_CALLBACK ? static_cast<int>(info.dwItemData) - 1 : -1;
        if (info.fType & MFT_SEPARATOR) {
            entries.push_back({L"-", -1});
        } else if (info.hSubMenu != nullptr) {
            entries.push_back({MenuText(menu, static_cast<UINT>(position)) + L" >", image});
        } else {
            entries.push_back({MenuText(menu, static_cast<UINT>(position)), image});
        }
    }
    return entries;
}

std::ostream& operator<<(std::ostream& out, const Entry& entry) {
    return out << win::AnsiFromWide(entry.Text) << " [" << entry.Image << "]";
}

TEST_F(MainFormTest, MenuEntriesShowTheirCommandsCaptionShortcutAndImage) {
    TMainForm& form = Start();
    HMENU main = form.MainMenu();
    EXPECT_EQ(Entries(main),
              (std::vector<Entry>{
                  {L"&File >", -1}, {L"&Edit >", -1}, {L"&View >", -1}, {L"&Help >", -1}}));
    EXPECT_EQ(Entries(GetSubMenu(main, 0)),
              (std::vector<Entry>{
                  {L"&Open iPod Database...\tCtrl+O", Image("open")},
                  {L"Open Disk &Image...\tCtrl+Shift+O", -1},
                  {L"&Close iPod Database\tCtrl+R", Image("close")},
                  {L"-", -1},
                  {L"Export Track &List...\tCtrl+E", Image("export")},
                  {L"&Extract Selected Tracks...\tCtrl+S", Image("extract")},
                  {L"Export &Playlists...\tCtrl+M", -1},
                  {L"Export Li&brary...\tCtrl+B", -1},
                  {L"Export Listening Histor&y...\tCtrl+Y", -1},
                  {L"Extract P&hotos...\tCtrl+H", -1},
                  {L"-", -1},
                  {L"E&xit", Image("exit")},
              }));
    EXPECT_EQ(Entries(GetSubMenu(main, 1)), (std::vector<Entry>{
                                                {L"Select &All\tCtrl+A", Image("exit")},
                                                {L"Select &None\tCtrl+D", Image("exit")},
                                                {L"&Invert Selection\tCtrl+I", Image("exit")},
                                                {L"-", -1},
                                                {L"&Preferences...\tCtrl+P", Image("preferences")},
                                            }));
    HMENU view = GetSubMenu(main, 2);
    EXPECT_EQ(Entries(view), (std::vector<Entry>{
                                 {L"&Menu Bar", -1},
                                 {L"&Toolbar", -1},
                                 {L"&Status Bar", -1},
                                 {L"Album &Art", -1},
                                 {L"-", -1},
                                 {L"&Sort List By >", Image("sort")},
                             }));
    // Its Length entry is hidden.
    EXPECT_EQ(Entries(GetSubMenu(view, 5)), (std::vector<Entry>{
                                                {L"Track &Number", -1},
                                                {L"&Title", -1},
                                                {L"&Artist", -1},
                                                {L"Al&bum", -1},
                                                {L"&Track Type", -1},
                                                {L"&Encoding", -1},
                                                {L"&Sample Rate", -1},
                                                {L"&Bit Rate", -1},
                                            }));
    EXPECT_EQ(Entries(GetSubMenu(main, 3)),
              (std::vector<Entry>{{L"Abou&t...\tF1", Image("about")}}));

    HMENU popup = GetSubMenu(form.PopupMenu(), 0);
    EXPECT_EQ(Entries(popup), (std::vector<Entry>{
                                  {L"&Open iPod Database...\tCtrl+O", Image("open")},
                                  {L"&Close iPod Database\tCtrl+R", Image("close")},
                                  {L"Export Track &List...\tCtrl+E", Image("export")},
                                  {L"&Extract Selected Tracks...\tCtrl+S", Image("extract")},
                                  {L"Export &Playlists...\tCtrl+M", -1},
                                  {L"Export Li&brary...\tCtrl+B", -1},
                                  {L"Export Listening Histor&y...\tCtrl+Y", -1},
                                  {L"-", -1},
                                  {L"Select &All\tCtrl+A", Image("exit")},
                                  {L"Select &None\tCtrl+D", Image("exit")},
                                  {L"&Invert Selection\tCtrl+I", Image("exit")},
                                  {L"-", -1},
                                  {L"Show/&Hide >", -1},
                                  {L"&Sort Tracks By >", -1},
                                  {L"-", -1},
                                  {L"Extract P&hotos...\tCtrl+H", -1},
                                  {L"-", -1},
                                  {L"Abou&t...\tF1", Image("about")},
                              }));
    EXPECT_EQ(Entries(GetSubMenu(popup, 12)), (std::vector<Entry>{
                                                  {L"&Menu Bar", -1},
                                                  {L"&Toolbar", -1},
                                                  {L"&Status Bar", -1},
                                                  {L"Album &Art", -1},
                                              }));
    EXPECT_EQ(Entries(GetSubMenu(popup, 13)), (std::vector<Entry>{
                                                  {L"Track &Number", -1},
                                                  {L"&Title", -1},
                                                  {L"&Artist", -1},
                                                  {L"Al&bum", -1},
                                                  {L"&Length", -1},
                                                  {L"&Track Type", -1},
                                                  {L"&Encoding", -1},
                                                  {L"&Bit Rate", -1},
                                                  {L"&Sample Rate", -1},
                                              }));
}

TEST_F(MainFormTest, CloseEmptiesTheListAndReleasesTheReader) {
    TMainForm& form = Start();
    form.Drive = "F:";
    form.Parser = std::make_unique<ITDBParser>("F:\\iPod_Control\\iTunes\\iTunesDB");
    LVITEMW row{};
    row.mask = LVIF_TEXT;
    row.pszText = const_cast<wchar_t*>(L"1");
    SendMessageW(form.TrackList(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row));
    form.SetStatusText("Loaded total 1 song(s)");

    Command(ID_FILE_CLOSE);
    EXPECT_EQ(SendMessageW(form.TrackList(), LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(form.Parser, nullptr);
    EXPECT_EQ(form.Drive, "");
    EXPECT_EQ(StatusText(form.StatusBar(), 0), L"Trackhaul Ready");
}

TEST_F(MainFormTest, ProgressServicesMoveAndShowTheBarFromZero) {
    TMainForm& form = Start();
    form.ShowProgress(true);
    EXPECT_TRUE(IsWindowVisible(form.ProgressBar()));
    EXPECT_EQ(SendMessageW(form.ProgressBar(), PBM_GETPOS, 0, 0), 0);
    form.SetProgress(40);
    EXPECT_EQ(SendMessageW(form.ProgressBar(), PBM_GETPOS, 0, 0), 40);
    form.ShowProgress(false);
    EXPECT_FALSE(IsWindowVisible(form.ProgressBar()));
    EXPECT_EQ(SendMessageW(form.ProgressBar(), PBM_GETPOS, 0, 0), 0);
}

TEST_F(MainFormTest, TargetExistsFindsFilesAndFolders) {
    TMainForm& form = Start();
    TempDir folder;
    const std::wstring song = (folder.Path() / L"Song \u00e9.mp3").wstring();
    CloseHandle(CreateFileW(song.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    EXPECT_TRUE(form.TargetExists((folder.Path() / u"Song \u00e9.mp3").u16string()));
    EXPECT_TRUE(form.TargetExists(folder.Path().u16string()));
    EXPECT_FALSE(form.TargetExists((folder.Path() / u"Missing.mp3").u16string()));
}

TEST_F(MainFormTest, GetExtractPathIsTheStoredFolder) {
    SettingsKey::Write(L"ExtractPath", L"C:\\Music");
    EXPECT_EQ(Start().GetExtractPath(), u"C:\\Music");
}

// While a long operation walks the rows, commands that would release or
// reorder them do not run, and closing waits until it has ended.
TEST_F(MainFormTest, BusyOperationHoldsOffCommandsAndDefersTheClose) {
    TMainForm& form = Start();
    form.Parser = std::make_unique<ITDBParser>("F:\\iPod_Control\\iTunes\\iTunesDB");
    form.Drive = "F:";
    {
        BusyScope busy(form);
        form.SetStatusText("Loading track information from iPod");
        for (int id :
             {ID_FILE_OPEN, ID_FILE_CLOSE, ID_TOOLBUTTON14, ID_FILE_EXTRACT, ID_FILE_EXPORT,
              ID_SORT_TRACKNUMBER, ID_SORT_TITLE, ID_SORT_ARTIST, ID_SORT_ALBUM, ID_SORT_LENGTH,
              ID_SORT_TRACKTYPE, ID_SORT_ENCODING, ID_SORT_BITRATE, ID_SORT_SAMPLERATE}) {
            PostMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
        }
        PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
        PostMessageW(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4, the close box
        form.ProcessMessages();
        EXPECT_NE(form.Parser, nullptr);
        EXPECT_EQ(form.Drive, "F:");
        EXPECT_EQ(StatusText(form.StatusBar(), 0), L"Loading track information from iPod");

        Command(ID_FILE_EXIT);
        ASSERT_TRUE(IsWindow(form.Handle()));
        EXPECT_EQ(StatusText(form.StatusBar(), 0), L"Cleaning up and exiting");
        EXPECT_NE(form.Parser, nullptr);

        Command(ID_VIEW_TOOLBAR);  // harmless commands still run
        EXPECT_FALSE(BandVisible(form.CoolBar(), 1));
    }
    EXPECT_NE(form.Handle(), nullptr);
    PumpMessages();
    EXPECT_EQ(form.Handle(), nullptr);
    EXPECT_EQ(form.Parser, nullptr);
}

TEST_F(MainFormTest, CommandsQueuedBehindTheCloseDoNotRunDuringTeardown) {
    TMainForm& form = Start();
    PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
    // Teardown lets pending messages through while it shows the ready text.
    PostMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(ID_VIEW_TOOLBAR, 0), 0);
    PumpMessages();
    EXPECT_EQ(form.Handle(), nullptr);
    EXPECT_EQ(SettingsKey::Read(L"ShowToolbar"), L"1");
}

TEST_F(MainFormTest, ShortcutKeysRunTheirCommands) {
    TMainForm& form = Start();
    SetForegroundWindow(form.Handle());
    SetFocus(form.TrackList());
    form.SetStatusText("Loaded total 1 song(s)");
    std::array<INPUT, 4> keys{};
    for (INPUT& key : keys) {
        key.type = INPUT_KEYBOARD;
    }
    keys[0].ki.wVk = VK_CONTROL;
    keys[1].ki.wVk = 'R';
    keys[2].ki.wVk = 'R';
    keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
    keys[3].ki.wVk = VK_CONTROL;
    keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(keys.size(), keys.data(), sizeof(INPUT)), keys.size());
    form.ProcessMessages();
    EXPECT_EQ(StatusText(form.StatusBar(), 0), L"Trackhaul Ready");
}

TEST_F(MainFormTest, TheTrackListOffersItsContextMenu) {
    TMainForm& form = Start();
    bool shown = false;
    PostMessageW(form.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form.TrackList()),
                 MAKELPARAM(-1, -1));
    RunInNextMessageLoop([&] {
        shown = FindWindowW(L"#32768", nullptr) != nullptr;
        EndMenu();
    });
    PumpMessages();
    EXPECT_TRUE(shown);
}

// Whether the key `key` pressed with Alt opens a menu.
bool AltKeyOpensAMenu(HWND window, wchar_t key) {
    bool shown = false;
    PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, key);
    RunInNextMessageLoop([&] {
        shown = FindWindowW(L"#32768", nullptr) != nullptr;
        EndMenu();
    });
    PumpMessages();
    return shown;
}

TEST_F(MainFormTest, AltWithAnAccessKeyOpensTheMenuOnlyWhileTheMenuBarShows) {
    TMainForm& form = Start();
    EXPECT_TRUE(AltKeyOpensAMenu(form.Handle(), L'v'));
    Command(ID_VIEW_MENUBAR);
    EXPECT_FALSE(AltKeyOpensAMenu(form.Handle(), L'v'));
}

TEST_F(MainFormTest, CommandsRunAgainOnceTheOperationHasEnded) {
    TMainForm& form = Start();
    { BusyScope busy(form); }
    form.Parser = std::make_unique<ITDBParser>("F:\\iPod_Control\\iTunes\\iTunesDB");
    Command(ID_FILE_CLOSE);
    EXPECT_EQ(form.Parser, nullptr);
    EXPECT_TRUE(IsWindow(form.Handle()));
}

// The images drawn at 16, 20, 24 and 32 pixels: the largest not above 16
// pixels at the display's scale, so that none is squeezed to fit.
TEST(CommandImages, TakeTheLargestSizeDrawnNotAboveTheScale) {
    const std::pair<int, int> sizeByDpi[] = {{96, 16},  {117, 16}, {119, 16}, {120, 20},
                                             {141, 20}, {143, 20}, {144, 24}, {189, 24},
                                             {191, 24}, {192, 32}, {288, 32}};
    for (const auto& [dpi, size] : sizeByDpi) {
        const win::UniqueImageList images = LoadCommandImages(dpi);
        int width = 0;
        int height = 0;
        ASSERT_TRUE(ImageList_GetIconSize(images.get(), &width, &height)) << dpi;
        EXPECT_EQ(width, size) << dpi;
        EXPECT_EQ(height, size) << dpi;
    }
}

}  // namespace
