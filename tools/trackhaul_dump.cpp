// trackhaul-dump: reads a player database with Trackhaul's own reader and
// writes its track list to standard output as Trackhaul exports it (UTF-16LE
// with byte-order mark, one CSV line per track in file order). For
// diagnosing a user's database and for checking the reader from outside.
//
//   trackhaul-dump DATABASE [LIMIT]   the track list; exit 1 when unreadable
//   trackhaul-dump --count DATABASE   only the number Parse(-1) returns
//   trackhaul-dump --playlists DATABASE
//       one UTF-8 line per playlist in file order: its name, 0x1F, its kind
//       (M library, P podcasts, S smart, N other), 0x1F and the file-order
//       indexes (from 0) of its member tracks, separated by commas
//   trackhaul-dump --fields DATABASE
//       one UTF-8 line per track in file order: the texts of the list's extra
//       columns (Genre, Year, ... Comment) as it shows them, separated by 0x1F
//   trackhaul-dump --art PLAYER
//       per track in file order, its picture's visible size and format id
//       ("320x320 1060") or "-"; PLAYER is the player's folder, whose
//       database is found as the program finds it on a drive
//   trackhaul-dump --art-ppm PLAYER INDEX OUT
//       writes the picture of the track at file-order INDEX (from 0) to OUT
//       as a binary PPM; exit 1 when it has none
//   trackhaul-dump --photos PLAYER
//       per photo album in file order "album NAME<0x1F>COUNT" (COUNT: its
//       members), then per member "photo ID WxH" (the image id and the size
//       of its largest usable stored picture) or "photo ID -"
//   trackhaul-dump --photo-ppm PLAYER ID OUT
//       writes the picture of the photo of image id ID to OUT as a binary
//       PPM; exit 1 when it has none
//   trackhaul-dump --library PLAYER FOLDER [--pattern P] [--folders F]
//       the library file (Library.xml) that Export Library writes for the
//       copies in FOLDER, made with the file name pattern P and the
//       sub-folder pattern F (defaults: a new user's settings), naming the
//       copies by their paths on this machine; times in this machine's zone
//   trackhaul-dump --history PLAYER [--json]
//       the listening history since the player's last sync as Export
//       Listening History writes it: .scrobbler.log, or with --json the
//       ListenBrainz listens; times in this machine's zone
//   trackhaul-dump --files PLAYER
//       every file of the player, one UTF-8 line each: its path from the
//       player's root with '/', a TAB, its size in bytes; sorted by path
//
// Every PLAYER is a folder that holds a player (a drive's root) or a disk
// image of one: HFS Plus (Mac-formatted) or FAT32, with or without a
// partition map; an image that holds no player's volume exits 1.
//   trackhaul-dump --tags FILE
//       the rating and plays a copy carries, one line each: "POPM: <rating
//       byte> <counter>" (Windows' popularimeter), "PCNT: <plays>",
//       "FMPS_Rating: <text>", "FMPS_Playcount: <text>", "-" for a value it
//       lacks; exit 1 when the file is not of a kind that carries them or
//       cannot be read
//
// A database in a player's "iPod_Control\iTunes" folder is read with what the
// player recorded since its last sync, as the program reads it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "core/copy_comparison.h"
#include "core/csv_format.h"
#include "core/itdbparser.h"
#include "core/library_xml.h"
#include "core/listening_history.h"
#include "core/local_files.h"
#include "core/player_volume.h"
#include "core/playlist_file.h"
#include "core/rating_tags.h"
#include "core/settings_values.h"
#include "core/track_columns.h"
#include "core/track_name_plan.h"
#include "core/track_row.h"
#include "core/utf8_text.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

int Usage() {
    std::cerr << "usage: trackhaul-dump DATABASE [LIMIT]\n"
                 "       trackhaul-dump --count DATABASE\n"
                 "       trackhaul-dump --playlists DATABASE\n"
                 "       trackhaul-dump --fields DATABASE\n"
                 "       trackhaul-dump --art PLAYER\n"
                 "       trackhaul-dump --art-ppm PLAYER INDEX OUT\n"
                 "       trackhaul-dump --photos PLAYER\n"
                 "       trackhaul-dump --photo-ppm PLAYER ID OUT\n"
                 "       trackhaul-dump --library PLAYER FOLDER [--pattern P] [--folders F]\n"
                 "       trackhaul-dump --history PLAYER [--json]\n"
                 "       trackhaul-dump --files PLAYER\n"
                 "       trackhaul-dump --tags FILE\n";
    return 2;
}

