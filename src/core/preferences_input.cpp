#include "preferences_input.h"

#include <iterator>

#include "settings_values.h"

std::string PreferencesHelpText(std::span<const std::string_view> checkBoxLines) {
    constexpr std::string_view lines[] = {
        "You can limit the number of tracks read from the iPod database by entering the maximum "
        "number in the",
        "corresponding field.  If you select 'All Tracks', all tracks from the iPod database will "
        "be loaded and dislplayed.",
        "",
        "File Format field is used to specify the format of the extracted tracks.  The following "
        "substitutions will be made:",
        "        %tracknumber% - track number",
        "        %title% - track title",
        "        %artist% - track artist",
        "        %album% - track album",
        "All other characters will be used as is in the filename",
        "Sub-Folders field sorts the tracks into folders named the same way, levels separated by "
        "\\ "
        "(up to 4), for example %artist%\\%album%",
    };
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    for (std::string_view line : checkBoxLines) {
        text += line;
        text += "\r\n";
    }
    text.resize(text.size() - 2);  // no line break after the last line
    return text;
}

std::string FolderFormatFieldText(std::string_view folderFormat) {
    return std::string(folderFormat.empty() ? NoSubFoldersText : folderFormat);
}

std::string FolderFormatOfFieldText(std::string_view fieldText) {
    return std::string(fieldText == NoSubFoldersText ? std::string_view() : fieldText);
}

std::string TrackLimitFieldText(int32_t trackLimit) {
    return trackLimit >= 1 ? std::to_string(trackLimit) : std::string();
}

std::optional<RefusedPreferences> ApplyPreferencesInput(const PreferencesInput& input,
                                                        SettingsValues& settings) {
    int32_t trackLimit = -1;
    if (!input.AllTracks) {
        const std::optional<int32_t> limit = ParseInt32(input.TrackLimitText);
        if (!limit || *limit < 1) {
            return RefusedPreferences{RefusedPreferences::Field::TrackLimit,
                                      InvalidTrackLimitMessage};
        }
        trackLimit = *limit;
    }
    if (ContainsForbiddenFileNameChar(input.FileFormat)) {
        return RefusedPreferences{RefusedPreferences::Field::FileFormat, InvalidFileFormatMessage};
    }
    const std::string folderFormat = FolderFormatOfFieldText(input.FolderFormatText);
    if (!IsValidFolderFormat(folderFormat)) {
        return RefusedPreferences{RefusedPreferences::Field::FolderFormat,
                                  InvalidFolderFormatMessage};
    }
    settings.TrackLimit = trackLimit;
    settings.FileFormat = input.FileFormat;
    settings.OverwriteFiles = input.OverwriteFiles;
    settings.FolderFormat = folderFormat;
    return std::nullopt;
}
