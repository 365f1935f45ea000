// What the player recorded since it was last synced, in files beside its
// database: "Play Counts" (the plays, last plays, ratings and skips made on
// the player) and "OTGPlaylistInfo", "OTGPlaylistInfo_1", ... (the
// On-The-Go lists made on it). They are read only when the database lies in
// a player's "iPod_Control\iTunes" folder. A file that is damaged or is not
// such a file is left out whole, without a word: it only ever adds to what
// the database holds.
#include <algorithm>
#include <optional>
#include <string_view>

#include "buffered_input.h"
#include "itdbparser.h"

namespace {

bool SameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// The folder of the database, with its separator, when that is a player's
// "iPod_Control\iTunes" folder (either separator, any letter case); else
// nothing.
std::optional<std::string> PlayerFolderOf(const std::string& databasePath) {
    std::string_view rest(databasePath);
    std::string_view parts[3];  // the file name and the two folders before it
    for (std::string_view& part : parts) {
        const size_t separator = rest.find_last_of("\\/");
        if (separator == std::string_view::npos) {
            return std::nullopt;
        }
        part = rest.substr(separator + 1);
        rest = rest.substr(0, separator);
    }
    if (!SameLetters(parts[1], "iTunes") || !SameLetters(parts[2], "iPod_Control")) {
        return std::nullopt;
    }
    return databasePath.substr(0, databasePath.size() - parts[0].size());
}

uint32_t UInt32At(const uint8_t* bytes) {
    return static_cast<uint32_t>(ITDBParser::ToInt32(bytes));
}

enum class FileState { Missing, Unusable, Usable };

// Both files are a header of a tag, the header's length, the length of an
// entry and the number of entries, then the entries.
struct EntryFile {
    BufferedInput input;
    int32_t headerLength = 0;
    int32_t entryLength = 0;
    int32_t entryCount = 0;

    // Unusable when it does not start with `tag`, has a shorter header or
    // shorter entries than the least given, or ends before its last entry.
    FileState Open(PlayerFiles& files, const std::string& path, const char (&tag)[5],
                   int32_t leastHeader, int32_t leastEntry) {
        if (!input.Open(files.OpenAnsi(path))) {
            return FileState::Missing;
        }
        uint8_t fields[16];
        if (input.Read(fields, sizeof fields) != sizeof fields ||
            !std::equal(fields, fields + 4, tag)) {
            return FileState::Unusable;
        }
        headerLength = ITDBParser::ToInt32(fields + 4);
        entryLength = ITDBParser::ToInt32(fields + 8);
        entryCount = ITDBParser::ToInt32(fields + 12);
        const bool whole =
            headerLength >= leastHeader && entryLength >= leastEntry && entryCount >= 0 &&
            int64_t{headerLength} + int64_t{entryLength} * entryCount <= input.Size();
        return whole ? FileState::Usable : FileState::Unusable;
    }

    // Reads the first `count` bytes of entry `index`.
    bool ReadEntry(int32_t index, uint8_t* bytes, size_t count) {
        return input.SeekTo(int64_t{headerLength} + int64_t{entryLength} * index) &&
               input.Read(bytes, count) == count;
    }
};

struct PlayCount {
    uint32_t Plays = 0;
    uint32_t LastPlayed = 0;
    std::optional<uint32_t> Rating;
    std::optional<uint32_t> Skips;
    uint32_t LastSkipped = 0;
};

// The entries of a "Play Counts" file for the first `trackCount` tracks,
// charged to `budget` (the caller releases them); nothing, and no charge,
// when it cannot be used or does not fit.
std::optional<std::vector<PlayCount>> ReadPlayCounts(PlayerFiles& files, const std::string& path,
                                                     size_t trackCount, MemoryBudget& budget) {
    constexpr int32_t kWithRating = 0x10;
    constexpr int32_t kWithSkips = 0x1C;
    EntryFile file;
    if (file.Open(files, path, "mhdp", 0x60, 0x0C) != FileState::Usable) {
        return std::nullopt;
    }
    const auto count = static_cast<int32_t>(std::min<size_t>(trackCount, file.entryCount));
    const size_t bytes = static_cast<size_t>(count) * sizeof(PlayCount);
    if (!budget.Charge(bytes)) {
        return std::nullopt;
    }
    std::vector<PlayCount> entries(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        uint8_t entryBytes[28] = {};
        const size_t read = file.entryLength >= kWithSkips ? 28 : 16;
        if (!file.ReadEntry(i, entryBytes, std::min<size_t>(read, file.entryLength))) {
            budget.Release(bytes);
            return std::nullopt;
        }
        PlayCount& entry = entries[static_cast<size_t>(i)];
        entry.Plays = UInt32At(entryBytes);
        entry.LastPlayed = UInt32At(entryBytes + 4);
        if (file.entryLength >= kWithRating) {
            entry.Rating = UInt32At(entryBytes + 12);
        }
        if (file.entryLength >= kWithSkips) {
            entry.Skips = UInt32At(entryBytes + 20);
            entry.LastSkipped = UInt32At(entryBytes + 24);
        }
    }
    return entries;
}

uint32_t SaturatedSum(uint32_t a, uint32_t b) {
    return a > UINT32_MAX - b ? UINT32_MAX : a + b;
}

}  // namespace

