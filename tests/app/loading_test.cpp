// Opening, closing and test-loading player databases in the real main window,
// sorting and selecting the rows. The run attaches two folders as removable
// drives, F: (FIRSTPOD) and G: (SECONDPOD, never holding a database); the
// NoDriveTest cases run with no removable drive at all.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/mainform.h"
#include "app/resource_ids.h"
#include "app/selectipod.h"
#include "app_test_support.h"
#include "core/itdbparser.h"
#include "core/onetrack.h"
#include "core/track_row.h"
#include "hfs_image_builder.h"
#include "itdb_builder.h"
#include "main_window_test.h"

namespace {

namespace fs = std::filesystem;

constexpr wchar_t DeviceDialogCaption[] = L"Select Your iPod";
const fs::path PlayerDatabase = L"F:\\iPod_Control\\iTunes\\iTunesDB";
const fs::path CompressedPlayerDatabase = L"F:\\iPod_Control\\iTunes\\iTunesCDB";
const fs::path TestLoadDatabase = TMainForm::TestLoadPath;

void WriteDatabase(const fs::path& path, const itdb::Bytes& bytes) {
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(itdb::WriteFile(path.string(), bytes)) << path.string();
}

itdb::Track SimpleTrack(const std::u16string& title, int32_t trackNumber = 1) {
    itdb::Track track;
    track.title = title;
    track.artist = u"Artist";
    track.album = u"Album";
    track.location = u":iPod_Control:Music:F00:ABCD.mp3";
    track.fileType = u"MPEG audio file";
    track.lengthMs = 200000;
    track.trackNumber = trackNumber;
    track.bitRate = 128;
    track.sampleRateHz = 44100;
    return track;
}

// Tracks titled "<prefix> 1" to "<prefix> <count>", in that order.
std::vector<itdb::Track> NumberedTracks(const std::u16string& prefix, int count) {
    std::vector<itdb::Track> tracks;
    for (int number = 1; number <= count; ++number) {
        const std::string digits = std::to_string(number);
        tracks.push_back(
            SimpleTrack(prefix + u" " + std::u16string(digits.begin(), digits.end()), number));
    }
    return tracks;
}

int RowCount(HWND list) {
    return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring CellText(HWND list, int row, int column) {
    std::wstring text(512, L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const auto length = SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    text.resize(static_cast<size_t>(length));
    return text;
}

// Every row's nine texts, from the first row to the last.
std::vector<std::vector<std::wstring>> AllTexts(HWND list) {
    std::vector<std::vector<std::wstring>> rows;
    for (int row = 0; row < RowCount(list); ++row) {
        std::vector<std::wstring> texts;
        for (int column = 0; column < 9; ++column) {
            texts.push_back(CellText(list, row, column));
        }
        rows.push_back(texts);
    }
    return rows;
}

// One column's texts, from the first row to the last.
std::vector<std::wstring> ColumnTexts(HWND list, int column) {
    std::vector<std::wstring> texts;
    for (int row = 0; row < RowCount(list); ++row) {
        texts.push_back(CellText(list, row, column));
    }
    return texts;
}

LPARAM ItemData(HWND list, int row) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.lParam;
}

std::vector<int> SelectedRows(HWND list) {
    std::vector<int> rows;
    for (int row = 0; row < RowCount(list); ++row) {
        if (SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) != 0) {
            rows.push_back(row + 1);  // counted from 1, as a user counts them
        }
    }
    return rows;
}

void SetSelected(HWND list, int row, bool selected) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    state.state = selected ? LVIS_SELECTED : 0;
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

std::vector<std::wstring> DriveEntries(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_CBDRIVE);
    std::vector<std::wstring> entries;
    const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (int index = 0; index < count; ++index) {
        std::wstring text(SendMessageW(combo, CB_GETLBTEXTLEN, index, 0) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        text.resize(wcslen(text.c_str()));
        entries.push_back(text);
    }
    return entries;
}

int SelectedDriveIndex(HWND dialog) {
    return static_cast<int>(SendMessageW(GetDlgItem(dialog, IDC_CBDRIVE), CB_GETCURSEL, 0, 0));
}

void SelectDrive(HWND dialog, int index) {
    SendMessageW(GetDlgItem(dialog, IDC_CBDRIVE), CB_SETCURSEL, index, 0);
}

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), towlower);
    return text;
}

// What the window held when it began to go, seen before its own handling.
struct StateAtDestroy {
    bool Seen = false;
    std::vector<std::wstring> Titles;
    const ITDBParser* Reader = nullptr;
    std::wstring Status;
    std::string Drive;
};

