// The settings' value rules, free of the registry: which values exist, their
// defaults, how their stored texts are parsed and clamped, the checks of the
// file name and folder patterns, and the texts that a save writes. The values
// are one table (settings_values.cpp) that loading and saving both walk.
//
// Every value is stored as text: integers in signed decimal, booleans as "0"
// or "1", strings as they are.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct WindowBounds {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// A registry failure while loading or saving the settings.
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Invalid data type for '<name>'": a value of a type other than text.
SettingsError InvalidDataTypeError(std::string_view valueName);
// "Failed to set data for '<name>'": a value could not be written.
SettingsError FailedToSetDataError(std::string_view valueName);
// "Failed to create key <path>": the settings key could not be opened or made.
SettingsError FailedToCreateKeyError(std::string_view keyPath);

// What an extraction does with a target file that already exists.
enum OverwritePolicy : int32_t {
    AlwaysOverwrite = 0,
    NeverOverwrite = 1,
    AlwaysPrompt = 2,
};

inline constexpr std::string_view DefaultFileFormat = "%tracknumber% - %title% - %artist%";

// The most folder levels a folder pattern may have.
inline constexpr size_t MaxFolderLevels = 4;

// The settings as the program uses them.
struct SettingsValues {
    bool ShowMenuBar = true;
    bool ShowToolbar = true;
    bool ShowStatusBar = true;
    std::string FileFormat;
    std::string FolderFormat;  // empty: every track lands in the chosen folder itself
    int32_t OverwriteFiles = AlwaysPrompt;
    int32_t TrackLimit = -1;  // negative: all tracks
    WindowBounds Bounds;
    // The last folder any command wrote into; UTF-16, so that a folder named
    // in any script survives.
    std::u16string ExtractPath;
    bool FirstRun = true;  // as loaded; a save always stores "0"
    // The track list's extra columns by their headers, separated by commas;
    // empty for none.
    std::string ExtraColumns;
    bool ShowAlbumArt = false;  // the album art pane beside the track list
    bool SaveAlbumArt = false;  // an extraction writes each folder's cover as folder.jpg
    // An extraction ends by writing the playlists and Library.xml beside
    // the copies.
    bool WriteLibrary = false;
    // An extraction writes the tracks' ratings and plays into the copies'
    // tags (MP3 and MP4 files).
    bool WriteRatings = false;
    // An extraction ends by writing the listening history since the
    // player's last sync (.scrobbler.log and listens.json) beside the copies.
    bool WriteHistory = false;
    // The last folder tracks were extracted into, where Export Library
    // looks for the copies; ExtractPath where none is stored yet.
    std::u16string MusicFolder;
};

// The primary screen's work area (without the taskbar) and full size, in
// pixels, and the dots per inch of the window that the settings belong to.
struct ScreenMetrics {
    int32_t WorkWidth = 0;
    int32_t WorkHeight = 0;
    int32_t ScreenWidth = 0;
    int32_t ScreenHeight = 0;
    int32_t Dpi = 96;
};

// The stored text of one value, or nothing when the value is absent. It may
// throw (a value of the wrong type); the error then stops the load.
using StoredTextLookup = std::function<std::optional<std::string>(std::string_view valueName)>;
// The same for the values kept as UTF-16 text, the folders.
using StoredWideTextLookup =
    std::function<std::optional<std::u16string>(std::string_view valueName)>;

// Reads every value, asking the lookup once for each: the window's size
// (w, h) first, then the others in the order a save writes them. Applies
// defaults and clamps. Values kept as UTF-16 text (the folders) are asked of
// `wideLookup`, every other value of `lookup`. The window's default size
// grows with the DPI, limited by the work area; its default position centres
// it on the screen.
SettingsValues LoadSettingsValues(const ScreenMetrics& screen, const StoredTextLookup& lookup,
                                  const StoredWideTextLookup& wideLookup);

// One value as a save writes it: narrow text in the ANSI code page, or UTF-16
// text for the folders. Both are stored as plain string values.
struct StoredSetting {
    std::string_view Name;
    std::variant<std::string, std::u16string> Text;
};

// Every value as a save writes it, in the order written: x, y, w, h,
// TrackLimit, OverwriteFiles, FileFormat, FolderFormat, ExtractPath, FirstRun
// (always "0"), ShowMenuBar, ShowToolbar, ShowStatusBar, then the later ones:
// ExtraColumns, ShowAlbumArt, SaveAlbumArt, WriteLibrary, WriteRatings,
// MusicFolder, WriteHistory.
std::vector<StoredSetting> SettingsToStore(const SettingsValues& values);

// A signed 32-bit decimal number: an optional '+' or '-', then one or more
// digits, nothing else (no blanks, no hexadecimal). Nothing when the text is
// not such a number or does not fit in 32 bits.
std::optional<int32_t> ParseInt32(std::string_view text);

// Whether the text holds one of the nine characters that Windows forbids in
// file names: \ / : * ? " < > |
bool ContainsForbiddenFileNameChar(std::string_view text);

// Whether the text can serve as a folder pattern: empty (no sub-folders), or
// one to MaxFolderLevels levels separated by single backslashes, none of
// them empty, with none of the other eight characters that Windows forbids.
bool IsValidFolderFormat(std::string_view text);
