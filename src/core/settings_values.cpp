#include "settings_values.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <type_traits>

#include "ansi_text.h"

namespace {

// The window's default size at 96 DPI.
constexpr int32_t DefaultWidth = 884;
constexpr int32_t DefaultHeight = 606;

// Half of a difference, rounded toward minus infinity by the arithmetic shift
// (-77 gives -39). The difference of two 32-bit numbers is taken in 64 bits so
// that extreme stored sizes cannot overflow it; its half always fits again.
int32_t HalfDifference(int32_t total, int32_t part) {
    const int64_t difference = int64_t{total} - int64_t{part};
    return static_cast<int32_t>(difference >> 1);
}

// How one value of type T is read and written: where it lives, its default
// (which may depend on the screen and on the values read before it), which
// loaded values it refuses in favour of the default, and what a save writes
// instead of the value itself, if anything.
template <typename T>
struct Rule {
    T& (*Field)(SettingsValues&);
    T (*Default)(const ScreenMetrics&, const SettingsValues&);
    bool (*Accepts)(const T&) = nullptr;  // none: every value read is kept
    T (*SavedAs)(const T&) = nullptr;     // none: the value is written
};

// Integers are signed decimal text; booleans "0" or "1", and any other
// number is true; narrow texts are ANSI; the folders are UTF-16.
using AnyRule = std::variant<Rule<int32_t>, Rule<bool>, Rule<std::string>, Rule<std::u16string>>;

// When a load reads a value: the window's size first, because the default
// position centres it; every other value in the order of the table.
enum class ReadTurn { First, InOrder };

struct Setting {
    std::string_view Name;
    ReadTurn Turn;
    AnyRule Value;
};

template <auto Member>
auto& Field(SettingsValues& values) {
    return values.*Member;
}

template <auto Member>
int32_t& BoundsField(SettingsValues& values) {
    return values.Bounds.*Member;
}

template <auto Value>
decltype(Value) Constant(const ScreenMetrics&, const SettingsValues&) {
    return Value;
}

template <typename Text, const std::string_view& Value>
Text ConstantText(const ScreenMetrics&, const SettingsValues&) {
    return Text(Value.begin(), Value.end());
}

constexpr std::string_view NoText;

// A length at 96 DPI at the screen's DPI, rounded to the nearest pixel.
int32_t Scaled(int32_t length, const ScreenMetrics& screen) {
    return static_cast<int32_t>((int64_t{length} * screen.Dpi + 48) / 96);
}

int32_t FittedWidth(const ScreenMetrics& screen, const SettingsValues&) {
    return std::min(screen.WorkWidth, Scaled(DefaultWidth, screen));
}

int32_t FittedHeight(const ScreenMetrics& screen, const SettingsValues&) {
    return std::min(screen.WorkHeight, Scaled(DefaultHeight, screen));
}

int32_t CentredLeft(const ScreenMetrics& screen, const SettingsValues& values) {
    return HalfDifference(screen.ScreenWidth, values.Bounds.Width);
}

int32_t CentredTop(const ScreenMetrics& screen, const SettingsValues& values) {
    return HalfDifference(screen.ScreenHeight, values.Bounds.Height);
}

bool IsOverwritePolicy(const int32_t& value) {
    return value >= AlwaysOverwrite && value <= AlwaysPrompt;
}

bool IsFileFormat(const std::string& text) {
    return !ContainsForbiddenFileNameChar(text);
}

bool IsFolderFormat(const std::string& text) {
    return IsValidFolderFormat(text);
}

// Before a track extraction stored its folder, the last folder of any
// command was the music folder.
std::u16string LastExtractPath(const ScreenMetrics&, const SettingsValues& values) {
    return values.ExtractPath;
}

// Any save ends the first run, whatever the loaded flag says.
bool NotFirstRunAnyMore(const bool&) {
    return false;
}

// Every setting, in the order a save writes them. A new setting is one row
// here and one member of SettingsValues.
const std::vector<Setting>& SettingsTable() {
    static const std::vector<Setting> table{
        {"x", ReadTurn::InOrder,
         Rule<int32_t>{.Field = BoundsField<&WindowBounds::Left>, .Default = CentredLeft}},
        {"y", ReadTurn::InOrder,
         Rule<int32_t>{.Field = BoundsField<&WindowBounds::Top>, .Default = CentredTop}},
        {"w", ReadTurn::First,
         Rule<int32_t>{.Field = BoundsField<&WindowBounds::Width>, .Default = FittedWidth}},
        {"h", ReadTurn::First,
         Rule<int32_t>{.Field = BoundsField<&WindowBounds::Height>, .Default = FittedHeight}},
        {"TrackLimit", ReadTurn::InOrder,
         Rule<int32_t>{.Field = Field<&SettingsValues::TrackLimit>, .Default = Constant<-1>}},
        {"OverwriteFiles", ReadTurn::InOrder,
         Rule<int32_t>{.Field = Field<&SettingsValues::OverwriteFiles>,
                       .Default = Constant<int32_t{AlwaysPrompt}>,
                       .Accepts = IsOverwritePolicy}},
        {"FileFormat", ReadTurn::InOrder,
         Rule<std::string>{.Field = Field<&SettingsValues::FileFormat>,
                           .Default = ConstantText<std::string, DefaultFileFormat>,
                           .Accepts = IsFileFormat}},
        {"FolderFormat", ReadTurn::InOrder,
         Rule<std::string>{.Field = Field<&SettingsValues::FolderFormat>,
                           .Default = ConstantText<std::string, NoText>,
                           .Accepts = IsFolderFormat}},
        {"ExtractPath", ReadTurn::InOrder,
         Rule<std::u16string>{.Field = Field<&SettingsValues::ExtractPath>,
                              .Default = ConstantText<std::u16string, NoText>}},
        {"FirstRun", ReadTurn::InOrder,
         Rule<bool>{.Field = Field<&SettingsValues::FirstRun>,
                    .Default = Constant<true>,
                    .SavedAs = NotFirstRunAnyMore}},
        {"ShowMenuBar", ReadTurn::InOrder,
         Rule<bool>{.Field = Field<&SettingsValues::ShowMenuBar>, .Default = Constant<true>}},
        {"ShowToolbar", ReadTurn::InOrder,
         Rule<bool>{.Field = Field<&SettingsValues::ShowToolbar>, .Default = Constant<true>}},
        {"ShowStatusBar", ReadTurn::InOrder,
         Rule<bool>{.Field = Field<&SettingsValues::ShowStatusBar>, .Default = Constant<true>}},
        {"ExtraColumns", ReadTurn::InOrder,
         Rule<std::string>{.Field = Field<&SettingsValues::ExtraColumns>,
                           .Default = ConstantText<std::string, NoText>}},
        {"ShowAlbumArt", ReadTurn::InOrder,
         Rule<bool>{.Field = Field<&SettingsValues::ShowAlbumArt>, .Default = Constant<false>}},
        {"SaveAlbumArt", ReadTurn::InOrder,
         Rule<bool>{.Field = Field<&SettingsValues::SaveAlbumArt>, .Default = Constant<false>}},
        {"WriteLibrary", ReadTurn::InOrder,
         Rule<bool>{.Field = Field<&SettingsValues::WriteLibrary>, .Default = Constant<false>}},
        {"WriteRatings", ReadTurn::InOrder,
         Rule<bool>{.Field = Field<&SettingsValues::WriteRatings>, .Default = Constant<false>}},
        {"MusicFolder", ReadTurn::InOrder,
         Rule<std::u16string>{.Field = Field<&SettingsValues::MusicFolder>,
                              .Default = LastExtractPath}},
        {"WriteHistory", ReadTurn::InOrder,
         Rule<bool>{.Field = Field<&SettingsValues::WriteHistory>, .Default = Constant<false>}},
    };
    return table;
}

// The stored text of a value as its type reads it; nothing when absent or
// not readable as that type, so that the default applies.
template <typename T>
std::optional<T> Parsed(std::string_view name, const StoredTextLookup& lookup,
                        const StoredWideTextLookup& wideLookup) {
    if constexpr (std::is_same_v<T, std::u16string>) {
        return wideLookup(name);
    } else if constexpr (std::is_same_v<T, std::string>) {
        return lookup(name);
    } else {
        const std::optional<std::string> text = lookup(name);
        const std::optional<int32_t> number = text ? ParseInt32(*text) : std::nullopt;
        if constexpr (std::is_same_v<T, bool>) {
            return number ? std::optional(*number != 0) : std::nullopt;
        } else {
            return number;
        }
    }
}

std::variant<std::string, std::u16string> StoredText(int32_t value) {
    return std::to_string(value);
}

std::variant<std::string, std::u16string> StoredText(bool value) {
    return std::string(value ? "1" : "0");
}

std::variant<std::string, std::u16string> StoredText(const std::string& value) {
    return value;
}

std::variant<std::string, std::u16string> StoredText(const std::u16string& value) {
    return value;
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
    const auto read = [&](const Setting& setting) {
        std::visit(
            [&](const auto& rule) {
                auto& field = rule.Field(values);
                const auto fallback = rule.Default(screen, values);
                using Value = std::remove_reference_t<decltype(field)>;
                field = Parsed<Value>(setting.Name, lookup, wideLookup).value_or(fallback);
                if (rule.Accepts && !rule.Accepts(field)) {
                    field = fallback;
                }
            },
            setting.Value);
    };
    for (const ReadTurn turn : {ReadTurn::First, ReadTurn::InOrder}) {
        for (const Setting& setting : SettingsTable()) {
            if (setting.Turn == turn) {
                read(setting);
            }
        }
    }
    return values;
}

std::vector<StoredSetting> SettingsToStore(const SettingsValues& values) {
    // The rules reach the fields through a writable object; a save changes
    // nothing in it.
    SettingsValues copy = values;
    std::vector<StoredSetting> stored;
    for (const Setting& setting : SettingsTable()) {
        std::visit(
            [&](const auto& rule) {
                const auto& field = rule.Field(copy);
                stored.push_back(
                    {setting.Name, StoredText(rule.SavedAs ? rule.SavedAs(field) : field)});
            },
            setting.Value);
    }
    return stored;
}
