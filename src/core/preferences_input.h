// What the preferences dialog offers and accepts, free of its window: the
// patterns and overwrite policies in its lists, its texts, and the check of
// everything the user entered, made before any of it is stored.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::array<std::string_view, 8> OfferedFileFormats{
    "%tracknumber% - %artist% - %title%",
    "%tracknumber% - %title%",
    "%tracknumber% - %album% - %title%",
    "%tracknumber% - %album% - %artist% - %title%",
    "%artist% - %title%",
    "%title%",
    "%album% - %title%",
    "%album% - %artist% - %title%",
};

// The sub-folders box shows the empty folder pattern, no sub-folders, as this.
inline constexpr std::string_view NoSubFoldersText = "(none)";
// The folder patterns offered, as the box shows them.
inline constexpr std::array<std::string_view, 5> OfferedFolderFormatTexts{
    NoSubFoldersText, "%artist%", "%artist%\\%album%", "%album%", "%artist% - %album%"};

// In the order of their values: AlwaysOverwrite, NeverOverwrite, AlwaysPrompt.
inline constexpr std::array<std::string_view, 3> OverwritePolicyTexts{
    "Always Overwrite", "Never Overwrite", "Always Prompt"};

// The track limit field while "All Tracks" is chosen.
inline constexpr std::string_view AllTracksText = "All";

inline constexpr std::string_view InvalidTrackLimitMessage =
    "Please enter a valid non-negative track limit.";
inline constexpr std::string_view InvalidFileFormatMessage =
    "File format cannot contain characters  \\ / : * ? \" < > | ";
inline constexpr std::string_view InvalidFolderFormatMessage =
    "Sub-folders cannot contain characters  / : * ? \" < > | , begin or end with \\, hold \\\\ "
    "or have more than 4 levels";

// The sub-folders box's text for a stored folder pattern, and the pattern
// for a text of that box: NoSubFoldersText stands for the empty pattern.
std::string FolderFormatFieldText(std::string_view folderFormat);
std::string FolderFormatOfFieldText(std::string_view fieldText);

// The limit field's text for a stored limit when "Limit Tracks To:" is
// chosen by a click: the limit, or nothing when it means all tracks.
std::string TrackLimitFieldText(int32_t trackLimit);

// What the dialog's fields hold when the user presses OK; its check boxes
// go to the settings as they are.
struct PreferencesInput {
    bool AllTracks = true;
    std::string TrackLimitText;  // ignored when AllTracks
    std::string FileFormat;
    int32_t OverwriteFiles = 0;    // the chosen entry of the policy list
    std::string FolderFormatText;  // as the sub-folders box shows it
};

struct SettingsValues;

// Why the input was refused: which field, and the message to show.
struct RefusedPreferences {
    enum class Field { TrackLimit, FileFormat, FolderFormat };
    Field Refused;
    std::string_view Message;
};

// Puts the fields into `settings` when every one passes; otherwise leaves
// them as they were and says which was refused. The track limit must be a
// whole number from 1 up to the largest 32-bit number; the pattern must not
// hold a character that Windows forbids in file names; the folder pattern
// must pass IsValidFolderFormat. The fields are checked in that order.
std::optional<RefusedPreferences> ApplyPreferencesInput(const PreferencesInput& input,
                                                        SettingsValues& settings);
