// Exporting the track list through the real main window and its save dialog.
// The run attaches X:, a drive too small for any list.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/mainform.h"
#include "app/resource_ids.h"
#include "app_test_support.h"
#include "itdb_builder.h"
#include "main_window_test.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Quotes, commas, a line break, empty fields, negative and zero numbers and
// text in several scripts, in an order that sorting by title reverses.
const std::vector<itdb::Track> MixedTracks = {
    {u"Say \"Hi\", now", u"\u0410\u043D\u0430", u"", u":iPod_Control:Music:F00:A.mp3",
     u"MPEG audio file", 200000, 0, 128, 44100, 1},
    {u"Line\r\nbreak", u"\u65E5\u672C", u"Best, of", u":iPod_Control:Music:F01:B.m4v",
     u"MPEG-4 video file", 61000, -3, 256, 48000, 2},
    {u"Alpha", u"", u"Z", u":iPod_Control:Music:F02:C.m4a", u"AAC audio file", 3723000, 12, -1, 0,
     1},
};
const std::u16string MixedTracksByTitle =
    u"\"Track Number\",\"Title\",\"Arist\",\"Album\",\"Length\",\"Track Type\",\"Encoding\","
    u"\"Bit Rate\",\"Sample Rate\"\n"
    u"12,\"Alpha\",\"\",\"Z\",\"1:02:03\",\"Audio\",\"AAC audio file\",\"-1 kBps\",\"0 Hz\"\n"
    u"-3,\"Line\r\nbreak\",\"\u65E5\u672C\",\"Best, of\",\"1:01\",\"Video\",\"MPEG-4 video file\","
    u"\"256 kBps\",\"48000 Hz\"\n"
    u"0,\"Say \"\"Hi\"\", now\",\"\u0410\u043D\u0430\",\"\",\"3:20\",\"Audio\",\"MPEG audio file\","
    u"\"128 kBps\",\"44100 Hz\"\n";

// The bytes of a file in UTF-16LE with its byte-order mark.
std::string Utf16File(const std::u16string& text) {
    std::string bytes("\xFF\xFE", 2);
    for (const char16_t unit : text) {
        bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    }
    return bytes;
}

std::string FileBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class ExportTest : public MainWindowTest {
protected:
    void TearDown() override {
        MainWindowTest::TearDown();
        fs::remove(TMainForm::TestLoadPath);
    }

    // Starts a window holding `tracks`, loaded by the test load, after
    // storing `extractPath`.
    void StartWith(const std::vector<itdb::Track>& tracks, const wchar_t* extractPath = L"") {
        form_.reset();
        DiscardQuitRequest();
        SettingsKey::Write(L"ExtractPath", extractPath);
        fs::create_directories(fs::path(TMainForm::TestLoadPath).parent_path());
        ASSERT_TRUE(itdb::WriteFile(TMainForm::TestLoadPath, itdb::RealisticDatabase(tracks)));
        Start();
        Command(ID_TOOLBUTTON14);
        ASSERT_EQ(SendMessageW(form_->TrackList(), LVM_GETITEMCOUNT, 0, 0), tracks.size());
    }
    // Runs the export and answers its dialog with `fileName`; none cancels.
    // What the dialog showed, and whether it asked to replace the file.
    std::pair<SaveDialogView, bool> Export(const fs::path& fileName) {
        SaveDialogAnswer answer(L"Export Track List", fileName.wstring());
        Command(ID_FILE_EXPORT);
        EXPECT_TRUE(answer.Shown());
        return {answer.Seen(), answer.ReplacementConfirmed()};
    }

    std::wstring Status(int panel = 0) const { return StatusText(form_->StatusBar(), panel); }
    static std::wstring FolderText(const fs::path& folder) { return folder.wstring() + L"\\"; }
    void ExpectOneErrorBox(const std::wstring& text) const {
        ASSERT_EQ(boxes_.Requests().size(), 1u);
        EXPECT_EQ(boxes_.Requests()[0].Text, text);
        EXPECT_EQ(boxes_.Requests()[0].Caption, L"Trackhaul");
        EXPECT_EQ(boxes_.Requests()[0].Style, static_cast<UINT>(MB_OK | MB_ICONERROR));
    }

    TempDir folder_;
    MessageBoxRecorder boxes_;
};

