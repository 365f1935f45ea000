// Helpers for the tests that drive the program's real windows under Wine.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "win/message_box.h"

// The settings key of the current user, read and written as the program
// stores it: string values only.
class SettingsKey {
public:
    static void Delete();
    static void Write(const std::wstring& name, const std::wstring& value);
    static void WriteDword(const std::wstring& name, DWORD value);
    // The stored text, or nothing when the value is absent.
    static std::optional<std::wstring> Read(const std::wstring& name);
};

// Answers every message box instead of showing it, and keeps what was asked.
class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(int answer = IDOK) : MessageBoxRecorder(std::vector<int>{answer}) {}
    // Answers the boxes with `answers` in turn, the last one from then on.
    explicit MessageBoxRecorder(std::vector<int> answers);
    const std::vector<win::MessageBoxRequest>& Requests() const { return requests_; }

private:
    std::vector<win::MessageBoxRequest> requests_;
    std::vector<int> answers_;
    win::ScopedMessageBoxHook hook_;
};

// Dispatches every pending message of this thread, as the message loop would.
void PumpMessages();
// Drops the request to end the message loop that a destroyed main window
// leaves behind, so that later message loops of the test run normally.
void DiscardQuitRequest();

// Runs `action` from inside the next message loop that picks up messages,
// for example the loop of a modal dialog opened by a command posted before.
void RunInNextMessageLoop(std::function<void()> action);

// Runs `action` with the window once a visible top-level window of this
// thread with the caption `caption` exists, from whichever message loop is
// running then: for example the loop of a modal dialog that a command opens
// after letting messages through. Stops watching when it goes.
class WhenWindowShows {
public:
    // Once: the first showing only; EveryTime: each showing while this
    // object lives, for a dialog asked again and again.
    enum class Repeat { Once, EveryTime };
    // `className` narrows the search to windows of that class (the system's
    // dialogs are "#32770"), for a dialog that shares its owner's caption.
    WhenWindowShows(std::wstring caption, std::function<void(HWND)> action,
                    Repeat repeat = Repeat::Once, std::wstring className = L"");
    // The same for such a window that `matches`.
    WhenWindowShows(std::function<bool(HWND)> matches, std::function<void(HWND)> action,
                    Repeat repeat = Repeat::Once);
    WhenWindowShows(const WhenWindowShows&) = delete;
    WhenWindowShows& operator=(const WhenWindowShows&) = delete;
    ~WhenWindowShows();

    bool Shown() const { return shown_ > 0; }
    int TimesShown() const { return shown_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Check();

    std::function<bool(HWND)> matches_;
    std::function<void(HWND)> action_;
    Repeat repeat_;
    HWND watcher_ = nullptr;
    int shown_ = 0;
};

// What a save dialog showed when it opened.
struct SaveDialogView {
    std::wstring Folder;    // the folder it opened in
    std::wstring FileName;  // the text of its name box
    std::wstring FileType;  // the chosen entry of its type list
};

// Answers the next save dialog captioned `caption` from whichever message
// loop runs then: types `fileName` into its name box and presses Save,
// confirming the replacement of a file that exists; with no name, presses
// Cancel.
class SaveDialogAnswer {
public:
    SaveDialogAnswer(const std::wstring& caption, std::wstring fileName);

    bool Shown() const { return dialog_.Shown(); }
    bool ReplacementConfirmed() const { return confirmation_ && confirmation_->Shown(); }
    const SaveDialogView& Seen() const { return seen_; }
    // When Save or Cancel was pressed.
    std::chrono::steady_clock::time_point AnsweredAt() const { return answeredAt_; }

private:
    void Answer(HWND dialog);

    std::wstring fileName_;
    SaveDialogView seen_;
    std::chrono::steady_clock::time_point answeredAt_;
    WhenWindowShows dialog_;
    std::optional<WhenWindowShows> confirmation_;
};

// Presses button `id` of a dialog, as a click on it does.
void PressButton(HWND dialog, int id);

// The text of a status bar panel.
std::wstring StatusText(HWND statusBar, int panel = 0);

// The text of the menu entry at `position`.
std::wstring MenuText(HMENU menu, UINT position);
