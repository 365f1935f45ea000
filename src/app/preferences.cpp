#include "preferences.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "app/resource_ids.h"
#include "core/preferences_input.h"
#include "win/handles.h"
#include "win/message_box.h"
#include "win/pixel_layout.h"
#include "win/wide_text.h"

namespace {

constexpr char SettingsKeyPath[] = "Software\\Marrowfen\\Trackhaul";

// Opens the settings key with full access, creating it and any missing parent.
// Null when it can be neither opened nor created.
win::UniqueKey OpenSettingsKey() {
    HKEY handle = nullptr;
    const LONG result =
        RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &handle, nullptr);
    return win::UniqueKey(result == ERROR_SUCCESS ? handle : nullptr);
}

// The data of a string value as `Char` units, up to its first zero or the
// end of its data; nothing when the value is absent or cannot be read, so
// that its default applies. A value of any other type stops the load. `query`
// is RegQueryValueExA or RegQueryValueExW with the value's name bound.
template <typename Char, typename Query>
std::optional<std::basic_string<Char>> ReadString(std::string_view name, Query query) {
    std::vector<BYTE> data(sizeof(Char));
    for (;;) {
        DWORD type = REG_NONE;
        DWORD size = static_cast<DWORD>(data.size());
        const LONG result = query(&type, data.data(), &size);
        if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) {
            return std::nullopt;
        }
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            throw InvalidDataTypeError(name);
        }
        if (result == ERROR_SUCCESS) {
            std::basic_string<Char> text(std::min<size_t>(size, data.size()) / sizeof(Char),
                                         Char{});
            std::memcpy(text.data(), data.data(), text.size() * sizeof(Char));
            return text.substr(0, text.find(Char{}));
        }
        // Too small for the value: ask again with room for all of it.
        data.resize(std::max<size_t>(size, data.size()) + sizeof(Char));
    }
}

std::optional<std::string> ReadText(HKEY key, std::string_view name) {
    const std::string valueName(name);
    return ReadString<char>(name, [&](DWORD* type, BYTE* data, DWORD* size) {
        return RegQueryValueExA(key, valueName.c_str(), nullptr, type, data, size);
    });
}

// Through the wide interface, so that text outside the ANSI code page
// survives; a value written as ANSI text reads back the same.
std::optional<std::u16string> ReadWideText(HKEY key, std::string_view name) {
    const std::wstring valueName = win::WideFromAnsi(name);
    const auto text = ReadString<wchar_t>(name, [&](DWORD* type, BYTE* data, DWORD* size) {
        return RegQueryValueExW(key, valueName.c_str(), nullptr, type, data, size);
    });
    return text ? std::optional(win::Utf16FromWide(*text)) : std::nullopt;
}

void WriteText(HKEY key, std::string_view name, const std::string& text) {
    const std::string valueName(name);
    const LONG result = RegSetValueExA(key, valueName.c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(text.c_str()),
                                       static_cast<DWORD>(text.size() + 1));
    if (result != ERROR_SUCCESS) {
        throw FailedToSetDataError(name);
    }
}

void WriteText(HKEY key, std::string_view name, const std::u16string& text) {
    const std::wstring valueName = win::WideFromAnsi(name);
    const std::wstring wide = win::WideFromUtf16(text);
    const LONG result = RegSetValueExW(key, valueName.c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(wide.c_str()),
                                       static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    if (result != ERROR_SUCCESS) {
        throw FailedToSetDataError(name);
    }
}

ScreenMetrics QueryScreenMetrics(HWND window) {
    ScreenMetrics metrics;
    metrics.Dpi = win::WindowDpi(window);
    metrics.ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    metrics.ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT workArea{};
    if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0)) {
        metrics.WorkWidth = workArea.right - workArea.left;
        metrics.WorkHeight = workArea.bottom - workArea.top;
    } else {
        metrics.WorkWidth = metrics.ScreenWidth;
        metrics.WorkHeight = metrics.ScreenHeight;
    }
    return metrics;
}

