// The windows at the display's scale. display_scale_test.sh runs this suite at
// 96, 120, 144 and 192 DPI, the prefix set to each before the start; the run
// at 192 DPI records the main window for the run at 96, which moves there.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <psapi.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/resource_ids.h"
#include "artwork_builder.h"
#include "core/itdbparser.h"
#include "main_window_test.h"

namespace {

int RunDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, const void* lParam = nullptr) {
    return SendMessageW(window, message, wParam, reinterpret_cast<LPARAM>(lParam));
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

BOOL CALLBACK AddIfVisible(HWND child, LPARAM controls) {
    if (IsWindowVisible(child)) {
        reinterpret_cast<std::vector<HWND>*>(controls)->push_back(child);
    }
    return TRUE;
}

std::vector<HWND> VisibleControls(HWND window) {
    std::vector<HWND> controls;
    EnumChildWindows(window, AddIfVisible, reinterpret_cast<LPARAM>(&controls));
    return controls;
}

int ImageSize(HWND toolbar) {
    int size = 0;
    ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(Send(toolbar, TB_GETIMAGELIST)), &size,
                          &size);
    return size;
}

// The client area, then each control's edges and font height, and the
// columns' widths and panels' edges; the images show in the toolbar's edges.
std::vector<int> Measure(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    std::vector<int> figures{client.right, client.bottom};
    for (HWND control : VisibleControls(window)) {
        RECT bounds{};
        GetWindowRect(control, &bounds);
        MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&bounds), 2);
        figures.insert(figures.end(), {bounds.left, bounds.top, bounds.right, bounds.bottom});
        LOGFONTW font{};
        if (GetObjectW(reinterpret_cast<HFONT>(Send(control, WM_GETFONT)), sizeof(font), &font)) {
            figures.push_back(font.lfHeight);
        }
        const std::wstring kind = ClassOf(control);
        for (int column = 0; kind == WC_LISTVIEWW && Send(control, LVM_GETCOLUMNWIDTH, column);) {
            figures.push_back(static_cast<int>(Send(control, LVM_GETCOLUMNWIDTH, column++)));
        }
        int edges[4] = {};
        const auto parts = kind == STATUSCLASSNAMEW ? Send(control, SB_GETPARTS, 4, edges) : 0;
        figures.insert(figures.end(), edges, edges + parts);
    }
    return figures;
}

