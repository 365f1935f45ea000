// TPreferencesForm: the program's settings, kept in the current
// user's registry under "Software\Marrowfen\Trackhaul" (see
// win/registry_settings.h), and the dialog that edits those of an
// extraction: the track limit, the file name pattern, the overwrite policy,
// the folder pattern, and its check boxes (covers as folder.jpg, the
// playlists and library written after it).
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
#include "win/modal_dialog.h"

// The identifier of the dialog's check box of a yes-or-no setting; 0 for a
// setting that has none.
int CheckBoxIdOf(bool SettingsValues::*setting);

class TPreferencesForm : public win::ModalDialog {
public:
    // Loads all settings; throws SettingsError when a value has the wrong
    // type. `owner` is the window the dialog shows over, whose DPI shapes
    // the default window size; none: the system's DPI does.
    explicit TPreferencesForm(HWND owner);
    // The window the dialog shows over from now on.
    void SetOwner(HWND owner) { owner_ = owner; }
    ~TPreferencesForm() override;  // writes nothing

    void LoadSettings();
    void SaveSettings();  // every value, in its fixed order

    int32_t GetTrackLimit() const;
    int32_t GetOverwriteFiles() const;
    std::string GetFileFormat() const;
    // The sub-folder pattern, checked by IsValidFolderFormat; empty for none.
    std::string GetFolderFormat() const;
    // The last destination folder, as UTF-16 text.
    std::u16string GetExtractPath() const;
    void SetExtractPath(const std::u16string& path);
    // The folder of the last track extraction.
    std::u16string GetMusicFolder() const;
    void SetMusicFolder(const std::u16string& path);
    bool GetFirstRun() const;
    bool GetShowMenuBar() const;
    bool GetShowToolbar() const;
    bool GetShowStatusBar() const;
    void SetShowMenuBar(bool show);
    void SetShowToolbar(bool show);
    void SetShowStatusBar(bool show);
    bool GetShowAlbumArt() const;
    void SetShowAlbumArt(bool show);
    // Every setting as it stands, the dialog's check boxes' among them.
    const SettingsValues& Values() const { return settings_; }
    const WindowBounds& GetWindowBounds() const;
    void SetWindowBounds(int32_t left, int32_t top, int32_t width, int32_t height);
    // The track list's extra columns by their headers, separated by commas.
    std::string GetExtraColumns() const;
    void SetExtraColumns(const std::string& names);

    // Shows the preferences dialog modally, filled from the settings; IDOK
    // once the user's choices are stored, IDCANCEL when nothing changed.
    INT_PTR Execute();

private:
    void OnInitDialog() override;
    bool OnCommand(int id, int code) override;

    // Makes the controls from the table, where it says.
    void CreateControls();
    void FormCreate();
    void FillControls();
    void RbAllSongsClick();
    void RbMaxSongsClick();
    void BtnOKClick();
    void BtnCancelClick();
    void BtnHelpClick();
    bool IsChecked(int id) const;

    HWND owner_;
    SettingsValues settings_;
};
