#include "extraction_rules.h"

#include <algorithm>
#include <array>

std::string SourceExtension(std::string_view sourcePath) {
    const size_t dot = sourcePath.rfind('.');
    const size_t separator = sourcePath.find_last_of("\\:");
    if (dot == std::string_view::npos || (separator != std::string_view::npos && separator > dot)) {
        return {};
    }
    return std::string(sourcePath.substr(dot));
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
    static constexpr std::array<std::u16string_view, 4> plainDevices{u"CON", u"PRN", u"AUX",
                                                                     u"NUL"};
    if (std::find(plainDevices.begin(), plainDevices.end(), upper) != plainDevices.end()) {
        return true;
    }
    const bool numberedPort = upper.size() == 4 && upper[3] >= u'1' && upper[3] <= u'9' &&
                              (upper.starts_with(u"COM") || upper.starts_with(u"LPT"));
    return numberedPort;
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
