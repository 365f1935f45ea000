// load-benchmark [DRIVE]: times the main window's Open on a 40,000-track
// player database with 3,000 album covers; 1,000 presses of the Down key from
// the first row with the album art pane closed and open (the pane's picture
// follows once the keys rest); then a sort by title and one by track number;
// then the
// switches from All Tracks to a playlist of 10,000 tracks, from there to
// another such playlist and back to All Tracks, and Open of a database of
// only those 10,000 tracks in a new window, which a switch to the playlist
// should not take longer than (each the best of three rounds); Open with
// the covers beside Open without them, and with 10,000 photos beside
// without them (at most 1.1 times). Last, Open
// and Export Playlists of a database with as many playlists as the reader
// keeps, 10,000: the library and the rest of one name, each of one track,
// which should take 2 s together; and Export Playlists of a small compressed
// database of one track of long texts and a playlist of 1,000,000 entries
// of it, which should take 3 s at most (its name too long for Windows, the
// track has no line in it), and the same of a track of short texts, every
// entry a line. DRIVE (a
// letter, default F) must be attached as a removable drive; its database is
// overwritten. Runs in the Wine prefix's settings (FirstRun is set to 0 and
// every other setting reset). Without a window manager, Wine waits about a
// second whenever a window is hidden (here: the device dialog), unless its
// windows are unmanaged. From the repository, after scripts/test:
//
//   . scripts/lib/wine-env.sh && wine_prepare_prefix $PWD/build/windows/wineprefix &&
//   wine_start_display virtual && mkdir -p /tmp/benchpod &&
//   wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
//   wine_attach_drive f /tmp/benchpod BENCHPOD &&
//   wine build/windows/tools/load-benchmark.exe F; wine_stop
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/commands.h"
#include "app/mainform.h"
#include "app/resource_ids.h"
#include "app_test_support.h"
#include "artwork_builder.h"
#include "core/itdbparser.h"
#include "window_benchmark.h"

