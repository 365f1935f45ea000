// The preferences dialog, opened by the main window's Preferences command and
// by the first start's welcome question, driven from inside its own loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
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
const std::vector<std::wstring> OfferedPatterns{L"%tracknumber% - %artist% - %title%",
                                                L"%tracknumber% - %title%",
                                                L"%tracknumber% - %album% - %title%",
                                                L"%tracknumber% - %album% - %artist% - %title%",
                                                L"%artist% - %title%",
                                                L"%title%",
                                                L"%album% - %title%",
                                                L"%album% - %artist% - %title%"};

std::wstring Text(HWND dialog, int id) {
    return win::WindowText(GetDlgItem(dialog, id));
}
void Type(HWND dialog, int id, const std::wstring& text) {
    SetDlgItemTextW(dialog, id, text.c_str());
}
void Click(HWND dialog, int id) {
    SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0);
}
void ChoosePolicy(HWND dialog, int policy) {
    SendDlgItemMessageW(dialog, IDC_CBOVERWRITE, CB_SETCURSEL, policy, 0);
}
bool HasFocus(HWND dialog, int id) {
    return GetFocus() == GetDlgItem(dialog, id) || IsChild(GetDlgItem(dialog, id), GetFocus());
}

std::vector<std::wstring> Entries(HWND dialog, int id) {
    std::vector<std::wstring> entries;
    for (int index = 0; index < SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0); ++index) {
        std::wstring text(SendDlgItemMessageW(dialog, id, CB_GETLBTEXTLEN, index, 0) + 1, L'\0');
        SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        entries.push_back(text.c_str());
    }
    return entries;
}

// What the controls show: all tracks chosen, the limit field and whether it
// is enabled, the pattern, the policy.
using Shown = std::tuple<bool, std::wstring, bool, std::wstring, LRESULT>;

Shown Read(HWND dialog) {
    return {IsDlgButtonChecked(dialog, IDC_RBALLSONGS) == BST_CHECKED &&
                IsDlgButtonChecked(dialog, IDC_RBMAXSONGS) == BST_UNCHECKED,
            Text(dialog, IDC_TXTSONGLIMIT), IsWindowEnabled(GetDlgItem(dialog, IDC_TXTSONGLIMIT)),
            Text(dialog, IDC_CBFORMAT),
            SendDlgItemMessageW(dialog, IDC_CBOVERWRITE, CB_GETCURSEL, 0, 0)};
}

using Stored = std::vector<std::optional<std::wstring>>;

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
        return closed;
    }
    Shown ShownOnOpening() {
        Shown shown;
        WithDialog([&shown](HWND dialog) { shown = Read(dialog); });
        return shown;
    }
    // The limit, pattern and policy in the registry after a save of any kind.
    Stored StoredAfterTheNextSave() {
        Command(ID_VIEW_TOOLBAR);
        return {SettingsKey::Read(L"TrackLimit"), SettingsKey::Read(L"FileFormat"),
                SettingsKey::Read(L"OverwriteFiles")};
    }
    void ExpectBoxes(size_t count, const std::wstring& text, UINT style) const {
        ASSERT_EQ(boxes_.Requests().size(), count);
        for (const win::MessageBoxRequest& box : boxes_.Requests()) {
            EXPECT_EQ(box.Text, text);
            EXPECT_EQ(box.Caption, L"Trackhaul");
            EXPECT_EQ(box.Style, style);
        }
    }

    MessageBoxRecorder boxes_;
};

