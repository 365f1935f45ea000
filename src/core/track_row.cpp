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

namespace {

std::string PathOnDrive(std::string_view driveDesignator, char separator, const char* name) {
    std::string path(driveDesignator);
    for (const char* part : {"iPod_Control", "iTunes", name}) {
        path += separator;
        path += part;
    }
    return path;
}

}  // namespace

std::string DatabasePathOnDrive(std::string_view driveDesignator, char separator) {
    return PathOnDrive(driveDesignator, separator, "iTunesDB");
}

std::string CompressedDatabasePathOnDrive(std::string_view driveDesignator, char separator) {
    return PathOnDrive(driveDesignator, separator, "iTunesCDB");
}

std::string DatabasePathOnPlayer(PlayerFiles& files, std::string_view driveDesignator,
                                 char separator) {
    const std::string ordinary = DatabasePathOnDrive(driveDesignator, separator);
    const std::string compressed = CompressedDatabasePathOnDrive(driveDesignator, separator);
    if (FileSizeOn(files, ordinary).value_or(0) == 0 && FileSizeOn(files, compressed)) {
        return compressed;
    }
    return ordinary;
}
