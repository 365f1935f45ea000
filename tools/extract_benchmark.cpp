// extract-benchmark [DRIVE [folders | photos | ratings | home]]: times the main window's
// Extract command on a player with 50 files of 4 MB, 40 of 16 MB and then 2,000 files of
// 64 KB, beside three bare loops over the same files, in the same run: plain CopyFileExW calls
// with an empty progress routine; the safe floor, which copies each file to
// a temporary name and renames it onto its own; and the safe floor with each
// copy written to the disk before the rename, one file after the other. The
// run does the same but writes a copy to the disk and renames it while the
// next is copied, so it should take at most 0.8 times that flushed floor for
// the large files and no longer than it for the small ones; the disk's own
// write time is the limit, which the plain loop shows. Then the 2,000
// files of 40 artists with 5 albums each, extracted into sub-folders
// %artist%\%album% beside the same run without sub-folders, and with the
// albums' covers saved ("folders": these alone). Last, Extract
// Photos of 1,000 TV-out photos of 720 x 480 (100 frames in I420, each shown
// by ten photos), against a bare loop that encodes the same decoded pictures
// with the same encoder and writes them: at most 1.15 times ("photos": this
// last one alone). And 200 MP3 files of 4 MB, every track rated and played,
// extracted with the ratings written into the copies beside the same run
// without, once with a padded tag and once without any: at most 1.1 times,
// the medians of nine rounds ("ratings": these alone). And everything a
// player holds brought home at once ("home": this alone; see
// MeasureWholeHome). DRIVE (a letter, default F) must be attached as a
// removable drive; its iPod_Control folder is overwritten. Runs in the Wine
// prefix's settings (every setting reset). From the repository, after
// scripts/test:
//
//   . scripts/lib/wine-env.sh && wine_prepare_prefix $PWD/build/windows/wineprefix &&
//   wine_start_display virtual && mkdir -p /tmp/benchpod &&
//   wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
//   wine_attach_drive f /tmp/benchpod BENCHPOD &&
//   wine build/windows/tools/extract-benchmark.exe F; wine_stop
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/mainform.h"
#include "app/resource_ids.h"
#include "app_test_support.h"
#include "artwork_builder.h"
#include "core/photo_db.h"
#include "itdb_builder.h"
#include "win/file_output.h"
#include "win/jpeg_file.h"
#include "window_benchmark.h"