LRESULT CALLBACK RecordStateAtDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR data) {
    if (message == WM_DESTROY) {
        auto& state = *reinterpret_cast<StateAtDestroy*>(data);
        TMainForm& form = *TMainForm::MainForm();
        state.Seen = true;
        state.Titles = ColumnTexts(form.TrackList(), 1);
        state.Reader = form.Parser.get();
        state.Status = StatusText(form.StatusBar());
        state.Drive = form.Drive;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

class LoadingTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        RemoveDatabases();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        RemoveDatabases();
    }
    static void RemoveDatabases() {
        std::error_code ignored;
        fs::remove_all(PlayerDatabase, ignored);  // a folder in some tests
        fs::remove(CompressedPlayerDatabase, ignored);
        fs::remove(TestLoadDatabase, ignored);
    }

    // Runs Open; `answer` acts in the device dialog once it shows.
    void Open(const std::function<void(HWND dialog)>& answer) {
        WhenWindowShows dialog(DeviceDialogCaption, answer);
        Command(ID_FILE_OPEN);
        ASSERT_TRUE(dialog.Shown());
        EXPECT_EQ(FindWindowW(nullptr, DeviceDialogCaption), nullptr);
    }
    void OpenFirstDrive() {
        Open([](HWND dialog) { PressButton(dialog, IDOK); });
    }
    // A header click, as the mouse makes it.
    void ClickHeader(int column) {
        HWND header = reinterpret_cast<HWND>(SendMessageW(List(), LVM_GETHEADER, 0, 0));
        RECT bounds{};
        SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&bounds));
        const LPARAM at = MAKELPARAM((bounds.left + bounds.right) / 2, bounds.bottom / 2);
        SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(header, WM_LBUTTONUP, 0, at);
        PumpMessages();
    }

    HWND List() const { return form_->TrackList(); }
    std::wstring Status() const { return StatusText(form_->StatusBar()); }
    // Every load, close and failure ends with the bar hidden and back at 0.
    void ExpectProgressBarAtRest() const {
        EXPECT_FALSE(IsWindowVisible(form_->ProgressBar()));
        EXPECT_EQ(SendMessageW(form_->ProgressBar(), PBM_GETPOS, 0, 0), 0);
    }
    // The rows point at the reader's tracks, one each, in file order.
    void ExpectRowsPointAtTheTracks() const {
        ASSERT_NE(form_->Parser, nullptr);
        int row = 0;
        for (form_->Parser->First(); form_->Parser->HasNext(); ++row) {
            EXPECT_EQ(ItemData(List(), row), reinterpret_cast<LPARAM>(form_->Parser->Next()));
        }
        EXPECT_EQ(row, RowCount(List()));
    }
    void ExpectOneBox(const std::wstring& text, UINT icon) const {
        ASSERT_EQ(boxes_.Requests().size(), 1u);
        EXPECT_EQ(boxes_.Requests()[0].Text, text);
        EXPECT_EQ(boxes_.Requests()[0].Caption, L"Trackhaul");
        EXPECT_EQ(boxes_.Requests()[0].Style & MB_ICONMASK, icon);
        EXPECT_EQ(boxes_.Requests()[0].Style & MB_TYPEMASK, static_cast<UINT>(MB_OK));
    }

    MessageBoxRecorder boxes_;
};

// The device dialog -----------------------------------------------------------

