#include "csv_format.h"

#include <bit>
#include <cstring>
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
    text = text.substr(0, text.find(u'\0'));
    line += u'"';
    // Whole runs between quotes at once: a text rarely holds one.
    for (size_t quote; (quote = text.find(u'"')) != std::u16string_view::npos;) {
        line.append(text.substr(0, quote + 1));
        line += u'"';
        text.remove_prefix(quote + 1);
    }
    line.append(text);
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
    const size_t start = bytes.size();
    bytes.resize(start + text.size() * 2);
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(bytes.data() + start, text.data(), text.size() * 2);
    } else {
        for (size_t i = 0; i < text.size(); ++i) {
            bytes[start + 2 * i] = static_cast<char>(text[i] & 0xFF);
            bytes[start + 2 * i + 1] = static_cast<char>(text[i] >> 8);
        }
    }
    return bytes;
}
