#include "preferences.h"

#include <iterator>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/resource_ids.h"
#include "core/preferences_input.h"
#include "win/message_box.h"
#include "win/pixel_layout.h"
#include "win/registry_settings.h"
#include "win/wide_text.h"

namespace {

// What a control of the dialog is.
enum class ControlKind {
    GroupBox,
    Label,
    FirstRadioButton,  // starts a group of radio buttons
    RadioButton,
    Edit,
    ComboBox,      // a text box with a list
    DropDownList,  // a list only
    CheckBox,
    DefaultButton,
    Button,
};

// Control texts in the ANSI code page, as the settings keep them.
std::string Text(HWND control) {
    return win::AnsiFromWide(win::WindowText(control));
}

void SetText(HWND control, std::string_view text) {
    SetWindowTextW(control, win::WideFromAnsi(text).c_str());
}

bool IsButtonChecked(HWND button) {
    return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetButtonCheck(HWND button, bool checked) {
    SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// One control of the dialog: made, laid out, given its list's entries,
// filled and read back from the tables below, in their order, which is also
// the order of the Tab key and of the Help text.
struct PreferenceControl {
    int Id;
    ControlKind Kind;
    const wchar_t* Caption;
    win::PixelRect Bounds;  // in the dialog's client area at 96 DPI
    // The setting a check box shows; none for the other controls, whose
    // values are checked before they are taken (PreferencesInput).
    bool SettingsValues::*Setting = nullptr;
    // A field: shows the settings, then gives its text or choice to the
    // input that OK checks.
    void (*Fill)(HWND control, const SettingsValues& settings) = nullptr;
    void (*Read)(HWND control, PreferencesInput& input) = nullptr;
    std::span<const std::string_view> Entries = {};  // a list's
    std::string_view Help = {};  // its lines of the Help text, CR LF between them
};

// A yes-or-no preference: its check box, under the extraction's fields, one
// below the other in this order, and its line of the Help text. The group
// box, the buttons and the dialog grow with them.
struct CheckBoxPreference {
    bool SettingsValues::*Setting;
    const wchar_t* Caption;
    std::string_view Help;
};

constexpr CheckBoxPreference CheckBoxes[] = {
    {&SettingsValues::SaveAlbumArt, L"Save album art as folder.jpg",
     "Save album art as folder.jpg writes each album's cover into its sub-folder; with "
     "Sub-Folders (none) no picture is written"},
    {&SettingsValues::WriteRatings, L"Write ratings and play counts into the copies",
     "Write ratings and play counts into the copies puts each track's stars and plays into the "
     "tags of its MP3 or MP4 copy, where Windows and other players read them; the iPod's files "
     "are never changed"},
    {&SettingsValues::WriteLibrary, L"Write playlists and Library.xml after extracting",
     "Write playlists and Library.xml after extracting ends each extraction by writing the "
     "playlists and the library file, with ratings, plays and dates, into its folder"},
    {&SettingsValues::WriteHistory, L"Write the listening history with each extraction",
     "Write the listening history with each extraction writes the plays made on the iPod "
     "since its last sync into the folder, as .scrobbler.log for Last.fm and listens.json "
     "for ListenBrainz"},
};
constexpr int CheckBoxCount = static_cast<int>(std::size(CheckBoxes));
// The check boxes' identifiers follow one another in their order.
constexpr int FirstCheckBoxId = IDC_CBFOLDERFORMAT + 1;

// The dialog's size, in pixels at 96 DPI: the extraction's group box ends
// below its last check box, the buttons below it.
constexpr int ClientWidth = 377;
constexpr int FirstCheckBoxTop = 124;  // in the group box
constexpr int CheckBoxPitch = 24;
constexpr win::PixelRect GroupBox1Bounds{16, 16, 337, 65};
constexpr win::PixelRect GroupBox2Bounds{
    16, 96, 337, FirstCheckBoxTop + CheckBoxPitch*(CheckBoxCount - 1) + 17 + 12};
constexpr int ButtonsTop = GroupBox2Bounds.Top + GroupBox2Bounds.Height + 15;
constexpr int ClientHeight = ButtonsTop + 25 + 14;

// The controls inside a group box are placed relative to it.
constexpr win::PixelRect InGroup(const win::PixelRect& group, const win::PixelRect& bounds) {
    return {group.Left + bounds.Left, group.Top + bounds.Top, bounds.Width, bounds.Height};
}

using enum ControlKind;
constexpr PreferenceControl Fields[] = {
    {IDC_GROUPBOX1, GroupBox, L" Read Tracks From iPod Database ", GroupBox1Bounds},
    {IDC_RBALLSONGS,
     FirstRadioButton,
     L"&All Tracks",
     InGroup(GroupBox1Bounds, {32, 32, 73, 17}),
     nullptr,
     [](HWND control, const SettingsValues& settings) {
         SetButtonCheck(control, settings.TrackLimit < 0);
     },
     [](HWND control, PreferencesInput& input) { input.AllTracks = IsButtonChecked(control); },
     {},
     "You can limit the number of tracks read from the iPod database by entering the maximum "
     "number in the\r\n"
     "corresponding field.  If you select 'All Tracks', all tracks from the iPod database will "
     "be loaded and dislplayed.\r\n"},
    {IDC_RBMAXSONGS, RadioButton, L"Limit Tracks To:", InGroup(GroupBox1Bounds, {128, 32, 97, 17}),
     nullptr,
     [](HWND control, const SettingsValues& settings) {
         SetButtonCheck(control, settings.TrackLimit >= 0);
     }},
    {IDC_TXTSONGLIMIT, Edit, L"", InGroup(GroupBox1Bounds, {232, 29, 65, 21}), nullptr,
     [](HWND control, const SettingsValues& settings) {
         const bool allTracks = settings.TrackLimit < 0;
         SetText(control,
                 allTracks ? std::string(AllTracksText) : std::to_string(settings.TrackLimit));
         EnableWindow(control, !allTracks);
     },
     [](HWND control, PreferencesInput& input) { input.TrackLimitText = Text(control); }},
    {IDC_GROUPBOX2, GroupBox, L" Extract Tracks From iPod ", GroupBox2Bounds},
    // The labels take the room before their boxes, on one line even where a
    // wider font stands in for the dialog's. The boxes' heights include
    // their drop-down lists.
    {IDC_PREFERENCES_LABEL1, Label, L"File Format:", InGroup(GroupBox2Bounds, {16, 32, 82, 13})},
    {IDC_CBFORMAT, ComboBox, L"", InGroup(GroupBox2Bounds, {98, 28, 215, 160}), nullptr,
     [](HWND control, const SettingsValues& settings) { SetText(control, settings.FileFormat); },
     [](HWND control, PreferencesInput& input) { input.FileFormat = Text(control); },
     OfferedFileFormats,
     "File Format field is used to specify the format of the extracted tracks.  The following "
     "substitutions will be made:\r\n"
     "        %tracknumber% - track number\r\n"
     "        %title% - track title\r\n"
     "        %artist% - track artist\r\n"
     "        %album% - track album\r\n"
     "All other characters will be used as is in the filename"},
    {IDC_PREFERENCES_LABEL2, Label, L"Overwrite Files:",
     InGroup(GroupBox2Bounds, {16, 64, 82, 13})},
    {IDC_CBOVERWRITE, DropDownList, L"", InGroup(GroupBox2Bounds, {98, 60, 215, 100}), nullptr,
     [](HWND control, const SettingsValues& settings) {
         SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(settings.OverwriteFiles), 0);
     },
     [](HWND control, PreferencesInput& input) {
         input.OverwriteFiles = static_cast<int32_t>(SendMessageW(control, CB_GETCURSEL, 0, 0));
     },
     OverwritePolicyTexts},
    {IDC_PREFERENCES_LABEL3, Label, L"Sub-Folders:", InGroup(GroupBox2Bounds, {16, 96, 82, 13})},
    {IDC_CBFOLDERFORMAT, ComboBox, L"", InGroup(GroupBox2Bounds, {98, 92, 215, 120}), nullptr,
     [](HWND control, const SettingsValues& settings) {
         SetText(control, FolderFormatFieldText(settings.FolderFormat));
     },
     [](HWND control, PreferencesInput& input) { input.FolderFormatText = Text(control); },
     OfferedFolderFormatTexts,
     "Sub-Folders field sorts the tracks into folders named the same way, levels separated by \\ "
     "(up to 4), for example %artist%\\%album%"},
};
constexpr PreferenceControl Buttons[] = {
    {IDOK, DefaultButton, L"&OK", {71, ButtonsTop, 75, 25}},
    {IDCANCEL, Button, L"&Cancel", {147, ButtonsTop, 75, 25}},
    {IDC_BTNHELP, Button, L"&Help", {222, ButtonsTop, 75, 25}},
};

// Every control, in the order of the Tab key: the fields, the check boxes,
// the buttons.
std::vector<PreferenceControl> Controls() {
    std::vector<PreferenceControl> controls(std::begin(Fields), std::end(Fields));
    for (int index = 0; index < CheckBoxCount; ++index) {
        const CheckBoxPreference& box = CheckBoxes[index];
        PreferenceControl control{
            FirstCheckBoxId + index, CheckBox, box.Caption,
            InGroup(GroupBox2Bounds, {16, FirstCheckBoxTop + CheckBoxPitch * index, 297, 17}),
            box.Setting};
        control.Help = box.Help;
        controls.push_back(control);
    }
    controls.insert(controls.end(), std::begin(Buttons), std::end(Buttons));
    return controls;
}

// The rows' Help lines, in their order.
std::string HelpText() {
    std::string text;
    for (const PreferenceControl& control : Controls()) {
        if (!control.Help.empty()) {
            text += text.empty() ? "" : "\r\n";
            text += control.Help;
        }
    }
    return text;
}

// The window class and styles of a control of that kind.
std::pair<const wchar_t*, DWORD> ClassAndStyle(ControlKind kind) {
    constexpr DWORD child = WS_CHILD | WS_VISIBLE;
    switch (kind) {
        case GroupBox:
            return {WC_BUTTONW, child | BS_GROUPBOX};
        case Label:
            return {WC_STATICW, child | SS_LEFTNOWORDWRAP};
        case FirstRadioButton:
            return {WC_BUTTONW, child | BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP};
        case RadioButton:
            return {WC_BUTTONW, child | BS_AUTORADIOBUTTON | WS_TABSTOP};
        case Edit:
            return {WC_EDITW, child | ES_AUTOHSCROLL | WS_GROUP | WS_TABSTOP};
        case ComboBox:
            return {WC_COMBOBOXW, child | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP};
        case DropDownList:
            return {WC_COMBOBOXW, child | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP};
        case CheckBox:
            return {WC_BUTTONW, child | BS_AUTOCHECKBOX | WS_TABSTOP};
        case DefaultButton:
            return {WC_BUTTONW, child | BS_DEFPUSHBUTTON | WS_TABSTOP};
        case Button:
            break;
    }
    return {WC_BUTTONW, child | BS_PUSHBUTTON | WS_TABSTOP};
}

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

void AddEntries(HWND comboBox, std::span<const std::string_view> entries) {
    for (const std::string_view entry : entries) {
        SendMessageW(comboBox, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(win::WideFromAnsi(entry).c_str()));
    }
}

}  // namespace

int CheckBoxIdOf(bool SettingsValues::*setting) {
    for (int index = 0; index < CheckBoxCount; ++index) {
        if (CheckBoxes[index].Setting == setting) {
            return FirstCheckBoxId + index;
        }
    }
    return 0;
}

TPreferencesForm::TPreferencesForm(HWND owner) : ModalDialog(IDD_PREFERENCES), owner_(owner) {
    LoadSettings();
}

TPreferencesForm::~TPreferencesForm() = default;

void TPreferencesForm::LoadSettings() {
    settings_ = win::LoadRegistrySettings(win::ScreenMetricsOf(owner_));
}

void TPreferencesForm::SaveSettings() {
    win::SaveRegistrySettings(settings_);
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

std::u16string TPreferencesForm::GetMusicFolder() const {
    return settings_.MusicFolder;
}

void TPreferencesForm::SetMusicFolder(const std::u16string& path) {
    settings_.MusicFolder = path;
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

bool TPreferencesForm::GetShowAlbumArt() const {
    return settings_.ShowAlbumArt;
}

void TPreferencesForm::SetShowAlbumArt(bool show) {
    settings_.ShowAlbumArt = show;
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
    CreateControls();
    FormCreate();
    FillControls();
}

void TPreferencesForm::CreateControls() {
    win::SizeClientAndCentre(Handle(), ClientWidth, ClientHeight, owner_);
    const auto font = SendMessageW(Handle(), WM_GETFONT, 0, 0);
    for (const PreferenceControl& control : Controls()) {
        const auto [className, style] = ClassAndStyle(control.Kind);
        HWND made = CreateWindowExW(control.Kind == Edit ? WS_EX_CLIENTEDGE : 0, className,
                                    control.Caption, style, 0, 0, 0, 0, Handle(),
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.Id)),
                                    GetModuleHandleW(nullptr), nullptr);
        if (made == nullptr) {
            throw std::runtime_error("Cannot create the preferences dialog.");
        }
        SendMessageW(made, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
        PlaceItem(control.Id, control.Bounds);
    }
    SendMessageW(Handle(), DM_SETDEFID, IDOK, 0);
}

void TPreferencesForm::FormCreate() {
    for (const PreferenceControl& control : Controls()) {
        AddEntries(Item(control.Id), control.Entries);
    }
}

// Every showing starts from the stored settings, whatever an earlier
// showing left in the controls.
void TPreferencesForm::FillControls() {
    for (const PreferenceControl& control : Controls()) {
        if (control.Fill != nullptr) {
            control.Fill(Item(control.Id), settings_);
        }
        if (control.Setting != nullptr) {
            SetButtonCheck(Item(control.Id), settings_.*control.Setting);
        }
    }
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
// all the dialog's settings as they were, also when the user then cancels.
void TPreferencesForm::BtnOKClick() {
    PreferencesInput input;
    for (const PreferenceControl& control : Controls()) {
        if (control.Read != nullptr) {
            control.Read(Item(control.Id), input);
        }
    }
    SettingsValues edited = settings_;
    if (const std::optional<RefusedPreferences> refused = ApplyPreferencesInput(input, edited)) {
        win::ShowMessageBox(Handle(), win::WideFromAnsi(refused->Message), MB_OK | MB_ICONERROR);
        SendMessageW(Handle(), WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(Item(ControlOfField(refused->Refused))), TRUE);
        return;
    }
    for (const PreferenceControl& control : Controls()) {
        if (control.Setting != nullptr) {
            edited.*control.Setting = IsChecked(control.Id);
        }
    }
    settings_ = edited;
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
    win::ShowMessageBox(Handle(), win::WideFromAnsi(HelpText()), MB_OK | MB_ICONINFORMATION);
}
