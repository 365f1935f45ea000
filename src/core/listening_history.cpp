#include "listening_history.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "onetrack.h"
#include "program_version.h"
#include "utf8_text.h"

namespace {

// Media types of the player that are music: audio, audio and video, and
// none given.
bool IsMusic(const OneTrack& track) {
    const int32_t type = track.GetMediaType();
    return type == -1 || type == 0 || type == 1;
}

bool HasText(const std::u16string& text) {
    return text.find_first_not_of(u" \t\r\n") != std::u16string::npos;
}

// Places `count` listens of `track` one length apart, the last at `last`
// (the player's time); what cannot be placed is left out.
void Place(const OneTrack& track, uint32_t count, uint32_t last, bool skipped,
           const LocalToUtc& localToUtc, ListeningHistory& history) {
    if (count == 0) {
        return;
    }
    const uint32_t placed = std::min(count, kMostListensOfATrack);
    history.LeftOut += count - placed;
    if (last == 0) {
        history.LeftOut += placed;
        return;
    }
    const uint64_t length = static_cast<uint64_t>(track.GetSeconds());
    for (uint32_t back = placed; back-- > 0;) {  // oldest first
        const uint64_t before = length * back;
        const std::optional<CivilTime> utc =
            before <= last ? localToUtc(CivilOfPlayerTime(static_cast<uint32_t>(last - before)))
                           : std::nullopt;
        if (!utc) {
            ++history.LeftOut;
            continue;
        }
        history.Listens.push_back({&track, UnixSeconds(*utc), skipped});
        if (!skipped) {
            ++history.Plays;
            history.EstimatedPlays += back > 0 ? 1 : 0;
        }
    }
}

// A text as a field of the log: UTF-8, a TAB, CR or LF a space.
void AppendField(std::string& line, std::u16string_view text) {
    const size_t start = line.size();
    AppendUtf8(line, text);
    std::replace_if(
        line.begin() + static_cast<std::ptrdiff_t>(start), line.end(),
        [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
}

// A text as a JSON string, quotes included: the controls as \u00XX.
void AppendJsonString(std::string& out, std::u16string_view text) {
    std::string utf8;
    AppendUtf8(utf8, text);
    out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += "0123456789abcdef"[byte >> 4];
            out += "0123456789abcdef"[byte & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

}  // namespace

ListeningHistory GatherListeningHistory(const std::vector<const OneTrack*>& tracksInFileOrder,
                                        const LocalToUtc& localToUtc) {
    ListeningHistory history;
    for (const OneTrack* track : tracksInFileOrder) {
        const SinceSync& since = track->GetSinceSync();
        if ((since.Plays == 0 && since.Skips == 0) || !IsMusic(*track) ||
            !HasText(track->GetArtist()) || !HasText(track->GetTitle())) {
            continue;
        }
        Place(*track, since.Plays, since.LastPlayed, false, localToUtc, history);
        Place(*track, since.Skips, since.LastSkipped, true, localToUtc, history);
    }
    std::stable_sort(history.Listens.begin(), history.Listens.end(),
                     [](const Listen& a, const Listen& b) { return a.Started < b.Started; });
    return history;
}

bool WriteScrobblerLog(const ListeningHistory& history, BlockWriter& output) {
    output.Append(std::string("#AUDIOSCROBBLER/1.1\n#TZ/UTC\n#CLIENT/Trackhaul ") +
                  kProgramVersion + "\n");
    std::string line;
    for (const Listen& listen : history.Listens) {
        const OneTrack& track = *listen.Track;
        line.clear();
        AppendField(line, track.GetArtist());
        line += '\t';
        AppendField(line, track.GetAlbum());
        line += '\t';
        AppendField(line, track.GetTitle());
        line += '\t';
        if (track.GetTrackNumber() != 0) {
            line += std::to_string(track.GetTrackNumber());
        }
        line += '\t' + std::to_string(track.GetSeconds()) + (listen.Skipped ? "\tS\t" : "\tL\t") +
                std::to_string(listen.Started) + "\t\n";
        if (!output.Append(line)) {
            return false;
        }
    }
    return output.Finish();
}

bool WriteListenBrainzListens(const ListeningHistory& history, BlockWriter& output) {
    output.Append("[");
    std::string object;
    bool first = true;
    for (const Listen& listen : history.Listens) {
        if (listen.Skipped) {
            continue;
        }
        const OneTrack& track = *listen.Track;
        object = first ? "\n" : ",\n";
        first = false;
        object += "{\"listened_at\": " + std::to_string(listen.Started) +
                  ", \"track_metadata\": {\"artist_name\": ";
        AppendJsonString(object, track.GetArtist());
        object += ", \"track_name\": ";
        AppendJsonString(object, track.GetTitle());
        if (!track.GetAlbum().empty()) {
            object += ", \"release_name\": ";
            AppendJsonString(object, track.GetAlbum());
        }
        object +=
            ", \"additional_info\": {\"duration_ms\": " + std::to_string(track.GetMilliseconds());
        if (track.GetTrackNumber() != 0) {
            object += ", \"tracknumber\": " + std::to_string(track.GetTrackNumber());
        }
        object += std::string(
                      ", \"media_player\": \"iPod\", \"submission_client\": \"Trackhaul\", "
                      "\"submission_client_version\": \"") +
                  kProgramVersion + "\"}}}";
        if (!output.Append(object)) {
            return false;
        }
    }
    output.Append(first ? "]\n" : "\n]\n");
    return output.Finish();
}
