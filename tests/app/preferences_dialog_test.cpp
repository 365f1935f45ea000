// The preferences dialog, opened by the main window's Preferences command and
// by the first start's welcome question, driven from inside its own loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "app/commands.h"
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
const std::vector<std::wstring> OfferedFolderPatterns{L"(none)", L"%artist%", L"%artist%\\%album%",
                                                      L"%album%", L"%artist% - %album%"};

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
// is enabled, the pattern, the policy, the sub-folders, whether covers are
// saved.
using Shown = std::tuple<bool, std::wstring, bool, std::wstring, LRESULT, std::wstring, bool>;

Shown Read(HWND dialog) {
    return {IsDlgButtonChecked(dialog, IDC_RBALLSONGS) == BST_CHECKED &&
                IsDlgButtonChecked(dialog, IDC_RBMAXSONGS) == BST_UNCHECKED,
            Text(dialog, IDC_TXTSONGLIMIT),
            IsWindowEnabled(GetDlgItem(dialog, IDC_TXTSONGLIMIT)),
            Text(dialog, IDC_CBFORMAT),
            SendDlgItemMessageW(dialog, IDC_CBOVERWRITE, CB_GETCURSEL, 0, 0),
            Text(dialog, IDC_CBFOLDERFORMAT),
            IsDlgButtonChecked(dialog, CheckBoxIdOf(&SettingsValues::SaveAlbumArt)) == BST_CHECKED};
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
    // The limit, pattern, policy, folder pattern and cover saving in the
    // registry after a save of any kind.
    Stored StoredAfterTheNextSave() {
        Command(ID_VIEW_TOOLBAR);
        return {SettingsKey::Read(L"TrackLimit"), SettingsKey::Read(L"FileFormat"),
                SettingsKey::Read(L"OverwriteFiles"), SettingsKey::Read(L"FolderFormat"),
                SettingsKey::Read(L"SaveAlbumArt")};
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
        EXPECT_EQ(std::pair(client.right, client.bottom), std::pair(377L, 375L));
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
            {IDC_GROUPBOX2, {16, 96, 353, 321}, L" Extract Tracks From iPod "},
            {IDC_PREFERENCES_LABEL1, {32, 128, 114, 141}, L"File Format:"},
            {IDC_CBFORMAT, {114, 124, 329, 0}, L"%tracknumber% - %title% - %artist%"},
            {IDC_PREFERENCES_LABEL2, {32, 160, 114, 173}, L"Overwrite Files:"},
            {IDC_CBOVERWRITE, {114, 156, 329, 0}, L"Always Prompt"},
            {IDC_PREFERENCES_LABEL3, {32, 192, 114, 205}, L"Sub-Folders:"},
            {IDC_CBFOLDERFORMAT, {114, 188, 329, 0}, L"(none)"},
            {CheckBoxIdOf(&SettingsValues::SaveAlbumArt),
             {32, 220, 329, 237},
             L"Save album art as folder.jpg"},
            {CheckBoxIdOf(&SettingsValues::WriteRatings),
             {32, 244, 329, 261},
             L"Write ratings and play counts into the copies"},
            {CheckBoxIdOf(&SettingsValues::WriteLibrary),
             {32, 268, 329, 285},
             L"Write playlists and Library.xml after extracting"},
            {CheckBoxIdOf(&SettingsValues::WriteHistory),
             {32, 292, 329, 309},
             L"Write the listening history with each extraction"},
            {IDOK, {71, 336, 146, 361}, L"&OK"},
            {IDCANCEL, {147, 336, 222, 361}, L"&Cancel"},
            {IDC_BTNHELP, {222, 336, 297, 361}, L"&Help"},
        };
        std::vector<int> tabOrder;
        for (HWND control = GetDlgItem(dialog, IDC_RBALLSONGS); tabOrder.size() < 13;
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
        EXPECT_EQ(tabOrder, (std::vector<int>{IDC_RBALLSONGS, IDC_RBMAXSONGS, IDC_TXTSONGLIMIT,
                                              IDC_CBFORMAT, IDC_CBOVERWRITE, IDC_CBFOLDERFORMAT,
                                              CheckBoxIdOf(&SettingsValues::SaveAlbumArt),
                                              CheckBoxIdOf(&SettingsValues::WriteRatings),
                                              CheckBoxIdOf(&SettingsValues::WriteLibrary),
                                              CheckBoxIdOf(&SettingsValues::WriteHistory), IDOK,
                                              IDCANCEL, IDC_BTNHELP}));
        EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), IDOK);
        EXPECT_EQ(Entries(dialog, IDC_CBFORMAT), OfferedPatterns);
        EXPECT_EQ(
            Entries(dialog, IDC_CBOVERWRITE),
            (std::vector<std::wstring>{L"Always Overwrite", L"Never Overwrite", L"Always Prompt"}));
        EXPECT_EQ(Entries(dialog, IDC_CBFOLDERFORMAT), OfferedFolderPatterns);
    });
}