// The dialog's layout, in pixels at 96 dpi.
constexpr int ClientWidth = 377;
constexpr int ClientHeight = 279;
constexpr win::PixelRect GroupBox1Bounds{16, 16, 337, 65};
constexpr win::PixelRect GroupBox2Bounds{16, 96, 337, 129};

// The controls inside a group box are placed relative to it.
constexpr win::PixelRect InGroup(const win::PixelRect& group, const win::PixelRect& bounds) {
    return {group.Left + bounds.Left, group.Top + bounds.Top, bounds.Width, bounds.Height};
}

constexpr std::array<std::pair<int, win::PixelRect>, 14> ControlBounds{{
    {IDC_GROUPBOX1, GroupBox1Bounds},
    {IDC_RBALLSONGS, InGroup(GroupBox1Bounds, {32, 32, 73, 17})},
    {IDC_RBMAXSONGS, InGroup(GroupBox1Bounds, {128, 32, 97, 17})},
    {IDC_TXTSONGLIMIT, InGroup(GroupBox1Bounds, {232, 29, 65, 21})},
    {IDC_GROUPBOX2, GroupBox2Bounds},
    // The labels take the room before their boxes, on one line even where a
    // wider font stands in for the dialog's.
    {IDC_PREFERENCES_LABEL1, InGroup(GroupBox2Bounds, {16, 32, 82, 13})},
    {IDC_PREFERENCES_LABEL2, InGroup(GroupBox2Bounds, {16, 64, 82, 13})},
    {IDC_PREFERENCES_LABEL3, InGroup(GroupBox2Bounds, {16, 96, 82, 13})},
    // The boxes' heights include their drop-down lists.
    {IDC_CBFORMAT, InGroup(GroupBox2Bounds, {98, 28, 215, 160})},
    {IDC_CBOVERWRITE, InGroup(GroupBox2Bounds, {98, 60, 215, 100})},
    {IDC_CBFOLDERFORMAT, InGroup(GroupBox2Bounds, {98, 92, 215, 120})},
    {IDOK, {71, 240, 75, 25}},
    {IDCANCEL, {147, 240, 75, 25}},
    {IDC_BTNHELP, {222, 240, 75, 25}},
}};

// The hourglass while an object of this class lives.
class Hourglass {
public:
    Hourglass() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
    ~Hourglass() { SetCursor(previous_); }

private:
    HCURSOR previous_;
};

// Control texts in the ANSI code page, as the settings keep them.
std::string Text(HWND control) {
    return win::AnsiFromWide(win::WindowText(control));
}

void SetText(HWND control, std::string_view text) {
    SetWindowTextW(control, win::WideFromAnsi(text).c_str());
}

int ControlOfField(RefusedPreferences::Field field) {
    switch (field) {
        case RefusedPreferences::Field::TrackLimit:
            return IDC_TXTSONGLIMIT;
        case RefusedPreferences::Field::FileFormat:
            return IDC_CBFORMAT;
        default:
            return IDC_CBFOLDERFORMAT;
    }
}

void AddEntries(HWND comboBox, const auto& entries) {
    for (const std::string_view entry : entries) {
        SendMessageW(comboBox, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(win::WideFromAnsi(entry).c_str()));
    }
}

}  // namespace

TPreferencesForm::TPreferencesForm(HWND owner) : ModalDialog(IDD_PREFERENCES), owner_(owner) {
    LoadSettings();
}

TPreferencesForm::~TPreferencesForm() = default;

void TPreferencesForm::LoadSettings() {
    const ScreenMetrics screen = QueryScreenMetrics(owner_);
    // A key that can be neither opened nor created reads as empty, so that the
    // program still starts; the next save reports the failure.
    const win::UniqueKey key = OpenSettingsKey();
    settings_ = LoadSettingsValues(
        screen,
        [&key](std::string_view name) -> std::optional<std::string> {
            return key ? ReadText(key.get(), name) : std::nullopt;
        },
        [&key](std::string_view name) -> std::optional<std::u16string> {
            return key ? ReadWideText(key.get(), name) : std::nullopt;
        });
}