namespace {

// Each figure is the best of this many rounds.
constexpr int kRounds = 3;

using benchmark::Clock;
using benchmark::PlaylistLength;
using benchmark::SecondsSince;
using benchmark::TimeOpen;
using benchmark::TrackCount;

// Runs a command to its end and returns how long it took.
double TimeCommand(TMainForm& form, int id) {
    const Clock::time_point start = Clock::now();
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return SecondsSince(start);
}

// Chooses an entry of the playlist list as the user does and returns how
// long the rows took to change.
double TimePlaylistChoice(TMainForm& form, int entry) {
    HWND list = form.PlaylistList();
    const Clock::time_point start = Clock::now();
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(IDC_PLAYLIST, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    return SecondsSince(start);
}

// Presses Down `keys` times from the first row, each key handled before the
// next, and returns how long they took. With the album art pane open, the
// picture follows the focus meanwhile; the wait for the last row's picture
// after the last key is added to `paneWait`.
double TimeFocusWalk(TMainForm& form, int keys, double& paneWait) {
    HWND list = form.TrackList();
    HWND pane = form.AlbumArt();
    SetFocus(list);
    LVITEMW first{};
    first.stateMask = first.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
    // Until the pane's centre shows the cover of the focused row's album.
    const auto waitForCover = [pane](int row) {
        const Clock::time_point start = Clock::now();
        const uint32_t cover = benchmark::CoverColour(row / 12);
        const COLORREF expected = RGB(cover >> 16, cover >> 8 & 0xFF, cover & 0xFF);
        HDC context = GetDC(pane);
        RECT client{};
        GetClientRect(pane, &client);
        while (IsWindowVisible(pane) &&
               GetPixel(context, client.right / 2, client.right / 2) != expected &&
               SecondsSince(start) < 5) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            PumpMessages();
        }
        ReleaseDC(pane, context);
        return SecondsSince(start);
    };
    waitForCover(0);
    const Clock::time_point start = Clock::now();
    for (int key = 0; key < keys; ++key) {
        SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
        SendMessageW(list, WM_KEYUP, VK_DOWN, 0);
        PumpMessages();
    }
    const double walk = SecondsSince(start);
    paneWait += waitForCover(keys);
    return walk;
}

long RowCount(TMainForm& form) {
    return static_cast<long>(SendMessageW(form.TrackList(), LVM_GETITEMCOUNT, 0, 0));
}

// The floor of an export: writes each file as the export did, under a
// temporary name, to the disk, then renamed, into an empty `folder`;
// returns how long that took.
double TimeBareWrites(const std::filesystem::path& exported, const std::filesystem::path& folder) {
    std::vector<std::pair<std::wstring, std::string>> files;
    for (const auto& entry : std::filesystem::directory_iterator(exported)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files.emplace_back(entry.path().filename().wstring(),
                           std::string(std::istreambuf_iterator<char>(in), {}));
    }
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::wstring temporary = folder.wstring() + L"\\~bare.partial";
    const Clock::time_point start = Clock::now();
    for (const auto& [name, contents] : files) {
        HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
        FlushFileBuffers(file);
        CloseHandle(file);
        MoveFileExW(temporary.c_str(), (folder.wstring() + L"\\" + name).c_str(), 0);
    }
    const double seconds = SecondsSince(start);
    std::filesystem::remove_all(folder);
    return seconds;
}

// Opens a database of 12 tracks and 10,000 playlists, all but the library
// named alike, in a new window and exports the playlists into an empty
// folder.
bool MeasureManyPlaylists(std::unique_ptr<TMainForm>& window, const std::string& drive) {
    constexpr int kPlaylists = static_cast<int>(ITDBParser::kMostPlaylists) - 1;
    std::vector<itdb::Track> tracks = benchmark::Tracks();
    tracks.resize(12);
    const std::vector<itdb::PlaylistContents> playlists(
        kPlaylists, itdb::PlaylistContents{u"Mix", itdb::ListKind::Other, {3}});
    const std::filesystem::path folder = L"C:\\load-benchmark-playlists";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    if (!itdb::WriteFile(drive + "\\iPod_Control\\iTunes\\iTunesDB",
                         itdb::RealisticDatabase(tracks, playlists))) {
        std::fprintf(stderr, "cannot write the database of many playlists\n");
        return false;
    }
    window.reset();
    DiscardQuitRequest();
    window = benchmark::StartMainWindow();
    bool dialogShown = false;
    const double open = TimeOpen(*window, drive, dialogShown);
    const auto entries = SendMessageW(window->PlaylistList(), CB_GETCOUNT, 0, 0);
    window->Settings().SetExtractPath(folder.u16string());
    const double exported = benchmark::TimeFolderCommand(*window, ID_FILE_EXPORT_PLAYLISTS);
    const auto files = std::distance(std::filesystem::directory_iterator(folder), {});
    const double floor = TimeBareWrites(folder, L"C:\\load-benchmark-bare");
    std::filesystem::remove_all(folder);
    if (!dialogShown || entries != kPlaylists + 1 || files != kPlaylists || exported < 0) {
        std::fprintf(stderr, "many playlists: %ld entries in the list, %ld files written\n",
                     static_cast<long>(entries), static_cast<long>(files));
        return false;
    }
    std::printf(
        "the library and %d playlists of one name: open %.3f s, export %.3f s, together %.3f s "
        "(target 2 s); the same files written to the disk and renamed bare: %.3f s\n",
        kPlaylists, open, exported, open + exported, floor);
    return true;
}

// Exports a playlist of 1,000,000 entries of one track whose texts are
// `textLength` long, from a compressed database.
bool MeasureMillionEntries(std::unique_ptr<TMainForm>& window, const std::string& drive,
                           size_t textLength) {
    constexpr size_t kEntries = 1000000;
    itdb::Track track = benchmark::Tracks().front();
    track.title = std::u16string(textLength, u't');
    track.artist = std::u16string(textLength, u'a');
    track.album = std::u16string(textLength, u'b');
    const itdb::PlaylistContents playlist{u"Again", itdb::ListKind::Other,
                                          std::vector<size_t>(kEntries, 0)};
    const std::string folder = drive + "\\iPod_Control\\iTunes\\";
    DeleteFileA((folder + "iTunesDB").c_str());
    const itdb::Bytes database =
        itdb::CompressedDatabase(itdb::RealisticDatabase({track}, {playlist}), 9);
    const std::filesystem::path output = L"C:\\load-benchmark-entries";
    std::filesystem::remove_all(output);
    std::filesystem::create_directories(output);
    if (!itdb::WriteFile(folder + "iTunesCDB", database)) {
        std::fprintf(stderr, "cannot write the database of a million entries\n");
        return false;
    }
    window.reset();
    DiscardQuitRequest();
    window = benchmark::StartMainWindow();
    bool dialogShown = false;
    TimeOpen(*window, drive, dialogShown);
    window->Settings().SetExtractPath(output.u16string());
    const double exported = benchmark::TimeFolderCommand(*window, ID_FILE_EXPORT_PLAYLISTS);
    const auto size = std::filesystem::file_size(output / L"Again.m3u8");
    std::filesystem::remove_all(output);
    DeleteFileA((folder + "iTunesCDB").c_str());
    std::printf(
        "a playlist of %zu entries of one track of texts of %zu characters, from %zu bytes "
        "compressed: export %.3f s (target 3 s), %llu bytes written\n",
        kEntries, textLength, database.size(), exported, static_cast<unsigned long long>(size));
    return dialogShown && exported >= 0;
}

// Writes 10,000 photos into `folder` (the player's Photos folder), each in a
// thumbnail and a large size as a color player keeps them, in the library
// and ten albums; the frames are shared, so that the files stay small.
bool WritePhotos(const std::string& folder) {
    constexpr int kPhotos = 10000, kFrames = 10, kAlbums = 10;
    std::vector<artwork::Entry> entries;
    std::vector<artwork::Album> albums(kAlbums + 1);
    albums[0].type = 1;
    for (int photo = 0; photo < kPhotos; ++photo) {
        std::vector<artwork::StoredSize> sizes;
        for (const auto& [format, side] : {std::pair(1066, 64), std::pair(1087, 384)}) {
            // A shared frame needs no pixels: the image only gives its size.
            const bool shared = photo >= kFrames;
            artwork::StoredSize size = artwork::Stored(
                static_cast<uint32_t>(format), side,
                shared ? artwork::Image{side, side * 3 / 4, {}}
                       : artwork::SolidImage(side, side * 3 / 4, 0x336699u + photo % kFrames));
            const auto frameBytes = static_cast<uint32_t>(side * side * 2);
            if (shared) {
                size.shared = {static_cast<uint32_t>(photo % kFrames) * frameBytes, frameBytes};
            }
            sizes.push_back(std::move(size));
        }
        const auto id = static_cast<uint32_t>(photo + 1);
        entries.push_back({id, 0, std::move(sizes)});
        albums[0].members.push_back(id);
        albums[static_cast<size_t>(1 + photo % kAlbums)].members.push_back(id);
    }
    for (int album = 1; album <= kAlbums; ++album) {
        albums[static_cast<size_t>(album)].name = u"Album " + std::u16string(1, u'0' + album % 10);
    }
    std::filesystem::create_directories(folder);
    return artwork::WriteStore(folder + "\\", artwork::BuildStore(entries, albums),
                               "Photo Database");
}

// The best Open of the player on `drive`, in new windows, with `folder` in
// its place and moved away; `withIt` sees each window opened with it.
std::pair<double, double> TimeOpenWithAndWithout(
    std::unique_ptr<TMainForm>& window, const std::string& drive, const std::string& folder,
    const std::function<void(TMainForm&)>& withIt = {}) {
    double with = 1e9, without = 1e9;
    const std::string away = folder + "-away";
    for (int round = 0; round < kRounds; ++round) {
        with = std::min(with, benchmark::TimeOpenInNewWindow(window, drive));
        if (withIt) {
            withIt(*window);
        }
        MoveFileA(folder.c_str(), away.c_str());
        without = std::min(without, benchmark::TimeOpenInNewWindow(window, drive));
        MoveFileA(away.c_str(), folder.c_str());
    }
    return {with, without};
}

}  // namespace