// Opening shows the stored limit, "All" for a negative one, the stored
// pattern also when the list lacks it, and the stored policy.
TEST_F(PreferencesDialogTest, OpensWithTheStoredSettingsAndItsRadioButtonsSwitchTheField) {
    const struct {
        const wchar_t* stored;
        Shown opening;
        const wchar_t* limitAfterClicks;
    } cases[] = {{L"50", {false, L"50", true, DefaultPattern, 1, L"(none)", true}, L"50"},
                 {L"0", {false, L"0", true, DefaultPattern, 1, L"(none)", true}, L""},
                 {L"-1", {true, L"All", false, DefaultPattern, 1, L"(none)", true}, L""}};
    for (const auto& [stored, opening, limitAfterClicks] : cases) {
        StartWith({{L"TrackLimit", stored}, {L"OverwriteFiles", L"1"}, {L"SaveAlbumArt", L"1"}});
        WithDialog([&](HWND dialog) {
            EXPECT_EQ(Read(dialog), opening);
            Click(dialog, IDC_RBALLSONGS);
            EXPECT_EQ(Read(dialog), Shown(true, L"All", false, DefaultPattern, 1, L"(none)", true));
            Click(dialog, IDC_RBMAXSONGS);
            EXPECT_EQ(Read(dialog),
                      Shown(false, limitAfterClicks, true, DefaultPattern, 1, L"(none)", true));
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
    EXPECT_EQ(StoredAfterTheNextSave(), (Stored{L"-1", DefaultPattern, L"2", L"", L"0"}));
}

TEST_F(PreferencesDialogTest, OkStoresTheChoicesAtOnceAndCloses) {
    const struct {
        int choice;
        const wchar_t* limit;
        std::wstring pattern;
        int policy;
        const wchar_t* folders;  // typed into the box; none: left as shown
        Stored stored;
    } cases[] = {
        {IDC_RBMAXSONGS,
         L"25",
         OfferedPatterns[3],
         0,
         L"%artist%\\%album%",
         {L"25", OfferedPatterns[3], L"0", L"%artist%\\%album%", L"1"}},
        {IDC_RBALLSONGS, L"abc", L"", 1, nullptr, {L"-1", L"", L"1", L"%artist%\\%album%", L"1"}},
        {IDC_RBMAXSONGS,
         L"+2147483647",
         L"%album%_x",
         2,
         L"Music\\%ALBUM%\\x\\%title% y",
         {L"2147483647", L"%album%_x", L"2", L"Music\\%ALBUM%\\x\\%title% y", L"1"}},
        {IDC_RBALLSONGS, L"", L"%title%", 2, L"", {L"-1", L"%title%", L"2", L"", L"1"}},
    };
    for (const auto& [choice, limit, pattern, policy, folders, stored] : cases) {
        StartWith({{L"SaveAlbumArt", L"0"}});
        EXPECT_TRUE(WithDialog([&](HWND dialog) {
            Click(dialog, choice);
            Type(dialog, IDC_TXTSONGLIMIT, limit);
            Type(dialog, IDC_CBFORMAT, pattern);
            ChoosePolicy(dialog, policy);
            if (folders) {
                Type(dialog, IDC_CBFOLDERFORMAT, folders);
            }
            Click(dialog, CheckBoxIdOf(&SettingsValues::SaveAlbumArt));
            Click(dialog, IDOK);
            EXPECT_EQ(SettingsKey::Read(L"TrackLimit"), stored[0]);
        }));
        EXPECT_EQ(StoredAfterTheNextSave(), stored);
    }
    EXPECT_TRUE(boxes_.Requests().empty());
}

// Nothing is stored before every field passes: after a refused pattern, Cancel,
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
            Type(dialog, IDC_CBFOLDERFORMAT, L"%artist%");
            Click(dialog, CheckBoxIdOf(&SettingsValues::SaveAlbumArt));
            Click(dialog, IDOK);
            EXPECT_TRUE(HasFocus(dialog, IDC_CBFORMAT));
            close(dialog);
        }));
        EXPECT_EQ(ShownOnOpening(), Shown(false, L"10", true, DefaultPattern, 2, L"(none)", false));
    }
    ExpectBoxes(3, L"File format cannot contain characters  \\ / : * ? \" < > | ",
                MB_OK | MB_ICONERROR);
    EXPECT_EQ(StoredAfterTheNextSave(), (Stored{L"10", DefaultPattern, L"2", L"", L"0"}));
}

