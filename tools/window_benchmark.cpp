#include "window_benchmark.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "app/commands.h"
#include "app/resource_ids.h"
#include "app_test_support.h"
#include "artwork_builder.h"

namespace benchmark {

namespace {

std::u16string Utf16(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace

std::vector<itdb::Track> Tracks() {
    static const char* const words[] = {"love",  "Night", "river", "Blue",  "stone", "Fire",
                                        "light", "Rain",  "road",  "Heart", "sky",   "Dream"};
    std::mt19937 random(4);  // the same database every run
    std::uniform_int_distribution<int> word(0, 11);
    std::vector<itdb::Track> tracks;
    tracks.reserve(TrackCount);
    for (int index = 0; index < TrackCount; ++index) {
        const int album = index / 12;
        itdb::Track track;
        track.title = Utf16(std::string(words[word(random)]) + " " + words[word(random)] + " " +
                            std::to_string(index));
        track.artist = Utf16("Artist " + std::to_string(album % 900));
        track.album = Utf16("Album " + std::to_string(album));
        track.location = Utf16(":iPod_Control:Music:F" + std::to_string(10 + index % 50) + ":T" +
                               std::to_string(index) + ".mp3");
        track.fileType = index % 3 == 0 ? u"AAC audio file" : u"MPEG audio file";
        track.lengthMs = 90000 + static_cast<uint32_t>(random() % 400000);
        track.trackNumber = index % 12 + 1;
        track.bitRate = index % 4 == 0 ? 256 : 128;
        track.sampleRateHz = index % 5 == 0 ? 48000 : 44100;
        track.mediaType = index % 40 == 0 ? 4 : 1;
        track.artworkId = album < PicturedAlbums ? static_cast<uint32_t>(album + 1) : 0;
        tracks.push_back(std::move(track));
    }
    return tracks;
}

itdb::Bytes Database(const std::vector<itdb::Track>& tracks) {
    if (tracks.size() != static_cast<size_t>(TrackCount)) {
        return itdb::RealisticDatabase(tracks);
    }
    std::vector<itdb::PlaylistContents> playlists = {
        {u"Every Fourth", itdb::ListKind::Other, {}},
        {u"Every Fourth From The Third", itdb::ListKind::Other, {}}};
    for (size_t index = 0; index < tracks.size(); index += 4) {
        playlists[0].members.push_back(index);
        playlists[1].members.push_back(index + 2);
    }
    return itdb::RealisticDatabase(tracks, playlists);
}

bool WriteCovers(const std::string& databasePath) {
    // Albums this far down the list have covers of their full size.
    constexpr int kLargeCovers = 100;
    std::vector<artwork::Entry> covers;
    for (int album = 0; album < PicturedAlbums; ++album) {
        const int side = album < kLargeCovers ? 320 : 56;
        const auto colour = static_cast<uint32_t>(album) * 2654435761u & 0xFFFFFF;
        covers.push_back({static_cast<uint32_t>(album + 1),
                          0,
                          {artwork::Stored(side == 320 ? 1060 : 1061, side,
                                           artwork::SolidImage(side, side, colour))}});
    }
    const std::filesystem::path folder =
        std::filesystem::path(databasePath).parent_path().parent_path() / "Artwork";
    std::filesystem::create_directories(folder);
    if (!artwork::WriteStore((folder / "").string(), artwork::BuildStore(covers))) {
        std::fprintf(stderr, "cannot write the covers in %s\n", folder.string().c_str());
        return false;
    }
    return true;
}

uint32_t CoverColour(int album) {
    return artwork::Rgb565Rounded(static_cast<uint32_t>(album) * 2654435761u & 0xFFFFFF);
}

bool PrepareWindowRun(const std::string& databasePath) {
    std::filesystem::create_directories(std::filesystem::path(databasePath).parent_path());
    if (!itdb::WriteFile(databasePath, Database(Tracks()))) {
        std::fprintf(stderr, "cannot write %s\n", databasePath.c_str());
        return false;
    }
    ResetSettings();
    return true;
}

void ResetSettings() {
    SettingsKey::Delete();
    SettingsKey::Write(L"FirstRun", L"0");
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&controls);
}

void ResetSettingsForExtraction() {
    ResetSettings();
    SettingsKey::Write(L"OverwriteFiles", L"0");
    SettingsKey::Write(L"FileFormat", L"%title%");
}

std::unique_ptr<TMainForm> StartMainWindow() {
    auto form = std::make_unique<TMainForm>();
    form->Show(SW_SHOWNORMAL);
    PumpMessages();
    return form;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void LookAtTheWindow(double seconds) {
    for (const auto start = Clock::now(); SecondsSince(start) < seconds; Sleep(10)) {
        PumpMessages();
    }
}

namespace {

LRESULT CALLBACK NoteDestruction(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR destroyedAt) {
    if (message == WM_NCDESTROY) {
        *reinterpret_cast<Clock::time_point*>(destroyedAt) = Clock::now();
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

double TimeFolderCommand(TMainForm& form, int id) {
    Clock::time_point dialogGone{};
    WhenWindowShows dialog(L"Browse for Folder", [&](HWND found) {
        SetWindowSubclass(found, NoteDestruction, 1, reinterpret_cast<DWORD_PTR>(&dialogGone));
        PressButton(found, IDOK);
    });
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return dialog.Shown() ? SecondsSince(dialogGone) : -1;
}

// Opens the database on `drive` through the device dialog and returns the
// time from the click on OK to the end of the command.
double TimeOpen(TMainForm& form, const std::string& drive, bool& dialogShown) {
    Clock::time_point okClicked{};
    WhenWindowShows dialog(L"Select Your iPod", [&](HWND found) {
        HWND driveList = GetDlgItem(found, IDC_CBDRIVE);
        const std::wstring entry = L"(" + std::wstring(1, drive[0]) + L":)";
        SendMessageW(driveList, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(entry.c_str()));
        okClicked = Clock::now();
        PressButton(found, IDOK);
    });
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(ID_FILE_OPEN, 0), 0);
    dialogShown = dialog.Shown();
    return SecondsSince(okClicked);
}

double TimeOpenInNewWindow(std::unique_ptr<TMainForm>& window, const std::string& drive) {
    window.reset();
    DiscardQuitRequest();
    window = StartMainWindow();
    bool dialogShown = false;
    const double seconds = TimeOpen(*window, drive, dialogShown);
    return dialogShown ? seconds : 1e9;
}

}  // namespace benchmark
