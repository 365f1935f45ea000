// fields-benchmark [DRIVE]: what the player's own fields cost the main window,
// as ratios within one run (each figure the best of three rounds):
//   - Open of 40,000 tracks that carry every field (ratings, plays, dates,
//     genres, composers, comments) with a Play Counts file of an entry for
//     each, against Open of the same tracks as the nine columns need them
//     and no Play Counts (target 1.05);
//   - the rows shown after a word typed in the find box that matches 500 of
//     the 40,000 tracks (Enter, which applies it without the pause), against
//     that plain Open (target 0.8); clearing the box (Esc), against it
//     (target 1.1);
//   - a sort by Plays against a sort by Title (target 1.0).
// Each Open runs in a new window, with no extra column shown; the sorts in
// a window that shows Plays. DRIVE (a letter, default F) must be attached as
// a removable drive; its database is overwritten. Runs in the Wine prefix's
// settings. From the repository, after scripts/test:
//
//   . scripts/lib/wine-env.sh && wine_prepare_prefix $PWD/build/windows/wineprefix &&
//   wine_start_display virtual && mkdir -p /tmp/benchpod &&
//   wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
//   wine_attach_drive f /tmp/benchpod BENCHPOD &&
//   wine build/windows/tools/fields-benchmark.exe F; wine_stop
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/mainform.h"
#include "app/resource_ids.h"
#include "app_test_support.h"
#include "core/onetrack.h"
#include "window_benchmark.h"