namespace {

namespace fs = std::filesystem;
using benchmark::Clock;
using benchmark::SecondsSince;

constexpr int Rounds = 5;
constexpr int Artists = 40;
constexpr int AlbumsPerArtist = 5;
const fs::path RunFolder = L"C:\\extract-benchmark\\run";
const fs::path BareFolder = L"C:\\extract-benchmark\\bare";

struct Workload {
    const char* Name;
    int Files;
    size_t Bytes;
    double Target;  // the longest allowed ratio of run to the flushed safe floor
};

// Writes the files and a database naming them, of Artists artists with
// AlbumsPerArtist albums each; returns their paths.
std::vector<fs::path> WritePlayer(const std::string& drive, const Workload& load) {
    fs::remove_all(drive + "\\iPod_Control");
    std::vector<fs::path> files;
    std::vector<itdb::Track> tracks;
    const std::string contents(load.Bytes, 'x');
    for (int index = 0; index < load.Files; ++index) {
        const std::string name = "T" + std::to_string(index) + ".mp3";
        const fs::path file = drive + "\\iPod_Control\\Music\\F00\\" + name;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << contents;
        files.push_back(file);
        itdb::Track track;
        track.title = u"Track " + fs::path(std::to_string(index)).u16string();
        track.artist = u"Artist " + fs::path(std::to_string(index % Artists)).u16string();
        track.album =
            u"Album " + fs::path(std::to_string(index / Artists % AlbumsPerArtist)).u16string();
        track.location = u":iPod_Control:Music:F00:" + fs::path(name).u16string();
        track.artworkId = static_cast<uint32_t>(index % (Artists * AlbumsPerArtist) + 1);
        tracks.push_back(track);
    }
    const fs::path database = drive + "\\iPod_Control\\iTunes\\iTunesDB";
    fs::create_directories(database.parent_path());
    itdb::WriteFile(database.string(), itdb::RealisticDatabase(tracks));
    return files;
}

// The cover of every album of the player that WritePlayer wrote, or of the
// first `albums`.
bool WriteCovers(const std::string& drive, uint32_t albums = Artists * AlbumsPerArtist) {
    std::vector<artwork::Entry> covers;
    for (uint32_t album = 1; album <= albums; ++album) {
        covers.push_back(
            {album, 0, {artwork::Stored(1060, 320, artwork::TestImage(320, 320, album))}});
    }
    const fs::path folder = drive + "\\iPod_Control\\Artwork\\";
    fs::create_directories(folder);
    return artwork::WriteStore(folder.string(), artwork::BuildStore(covers));
}

void EmptyFolder(const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
}

DWORD CALLBACK IgnoreProgress(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                              DWORD, HANDLE, HANDLE, LPVOID) {
    return PROGRESS_CONTINUE;
}

enum Loop { Plain, Safe, Flushed, Run };
constexpr int Loops = 4;

// Past the plain loop each copy goes to a temporary name first and is then
// renamed onto its own; in the flushed loop it is written to the disk first.
double TimeBareLoop(const std::vector<fs::path>& files, const fs::path& folder, Loop loop) {
    EmptyFolder(folder);
    const fs::path temporary = folder / L"~copy.partial";
    const Clock::time_point start = Clock::now();
    for (const fs::path& file : files) {
        BOOL cancel = FALSE;
        const fs::path target = folder / file.filename();
        CopyFileExW(file.c_str(), (loop == Plain ? target : temporary).c_str(), IgnoreProgress,
                    nullptr, &cancel, 0);
        if (loop == Flushed) {
            win::FlushToDisk(temporary.wstring());
        }
        if (loop != Plain) {
            MoveFileExW(temporary.c_str(), target.c_str(), 0);
        }
    }
    return SecondsSince(start);
}

double Best(const std::vector<double>& times) {
    return *std::min_element(times.begin(), times.end());
}

double Median(std::vector<double> times) {
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

// Loads the player written last and selects every track, to extract into
// RunFolder.
void LoadPlayer(TMainForm& form) {
    WhenWindowShows device(L"Select Your iPod", [](HWND found) { PressButton(found, IDOK); });
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(ID_FILE_OPEN, 0), 0);
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(ID_EDIT_ALL, 0), 0);
    fs::create_directories(RunFolder);
    fs::create_directories(BareFolder);
    form.Settings().SetExtractPath(RunFolder.u16string());
}

void UseSettings(TMainForm& form, const std::wstring& folderFormat, bool saveCovers) {
    SettingsKey::Write(L"FolderFormat", folderFormat);
    SettingsKey::Write(L"SaveAlbumArt", saveCovers ? L"1" : L"0");
    form.Settings().LoadSettings();
}

bool Measure(TMainForm& form, const std::string& drive, const Workload& load) {
    const std::vector<fs::path> files = WritePlayer(drive, load);
    LoadPlayer(form);
    std::vector<double> times[Loops];
    for (int round = 0; round < Rounds; ++round) {
        // Each of the four goes first in turn: the one that follows another's
        // writes pays for the system writing them back.
        for (int turn = 0; turn < Loops; ++turn) {
            const auto loop = static_cast<Loop>((round + turn) % Loops);
            if (loop == Run) {
                EmptyFolder(RunFolder);
                times[Run].push_back(benchmark::TimeFolderCommand(form, ID_FILE_EXTRACT));
            } else {
                times[loop].push_back(TimeBareLoop(files, BareFolder, loop));
            }
        }
    }
    fs::remove_all(L"C:\\extract-benchmark");
    const double run = Best(times[Run]);
    const double plain = Best(times[Plain]);
    const double safe = Best(times[Safe]);
    const double flushed = Best(times[Flushed]);
    std::printf(
        "%-13s extraction %.3f s; plain loop %.3f s: ratio %.3f; safe floor %.3f s: ratio %.3f; "
        "safe floor written to the disk %.3f s: ratio %.3f (target %.2f)\n",
        load.Name, run, plain, run / plain, safe, run / safe, flushed, run / flushed, load.Target);
    return run > 0;
}