void TPreferencesForm::SaveSettings() {
    const win::UniqueKey key = OpenSettingsKey();
    if (!key) {
        throw FailedToCreateKeyError(SettingsKeyPath);
    }
    for (const StoredSetting& setting : SettingsToStore(settings_)) {
        std::visit([&](const auto& text) { WriteText(key.get(), setting.Name, text); },
                   setting.Text);
    }
}

int32_t TPreferencesForm::GetTrackLimit() const {
    return settings_.TrackLimit;
}

int32_t TPreferencesForm::GetOverwriteFiles() const {
    return settings_.OverwriteFiles;
}

std::string TPreferencesForm::GetFileFormat() const {
    return settings_.FileFormat;
}

std::string TPreferencesForm::GetFolderFormat() const {
    return settings_.FolderFormat;
}

std::u16string TPreferencesForm::GetExtractPath() const {
    return settings_.ExtractPath;
}

void TPreferencesForm::SetExtractPath(const std::u16string& path) {
    settings_.ExtractPath = path;
    SaveSettings();
}

bool TPreferencesForm::GetFirstRun() const {
    return settings_.FirstRun;
}

bool TPreferencesForm::GetShowMenuBar() const {
    return settings_.ShowMenuBar;
}

bool TPreferencesForm::GetShowToolbar() const {
    return settings_.ShowToolbar;
}

bool TPreferencesForm::GetShowStatusBar() const {
    return settings_.ShowStatusBar;
}

void TPreferencesForm::SetShowMenuBar(bool show) {
    settings_.ShowMenuBar = show;
    SaveSettings();
}

void TPreferencesForm::SetShowToolbar(bool show) {
    settings_.ShowToolbar = show;
    SaveSettings();
}

void TPreferencesForm::SetShowStatusBar(bool show) {
    settings_.ShowStatusBar = show;
    SaveSettings();
}

const WindowBounds& TPreferencesForm::GetWindowBounds() const {
    return settings_.Bounds;
}

void TPreferencesForm::SetWindowBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    settings_.Bounds = {left, top, width, height};
    SaveSettings();
}

std::string TPreferencesForm::GetExtraColumns() const {
    return settings_.ExtraColumns;
}

void TPreferencesForm::SetExtraColumns(const std::string& names) {
    settings_.ExtraColumns = names;
    SaveSettings();
}

// The dialog -------------------------------------------------------------------

INT_PTR TPreferencesForm::Execute() {
    return ShowModal(owner_);
}

void TPreferencesForm::OnInitDialog() {
    LayOutControls();
    FormCreate();
    FillControls();
}

void TPreferencesForm::LayOutControls() {
    win::SizeClientAndCentre(Handle(), ClientWidth, ClientHeight, owner_);
    for (const auto& [id, bounds] : ControlBounds) {
        PlaceItem(id, bounds);
    }
}

void TPreferencesForm::FormCreate() {
    AddEntries(Item(IDC_CBFORMAT), OfferedFileFormats);
    AddEntries(Item(IDC_CBOVERWRITE), OverwritePolicyTexts);
    AddEntries(Item(IDC_CBFOLDERFORMAT), OfferedFolderFormatTexts);
}

