#include "playlist_file.h"

#include <algorithm>
#include <utility>

#include "extraction_rules.h"
#include "file_name_case.h"
#include "file_name_pattern.h"
#include "onetrack.h"

namespace {

constexpr std::u16string_view kExtension = u".m3u8";
constexpr std::u16string_view kFallbackName = u"Playlist";

// The info text of an entry: cut to its longest (never inside a surrogate
// pair), with every control character a space.
std::u16string EntryInfo(const PlaylistFileEntry& entry) {
    std::u16string info = entry.Artist + u" - " + entry.Title;
    if (info.size() > kLongestEntryInfo) {
        const bool splitsPair =
            info[kLongestEntryInfo] >= 0xDC00 && info[kLongestEntryInfo] <= 0xDFFF;
        info.resize(kLongestEntryInfo - (splitsPair ? 1 : 0));
    }
    std::replace_if(info.begin(), info.end(), IsControlOrLineBreak, u' ');
    return info;
}

// The name before its extension and numbering: mapped, trimmed, or the
// fallback.
std::u16string BaseName(std::u16string_view playlistName) {
    std::u16string name(TrimBlanksAndControls(playlistName));
    ReplaceForbiddenCharacters(name);
    const bool onlyDots = name.find_first_not_of(u'.') == std::u16string::npos;
    if (onlyDots || IsReservedDeviceName(name)) {
        return std::u16string(kFallbackName);
    }
    return name;
}

}  // namespace

std::optional<PlaylistFileEntry> PlaylistFileEntryOf(const OneTrack& track,
                                                     const TrackNamePlan& plan,
                                                     size_t destinationLength) {
    TargetName target = plan.Of(track);
    const bool tooLong = destinationLength + target.Name.size() > MaxTargetFileNameLength;
    if (target.Refusal != TrackRefusal::None || tooLong) {
        return std::nullopt;
    }
    // No more of the texts than the info line can show.
    return PlaylistFileEntry{track.GetSeconds(), track.GetArtist().substr(0, kLongestEntryInfo),
                             track.GetTitle().substr(0, kLongestEntryInfo), std::move(target.Name)};
}

PlaylistFileWriter::PlaylistFileWriter(BlockWriter::WriteBlock write, size_t blockSize)
    : output_(std::move(write), blockSize) {
    output_.Append("#EXTM3U\r\n");
}

bool PlaylistFileWriter::WriteEntry(const PlaylistFileEntry& entry) {
    return output_.Append(PlaylistEntryText(entry));
}

std::string PlaylistEntryText(const PlaylistFileEntry& entry) {
    return "#EXTINF:" + std::to_string(entry.Seconds) + "," + Utf8FromUtf16(EntryInfo(entry)) +
           "\r\n" + Utf8FromUtf16(entry.Path) + "\r\n";
}

PlaylistEntryLines::PlaylistEntryLines(const TrackNamePlan& plan, size_t destinationLength,
                                       Filter listed)
    : plan_(plan), destinationLength_(destinationLength), listed_(std::move(listed)) {}

std::string_view PlaylistEntryLines::Of(const OneTrack& track) {
    if (const auto kept = kept_.find(&track); kept != kept_.end()) {
        return kept->second;
    }
    // A map entry and its block cost about this beyond the lines.
    constexpr size_t kEntryBytes = 64;
    std::string lines = LinesOf(track);
    if (keptBytes_ + lines.size() + kEntryBytes > kMostKeptBytes) {
        latest_ = std::move(lines);
        return latest_;
    }
    keptBytes_ += lines.size() + kEntryBytes;
    return kept_.emplace(&track, std::move(lines)).first->second;
}

std::string PlaylistEntryLines::LinesOf(const OneTrack& track) const {
    if (listed_ && !listed_(track)) {
        return {};
    }
    const std::optional<PlaylistFileEntry> entry =
        PlaylistFileEntryOf(track, plan_, destinationLength_);
    return entry ? PlaylistEntryText(*entry) : std::string();
}

std::u16string PlaylistFileFailureText(std::u16string_view target, std::u16string_view reason) {
    return u"Error writing file:\r\n" + std::u16string(target) + u"\r\n" + std::u16string(reason) +
           u"\r\nDo you want to export remaining playlists?";
}

std::vector<std::u16string> PlaylistFileNames(const std::vector<std::u16string>& playlistNames) {
    NameNumbering none;
    return PlaylistFileNames(playlistNames, none);
}

std::vector<std::u16string> PlaylistFileNames(const std::vector<std::u16string>& playlistNames,
                                              NameNumbering& taken) {
    std::vector<std::u16string> fileNames;
    fileNames.reserve(playlistNames.size());
    for (const std::u16string& playlistName : playlistNames) {
        fileNames.push_back(taken.Take(BaseName(playlistName), kExtension));
    }
    return fileNames;
}