// The folders two levels down in RunFolder, and the covers in them.
std::pair<size_t, size_t> InnerFoldersAndCovers() {
    std::pair<size_t, size_t> counts;
    for (const auto& entry : fs::recursive_directory_iterator(RunFolder)) {
        counts.first += entry.is_directory() && entry.path().parent_path() != RunFolder;
        counts.second += entry.path().filename() == L"folder.jpg";
    }
    return counts;
}

// Each round makes every artist's and album's folder anew.
bool MeasureFolders(TMainForm& form, const std::string& drive) {
    const Workload load{"2000 x 64 KB", 2000, 64u << 10, 1.10};
    WritePlayer(drive, load);
    if (!WriteCovers(drive)) {
        return false;
    }
    LoadPlayer(form);
    const size_t albums = Artists * AlbumsPerArtist;
    struct Kind {
        const wchar_t* FolderFormat;
        bool Covers;
        std::pair<size_t, size_t> Expected;  // inner folders and covers
        std::vector<double> Times;
    };
    Kind kinds[] = {{L"", false, {0, 0}, {}},
                    {L"%artist%\\%album%", false, {albums, 0}, {}},
                    {L"%artist%\\%album%", true, {albums, albums}, {}}};
    bool allMade = true;
    for (int round = 0; round < Rounds; ++round) {
        // Each kind goes first in turn, so that none always follows another.
        for (int turn = 0; turn < 3; ++turn) {
            Kind& kind = kinds[(round + turn) % 3];
            UseSettings(form, kind.FolderFormat, kind.Covers);
            EmptyFolder(RunFolder);
            kind.Times.push_back(benchmark::TimeFolderCommand(form, ID_FILE_EXTRACT));
            allMade = allMade && InnerFoldersAndCovers() == kind.Expected;
        }
    }
    UseSettings(form, L"", false);
    fs::remove_all(L"C:\\extract-benchmark");
    const double flat = Best(kinds[0].Times);
    const double sorted = Best(kinds[1].Times);
    const double covered = Best(kinds[2].Times);
    std::printf(
        "%-13s into %d x %d folders %%artist%%\\%%album%% %.3f s; without sub-folders "
        "%.3f s: ratio %.3f (target %.2f)\n",
        load.Name, Artists, AlbumsPerArtist, sorted, flat, sorted / flat, load.Target);
    std::printf(
        "%-13s the same saving %zu covers as folder.jpg %.3f s (%.1f ms a cover): ratio %.3f "
        "(target %.2f)\n",
        load.Name, albums, covered, (covered - sorted) * 1000 / albums, covered / sorted,
        load.Target);
    return flat > 0 && allMade;
}

constexpr int kPhotos = 1000;
constexpr int kPhotoFrames = 100;

// A TV-out frame in I420: soft gradients, a little different for each seed.
artwork::Bytes TvFrame(int seed) {
    constexpr int width = 720, height = 480;
    artwork::Bytes frame(static_cast<size_t>(width * height * 2), 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            frame[static_cast<size_t>(y * width + x)] =
                static_cast<uint8_t>(16 + (x + y + seed) % 220);
        }
    }
    for (int at = width * height; at < width * height * 3 / 2; ++at) {
        frame[static_cast<size_t>(at)] = static_cast<uint8_t>(96 + (at / 360 + seed) % 64);
    }
    return frame;
}

// Writes `count` photos into the Photos folder of the player on `drive`.
bool WritePhotos(const std::string& drive, int count = kPhotos) {
    std::vector<artwork::Entry> photos;
    std::vector<uint32_t> members;
    const artwork::Image size = artwork::SolidImage(720, 480, 0);
    for (int photo = 0; photo < count; ++photo) {
        artwork::StoredSize stored = artwork::Stored(1067, 720, size);
        constexpr uint32_t kFrameBytes = 720 * 480 * 2;
        if (photo < kPhotoFrames) {
            stored.frameBytes = TvFrame(photo);
        } else {
            stored.shared = {static_cast<uint32_t>(photo % kPhotoFrames) * kFrameBytes,
                             kFrameBytes};
        }
        photos.push_back({static_cast<uint32_t>(photo + 1), 0, {std::move(stored)}});
        members.push_back(static_cast<uint32_t>(photo + 1));
    }
    const fs::path folder = drive + "\\Photos\\";
    fs::create_directories(folder);
    return artwork::WriteStore(folder.string(), artwork::BuildStore(photos, {{u"", 1, members}}),
                               "Photo Database");
}

