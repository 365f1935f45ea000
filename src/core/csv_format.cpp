#include "csv_format.h"

#include <string>

std::u16string CsvHeaderLine(std::span<const TrackColumnId> columns) {
    std::u16string line;
    for (const TrackColumnId id : columns) {
        if (!line.empty()) {
            line += u',';
        }
        AppendQuotedField(line, ColumnOf(id).CsvHeader);
    }
    line += u'\n';
    return line;
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

std::u16string CsvTrackLine(const OneTrack& track, std::span<const TrackColumnId> columns) {
    std::u16string line;
    bool first = true;
    for (const TrackColumnId id : columns) {
        if (!first) {
            line += u',';
        }
        first = false;
        const TrackColumn& column = ColumnOf(id);
        if (column.Csv == CsvField::Bare) {
            line += column.Text(track);
        } else {
            AppendQuotedField(line, column.Text(track));
        }
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
