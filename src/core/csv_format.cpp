#include "csv_format.h"

#include <string>

#include "track_row.h"

std::u16string CsvHeaderLine() {
    return u"\"Track Number\",\"Title\",\"Arist\",\"Album\",\"Length\",\"Track Type\","
           u"\"Encoding\",\"Bit Rate\",\"Sample Rate\"\n";
}

void AppendQuotedField(std::u16string& line, std::u16string_view text) {
    line += u'"';
    for (const char16_t unit : text) {
        if (unit == u'\0') {
            break;
        }
        if (unit == u'"') {
            line += u'"';
        }
        line += unit;
    }
    line += u'"';
}

std::u16string CsvTrackLine(const OneTrack& track) {
    // The same nine texts as the track list shows: the number bare, the
    // others quoted.
    const auto texts = TrackColumnTexts(track);
    std::u16string line = texts[0];
    for (size_t field = 1; field < texts.size(); ++field) {
        line += u',';
        AppendQuotedField(line, texts[field]);
    }
    line += u'\n';
    return line;
}

std::string Utf16LeBytes(std::u16string_view text, bool withByteOrderMark) {
    std::string bytes;
    bytes.reserve(text.size() * 2 + 2);
    if (withByteOrderMark) {
        bytes += "\xFF\xFE";
    }
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}