// Encodes the pictures of the photos with the imaging component and writes
// each to a file of its own, in `folder`.
double TimeBarePhotos(const PhotoIndex& photos, const fs::path& folder) {
    EmptyFolder(folder);
    std::vector<Picture> pictures;
    for (int frame = 0; frame < kPhotoFrames; ++frame) {
        pictures.push_back(*photos.Load(frame));
    }
    win::JpegWriter writer;
    std::string bytes;
    const Clock::time_point start = Clock::now();
    for (int photo = 0; photo < kPhotos; ++photo) {
        writer.Encode(pictures[static_cast<size_t>(photo % kPhotoFrames)], bytes);
        const win::UniqueFile file =
            win::CreateForWriting((folder / (std::to_wstring(photo) + L".jpg")).wstring());
        win::WriteBytes(file.get(), bytes);
    }
    return SecondsSince(start);
}

bool MeasurePhotos(TMainForm& form, const std::string& drive) {
    const Workload load{"photos", 1, 16, 1.15};
    WritePlayer(drive, load);
    if (!WritePhotos(drive)) {
        return false;
    }
    LoadPlayer(form);
    const PhotoIndex& photos = form.Player()->Photos();
    if (photos.Count() != static_cast<size_t>(kPhotos)) {
        std::fprintf(stderr, "%zu photos read of %d\n", photos.Count(), kPhotos);
        return false;
    }
    double run = 1e9, bare = 1e9;
    for (int round = 0; round < 2; ++round) {
        EmptyFolder(RunFolder);
        run = std::min(run, benchmark::TimeFolderCommand(form, ID_FILE_EXTRACT_PHOTOS));
        bare = std::min(bare, TimeBarePhotos(photos, BareFolder));
    }
    const auto saved = std::distance(fs::recursive_directory_iterator(RunFolder), {});
    fs::remove_all(L"C:\\extract-benchmark");
    fs::remove_all(drive + "\\Photos");
    std::printf(
        "%d photos of 720 x 480   Extract Photos %.3f s; a bare loop that encodes the same "
        "pictures and writes them %.3f s: ratio %.3f (target %.2f)\n",
        kPhotos, run, bare, run / bare, load.Target);
    return saved == kPhotos + 1;  // and their folder
}

// An MP3 file of `bytes` bytes as a player holds one: an ID3v2.3 tag of a
// few texts with room to spare (where `tagged`), then MPEG frames of 128
// kbit/s at 44.1 kHz.
std::string Mp3File(size_t bytes, int index, bool tagged) {
    std::string frames;
    for (const auto& [id, text] :
         {std::pair<std::string, std::string>{"TIT2", "Track " + std::to_string(index)},
          {"TPE1", "Artist"},
          {"TALB", "Album"}}) {
        const std::string body = '\0' + text;
        frames += id + std::string{0, 0, 0, static_cast<char>(body.size()), 0, 0} + body;
    }
    frames.resize(frames.size() + 2048);  // padding, as encoders leave it
    const size_t size = frames.size();
    std::string file =
        std::string("ID3\3\0\0", 6) +
        std::string{static_cast<char>(size >> 21 & 0x7F), static_cast<char>(size >> 14 & 0x7F),
                    static_cast<char>(size >> 7 & 0x7F), static_cast<char>(size & 0x7F)} +
        frames;
    if (!tagged) {
        file.clear();
    }
    constexpr size_t kFrameBytes = 417;
    std::string frame(kFrameBytes, '\0');
    frame.replace(0, 4, std::string("\xFF\xFB\x90\x00", 4));
    while (file.size() + kFrameBytes <= bytes) {
        file += frame;
    }
    return file;
}