TEST_F(LoadingTest, DeviceDialogOffersBothDrivesInLetterOrderWithTheFirstSelected) {
    Start();
    std::vector<std::wstring> entries;
    int selected = -2;
    Open([&](HWND dialog) {
        entries = DriveEntries(dialog);
        selected = SelectedDriveIndex(dialog);
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(entries, (std::vector<std::wstring>{L"(F:)  FIRSTPOD", L"(G:)  SECONDPOD"}));
    EXPECT_EQ(selected, 0);
    EXPECT_TRUE(boxes_.Requests().empty());
}

TEST_F(LoadingTest, DriveWithoutADatabaseKeepsTheDialogOpenForAnotherChoice) {
    WriteDatabase(PlayerDatabase, itdb::RealisticDatabase(NumberedTracks(u"Song", 3)));
    Start();
    bool openAfterRefusal = false;
    Open([&](HWND dialog) {
        SelectDrive(dialog, 1);
        PressButton(dialog, IDOK);
        openAfterRefusal = IsWindow(dialog) && IsWindowVisible(dialog);
        SelectDrive(dialog, 0);
        PressButton(dialog, IDOK);
    });
    EXPECT_TRUE(openAfterRefusal);
    ExpectOneBox(L"Cannot read iPod database on selected device.", MB_ICONERROR);
    EXPECT_EQ(form_->Drive, "F:");
    EXPECT_EQ(RowCount(List()), 3);
    EXPECT_EQ(Status(), L"Loaded total 3 song(s)");
    ExpectProgressBarAtRest();
}

TEST_F(LoadingTest, CancelLeavesTheLoadedDatabaseAndSaysItIsSelecting) {
    WriteDatabase(PlayerDatabase, itdb::RealisticDatabase(NumberedTracks(u"Song", 3)));
    TMainForm& form = Start();
    OpenFirstDrive();
    const ITDBParser* reader = form.Parser.get();
    const std::vector<std::wstring> titles = ColumnTexts(List(), 1);

    Open([](HWND dialog) { PressButton(dialog, IDCANCEL); });
    EXPECT_EQ(form.Parser.get(), reader);
    EXPECT_EQ(ColumnTexts(List(), 1), titles);
    ExpectRowsPointAtTheTracks();
    EXPECT_EQ(form.Drive, "F:");
    EXPECT_EQ(Status(), L"Selecting iPod device");
    ExpectProgressBarAtRest();
    EXPECT_TRUE(boxes_.Requests().empty());
}

TEST_F(LoadingTest, ClosingTheDialogByItsCloseBoxCancelsToo) {
    Start();
    Open([](HWND dialog) { SendMessageW(dialog, WM_CLOSE, 0, 0); });
    EXPECT_EQ(RowCount(List()), 0);
    EXPECT_EQ(form_->Parser, nullptr);
    EXPECT_EQ(form_->Drive, "");
    EXPECT_EQ(Status(), L"Selecting iPod device");
}

TEST_F(LoadingTest, DeviceDialogTakesTheCompressedDatabaseWhereTheOrdinaryOneIsMissingOrEmpty) {
    const itdb::Bytes database = itdb::RealisticDatabase(NumberedTracks(u"Song", 2));
    enum class OrdinaryFile { Good, Empty, Folder, Missing };
    const struct {
        const char* Name;
        OrdinaryFile Ordinary;
        bool Compressed;
        std::string Expected;  // empty: refused
    } cases[] = {
        {"both", OrdinaryFile::Good, true, "F:\\iPod_Control\\iTunes\\iTunesDB"},
        {"empty iTunesDB beside", OrdinaryFile::Empty, true, "F:\\iPod_Control\\iTunes\\iTunesCDB"},
        {"iTunesDB that cannot be opened", OrdinaryFile::Folder, true,
         "F:\\iPod_Control\\iTunes\\iTunesCDB"},
        {"iTunesCDB only", OrdinaryFile::Missing, true, "F:\\iPod_Control\\iTunes\\iTunesCDB"},
        {"empty iTunesDB only", OrdinaryFile::Empty, false, "F:\\iPod_Control\\iTunes\\iTunesDB"},
        {"neither", OrdinaryFile::Missing, false, ""},
    };
    TMainForm& form = Start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        RemoveDatabases();
        switch (c.Ordinary) {
            case OrdinaryFile::Good:
                WriteDatabase(PlayerDatabase, database);
                break;
            case OrdinaryFile::Empty:
                WriteDatabase(PlayerDatabase, {});
                break;
            case OrdinaryFile::Folder:
                fs::create_directories(PlayerDatabase);
                break;
            case OrdinaryFile::Missing:
                break;
        }
        if (c.Compressed) {
            WriteDatabase(CompressedPlayerDatabase, itdb::CompressedDatabase(database));
        }
        MessageBoxRecorder boxes;
        WhenWindowShows dialog(DeviceDialogCaption, [](HWND dialog) {
            PressButton(dialog, IDOK);
            if (IsWindow(dialog) && IsWindowVisible(dialog)) {  // refused
                PressButton(dialog, IDCANCEL);
            }
        });
        const std::optional<OpenedPlayer> player = TSelectIPodForm().SelectPlayer(form.Handle());
        EXPECT_EQ(player ? DatabasePathOnPlayer(*player->Files, player->Drive) : std::string(),
                  c.Expected);
        EXPECT_EQ(boxes.Requests().size(), c.Expected.empty() ? 1u : 0u);
    }
}

TEST_F(LoadingTest, DeviceDialogOffersDisksThatHoldAMacPlayerAndSaysWhenDisksAreRefused) {
    const itdb::Bytes database = itdb::RealisticDatabase(NumberedTracks(u"Mac", 3));
    const hfs::Bytes volume =
        hfs::Volume({{u"iPod_Control/iTunes/iTunesDB", database}}, {u"MAC POD"});
    // Disk 1 holds the player, disk 2 may not be read, the others are missing.
    const DiskOpener disks = [&](int number, DWORD& error) -> std::unique_ptr<BlockSource> {
        error = number == 1   ? ERROR_SUCCESS
                : number == 2 ? ERROR_ACCESS_DENIED
                              : ERROR_FILE_NOT_FOUND;
        return number == 1 ? std::make_unique<MemoryBlockSource>(volume) : nullptr;
    };
    TMainForm& form = Start();
    bool refusalShown = false;
    WhenWindowShows dialog(DeviceDialogCaption, [&](HWND dialog) {
        refusalShown = IsWindowVisible(GetDlgItem(dialog, IDC_DISKSREFUSED)) &&
                       IsWindowVisible(GetDlgItem(dialog, IDC_BTNADMINISTRATOR));
        HWND list = GetDlgItem(dialog, IDC_CBDRIVE);
        const LRESULT disk = SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                          reinterpret_cast<LPARAM>(L"(Disk 1)  MAC POD"));
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(disk), 0);
        PressButton(dialog, IDOK);
    });
    const std::optional<OpenedPlayer> player = TSelectIPodForm(disks).SelectPlayer(form.Handle());
    EXPECT_TRUE(refusalShown);
    ASSERT_TRUE(player);
    EXPECT_EQ(player->Drive, "Disk 1");
    const std::string path = DatabasePathOnPlayer(*player->Files, player->Drive);
    EXPECT_EQ(path, "Disk 1\\iPod_Control\\iTunes\\iTunesDB");
    ITDBParser parser(path, player->Files);
    EXPECT_EQ(parser.Parse(-1), 3);
}

// Loading and closing -----------------------------------------------------------

TEST_F(LoadingTest, SecondDatabaseReplacesTheFirstAndTheStatusCountsOnlyIt) {
    WriteDatabase(PlayerDatabase, itdb::RealisticDatabase(NumberedTracks(u"Old", 5)));
    TMainForm& form = Start();
    OpenFirstDrive();
    ASSERT_EQ(RowCount(List()), 5);
    WriteDatabase(PlayerDatabase, itdb::RealisticDatabase(NumberedTracks(u"New", 2)));

    OpenFirstDrive();
    EXPECT_EQ(ColumnTexts(List(), 1), (std::vector<std::wstring>{L"New 1", L"New 2"}));
    ExpectRowsPointAtTheTracks();
    EXPECT_EQ(form.Drive, "F:");
    EXPECT_EQ(Status(), L"Loaded total 2 song(s)");
    ExpectProgressBarAtRest();
    EXPECT_TRUE(boxes_.Requests().empty());
}

TEST_F(LoadingTest, TrackLimitTakesTheFirstTracksOfTheFile) {
    SettingsKey::Write(L"TrackLimit", L"10");
    WriteDatabase(PlayerDatabase, itdb::RealisticDatabase(NumberedTracks(u"Song", 500)));
    Start();
    OpenFirstDrive();
    EXPECT_EQ(RowCount(List()), 10);
    EXPECT_EQ(CellText(List(), 0, 1), L"Song 1");
    EXPECT_EQ(CellText(List(), 9, 1), L"Song 10");
    ExpectRowsPointAtTheTracks();
    EXPECT_EQ(Status(), L"Loaded total 10 song(s)");
    ExpectProgressBarAtRest();
}

