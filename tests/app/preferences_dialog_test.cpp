// The preferences dialog, opened by the main window's Preferences command and
// by the first start's welcome question, driven from inside its own loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/mainform.h"
#include "app/resource_ids.h"
#include "app_test_support.h"
#include "itdb_builder.h"
#include "main_window_test.h"
#include "win/wide_text.h"

namespace {

constexpr wchar_t DialogCaption[] = L"Trackhaul Preferences";
const std::wstring DefaultPattern = L"%tracknumber% - %title% - %artist%";
const std::array<std::wstring, 8> OfferedPatterns{
    L"%tracknumber% - %artist% - %title%",
    L"%tracknumber% - %title%",
    L"%tracknumber% - %album% - %title%",
    L"%tracknumber% - %album% - %artist% - %title%",
    L"%artist% - %title%",
    L"%title%",
    L"%album% - %title%",
    L"%album% - %artist% - %title%",
};

HWND Control(HWND dialog, int id) {
    return GetDlgItem(dialog, id);
}

std::wstring Text(HWND dialog, int id) {
    return win::WindowText(Control(dialog, id));
}

void Type(HWND dialog, int id, const std::wstring& text) {
    SetWindowTextW(Control(dialog, id), text.c_str());
}

void Click(HWND dialog, int id) {
    SendMessageW(Control(dialog, id), BM_CLICK, 0, 0);
}

bool HasFocus(HWND dialog, int id) {
    HWND focus = GetFocus();
    return focus == Control(dialog, id) || IsChild(Control(dialog, id), focus);
}

std::vector<std::wstring> Entries(HWND comboBox) {
    std::vector<std::wstring> entries;
    for (int index = 0; index < SendMessageW(comboBox, CB_GETCOUNT, 0, 0); ++index) {
        std::wstring text(SendMessageW(comboBox, CB_GETLBTEXTLEN, index, 0) + 1, L'\0');
        SendMessageW(comboBox, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        entries.push_back(text.c_str());
    }
    return entries;
}

RECT BoundsInDialog(HWND control) {
    RECT bounds{};
    GetWindowRect(control, &bounds);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

// What the controls show.
struct Shown {
    bool AllTracks;
    std::wstring Limit;
    bool LimitEnabled;
    std::wstring Pattern;
    LRESULT Policy;

    bool operator==(const Shown&) const = default;
};

Shown Read(HWND dialog) {
    return {IsDlgButtonChecked(dialog, IDC_RBALLSONGS) == BST_CHECKED &&
                IsDlgButtonChecked(dialog, IDC_RBMAXSONGS) == BST_UNCHECKED,
            Text(dialog, IDC_TXTSONGLIMIT), IsWindowEnabled(Control(dialog, IDC_TXTSONGLIMIT)) != 0,
            Text(dialog, IDC_CBFORMAT),
            SendMessageW(Control(dialog, IDC_CBOVERWRITE), CB_GETCURSEL, 0, 0)};
}

void PrintTo(const Shown& shown, std::ostream* out) {
    *out << (shown.AllTracks ? "all" : "limit") << " '" << win::AnsiFromWide(shown.Limit) << "' "
         << (shown.LimitEnabled ? "enabled" : "disabled") << " '"
         << win::AnsiFromWide(shown.Pattern) << "' policy " << shown.Policy;
}

class PreferencesDialogTest : public MainWindowTest {
protected:
    // Starts a window whose stored settings include `stored`.
    void StartWith(const std::vector<std::pair<std::wstring, std::wstring>>& stored) {
        form_.reset();
        DiscardQuitRequest();
        for (const auto& [name, value] : stored) {
            SettingsKey::Write(name, value);
        }
        Start();
    }
    // Opens the dialog by the Preferences command and runs `act` in it; a
    // dialog that `act` leaves open is cancelled. True when `act` closed it.
    bool WithDialog(const std::function<void(HWND)>& act) {
        bool closed = false;
        WhenWindowShows dialog(DialogCaption, [&](HWND shown) {
            act(shown);
            closed = !IsWindowVisible(shown);
            if (!closed) {
                Click(shown, IDCANCEL);
            }
        });
        Command(ID_EDIT_PREFERENCES);
        EXPECT_TRUE(dialog.Shown());
        EXPECT_EQ(FindWindowW(nullptr, DialogCaption), nullptr);
        return closed;
    }
    Shown ShownOnOpening() {
        Shown shown{};
        WithDialog([&shown](HWND dialog) { shown = Read(dialog); });
        return shown;
    }
    // The three settings as the registry holds them after a save of any kind.
    std::vector<std::optional<std::wstring>> StoredAfterTheNextSave() {
        Command(ID_VIEW_TOOLBAR);
        return {SettingsKey::Read(L"TrackLimit"), SettingsKey::Read(L"FileFormat"),
                SettingsKey::Read(L"OverwriteFiles")};
    }
    void ExpectOneBox(const std::wstring& text, UINT style) const {
        ASSERT_EQ(boxes_.Requests().size(), 1u);
        EXPECT_EQ(boxes_.Requests()[0].Text, text);
        EXPECT_EQ(boxes_.Requests()[0].Caption, L"Trackhaul");
        EXPECT_EQ(boxes_.Requests()[0].Style, style);
    }

    MessageBoxRecorder boxes_;
};

TEST_F(PreferencesDialogTest, HasItsCaptionLayoutListsAndTabOrder) {
    StartWith({{L"TrackLimit", L"50"}});
    WithDialog([this](HWND dialog) {
        EXPECT_EQ(win::WindowText(dialog), DialogCaption);
        RECT client{};
        GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, 377);
        EXPECT_EQ(client.bottom, 247);
        EXPECT_FALSE(GetWindowLongPtrW(dialog, GWL_STYLE) &
                     (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
        RECT owner{};
        RECT self{};
        GetWindowRect(form_->Handle(), &owner);
        GetWindowRect(dialog, &self);
        EXPECT_NEAR(self.left + self.right, owner.left + owner.right, 1);
        EXPECT_NEAR(self.top + self.bottom, owner.top + owner.bottom, 1);
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof(font),
                   &font);
        EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");

        const struct {
            int id;
            RECT bounds;  // left, top, right, bottom
            const wchar_t* text;
        } controls[] = {
            {IDC_GROUPBOX1, {16, 16, 353, 81}, L" Read Tracks From iPod Database "},
            {IDC_RBALLSONGS, {48, 48, 121, 65}, L"&All Tracks"},
            {IDC_RBMAXSONGS, {144, 48, 241, 65}, L"Limit Tracks To:"},
            {IDC_TXTSONGLIMIT, {248, 45, 313, 66}, L"50"},
            {IDC_GROUPBOX2, {16, 96, 353, 193}, L" Extract Tracks From iPod "},
            {IDC_PREFERENCES_LABEL1, {32, 128, 114, 141}, L"File Format:"},
            {IDC_PREFERENCES_LABEL2, {32, 160, 114, 173}, L"Overwrite Files:"},
            {IDOK, {71, 208, 146, 233}, L"&OK"},
            {IDCANCEL, {147, 208, 222, 233}, L"&Cancel"},
            {IDC_BTNHELP, {222, 208, 297, 233}, L"&Help"},
        };
        for (const auto& [id, bounds, text] : controls) {
            const RECT actual = BoundsInDialog(Control(dialog, id));
            EXPECT_TRUE(EqualRect(&actual, &bounds)) << id;
            EXPECT_EQ(Text(dialog, id), text) << id;
        }
        for (const auto& [id, left, top] :
             {std::array{IDC_CBFORMAT, 114, 124}, std::array{IDC_CBOVERWRITE, 114, 156}}) {
            const RECT actual = BoundsInDialog(Control(dialog, id));
            EXPECT_EQ(actual.left, left) << id;
            EXPECT_EQ(actual.top, top) << id;
            EXPECT_EQ(actual.right - actual.left, 215) << id;
        }
        EXPECT_EQ(Entries(Control(dialog, IDC_CBFORMAT)),
                  std::vector<std::wstring>(OfferedPatterns.begin(), OfferedPatterns.end()));
        EXPECT_EQ(
            Entries(Control(dialog, IDC_CBOVERWRITE)),
            (std::vector<std::wstring>{L"Always Overwrite", L"Never Overwrite", L"Always Prompt"}));
        EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), IDOK);

        std::vector<int> tabOrder;
        HWND control = Control(dialog, IDC_RBALLSONGS);
        for (int step = 0; step < 8; ++step, control = GetNextDlgTabItem(dialog, control, FALSE)) {
            tabOrder.push_back(GetDlgCtrlID(control));
        }
        EXPECT_EQ(tabOrder,
                  (std::vector<int>{IDC_RBALLSONGS, IDC_RBMAXSONGS, IDC_TXTSONGLIMIT, IDC_CBFORMAT,
                                    IDC_CBOVERWRITE, IDOK, IDCANCEL, IDC_BTNHELP}));
    });
}

TEST_F(PreferencesDialogTest, OpensWithTheStoredSettings) {
    const struct {
        std::vector<std::pair<std::wstring, std::wstring>> stored;
        Shown shown;
    } cases[] = {
        {{}, {true, L"All", false, DefaultPattern, 2}},
        {{{L"TrackLimit", L"0"}, {L"FileFormat", L"%title%"}, {L"OverwriteFiles", L"1"}},
         {false, L"0", true, L"%title%", 1}},
        {{{L"TrackLimit", L"50"}, {L"FileFormat", L""}, {L"OverwriteFiles", L"0"}},
         {false, L"50", true, L"", 0}},
    };
    for (const auto& [stored, shown] : cases) {
        StartWith(stored);
        EXPECT_EQ(ShownOnOpening(), shown);
    }
}

TEST_F(PreferencesDialogTest, RadioButtonsSwitchTheLimitFieldToTheStoredLimit) {
    const struct {
        const wchar_t* stored;
        const wchar_t* afterLimitClick;
    } cases[] = {{L"50", L"50"}, {L"-1", L""}};
    for (const auto& [stored, afterLimitClick] : cases) {
        StartWith({{L"TrackLimit", stored}});
        WithDialog([&](HWND dialog) {
            Click(dialog, IDC_RBALLSONGS);
            EXPECT_EQ(Read(dialog), (Shown{true, L"All", false, DefaultPattern, 2}));
            Click(dialog, IDC_RBMAXSONGS);
            EXPECT_EQ(Read(dialog), (Shown{false, afterLimitClick, true, DefaultPattern, 2}));
            Type(dialog, IDC_TXTSONGLIMIT, L"70");
            Click(dialog, IDC_RBMAXSONGS);  // already checked: the typed limit stays
            EXPECT_EQ(Text(dialog, IDC_TXTSONGLIMIT), L"70");
        });
    }
}

TEST_F(PreferencesDialogTest, RefusedLimitKeepsTheDialogOpenWithTheFieldFocused) {
    StartWith({{L"TrackLimit", L"0"}});
    for (const wchar_t* limit : {L"0", L"abc", L"12.5", L"12345678901", L"", L"-5"}) {
        MessageBoxRecorder boxes;
        EXPECT_FALSE(WithDialog([&](HWND dialog) {
            Type(dialog, IDC_TXTSONGLIMIT, limit);
            Click(dialog, IDOK);
            EXPECT_TRUE(HasFocus(dialog, IDC_TXTSONGLIMIT));
        }));
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].Text, L"Please enter a valid non-negative track limit.");
        EXPECT_EQ(boxes.Requests()[0].Style, static_cast<UINT>(MB_OK | MB_ICONERROR));
    }
    EXPECT_EQ(StoredAfterTheNextSave()[0], L"0");
}