namespace {

using benchmark::Clock;
using benchmark::SecondsSince;
using benchmark::TrackCount;

constexpr int kRounds = 3;
constexpr int kFoundTracks = 500;

// The benchmark's tracks with every field the player keeps; the genre of
// every 80th is the one word the find looks for.
std::vector<itdb::Track> TracksWithFields() {
    std::vector<itdb::Track> tracks = benchmark::Tracks();
    for (size_t index = 0; index < tracks.size(); ++index) {
        itdb::Track& track = tracks[index];
        const auto order = static_cast<uint32_t>(index);
        track.genre = index % (TrackCount / kFoundTracks) == 0 ? u"Bossa Nova" : u"Rock";
        track.composer = u"Composer " + std::u16string(1, static_cast<char16_t>(u'A' + index % 26));
        track.comment = index % 3 == 0 ? u"Ripped from the original\r\nvinyl" : u"";
        track.rating = static_cast<uint8_t>(order % 6 * 20);
        track.playCount = order * 7919 % 1000;
        track.skipCount = order % 9;
        track.year = 1960 + order % 60;
        track.dateAdded = 3629145600 + order * 600;
        track.lastPlayed = track.playCount == 0 ? 0 : track.dateAdded + 86400;
        track.sizeBytes = track.lengthMs * 16;
        track.discNumber = 1;
        track.discCount = 1 + order % 2;
    }
    return tracks;
}

itdb::Bytes FullPlayCounts() {
    std::vector<itdb::PlayCountEntry> entries;
    for (uint32_t index = 0; index < static_cast<uint32_t>(TrackCount); ++index) {
        entries.push_back(
            {index % 3, index % 3 == 0 ? 0u : 3786000000u + index, index % 6 * 20, index % 2});
    }
    return itdb::PlayCountsFile(entries);
}

long RowCount(TMainForm& form) {
    return static_cast<long>(SendMessageW(form.TrackList(), LVM_GETITEMCOUNT, 0, 0));
}

// Presses a key in the find box and returns how long the rows took to change.
double TimeFindKey(TMainForm& form, WPARAM key) {
    const Clock::time_point start = Clock::now();
    SendMessageW(form.FindBox(), WM_KEYDOWN, key, 0);
    return SecondsSince(start);
}

double TimeCommand(TMainForm& form, int id) {
    const Clock::time_point start = Clock::now();
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return SecondsSince(start);
}

// A click on the header of the list's column `column`, as the list tells it.
double TimeHeaderClick(TMainForm& form, int column) {
    NMLISTVIEW click{};
    click.hdr.hwndFrom = form.TrackList();
    click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(form.TrackList()));
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    const Clock::time_point start = Clock::now();
    SendMessageW(form.Handle(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    return SecondsSince(start);
}

bool Write(const std::string& path, const itdb::Bytes& bytes) {
    if (!itdb::WriteFile(path, bytes)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string drive = std::string(1, argc > 1 ? argv[1][0] : 'F') + ":";
    const std::string folder = drive + "\\iPod_Control\\iTunes\\";
    if (!benchmark::PrepareWindowRun(folder + "iTunesDB")) {
        return 1;
    }
    const itdb::Bytes plain = benchmark::Database(benchmark::Tracks());
    const itdb::Bytes withFields = benchmark::Database(TracksWithFields());
    const itdb::Bytes playCounts = FullPlayCounts();
    MessageBoxRecorder boxes;
    std::unique_ptr<TMainForm> window;

    double plainOpen = 1e9, fieldsOpen = 1e9, find = 1e9, clear = 1e9;
    long foundRows = 0, clearedRows = 0;
    std::wstring foundStatus;
    for (int round = 0; round < kRounds; ++round) {
        std::filesystem::remove(folder + "Play Counts");
        if (!Write(folder + "iTunesDB", plain)) {
            return 1;
        }
        plainOpen = std::min(plainOpen, benchmark::TimeOpenInNewWindow(window, drive));
        if (!Write(folder + "iTunesDB", withFields) || !Write(folder + "Play Counts", playCounts)) {
            return 1;
        }
        fieldsOpen = std::min(fieldsOpen, benchmark::TimeOpenInNewWindow(window, drive));
        SetWindowTextW(window->FindBox(), L"bossa");
        find = std::min(find, TimeFindKey(*window, VK_RETURN));
        foundRows = RowCount(*window);
        foundStatus = StatusText(window->StatusBar());
        clear = std::min(clear, TimeFindKey(*window, VK_ESCAPE));
        clearedRows = RowCount(*window);
    }
    // A window saves its settings as it goes: the choice is stored after.
    window.reset();
    DiscardQuitRequest();
    SettingsKey::Write(L"ExtraColumns", L"Plays");
    const double openWithPlays = benchmark::TimeOpenInNewWindow(window, drive);
    double byTitle = 1e9, byPlays = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        TimeCommand(*window, ID_SORT_TRACKNUMBER);
        byTitle = std::min(byTitle, TimeCommand(*window, ID_SORT_TITLE));
        TimeCommand(*window, ID_SORT_TRACKNUMBER);
        byPlays = std::min(byPlays, TimeHeaderClick(*window, kStandardColumnCount));
    }
    const TrackListView rows = window->Rows();
    const OneTrack* first = rows.TrackAt(0);
    const OneTrack* last = rows.TrackAt(TrackCount - 1);
    if (first == nullptr || last == nullptr || first->GetPlayCount() != 0 ||
        last->GetPlayCount() != 1001) {
        std::fprintf(stderr, "the rows are not in the order of their plays\n");
        return 1;
    }
    const std::wstring expectedStatus = L"Showing " + std::to_wstring(kFoundTracks) + L" of " +
                                        std::to_wstring(TrackCount) + L" tracks";
    if (foundRows != kFoundTracks || foundStatus != expectedStatus || clearedRows != TrackCount ||
        RowCount(*window) != TrackCount || !boxes.Requests().empty()) {
        std::fprintf(stderr, "rows: %ld found, %ld after clearing, %ld with Plays shown\n",
                     foundRows, clearedRows, RowCount(*window));
        return 1;
    }
    std::printf(
        "open of %d tracks (OK to the end): plain %.3f s, with every field and a full "
        "Play Counts %.3f s: %.2f (target 1.05); with Plays shown %.3f s\n",
        TrackCount, plainOpen, fieldsOpen, fieldsOpen / plainOpen, openWithPlays);
    std::printf("find a word of %d tracks: %.3f s, %.2f of the plain open (target 0.8)\n",
                kFoundTracks, find, find / plainOpen);
    std::printf("clear the find: %.3f s, %.2f of the plain open (target 1.1)\n", clear,
                clear / plainOpen);
    std::printf("sort by Plays %.3f s, by Title %.3f s: %.2f (target 1.0)\n", byPlays, byTitle,
                byPlays / byTitle);
    return 0;
}