TEST_F(LoadingTest, StoredTrackLimitOfZeroMakesEveryLoadEmpty) {
    SettingsKey::Write(L"TrackLimit", L"0");
    WriteDatabase(PlayerDatabase, itdb::RealisticDatabase(NumberedTracks(u"Song", 3)));
    TMainForm& form = Start();
    OpenFirstDrive();
    ExpectOneBox(L"iPod database is empty.", MB_ICONWARNING);
    EXPECT_EQ(RowCount(List()), 0);
    EXPECT_EQ(Status(), L"Trackhaul Ready");
    EXPECT_EQ(form.Drive, "F:");  // the drive last chosen, as after any failed Open
    ExpectProgressBarAtRest();
}

// Each of these replaces a loaded database and leaves an empty list.
struct FailedLoad {
    const char* Name;
    itdb::Bytes Database;
    const wchar_t* Message;
    UINT Icon;
};

std::vector<FailedLoad> FailedLoads() {
    itdb::TrackItemFields unreadable;
    unreadable.objectCount = 1;  // a track item has at least two objects
    return {
        {"declares no tracks", itdb::Database({itdb::TrackSet({})}), L"iPod database is empty.",
         MB_ICONWARNING},
        {"first track unreadable",
         itdb::Database({itdb::TrackSet({itdb::TrackItem(unreadable, {itdb::StringObject(1, u"X")}),
                                         itdb::RealisticTrackItem(SimpleTrack(u"Y"))})}),
         L"iPod database is empty.", MB_ICONWARNING},
        {"not a database", itdb::Bytes{'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0, 0, 0},
         L"An error occurred while reading iPod database.", MB_ICONERROR},
    };
}

TEST_F(LoadingTest, FailedOpenShowsItsBoxAndLeavesAnEmptyListAndTheReadyText) {
    TMainForm& form = Start();
    for (const FailedLoad& failure : FailedLoads()) {
        SCOPED_TRACE(failure.Name);
        WriteDatabase(PlayerDatabase, itdb::RealisticDatabase(NumberedTracks(u"Song", 3)));
        OpenFirstDrive();
        ASSERT_EQ(RowCount(List()), 3);
        WriteDatabase(PlayerDatabase, failure.Database);
        MessageBoxRecorder boxes;

        OpenFirstDrive();
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].Text, failure.Message);
        EXPECT_EQ(boxes.Requests()[0].Caption, L"Trackhaul");
        EXPECT_EQ(boxes.Requests()[0].Style & MB_ICONMASK, failure.Icon);
        EXPECT_EQ(RowCount(List()), 0);
        EXPECT_EQ(Status(), L"Trackhaul Ready");
        ASSERT_NE(form.Parser, nullptr);  // kept, holding no tracks
        form.Parser->First();
        EXPECT_FALSE(form.Parser->HasNext());
        ExpectProgressBarAtRest();
    }
}

TEST_F(LoadingTest, CloseTwiceLeavesNothingLoadedAndTheReadyText) {
    WriteDatabase(PlayerDatabase, itdb::RealisticDatabase(NumberedTracks(u"Song", 3)));
    TMainForm& form = Start();
    OpenFirstDrive();
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        form.SetStatusText("Loaded total 3 song(s)");
        Command(ID_FILE_CLOSE);
        EXPECT_EQ(RowCount(List()), 0);
        EXPECT_EQ(form.Parser, nullptr);
        EXPECT_EQ(form.Drive, "");
        EXPECT_EQ(Status(), L"Trackhaul Ready");
        ExpectProgressBarAtRest();
    }
    EXPECT_TRUE(boxes_.Requests().empty());
}

TEST_F(LoadingTest, RowsShowTheNineColumnTextsOfTheirTracks) {
    itdb::Track plain = SimpleTrack(u"Plain Song", 7);
    plain.lengthMs = 205999;
    plain.bitRate = 192;
    plain.sampleRateHz = 48000;
    itdb::Track russian;
    russian.title = u"\u041F\u0435\u0441\u043D\u044F";
    russian.artist = u"\u041A\u0438\u043D\u043E";
    russian.album = u"\u0417\u0432\u0435\u0437\u0434\u0430";
    russian.location = u":iPod_Control:Music:F01:QWER.m4a";
    russian.fileType = u"AAC audio file";
    russian.lengthMs = 3723000;
    russian.trackNumber = 12;
    russian.bitRate = 0;
    russian.sampleRateHz = 0;
    russian.mediaType = 4;
    itdb::Track japanese = russian;
    japanese.title = u"\u6D77\u306E\u58F0";
    japanese.artist = u"\u7F8E\u7A7A";
    japanese.album = u"\u590F\u306E\u8A18\u61B6";
    japanese.fileType = u"MPEG-4 video file";
    japanese.lengthMs = 59000;
    japanese.trackNumber = -3;
    japanese.bitRate = 96;
    japanese.sampleRateHz = 22050;
    japanese.mediaType = 2;
    WriteDatabase(PlayerDatabase, itdb::RealisticDatabase({plain, russian, japanese}));
    Start();
    OpenFirstDrive();

    using Row = std::vector<std::wstring>;
    EXPECT_EQ(AllTexts(List()),
              (std::vector<Row>{
                  {L"7", L"Plain Song", L"Artist", L"Album", L"3:25", L"Audio", L"MPEG audio file",
                   L"192 kBps", L"48000 Hz"},
                  {L"12", L"\u041F\u0435\u0441\u043D\u044F", L"\u041A\u0438\u043D\u043E",
                   L"\u0417\u0432\u0435\u0437\u0434\u0430", L"1:02:03", L"Podcase",
                   L"AAC audio file", L"0 kBps", L"0 Hz"},
                  {L"-3", L"\u6D77\u306E\u58F0", L"\u7F8E\u7A7A", L"\u590F\u306E\u8A18\u61B6",
                   L"0:59", L"Video", L"MPEG-4 video file", L"96 kBps", L"22050 Hz"},
              }));
    ExpectRowsPointAtTheTracks();
}