void ITDBParser::MergeSinceSync() {
    const std::optional<std::string> folder = PlayerFolderOf(databasePath_);
    if (!folder || tracks_.empty() ||
        (!files_->OpenAnsi(*folder + "Play Counts") &&
         !files_->OpenAnsi(*folder + "OTGPlaylistInfo"))) {
        return;
    }
    // Both files name tracks by their place in the file.
    std::vector<OneTrack*> inFileOrder;
    if (!budget_.Charge(tracks_.size() * sizeof(OneTrack*))) {
        return;
    }
    inFileOrder.reserve(tracks_.size());
    for (const auto& track : tracks_) {
        inFileOrder.push_back(track.get());
    }
    MergePlayCounts(*folder + "Play Counts", inFileOrder);
    AddOnTheGoPlaylists(*folder, inFileOrder);
    budget_.Release(tracks_.size() * sizeof(OneTrack*));
}

void ITDBParser::MergePlayCounts(const std::string& path, const std::vector<OneTrack*>& tracks) {
    const std::optional<std::vector<PlayCount>> entries =
        ReadPlayCounts(*files_, path, tracks.size(), budget_);
    if (!entries) {
        return;
    }

    for (size_t i = 0; i < entries->size(); ++i) {
        const PlayCount& entry = (*entries)[i];
        OneTrack& track = *tracks[i];
        track.SetPlayCount(SaturatedSum(track.GetPlayCount(), entry.Plays));
        if (entry.LastPlayed != 0) {
            track.SetLastPlayed(entry.LastPlayed);
        }
        if (entry.Rating) {
            track.SetRating(*entry.Rating);
        }
        if (entry.Skips) {
            track.SetSkipCount(SaturatedSum(track.GetSkipCount(), *entry.Skips));
        }
        track.SetSinceSync(
            {entry.Plays, entry.LastPlayed, entry.Skips.value_or(0), entry.LastSkipped});
    }
    budget_.Release(entries->size() * sizeof(PlayCount));
}

void ITDBParser::AddOnTheGoPlaylists(const std::string& folder,
                                     const std::vector<OneTrack*>& tracks) {
    int listsAdded = 0;
    for (int fileNumber = 0;; ++fileNumber) {
        EntryFile file;
        const FileState state = file.Open(
            *files_,
            folder + "OTGPlaylistInfo" + (fileNumber > 0 ? "_" + std::to_string(fileNumber) : ""),
            "mhpo", 0x14, 4);
        if (state == FileState::Missing) {
            return;
        }
        if (state == FileState::Unusable || file.entryCount == 0) {
            continue;
        }
        Playlist playlist;
        bool whole = true;
        for (int32_t i = 0; i < file.entryCount && whole; ++i) {
            uint8_t bytes[4] = {};
            whole = file.ReadEntry(i, bytes, sizeof bytes);
            const uint32_t index = UInt32At(bytes);
            if (whole && index < tracks.size()) {  // tracks not read are left out
                if (!budget_.MakeRoom(playlist.Members)) {
                    budget_.Free(playlist.Members);
                    return;
                }
                playlist.Members.push_back(tracks[index]);
            }
        }
        if (!whole) {
            budget_.Free(playlist.Members);
            continue;
        }
        ++listsAdded;
        playlist.Name = u"On-The-Go (not synced)";
        if (listsAdded > 1) {
            const std::string number = std::to_string(listsAdded);
            playlist.Name += u" " + std::u16string(number.begin(), number.end());
        }
        playlist.Kind = PlaylistKind::Other;
        if (playlists_.size() == kMostPlaylists ||
            !budget_.Charge(playlist.Name.size() * sizeof(char16_t)) ||
            !budget_.MakeRoom(playlists_)) {
            budget_.Free(playlist.Members);
            return;
        }
        playlists_.push_back(std::move(playlist));
    }
}
