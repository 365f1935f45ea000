#include "csv_format.h"

#include <string>

#include "ansi_text.h"
#include "onetrack.h"

namespace {

std::u16string Decimal(int32_t value) {
    return Utf16FromAnsi(std::to_string(value));
}

}  // namespace

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
    std::u16string line = Decimal(track.GetTrackNumber());
    const std::u16string fields[] = {
        track.GetTitle(),
        track.GetArtist(),
        track.GetAlbum(),
        Utf16FromAnsi(track.GetLengthText()),
        Utf16FromAnsi(track.GetTrackType()),
        Utf16FromAnsi(track.GetFileType()),
        Decimal(track.GetBitRate()) + u" kBps",
        Decimal(track.GetSampleRate()) + u" Hz",
    };
    for (const std::u16string& field : fields) {
        line += u',';
        AppendQuotedField(line, field);
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
