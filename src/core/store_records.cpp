#include "store_records.h"

#include <algorithm>

#include "buffered_input.h"
#include "extraction_rules.h"  // IsReservedDeviceName

namespace {

// A file name longer than this is not one the player wrote.
constexpr uint32_t kMaxNameBytes = 256;

// The text of a file name object: UTF-16LE (encoding 2) or UTF-8 (0 or 1),
// kept only where every character is ASCII.
std::optional<std::string> AsciiName(std::basic_string_view<uint8_t> bytes, uint8_t encoding) {
    std::string name;
    if (encoding == 2) {
        if (bytes.size() % 2 != 0) {
            return std::nullopt;
        }
        for (size_t i = 0; i < bytes.size(); i += 2) {
            if (bytes[i + 1] != 0 || bytes[i] >= 0x80) {
                return std::nullopt;
            }
            name += static_cast<char>(bytes[i]);
        }
    } else if (encoding <= 1) {
        for (const uint8_t byte : bytes) {
            if (byte >= 0x80) {
                return std::nullopt;
            }
            name += static_cast<char>(byte);
        }
    } else {
        return std::nullopt;
    }
    return name;
}

}  // namespace

std::optional<Record> ReadRecord(BufferedInput& input, int64_t start, int64_t limit,
                                 std::string_view tag, size_t fieldsEnd, Extent extent) {
    Record record;
    record.Start = start;
    const int64_t available = std::min<int64_t>(limit - start, Record::kHeadSize);
    if (available < static_cast<int64_t>(fieldsEnd) || !input.SeekTo(start) ||
        input.Read(record.Head.data(), static_cast<size_t>(available)) !=
            static_cast<size_t>(available) ||
        std::string_view(reinterpret_cast<const char*>(record.Head.data()), 4) != tag) {
        return std::nullopt;
    }
    const int64_t headerLength = record.U32(4);
    int64_t totalLength = extent == Extent::HeaderOnly ? headerLength : record.U32(8);
    if (extent == Extent::Clipped) {
        totalLength = std::min(totalLength, limit - start);
    }
    // Every record moves the walk forward and holds what is read of it.
    if (headerLength < 12 || totalLength < headerLength ||
        totalLength < static_cast<int64_t>(fieldsEnd) || totalLength > limit - start) {
        return std::nullopt;
    }
    record.ContentStart = start + headerLength;
    record.End = start + totalLength;
    return record;
}

void ForEachDataSet(BufferedInput& input, const std::function<bool(const Record& set)>& visit) {
    const auto root = ReadRecord(input, 0, input.Size(), "mhfd", 24, Extent::Clipped);
    if (!root) {
        return;
    }
    int64_t position = root->ContentStart;
    for (uint32_t i = 0; i < root->U32(20) && position < root->End; ++i) {
        const auto set = ReadRecord(input, position, root->End, "mhsd", 14, Extent::Clipped);
        if (!set || !visit(*set)) {
            return;
        }
        position = set->End;
    }
}

bool ForEachListItem(BufferedInput& input, const Record& set, std::string_view listTag,
                     const ListItemReader& item) {
    const auto list = ReadRecord(input, set.ContentStart, set.End, listTag, 12, Extent::HeaderOnly);
    if (!list) {
        return true;
    }
    int64_t position = list->End;
    for (uint32_t i = 0; i < list->U32(8) && position < set.End; ++i) {
        const std::optional<int64_t> next = item(position, set.End);
        if (!next) {
            return false;
        }
        if (*next <= position) {
            return true;  // damage: the rest of the list is passed over
        }
        position = *next;
    }
    return true;
}

bool ForEachImage(BufferedInput& input, const Record& set, size_t fieldsEnd,
                  const std::function<bool(const Record& image)>& image) {
    return ForEachListItem(
        input, set, "mhli", [&](int64_t position, int64_t setEnd) -> std::optional<int64_t> {
            const auto item =
                ReadRecord(input, position, setEnd, "mhii", fieldsEnd, Extent::Contained);
            if (!item) {
                return position;
            }
            return image(*item) ? std::optional(item->End) : std::nullopt;
        });
}

std::optional<std::string> PathInFolder(const std::string& folder, std::string_view name) {
    if (folder.empty() || name.empty()) {
        return std::nullopt;
    }
    const char separator = folder.back();
    if (name.front() == ':') {
        name.remove_prefix(1);
    }
    std::string path = folder;
    size_t partStart = 0;
    while (true) {
        const size_t partEnd = std::min(name.find(':', partStart), name.size());
        const std::string_view part = name.substr(partStart, partEnd - partStart);
        const bool onlyDotsAndSpaces = part.find_first_not_of(". ") == std::string_view::npos;
        const bool plain = std::all_of(part.begin(), part.end(), [](char c) {
            return c >= 0x20 && c < 0x7F &&
                   std::string_view("\\/*?\"<>|").find(c) == std::string_view::npos;
        });
        if (onlyDotsAndSpaces || !plain ||
            IsReservedDeviceName(std::u16string(part.begin(), part.end()))) {
            return std::nullopt;
        }
        path += part;
        if (partEnd == name.size()) {
            return path;
        }
        path += separator;
        partStart = partEnd + 1;
    }
}

std::optional<std::string> FileNameOf(BufferedInput& input, const Record& object) {
    if (object.U16(12) != 3) {
        return std::nullopt;
    }
    const uint32_t length = object.U32(24);
    if (length > kMaxNameBytes || object.Start + 36 + int64_t{length} > object.End) {
        return std::nullopt;
    }
    std::array<uint8_t, kMaxNameBytes> bytes;
    if (!input.SeekTo(object.Start + 36) || input.Read(bytes.data(), length) != length) {
        return std::nullopt;
    }
    return AsciiName({bytes.data(), length}, object.Head[28]);
}