// No text cut: each text a control shows fits its room in the control's font.
void ExpectTextsFit(HWND control) {
    const std::wstring kind = ClassOf(control);
    const auto style = GetWindowLongPtrW(control, GWL_STYLE);
    const bool wraps = kind == L"Static" && (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP;
    HDC context = GetDC(control);
    HGDIOBJ previous = SelectObject(context, reinterpret_cast<HFONT>(Send(control, WM_GETFONT)));
    for (int item = 0;; ++item) {
        wchar_t text[512] = {};
        RECT room{};
        HDITEMW header{HDI_TEXT, 0, text, nullptr, 512, 0, 0, 0, 0, 0, nullptr, 0};
        if (kind == WC_HEADERW && Send(control, HDM_GETITEMW, item, &header)) {
            Send(control, HDM_GETITEMRECT, item, &room);
        } else if (kind == STATUSCLASSNAMEW && item < Send(control, SB_GETPARTS)) {
            Send(control, SB_GETTEXTW, item, text);
            Send(control, SB_GETRECT, item, &room);
        } else if (item == 0 &&
                   (kind == L"Button" || (kind == L"Static" && !(style & SS_ELLIPSISMASK)))) {
            GetWindowTextW(control, text, 512);  // not a path, which shortens itself
            GetClientRect(control, &room);
        } else {
            break;
        }
        RECT extent{0, 0, room.right - room.left, 0};
        DrawTextW(context, text, -1, &extent, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        EXPECT_TRUE(!*text || (extent.right <= room.right - room.left &&
                               extent.bottom <= room.bottom - room.top))
            << testing::PrintToString(std::wstring(text));
    }
    SelectObject(context, previous);
    ReleaseDC(control, context);
}

// No two controls of one parent overlap, but for a frame around another.
void ExpectApart(HWND a, HWND b) {
    RECT boundsA{}, boundsB{}, common{};
    GetWindowRect(a, &boundsA);
    GetWindowRect(b, &boundsB);
    const auto frames = [&common](HWND frame, const RECT& inner) {
        return EqualRect(&common, &inner) &&
               (ClassOf(frame) == WC_TABCONTROLW ||
                (GetWindowLongPtrW(frame, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX);
    };
    EXPECT_TRUE(a <= b || GetParent(a) != GetParent(b) ||
                !IntersectRect(&common, &boundsA, &boundsB) || frames(a, boundsB) ||
                frames(b, boundsA))
        << testing::PrintToString(ClassOf(a) + L" over " + ClassOf(b));
}

struct ScaledWindow {
    const char* Name;
    const wchar_t* Caption;  // of the dialog; none for the main window
    int Command;             // that opens it; none for the overwrite prompt
    int CloseButton;
    std::vector<int> FiguresAt96;  // as they have always been
};

// clang-format off
const ScaledWindow kWindows[] = {
    {"MainWindow", nullptr, 0, 0, {876, 579, 0, 0, 876, 53, -11, 557, 30, 872, 50, -11, 252, 30, 512, 50, -11, 9, 29, 194, 51, -11, 9, 2, 872, 23, -11, 0, 53, 876, 560, -11, 50, 130, 130, 130, 80, 100, 100, 75, 75, 2, 55, 874, 71, -11, 0, 560, 876, 579, -11, 200, 400, -1}},
    {"DeviceDialog", L"Select Your iPod", ID_FILE_OPEN, IDCANCEL, {256, 150, 32, 24, 217, 37, -11, 32, 48, 217, 69, -11, 48, 100, 123, 125, -11, 124, 100, 199, 125, -11}},
    {"Preferences", L"Trackhaul Preferences", ID_EDIT_PREFERENCES, IDCANCEL, {377, 375, 16, 16, 353, 81, -11, 48, 48, 121, 65, -11, 144, 48, 241, 65, -11, 248, 45, 313, 66, -11, 16, 96, 353, 321, -11, 32, 128, 114, 141, -11, 114, 124, 329, 145, -11, 117, 127, 309, 142, -11, 32, 160, 114, 173, -11, 114, 156, 329, 177, -11, 32, 192, 114, 205, -11, 114, 188, 329, 209, -11, 117, 191, 309, 206, -11, 32, 220, 329, 237, -11, 32, 244, 329, 261, -11, 32, 268, 329, 285, -11, 32, 292, 329, 309, -11, 71, 336, 146, 361, -11, 147, 336, 222, 361, -11, 222, 336, 297, 361, -11}},
    {"OverwritePrompt", L"Trackhaul", 0, IDC_BTNCANCEL, {506, 110, 64, 72, 139, 97, -11, 152, 72, 227, 97, -11, 240, 72, 315, 97, -11, 328, 72, 403, 97, -11, 416, 72, 491, 97, -11, 64, 34, 219, 52, -11, 16, 16, 48, 48, 64, 16, 489, 29, -11}},
    {"About", L"About Trackhaul", ID_HELP_ABOUT, IDOK, {373, 299, 28, 54, 60, 86, 84, 54, 341, 223, -11, 280, 264, 363, 289, -11, 8, 8, 361, 249, -11}},
};
// clang-format on

// The shared check; at 96 DPI, the figures are also as they have always been.
void ExpectSharp(HWND window, const ScaledWindow& shown) {
    const std::vector<HWND> controls = VisibleControls(window);
    for (HWND control : controls) {
        ExpectTextsFit(control);
        for (HWND other : controls) {
            ExpectApart(control, other);
        }
        if (ClassOf(control) == TOOLBARCLASSNAMEW && ImageSize(control) != 0) {
            EXPECT_EQ(ImageSize(control), 16 * RunDpi() / 96);
        }
    }
    EXPECT_TRUE(RunDpi() != 96 || Measure(window) == shown.FiguresAt96)
        << testing::PrintToString(Measure(window));
}

class DisplayScaleTest : public MainWindowTest, public testing::WithParamInterface<ScaledWindow> {};

TEST_P(DisplayScaleTest, TextsFitNothingOverlapsAndImagesSuitTheDpi) {
    TMainForm& form = Start();
    const ScaledWindow& shown = GetParam();
    if (shown.Caption == nullptr) {
        return ExpectSharp(form.Handle(), shown);
    }
    WhenWindowShows dialog(
        shown.Caption,
        [&](HWND window) {
            ExpectSharp(window, shown);
            PressButton(window, shown.CloseButton);
        },
        WhenWindowShows::Repeat::Once, L"#32770");
    if (shown.Command != 0) {
        Send(form.Handle(), WM_COMMAND, shown.Command);
    } else {
        form.OverwritePrompt().AskOverwrite(u"C:\\Music\\07 - Last Ferry.mp3");
    }
    EXPECT_TRUE(dialog.Shown());
}

INSTANTIATE_TEST_SUITE_P(Windows, DisplayScaleTest, testing::ValuesIn(kWindows),
                         [](const auto& row) { return std::string(row.param.Name); });

// Moved from 96 to 192 DPI, the main window is as a start at 192 DPI gives.
TEST_F(MainWindowTest, MovedFromNinetySixTo192DpiTheMainWindowIsAsAStartThere) {
    TMainForm& form = Start();
    if (RunDpi() == 192) {
        std::ofstream file("main-window-192.figures");
        std::ranges::copy(Measure(form.Handle()), std::ostream_iterator<int>(file, " "));
    }
    if (RunDpi() != 96) {
        GTEST_SKIP() << "the move starts at 96 DPI";
    }
    std::ifstream file("main-window-192.figures");
    const std::vector<int> started{std::istream_iterator<int>(file), {}};
    ASSERT_GT(started.size(), 2u) << "no start at 192 DPI recorded";
    // That client area here, where the frame keeps the system's DPI.
    RECT suggested{0, 0, started[0], started[1]};
    AdjustWindowRectEx(&suggested, static_cast<DWORD>(GetWindowLongPtrW(form.Handle(), GWL_STYLE)),
                       FALSE, static_cast<DWORD>(GetWindowLongPtrW(form.Handle(), GWL_EXSTYLE)));
    Send(form.Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), &suggested);
    const std::vector<int> moved = Measure(form.Handle());
    ASSERT_EQ(moved.size(), started.size());
    for (size_t index = 0; index < moved.size(); ++index) {
        EXPECT_NEAR(moved[index], started[index], 1) << "figure " << index;
    }
}

// A cover of any shape fits inside the album art pane: one a pixel wide and
// 1024 high, at any scale, costs the program no more than the pane's own
// pixels, and shows.
TEST_F(MainWindowTest, ACoverOfAnyShapeFitsInsideTheAlbumArtPane) {
    itdb::Track track;
    track.title = u"Tall";
    track.artworkId = 1;
    std::filesystem::create_directories("C:\\Trackhaul");
    std::filesystem::create_directories("C:\\Artwork");
    ASSERT_TRUE(itdb::WriteFile(TMainForm::TestLoadPath, itdb::RealisticDatabase({track})));
    ASSERT_TRUE(artwork::WriteStore(
        "C:\\Artwork\\",
        artwork::BuildStore(
            {{1, 0, {artwork::Stored(9999, 1024, artwork::SolidImage(1, 1024, 0x336699))}}})));
    SettingsKey::Write(L"ShowAlbumArt", L"1");
    TMainForm& form = Start();
    Command(ID_TOOLBUTTON14);
    ListView_SetItemState(form.TrackList(), 0, LVIS_FOCUSED, LVIS_FOCUSED);
    for (int wait = 0; wait < 100 && GetWindowTextLengthW(form.AlbumArt()) != 9; ++wait) {
        Sleep(20);
        PumpMessages();
    }
    wchar_t text[16] = {};
    GetWindowTextW(form.AlbumArt(), text, 16);
    EXPECT_STREQ(text, L"Album Art");
    RedrawWindow(form.AlbumArt(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PROCESS_MEMORY_COUNTERS memory{};
    ASSERT_TRUE(GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory)));
    EXPECT_LT(memory.PeakPagefileUsage, ITDBParser::kMemoryBudget * 3 / 2);
    GetWindowTextW(form.AlbumArt(), text, 16);
    EXPECT_STREQ(text, L"Album Art");
}

}  // namespace
