// The windows at the display's scale. display_scale_test.sh runs this suite
// once for each DPI of kImageSizes, the prefix set to that DPI before it
// starts; the run at 192 DPI leaves the main window's figures in the working
// folder for the run at 96, which moves its window to 192 DPI.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "main_window_test.h"

namespace {

// The toolbar image size at each DPI the suite runs at.
const std::map<int, int> kImageSizes{{96, 16}, {120, 20}, {144, 24}, {192, 32}};
constexpr char kFiguresAt192[] = "main-window-192.figures";

int RunDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
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

RECT BoundsIn(HWND control, HWND window) {
    RECT bounds{};
    GetWindowRect(control, &bounds);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

// Named figures of a window and its controls: sizes, places, fonts, images,
// columns and panels.
using Figures = std::vector<std::pair<std::string, int>>;

Figures Measure(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    Figures figures{{"client width", client.right}, {"client height", client.bottom}};
    int index = 0;
    for (HWND control : VisibleControls(window)) {
        const auto add = [&](const std::string& what, LPARAM value) {
            figures.emplace_back(std::to_string(index) + " " + what, static_cast<int>(value));
        };
        const RECT bounds = BoundsIn(control, window);
        for (LONG edge : {bounds.left, bounds.top, bounds.right, bounds.bottom}) {
            add("edge", edge);
        }
        LOGFONTW font{};
        if (GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)),
                       sizeof(font), &font) != 0) {
            add("font height", font.lfHeight);
        }
        const std::wstring kind = ClassOf(control);
        if (kind == TOOLBARCLASSNAMEW) {
            int width = 0;
            ImageList_GetIconSize(
                reinterpret_cast<HIMAGELIST>(SendMessageW(control, TB_GETIMAGELIST, 0, 0)), &width,
                &width);
            add("image size", width);
            const auto button = SendMessageW(control, TB_GETBUTTONSIZE, 0, 0);
            add("button width", LOWORD(button));
            add("button height", HIWORD(button));
        } else if (kind == WC_LISTVIEWW) {
            for (int column = 0; SendMessageW(control, LVM_GETCOLUMNWIDTH, column, 0) > 0;
                 ++column) {
                add("column width", SendMessageW(control, LVM_GETCOLUMNWIDTH, column, 0));
            }
        } else if (kind == STATUSCLASSNAMEW) {
            int edges[8] = {};
            const auto parts =
                SendMessageW(control, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges));
            for (int part = 0; part < parts; ++part) {
                add("panel edge", edges[part]);
            }
        }
        ++index;
    }
    return figures;
}

std::string Numbers(const Figures& figures) {
    std::string numbers;
    for (const auto& [name, value] : figures) {
        numbers += (numbers.empty() ? "" : " ") + std::to_string(value);
    }
    return numbers;
}

// The texts a control shows, each with the room it has, in its client coordinates.
std::vector<std::pair<std::wstring, RECT>> ShownTexts(HWND control) {
    const std::wstring kind = ClassOf(control);
    const auto style = GetWindowLongPtrW(control, GWL_STYLE);
    std::vector<std::pair<std::wstring, RECT>> texts;
    const auto each = [&](UINT countMessage, auto textOf, auto rectOf) {
        for (int item = 0; item < SendMessageW(control, countMessage, 0, 0); ++item) {
            wchar_t text[256] = {};
            RECT room{};
            textOf(item, text);
            rectOf(item, room);
            texts.emplace_back(text, room);
        }
    };
    if (kind == TOOLBARCLASSNAMEW) {
        each(
            TB_BUTTONCOUNT,
            [&](int item, wchar_t* text) {
                TBBUTTON button{};
                SendMessageW(control, TB_GETBUTTON, item, reinterpret_cast<LPARAM>(&button));
                SendMessageW(control, TB_GETBUTTONTEXTW, button.idCommand,
                             reinterpret_cast<LPARAM>(text));
            },
            [&](int item, RECT& room) {
                SendMessageW(control, TB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&room));
            });
    } else if (kind == WC_HEADERW) {
        each(
            HDM_GETITEMCOUNT,
            [&](int item, wchar_t* text) {
                HDITEMW header{};
                header.mask = HDI_TEXT;
                header.pszText = text;
                header.cchTextMax = 256;
                SendMessageW(control, HDM_GETITEMW, item, reinterpret_cast<LPARAM>(&header));
            },
            [&](int item, RECT& room) {
                SendMessageW(control, HDM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&room));
            });
    } else if (kind == STATUSCLASSNAMEW) {
        each(
            SB_GETPARTS,
            [&](int item, wchar_t* text) {
                SendMessageW(control, SB_GETTEXTW, item, reinterpret_cast<LPARAM>(text));
            },
            [&](int item, RECT& room) {
                SendMessageW(control, SB_GETRECT, item, reinterpret_cast<LPARAM>(&room));
            });
    } else if (kind == WC_TABCONTROLW) {
        each(
            TCM_GETITEMCOUNT,
            [&](int item, wchar_t* text) {
                TCITEMW tab{TCIF_TEXT, 0, 0, text, 256, 0, 0};
                SendMessageW(control, TCM_GETITEMW, item, reinterpret_cast<LPARAM>(&tab));
            },
            [&](int item, RECT& room) {
                SendMessageW(control, TCM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&room));
            });
    } else if (kind == L"Button" ||
               (kind == L"Static" && (style & SS_TYPEMASK) <= SS_LEFTNOWORDWRAP &&
                (style & SS_PATHELLIPSIS) == 0)) {
        RECT room{};
        GetClientRect(control, &room);
        wchar_t text[512] = {};
        GetWindowTextW(control, text, 512);
        texts.emplace_back(text, room);
    }
    return texts;
}

