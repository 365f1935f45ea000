#include "settings_values.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "ansi_text.h"

namespace {

constexpr int32_t MaxDefaultWidth = 884;
constexpr int32_t MaxDefaultHeight = 606;

// Half of a difference, rounded toward minus infinity by the arithmetic shift
// (-77 gives -39). The difference of two 32-bit numbers is taken in 64 bits so
// that extreme stored sizes cannot overflow it; its half always fits again.
int32_t HalfDifference(int32_t total, int32_t part) {
    const int64_t difference = int64_t{total} - int64_t{part};
    return static_cast<int32_t>(difference >> 1);
}

int32_t ReadInteger(const StoredTextLookup& lookup, std::string_view name, int32_t fallback) {
    const std::optional<std::string> text = lookup(name);
    if (!text) {
        return fallback;
    }
    return ParseInt32(*text).value_or(fallback);
}

bool ReadBoolean(const StoredTextLookup& lookup, std::string_view name, bool fallback) {
    return ReadInteger(lookup, name, fallback ? 1 : 0) != 0;
}

std::string ReadString(const StoredTextLookup& lookup, std::string_view name,
                       std::string_view fallback) {
    return lookup(name).value_or(std::string(fallback));
}

std::string BooleanText(bool value) {
    return value ? "1" : "0";
}

}  // namespace

SettingsError InvalidDataTypeError(std::string_view valueName) {
    return SettingsError("Invalid data type for '" + std::string(valueName) + "'");
}

SettingsError FailedToSetDataError(std::string_view valueName) {
    return SettingsError("Failed to set data for '" + std::string(valueName) + "'");
}

SettingsError FailedToCreateKeyError(std::string_view keyPath) {
    return SettingsError("Failed to create key " + std::string(keyPath));
}

std::optional<int32_t> ParseInt32(std::string_view text) {
    // Like the usual string-to-integer conversion of Windows programs: an
    // optional sign, then decimal digits. Blanks are refused, not skipped, so
    // that a hand-edited value either is a number or falls back to its default.
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    const int64_t limit = negative ? int64_t{INT32_MAX} + 1 : int64_t{INT32_MAX};
    int64_t magnitude = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit) {
            return std::nullopt;
        }
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

bool ContainsForbiddenFileNameChar(std::string_view text) {
    return text.find_first_of("\\/:*?\"<>|") != std::string_view::npos;
}

bool IsValidFolderFormat(std::string_view text) {
    // Checked as the run splits it, in UTF-16: in a double-byte code page a
    // backslash byte can be the second half of a letter.
    const std::u16string pattern = Utf16FromAnsi(text);
    if (pattern.empty()) {
        return true;
    }
    if (pattern.find_first_of(u"/:*?\"<>|") != std::u16string::npos || pattern.front() == u'\\' ||
        pattern.back() == u'\\' || pattern.find(u"\\\\") != std::u16string::npos) {
        return false;
    }
    const size_t levels =
        1 + static_cast<size_t>(std::count(pattern.begin(), pattern.end(), u'\\'));
    return levels <= MaxFolderLevels;
}

SettingsValues LoadSettingsValues(const ScreenMetrics& screen, const StoredTextLookup& lookup,
                                  const StoredWideTextLookup& wideLookup) {
    SettingsValues values;
    WindowBounds& bounds = values.Bounds;
    bounds.Width = ReadInteger(lookup, "w", std::min(screen.WorkWidth, MaxDefaultWidth));
    bounds.Height = ReadInteger(lookup, "h", std::min(screen.WorkHeight, MaxDefaultHeight));
    bounds.Left = ReadInteger(lookup, "x", HalfDifference(screen.ScreenWidth, bounds.Width));
    bounds.Top = ReadInteger(lookup, "y", HalfDifference(screen.ScreenHeight, bounds.Height));

    values.TrackLimit = ReadInteger(lookup, "TrackLimit", -1);
    values.OverwriteFiles = ReadInteger(lookup, "OverwriteFiles", AlwaysPrompt);
    if (values.OverwriteFiles < AlwaysOverwrite || values.OverwriteFiles > AlwaysPrompt) {
        values.OverwriteFiles = AlwaysPrompt;
    }
    values.FileFormat = ReadString(lookup, "FileFormat", DefaultFileFormat);
    if (ContainsForbiddenFileNameChar(values.FileFormat)) {
        values.FileFormat = DefaultFileFormat;
    }
    values.FolderFormat = ReadString(lookup, "FolderFormat", "");
    if (!IsValidFolderFormat(values.FolderFormat)) {
        values.FolderFormat.clear();
    }
    values.ExtractPath = wideLookup("ExtractPath").value_or(std::u16string());
    values.FirstRun = ReadBoolean(lookup, "FirstRun", true);
    values.ShowMenuBar = ReadBoolean(lookup, "ShowMenuBar", true);
    values.ShowToolbar = ReadBoolean(lookup, "ShowToolbar", true);
    values.ShowStatusBar = ReadBoolean(lookup, "ShowStatusBar", true);
    return values;
}

std::vector<StoredSetting> SettingsToStore(const SettingsValues& values) {
    const WindowBounds& bounds = values.Bounds;
    return {
        {"x", std::to_string(bounds.Left)},
        {"y", std::to_string(bounds.Top)},
        {"w", std::to_string(bounds.Width)},
        {"h", std::to_string(bounds.Height)},
        {"TrackLimit", std::to_string(values.TrackLimit)},
        {"OverwriteFiles", std::to_string(values.OverwriteFiles)},
        {"FileFormat", values.FileFormat},
        {"FolderFormat", values.FolderFormat},
        {"ExtractPath", values.ExtractPath},
        // Any save ends the first run, whatever the loaded flag says.
        {"FirstRun", BooleanText(false)},
        {"ShowMenuBar", BooleanText(values.ShowMenuBar)},
        {"ShowToolbar", BooleanText(values.ShowToolbar)},
        {"ShowStatusBar", BooleanText(values.ShowStatusBar)},
    };
}
