#include "extraction_rules.h"

#include <algorithm>
#include <array>

#include "ansi_text.h"
#include "file_name_pattern.h"
#include "folder_pattern.h"
#include "onetrack.h"
#include "utf8_text.h"

namespace {

bool IsAsciiLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

std::u16string AsciiLowerCase(std::u16string_view text) {
    std::u16string lower(text);
    for (char16_t& unit : lower) {
        if (unit >= u'A' && unit <= u'Z') {
            unit = static_cast<char16_t>(unit - u'A' + u'a');
        }
    }
    return lower;
}

bool IsPortNumber(char16_t unit) {
    // Windows also numbers ports by the superscripts of the Latin-1 range.
    return (unit >= u'0' && unit <= u'9') || unit == u'\u00B9' || unit == u'\u00B2' ||
           unit == u'\u00B3';
}

// Windows drops trailing dots and spaces from a name: one made only of them
// names the folder it is in, or its parent.
template <typename Char>
bool IsOnlyDotsAndSpaces(std::basic_string_view<Char> name) {
    return std::all_of(name.begin(), name.end(), [](Char c) { return c == '.' || c == ' '; });
}

}  // namespace

std::string SourceExtension(std::string_view sourcePath) {
    const size_t dot = sourcePath.rfind('.');
    const size_t separator = sourcePath.find_last_of("\\/:");
    if (dot == std::string_view::npos || (separator != std::string_view::npos && separator > dot)) {
        return {};
    }
    const std::string_view extension = sourcePath.substr(dot + 1);
    if (extension.empty() ||
        !std::all_of(extension.begin(), extension.end(), IsAsciiLetterOrDigit)) {
        return {};
    }
    return std::string(sourcePath.substr(dot));
}

std::string CopyExtension(std::string_view sourcePath) {
    static constexpr std::array<std::string_view, 22> kMediaExtensions{
        ".mp3", ".m4a", ".m4b", ".m4p", ".m4r", ".aac",  ".aa",  ".aax", ".aif", ".aiff", ".aifc",
        ".wav", ".mp4", ".m4v", ".mov", ".jpg", ".jpeg", ".png", ".gif", ".bmp", ".tif",  ".tiff"};
    std::string extension = SourceExtension(sourcePath);
    std::string lower = extension;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    const bool media = std::find(kMediaExtensions.begin(), kMediaExtensions.end(), lower) !=
                       kMediaExtensions.end();
    return extension.empty() || media ? extension : extension + ".bin";
}

bool IsReservedDeviceName(std::u16string_view fileName) {
    // Windows looks at the part before the first dot, ignoring trailing blanks.
    std::u16string_view base = fileName.substr(0, fileName.find(u'.'));
    while (!base.empty() && base.back() == u' ') {
        base.remove_suffix(1);
    }
    std::u16string upper(base);
    for (char16_t& unit : upper) {
        if (unit >= u'a' && unit <= u'z') {
            unit = static_cast<char16_t>(unit - u'a' + u'A');
        }
    }
    static constexpr std::array<std::u16string_view, 6> plainDevices{u"CON", u"PRN",    u"AUX",
                                                                     u"NUL", u"CONIN$", u"CONOUT$"};
    if (std::find(plainDevices.begin(), plainDevices.end(), upper) != plainDevices.end()) {
        return true;
    }
    const bool numberedPort = upper.size() == 4 && IsPortNumber(upper[3]) &&
                              (upper.starts_with(u"COM") || upper.starts_with(u"LPT"));
    return numberedPort;
}

bool IsPlainPlayerPath(std::string_view playerPath) {
    if (!playerPath.starts_with('\\')) {
        return false;  // relative to whatever folder is current on the player's drive
    }
    std::string_view rest = playerPath.substr(1);
    while (true) {
        const size_t end = rest.find('\\');
        const std::string_view part = rest.substr(0, end);
        if (IsOnlyDotsAndSpaces(part) || part.find('/') != std::string_view::npos ||
            IsReservedDeviceName(Utf16FromAnsi(part))) {
            return false;
        }
        if (end == std::string_view::npos) {
            return true;
        }
        rest.remove_prefix(end + 1);
    }
}