TEST_F(LoadingTest, CompressedOnlyPlayerShowsTheRowsOfItsOrdinaryTwin) {
    std::vector<itdb::Track> tracks = NumberedTracks(u"Song", 40);
    tracks[3].title = u"\u041F\u0435\u0441\u043D\u044F \u6D77\u306E\u58F0";
    tracks[5].mediaType = 32;
    const itdb::Bytes database = itdb::RealisticDatabase(tracks);
    WriteDatabase(PlayerDatabase, database);
    TMainForm& form = Start();
    OpenFirstDrive();
    const auto twinRows = AllTexts(List());
    ASSERT_EQ(twinRows.size(), 40u);

    for (const bool emptyOrdinaryBeside : {false, true}) {
        SCOPED_TRACE(emptyOrdinaryBeside ? "empty iTunesDB beside" : "iTunesCDB only");
        Command(ID_FILE_CLOSE);
        RemoveDatabases();
        if (emptyOrdinaryBeside) {
            WriteDatabase(PlayerDatabase, {});
        }
        WriteDatabase(CompressedPlayerDatabase, itdb::CompressedDatabase(database));
        OpenFirstDrive();
        EXPECT_EQ(AllTexts(List()), twinRows);
        ExpectRowsPointAtTheTracks();
        EXPECT_EQ(form.Drive, "F:");
        EXPECT_EQ(Status(), L"Loaded total 40 song(s)");
        ExpectProgressBarAtRest();
    }
    EXPECT_TRUE(boxes_.Requests().empty());
}

// The test load -----------------------------------------------------------------

TEST_F(LoadingTest, TestLoadReadsItsFixedFileInEitherFormAndKeepsTheDrive) {
    WriteDatabase(PlayerDatabase, itdb::RealisticDatabase(NumberedTracks(u"Player", 2)));
    const itdb::Bytes copy = itdb::RealisticDatabase(NumberedTracks(u"Copy", 4));
    TMainForm& form = Start();
    for (const itdb::Bytes& database : {copy, itdb::CompressedDatabase(copy)}) {
        WriteDatabase(TestLoadDatabase, database);
        OpenFirstDrive();

        Command(ID_TOOLBUTTON14);
        EXPECT_EQ(ColumnTexts(List(), 1),
                  (std::vector<std::wstring>{L"Copy 1", L"Copy 2", L"Copy 3", L"Copy 4"}));
        ExpectRowsPointAtTheTracks();
        EXPECT_EQ(form.Drive, "F:");
        EXPECT_EQ(Status(), L"Loaded total 4 song(s)");
        ExpectProgressBarAtRest();
    }
    EXPECT_TRUE(boxes_.Requests().empty());
}

TEST_F(LoadingTest, FailedTestLoadShowsOnlyItsBox) {
    struct Case {
        const char* Name;
        std::optional<itdb::Bytes> Database;  // none: no file at all
        const wchar_t* Message;
        UINT Icon;
    };
    const std::vector<Case> cases{
        {"no file", std::nullopt, L"An error occurred while reading iPod database.", MB_ICONERROR},
        {"no tracks", itdb::Database({itdb::TrackSet({})}), L"iPod database is empty.",
         MB_ICONWARNING},
    };
    TMainForm& form = Start();
    for (const Case& failure : cases) {
        SCOPED_TRACE(failure.Name);
        WriteDatabase(PlayerDatabase, itdb::RealisticDatabase(NumberedTracks(u"Song", 3)));
        OpenFirstDrive();
        std::error_code ignored;
        fs::remove(TestLoadDatabase, ignored);
        if (failure.Database) {
            WriteDatabase(TestLoadDatabase, *failure.Database);
        }
        MessageBoxRecorder boxes;

        Command(ID_TOOLBUTTON14);
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].Text, failure.Message);
        EXPECT_EQ(boxes.Requests()[0].Caption, L"Trackhaul");
        EXPECT_EQ(boxes.Requests()[0].Style & MB_ICONMASK, failure.Icon);
        EXPECT_EQ(RowCount(List()), 0);
        EXPECT_EQ(form.Drive, "F:");
        EXPECT_EQ(Status(), L"Loaded total 3 song(s)");
        ExpectProgressBarAtRest();
    }
}

// Commands that arrive during a load -------------------------------------------

TEST_F(LoadingTest, CommandsArrivingDuringALoadWaitAndTheCloseComesAfterIt) {
    std::vector<itdb::Track> tracks = NumberedTracks(u"Song", 300);
    std::reverse(tracks.begin(), tracks.end());  // a sort would reorder them
    WriteDatabase(TestLoadDatabase, itdb::RealisticDatabase(tracks));
    TMainForm& form = Start();
    StateAtDestroy atDestroy;
    SetWindowSubclass(form.Handle(), RecordStateAtDestroy, 1,
                      reinterpret_cast<DWORD_PTR>(&atDestroy));

    const ITDBParser* reader = nullptr;
    bool busyAtFirstStep = false;
    bool dialogShown = false;
    bool closedMeanwhile = true;
    PostMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(ID_TOOLBUTTON14, 0), 0);
    // Runs at the load's first progress step.
    RunInNextMessageLoop([&] {
        reader = form.Parser.get();
        busyAtFirstStep = form.IsBusy();
        for (int id : {ID_FILE_OPEN, ID_FILE_CLOSE, ID_TOOLBUTTON14, ID_SORT_TRACKNUMBER,
                       ID_SORT_TITLE, ID_SORT_LENGTH, ID_SORT_SAMPLERATE}) {
            PostMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
        }
        PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
        // Runs once the load has let all of those through.
        RunInNextMessageLoop([&] {
            dialogShown = FindWindowW(nullptr, DeviceDialogCaption) != nullptr;
            closedMeanwhile = !IsWindow(form.Handle());
        });
    });
    PumpMessages();

    EXPECT_TRUE(busyAtFirstStep);
    ASSERT_NE(reader, nullptr);
    EXPECT_FALSE(dialogShown);
    EXPECT_FALSE(closedMeanwhile);
    // The load's own reader and rows, in file order, when the close came.
    ASSERT_TRUE(atDestroy.Seen);
    EXPECT_EQ(atDestroy.Reader, reader);
    ASSERT_EQ(atDestroy.Titles.size(), 300u);
    for (size_t row = 0; row < atDestroy.Titles.size(); ++row) {
        EXPECT_EQ(atDestroy.Titles[row], L"Song " + std::to_wstring(300 - row));
    }
    EXPECT_EQ(atDestroy.Status, L"Loaded total 300 song(s)");
    EXPECT_EQ(form.Handle(), nullptr);
    EXPECT_TRUE(boxes_.Requests().empty());
}

