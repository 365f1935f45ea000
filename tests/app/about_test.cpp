// The About dialog, opened through the main window's command and inspected
// from inside its own modal loop.
#include "app/about.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/commands.h"
#include "app/mainform.h"
#include "app/resource_ids.h"
#include "app_test_support.h"
#include "win/wide_text.h"

namespace {

// The label's text in the ANSI code page (1252 in the test prefix).
const std::string AboutText =
    "Trackhaul - Version 0.1b\r\n"
    "Copyright \xA9 2006 Marrowfen\r\n"
    "\r\n"
    "This program is free software and comes without warranty of any kind. You use it at your "
    "own risk.  Marrowfen shall not  be liable for any loss of data or other damage arising "
    "from its use.\r\n"
    "\r\n"
    "Questions and bug reports: trackhaul@marrowfen.example\r\n"
    "\r\n"
    "iPod\x99 is a trademark of its owner.";

const std::string RevisionHistory =
    "Trackhaul\r\n"
    "=========\r\n"
    "\r\n"
    "Version 0.1a\r\n"
    "-------------------\r\n"
    "* Initial revision.\r\n"
    "\r\n"
    "Version 0.1b\r\n"
    "-------------------\r\n"
    "* Major reword to correctly handle unicode and accented \r\n"
    "characters.\r\n"
    "* Exported track list is now in unicode text.\r\n"
    "* Fixed a bug trying to use special characters in filenames.\r\n"
    "* Added progress bar displayed while copying files.\r\n"
    "* Added functionality to use Windows XP visual styles.\r\n"
    "* Known bug: unicode filename is not displayed correctly in status \r\n"
    "bar during extraction.";

// Shown or hidden by the dialog: the dialog itself appears only once its
// modal loop first goes idle.
bool Shown(HWND control) {
    return (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

HWND FindAboutDialog() {
    return FindWindowW(L"#32770", L"About Trackhaul");
}

RECT ClientBounds(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class AboutFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        SettingsKey::Delete();
        SettingsKey::Write(L"FirstRun", L"0");
        form_ = std::make_unique<TMainForm>();
        form_->Show(SW_SHOWNOACTIVATE);
        PumpMessages();
    }
    void TearDown() override {
        form_.reset();
        DiscardQuitRequest();
    }

    // Opens the dialog by the main window's command, runs `inspect` while it
    // is open, then presses `closeKey` in it. True when the dialog was found
    // open and is gone afterwards.
    bool WithAboutDialog(const std::function<void(HWND)>& inspect, WPARAM closeKey = VK_ESCAPE) {
        bool found = false;
        PostMessageW(form_->Handle(), WM_COMMAND, MAKEWPARAM(ID_HELP_ABOUT, 0), 0);
        RunInNextMessageLoop([&] {
            HWND dialog = FindAboutDialog();
            found = dialog != nullptr;
            if (!found) {
                return;
            }
            inspect(dialog);
            HWND focus = GetFocus();
            PostMessageW(focus != nullptr ? focus : dialog, WM_KEYDOWN, closeKey, 0);
        });
        PumpMessages();
        return found && FindAboutDialog() == nullptr;
    }

    MessageBoxRecorder boxes_;
    std::unique_ptr<TMainForm> form_;
};

TEST_F(AboutFormTest, ShowsTheAboutTextByteForByte) {
    EXPECT_TRUE(WithAboutDialog([](HWND dialog) {
        const std::wstring label = win::WindowText(GetDlgItem(dialog, IDC_LBLABOUT));
        EXPECT_EQ(win::AnsiFromWide(label), AboutText);
        EXPECT_NE(label.find(L"iPod\u2122 is"), std::wstring::npos);
    }));
}

TEST_F(AboutFormTest, ShowsTheRevisionHistoryReadOnlyWithAScrollBar) {
    EXPECT_TRUE(WithAboutDialog([](HWND dialog) {
        HWND history = GetDlgItem(dialog, IDC_TXTREVISION);
        EXPECT_EQ(win::AnsiFromWide(win::WindowText(history)), RevisionHistory);
        const LONG_PTR style = GetWindowLongPtrW(history, GWL_STYLE);
        EXPECT_TRUE(style & ES_READONLY);
        EXPECT_TRUE(style & ES_MULTILINE);
        EXPECT_TRUE(style & WS_VSCROLL);
        EXPECT_FALSE(style & WS_TABSTOP);
        EXPECT_FALSE(style & ES_AUTOHSCROLL);  // word-wrapped
    }));
}

TEST_F(AboutFormTest, HasItsCaptionSizeTabsAndButton) {
    EXPECT_TRUE(WithAboutDialog([](HWND dialog) {
        EXPECT_EQ(win::WindowText(dialog), L"About Trackhaul");
        RECT client{};
        GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, 373);
        EXPECT_EQ(client.bottom, 299);
        const LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
        EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

        HWND tabs = GetDlgItem(dialog, IDC_PAGECONTROL);
        const RECT tabBounds = ClientBounds(tabs);
        EXPECT_EQ(tabBounds.left, 8);
        EXPECT_EQ(tabBounds.top, 8);
        EXPECT_EQ(tabBounds.right - tabBounds.left, 353);
        EXPECT_EQ(tabBounds.bottom - tabBounds.top, 241);
        ASSERT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
        for (int index = 0; index < 2; ++index) {
            wchar_t text[64] = {};
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = 64;
            SendMessageW(tabs, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
            EXPECT_STREQ(text, index == 0 ? L"About Trackhaul" : L"Revision History");
        }
        EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0);
        EXPECT_TRUE(Shown(GetDlgItem(dialog, IDC_LBLABOUT)));
        EXPECT_FALSE(Shown(GetDlgItem(dialog, IDC_TXTREVISION)));
        EXPECT_NE(SendMessageW(GetDlgItem(dialog, IDC_IMAGE1), STM_GETICON, 0, 0), 0);

        const RECT ok = ClientBounds(GetDlgItem(dialog, IDOK));
        EXPECT_EQ(ok.left, 280);
        EXPECT_EQ(ok.top, 264);
        EXPECT_EQ(ok.right - ok.left, 83);
        EXPECT_EQ(ok.bottom - ok.top, 25);
        EXPECT_EQ(win::WindowText(GetDlgItem(dialog, IDOK)), L"&OK");
    }));
}

TEST_F(AboutFormTest, OpensOnTheFirstTabWithTheSameTextEveryTime) {
    std::wstring first;
    EXPECT_TRUE(WithAboutDialog([&](HWND dialog) {
        first = win::WindowText(GetDlgItem(dialog, IDC_LBLABOUT));
        HWND tabs = GetDlgItem(dialog, IDC_PAGECONTROL);
        SendMessageW(tabs, TCM_SETCURFOCUS, 1, 0);  // the user picks the second tab
        EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 1);
        EXPECT_TRUE(Shown(GetDlgItem(dialog, IDC_TXTREVISION)));
        EXPECT_FALSE(Shown(GetDlgItem(dialog, IDC_LBLABOUT)));
    }));
    EXPECT_TRUE(WithAboutDialog([&](HWND dialog) {
        EXPECT_EQ(SendMessageW(GetDlgItem(dialog, IDC_PAGECONTROL), TCM_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(win::WindowText(GetDlgItem(dialog, IDC_LBLABOUT)), first);
    }));
}

TEST_F(AboutFormTest, EnterOnTheOkButtonClosesItToo) {
    EXPECT_TRUE(
        WithAboutDialog([](HWND dialog) { SetFocus(GetDlgItem(dialog, IDOK)); }, VK_RETURN));
}

}  // namespace