// No text cut: each shown text's extent in its control's font fits its room.
void ExpectTextsFit(HWND control) {
    const auto style = GetWindowLongPtrW(control, GWL_STYLE);
    const bool wraps = ClassOf(control) == L"Static" && (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP;
    HDC context = GetDC(control);
    HGDIOBJ previous =
        SelectObject(context, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    for (const auto& [text, room] : ShownTexts(control)) {
        RECT extent{0, 0, room.right - room.left, 0};
        DrawTextW(context, text.c_str(), -1, &extent,
                  DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        EXPECT_LE(extent.right, room.right - room.left) << "wide: " << testing::PrintToString(text);
        EXPECT_LE(extent.bottom, room.bottom - room.top)
            << "high: " << testing::PrintToString(text) << extent.right << " " << room.right;
    }
    SelectObject(context, previous);
    ReleaseDC(control, context);
}

// No two controls of one parent overlap, but for a frame around others.
void ExpectNoOverlap(HWND window) {
    const std::vector<HWND> controls = VisibleControls(window);
    for (HWND a : controls) {
        for (HWND b : controls) {
            RECT boundsA{}, boundsB{}, common{}, both{};
            GetWindowRect(a, &boundsA);
            GetWindowRect(b, &boundsB);
            const auto frames = [&](HWND frame, const RECT& outer) {
                return (ClassOf(frame) == WC_TABCONTROLW ||
                        (GetWindowLongPtrW(frame, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) &&
                       UnionRect(&both, &boundsA, &boundsB) && EqualRect(&both, &outer);
            };
            if (a <= b || GetParent(a) != GetParent(b) ||
                !IntersectRect(&common, &boundsA, &boundsB) || frames(a, boundsA) ||
                frames(b, boundsB)) {
                continue;
            }
            ADD_FAILURE() << testing::PrintToString(ClassOf(a)) << " overlaps "
                          << testing::PrintToString(ClassOf(b));
        }
    }
}

struct ScaledWindow {
    const char* Name;
    const wchar_t* Caption;  // null for the main window
    void (*Open)(TMainForm& form);
    int CloseButton;
    const char* FiguresAt96;  // today's layout
};

void ExpectSharp(HWND window, const ScaledWindow& shown) {
    for (HWND control : VisibleControls(window)) {
        ExpectTextsFit(control);
        if (ClassOf(control) == TOOLBARCLASSNAMEW &&
            SendMessageW(control, TB_GETIMAGELIST, 0, 0) != 0) {
            int width = 0;
            ImageList_GetIconSize(
                reinterpret_cast<HIMAGELIST>(SendMessageW(control, TB_GETIMAGELIST, 0, 0)), &width,
                &width);
            EXPECT_EQ(width, kImageSizes.at(RunDpi()));
        }
    }
    ExpectNoOverlap(window);
    if (RunDpi() == 96) {
        EXPECT_EQ(Numbers(Measure(window)), shown.FiguresAt96);
    }
}

void SendCommand(TMainForm& form, int id) {
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// The figures at 96 DPI are those of Measure: the client area, then each
// control's edges, font height and what its kind adds.
const ScaledWindow kWindows[] = {
    {"MainWindow", nullptr, nullptr, 0,
     "876 579 0 0 876 53 -11 557 30 872 50 -11 252 30 512 50 -11 9 29 194 51 -11 16 23 22 9 2 872 "
     "23 -11 0 36 21 0 53 876 560 -11 50 130 130 130 80 100 100 75 75 2 55 874 71 -11 0 560 876 "
     "579 -11 200 400 -1"},
    {"DeviceDialog", L"Select Your iPod", [](TMainForm& form) { SendCommand(form, ID_FILE_OPEN); },
     IDCANCEL, "256 150 32 24 217 37 -11 32 48 217 69 -11 48 100 123 125 -11 124 100 199 125 -11"},
    {"Preferences", L"Trackhaul Preferences",
     [](TMainForm& form) { SendCommand(form, ID_EDIT_PREFERENCES); }, IDCANCEL,
     "377 279 16 16 353 81 -11 48 48 121 65 -11 144 48 241 65 -11 248 45 313 66 -11 16 96 353 225 "
     "-11 32 128 114 141 -11 114 124 329 145 -11 117 127 309 142 -11 32 160 114 173 -11 114 156 "
     "329 "
     "177 -11 32 192 114 205 -11 114 188 329 209 -11 117 191 309 206 -11 71 240 146 265 -11 147 "
     "240 "
     "222 265 -11 222 240 297 265 -11"},
    {"OverwritePrompt", L"Trackhaul",
     [](TMainForm& form) {
         form.OverwritePrompt().AskOverwrite(u"C:\\Music\\07 - Last Ferry.mp3");
     },
     IDC_BTNCANCEL,
     "506 110 64 72 139 97 -11 152 72 227 97 -11 240 72 315 97 -11 328 72 403 97 -11 416 72 491 97 "
     "-11 64 34 219 52 -11 16 16 48 48 64 16 489 29 -11"},
    {"About", L"About Trackhaul", [](TMainForm& form) { SendCommand(form, ID_HELP_ABOUT); }, IDOK,
     "373 299 28 54 60 86 84 54 341 223 -11 280 264 363 289 -11 8 8 361 249 -11"},
};

class DisplayScaleTest : public MainWindowTest, public testing::WithParamInterface<ScaledWindow> {};

TEST_P(DisplayScaleTest, TextsFitNothingOverlapsAndImagesSuitTheDpi) {
    ASSERT_TRUE(kImageSizes.contains(RunDpi()));
    TMainForm& form = Start();
    const ScaledWindow& shown = GetParam();
    if (shown.Caption == nullptr) {
        ExpectSharp(form.Handle(), shown);
        return;
    }
    WhenWindowShows dialog(
        shown.Caption,
        [&](HWND window) {
            ExpectSharp(window, shown);
            PressButton(window, shown.CloseButton);
        },
        WhenWindowShows::Repeat::Once, L"#32770");
    shown.Open(form);
    EXPECT_TRUE(dialog.Shown());
}

INSTANTIATE_TEST_SUITE_P(Windows, DisplayScaleTest, testing::ValuesIn(kWindows),
                         [](const auto& row) { return std::string(row.param.Name); });

// Moved from 96 to 192 DPI, the main window is as a start at 192 DPI gives:
// the run at 192 records its start, the run at 96 moves and compares.
using DpiChangeTest = MainWindowTest;

TEST_F(DpiChangeTest, FromNinetySixTo192TheMainWindowIsAsAStartThereGives) {
    TMainForm& form = Start();
    if (RunDpi() == 192) {
        std::ofstream file(kFiguresAt192);
        for (const auto& [name, value] : Measure(form.Handle())) {
            file << value << ' ' << name << '\n';
        }
        return;
    }
    if (RunDpi() != 96) {
        GTEST_SKIP() << "the move starts at 96 DPI";
    }
    Figures started;
    std::ifstream file(kFiguresAt192);
    for (std::string line; std::getline(file, line);) {
        const size_t blank = line.find(' ');
        started.emplace_back(line.substr(blank + 1), std::stoi(line.substr(0, blank)));
    }
    ASSERT_GT(started.size(), 2u) << "no start at 192 DPI recorded";
    // The rectangle that holds that client area here, where the frame keeps
    // the system's DPI.
    RECT suggested{0, 0, started[0].second, started[1].second};
    AdjustWindowRectEx(&suggested, static_cast<DWORD>(GetWindowLongPtrW(form.Handle(), GWL_STYLE)),
                       FALSE, static_cast<DWORD>(GetWindowLongPtrW(form.Handle(), GWL_EXSTYLE)));
    SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192),
                 reinterpret_cast<LPARAM>(&suggested));
    PumpMessages();
    const Figures moved = Measure(form.Handle());
    ASSERT_EQ(moved.size(), started.size());
    for (size_t index = 0; index < moved.size(); ++index) {
        EXPECT_EQ(moved[index].first, started[index].first);
        EXPECT_NEAR(moved[index].second, started[index].second, 1) << started[index].first;
    }
}

TEST(ManifestTest, TheProgramAsksForCommonControlsSixAndPerMonitorScale) {
    const char* program = std::getenv("TRACKHAUL_EXE");
    ASSERT_NE(program, nullptr);
    HMODULE file = LoadLibraryExA(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(file, nullptr);
    HRSRC resource = FindResourceW(file, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(resource, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(file, resource))),
                               SizeofResource(file, resource));
    FreeLibrary(file);
    for (const char* entry : {
             R"(<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">)"
             "PerMonitorV2, PerMonitor</dpiAwareness>",
             R"(<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/pm<)",
             R"(<supportedOS Id="{e2011457-1546-43c5-a5fe-008deee3d3f0}"/>)",  // Vista
             R"(<supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>)",  // 7
             R"(<supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>)",  // 8
             R"(<supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>)",  // 8.1
             R"(<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>)",  // 10 and 11
             R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
             "<description>Extract tracks from your iPod.</description>",
         }) {
        EXPECT_NE(manifest.find(entry), std::string::npos) << entry;
    }
}

}  // namespace