TEST_F(LoadingTest, CommandsArrivingWhileTheDeviceIsChosenDoNotRunUntilOpenHasEnded) {
    WriteDatabase(PlayerDatabase, itdb::RealisticDatabase(NumberedTracks(u"Player", 3)));
    WriteDatabase(TestLoadDatabase, itdb::RealisticDatabase(NumberedTracks(u"Copy", 4)));
    TMainForm& form = Start();
    StateAtDestroy atDestroy;
    SetWindowSubclass(form.Handle(), RecordStateAtDestroy, 1,
                      reinterpret_cast<DWORD_PTR>(&atDestroy));

    Open([&](HWND dialog) {
        for (int id : {ID_FILE_CLOSE, ID_TOOLBUTTON14, ID_SORT_TITLE}) {
            PostMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
        }
        PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
        PressButton(dialog, IDOK);
    });

    ASSERT_TRUE(atDestroy.Seen);
    EXPECT_EQ(atDestroy.Titles, (std::vector<std::wstring>{L"Player 1", L"Player 2", L"Player 3"}));
    EXPECT_EQ(atDestroy.Drive, "F:");
    EXPECT_EQ(atDestroy.Status, L"Loaded total 3 song(s)");
    EXPECT_EQ(form.Handle(), nullptr);
    EXPECT_TRUE(boxes_.Requests().empty());
}

// Sorting -------------------------------------------------------------------------

class SortingTest : public LoadingTest {
protected:
    void LoadSortSample() {
        struct Sample {
            int32_t Number;
            const char16_t* Title;
            const char16_t* Artist;
            const char16_t* Album;
            uint32_t LengthMs;
            int32_t MediaType;
            const char16_t* FileType;
            int32_t BitRate;
            uint32_t SampleRate;
        };
        const Sample samples[] = {
            {10, u"delta", u"Zed", u"beta album", 600500, 2, u"MPEG audio file", 128, 44100},
            {2, u"Charlie", u"abbo", u"Alpha album", 599999, 1, u"AAC audio file", 96, 8000},
            {33, u"alpha", u"Mila", u"Gamma album", 61000, 8, u"mpeg video file", 320, 48000},
            {1, u"Bravo", u"mila2", u"delta album", 600000, 4, u"Apple Lossless audio file", 1411,
             22050},
        };
        std::vector<itdb::Track> tracks;
        for (const Sample& sample : samples) {
            itdb::Track track = SimpleTrack(sample.Title, sample.Number);
            track.artist = sample.Artist;
            track.album = sample.Album;
            track.lengthMs = sample.LengthMs;
            track.mediaType = sample.MediaType;
            track.fileType = sample.FileType;
            track.bitRate = sample.BitRate;
            track.sampleRateHz = sample.SampleRate;
            tracks.push_back(track);
        }
        WriteDatabase(PlayerDatabase, itdb::RealisticDatabase(tracks));
        Start();
        OpenFirstDrive();
        ASSERT_EQ(RowCount(List()), 4);
    }

    // Each key's column, as it reads from top to bottom once sorted by it.
    static std::vector<std::vector<std::wstring>> SortedColumns() {
        return {
            {L"1", L"2", L"10", L"33"},
            {L"alpha", L"Bravo", L"Charlie", L"delta"},
            {L"abbo", L"Mila", L"mila2", L"Zed"},
            {L"Alpha album", L"beta album", L"delta album", L"Gamma album"},
            {L"1:01", L"9:59", L"10:00", L"10:00"},
            {L"Audio", L"Audiobook", L"Podcase", L"Video"},
            {L"AAC audio file", L"Apple Lossless audio file", L"MPEG audio file",
             L"mpeg video file"},
            {L"96 kBps", L"128 kBps", L"320 kBps", L"1411 kBps"},
            {L"8000 Hz", L"22050 Hz", L"44100 Hz", L"48000 Hz"},
        };
    }

    // Rows stay whole: a row's track number still names its title.
    void ExpectRowsKeptTogether() const {
        ExpectRowsMatchTheirTracks();
        const std::vector<std::wstring> numbers = ColumnTexts(List(), 0);
        const std::vector<std::wstring> titles = ColumnTexts(List(), 1);
        for (size_t row = 0; row < numbers.size(); ++row) {
            const std::wstring expected = numbers[row] == L"10"   ? L"delta"
                                          : numbers[row] == L"2"  ? L"Charlie"
                                          : numbers[row] == L"33" ? L"alpha"
                                                                  : L"Bravo";
            EXPECT_EQ(titles[row], expected);
        }
    }
    void ExpectRowsMatchTheirTracks() const {
        for (int row = 0; row < RowCount(List()); ++row) {
            const auto* track = reinterpret_cast<const OneTrack*>(ItemData(List(), row));
            ASSERT_NE(track, nullptr);
            EXPECT_EQ(CellText(List(), row, 0), std::to_wstring(track->GetTrackNumber()));
        }
    }
};

