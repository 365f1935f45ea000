// The thin Windows helpers: the one message box function with its hook and
// the exception box, and the guard of long operations.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "app_test_support.h"
#include "win/message_box.h"
#include "win/reentrancy_guard.h"

namespace {

TEST(MessageBoxTest, EveryBoxCarriesTheApplicationTitleAndGoesThroughTheHook) {
    MessageBoxRecorder boxes(IDYES);
    EXPECT_EQ(win::ShowMessageBox(nullptr, L"Question?", MB_YESNO | MB_ICONQUESTION), IDYES);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].Text, L"Question?");
    EXPECT_EQ(boxes.Requests()[0].Caption, L"Trackhaul");
    EXPECT_EQ(boxes.Requests()[0].Style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
}

TEST(MessageBoxTest, AnInnerHookGivesWayToTheOuterOneWhenItEnds) {
    MessageBoxRecorder outer(IDOK);
    {
        MessageBoxRecorder inner(IDCANCEL);
        EXPECT_EQ(win::ShowMessageBox(nullptr, L"a", MB_OKCANCEL), IDCANCEL);
        EXPECT_EQ(inner.Requests().size(), 1u);
    }
    EXPECT_EQ(win::ShowMessageBox(nullptr, L"b", MB_OKCANCEL), IDOK);
    EXPECT_EQ(outer.Requests().size(), 1u);
}

TEST(ExceptionBoxTest, ShowsTheMessageWithTheErrorIconAndTheProgramGoesOn) {
    MessageBoxRecorder boxes;
    EXPECT_FALSE(win::RunReportingExceptions(
        nullptr, [] { throw std::runtime_error("Failed to set data for 'ShowToolbar'"); }));
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].Text, L"Failed to set data for 'ShowToolbar'");
    EXPECT_EQ(boxes.Requests()[0].Caption, L"Trackhaul");
    EXPECT_EQ(boxes.Requests()[0].Style, static_cast<UINT>(MB_OK | MB_ICONERROR));
}

TEST(ExceptionBoxTest, SomethingThatIsNotAnExceptionShowsAnEmptyMessage) {
    MessageBoxRecorder boxes;
    EXPECT_FALSE(win::RunReportingExceptions(nullptr, [] { throw 42; }));
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].Text, L"");
    EXPECT_EQ(boxes.Requests()[0].Style, static_cast<UINT>(MB_OK | MB_ICONERROR));
}

TEST(ExceptionBoxTest, NothingIsShownWhenNothingIsThrown) {
    MessageBoxRecorder boxes;
    bool ran = false;
    EXPECT_TRUE(win::RunReportingExceptions(nullptr, [&] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(boxes.Requests().empty());
}

class ReentrancyGuardTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    }
    void TearDown() override { DestroyWindow(window_); }
    bool ClosePosted() {
        MSG message{};
        return PeekMessageW(&message, window_, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0;
    }
    HWND window_ = nullptr;
    win::ReentrancyGuard guard_;
};

TEST_F(ReentrancyGuardTest, IdleWindowMayCloseAtOnce) {
    EXPECT_FALSE(guard_.Busy());
    EXPECT_TRUE(guard_.MayCloseNow(window_));
    EXPECT_FALSE(ClosePosted());
}

TEST_F(ReentrancyGuardTest, CloseRequestedMeanwhileIsPostedWhenTheOutermostScopeEnds) {
    {
        win::ReentrancyGuard::Scope outer(guard_);
        {
            win::ReentrancyGuard::Scope inner(guard_);
            EXPECT_FALSE(guard_.MayCloseNow(window_));
            EXPECT_FALSE(guard_.MayCloseNow(window_));
        }
        EXPECT_TRUE(guard_.Busy());
        EXPECT_FALSE(ClosePosted());
    }
    EXPECT_FALSE(guard_.Busy());
    EXPECT_TRUE(ClosePosted());
    EXPECT_FALSE(ClosePosted());  // once only
}

TEST_F(ReentrancyGuardTest, ScopeWithoutACloseRequestPostsNothing) {
    { win::ReentrancyGuard::Scope scope(guard_); }
    EXPECT_FALSE(ClosePosted());
}

}  // namespace