TEST_F(ExportTest, EmptyListShowsTheMessageAndNoDialog) {
    Start();
    SaveDialogAnswer answer(L"Export Track List", L"");
    Command(ID_FILE_EXPORT);
    EXPECT_FALSE(answer.Shown());
    ExpectOneErrorBox(L"There are no tracks to export.");
}

// Into a folder and file named in other scripts, over an older file: all
// rows, selected or not, in the order shown. Commands that would release or
// reorder the rows, given meanwhile, do not run.
TEST_F(ExportTest, WritesEveryRowAsShownByteForByteWhereverTheUserChose) {
    StartWith(MixedTracks);
    Command(ID_SORT_TITLE);
    LVITEMW selected{};
    selected.stateMask = selected.state = LVIS_SELECTED;
    SendMessageW(form_->TrackList(), LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&selected));
    const fs::path folder = folder_.Path() / L"\u042D\u043A\u0441\u043F\u043E\u0440\u0442 \u97F3";
    const fs::path file = folder / L"\u0421\u043F\u0438\u0441\u043E\u043A.csv";
    fs::create_directory(folder);
    std::ofstream(file) << std::string(5000, 'x');
    SaveDialogAnswer answer(L"Export Track List", (folder / file.stem()).wstring());
    for (const int command : {ID_FILE_EXPORT, ID_FILE_CLOSE, ID_SORT_TRACKNUMBER}) {
        PostMessageW(form_->Handle(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    }
    PumpMessages();

    EXPECT_TRUE(answer.ReplacementConfirmed());
    EXPECT_EQ(FileBytes(file), Utf16File(MixedTracksByTitle));
    EXPECT_EQ(SendMessageW(form_->TrackList(), LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(SettingsKey::Read(L"ExtractPath"), FolderText(folder));
    EXPECT_TRUE(boxes_.Requests().empty());
    EXPECT_EQ(Status(), L"Trackhaul Ready");
    EXPECT_EQ(Status(2), L"");
    // The next export opens in that folder, with the name box empty again.
    const SaveDialogView next = Export(L"").first;
    EXPECT_TRUE(fs::equivalent(next.Folder, folder));
    EXPECT_EQ(next.FileName, L"");
}

TEST_F(ExportTest, DialogOpensInTheDocumentsWhenTheLastFolderIsGoneAndCancelChangesNothing) {
    std::wstring documents(MAX_PATH, L'\0');
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents.data());
    const std::wstring gone = FolderText(folder_.Path() / "gone");
    for (const wchar_t* stored : {gone.c_str(), L""}) {
        StartWith(MixedTracks, stored);
        const SaveDialogView seen = Export(L"").first;
        EXPECT_TRUE(fs::equivalent(seen.Folder, documents.c_str()));
        EXPECT_EQ(seen.FileName, L"");
        EXPECT_EQ(seen.FileType, L"Comma-Separated Text (*.csv)");
        EXPECT_EQ(SettingsKey::Read(L"ExtractPath"), stored);
        EXPECT_EQ(Status(), L"Loaded total 3 song(s)");
    }
    EXPECT_TRUE(boxes_.Requests().empty());
}

TEST_F(ExportTest, FileInUseShowsTheOpeningErrorAndLeavesTheStatusBar) {
    StartWith(MixedTracks);
    const fs::path file = folder_.Path() / "in use.csv";
    HANDLE inUse = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_TRUE(Export(file).second);
    CloseHandle(inUse);
    ExpectOneErrorBox(L"Error opening file for writing:\r\n" + file.wstring());
    EXPECT_EQ(Status(), L"Loaded total 3 song(s)");
    EXPECT_EQ(SettingsKey::Read(L"ExtractPath"), FolderText(folder_.Path()));
}

// X: takes 4 KiB; the file is written in blocks of 64 KiB.
TEST_F(ExportTest, FailedWriteShowsTheWritingErrorAndRemovesTheFile) {
    for (const size_t tracks : {100, 1000}) {  // failing at the end, or on the way
        StartWith(std::vector<itdb::Track>(tracks, MixedTracks[0]));
        MessageBoxRecorder boxes;
        Export(L"X:\\tracks.csv");
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].Text, L"Error writing file:\r\nX:\\tracks.csv");
        EXPECT_EQ(boxes.Requests()[0].Style, static_cast<UINT>(MB_OK | MB_ICONERROR));
        EXPECT_FALSE(fs::exists(L"X:\\tracks.csv"));
        EXPECT_EQ(Status(), L"Trackhaul Ready");
        EXPECT_EQ(Status(2), L"");
    }
}

}  // namespace
