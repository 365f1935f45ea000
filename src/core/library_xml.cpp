#include "library_xml.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>
#include <utility>

#include "ansi_text.h"
#include "copy_comparison.h"
#include "extraction_rules.h"
#include "file_name_pattern.h"
#include "onetrack.h"
#include "playlist.h"
#include "program_version.h"
#include "rating_values.h"
#include "track_columns.h"
#include "track_name_plan.h"
#include "utf8_text.h"

using namespace std::literals;

namespace {

// Sixteen upper-case hex digits, kept in place: a library writes one or two
// for each of tens of thousands of tracks.
class Hex16 {
public:
    explicit Hex16(uint64_t value) {
        for (size_t i = digits_.size(); i-- > 0; value >>= 4) {
            digits_[i] = "0123456789ABCDEF"[value & 0xF];
        }
    }
    operator std::string_view() const { return {digits_.data(), digits_.size()}; }

private:
    std::array<char, 16> digits_{};
};

// "2006-01-02T15:04:05Z" appended to `out`.
void AppendIsoDate(std::string& out, const CivilTime& utc) {
    char year[12];
    const auto end = std::to_chars(std::begin(year), std::end(year), utc.Year).ptr;
    out.append(year, end);
    const auto twoDigits = [&out](char before, int32_t value) {
        out += before;
        out += static_cast<char>('0' + value / 10 % 10);
        out += static_cast<char>('0' + value % 10);
    };
    twoDigits('-', utc.Month);
    twoDigits('-', utc.Day);
    twoDigits('T', utc.Hour);
    twoDigits(':', utc.Minute);
    twoDigits(':', utc.Second);
    out += 'Z';
}

// A playlist's id where the player keeps none: the same for the same
// library and place, and unlike any other's.
uint64_t DerivedPlaylistId(uint64_t libraryId, size_t place) {
    uint64_t z = libraryId + 0x9E3779B97F4A7C15u * (place + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

bool IsUnreservedInUrl(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
           byte == '~' || byte == '/';
}

// XML text of UTF-16 text appended to `out` (see XmlText): runs of plain
// ASCII are copied, the rest converted a run at a time.
void AppendXmlText(std::string& out, std::u16string_view text) {
    size_t wide = 0;  // where the run of code units beyond ASCII started
    const auto endWide = [&](size_t at) {
        if (at > wide) {
            AppendUtf8(out, text.substr(wide, at - wide));
        }
        wide = at + 1;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0x80 && unit != 0xFFFE && unit != 0xFFFF) {
            continue;
        }
        endWide(i);
        switch (unit) {
            case u'&':
                out += "&amp;";
                break;
            case u'<':
                out += "&lt;";
                break;
            case u'>':
                out += "&gt;";
                break;
            case u'\t':
            case u'\n':
                out += static_cast<char>(unit);
                break;
            case u'\r':  // a parser reads a bare one as a line feed
                out += "&#13;";
                break;
            default:  // the controls and non-characters XML 1.0 forbids
                out += unit < 0x20 || unit >= 0x80 ? ' ' : static_cast<char>(unit);
                break;
        }
    }
    endWide(text.size());
}

// FileUrl(path) appended to `out`: ASCII as it stands where it may, each
// byte of the UTF-8 of the rest percent-encoded.
void AppendFileUrl(std::string& out, std::u16string_view path) {
    const bool drive =
        path.size() >= 2 && path[1] == u':' &&
        ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
    out += drive || path.empty() || path[0] != u'/' ? "file://localhost/"sv : "file://"sv;
    const auto percentEncoded = [&out](unsigned char byte) {
        out += '%';
        out += "0123456789ABCDEF"[byte >> 4];
        out += "0123456789ABCDEF"[byte & 0xF];
    };
    for (size_t i = 0; i < path.size();) {
        if (path[i] >= 0x80) {
            size_t end = i;
            while (end < path.size() && path[end] >= 0x80) {
                ++end;
            }
            std::string bytes;
            AppendUtf8(bytes, path.substr(i, end - i));
            for (const char byte : bytes) {
                percentEncoded(static_cast<unsigned char>(byte));
            }
            i = end;
            continue;
        }
        const auto byte = static_cast<unsigned char>(path[i] == u'\\' ? u'/' : path[i]);
        if (IsUnreservedInUrl(byte) || (drive && i == 1)) {
            out += static_cast<char>(byte);
        } else {
            percentEncoded(byte);
        }
        ++i;
    }
}

// The keys and values of a property list, each on a line of its own at the
// depth it is written at, made in one buffer reused for every line.
class PlistWriter {
public:
    explicit PlistWriter(BlockWriter& output) : output_(output) {}

    void Line(std::string_view text) {
        Start();
        line_ += text;
        End();
    }
    void Open(std::string_view tag) {
        Start();
        line_.append("<"sv).append(tag).append(">"sv);
        End();
        ++depth_;
    }
    void Close(std::string_view tag) {
        --depth_;
        Start();
        line_.append("</"sv).append(tag).append(">"sv);
        End();
    }
    void Key(std::string_view key) {
        Start();
        AppendKey(key);
        End();
    }
    void Integer(std::string_view key, int64_t value) {
        char digits[24];
        const auto [end, error] = std::to_chars(std::begin(digits), std::end(digits), value);
        Value(key, "integer", std::string_view(digits, static_cast<size_t>(end - digits)));
    }
    // A string value whose text is XML already.
    void String(std::string_view key, std::string_view xmlText) { Value(key, "string", xmlText); }
    void Text(std::string_view key, std::u16string_view text) {
        Value(key, "string", [text](std::string& line) { AppendXmlText(line, text); });
    }
    void Date(std::string_view key, const CivilTime& utc) {
        Value(key, "date", [&utc](std::string& line) { AppendIsoDate(line, utc); });
    }
    // A path as its file URL, which holds no character that XML escapes.
    void Url(std::string_view key, std::u16string_view path) {
        Value(key, "string", [path](std::string& line) { AppendFileUrl(line, path); });
    }
    void Boolean(std::string_view key, bool value) {
        Start();
        AppendKey(key);
        line_ += value ? "<true/>"sv : "<false/>"sv;
        End();
    }
    // The same, left out where the player has nothing.
    void IntegerIfAny(std::string_view key, int64_t value) {
        if (value != 0) {
            Integer(key, value);
        }
    }
    void TextIfAny(std::string_view key, std::u16string_view text) {
        if (!text.empty()) {
            Text(key, text);
        }
    }
    bool Finish() { return output_.Finish(); }

private:
    void Start() { line_.assign(depth_, '\t'); }
    void End() {
        line_ += '\n';
        output_.Append(line_);
    }
    void AppendKey(std::string_view key) { line_.append("<key>"sv).append(key).append("</key>"sv); }
    void Value(std::string_view key, std::string_view type, std::string_view text) {
        Value(key, type, [text](std::string& line) { line += text; });
    }
    // The value's text made in place by `appendText`.
    template <typename AppendText>
    void Value(std::string_view key, std::string_view type, const AppendText& appendText) {
        Start();
        AppendKey(key);
        line_.append("<"sv).append(type).append(">"sv);
        appendText(line_);
        line_.append("</"sv).append(type).append(">"sv);
        End();
    }

    BlockWriter& output_;
    size_t depth_ = 0;
    std::string line_;
};

// `shownText` is the buffer the list's texts are made in, one at a time:
// under Wine every string made on one thread waits for those made on the
// other, which looks the copies up meanwhile.
void WriteTrack(PlistWriter& plist, size_t trackId, const LibraryTrack& entry,
                const LocalToUtc& localToUtc, std::u16string& shownText) {
    const OneTrack& track = *entry.Track;
    const auto shown = [&](TrackColumnId column) -> std::u16string_view {
        ColumnOf(column).MakeText(track, shownText);
        return shownText;
    };
    const auto dateIfAny = [&](std::string_view key, uint32_t playerTime) {
        if (playerTime == 0) {
            return;
        }
        if (const std::optional<CivilTime> utc = localToUtc(CivilOfPlayerTime(playerTime))) {
            plist.Date(key, *utc);
        }
    };
    const std::string id = std::to_string(trackId);
    plist.Key(id);
    plist.Open("dict");
    plist.Integer("Track ID", static_cast<int64_t>(trackId));
    // As the list shows them: these three as the player keeps them.
    plist.TextIfAny("Name", track.GetTitle());
    plist.TextIfAny("Artist", track.GetArtist());
    plist.TextIfAny("Album", track.GetAlbum());
    plist.TextIfAny("Genre", shown(TrackColumnId::Genre));
    plist.TextIfAny("Kind", shown(TrackColumnId::Encoding));
    plist.TextIfAny("Composer", shown(TrackColumnId::Composer));
    plist.TextIfAny("Comments", shown(TrackColumnId::Comment));
    plist.IntegerIfAny("Size", static_cast<int64_t>(entry.Size));
    plist.IntegerIfAny("Total Time", track.GetMilliseconds());
    plist.IntegerIfAny("Disc Number", track.GetDiscNumber());
    plist.IntegerIfAny("Disc Count", track.GetDiscCount());
    plist.IntegerIfAny("Track Number", track.GetTrackNumber());
    plist.IntegerIfAny("Year", track.GetYear());
    dateIfAny("Date Added", track.GetDateAdded());
    plist.IntegerIfAny("Bit Rate", track.GetBitRate());
    plist.IntegerIfAny("Sample Rate", track.GetSampleRate());
    plist.IntegerIfAny("Play Count", track.GetPlayCount());
    plist.IntegerIfAny("Skip Count", track.GetSkipCount());
    plist.IntegerIfAny("Play Date", track.GetLastPlayed());
    dateIfAny("Play Date UTC", track.GetLastPlayed());
    // As the stars the list shows: 20 a star, at most 5.
    plist.IntegerIfAny("Rating", std::min<uint32_t>(track.GetRating() / 20, 5) * 20);
    if (track.GetDatabaseId() != 0) {
        plist.String("Persistent ID", Hex16(track.GetDatabaseId()));
    }
    plist.String("Track Type", "File");
    if (track.IsPodcast()) {
        plist.Boolean("Podcast", true);
    }
    if (track.HasVideo()) {
        plist.Boolean("Has Video", true);
    }
    plist.Url("Location", entry.CopyPath);
    plist.Close("dict");
}

void WritePlaylistItems(PlistWriter& plist, const std::vector<size_t>& trackIds) {
    plist.Key("Playlist Items");
    plist.Open("array");
    for (const size_t id : trackIds) {
        plist.Open("dict");
        plist.Integer("Track ID", static_cast<int64_t>(id));
        plist.Close("dict");
    }
    plist.Close("array");
}

}  // namespace

std::string IsoDate(const CivilTime& utc) {
    std::string date;
    AppendIsoDate(date, utc);
    return date;
}

std::string XmlText(std::u16string_view text) {
    std::string xml;
    AppendXmlText(xml, text);
    return xml;
}

std::string FileUrl(std::u16string_view path) {
    std::string url;
    AppendFileUrl(url, path);
    return url;
}

LibraryChoice ChooseLibraryTracks(const std::vector<const OneTrack*>& tracks,
                                  const TrackNamePlan& plan, std::u16string_view folder,
                                  std::u16string_view player, const FileSizeLookup& copySize,
                                  const FileSizeLookup& playerFileSize, const FileOpener& openCopy,
                                  const FileOpener& openPlayerFile) {
    const char16_t separator = !folder.empty() && folder.back() == u'/' ? u'/' : u'\\';
    LibraryChoice choice;
    choice.Tracks.reserve(tracks.size());
    for (const OneTrack* track : tracks) {
        // The plan's own name where it keeps one: a path is all that is made
        // of a track whose copy is there.
        const std::u16string* kept = plan.KeptName(*track);
        const TargetName name = kept ? TargetName{} : plan.Of(*track);
        const std::u16string_view plannedName = kept ? *kept : name.Name;
        std::u16string path;
        path.reserve(folder.size() + plannedName.size());
        path.append(folder).append(plannedName);
        std::replace(path.begin() + static_cast<std::ptrdiff_t>(folder.size()), path.end(), u'\\',
                     separator);
        const bool planned =
            name.Refusal == TrackRefusal::None && path.size() <= MaxTargetFileNameLength;
        const std::optional<uint64_t> size = planned ? copySize(path) : std::nullopt;
        // The player's file is looked at only where the database gives its
        // size otherwise.
        const auto playerPath = [&] {
            std::u16string source = std::u16string(player) + Utf16FromAnsi(track->GetPath());
            std::replace(source.begin(), source.end(), u'\\', separator);
            return source;
        };
        const auto playerFile = [&] { return playerFileSize(playerPath()); };
        // A copy whose tag shrank or grew much, as a padded one does when
        // its ratings are written, is looked at byte for byte.
        const auto sameBesideTags = [&] {
            if (!TakesRatingTags(*track)) {
                return false;
            }
            const std::optional<OpenedFile> copy = openCopy(path);
            const std::optional<OpenedFile> original =
                copy ? openPlayerFile(playerPath()) : std::nullopt;
            return original &&
                   SameBesideTags(*copy, *original, RatingConventionOf(track->GetPath()));
        };
        const auto fits = [&](std::optional<uint64_t> playerSize) {
            return playerSize && CopySizeFits(*track, *size, *playerSize);
        };
        // A size of 0 in the database is no size.
        const std::optional<uint64_t> databaseSize =
            track->GetSize() > 0 ? std::optional<uint64_t>(track->GetSize()) : std::nullopt;
        if (!size || (!fits(databaseSize) && !fits(playerFile()) && !sameBesideTags())) {
            ++choice.LeftOut;
            continue;
        }
        choice.Tracks.push_back({track, std::move(path), *size});
    }
    return choice;
}

bool WriteLibraryXml(const Library& library, const LocalToUtc& localToUtc, BlockWriter& output,
                     const MoreLibraryTracks& moreTracks,
                     const std::function<void(const LibraryTrack& written)>& progress) {
    PlistWriter plist(output);
    plist.Line("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    plist.Line(
        "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">");
    plist.Line("<plist version=\"1.0\">");
    plist.Open("dict");
    plist.Integer("Major Version", 1);
    plist.Integer("Minor Version", 1);
    plist.Date("Date", library.Now);
    plist.String("Application Version", std::string("Trackhaul ") + kProgramVersion);
    plist.Integer("Features", 5);
    plist.Boolean("Show Content Ratings", true);
    std::u16string folder = library.MusicFolder;
    if (folder.empty() || (folder.back() != u'\\' && folder.back() != u'/')) {
        folder += folder.find(u'/') == 0 ? u'/' : u'\\';
    }
    plist.Url("Music Folder", folder);
    plist.String("Library Persistent ID", Hex16(library.LibraryId));

    // Each track's id, by the track, sorted once all are written.
    std::vector<std::pair<const OneTrack*, size_t>> trackIds;
    std::u16string shownText;
    size_t written = 0;
    plist.Key("Tracks");
    plist.Open("dict");
    const auto writeTracks = [&](const std::vector<LibraryTrack>& tracks) {
        for (const LibraryTrack& track : tracks) {
            const size_t id = ++written;
            trackIds.emplace_back(track.Track, id);
            WriteTrack(plist, id, track, localToUtc, shownText);
            if (progress && id % 256 == 0) {
                progress(track);
            }
        }
    };
    writeTracks(library.Tracks);
    // The rest are not asked for once the file cannot take them.
    while (moreTracks && !output.Failed()) {
        const std::vector<LibraryTrack>* part = moreTracks();
        if (!part) {
            break;
        }
        writeTracks(*part);
    }
    plist.Close("dict");
    std::sort(trackIds.begin(), trackIds.end());

    plist.Key("Playlists");
    plist.Open("array");
    size_t playlistId = written + 1;
    std::vector<size_t> items(written);
    for (size_t i = 0; i < items.size(); ++i) {
        items[i] = i + 1;
    }
    plist.Open("dict");
    plist.String("Name", "Library");
    plist.Boolean("Master", true);
    plist.Integer("Playlist ID", static_cast<int64_t>(playlistId++));
    plist.String("Playlist Persistent ID", Hex16(DerivedPlaylistId(library.LibraryId, 0)));
    plist.Boolean("Visible", false);
    plist.Boolean("All Items", true);
    WritePlaylistItems(plist, items);
    plist.Close("dict");
    for (size_t place = 0; place < library.Playlists.size(); ++place) {
        const Playlist& playlist = *library.Playlists[place];
        items.clear();
        for (const OneTrack* member : playlist.Members) {
            // A track written twice has the id it was first written with.
            const auto found = std::lower_bound(trackIds.begin(), trackIds.end(),
                                                std::pair<const OneTrack*, size_t>(member, 0));
            if (found != trackIds.end() && found->first == member) {
                items.push_back(found->second);
            }
        }
        plist.Open("dict");
        plist.Text("Name", playlist.Name);
        plist.Integer("Playlist ID", static_cast<int64_t>(playlistId++));
        plist.String("Playlist Persistent ID",
                     Hex16(DerivedPlaylistId(library.LibraryId, place + 1)));
        plist.Boolean("All Items", true);
        WritePlaylistItems(plist, items);
        plist.Close("dict");
    }
    plist.Close("array");
    plist.Close("dict");
    plist.Line("</plist>");
    return plist.Finish();
}
