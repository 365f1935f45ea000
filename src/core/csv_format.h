// Lines of the exported track list: UTF-16, fields separated by commas, every
// line ending in a single line feed. The file itself starts with the
// little-endian byte-order mark.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "track_columns.h"

class OneTrack;

// The header line of the columns, "Track Number","Title",... with its line feed.
std::u16string CsvHeaderLine(std::span<const TrackColumnId> columns = StandardColumns());

// One track: the texts of the columns, the track number bare and the others
// quoted, then a line feed.
std::u16string CsvTrackLine(const OneTrack& track,
                            std::span<const TrackColumnId> columns = StandardColumns());

// Appends text in quotation marks, doubling every quotation mark inside it;
// the text ends at its first zero code unit. Nothing else is escaped.
void AppendQuotedField(std::u16string& line, std::u16string_view text);

// The bytes of the text as UTF-16 little-endian; with the byte-order mark in
// front when asked for.
std::string Utf16LeBytes(std::u16string_view text, bool withByteOrderMark = false);