TEST_F(PreferencesDialogTest, HasItsCaptionLayoutListsAndTabOrder) {
    StartWith({{L"TrackLimit", L"50"}});
    WithDialog([](HWND dialog) {
        EXPECT_EQ(win::WindowText(dialog), DialogCaption);
        RECT client{};
        GetClientRect(dialog, &client);
        EXPECT_EQ(std::pair(client.right, client.bottom), std::pair(377L, 247L));
        EXPECT_FALSE(GetWindowLongPtrW(dialog, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX));
        const struct {
            int id;
            RECT bounds;  // the boxes' heights are their font's
            const wchar_t* text;
        } controls[] = {
            {IDC_GROUPBOX1, {16, 16, 353, 81}, L" Read Tracks From iPod Database "},
            {IDC_RBALLSONGS, {48, 48, 121, 65}, L"&All Tracks"},
            {IDC_RBMAXSONGS, {144, 48, 241, 65}, L"Limit Tracks To:"},
            {IDC_TXTSONGLIMIT, {248, 45, 313, 66}, L"50"},
            {IDC_GROUPBOX2, {16, 96, 353, 193}, L" Extract Tracks From iPod "},
            {IDC_PREFERENCES_LABEL1, {32, 128, 114, 141}, L"File Format:"},
            {IDC_CBFORMAT, {114, 124, 329, 0}, L"%tracknumber% - %title% - %artist%"},
            {IDC_PREFERENCES_LABEL2, {32, 160, 114, 173}, L"Overwrite Files:"},
            {IDC_CBOVERWRITE, {114, 156, 329, 0}, L"Always Prompt"},
            {IDOK, {71, 208, 146, 233}, L"&OK"},
            {IDCANCEL, {147, 208, 222, 233}, L"&Cancel"},
            {IDC_BTNHELP, {222, 208, 297, 233}, L"&Help"},
        };
        std::vector<int> tabOrder;
        for (HWND control = GetDlgItem(dialog, IDC_RBALLSONGS); tabOrder.size() < 8;
             control = GetNextDlgTabItem(dialog, control, FALSE)) {
            tabOrder.push_back(GetDlgCtrlID(control));
        }
        for (const auto& [id, bounds, text] : controls) {
            RECT actual{};
            GetWindowRect(GetDlgItem(dialog, id), &actual);
            MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&actual), 2);
            actual.bottom = bounds.bottom == 0 ? 0 : actual.bottom;
            EXPECT_TRUE(EqualRect(&actual, &bounds)) << id;
            EXPECT_EQ(Text(dialog, id), text) << id;
        }
        EXPECT_EQ(tabOrder,
                  (std::vector<int>{IDC_RBALLSONGS, IDC_RBMAXSONGS, IDC_TXTSONGLIMIT, IDC_CBFORMAT,
                                    IDC_CBOVERWRITE, IDOK, IDCANCEL, IDC_BTNHELP}));
        EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), IDOK);
        EXPECT_EQ(Entries(dialog, IDC_CBFORMAT), OfferedPatterns);
        EXPECT_EQ(
            Entries(dialog, IDC_CBOVERWRITE),
            (std::vector<std::wstring>{L"Always Overwrite", L"Never Overwrite", L"Always Prompt"}));
    });
}

// Opening shows the stored limit, "All" for a negative one, the stored
// pattern also when the list lacks it, and the stored policy.
TEST_F(PreferencesDialogTest, OpensWithTheStoredSettingsAndItsRadioButtonsSwitchTheField) {
    const struct {
        const wchar_t* stored;
        Shown opening;
        const wchar_t* limitAfterClicks;
    } cases[] = {{L"50", {false, L"50", true, DefaultPattern, 1}, L"50"},
                 {L"0", {false, L"0", true, DefaultPattern, 1}, L""},
                 {L"-1", {true, L"All", false, DefaultPattern, 1}, L""}};
    for (const auto& [stored, opening, limitAfterClicks] : cases) {
        StartWith({{L"TrackLimit", stored}, {L"OverwriteFiles", L"1"}});
        WithDialog([&](HWND dialog) {
            EXPECT_EQ(Read(dialog), opening);
            Click(dialog, IDC_RBALLSONGS);
            EXPECT_EQ(Read(dialog), Shown(true, L"All", false, DefaultPattern, 1));
            Click(dialog, IDC_RBMAXSONGS);
            EXPECT_EQ(Read(dialog), Shown(false, limitAfterClicks, true, DefaultPattern, 1));
            Type(dialog, IDC_TXTSONGLIMIT, L"70");
            Click(dialog, IDC_RBMAXSONGS);  // already checked: the typed limit stays
            EXPECT_EQ(Text(dialog, IDC_TXTSONGLIMIT), L"70");
        });
    }
}

TEST_F(PreferencesDialogTest, RefusedLimitKeepsTheDialogOpenWithTheFieldFocused) {
    StartWith({{L"TrackLimit", L"-1"}});
    const std::vector<std::wstring> refused{L"",           L"0",  L"abc", L"12.5", L"12345678901",
                                            L"2147483648", L"-5", L" 5"};
    EXPECT_FALSE(WithDialog([&refused](HWND dialog) {
        Click(dialog, IDC_RBMAXSONGS);  // the stored -1 leaves the field empty
        for (const std::wstring& limit : refused) {
            Type(dialog, IDC_TXTSONGLIMIT, limit);
            Click(dialog, IDOK);
            EXPECT_TRUE(HasFocus(dialog, IDC_TXTSONGLIMIT));
        }
    }));
    ExpectBoxes(refused.size(), L"Please enter a valid non-negative track limit.",
                MB_OK | MB_ICONERROR);
    EXPECT_EQ(StoredAfterTheNextSave(), (Stored{L"-1", DefaultPattern, L"2"}));
}