// Extracts 200 rated MP3s, `tagged` or not, with and without their ratings
// written into the copies.
bool MeasureRatings(TMainForm& form, const std::string& drive, bool tagged) {
    constexpr int kFiles = 200;
    fs::remove_all(drive + "\\iPod_Control");
    std::vector<itdb::Track> tracks;
    for (int index = 0; index < kFiles; ++index) {
        const std::string name = "R" + std::to_string(index) + ".mp3";
        const fs::path file = drive + "\\iPod_Control\\Music\\F00\\" + name;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << Mp3File(4u << 20, index, tagged);
        itdb::Track track;
        track.title = u"Track " + fs::path(std::to_string(index)).u16string();
        track.location = u":iPod_Control:Music:F00:" + fs::path(name).u16string();
        track.rating = static_cast<uint8_t>(20 + index % 5 * 20);
        track.playCount = static_cast<uint32_t>(1 + index);
        tracks.push_back(track);
    }
    const fs::path database = drive + "\\iPod_Control\\iTunes\\iTunesDB";
    fs::create_directories(database.parent_path());
    itdb::WriteFile(database.string(), itdb::RealisticDatabase(tracks));
    LoadPlayer(form);
    // The two runs differ by less than one run differs from the next: the
    // ratio is taken of the medians of more rounds.
    constexpr int kRounds = 9;
    std::vector<double> times[2];  // without, with
    for (int round = 0; round < kRounds; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            const int withRatings = (round + turn) % 2;
            SettingsKey::Write(L"WriteRatings", withRatings ? L"1" : L"0");
            form.Settings().LoadSettings();
            EmptyFolder(RunFolder);
            times[withRatings].push_back(benchmark::TimeFolderCommand(form, ID_FILE_EXTRACT));
        }
    }
    SettingsKey::Write(L"WriteRatings", L"0");
    form.Settings().LoadSettings();
    fs::remove_all(L"C:\\extract-benchmark");
    const double without = Median(times[0]);
    const double with = Median(times[1]);
    std::printf(
        "%d x 4 MB MP3 rated and played, %s   with the ratings written into the copies "
        "%.3f s; without %.3f s (medians of %d rounds): ratio %.3f (target 1.10); best %.3f s "
        "against %.3f s: ratio %.3f\n",
        kFiles, tagged ? "an ID3v2.3 tag with padding" : "no tag", with, without, kRounds,
        with / without, Best(times[1]), Best(times[0]), Best(times[1]) / Best(times[0]));
    return without > 0;
}

