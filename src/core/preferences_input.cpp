#include "preferences_input.h"

#include "settings_values.h"

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