bool ParseLimit(const char* text, int32_t& limit) {
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || value < INT32_MIN || value > INT32_MAX) {
        return false;
    }
    limit = static_cast<int32_t>(value);
    return true;
}

void WriteBytes(const std::string& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

// Parses the database; false, with the program's message on standard error,
// when it cannot be read or is empty.
bool ParseReporting(ITDBParser& parser, int32_t limit) {
    const int32_t result = parser.Parse(limit);
    if (result < 0) {
        std::cerr << "An error occurred while reading iPod database.\n";
    } else if (result == 0) {
        std::cerr << "iPod database is empty.\n";
    }
    return result > 0;
}

int DumpTracks(const std::string& path, int32_t limit) {
    ITDBParser parser(path);
    if (!ParseReporting(parser, limit)) {
        return 1;
    }
    WriteBytes(Utf16LeBytes(CsvHeaderLine(), true));
    for (parser.First(); parser.HasNext();) {
        WriteBytes(Utf16LeBytes(CsvTrackLine(*parser.Next())));
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int DumpFields(const std::string& path) {
    ITDBParser parser(path);
    if (!ParseReporting(parser, -1)) {
        return 1;
    }
    for (parser.First(); parser.HasNext();) {
        const OneTrack& track = *parser.Next();
        std::u16string line;
        for (const TrackColumnId id : ExtraColumns()) {
            if (id != ExtraColumns().front()) {
                line += u'\x1F';
            }
            line += ColumnOf(id).Text(track);
        }
        WriteBytes(Utf8FromUtf16(line) + '\n');
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

char KindLetter(PlaylistKind kind) {
    switch (kind) {
        case PlaylistKind::Library:
            return 'M';
        case PlaylistKind::Podcasts:
            return 'P';
        case PlaylistKind::Smart:
            return 'S';
        case PlaylistKind::Other:
            break;
    }
    return 'N';
}

int DumpPlaylists(const std::string& path) {
    ITDBParser parser(path);
    if (parser.Parse(-1) < 0) {
        std::cerr << "An error occurred while reading iPod database.\n";
        return 1;
    }
    std::unordered_map<const OneTrack*, size_t> indexes;
    for (parser.First(); parser.HasNext();) {
        indexes.emplace(parser.Next(), indexes.size());
    }
    for (const Playlist& playlist : parser.Playlists()) {
        std::string line =
            Utf8FromUtf16(playlist.Name) + '\x1F' + KindLetter(playlist.Kind) + '\x1F';
        for (size_t i = 0; i < playlist.Members.size(); ++i) {
            line += (i > 0 ? "," : "") + std::to_string(indexes.at(playlist.Members[i]));
        }
        WriteBytes(line + '\n');
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// A player named on the command line: a folder that holds one (a drive's
// root), or a disk image that holds its volume.
struct Player {
    std::shared_ptr<PlayerFiles> Files;
    std::string Root;  // what paths on it begin with: the folder, or "" in an image
};

// Nothing, with the program's message on standard error, for an image
// without a player.
std::optional<Player> OpenPlayer(const std::string& argument) {
    std::error_code error;
    if (std::filesystem::is_regular_file(argument, error)) {
        std::shared_ptr<BlockSource> source = ImageFileSource::Open(argument);
        std::shared_ptr<PlayerFiles> volume = source ? OpenPlayerVolume(source) : nullptr;
        if (!volume) {
            std::cerr << "No player found in this image.\n";
            return std::nullopt;
        }
        return Player{volume, ""};
    }
    std::string root = argument;
    while (root.size() > 1 && (root.back() == '/' || root.back() == kSeparator)) {
        root.pop_back();
    }
    return Player{std::make_shared<LocalFiles>(), root};
}

// The player's database read as the program reads it; none, with the
// program's message on standard error, when it cannot be read, or holds no
// track where `tracksNeeded`.
std::unique_ptr<ITDBParser> ParsePlayer(const Player& player, bool tracksNeeded = true) {
    auto parser = std::make_unique<ITDBParser>(
        DatabasePathOnPlayer(*player.Files, player.Root, kSeparator), player.Files);
    const int32_t tracks = parser->Parse(-1);
    if (tracks < 0 || (tracks == 0 && tracksNeeded)) {
        std::cerr << "An error occurred while reading iPod database.\n";
        return nullptr;
    }
    if (tracks == 0) {
        std::cerr << "iPod database is empty.\n";
    }
    return parser;
}

std::unique_ptr<ITDBParser> ParsePlayer(const std::string& argument, bool tracksNeeded = true) {
    const std::optional<Player> player = OpenPlayer(argument);
    return player ? ParsePlayer(*player, tracksNeeded) : nullptr;
}

// Writes the picture to `out` as a binary PPM; 0, or 1 when it cannot.
int WritePpm(const Picture& picture, const std::string& out) {
    std::string ppm =
        "P6\n" + std::to_string(picture.Width) + " " + std::to_string(picture.Height) + "\n255\n";
    for (const uint32_t pixel : picture.Pixels) {
        ppm += static_cast<char>(pixel >> 16);
        ppm += static_cast<char>(pixel >> 8);
        ppm += static_cast<char>(pixel);
    }
    std::FILE* file = std::fopen(out.c_str(), "wb");
    const bool written =
        file != nullptr && std::fwrite(ppm.data(), 1, ppm.size(), file) == ppm.size();
    if (file != nullptr && std::fclose(file) != 0) {
        return 1;
    }
    return written ? 0 : 1;
}

int DumpArt(const std::string& folder) {
    const std::unique_ptr<ITDBParser> parser = ParsePlayer(folder);
    if (!parser) {
        return 1;
    }
    const ArtworkIndex& art = parser->Artwork();
    for (parser->First(); parser->HasNext();) {
        const int32_t picture = parser->Next()->GetArtwork();
        if (picture < 0) {
            WriteBytes("-\n");
        } else {
            WriteBytes(std::to_string(art.Width(picture)) + "x" +
                       std::to_string(art.Height(picture)) + " " +
                       std::to_string(art.FormatId(picture)) + "\n");
        }
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int DumpArtPpm(const std::string& folder, const char* indexText, const std::string& out) {
    int32_t index = 0;
    if (!ParseLimit(indexText, index) || index < 0) {
        return Usage();
    }
    const std::unique_ptr<ITDBParser> parser = ParsePlayer(folder);
    if (!parser) {
        return 1;
    }
    const OneTrack* track = nullptr;
    int32_t position = 0;
    for (parser->First(); parser->HasNext() && track == nullptr; ++position) {
        const OneTrack* next = parser->Next();
        track = position == index ? next : nullptr;
    }
    const std::optional<Picture> picture =
        track != nullptr ? parser->Artwork().Load(track->GetArtwork()) : std::nullopt;
    if (!picture) {
        std::cerr << "The track has no picture.\n";
        return 1;
    }
    return WritePpm(*picture, out);
}

int DumpPhotos(const std::string& folder) {
    const std::unique_ptr<ITDBParser> parser = ParsePlayer(folder, false);
    if (!parser) {
        return 1;
    }
    const PhotoIndex& photos = parser->Photos();
    for (const PhotoIndex::Album& album : photos.Albums()) {
        WriteBytes("album " + Utf8FromUtf16(album.Name) + '\x1F' +
                   std::to_string(album.Photos.size()) + "\n");
        for (const int32_t photo : album.Photos) {
            WriteBytes("photo " + std::to_string(photos.ImageId(photo)) + " " +
                       (photos.HasPicture(photo) ? std::to_string(photos.Width(photo)) + "x" +
                                                       std::to_string(photos.Height(photo))
                                                 : std::string("-")) +
                       "\n");
        }
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int DumpPhotoPpm(const std::string& folder, const char* idText, const std::string& out) {
    int32_t id = 0;
    if (!ParseLimit(idText, id)) {
        return Usage();
    }
    const std::unique_ptr<ITDBParser> parser = ParsePlayer(folder, false);
    if (!parser) {
        return 1;
    }
    const std::optional<Picture> picture =
        parser->Photos().Load(parser->Photos().Find(static_cast<uint32_t>(id)));
    if (!picture) {
        std::cerr << "The photo has no picture.\n";
        return 1;
    }
    return WritePpm(*picture, out);
}

// The UTC clock of a moment.
std::optional<std::tm> UtcOf(std::time_t moment) {
    std::tm utc{};
#ifdef _WIN32
    const bool converted = gmtime_s(&utc, &moment) == 0;
#else
    const bool converted = gmtime_r(&moment, &utc) != nullptr;
#endif
    return converted ? std::optional(utc) : std::nullopt;
}

CivilTime CivilOf(const std::tm& time) {
    return {time.tm_year + 1900, time.tm_mon + 1, time.tm_mday,
            time.tm_hour,        time.tm_min,     time.tm_sec};
}

// A local time of this machine in UTC, by its zone's rules for that date.
std::optional<CivilTime> LocalToUtcHere(const CivilTime& local) {
    std::tm time{};
    time.tm_year = local.Year - 1900;
    time.tm_mon = local.Month - 1;
    time.tm_mday = local.Day;
    time.tm_hour = local.Hour;
    time.tm_min = local.Minute;
    time.tm_sec = local.Second;
    time.tm_isdst = -1;  // as the zone had it then
    const std::time_t moment = std::mktime(&time);
    const std::optional<std::tm> utc =
        moment != static_cast<std::time_t>(-1) ? UtcOf(moment) : std::nullopt;
    return utc ? std::optional(CivilOf(*utc)) : std::nullopt;
}

// A path as this system names files; nothing, after a word on standard
// error, for one it cannot name.
std::optional<std::filesystem::path> SystemPath(const std::u16string& path) {
    try {
        return std::filesystem::path(path);
    } catch (const std::exception& error) {
        std::cerr << "a path that cannot be named here, left out: " << error.what() << "\n";
        return std::nullopt;
    }
}

int DumpLibrary(int argc, char** argv) {
    std::string fileFormat(DefaultFileFormat);
    std::string folderFormat;
    for (int i = 4; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option != "--pattern" && option != "--folders") {
            return Usage();
        }
        (option == "--pattern" ? fileFormat : folderFormat) = argv[i + 1];
    }
    if (argc % 2 != 0) {
        return Usage();
    }
    const std::optional<Player> opened = OpenPlayer(argv[2]);
    const std::unique_ptr<ITDBParser> parser = opened ? ParsePlayer(*opened) : nullptr;
    if (!parser) {
        return 1;
    }
    std::error_code error;
    std::u16string folder =
        std::filesystem::absolute(argv[3], error).lexically_normal().u16string();
    if (folder.empty() || folder.back() != u'/') {
        folder += u'/';
    }
    // Paths in an image begin at its volume's root.
    std::u16string player =
        opened->Root.empty()
            ? u""
            : std::filesystem::absolute(argv[2], error).lexically_normal().u16string();
    while (!player.empty() && player.back() == u'/') {
        player.pop_back();
    }
    const auto playerFileSize = [&](const std::u16string& path) -> std::optional<uint64_t> {
        const std::unique_ptr<PlayerFile> file = opened->Files->Open(path);
        return file ? std::optional<uint64_t>(file->Size()) : std::nullopt;
    };
    const auto openPlayerFile = [&](const std::u16string& path) {
        return OpenedFileOf(opened->Files->Open(path));
    };
    const auto fileSize = [](const std::u16string& path) -> std::optional<uint64_t> {
        std::error_code missing;
        const std::optional<std::filesystem::path> named = SystemPath(path);
        if (!named) {
            return std::nullopt;
        }
        const std::filesystem::path& file = *named;
        if (!std::filesystem::is_regular_file(file, missing)) {
            return std::nullopt;
        }
        return std::filesystem::file_size(file, missing);
    };
    const LibraryChoice choice = ChooseLibraryTracks(
        parser->TracksInFileOrder(),
        TrackNamePlan(parser->TracksInFileOrder(), Utf16FromUtf8(fileFormat),
                      Utf16FromUtf8(folderFormat)),
        folder, player, fileSize, playerFileSize,
        [](const std::u16string& path) { return OpenedFileOf(LocalFile::Open(path)); },
        openPlayerFile);
    Library library{folder, parser->LibraryId(),
                    CivilOf(UtcOf(std::time(nullptr)).value_or(std::tm{})), choice.Tracks,
                    UserPlaylists(parser->Playlists())};
    BlockWriter output([](std::string_view bytes) {
        return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    });
    if (choice.LeftOut > 0) {
        std::cerr << choice.LeftOut << " track(s) left out: no copy of the player's size.\n";
    }
    return WriteLibraryXml(library, LocalToUtcHere, output) && std::fflush(stdout) == 0 ? 0 : 1;
}

int DumpTags(const char* file) {
    const std::optional<std::string> tags = DescribeRatingTags(file, RatingConventionOf(file));
    if (!tags) {
        std::cerr << "cannot read the tags of " << file << "\n";
        return 1;
    }
    std::fputs(tags->c_str(), stdout);
    return 0;
}

int DumpHistory(const std::string& folder, bool json) {
    const std::unique_ptr<ITDBParser> parser = ParsePlayer(folder);
    if (!parser) {
        return 1;
    }
    const ListeningHistory history =
        GatherListeningHistory(parser->TracksInFileOrder(), LocalToUtcHere);
    BlockWriter output([](std::string_view bytes) {
        return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    });
    const bool written =
        json ? WriteListenBrainzListens(history, output) : WriteScrobblerLog(history, output);
    return written && std::fflush(stdout) == 0 ? 0 : 1;
}

int DumpFiles(const std::string& argument) {
    const std::optional<Player> player = OpenPlayer(argument);
    if (!player) {
        return 1;
    }
    const std::u16string root = Utf16FromUtf8(player->Root);
    // Folders are walked from a list of those still to see, not by
    // recursion: a damaged volume cannot make the walk deep.
    std::vector<std::pair<std::string, uint64_t>> files;
    std::vector<std::u16string> folders{u""};
    while (!folders.empty()) {
        const std::u16string folder = std::move(folders.back());
        folders.pop_back();
        const std::u16string listed = root.empty() ? folder : root + u"/" + folder;
        for (const PlayerFileEntry& entry :
             player->Files->ListFolder(listed).value_or(std::vector<PlayerFileEntry>{})) {
            const std::u16string path = folder.empty() ? entry.Name : folder + u"/" + entry.Name;
            if (entry.IsFolder) {
                folders.push_back(path);
            } else {
                files.emplace_back(Utf8FromUtf16(path), entry.Size);
            }
        }
    }
    std::sort(files.begin(), files.end());
    for (const auto& [path, size] : files) {
        std::printf("%s\t%llu\n", path.c_str(), static_cast<unsigned long long>(size));
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--playlists") {
        return argc == 3 ? DumpPlaylists(argv[2]) : Usage();
    }
    if (first == "--art") {
        return argc == 3 ? DumpArt(argv[2]) : Usage();
    }
    if (first == "--art-ppm") {
        return argc == 5 ? DumpArtPpm(argv[2], argv[3], argv[4]) : Usage();
    }
    if (first == "--photos") {
        return argc == 3 ? DumpPhotos(argv[2]) : Usage();
    }
    if (first == "--photo-ppm") {
        return argc == 5 ? DumpPhotoPpm(argv[2], argv[3], argv[4]) : Usage();
    }
    if (first == "--library") {
        return argc >= 4 ? DumpLibrary(argc, argv) : Usage();
    }
    if (first == "--history") {
        const bool json = argc == 4 && std::string(argv[3]) == "--json";
        return argc == 3 || json ? DumpHistory(argv[2], json) : Usage();
    }
    if (first == "--files") {
        return argc == 3 ? DumpFiles(argv[2]) : Usage();
    }
    if (first == "--tags") {
        return argc == 3 ? DumpTags(argv[2]) : Usage();
    }
    if (first == "--fields") {
        return argc == 3 ? DumpFields(argv[2]) : Usage();
    }
    if (first == "--count") {
        if (argc != 3) {
            return Usage();
        }
        std::printf("%d\n", static_cast<int>(ITDBParser(argv[2]).Parse(-1)));
        return 0;
    }
    int32_t limit = -1;
    if (argc < 2 || argc > 3 || (argc == 3 && !ParseLimit(argv[2], limit))) {
        return Usage();
    }
    return DumpTracks(first, limit);
}