// Everything home: 120 MP3s of 8 MB in 12 albums of 3 artists, each album
// with a cover, every track rated and played, 3 playlists and 40 photos,
// extracted into %artist%\%album% with the covers, the ratings and the
// playlists and library written, then Extract Photos; the two commands'
// time from their folders' OK to their last file in place, against the
// serial safe floor of the tracks alone (each copied to a temporary name,
// written to the disk and renamed, one after the other): at most 1.0 times.
bool MeasureWholeHome(TMainForm& form, const std::string& drive) {
    constexpr int kTracks = 120, kAlbums = 12, kHomePhotos = 40;
    fs::remove_all(drive + "\\iPod_Control");
    std::vector<fs::path> files;
    std::vector<itdb::Track> tracks;
    std::vector<itdb::PlaylistContents> playlists(3);
    for (int index = 0; index < kTracks; ++index) {
        const std::string name = "H" + std::to_string(index) + ".mp3";
        const fs::path file = drive + "\\iPod_Control\\Music\\F00\\" + name;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << Mp3File(8u << 20, index, true);
        files.push_back(file);
        const int album = index % kAlbums;
        itdb::Track track;
        track.title = u"Track " + fs::path(std::to_string(index)).u16string();
        track.artist = u"Artist " + fs::path(std::to_string(album % 3)).u16string();
        track.album = u"Album " + fs::path(std::to_string(album)).u16string();
        track.location = u":iPod_Control:Music:F00:" + fs::path(name).u16string();
        track.artworkId = static_cast<uint32_t>(album + 1);
        track.rating = static_cast<uint8_t>(20 + index % 5 * 20);
        track.playCount = static_cast<uint32_t>(1 + index);
        tracks.push_back(track);
        playlists[static_cast<size_t>(index % 3)].members.push_back(static_cast<size_t>(index));
    }
    for (size_t list = 0; list < playlists.size(); ++list) {
        playlists[list].name = u"List " + fs::path(std::to_string(list)).u16string();
    }
    const fs::path database = drive + "\\iPod_Control\\iTunes\\iTunesDB";
    fs::create_directories(database.parent_path());
    itdb::WriteFile(database.string(), itdb::RealisticDatabase(tracks, playlists));
    if (!WriteCovers(drive, kAlbums) || !WritePhotos(drive, kHomePhotos)) {
        return false;
    }
    LoadPlayer(form);
    for (const wchar_t* setting : {L"SaveAlbumArt", L"WriteRatings", L"WriteLibrary"}) {
        SettingsKey::Write(setting, L"1");
    }
    UseSettings(form, L"%artist%\\%album%", true);
    std::vector<double> home, tracksPart, photosPart, floor;
    for (int round = 0; round < 3; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            if ((round + turn) % 2 == 0) {
                EmptyFolder(RunFolder);
                tracksPart.push_back(benchmark::TimeFolderCommand(form, ID_FILE_EXTRACT));
                photosPart.push_back(benchmark::TimeFolderCommand(form, ID_FILE_EXTRACT_PHOTOS));
                home.push_back(tracksPart.back() + photosPart.back());
            } else {
                floor.push_back(TimeBareLoop(files, BareFolder, Flushed));
            }
        }
    }
    const auto written = std::distance(fs::recursive_directory_iterator(RunFolder), {});
    for (const wchar_t* setting : {L"WriteRatings", L"WriteLibrary"}) {
        SettingsKey::Write(setting, L"0");
    }
    UseSettings(form, L"", false);
    fs::remove_all(L"C:\\extract-benchmark");
    fs::remove_all(drive + "\\Photos");
    std::printf(
        "everything home: %d x 8 MB MP3 in %d albums with covers, ratings, 3 playlists, "
        "Library.xml and %d photos %.3f s; the tracks' serial safe floor written to the disk "
        "%.3f s: ratio %.3f (target 1.00); the tracks at best %.3f s, the photos %.3f s\n",
        kTracks, kAlbums, kHomePhotos, Best(home), Best(floor), Best(home) / Best(floor),
        Best(tracksPart), Best(photosPart));
    // The tracks, the covers, the playlists, Library.xml, the photos, and
    // the folders of the artists, the albums and the photos.
    return written == kTracks + kAlbums + 3 + 1 + kHomePhotos + 3 + kAlbums + 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string drive = std::string(1, argc > 1 ? argv[1][0] : 'F') + ":";
    benchmark::ResetSettingsForExtraction();
    MessageBoxRecorder boxes;
    const std::unique_ptr<TMainForm> form = benchmark::StartMainWindow();
    std::printf(
        "best of %d rounds each (the ratings' rows: medians of more), every round into an empty "
        "folder\n",
        Rounds);
    bool measured = true;
    const std::string only = argc > 2 ? argv[2] : "";
    if (only.empty()) {
        for (const Workload& load : {Workload{"50 x 4 MB", 50, 4u << 20, 0.80},
                                     Workload{"40 x 16 MB", 40, 16u << 20, 0.80},
                                     Workload{"2000 x 64 KB", 2000, 64u << 10, 1.00}}) {
            measured = Measure(*form, drive, load) && measured;
        }
    }
    if (only.empty() || only == "folders") {
        measured = MeasureFolders(*form, drive) && measured;
    }
    if (only.empty() || only == "photos") {
        measured = MeasurePhotos(*form, drive) && measured;
    }
    if (only.empty() || only == "home") {
        measured = MeasureWholeHome(*form, drive) && measured;
    }
    if (only.empty() || only == "ratings") {
        for (const bool tagged : {true, false}) {
            measured = MeasureRatings(*form, drive, tagged) && measured;
        }
    }
    if (!measured || !boxes.Requests().empty()) {
        std::fprintf(stderr, "extraction failed: %u message boxes\n",
                     static_cast<unsigned>(boxes.Requests().size()));
        for (const win::MessageBoxRequest& box : boxes.Requests()) {
            std::fprintf(stderr, "%ls\n", box.Text.substr(0, 300).c_str());
        }
        return 1;
    }
    return 0;
}