TEST_F(PreferencesDialogTest, OkStoresTheChoicesAtOnceAndCloses) {
    const struct {
        int choice;
        const wchar_t* limit;
        std::wstring pattern;
        int policy;
        Stored stored;
    } cases[] = {
        {IDC_RBMAXSONGS, L"25", OfferedPatterns[3], 0, {L"25", OfferedPatterns[3], L"0"}},
        {IDC_RBALLSONGS, L"abc", L"", 1, {L"-1", L"", L"1"}},
        {IDC_RBMAXSONGS, L"+2147483647", L"%album%_x", 2, {L"2147483647", L"%album%_x", L"2"}},
    };
    for (const auto& [choice, limit, pattern, policy, stored] : cases) {
        StartWith({});
        EXPECT_TRUE(WithDialog([&](HWND dialog) {
            Click(dialog, choice);
            Type(dialog, IDC_TXTSONGLIMIT, limit);
            Type(dialog, IDC_CBFORMAT, pattern);
            ChoosePolicy(dialog, policy);
            Click(dialog, IDOK);
            EXPECT_EQ(SettingsKey::Read(L"TrackLimit"), stored[0]);
        }));
        EXPECT_EQ(StoredAfterTheNextSave(), stored);
    }
    EXPECT_TRUE(boxes_.Requests().empty());
}

// Nothing is stored before both fields pass: after a refused pattern, Cancel,
// Esc or the close box leave every setting as it was, in memory and stored.
TEST_F(PreferencesDialogTest, RefusedPatternThenCancelEscOrCloseBoxChangeNothing) {
    const std::function<void(HWND)> closes[] = {
        [](HWND dialog) { Click(dialog, IDCANCEL); },
        [](HWND dialog) {  // as the dialog's loop hands the key over
            MSG escape{GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
            IsDialogMessageW(dialog, &escape);
        },
        [](HWND dialog) {
            SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            MSG posted{};  // the dialog posts itself the Cancel command
            while (PeekMessageW(&posted, dialog, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&posted);
            }
        },
    };
    StartWith({{L"TrackLimit", L"10"}});
    for (const auto& close : closes) {
        EXPECT_TRUE(WithDialog([&close](HWND dialog) {
            Type(dialog, IDC_TXTSONGLIMIT, L"25");
            Type(dialog, IDC_CBFORMAT, L"%artist%/%title%");
            ChoosePolicy(dialog, 0);
            Click(dialog, IDOK);
            EXPECT_TRUE(HasFocus(dialog, IDC_CBFORMAT));
            close(dialog);
        }));
        EXPECT_EQ(ShownOnOpening(), Shown(false, L"10", true, DefaultPattern, 2));
    }
    ExpectBoxes(3, L"File format cannot contain characters  \\ / : * ? \" < > | ",
                MB_OK | MB_ICONERROR);
    EXPECT_EQ(StoredAfterTheNextSave(), (Stored{L"10", DefaultPattern, L"2"}));
}

TEST_F(PreferencesDialogTest, HelpShowsTheHelpText) {
    Start();
    EXPECT_FALSE(WithDialog([](HWND dialog) { Click(dialog, IDC_BTNHELP); }));
    ExpectBoxes(
        1,
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
    ASSERT_TRUE(itdb::WriteFile(database.string(), itdb::RealisticDatabase({5, itdb::Track{}})));
    MessageBoxRecorder yes(IDYES);
    WhenWindowShows dialog(DialogCaption, [](HWND shown) {
        Click(shown, IDC_RBMAXSONGS);
        Type(shown, IDC_TXTSONGLIMIT, L"2");
        Click(shown, IDOK);
    });

    Start();
    Command(ID_TOOLBUTTON14);

    EXPECT_TRUE(dialog.Shown());
    EXPECT_EQ(yes.Requests().at(0).Caption, L"Welcome to Trackhaul");
    EXPECT_EQ(SettingsKey::Read(L"FirstRun"), L"0");
    EXPECT_EQ(SendMessageW(form_->TrackList(), LVM_GETITEMCOUNT, 0, 0), 2);
    std::filesystem::remove(database);
}

}  // namespace