TEST_F(PreferencesDialogTest, RefusedPatternThenCancelLeavesEverySettingAsItWas) {
    StartWith({{L"TrackLimit", L"10"}});
    EXPECT_FALSE(WithDialog([](HWND dialog) {
        Type(dialog, IDC_TXTSONGLIMIT, L"25");
        Type(dialog, IDC_CBFORMAT, L"%artist%/%title%");
        SendMessageW(Control(dialog, IDC_CBOVERWRITE), CB_SETCURSEL, 0, 0);
        Click(dialog, IDOK);
        EXPECT_TRUE(HasFocus(dialog, IDC_CBFORMAT));
    }));
    ExpectOneBox(L"File format cannot contain characters  \\ / : * ? \" < > | ",
                 MB_OK | MB_ICONERROR);
    EXPECT_EQ(StoredAfterTheNextSave(),
              (std::vector<std::optional<std::wstring>>{L"10", DefaultPattern, L"2"}));
    EXPECT_EQ(ShownOnOpening(), (Shown{false, L"10", true, DefaultPattern, 2}));
}

TEST_F(PreferencesDialogTest, OkStoresTheChoicesAtOnceAndCloses) {
    const struct {
        bool allTracks;
        const wchar_t* limit;
        std::wstring pattern;
        int policy;
        std::vector<std::optional<std::wstring>> stored;
    } cases[] = {
        {false, L"25", OfferedPatterns[3], 0, {L"25", OfferedPatterns[3], L"0"}},
        {true, L"abc", L"", 1, {L"-1", L"", L"1"}},
        {false,
         L"2147483647",
         L"%album%_%title% (live)",
         2,
         {L"2147483647", L"%album%_%title% (live)", L"2"}},
    };
    for (const auto& [allTracks, limit, pattern, policy, stored] : cases) {
        StartWith({});
        EXPECT_TRUE(WithDialog([&](HWND dialog) {
            Click(dialog, allTracks ? IDC_RBALLSONGS : IDC_RBMAXSONGS);
            Type(dialog, IDC_TXTSONGLIMIT, limit);
            Type(dialog, IDC_CBFORMAT, pattern);
            SendMessageW(Control(dialog, IDC_CBOVERWRITE), CB_SETCURSEL, policy, 0);
            Click(dialog, IDOK);
            EXPECT_EQ(SettingsKey::Read(L"TrackLimit"), stored[0]);
        }));
        EXPECT_EQ(StoredAfterTheNextSave(), stored);
    }
    EXPECT_TRUE(boxes_.Requests().empty());
}