TEST_F(SortingTest, EachSortCommandOrdersItsColumnAscending) {
    LoadSortSample();
    const auto expected = SortedColumns();
    for (int key = 0; key < 9; ++key) {
        SCOPED_TRACE("key " + std::to_string(key));
        Command(ID_FILE_CLOSE);  // the next load starts from file order again
        OpenFirstDrive();
        Command(ID_SORT_FIRST + key);
        EXPECT_EQ(ColumnTexts(List(), key), expected[key]);
        ExpectRowsKeptTogether();
    }
    EXPECT_TRUE(boxes_.Requests().empty());
}

TEST_F(SortingTest, HeaderClicksSortByTheirColumnAndStayAscendingWhenRepeated) {
    LoadSortSample();
    const auto expected = SortedColumns();
    for (int key : {4, 0, 0, 1, 1, 7, 8, 2, 3, 5, 6}) {
        SCOPED_TRACE("column " + std::to_string(key));
        ClickHeader(key);
        EXPECT_EQ(ColumnTexts(List(), key), expected[key]);
        ExpectRowsKeptTogether();
    }
}

TEST_F(SortingTest, TitlesThatDifferOnlyInCaseSortTogether) {
    std::vector<itdb::Track> tracks;
    for (const char16_t* title : {u"b", u"APPLE", u"Banana", u"apple", u"Cherry", u"Apple"}) {
        tracks.push_back(SimpleTrack(title));
    }
    WriteDatabase(PlayerDatabase, itdb::RealisticDatabase(tracks));
    Start();
    OpenFirstDrive();
    Command(ID_SORT_TITLE);
    std::vector<std::wstring> lowered;
    for (const std::wstring& title : ColumnTexts(List(), 1)) {
        lowered.push_back(Lower(title));
    }
    EXPECT_EQ(lowered, (std::vector<std::wstring>{L"apple", L"apple", L"apple", L"b", L"banana",
                                                  L"cherry"}));
}

// Selection -----------------------------------------------------------------------

TEST_F(SortingTest, SelectionCommandsChangeOnlyTheSelection) {
    LoadSortSample();
    const std::vector<std::wstring> order = ColumnTexts(List(), 1);
    SetSelected(List(), 0, true);
    SetSelected(List(), 2, true);

    Command(ID_EDIT_INVERT);
    EXPECT_EQ(SelectedRows(List()), (std::vector<int>{2, 4}));
    Command(ID_EDIT_ALL);
    EXPECT_EQ(SelectedRows(List()), (std::vector<int>{1, 2, 3, 4}));
    Command(ID_EDIT_INVERT);
    EXPECT_EQ(SelectedRows(List()), std::vector<int>{});
    SetSelected(List(), 1, true);
    Command(ID_EDIT_NONE);
    EXPECT_EQ(SelectedRows(List()), std::vector<int>{});
    EXPECT_EQ(ColumnTexts(List(), 1), order);
    EXPECT_EQ(RowCount(List()), 4);
    EXPECT_TRUE(boxes_.Requests().empty());
}

TEST_F(LoadingTest, SortingAndSelectingAnEmptyListDoNothing) {
    Start();
    for (int id : {ID_SORT_TRACKNUMBER, ID_SORT_TITLE, ID_SORT_LENGTH, ID_SORT_TRACKTYPE,
                   ID_EDIT_ALL, ID_EDIT_NONE, ID_EDIT_INVERT}) {
        Command(id);
    }
    ClickHeader(1);
    EXPECT_EQ(RowCount(List()), 0);
    EXPECT_EQ(Status(), L"Trackhaul Ready");
    EXPECT_TRUE(boxes_.Requests().empty());
}

// Playlists ------------------------------------------------------------------------