int main(int argc, char** argv) {
    const std::string drive = std::string(1, argc > 1 ? argv[1][0] : 'F') + ":";
    const std::string database = drive + "\\iPod_Control\\iTunes\\iTunesDB";
    if (!benchmark::PrepareWindowRun(database) || !benchmark::WriteCovers(database)) {
        return 1;
    }
    MessageBoxRecorder boxes;
    std::unique_ptr<TMainForm> window = benchmark::StartMainWindow();
    TMainForm& form = *window;

    bool dialogShown = false;
    const double load = TimeOpen(form, drive, dialogShown);
    const long rows = RowCount(form);
    const bool loaded = dialogShown && rows == TrackCount && boxes.Requests().empty() &&
                        StatusText(form.StatusBar()) == L"Loaded total 40000 song(s)";
    if (!loaded) {
        std::fprintf(stderr, "load failed: dialog %s, %ld rows, %u message boxes\n",
                     dialogShown ? "shown" : "not shown", rows,
                     static_cast<unsigned>(boxes.Requests().size()));
        return 1;
    }
    PumpMessages();

    constexpr int kKeys = 1000;
    double walkClosed = 1e9, walkOpen = 1e9, paneWait = 0;
    for (int round = 0; round < kRounds; ++round) {
        double ignored = 0;
        walkClosed = std::min(walkClosed, TimeFocusWalk(form, kKeys, ignored));
        SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(ID_VIEW_ALBUMART, 0), 0);
        walkOpen = std::min(walkOpen, TimeFocusWalk(form, kKeys, paneWait));
        SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(ID_VIEW_ALBUMART, 0), 0);
    }

    const double byTitle = TimeCommand(form, ID_SORT_TITLE);
    const double byNumber = TimeCommand(form, ID_SORT_TRACKNUMBER);
    double fromAll = 1e9, fromPlaylist = 1e9, toAll = 1e9, smallLoad = 1e9;
    long playlistRows = 0, allRows = 0;
    for (int round = 0; round < kRounds; ++round) {
        fromAll = std::min(fromAll, TimePlaylistChoice(form, 1));
        fromPlaylist = std::min(fromPlaylist, TimePlaylistChoice(form, 2));
        playlistRows = RowCount(form);
        toAll = std::min(toAll, TimePlaylistChoice(form, 0));
        allRows = RowCount(form);
    }

    // Open with the covers beside Open without them, then with 10,000
    // photos beside without them.
    const auto [withCovers, withoutCovers] =
        TimeOpenWithAndWithout(window, drive, drive + "\\iPod_Control\\Artwork");
    const std::string photos = drive + "\\Photos";
    if (!WritePhotos(photos)) {
        std::fprintf(stderr, "cannot write the photos\n");
        return 1;
    }
    size_t photosRead = 0;
    const auto [withPhotos, withoutPhotos] = TimeOpenWithAndWithout(
        window, drive, photos,
        [&photosRead](TMainForm& opened) { photosRead = opened.Player()->Photos().Count(); });
    std::filesystem::remove_all(photos);

    // The same 10,000 tracks alone, opened in a new window.
    std::vector<itdb::Track> tracks = benchmark::Tracks();
    std::vector<itdb::Track> everyFourth;
    for (size_t index = 0; index < tracks.size(); index += 4) {
        everyFourth.push_back(tracks[index]);
    }
    if (!itdb::WriteFile(drive + "\\iPod_Control\\iTunes\\iTunesDB",
                         benchmark::Database(everyFourth))) {
        std::fprintf(stderr, "cannot write the smaller database\n");
        return 1;
    }
    long smallRows = 0;
    for (int round = 0; round < kRounds; ++round) {
        window.reset();
        DiscardQuitRequest();
        window = benchmark::StartMainWindow();
        smallLoad = std::min(smallLoad, TimeOpen(*window, drive, dialogShown));
        smallRows = RowCount(*window);
    }
    if (playlistRows != PlaylistLength || allRows != TrackCount || smallRows != PlaylistLength) {
        std::fprintf(stderr, "rows: %ld in the playlist, %ld in all, %ld in the small load\n",
                     playlistRows, allRows, smallRows);
        return 1;
    }

    std::printf("tracks %d, rows %ld\n", TrackCount, rows);
    std::printf("load (OK to \"Loaded total 40000 song(s)\"): %.3f s (target 1.2 s)\n", load);
    std::printf(
        "%d presses of Down, album art pane open / closed: %.3f s / %.3f s, ratio %.2f (target "
        "1.2); the pane showed the last row's cover %.0f ms after the last key\n",
        kKeys, walkOpen, walkClosed, walkOpen / walkClosed, paneWait / kRounds * 1000);
    std::printf("sort by title:        %.3f s (target 0.6 s)\n", byTitle);
    std::printf("sort by track number: %.3f s (target 0.6 s)\n", byNumber);
    std::printf("switch to a %d-track playlist from All Tracks: %.3f s, from another: %.3f s\n",
                PlaylistLength, fromAll, fromPlaylist);
    std::printf("switch back to All Tracks: %.3f s\n", toAll);
    std::printf(
        "load of %d tracks alone: %.3f s; switch / load: from All Tracks %.2f, from "
        "another playlist %.2f (target 1.0)\n",
        PlaylistLength, smallLoad, fromAll / smallLoad, fromPlaylist / smallLoad);
    std::printf("load with %d album covers / without: %.3f s / %.3f s, ratio %.2f (target 1.1)\n",
                benchmark::PicturedAlbums, withCovers, withoutCovers, withCovers / withoutCovers);
    std::printf("load with %zu photos / without: %.3f s / %.3f s, ratio %.2f (target 1.1)\n",
                photosRead, withPhotos, withoutPhotos, withPhotos / withoutPhotos);
    const bool measured = MeasureManyPlaylists(window, drive) &&
                          MeasureMillionEntries(window, drive, ITDBParser::kLongestText / 2) &&
                          MeasureMillionEntries(window, drive, 10);
    return measured && boxes.Requests().empty() ? 0 : 1;
}
