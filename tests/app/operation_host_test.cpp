// The long operations against a small host of their own, without the main
// window: they reach the program only through MainWindowServices. The
// player is read from a disk image held in memory.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/export_playlists.h"
#include "app/main_window_services.h"
#include "app_test_support.h"
#include "core/ansi_text.h"
#include "core/itdbparser.h"
#include "core/player_volume.h"
#include "core/settings_values.h"
#include "core/track_find.h"
#include "core/track_name_plan.h"
#include "core/track_row.h"
#include "hfs_image_builder.h"
#include "itdb_builder.h"

namespace {

namespace fs = std::filesystem;

// What an operation may ask of its host, answered from plain values, with
// the statuses and questions kept for the test.
class TestHost final : public MainWindowServices {
public:
    explicit TestHost(std::shared_ptr<PlayerFiles> player)
        : owner_(CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr)),
          parser_(DatabasePathOnPlayer(*player, "Disk 1"), player) {
        parser_.Parse(-1);
    }
    ~TestHost() { DestroyWindow(owner_); }

    HWND Handle() const override { return owner_; }
    void SetStatusText(const std::string& text) override {
        Statuses.push_back(Utf16FromAnsi(text));
    }
    void SetStatusText(std::u16string_view text) override { Statuses.emplace_back(text); }
    void ShowReadyStatus() override { Statuses.push_back(u"Trackhaul Ready"); }
    void SetItemStatus(std::u16string_view) override {}
    void SetProgress(int) override {}
    void ShowProgress(bool) override {}
    void ProcessMessages() override { PumpMessages(); }
    win::ReentrancyGuard& BusyGuard() override { return busy_; }
    void ChangeWaitCursors(int) override {}
    TrackListView Rows() const override { return TrackListView(nullptr); }
    std::span<const TrackColumnId> ShownColumns() const override { return {}; }
    const TrackFind& FindWords() const override { return find_; }
    const ITDBParser* Player() const override { return &parser_; }
    const std::string& PlayerDrive() const override { return drive_; }
    bool IsOnPlayerDrive(std::u16string_view) const override { return false; }
    bool TargetExists(std::u16string_view path) const override {
        return fs::exists(fs::path(std::u16string(path)));
    }
    std::shared_ptr<const TrackNamePlan> NamePlan() override {
        return std::make_shared<TrackNamePlan>(parser_.TracksInFileOrder(), u"%title%", u"");
    }
    SettingsValues SettingsView() const override { return Settings; }
    void RememberExtractPath(const std::u16string& folder) override {
        Settings.ExtractPath = folder;
    }
    void RememberMusicFolder(const std::u16string& folder) override {
        Settings.MusicFolder = folder;
    }
    OverwriteAnswer AskOverwrite(std::u16string_view target) override {
        Asked.emplace_back(target);
        return AnswerNo;
    }

    SettingsValues Settings;
    std::vector<std::u16string> Statuses;
    std::vector<std::u16string> Asked;

private:
    HWND owner_;
    ITDBParser parser_;
    std::string drive_ = "Disk 1";
    TrackFind find_;
    win::ReentrancyGuard busy_;
};

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(OperationHost, ExportPlaylistsRunsAgainstAHostOfItsOwn) {
    std::vector<itdb::Track> tracks(2);
    tracks[0].title = u"First";
    tracks[0].location = u":iPod_Control:Music:F00:A.mp3";
    tracks[1].title = u"Second";
    tracks[1].location = u":iPod_Control:Music:F00:B.mp3";
    const itdb::Bytes database =
        itdb::RealisticDatabase(tracks, {{u"Road Mix", itdb::ListKind::Other, {1, 0}}});
    const hfs::Bytes image = hfs::Volume({{u"iPod_Control/iTunes/iTunesDB", database}});
    TestHost host(std::make_shared<NamedVolume>(
        "Disk 1", OpenPlayerVolume(std::make_shared<MemoryBlockSource>(image))));
    const fs::path folder = L"C:\\operation-host-test";
    fs::remove_all(folder);
    fs::create_directories(folder);
    host.Settings.ExtractPath = folder.u16string();  // where the folder dialog opens

    const auto exportPlaylists = [&] {
        WhenWindowShows dialog(L"Browse for Folder", [](HWND found) { PressButton(found, IDOK); });
        PlaylistExport(host).Run();
        return dialog.Shown();
    };
    ASSERT_TRUE(exportPlaylists());
    const std::string written = ReadAll(folder / L"Road Mix.m3u8");
    EXPECT_NE(written.find("Second.mp3"), std::string::npos);
    EXPECT_LT(written.find("Second.mp3"), written.find("First.mp3"));
    EXPECT_EQ(host.Statuses.back(), u"Exported 1 playlist(s)");
    EXPECT_TRUE(host.Asked.empty());

    // Asked again, the host's answer keeps the file.
    host.Settings.OverwriteFiles = AlwaysPrompt;
    std::ofstream(folder / L"Road Mix.m3u8", std::ios::binary) << "kept";
    ASSERT_TRUE(exportPlaylists());
    EXPECT_EQ(host.Asked, std::vector<std::u16string>{folder.u16string() + u"\\Road Mix.m3u8"});
    EXPECT_EQ(ReadAll(folder / L"Road Mix.m3u8"), "kept");
    EXPECT_EQ(host.Statuses.back(), u"Exported 0 playlist(s)");
    fs::remove_all(folder);
}

}  // namespace