TEST_F(PreferencesDialogTest, CancelEscAndTheCloseBoxStoreNothing) {
    const std::pair<const char*, std::function<void(HWND)>> closes[] = {
        {"Cancel", [](HWND dialog) { Click(dialog, IDCANCEL); }},
        {"Esc",
         [](HWND dialog) {  // as the dialog's loop hands the key over
             MSG escape{GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
             IsDialogMessageW(dialog, &escape);
         }},
        {"close box",
         [](HWND dialog) {
             SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
             MSG posted{};  // the dialog posts itself the Cancel command
             while (PeekMessageW(&posted, dialog, 0, 0, PM_REMOVE)) {
                 DispatchMessageW(&posted);
             }
         }},
    };
    StartWith({{L"TrackLimit", L"10"}});
    for (const auto& [way, close] : closes) {
        SCOPED_TRACE(way);
        EXPECT_TRUE(WithDialog([&close](HWND dialog) {
            Click(dialog, IDC_RBALLSONGS);
            Type(dialog, IDC_CBFORMAT, L"%title%");
            SendMessageW(Control(dialog, IDC_CBOVERWRITE), CB_SETCURSEL, 0, 0);
            close(dialog);
        }));
        EXPECT_EQ(ShownOnOpening(), (Shown{false, L"10", true, DefaultPattern, 2}));
    }
    EXPECT_EQ(StoredAfterTheNextSave(),
              (std::vector<std::optional<std::wstring>>{L"10", DefaultPattern, L"2"}));
}

TEST_F(PreferencesDialogTest, HelpShowsTheHelpText) {
    Start();
    EXPECT_FALSE(WithDialog([](HWND dialog) { Click(dialog, IDC_BTNHELP); }));
    ExpectOneBox(
        L"You can limit the number of tracks read from the iPod database by entering the maximum "
        L"number in the\r\n"
        L"corresponding field.  If you select 'All Tracks', all tracks from the iPod database will "
        L"be loaded and dislplayed.\r\n"
        L"\r\n"
        L"File Format field is used to specify the format of the extracted tracks.  The following "
        L"substitutions will be made:\r\n"
        L"        %tracknumber% - track number\r\n"
        L"        %title% - track title\r\n"
        L"        %artist% - track artist\r\n"
        L"        %album% - track album\r\n"
        L"All other characters will be used as is in the filename",
        MB_OK | MB_ICONINFORMATION);
}

// As a new user starts: the welcome question offers the preferences, and the
// limit chosen there shapes the next load.
TEST_F(PreferencesDialogTest, FirstStartOffersThePreferencesWhoseLimitShapesTheNextLoad) {
    SettingsKey::Delete();
    const std::filesystem::path database = TMainForm::TestLoadPath;
    std::filesystem::create_directories(database.parent_path());
    std::vector<itdb::Track> tracks(5);
    ASSERT_TRUE(itdb::WriteFile(database.string(), itdb::RealisticDatabase(tracks)));
    MessageBoxRecorder yes(IDYES);
    WhenWindowShows dialog(DialogCaption, [](HWND shown) {
        Click(shown, IDC_RBMAXSONGS);
        Type(shown, IDC_TXTSONGLIMIT, L"2");
        Click(shown, IDOK);
    });

    Start();

    ASSERT_TRUE(dialog.Shown());
    ASSERT_EQ(yes.Requests().size(), 1u);
    EXPECT_EQ(yes.Requests()[0].Caption, L"Welcome to Trackhaul");
    EXPECT_EQ(SettingsKey::Read(L"FirstRun"), L"0");
    Command(ID_TOOLBUTTON14);
    EXPECT_EQ(SendMessageW(form_->TrackList(), LVM_GETITEMCOUNT, 0, 0), 2);
    std::filesystem::remove(database);
}

}  // namespace