// Songs 1 to 5 and four playlists: one named in Cyrillic holding a track
// twice, a smart one, the podcasts and an empty one.
class PlaylistTest : public LoadingTest {
protected:
    // `beforeOpen` looks at the window before the database is opened.
    void LoadPlaylists(const std::function<void()>& beforeOpen = [] {}) {
        WriteDatabase(
            PlayerDatabase,
            itdb::RealisticDatabase(
                NumberedTracks(u"Song", 5),
                {{u"\u0414\u043E\u0440\u043E\u0433\u0430", itdb::ListKind::Other, {4, 1, 4}},
                 {u"Top", itdb::ListKind::Smart, {2}},
                 {u"Casts", itdb::ListKind::Podcasts, {3, 0}},
                 {u"Empty", itdb::ListKind::Other, {}}}));
        Start();
        beforeOpen();
        OpenFirstDrive();
    }
    HWND Chooser() const { return form_->PlaylistList(); }
    int Chosen() const { return static_cast<int>(SendMessageW(Chooser(), CB_GETCURSEL, 0, 0)); }
    std::vector<std::wstring> Entries() const {
        std::vector<std::wstring> entries;
        for (int index = 0; index < SendMessageW(Chooser(), CB_GETCOUNT, 0, 0); ++index) {
            std::wstring text(SendMessageW(Chooser(), CB_GETLBTEXTLEN, index, 0) + 1, L'\0');
            SendMessageW(Chooser(), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
            text.resize(wcslen(text.c_str()));
            entries.push_back(text);
        }
        return entries;
    }
    // A key pressed in the drop-down list, as the keyboard sends it there.
    void Key(WPARAM key) {
        SendMessageW(GetFocus(), WM_KEYDOWN, key, 0);
        SendMessageW(GetFocus(), WM_KEYUP, key, 0);
        PumpMessages();
    }
    bool BandVisible() const {
        REBARBANDINFOW band{};
        band.cbSize = sizeof(band);
        band.fMask = RBBIM_STYLE | RBBIM_CHILD;
        SendMessageW(form_->CoolBar(), RB_GETBANDINFOW, 2, reinterpret_cast<LPARAM>(&band));
        EXPECT_EQ(band.hwndChild, Chooser());
        return (band.fStyle & RBBS_HIDDEN) == 0;
    }
    // The rows point at the playlist's members, in playlist order.
    void ExpectRowsAreMembersOf(size_t playlist) const {
        const Playlist& chosen = form_->Parser->Playlists().at(playlist);
        ASSERT_EQ(RowCount(List()), static_cast<int>(chosen.Members.size()));
        for (int row = 0; row < RowCount(List()); ++row) {
            EXPECT_EQ(ItemData(List(), row),
                      reinterpret_cast<LPARAM>(chosen.Members[static_cast<size_t>(row)]));
        }
    }
};

TEST_F(PlaylistTest, ListOffersAllTracksThenEachPlaylistButTheLibrary) {
    LoadPlaylists([this] {
        EXPECT_EQ(Entries(), std::vector<std::wstring>{L"All Tracks"});
        EXPECT_TRUE(BandVisible());
    });
    EXPECT_EQ(Entries(),
              (std::vector<std::wstring>{L"All Tracks", L"\u0414\u043E\u0440\u043E\u0433\u0430 (3)",
                                         L"Top (1)", L"Casts (2)", L"Empty (0)"}));
    EXPECT_EQ(Chosen(), 0);
    ExpectRowsPointAtTheTracks();
    Command(ID_FILE_CLOSE);
    EXPECT_EQ(Entries(), std::vector<std::wstring>{L"All Tracks"});
    EXPECT_EQ(RowCount(List()), 0);
}

TEST_F(PlaylistTest, KeyboardChoosesAPlaylistAndItsRowsAreSortedSelectedAndLeft) {
    LoadPlaylists();
    Command(ID_VIEW_PLAYLIST);
    ASSERT_EQ(GetFocus(), Chooser());
    Key(VK_DOWN);
    EXPECT_EQ(Chosen(), 1);
    EXPECT_EQ(ColumnTexts(List(), 1), (std::vector<std::wstring>{L"Song 5", L"Song 2", L"Song 5"}));
    ExpectRowsAreMembersOf(1);
    EXPECT_EQ(Status(), L"Playlist: \u0414\u043E\u0440\u043E\u0433\u0430 (3)");

    Command(ID_SORT_TITLE);
    EXPECT_EQ(ColumnTexts(List(), 1), (std::vector<std::wstring>{L"Song 2", L"Song 5", L"Song 5"}));
    Command(ID_EDIT_ALL);
    EXPECT_EQ(SelectedRows(List()), (std::vector<int>{1, 2, 3}));

    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(ColumnTexts(List(), 1), (std::vector<std::wstring>{L"Song 4", L"Song 1"}));
    EXPECT_EQ(Status(), L"Playlist: Casts (2)");
    Key(VK_DOWN);
    EXPECT_EQ(RowCount(List()), 0);
    EXPECT_EQ(Status(), L"Playlist: Empty (0)");
    Key(VK_HOME);
    EXPECT_EQ(Chosen(), 0);
    ExpectRowsPointAtTheTracks();
    EXPECT_EQ(Status(), L"Loaded total 5 song(s)");
    EXPECT_TRUE(boxes_.Requests().empty());
}

TEST_F(PlaylistTest, NoChangeOfPlaylistWhileBusyAndTheBandGoesWithTheToolbar) {
    LoadPlaylists();
    {
        BusyScope busy(*form_);
        Command(ID_VIEW_PLAYLIST);
        EXPECT_NE(GetFocus(), Chooser());
        SetFocus(Chooser());
        Key(VK_DOWN);
        EXPECT_EQ(Chosen(), 0);
        ExpectRowsPointAtTheTracks();
    }
    Key(VK_END);
    EXPECT_EQ(Chosen(), 4);

    Command(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(BandVisible());
    SetFocus(form_->TrackList());
    for (const int id : {ID_VIEW_PLAYLIST, ID_VIEW_FIND}) {
        Command(id);  // Ctrl+L, Ctrl+F: no keys into a hidden band
        EXPECT_EQ(GetFocus(), form_->TrackList());
    }
    Command(ID_VIEW_MENUBAR);
    EXPECT_FALSE(IsWindowVisible(form_->CoolBar()));
    Command(ID_VIEW_TOOLBAR);
    Command(ID_VIEW_MENUBAR);
    EXPECT_TRUE(BandVisible());
    EXPECT_TRUE(IsWindowVisible(form_->CoolBar()));
    // Opening again lists the playlists afresh with every track shown.
    OpenFirstDrive();
    EXPECT_EQ(Chosen(), 0);
    EXPECT_EQ(Entries().size(), 5u);
    ExpectRowsPointAtTheTracks();
}

// With no removable drive --------------------------------------------------------

class NoDriveTest : public LoadingTest {};

TEST_F(NoDriveTest, DialogOffersNothingAndOkAsksForADrive) {
    Start();
    std::vector<std::wstring> entries{L"?"};
    int selected = -2;
    bool openAfterOk = false;
    Open([&](HWND dialog) {
        entries = DriveEntries(dialog);
        selected = SelectedDriveIndex(dialog);
        PressButton(dialog, IDOK);
        openAfterOk = IsWindow(dialog) && IsWindowVisible(dialog);
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(selected, CB_ERR);
    EXPECT_TRUE(openAfterOk);
    ExpectOneBox(L"Please select your iPod drive.", MB_ICONERROR);
    EXPECT_EQ(RowCount(List()), 0);
    EXPECT_EQ(form_->Parser, nullptr);
    EXPECT_EQ(form_->Drive, "");
    EXPECT_EQ(Status(), L"Selecting iPod device");
    ExpectProgressBarAtRest();
}

}  // namespace
