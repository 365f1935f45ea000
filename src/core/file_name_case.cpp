#include "file_name_case.h"

#include <string>

namespace {

bool IsIn(char16_t unit, char16_t first, char16_t last) {
    return unit >= first && unit <= last;
}

}  // namespace

char16_t FileNameCapital(char16_t unit) {
    const bool shifted32 = IsIn(unit, u'a', u'z') || (IsIn(unit, 0xE0, 0xFE) && unit != 0xF7) ||
                           IsIn(unit, 0x3B1, 0x3C1) || IsIn(unit, 0x3C3, 0x3CB) ||
                           IsIn(unit, 0x430, 0x44F) || IsIn(unit, 0xFF41, 0xFF5A);
    if (shifted32) {
        return static_cast<char16_t>(unit - 0x20);
    }
    if (IsIn(unit, 0x450, 0x45F)) {
        return static_cast<char16_t>(unit - 0x50);
    }
    // Latin Extended-A pairs each capital with the small letter after it:
    // at even codes up to U+0137 (but for the Turkish i's), at odd ones from
    // U+0139 to U+0148, at even ones again from U+014A to U+0177, at odd
    // ones from U+0179.
    const bool smallAtOdd =
        IsIn(unit, 0x100, 0x12F) || IsIn(unit, 0x132, 0x137) || IsIn(unit, 0x14A, 0x177);
    const bool smallAtEven = IsIn(unit, 0x139, 0x148) || IsIn(unit, 0x179, 0x17E);
    if ((smallAtOdd && unit % 2 == 1) || (smallAtEven && unit % 2 == 0)) {
        return static_cast<char16_t>(unit - 1);
    }
    switch (unit) {
        case 0xFF:
            return 0x178;  // ÿ
        case 0x3C2:
            return 0x3A3;  // final sigma
        case 0x3AC:
            return 0x386;
        case 0x3AD:
        case 0x3AE:
        case 0x3AF:
            return static_cast<char16_t>(unit - 0x25);
        case 0x3CC:
            return 0x38C;
        case 0x3CD:
        case 0x3CE:
            return static_cast<char16_t>(unit - 0x3F);
        default:
            return unit;
    }
}

std::u16string NameNumbering::Take(std::u16string_view stem, std::u16string_view extension) {
    std::u16string name = std::u16string(stem) + std::u16string(extension);
    const std::u16string folded = FileNameCapitals(name);
    if (taken_.insert(folded).second) {
        return name;
    }
    const auto numbering = [](size_t number) {  // " (2)" for 2
        const std::string digits = std::to_string(number);
        return u" (" + std::u16string(digits.begin(), digits.end()) + u")";
    };
    const std::u16string foldedStem = FileNameCapitals(stem);
    const std::u16string foldedExtension = FileNameCapitals(extension);
    size_t& number = nextNumber_.try_emplace(folded, 2).first->second;
    while (!taken_.insert(foldedStem + numbering(number) + foldedExtension).second) {
        ++number;
    }
    return std::u16string(stem) + numbering(number++) + std::u16string(extension);
}

std::vector<std::u16string> NumberedWhereTheyMeet(std::vector<std::u16string> names) {
    NameNumbering numbering;
    for (std::u16string& name : names) {
        name = numbering.Take(name);
    }
    return names;
}