// Every other field is fine: the folder pattern alone keeps everything from
// being stored, and the box has the focus after each refusal.
TEST_F(PreferencesDialogTest, RefusedFolderPatternKeepsTheDialogOpenAndStoresNothing) {
    StartWith({{L"TrackLimit", L"10"}, {L"FolderFormat", L"%album%"}});
    const std::vector<std::wstring> refused{
        L"%artist%/%album%", L"C:\\%artist%",        L"%artist%*",     L"%artist%?",
        L"\"%artist%\"",     L"<%artist%>",          L"a|b",           L"\\%artist%",
        L"%artist%\\",       L"%artist%\\\\%album%", L"a\\b\\c\\d\\e", L"\\"};
    EXPECT_TRUE(WithDialog([&refused](HWND dialog) {
        Type(dialog, IDC_TXTSONGLIMIT, L"25");
        Type(dialog, IDC_CBFORMAT, L"%title%");
        ChoosePolicy(dialog, 0);
        for (const std::wstring& folders : refused) {
            Type(dialog, IDC_CBFOLDERFORMAT, folders);
            Click(dialog, IDOK);
            EXPECT_TRUE(HasFocus(dialog, IDC_CBFOLDERFORMAT));
        }
        Click(dialog, IDCANCEL);
    }));
    ExpectBoxes(refused.size(),
                L"Sub-folders cannot contain characters  / : * ? \" < > | , begin or end with \\, "
                L"hold \\\\ or have more than 4 levels",
                MB_OK | MB_ICONERROR);
    EXPECT_EQ(ShownOnOpening(), Shown(false, L"10", true, DefaultPattern, 2, L"%album%", false));
    EXPECT_EQ(StoredAfterTheNextSave(), (Stored{L"10", DefaultPattern, L"2", L"%album%", L"0"}));
}

// The box shows the stored folder pattern, also one that the list lacks,
// and "(none)" for none or for a stored pattern that cannot be used; what
// OK stores is shown again after a restart.
TEST_F(PreferencesDialogTest, ShowsTheStoredFolderPatternAcrossARestart) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"", L"(none)"},
        {L"%artist%\\%album%", L"%artist%\\%album%"},
        {L"Music\\%artist%\\%album%\\%title%", L"Music\\%artist%\\%album%\\%title%"},
        {L"a\\b\\c\\d\\e", L"(none)"},
        {L"%artist%\\", L"(none)"},
        {L"%artist%:%album%", L"(none)"},
    };
    for (const auto& [stored, shown] : cases) {
        StartWith({{L"FolderFormat", stored}});
        EXPECT_EQ(std::get<5>(ShownOnOpening()), shown) << stored;
    }
    EXPECT_TRUE(WithDialog([](HWND dialog) {
        SendDlgItemMessageW(dialog, IDC_CBFOLDERFORMAT, CB_SETCURSEL, 2, 0);
        Click(dialog, IDOK);
    }));
    StartWith({});
    EXPECT_EQ(std::get<5>(ShownOnOpening()), L"%artist%\\%album%");
    EXPECT_TRUE(WithDialog([](HWND dialog) {
        SendDlgItemMessageW(dialog, IDC_CBFOLDERFORMAT, CB_SETCURSEL, 0, 0);
        Click(dialog, IDOK);
    }));
    StartWith({});
    EXPECT_EQ(std::get<5>(ShownOnOpening()), L"(none)");
    EXPECT_EQ(SettingsKey::Read(L"FolderFormat"), L"");
}

// Each check box shows its stored setting and stores what it shows on OK.
TEST_F(PreferencesDialogTest, EachCheckBoxShowsAndStoresItsSetting) {
    const std::pair<int, const wchar_t*> checkBoxes[] = {
        {CheckBoxIdOf(&SettingsValues::SaveAlbumArt), L"SaveAlbumArt"},
        {CheckBoxIdOf(&SettingsValues::WriteRatings), L"WriteRatings"},
        {CheckBoxIdOf(&SettingsValues::WriteLibrary), L"WriteLibrary"},
        {CheckBoxIdOf(&SettingsValues::WriteHistory), L"WriteHistory"}};
    for (const auto& [id, setting] : checkBoxes) {
        for (const wchar_t* stored : {L"0", L"1"}) {
            StartWith({{setting, stored}});
            EXPECT_TRUE(WithDialog([&, id = id](HWND dialog) {
                EXPECT_EQ(IsDlgButtonChecked(dialog, id),
                          stored[0] == L'1' ? BST_CHECKED : BST_UNCHECKED);
                Click(dialog, id);
                Click(dialog, IDOK);
            }));
            EXPECT_EQ(SettingsKey::Read(setting), stored[0] == L'1' ? L"0" : L"1");
        }
    }
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
        L"All other characters will be used as is in the filename\r\n"
        L"Sub-Folders field sorts the tracks into folders named the same way, levels separated by "
        L"\\ (up to 4), for example %artist%\\%album%\r\n"
        L"Save album art as folder.jpg writes each album's cover into its sub-folder; with "
        L"Sub-Folders (none) no picture is written\r\n"
        L"Write ratings and play counts into the copies puts each track's stars and plays into "
        L"the tags of its MP3 or MP4 copy, where Windows and other players read them; the iPod's "
        L"files are never changed\r\n"
        L"Write playlists and Library.xml after extracting ends each extraction by writing the "
        L"playlists and the library file, with ratings, plays and dates, into its folder\r\n"
        L"Write the listening history with each extraction writes the plays made on the iPod "
        L"since its last sync into the folder, as .scrobbler.log for Last.fm and listens.json "
        L"for ListenBrainz",
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
