// TPreferencesForm: the program's twelve settings, kept in the current user's
// registry under "Software\Marrowfen\Trackhaul", and (later) the dialog that
// edits three of them.
//
// The object loads every value when it is constructed and writes the whole
// set back each time any value changes. Registry failures are thrown as
// SettingsError with the texts "Invalid data type for '%s'",
// "Failed to set data for '%s'" and "Failed to create key %s"; they propagate
// to the user action that caused them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "core/settings_values.h"  // WindowBounds, SettingsError, the value rules

class TPreferencesForm {
public:
    // Loads all settings; throws SettingsError when a value has the wrong type.
    explicit TPreferencesForm(HWND owner);
    TPreferencesForm(const TPreferencesForm&) = delete;
    TPreferencesForm& operator=(const TPreferencesForm&) = delete;
    ~TPreferencesForm();  // writes nothing

    void LoadSettings();
    void SaveSettings();  // all twelve values, in their fixed order

    int32_t GetTrackLimit() const;
    int32_t GetOverwriteFiles() const;
    std::string GetFileFormat() const;
    // The last destination folder, as UTF-16 text.
    std::u16string GetExtractPath() const;
    void SetExtractPath(const std::u16string& path);
    bool GetFirstRun() const;
    bool GetShowMenuBar() const;
    bool GetShowToolbar() const;
    bool GetShowStatusBar() const;
    void SetShowMenuBar(bool show);
    void SetShowToolbar(bool show);
    void SetShowStatusBar(bool show);
    const WindowBounds& GetWindowBounds() const;
    void SetWindowBounds(int32_t left, int32_t top, int32_t width, int32_t height);

    // Shows the preferences dialog modally; the result is of no interest.
    int Execute();

private:
    SettingsValues settings_;
};