// Every showing starts from the stored settings, whatever an earlier
// showing left in the controls.
void TPreferencesForm::FillControls() {
    const bool allTracks = settings_.TrackLimit < 0;
    CheckRadioButton(Handle(), IDC_RBALLSONGS, IDC_RBMAXSONGS,
                     allTracks ? IDC_RBALLSONGS : IDC_RBMAXSONGS);
    HWND limitField = Item(IDC_TXTSONGLIMIT);
    SetText(limitField,
            allTracks ? std::string(AllTracksText) : std::to_string(settings_.TrackLimit));
    EnableWindow(limitField, !allTracks);
    SetText(Item(IDC_CBFORMAT), settings_.FileFormat);
    SendMessageW(Item(IDC_CBOVERWRITE), CB_SETCURSEL, settings_.OverwriteFiles, 0);
    SetText(Item(IDC_CBFOLDERFORMAT), FolderFormatFieldText(settings_.FolderFormat));
}

bool TPreferencesForm::OnCommand(int id, int code) {
    switch (id) {
        case IDC_RBALLSONGS:
        case IDC_RBMAXSONGS: {
            // The limit field is enabled exactly while "Limit Tracks To:" is
            // checked. A click on the button already checked changes nothing,
            // so a limit being typed survives it.
            const bool limitChosen = IsChecked(IDC_RBMAXSONGS);
            if (code == BN_CLICKED &&
                limitChosen != (IsWindowEnabled(Item(IDC_TXTSONGLIMIT)) != 0)) {
                limitChosen ? RbMaxSongsClick() : RbAllSongsClick();
            }
            return true;
        }
        case IDOK:
            BtnOKClick();
            return true;
        case IDCANCEL:  // Esc and the close box too
            BtnCancelClick();
            return true;
        case IDC_BTNHELP:
            BtnHelpClick();
            return true;
        default:
            return false;
    }
}

bool TPreferencesForm::IsChecked(int id) const {
    return IsDlgButtonChecked(Handle(), id) == BST_CHECKED;
}

void TPreferencesForm::RbAllSongsClick() {
    EnableWindow(Item(IDC_TXTSONGLIMIT), FALSE);
    SetText(Item(IDC_TXTSONGLIMIT), AllTracksText);
}

void TPreferencesForm::RbMaxSongsClick() {
    EnableWindow(Item(IDC_TXTSONGLIMIT), TRUE);
    SetText(Item(IDC_TXTSONGLIMIT), TrackLimitFieldText(settings_.TrackLimit));
}

// Everything is checked before anything is stored: a refused field leaves
// all four settings as they were, also when the user then cancels.
void TPreferencesForm::BtnOKClick() {
    PreferencesInput input;
    input.AllTracks = IsChecked(IDC_RBALLSONGS);
    input.TrackLimitText = Text(Item(IDC_TXTSONGLIMIT));
    input.FileFormat = Text(Item(IDC_CBFORMAT));
    input.OverwriteFiles =
        static_cast<int32_t>(SendMessageW(Item(IDC_CBOVERWRITE), CB_GETCURSEL, 0, 0));
    input.FolderFormatText = Text(Item(IDC_CBFOLDERFORMAT));
    const auto checked = CheckPreferencesInput(input);
    if (const auto* refused = std::get_if<RefusedPreferences>(&checked)) {
        win::ShowMessageBox(Handle(), win::WideFromAnsi(refused->Message), MB_OK | MB_ICONERROR);
        SendMessageW(Handle(), WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(Item(ControlOfField(refused->Refused))), TRUE);
        return;
    }
    const auto& accepted = std::get<AcceptedPreferences>(checked);
    settings_.TrackLimit = accepted.TrackLimit;
    settings_.FileFormat = accepted.FileFormat;
    settings_.OverwriteFiles = accepted.OverwriteFiles;
    settings_.FolderFormat = accepted.FolderFormat;
    {
        Hourglass hourglass;
        SaveSettings();  // a failure keeps the dialog open
    }
    Close(IDOK);
}

void TPreferencesForm::BtnCancelClick() {
    Close(IDCANCEL);
}

void TPreferencesForm::BtnHelpClick() {
    win::ShowMessageBox(Handle(), win::WideFromAnsi(PreferencesHelpText()),
                        MB_OK | MB_ICONINFORMATION);
}
