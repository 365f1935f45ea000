// Base of the tests that drive a main window of their own. Each starts from
// an empty settings key with the first run behind it; commands go through
// the window's own message queue, as menus, buttons and shortcuts send them.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "app/mainform.h"
#include "app_test_support.h"

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SettingsKey::Delete();
        SettingsKey::Write(L"FirstRun", L"0");
    }
    void TearDown() override {
        form_.reset();
        DiscardQuitRequest();
    }

    TMainForm& Start() {
        form_ = std::make_unique<TMainForm>();
        form_->Show(SW_SHOWNOACTIVATE);
        PumpMessages();
        return *form_;
    }
    void Command(int id) {
        PostMessageW(form_->Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
        PumpMessages();
    }

    std::unique_ptr<TMainForm> form_;
};