TargetName PlanTargetName(std::u16string_view fileFormat, const OneTrack& track,
                          std::u16string_view folderFormat) {
    const std::u16string bareName = BuildTargetFileName(fileFormat, track);
    std::u16string fileName = bareName + Utf16FromAnsi(CopyExtension(track.GetPath()));
    // Windows drops them: the name planned is the name the file gets. (A
    // name of nothing else is refused below as it stands.)
    if (const size_t last = fileName.find_last_not_of(u". "); last != std::u16string::npos) {
        fileName.erase(last + 1);
    }
    TargetName target{BuildTargetFolder(folderFormat, track) + fileName};
    // Windows would take such a name, but no list naming the copy could.
    ReplaceUnpairedSurrogates(target.Name);
    if (!IsPlainPlayerPath(track.GetPath())) {
        target.Refusal = TrackRefusal::UnsafeSourcePath;
    } else if (bareName.size() > MaxTargetFileNameLength) {
        target.Refusal = TrackRefusal::NameTooLong;
    } else if (IsReservedDeviceName(fileName)) {
        target.Refusal = TrackRefusal::ReservedName;
    } else if (IsOnlyDotsAndSpaces(std::u16string_view(fileName))) {
        target.Refusal = TrackRefusal::EmptyName;
    } else if (IsTemporaryCopyName(AsciiLowerCase(fileName))) {
        target.Refusal = TrackRefusal::TemporaryName;
    }
    return target;
}

std::u16string_view RefusalReason(TrackRefusal refusal) {
    switch (refusal) {
        case TrackRefusal::UnsafeSourcePath:
            return u"The track's path on the iPod is not a plain file path (it has an empty, "
                   u"\".\" or \"..\" part, a \"/\" or a device name), so it is not read.\r\n";
        case TrackRefusal::ReservedName:
            return u"Windows reserves this name for a device, so no file can be written under "
                   u"it.\r\n";
        case TrackRefusal::EmptyName:
            return u"The pattern gives this track an empty name or one of dots only, which "
                   u"Windows cannot give a file.\r\n";
        case TrackRefusal::TemporaryName:
            return u"Trackhaul gives this name to its unfinished copies and removes files of "
                   u"such names, so no track is written under it.\r\n";
        default:
            return u"";
    }
}

ClashOutcome ClashPolicy::Resolve(const std::function<OverwriteAnswer()>& ask) {
    switch (policy_) {
        case AlwaysOverwrite:
            return ClashOutcome::Copy;
        case NeverOverwrite:
            return ClashOutcome::Skip;
        default:
            break;
    }
    switch (ask()) {
        case AnswerYes:
            return ClashOutcome::Copy;
        case AnswerYesToAll:
            policy_ = AlwaysOverwrite;
            return ClashOutcome::Copy;
        case AnswerNo:
            return ClashOutcome::Skip;
        case AnswerNoToAll:
            policy_ = NeverOverwrite;
            return ClashOutcome::Skip;
        default:
            return ClashOutcome::EndRun;
    }
}

namespace {
constexpr std::u16string_view TemporaryPrefix = u"~trackhaul-";
constexpr std::u16string_view TemporarySuffix = u".partial";
constexpr size_t TemporaryDigits = 8;
}  // namespace

std::u16string TemporaryCopyName(uint32_t number) {
    std::u16string name(TemporaryPrefix);
    for (int shift = 28; shift >= 0; shift -= 4) {
        name.push_back(u"0123456789abcdef"[(number >> shift) & 0xF]);
    }
    name.append(TemporarySuffix);
    return name;
}

bool IsTemporaryCopyName(std::u16string_view fileName) {
    if (fileName.size() != TemporaryPrefix.size() + TemporaryDigits + TemporarySuffix.size() ||
        !fileName.starts_with(TemporaryPrefix) || !fileName.ends_with(TemporarySuffix)) {
        return false;
    }
    const std::u16string_view digits = fileName.substr(TemporaryPrefix.size(), TemporaryDigits);
    return std::all_of(digits.begin(), digits.end(), [](char16_t unit) {
        return (unit >= u'0' && unit <= u'9') || (unit >= u'a' && unit <= u'f');
    });
}

int32_t CopyProgressPercent(int64_t transferred, int64_t total) {
    if (total <= 0) {
        return 0;
    }
    return static_cast<int32_t>(transferred * 100 / total);
}

std::u16string ExtractionFailureText(std::u16string_view source, std::u16string_view target,
                                     std::u16string_view reason) {
    std::u16string text(u"Error extracting ");
    text.append(source);
    text.append(u"\r\nto ");
    text.append(target);
    text.append(u"\r\n");
    text.append(reason);
    text.append(u"\r\nDo you want to extract remaining files?");
    return text;
}
