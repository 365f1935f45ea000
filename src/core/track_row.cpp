#include "track_row.h"

int32_t ProgressPercent(int64_t done, int64_t total) {
    if (total <= 0) {
        return 0;
    }
    return static_cast<int32_t>(done * 100 / total);
}

std::string DriveEntryText(char driveLetter, std::string_view volumeLabel) {
    std::string entry = "(";
    entry += driveLetter;
    entry += ":)  ";
    entry += volumeLabel;
    return entry;
}

std::string DriveDesignatorOf(std::string_view driveEntry) {
    return std::string(driveEntry.substr(1, 2));
}

std::string DatabasePathOnDrive(std::string_view driveDesignator) {
    return std::string(driveDesignator) + "\\iPod_Control\\iTunes\\iTunesDB";
}

std::string CompressedDatabasePathOnDrive(std::string_view driveDesignator) {
    return std::string(driveDesignator) + "\\iPod_Control\\iTunes\\iTunesCDB";
}
