// Extracting tracks in the real main window from a folder attached as the
// removable drive F:, with real track files, into folders on C: and G:. The
// player's files are compared before and after every test: a run only reads.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/jpegs_ahead.h"
#include "app/mainform.h"
#include "app/player_copy.h"
#include "app/resource_ids.h"
#include "app_test_support.h"
#include "artwork_builder.h"
#include "core/extraction_rules.h"
#include "core/player_volume.h"
#include "hfs_image_builder.h"
#include "itdb_builder.h"
#include "main_window_test.h"
#include "win/shell_folders.h"
#include "win/wide_text.h"

namespace {

namespace fs = std::filesystem;

const fs::path PlayerMusic = L"F:\\iPod_Control";
const fs::path Output = L"C:\\extraction-tests";
constexpr wchar_t FolderDialogCaption[] = L"Browse for Folder";

using Files = std::map<fs::path, std::string>;  // relative path: contents

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& file, const std::string& contents) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << contents;
}

Files FilesIn(const fs::path& folder) {
    Files files;
    std::error_code missing;
    for (const auto& entry : fs::recursive_directory_iterator(folder, missing)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), folder)] = ReadAll(entry.path());
        }
    }
    return files;
}

// A track whose file on the player is F:\iPod_Control\Music\<file>.
struct PlayerTrack {
    std::u16string Title;
    std::string File;  // "F00\\ABCD.mp3"; its contents are "<title>: <file>"
    int32_t Number = 1;
    bool FileExists = true;
    std::u16string Album = u"Album";
    size_t Size = 0;  // the contents filled up to this many bytes
    std::u16string Artist{};
    uint32_t ArtworkId = 0;  // its picture's image id in the artwork store
    uint32_t DateAdded = 0;  // the player's local time, in seconds since 1904
    uint8_t Rating = 0;      // stars times 20
    std::string Bytes{};     // the file's contents, when given
};

// Names of the temporary copies an extraction left in a folder.
std::vector<std::wstring> TemporariesIn(const fs::path& folder) {
    std::vector<std::wstring> found;
    for (const auto& [file, contents] : FilesIn(folder)) {
        if (IsTemporaryCopyName(file.filename().u16string())) {
            found.push_back(file.wstring());
        }
    }
    return found;
}

class ExtractionTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        std::error_code ignored;
        fs::remove_all(PlayerMusic, ignored);
        fs::remove_all(Output, ignored);
        fs::create_directories(Output);
        SettingsKey::Write(L"ExtractPath", Output.wstring());
        SettingsKey::Write(L"FileFormat", L"%title%");
        SettingsKey::Write(L"OverwriteFiles", L"0");
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        EXPECT_EQ(FilesIn(PlayerMusic), playerBefore_) << "the player was changed";
    }

    // Writes the tracks' files and database (with the playlists, if any),
    // loads it and selects every row.
    void LoadPlayer(const std::vector<PlayerTrack>& tracks,
                    const std::vector<itdb::PlaylistContents>& playlists = {},
                    const artwork::Store& art = {}) {
        std::vector<itdb::Track> described;
        for (const PlayerTrack& track : tracks) {
            itdb::Track item;
            item.title = track.Title;
            item.album = track.Album;
            item.artist = track.Artist;
            item.trackNumber = track.Number;
            item.artworkId = track.ArtworkId;
            item.dateAdded = track.DateAdded;
            item.rating = track.Rating;
            item.bitRate = 320 - track.Number;
            item.location =
                u":iPod_Control:Music:" + std::u16string(track.File.begin(), track.File.end());
            std::replace(item.location.begin(), item.location.end(), u'\\', u':');
            described.push_back(item);
            if (track.FileExists) {
                WriteAll(PlayerMusic / "Music" / track.File, Contents(track));
            }
        }
        fs::create_directories(PlayerMusic / "iTunes");
        fs::create_directories(PlayerMusic / "Artwork");
        ASSERT_TRUE(art.database.empty() ||
                    artwork::WriteStore("F:\\iPod_Control\\Artwork\\", art));
        ASSERT_TRUE(itdb::WriteFile("F:\\iPod_Control\\iTunes\\iTunesDB",
                                    playlists.empty()
                                        ? itdb::RealisticDatabase(described)
                                        : itdb::RealisticDatabase(described, playlists)));
        playerBefore_ = FilesIn(PlayerMusic);
        Start();
        WhenWindowShows device(L"Select Your iPod", [](HWND dialog) { PressButton(dialog, IDOK); });
        Command(ID_FILE_OPEN);
        ASSERT_EQ(SendMessageW(form_->TrackList(), LVM_GETITEMCOUNT, 0, 0),
                  static_cast<LRESULT>(tracks.size()));
        Command(ID_EDIT_ALL);
    }
    static std::string Contents(const PlayerTrack& track) {
        if (!track.Bytes.empty()) {
            return track.Bytes;
        }
        if (track.File.find("EMPTY") != std::string::npos) {
            return "";
        }
        std::string contents =
            std::string(track.Title.begin(), track.Title.end()) + ": " + track.File;
        contents.resize(std::max(contents.size(), track.Size), '.');
        return contents;
    }

    // Runs Extract; `folderDialog` answers the folder dialog (default: OK
    // on the folder it opens with).
    void Extract(std::function<void(HWND)> folderDialog = [](HWND dialog) {
        PressButton(dialog, IDOK);
    }) {
        WhenWindowShows dialog(FolderDialogCaption, std::move(folderDialog));
        Command(ID_FILE_EXTRACT);
        folderDialogShown_ = dialog.Shown();
    }
    // Answers each overwrite prompt with the next of `buttons`, noting its path line.
    std::vector<std::wstring> ExtractAnswering(const std::vector<int>& buttons) {
        std::vector<std::wstring> paths;
        WhenWindowShows prompt(
            L"Trackhaul",
            [&](HWND dialog) {
                paths.push_back(PathLine(dialog));
                const int button =
                    paths.size() <= buttons.size() ? buttons[paths.size() - 1] : IDC_BTNCANCEL;
                if (button == IDCANCEL) {
                    SendMessageW(dialog, WM_CLOSE, 0, 0);
                } else {
                    PressButton(dialog, button);
                }
            },
            WhenWindowShows::Repeat::EveryTime, L"#32770");
        Extract();
        return paths;
    }
    static std::wstring PathLine(HWND prompt) {
        for (HWND child = GetWindow(prompt, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if (GetWindowLongPtrW(child, GWL_STYLE) & SS_PATHELLIPSIS) {
                return win::WindowText(child);
            }
        }
        return L"(none)";
    }

    // The texts of the failure boxes shown, each of which asks Yes or No.
    static std::vector<std::u16string> FailureTexts(const MessageBoxRecorder& boxes) {
        std::vector<std::u16string> texts;
        for (const win::MessageBoxRequest& box : boxes.Requests()) {
            EXPECT_EQ(box.Style, static_cast<UINT>(MB_YESNO | MB_ICONERROR));
            texts.push_back(win::Utf16FromWide(box.Text));
        }
        return texts;
    }

    std::wstring Status(int panel = 0) const { return StatusText(form_->StatusBar(), panel); }
    void ExpectRunEnded() const {
        EXPECT_EQ(Status(), L"Trackhaul Ready");
        EXPECT_EQ(Status(2), L"");
        EXPECT_FALSE(IsWindowVisible(form_->ProgressBar()));
    }

    Files playerBefore_;
    bool folderDialogShown_ = false;
    MessageBoxRecorder boxes_{IDYES};
};

// Chooses the playlist list's entry `entry` by the keyboard: Ctrl+L, then
// Down as often as needed.
void ChoosePlaylist(TMainForm& form, int entry) {
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(ID_VIEW_PLAYLIST, 0), 0);
    for (int step = 0; step < entry; ++step) {
        SendMessageW(GetFocus(), WM_KEYDOWN, VK_DOWN, 0);
        SendMessageW(GetFocus(), WM_KEYUP, VK_DOWN, 0);
    }
    PumpMessages();
}

// The width and height in a JPEG file's frame header, or nothing when it
// has none (the journeys check the pictures' colours with a decoder).
std::optional<std::pair<int, int>> JpegSizeIn(const std::string& bytes) {
    for (size_t at = 2; at + 9 <= bytes.size() && bytes.compare(0, 2, "\xFF\xD8") == 0;) {
        const auto byte = [&](size_t offset) { return static_cast<uint8_t>(bytes[at + offset]); };
        if (byte(0) != 0xFF) {
            break;
        }
        if (byte(1) == 0xC0) {
            return std::pair(byte(7) << 8 | byte(8), byte(5) << 8 | byte(6));
        }
        at += 2 + (byte(2) << 8 | byte(3));
    }
    return std::nullopt;
}

std::optional<std::pair<int, int>> JpegSize(const fs::path& file) {
    return JpegSizeIn(ReadAll(file));
}

const std::u16string Russian = u"\u041F\u0435\u0441\u043D\u044F";
const std::u16string Japanese = u"\u6D77\u306E\u58F0";

TEST_F(ExtractionTest, FilesArriveByteForByteUnderTheirPatternNames) {
    SettingsKey::Write(L"FileFormat", L"%tracknumber% - %TITLE%");
    const std::vector<PlayerTrack> tracks{
        {u"Plain Song", "F00\\AAAA.mp3", 7}, {Russian, "F01\\BBBB.m4a", 2},
        {Japanese, "F02\\CCCC", 3},          {u"Left/Right?", "F03\\DDDD.wav", -1},
        {u"Silence", "F04\\EMPTY.mp3", 0},
    };
    LoadPlayer(tracks);
    const fs::path readOnly = PlayerMusic / L"Music\\F00\\AAAA.mp3";
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    Extract();
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(folderDialogShown_);
    // The copy of a read-only file can be replaced and removed, and keeps its times.
    const fs::path copy = Output / L"7 - Plain Song.mp3";
    EXPECT_EQ(GetFileAttributesW(copy.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(fs::last_write_time(copy), fs::last_write_time(readOnly));
    const Files expected{
        {L"7 - Plain Song.mp3", Contents(tracks[0])},
        {L"2 - \u041F\u0435\u0441\u043D\u044F.m4a", Contents(tracks[1])},
        {L"3 - \u6D77\u306E\u58F0", Contents(tracks[2])},
        {L"-1 - Left_Right_.wav", Contents(tracks[3])},
        {L"0 - Silence.mp3", ""},
    };
    EXPECT_EQ(FilesIn(Output), expected);
    EXPECT_EQ(SettingsKey::Read(L"ExtractPath"), Output.wstring());
    EXPECT_TRUE(boxes_.Requests().empty());
    ExpectRunEnded();
}

// When a file was last written, in whole seconds since 1601.
uint64_t LastWriteSeconds(const fs::path& file) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data);
    return (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 |
            data.ftLastWriteTime.dwLowDateTime) /
           10000000;
}

// The player's folder as a Mac-formatted disk holds it, each file in
// pieces with its time, imaged into `image`.
void ImagePlayer(const fs::path& image) {
    constexpr uint64_t kSecondsFrom1601To1904 = 9561628800;
    std::vector<hfs::File> files;
    for (const auto& [path, contents] : FilesIn(PlayerMusic)) {
        std::u16string name = u"iPod_Control/" + path.generic_u16string();
        const auto modified =
            static_cast<uint32_t>(LastWriteSeconds(PlayerMusic / path) - kSecondsFrom1601To1904);
        files.push_back({name, hfs::Bytes(contents.begin(), contents.end()), 3, modified});
    }
    const hfs::Bytes volume = hfs::Volume(files);
    WriteAll(image, std::string(volume.begin(), volume.end()));
}

// An MP3 file of 2.5 MiB: `start`, then MPEG frames.
std::string LongMp3(std::string start) {
    const std::string frames = ReadAll(fs::path(TRACKHAUL_TAG_FIXTURES) / "untagged.mp3");
    while (start.size() < (size_t{5} << 19)) {
        start += frames;
    }
    return start;
}

// Rated MP3s, one whose padding takes the ratings and one without a tag,
// come out byte for byte as from the drive too.
TEST_F(ExtractionTest, APlayerInADiskImageLoadsAndExtractsAsFromItsDrive) {
    std::vector<PlayerTrack> tracks{
        {u"Plain Song", "F00\\AAAA.mp3", 1, true, u"Album", 5000},
        {Russian, "F01\\BBBB.m4a", 2},
        {u"Gone", "F02\\GONE.mp3", 3, false},
        {u"Untagged", "F03\\BARE.mp3", 4},
        {u"Padded", "F03\\PADDED.mp3", 5},
    };
    tracks[3].Bytes = LongMp3("");
    tracks[4].Bytes = LongMp3(ReadAll(fs::path(TRACKHAUL_TAG_FIXTURES) / "id3v23-padded.mp3"));
    tracks[3].Rating = 60;
    tracks[4].Rating = 100;
    SettingsKey::Write(L"WriteRatings", L"1");
    LoadPlayer(tracks);
    Extract();
    const Files fromDrive = FilesIn(Output);
    for (const auto& [copy, rating] : {std::pair(L"Untagged.mp3", "0.6"), {L"Padded.mp3", "1.0"}}) {
        EXPECT_NE(fromDrive.at(copy).find(std::string("FMPS_Rating") + '\0' + rating),
                  std::string::npos);
    }
    const fs::path image = L"C:\\extraction-image-test\\pod.img";
    ImagePlayer(image);
    const std::vector<std::u16string> driveFailures = FailureTexts(boxes_);

    fs::remove_all(Output);
    fs::create_directories(Output);
    const size_t boxesBefore = boxes_.Requests().size();
    SaveDialogAnswer answer(L"Open Disk Image", image.wstring());
    Command(ID_FILE_OPEN_IMAGE);
    ASSERT_TRUE(answer.Shown());
    EXPECT_EQ(answer.Seen().FileType, L"Disk images (*.img;*.dmg;*.iso;*.bin)");
    ASSERT_EQ(SendMessageW(form_->TrackList(), LVM_GETITEMCOUNT, 0, 0), 5);
    EXPECT_EQ(Status(), L"Loaded total 5 song(s)");
    Command(ID_EDIT_ALL);
    Extract();
    EXPECT_EQ(FilesIn(Output), fromDrive);
    EXPECT_EQ(LastWriteSeconds(Output / L"Plain Song.mp3"),
              LastWriteSeconds(PlayerMusic / L"Music\\F00\\AAAA.mp3"));
    // The missing file is named where it is: in the image, not on F:.
    ASSERT_EQ(driveFailures.size(), 1u);
    std::u16string fromImage = driveFailures[0];
    fromImage.replace(fromImage.find(u"F:"), 2, u"pod.img");
    ASSERT_EQ(boxes_.Requests().size(), boxesBefore + 1);
    EXPECT_EQ(win::Utf16FromWide(boxes_.Requests().back().Text), fromImage);

    // An image without a player leaves the list as it is.
    WriteAll(L"C:\\extraction-image-test\\blank.img", std::string(200000, '\0'));
    MessageBoxRecorder refusal;
    SaveDialogAnswer blank(L"Open Disk Image", L"C:\\extraction-image-test\\blank.img");
    Command(ID_FILE_OPEN_IMAGE);
    ASSERT_EQ(refusal.Requests().size(), 1u);
    EXPECT_EQ(refusal.Requests()[0].Text, L"No player found in this image.");
    EXPECT_EQ(SendMessageW(form_->TrackList(), LVM_GETITEMCOUNT, 0, 0), 5);
    Command(ID_FILE_CLOSE);  // lets go of the image
    fs::remove_all(L"C:\\extraction-image-test");
}

// A disk whose sectors in one range cannot be read.
class DiskWithBadSectors : public BlockSource {
public:
    DiskWithBadSectors(hfs::Bytes bytes, uint64_t badStart, uint64_t badEnd)
        : disk_(std::move(bytes)), badStart_(badStart), badEnd_(badEnd) {}
    uint64_t Size() const override { return disk_.Size(); }
    bool ReadAt(uint64_t offset, size_t count, uint8_t* destination) override {
        return (offset + count <= badStart_ || offset >= badEnd_) &&
               disk_.ReadAt(offset, count, destination);
    }

private:
    MemoryBlockSource disk_;
    uint64_t badStart_, badEnd_;
};

TEST(PlayerCopy, ABadSectorFailsTheCopyOfItsFileOnly) {
    const hfs::Bytes volume =
        hfs::Volume({{u"iPod_Control/Music/F00/BAD.mp3", hfs::Bytes(5000, 1)},
                     {u"iPod_Control/Music/F00/GOOD.mp3", hfs::Bytes(700, 2)}});
    const uint64_t firstData = uint64_t{hfs::FirstDataBlock(volume)} * 512;
    NamedVolume disk("Disk 3", OpenPlayerVolume(std::make_shared<DiskWithBadSectors>(
                                   volume, firstData + 1024, firstData + 1536)));
    const fs::path folder = L"C:\\player-copy-test";
    fs::create_directories(folder);
    const struct {
        const char* Source;
        DWORD Expected;
    } cases[] = {
        {"Disk 3\\iPod_Control\\Music\\F00\\BAD.mp3", ERROR_READ_FAULT},
        {"Disk 3\\iPod_Control\\Music\\F00\\GOOD.mp3", ERROR_SUCCESS},
        {"Disk 3\\iPod_Control\\Music\\F00\\GONE.mp3", ERROR_FILE_NOT_FOUND},
        {"Disk 3\\iPod_Control\\Music\\F09\\GONE.mp3", ERROR_PATH_NOT_FOUND},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.Source);
        EXPECT_EQ(CopyPlayerFile(disk, row.Source, (folder / L"copy").wstring()), row.Expected);
    }
    EXPECT_EQ(ReadAll(folder / L"copy"), std::string(700, '\2'));  // the good one
    fs::remove_all(folder);
}

// The JPEGs made ahead come in the run's order whichever pictures it passes
// by, past more than are kept ahead: unwanted pictures are never read, an
// unreadable one comes as nothing, and a run that ends early stops the
// encoders however far they got.
TEST(JpegsAhead, EachPictureComesInTheRunsOrder) {
    constexpr size_t kCount = JpegsAhead::kAhead * 2 + 10;
    const auto wanted = [](size_t index) { return index % 5 != 0; };
    const auto readable = [](size_t index) { return index % 7 != 3; };
    const auto sizeOf = [](size_t index) {
        return std::pair(static_cast<int>(8 + index % 40), static_cast<int>(8 + index / 40));
    };
    for (const size_t runEnd : {kCount, kCount / 4}) {
        SCOPED_TRACE(runEnd);
        std::atomic<int> unwantedReads{0};
        JpegsAhead jpegs(kCount, wanted, [&](size_t index) -> std::optional<Picture> {
            unwantedReads += wanted(index) ? 0 : 1;
            const auto [width, height] = sizeOf(index);
            return readable(index)
                       ? std::optional(Picture{
                             width, height,
                             std::vector<uint32_t>(static_cast<size_t>(width * height), 0x336699)})
                       : std::nullopt;
        });
        for (size_t index = 1; index < runEnd; ++index) {
            if (!wanted(index) || index % 3 == 2) {  // every third passed by
                continue;
            }
            const std::optional<JpegsAhead::Encoded> jpeg = jpegs.Take(index);
            ASSERT_EQ(jpeg.has_value(), readable(index)) << index;
            if (jpeg) {
                EXPECT_EQ(jpeg->Result, S_OK);
                EXPECT_EQ(JpegSizeIn(jpeg->Jpeg), sizeOf(index)) << index;
            }
        }
        EXPECT_EQ(unwantedReads, 0);
    }
}

TEST_F(ExtractionTest, FoldersOutsideTheCodePageAndADriveRootTakeTheFiles) {
    const std::vector<fs::path> folders{Output / L"\u041C\u0443\u0437\u044B\u043A\u0430",
                                        Output / L"\u97F3\u697D", L"G:\\"};
    // Made before the program starts: Wine's folder dialog does not always
    // see a folder made after an earlier showing.
    for (const fs::path& folder : folders) {
        fs::create_directories(folder);
    }
    LoadPlayer({{u"Song", "F00\\AAAA.mp3"}});
    for (const fs::path& folder : folders) {
        SCOPED_TRACE(folder.string());
        form_->Settings().SetExtractPath(folder.u16string());
        Extract();
        EXPECT_EQ(ReadAll(folder / L"Song.mp3"), "Song: F00\\AAAA.mp3");
        EXPECT_EQ(SettingsKey::Read(L"ExtractPath"), folder.wstring());
        fs::remove(folder / L"Song.mp3");
    }
    EXPECT_TRUE(boxes_.Requests().empty());
}

TEST_F(ExtractionTest, TracksOfOneNameAreNumberedInThePlayersOrderWhateverTheListShows) {
    // Both tracks plan one name: neither replaces the other, and the first
    // in the player's file order keeps it, however the list is sorted and
    // whatever the policy says of files that were there before.
    const std::vector<PlayerTrack> tracks{
        {u"Same", "F00\\ONE.mp3", 1}, {u"SAME", "F00\\TWO.mp3", 2}, {u"Link", "F00\\THREE.url", 3}};
    LoadPlayer(tracks);
    const Files expected{{L"Same.mp3", Contents(tracks[0])},
                         {L"SAME (2).mp3", Contents(tracks[1])},
                         {L"Link.url.bin", Contents(tracks[2])}};
    for (const auto& [sort, policy] :
         {std::pair{ID_SORT_TRACKNUMBER, L"0"}, std::pair{ID_SORT_BITRATE, L"1"}}) {
        fs::remove_all(Output);
        fs::create_directories(Output);
        SettingsKey::Write(L"OverwriteFiles", policy);
        form_->Settings().LoadSettings();
        Command(sort);
        Extract();
        EXPECT_EQ(FilesIn(Output), expected);
    }
}

TEST_F(ExtractionTest, ClashesFollowThePolicyAndEveryAnswer) {
    const struct {
        const char* name;
        const wchar_t* policy;
        std::vector<int> answers;  // IDCANCEL: the prompt's close box
        int prompts;
        std::vector<bool> replaced;  // of A, B and C
    } cases[] = {
        {"always overwrite", L"0", {}, 0, {true, true, true}},
        {"never overwrite", L"1", {}, 0, {false, false, false}},
        {"yes, no, yes", L"2", {IDC_BTNYES, IDC_BTNNO, IDC_BTNYES}, 3, {true, false, true}},
        {"yes to all", L"2", {IDC_BTNYESALL}, 1, {true, true, true}},
        {"no, then no to all", L"2", {IDC_BTNNO, IDC_BTNNOALL}, 2, {false, false, false}},
        {"yes, then cancel", L"2", {IDC_BTNYES, IDC_BTNCANCEL}, 2, {true, false, false}},
        {"close box", L"2", {IDCANCEL}, 1, {false, false, false}},
    };
    const std::vector<PlayerTrack> tracks{
        {u"A", "F00\\A.mp3"}, {u"B", "F00\\B.mp3"}, {u"C", "F00\\C.mp3"}};
    LoadPlayer(tracks);
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        SettingsKey::Write(L"OverwriteFiles", test.policy);
        form_->Settings().LoadSettings();
        for (const wchar_t* name : {L"A.mp3", L"B.mp3", L"C.mp3"}) {
            WriteAll(Output / name, "old");
        }
        const std::vector<std::wstring> paths = ExtractAnswering(test.answers);
        EXPECT_EQ(static_cast<int>(paths.size()), test.prompts);
        if (!paths.empty()) {
            EXPECT_EQ(paths[0], (Output / L"A.mp3").wstring());
        }
        for (size_t index = 0; index < tracks.size(); ++index) {
            const fs::path target = Output / (std::wstring(1, L'A' + index) + L".mp3");
            EXPECT_EQ(ReadAll(target), test.replaced[index] ? Contents(tracks[index]) : "old")
                << target.string();
        }
        EXPECT_EQ(SettingsKey::Read(L"OverwriteFiles"), test.policy);
        ExpectRunEnded();
    }
    EXPECT_TRUE(boxes_.Requests().empty());
}

// Playlists ------------------------------------------------------------------------

TEST_F(ExtractionTest, OnePlaylistIsExtractedWithATrackItHoldsTwiceCopiedOnce) {
    const std::vector<PlayerTrack> tracks{
        {u"A", "F00\\A.mp3"}, {u"B", "F00\\B.mp3"}, {u"C", "F00\\C.mp3"}};
    LoadPlayer(tracks, {{u"Mix", itdb::ListKind::Other, {2, 0, 2}}});
    ChoosePlaylist(*form_, 1);
    Command(ID_EDIT_ALL);
    EXPECT_EQ(SendMessageW(form_->TrackList(), LVM_GETSELECTEDCOUNT, 0, 0), 3);
    SettingsKey::Write(L"OverwriteFiles", L"2");
    form_->Settings().LoadSettings();
    EXPECT_TRUE(ExtractAnswering({}).empty());  // the second C meets no file of its own
    EXPECT_EQ(FilesIn(Output),
              (Files{{L"C.mp3", Contents(tracks[2])}, {L"A.mp3", Contents(tracks[0])}}));
    EXPECT_TRUE(boxes_.Requests().empty());
}

// Each playlist file's lines; fails unless it is UTF-8 with CRLF and no
// byte-order mark, and starts with #EXTM3U.
std::vector<std::string> PlaylistLines(const fs::path& file) {
    const std::string text = ReadAll(file);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "the last line ends in CR LF";
    EXPECT_EQ(text.find('\n'), lines.empty() ? std::string::npos : lines[0].size() + 1);
    EXPECT_FALSE(lines.empty() || lines[0] != "#EXTM3U") << file.string();
    return lines;
}

TEST_F(ExtractionTest, PlaylistsExportedIntoACyrillicFolderPointAtTheExtractedFiles) {
    const fs::path folder = Output / L"\u041C\u0443\u0437\u044B\u043A\u0430";
    fs::create_directories(folder);
    SettingsKey::Write(L"ExtractPath", folder.wstring());
    SettingsKey::Write(L"FileFormat", L"%tracknumber% - %title%");
    SettingsKey::Write(L"FolderFormat", L"%artist%");
    const std::vector<PlayerTrack> tracks{
        {Russian, "F00\\RU.mp3", 1, true, u"Album", 0, u"\u041A\u0438\u043D\u043E"},
        {Japanese, "F01\\JA.m4a", 2, true, u"Album", 0, u"\u7F8E\u7A7A"},
        {u"Episode", "F02\\EP.mp3", 3, true, u"Show", 0, u"Field Notes"},
        {u"Plain", "F03\\PL.mp3", 4, true, u"Album", 0, u"Band"},
        // No line break leaves its line, and no name ends in what Windows drops.
        {u"win", "F04\\WI.ini", 5, true, u"Windows", 0, u"x\r\n."},
        {u"Dots. .", "F05\\DOTS", 6, true, u"Album", 0, u"Band"},
    };
    const std::u16string road = u"\u0414\u043E\u0440\u043E\u0433\u0430";
    LoadPlayer(tracks, {{road, itdb::ListKind::Other, {1, 0, 1, 3}},
                        {u"Top", itdb::ListKind::Smart, {3, 4, 5}},
                        {u"Podcasts", itdb::ListKind::Podcasts, {2}},
                        {u"con", itdb::ListKind::Other, {0}},
                        {u"TOP", itdb::ListKind::Other, {}}});
    Extract();
    const Files extracted = FilesIn(folder);
    ASSERT_EQ(extracted.size(), tracks.size());

    WhenWindowShows dialog(FolderDialogCaption, [](HWND found) { PressButton(found, IDOK); });
    Command(ID_FILE_EXPORT_PLAYLISTS);
    EXPECT_TRUE(dialog.Shown());
    EXPECT_EQ(Status(), L"Exported 5 playlist(s)");
    EXPECT_EQ(Status(2), L"");
    EXPECT_TRUE(boxes_.Requests().empty());
    const std::vector<fs::path> names{road + u".m3u8", u"Top.m3u8", u"Podcasts.m3u8",
                                      u"Playlist.m3u8", u"TOP (2).m3u8"};
    std::vector<fs::path> written;
    for (const auto& [file, contents] : FilesIn(folder)) {
        if (file.extension() == L".m3u8") {
            written.push_back(file);
        }
    }
    std::vector<fs::path> expectedNames = names;
    std::sort(expectedNames.begin(), expectedNames.end());
    EXPECT_EQ(written, expectedNames);

    // Every path names a file the extraction wrote, with the player's bytes.
    const std::vector<size_t> entryCounts{4, 3, 1, 1, 0};
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i].string());
        const std::vector<std::string> lines = PlaylistLines(folder / names[i]);
        ASSERT_EQ(lines.size(), 1 + 2 * entryCounts[i]);
        for (size_t line = 1; line < lines.size(); line += 2) {
            EXPECT_EQ(lines[line].rfind("#EXTINF:", 0), 0u);
            const fs::path path = fs::u8path(lines[line + 1]);
            ASSERT_TRUE(extracted.count(path)) << lines[line + 1];
            EXPECT_EQ(ReadAll(folder / path), extracted.at(path));
        }
    }
    EXPECT_EQ(PlaylistLines(folder / names[0])[1],
              "#EXTINF:0,\xE7\xBE\x8E\xE7\xA9\xBA - \xE6\xB5\xB7\xE3\x81\xAE\xE5\xA3\xB0");
    EXPECT_EQ(PlaylistLines(folder / names[0])[2],
              "\xE7\xBE\x8E\xE7\xA9\xBA\\2 - \xE6\xB5\xB7\xE3\x81\xAE\xE5\xA3\xB0.m4a");
    const std::vector<std::string> top = PlaylistLines(folder / names[1]);
    EXPECT_EQ(top[3], "#EXTINF:0,x  . - win");
    EXPECT_EQ(top[4], "x__\\5 - win.ini.bin");
    EXPECT_EQ(top[6], "Band\\6 - Dots");
    EXPECT_TRUE(TemporariesIn(folder).empty());
}

TEST_F(ExtractionTest, ExistingPlaylistFilesMeetThePolicyAndThePrompt) {
    LoadPlayer({{u"A", "F00\\A.mp3"}},
               {{u"One", itdb::ListKind::Other, {0}}, {u"Two", itdb::ListKind::Other, {0}}});
    WriteAll(Output / L"One.m3u8", "old");
    WriteAll(Output / L"Two.m3u8", "old");
    const auto exportAnswering = [&](const wchar_t* policy, std::vector<int> answers) {
        SettingsKey::Write(L"OverwriteFiles", policy);
        form_->Settings().LoadSettings();
        WhenWindowShows dialog(FolderDialogCaption, [](HWND found) { PressButton(found, IDOK); });
        int prompts = 0;
        WhenWindowShows prompt(
            L"Trackhaul",
            [&](HWND found) { PressButton(found, answers.at(static_cast<size_t>(prompts++))); },
            WhenWindowShows::Repeat::EveryTime, L"#32770");
        Command(ID_FILE_EXPORT_PLAYLISTS);
        return prompts;
    };
    EXPECT_EQ(exportAnswering(L"1", {}), 0);
    EXPECT_EQ(ReadAll(Output / L"One.m3u8"), "old");
    EXPECT_EQ(Status(), L"Exported 0 playlist(s)");
    EXPECT_EQ(exportAnswering(L"2", {IDC_BTNNO, IDC_BTNYES}), 2);
    EXPECT_EQ(ReadAll(Output / L"One.m3u8"), "old");
    EXPECT_EQ(ReadAll(Output / L"Two.m3u8"), "#EXTM3U\r\n#EXTINF:0, - A\r\nA.mp3\r\n");
    EXPECT_EQ(Status(), L"Exported 1 playlist(s)");
    EXPECT_EQ(exportAnswering(L"2", {IDC_BTNCANCEL}), 1);
    EXPECT_EQ(ReadAll(Output / L"One.m3u8"), "old");
    EXPECT_EQ(exportAnswering(L"0", {}), 0);
    EXPECT_EQ(ReadAll(Output / L"One.m3u8"), "#EXTM3U\r\n#EXTINF:0, - A\r\nA.mp3\r\n");
    EXPECT_TRUE(TemporariesIn(Output).empty());
    EXPECT_TRUE(boxes_.Requests().empty());
}

TEST_F(ExtractionTest, ExportPlaylistsNeedsPlaylistsAndAFolderOffThePlayer) {
    LoadPlayer({{u"A", "F00\\A.mp3"}});
    Command(ID_FILE_EXPORT_PLAYLISTS);
    ASSERT_EQ(boxes_.Requests().size(), 1u);
    EXPECT_EQ(boxes_.Requests()[0].Text, L"There are no playlists to export.");
    form_.reset();
    DiscardQuitRequest();
    LoadPlayer({{u"A", "F00\\A.mp3"}}, {{u"One", itdb::ListKind::Other, {0}}});
    form_->Settings().SetExtractPath(u"F:\\iPod_Control");
    WhenWindowShows dialog(FolderDialogCaption, [](HWND found) { PressButton(found, IDOK); });
    Command(ID_FILE_EXPORT_PLAYLISTS);
    ASSERT_EQ(boxes_.Requests().size(), 2u);
    EXPECT_EQ(boxes_.Requests()[1].Text,
              L"Playlists cannot be exported onto the iPod itself. Please choose a folder on "
              L"another drive.");
    EXPECT_EQ(FilesIn(Output), Files{});
}

TEST_F(ExtractionTest, FailuresNameTheTrackAndAskWhetherToGoOn) {
    SettingsKey::Write(L"FileFormat", L"%album%");
    const std::vector<PlayerTrack> tracks{
        {u"Missing", "F00\\GONE.mp3", 1, false, u"1 missing"},
        {u"Blocked", "F00\\BLOCK.mp3", 2, true, u"2 blocked"},
        {u"Long", "F00\\LONG.mp3", 3, true, std::u16string(260, u'x')},
        {u"Device", "F00\\DEV.mp3", 4, true, u"Nul"},
        {u"Whole path too long", "F00\\PATH.mp3", 5, true, std::u16string(240, u'p')},
        {u"Fine", "F00\\FINE.mp3", 6, true, u"6 fine"},
    };
    LoadPlayer(tracks);
    const auto target = [](const std::u16string& name) {
        return Output.u16string() + u"\\" + name + u".mp3";
    };
    const auto failure = [&](const char* file, const std::u16string& name,
                             const std::wstring& reason) {
        const std::string source = std::string("F:\\iPod_Control\\Music\\") + file;
        return ExtractionFailureText(std::u16string(source.begin(), source.end()), target(name),
                                     win::Utf16FromWide(reason));
    };
    for (const int answer : {IDYES, IDNO}) {
        SCOPED_TRACE(answer == IDYES ? "yes" : "no");
        fs::remove_all(Output);
        // A folder in the target's place. (A read-only file would do on
        // Windows, but Wine run as root writes over it.)
        fs::create_directories(Output / L"2 blocked.mp3" / L"inside");
        MessageBoxRecorder boxes(answer);
        Extract();

        const std::vector<std::u16string> texts = FailureTexts(boxes);
        ASSERT_EQ(texts.size(), answer == IDYES ? 5u : 1u);
        EXPECT_EQ(texts[0], failure("F00\\GONE.mp3", u"1 missing",
                                    win::SystemErrorText(ERROR_FILE_NOT_FOUND)));
        if (answer == IDYES) {
            EXPECT_EQ(texts[1], failure("F00\\BLOCK.mp3", u"2 blocked",
                                        win::SystemErrorText(ERROR_ACCESS_DENIED)));
            EXPECT_EQ(texts[2], failure("F00\\LONG.mp3", tracks[2].Album,
                                        win::SystemErrorText(ERROR_FILENAME_EXCED_RANGE)));
            EXPECT_EQ(texts[3],
                      failure("F00\\DEV.mp3", u"Nul",
                              win::WideFromUtf16(RefusalReason(TrackRefusal::ReservedName))));
            // Found before the copy, without sub-folders too.
            EXPECT_EQ(texts[4], failure("F00\\PATH.mp3", tracks[4].Album,
                                        win::SystemErrorText(ERROR_FILENAME_EXCED_RANGE)));
        }
        EXPECT_TRUE(fs::is_directory(Output / L"2 blocked.mp3" / L"inside"));
        EXPECT_EQ(TemporariesIn(Output), std::vector<std::wstring>{});
        EXPECT_EQ(FilesIn(Output).count(L"6 fine.mp3"), answer == IDYES ? 1u : 0u);
        ExpectRunEnded();
    }
}

// Complete files or none ------------------------------------------------------

TEST_F(ExtractionTest, AFullDiskLeavesOnlyCompleteFiles) {
    const fs::path smallDrive = L"Y:\\out";  // on a drive of one megabyte
    fs::remove_all(smallDrive);
    fs::create_directories(smallDrive);
    std::vector<PlayerTrack> tracks;
    for (const char* name : {"A", "B", "C", "D"}) {
        tracks.push_back({std::u16string(name, name + 1), std::string("F00\\") + name + ".mp3", 1,
                          true, u"Album", 400 * 1024});
    }
    tracks.push_back({u"E", "F00\\E.mp3"});
    LoadPlayer(tracks);
    // A clash with a file that is really there still meets the policy.
    WriteAll(smallDrive / L"A.mp3", "old");
    SettingsKey::Write(L"OverwriteFiles", L"0");
    form_->Settings().LoadSettings();
    form_->Settings().SetExtractPath(smallDrive.u16string());
    MessageBoxRecorder boxes({IDYES, IDNO});
    Extract();

    ASSERT_EQ(boxes.Requests().size(), 2u);
    for (size_t box = 0; box < 2; ++box) {
        const std::string file = tracks[2 + box].File;
        EXPECT_EQ(win::Utf16FromWide(boxes.Requests()[box].Text),
                  ExtractionFailureText(
                      u"F:\\iPod_Control\\Music\\" + std::u16string(file.begin(), file.end()),
                      u"Y:\\out\\" + tracks[2 + box].Title + u".mp3",
                      win::Utf16FromWide(win::SystemErrorText(ERROR_DISK_FULL))));
    }
    EXPECT_EQ(FilesIn(smallDrive),
              (Files{{L"A.mp3", Contents(tracks[0])}, {L"B.mp3", Contents(tracks[1])}}));
    ExpectRunEnded();
}

// A copy that fails as it is put in place asks whether to go on; No stops
// the run: the copy made after it, already on its way, is placed whole; the
// one made then is removed.
TEST_F(ExtractionTest, ACopyOnItsWayWhenTheRunStopsIsPlacedWhole) {
    SettingsKey::Write(L"FileFormat", L"%album%");
    const std::vector<PlayerTrack> tracks{{u"Blocked", "F00\\BLOCK.mp3", 1, true, u"1 blocked"},
                                          {u"Next", "F00\\NEXT.mp3", 2, true, u"2 next"},
                                          {u"Last", "F00\\LAST.mp3", 3, true, u"3 last"}};
    LoadPlayer(tracks);
    for (const auto& [answer, placed] :
         {std::pair{IDYES, Files{{L"2 next.mp3", Contents(tracks[1])},
                                 {L"3 last.mp3", Contents(tracks[2])}}},
          std::pair{IDNO, Files{{L"2 next.mp3", Contents(tracks[1])}}}}) {
        SCOPED_TRACE(answer == IDYES ? "yes" : "no");
        fs::remove_all(Output);
        fs::create_directories(Output / L"1 blocked.mp3" / L"inside");
        MessageBoxRecorder boxes(answer);
        Extract();

        ASSERT_EQ(FailureTexts(boxes).size(), 1u);
        EXPECT_NE(FailureTexts(boxes)[0].find(u"1 blocked.mp3"), std::u16string::npos);
        EXPECT_EQ(FilesIn(Output), placed);
        EXPECT_TRUE(fs::is_directory(Output / L"1 blocked.mp3" / L"inside"));
        EXPECT_EQ(TemporariesIn(Output), std::vector<std::wstring>{});
        ExpectRunEnded();
    }
}

TEST_F(ExtractionTest, APlaylistFileThatCannotBeWrittenWholeIsReportedAndLeavesNothing) {
    const fs::path smallDrive = L"Y:\\out";  // on a drive of one megabyte
    fs::remove_all(smallDrive);
    fs::create_directories(smallDrive);
    LoadPlayer({{u"A", "F00\\A.mp3"}},
               {{u"Full", itdb::ListKind::Other, {0}}, {u"Also", itdb::ListKind::Other, {0}}});
    WriteAll(smallDrive / L"filler", std::string(2 << 20, 'x'));  // as much as fits
    const Files full = FilesIn(smallDrive);
    form_->Settings().SetExtractPath(smallDrive.u16string());
    // Each failure asks whether to go on, as a failed copy does.
    for (const int answer : {IDYES, IDNO}) {
        SCOPED_TRACE(answer == IDYES ? "yes" : "no");
        MessageBoxRecorder boxes(answer);
        WhenWindowShows dialog(FolderDialogCaption, [](HWND found) { PressButton(found, IDOK); });
        Command(ID_FILE_EXPORT_PLAYLISTS);
        ASSERT_EQ(boxes.Requests().size(), answer == IDYES ? 2u : 1u);
        for (size_t box = 0; box < boxes.Requests().size(); ++box) {
            const std::wstring& text = boxes.Requests()[box].Text;
            const std::wstring file = box == 0 ? L"Full.m3u8" : L"Also.m3u8";
            EXPECT_EQ(boxes.Requests()[box].Style, static_cast<UINT>(MB_YESNO | MB_ICONERROR));
            EXPECT_EQ(text.rfind(L"Error writing file:\r\nY:\\out\\" + file + L"\r\n", 0), 0u)
                << text;
            EXPECT_TRUE(text.ends_with(L"\r\nDo you want to export remaining playlists?")) << text;
        }
        EXPECT_EQ(Status(), L"Exported 0 playlist(s)");
        EXPECT_EQ(FilesIn(smallDrive), full);
    }
    fs::remove_all(smallDrive);
}

TEST_F(ExtractionTest, ThePlayerGoingAwayLeavesOnlyCompleteFiles) {
    const std::vector<PlayerTrack> tracks{
        {u"A", "F00\\A.mp3"}, {u"B", "F00\\B.mp3"}, {u"C", "F00\\C.mp3"}, {u"D", "F00\\D.mp3"}};
    LoadPlayer(tracks);
    SettingsKey::Write(L"OverwriteFiles", L"2");
    form_->Settings().LoadSettings();
    WriteAll(Output / L"B.mp3", "old");
    const fs::path away = L"F:\\away";
    // Asked about B, the player is taken away before the answer Yes.
    WhenWindowShows prompt(
        L"Trackhaul",
        [&](HWND dialog) {
            fs::rename(PlayerMusic, away);
            PressButton(dialog, IDC_BTNYES);
        },
        WhenWindowShows::Repeat::Once, L"#32770");
    MessageBoxRecorder boxes({IDYES, IDNO});
    Extract();
    fs::rename(away, PlayerMusic);

    ASSERT_EQ(boxes.Requests().size(), 2u);
    const std::wstring gone = win::SystemErrorText(ERROR_PATH_NOT_FOUND);
    for (const win::MessageBoxRequest& box : boxes.Requests()) {
        EXPECT_NE(box.Text.find(gone), std::wstring::npos) << box.Text;
    }
    EXPECT_EQ(FilesIn(Output), (Files{{L"A.mp3", Contents(tracks[0])}, {L"B.mp3", "old"}}));
    ExpectRunEnded();
}

// Paths and names of a crafted database: each such track fails visibly, its
// source is never opened, and nothing appears anywhere on C: but the files
// of the good tracks in the chosen folder.
TEST_F(ExtractionTest, ACraftedDatabaseWritesNothingOutsideTheFolder) {
    std::u16string growingTitle, growingArtist;
    for (int i = 0; i < 4000; ++i) {
        growingTitle += u"%artist%";
        growingArtist += u"%album%";
    }
    using enum TrackRefusal;
    const struct {
        PlayerTrack track;
        TrackRefusal refusal;
    } cases[] = {
        {{u".", "F00\\../../Documents/x", 1, true}, UnsafeSourcePath},
        {{u"Port", "F00\\COM1.mp3", 2, false}, UnsafeSourcePath},
        {{u"Null", "F00\\NUL", 3, false}, UnsafeSourcePath},
        {{u"Console", "F00\\CONIN$", 4, false}, UnsafeSourcePath},
        {{u"NUL", "F00\\NAMED", 5}, ReservedName},
        {{u"..", "F00\\DOTS", 6}, EmptyName},
        {{growingTitle, "F00\\GROW.mp3", 7, true, u"x", 0, growingArtist}, NameTooLong},
        {{u"~trackhaul-0badf00d.partial", "F00\\TEMP", 8}, TemporaryName},
        {{u"Fine", "F00\\FINE.mp3", 9}, None},
    };
    std::vector<PlayerTrack> tracks;
    for (const auto& test : cases) {
        tracks.push_back(test.track);
    }
    LoadPlayer(tracks);
    // Everything on C: but the output and the user's folders, which Wine
    // links to the home folder of Linux.
    const auto listing = [] {
        std::vector<fs::path> names;
        for (auto entry = fs::recursive_directory_iterator(L"C:\\");
             entry != fs::recursive_directory_iterator(); ++entry) {
            if (entry->path() == Output || entry->path() == L"C:\\users") {
                entry.disable_recursion_pending();
            } else {
                names.push_back(entry->path());
            }
        }
        return names;
    };
    const std::vector<fs::path> before = listing();
    MessageBoxRecorder boxes(IDYES);
    Extract();

    EXPECT_EQ(listing(), before);
    EXPECT_EQ(FilesIn(Output), (Files{{L"Fine.mp3", Contents(tracks.back())}}));
    ASSERT_EQ(boxes.Requests().size(), std::size(cases) - 1);
    for (size_t index = 0; index + 1 < std::size(cases); ++index) {
        const std::wstring reason = cases[index].refusal == NameTooLong
                                        ? win::SystemErrorText(ERROR_FILENAME_EXCED_RANGE)
                                        : win::WideFromUtf16(RefusalReason(cases[index].refusal));
        EXPECT_NE(boxes.Requests()[index].Text.find(reason), std::wstring::npos)
            << boxes.Requests()[index].Text.substr(0, 200);
    }
}

// The player is only read: an export onto it is refused as an extraction
// is. And Esc in the overwrite prompt, which has no cancel button, answers
// nothing.
TEST_F(ExtractionTest, TheExportRefusesThePlayerAndEscIsNoAnswer) {
    const std::vector<PlayerTrack> tracks{{u"A", "F00\\A.mp3"}};
    LoadPlayer(tracks);
    {
        MessageBoxRecorder boxes;
        SaveDialogAnswer save(L"Export Track List", L"F:\\list.csv");
        Command(ID_FILE_EXPORT);
        ASSERT_TRUE(save.Shown());
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].Text,
                  L"The track list cannot be exported onto the iPod itself. Please choose a folder "
                  L"on another drive.");
        EXPECT_FALSE(fs::exists(L"F:\\list.csv"));
        EXPECT_EQ(SettingsKey::Read(L"ExtractPath"), Output.wstring());
    }
    SettingsKey::Write(L"OverwriteFiles", L"2");
    form_->Settings().LoadSettings();
    WriteAll(Output / L"A.mp3", "old");
    bool stillAsking = false;
    WhenWindowShows prompt(
        L"Trackhaul",
        [&](HWND dialog) {
            // Through the prompt's own message loop, as a key press goes.
            const HWND focused = GetFocus() ? GetFocus() : dialog;
            PostMessageW(focused, WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageW(focused, WM_KEYUP, VK_ESCAPE, 0);
            RunInNextMessageLoop([&stillAsking, dialog] {
                stillAsking = IsWindowVisible(dialog);
                PressButton(dialog, IDC_BTNYES);
            });
        },
        WhenWindowShows::Repeat::Once, L"#32770");
    Extract();
    EXPECT_TRUE(stillAsking);
    EXPECT_EQ(ReadAll(Output / L"A.mp3"), Contents(tracks[0]));
}

// With WriteLibrary an extraction ends with Library.xml under the policy, as
// a track. Export Library names only the whole copies, says how many it left
// out and where, and refuses the player as the other exports do. Its dates
// are in UTC by the rules of their day (Berlin: +2 in summer, +1 in winter).
TEST_F(ExtractionTest, TheLibraryNamesTheWholeCopiesOnly) {
    constexpr uint32_t kJulyFirstNoon2006 = 3234600000, kJanuarySecondNoon2006 = 3219048000;
    LoadPlayer({{u"A", "F00\\A.mp3", 1, true, u"Album", 0, u"", 0, kJulyFirstNoon2006},
                {u"B", "F00\\B.mp3"},
                {u"C", "F00\\C.mp3"},
                {u"D", "F00\\D.mp3", 1, true, u"Album", 0, u"", 0, kJanuarySecondNoon2006}});
    SettingsKey::Write(L"WriteLibrary", L"1");
    SettingsKey::Write(L"OverwriteFiles", L"1");
    form_->Settings().LoadSettings();
    WriteAll(Output / L"Library.xml", "old");
    Extract();
    EXPECT_EQ(ReadAll(Output / L"Library.xml"), "old");

    fs::remove(Output / L"B.mp3");
    WriteAll(Output / L"C.mp3", "not the player's file");
    // Cancelled while the copies are looked up, the command ends without a
    // word.
    const std::wstring texts[] = {
        L"",
        L"2 of 4 tracks were left out of the library: they have no whole copy where the "
        L"preferences put them in\r\nC:\\extraction-tests\\\r\nTo include them, extract them "
        L"first, then export the library again.",
        L"The library cannot be exported onto the iPod itself. Please choose a folder on another "
        L"drive.",
    };
    const std::wstring targets[] = {L"", (Output / L"Library.xml").wstring(), L"F:\\Library.xml"};
    // A list saved elsewhere since does not move the music folder.
    SaveDialogAnswer list(L"Export Track List", (Output / L"elsewhere" / L"list").wstring());
    fs::create_directories(Output / L"elsewhere");
    Command(ID_FILE_EXPORT);
    ASSERT_TRUE(list.Shown());
    for (size_t run = 0; run < std::size(targets); ++run) {
        MessageBoxRecorder boxes;
        SaveDialogAnswer save(L"Export Library", targets[run]);
        Command(ID_FILE_EXPORT_LIBRARY);
        ASSERT_TRUE(save.Shown());
        EXPECT_EQ(save.Seen().Folder + L"\\" + save.Seen().FileName, targets[1]);
        ASSERT_EQ(boxes.Requests().size(), texts[run].empty() ? 0u : 1u);
        for (const auto& box : boxes.Requests()) {
            EXPECT_EQ(box.Text, texts[run]);
        }
        ExpectRunEnded();
    }
    const std::string library = ReadAll(Output / L"Library.xml");
    EXPECT_NE(library.find("<string>file://localhost/C:/extraction-tests/A.mp3</string>"),
              std::string::npos);
    EXPECT_NE(library.find("<key>Date Added</key><date>2006-07-01T10:00:00Z</date>"),
              std::string::npos);
    EXPECT_NE(library.find("<key>Date Added</key><date>2006-01-02T11:00:00Z</date>"),
              std::string::npos);
    EXPECT_EQ(library.find("B.mp3"), std::string::npos);
    EXPECT_EQ(library.find("C.mp3"), std::string::npos);
    EXPECT_FALSE(fs::exists(L"F:\\Library.xml"));
    EXPECT_TRUE(TemporariesIn(Output).empty());

    // After an extraction of a few tracks the status bar counts those left
    // out; a box would come after every run. (The folder dialog opens on the
    // list's folder, where the one track goes.)
    SettingsKey::Write(L"OverwriteFiles", L"0");
    form_->Settings().LoadSettings();
    ListView_SetItemState(form_->TrackList(), -1, 0, LVIS_SELECTED);
    ListView_SetItemState(form_->TrackList(), 0, LVIS_SELECTED, LVIS_SELECTED);
    MessageBoxRecorder boxes;
    Extract();
    EXPECT_TRUE(boxes.Requests().empty());
    EXPECT_EQ(Status(),
              L"3 of 4 tracks were left out of Library.xml: they have no whole copy in the folder");
}

// The plays since the last sync as Last.fm's log or ListenBrainz listens,
// chosen by the file's name, in the music folder at first; nothing without
// plays; and both files after an extraction with the preference set.
TEST_F(ExtractionTest, TheListeningHistoryGoesToTheMusicFolder) {
    constexpr uint32_t kJanuaryFifteenthNoon2019 = 3630398400;
    LoadPlayer({{u"A", "F00\\A.mp3"}});
    MessageBoxRecorder none;
    Command(ID_FILE_EXPORT_HISTORY);
    ASSERT_EQ(none.Requests().size(), 1u);
    EXPECT_EQ(none.Requests()[0].Text, L"There are no plays since the player's last sync.");

    form_.reset();
    DiscardQuitRequest();
    ASSERT_TRUE(itdb::WriteFile("F:\\iPod_Control\\iTunes\\Play Counts",
                                itdb::PlayCountsFile({{2, kJanuaryFifteenthNoon2019}})));
    LoadPlayer({{u"A", "F00\\A.mp3", 4, true, u"Album", 0, u"Band"}});
    // The test player's tracks have no length: both plays start at once.
    const std::string log =
        "#AUDIOSCROBBLER/1.1\n#TZ/UTC\n#CLIENT/Trackhaul 0.1b\n"
        "Band\tAlbum\tA\t4\t0\tL\t1547550000\t\nBand\tAlbum\tA\t4\t0\tL\t1547550000\t\n";
    for (const wchar_t* name : {L".scrobbler.log", L"listens.json"}) {
        SaveDialogAnswer save(L"Export Listening History", (Output / name).wstring());
        Command(ID_FILE_EXPORT_HISTORY);
        ASSERT_TRUE(save.Shown());
        EXPECT_TRUE(fs::equivalent(save.Seen().Folder, Output));
        EXPECT_EQ(save.Seen().FileName, L".scrobbler.log");
        EXPECT_EQ(Status(), L"Exported 2 plays (1 with estimated times)");
    }
    EXPECT_EQ(ReadAll(Output / L".scrobbler.log"), log);
    const std::string listens = ReadAll(Output / L"listens.json");
    EXPECT_EQ(listens.substr(0, 46), "[\n{\"listened_at\": 1547550000, \"track_metadata\"");
    EXPECT_NE(listens.find("},\n{\"listened_at\": 1547550000, "), std::string::npos);
    MessageBoxRecorder refused;
    SaveDialogAnswer onPlayer(L"Export Listening History", L"F:\\.scrobbler.log");
    Command(ID_FILE_EXPORT_HISTORY);
    ASSERT_EQ(refused.Requests().size(), 1u);
    EXPECT_FALSE(fs::exists(L"F:\\.scrobbler.log"));

    fs::remove(Output / L".scrobbler.log");
    fs::remove(Output / L"listens.json");
    SettingsKey::Write(L"WriteHistory", L"1");
    form_->Settings().LoadSettings();
    Extract();
    EXPECT_EQ(ReadAll(Output / L".scrobbler.log"), log);
    EXPECT_TRUE(fs::exists(Output / L"listens.json"));
    EXPECT_TRUE(TemporariesIn(Output).empty());
}

// Sub-folders ------------------------------------------------------------------

// Sorted into %artist%\%album%: every file arrives whole at its levels, the
// folders are made as the run reaches them (one of another case is the same
// folder), and no text of a track makes a level that Windows would change or
// that leads out of the chosen folder.
TEST_F(ExtractionTest, SubFoldersTakeEachFileAtItsLevels) {
    SettingsKey::Write(L"FileFormat", L"%tracknumber% - %title%");
    SettingsKey::Write(L"FolderFormat", L"%artist%\\%album%");
    const std::u16string cyrillicArtist = u"\u041A\u0438\u043D\u043E";
    const std::vector<PlayerTrack> tracks{
        {u"One", "F00\\A.mp3", 1, true, u"Disc", 0, u"Band"},
        {u"Two", "F00\\B.mp3", 2, true, u"Disc", 0, u"Band"},
        {u"Three", "F01\\C.mp3", 3, true, u"Other", 0, u"band"},
        {Russian, "F02\\D.m4a", 4, true, Japanese, 0, cyrillicArtist},
        {u"Nobody", "F03\\E.mp3", 5, true, u"", 0, u" "},
        {u"Climber", "F04\\F.mp3", 6, true, u"..", 0, u"..\\.."},
        {u"Device", "F05\\G.mp3", 7, true, u"Aux", 0, u"CON."},
        {u"Silence", "F06\\EMPTY.mp3", 8, true, u"Disc. ", 0, u"Band"},
    };
    LoadPlayer(tracks);
    Extract();
    const Files expected{
        {L"Band\\Disc\\1 - One.mp3", Contents(tracks[0])},
        {L"Band\\Disc\\2 - Two.mp3", Contents(tracks[1])},
        {L"Band\\Other\\3 - Three.mp3", Contents(tracks[2])},
        {L"\u041A\u0438\u043D\u043E\\\u6D77\u306E\u58F0\\4 - \u041F\u0435\u0441\u043D\u044F.m4a",
         Contents(tracks[3])},
        {L"Unknown Artist\\Unknown Album\\5 - Nobody.mp3", Contents(tracks[4])},
        {L".._\\Unknown Album\\6 - Climber.mp3", Contents(tracks[5])},
        {L"Unknown Artist\\Unknown Album\\7 - Device.mp3", Contents(tracks[6])},
        {L"Band\\Disc\\8 - Silence.mp3", ""},
    };
    EXPECT_EQ(FilesIn(Output), expected);
    EXPECT_TRUE(boxes_.Requests().empty());
    ExpectRunEnded();
}

// A file where a level's folder should go, a whole path longer than Windows
// takes and a missing file fail their tracks as copies fail; the run goes on
// or ends as the user answers, nothing is cut or made for the long path, and
// no folder made for a failed track is left empty.
TEST_F(ExtractionTest, ALevelThatCannotBeMadeFailsItsTrack) {
    SettingsKey::Write(L"FolderFormat", L"%artist%\\%album%");
    const std::u16string longAlbum(250, u'a');
    const std::vector<PlayerTrack> tracks{
        {u"Blocked", "F00\\A.mp3", 1, true, u"Disc", 0, u"Band"},
        {u"Deep", "F00\\B.mp3", 2, true, longAlbum, 0, u"Long"},
        {u"Gone", "F00\\D.mp3", 3, false, u"Lost", 0, u"Missing"},
        {u"Fine", "F00\\C.mp3", 4, true, u"Disc", 0, u"Other"},
    };
    LoadPlayer(tracks);
    const auto failure = [](const char* file, const std::u16string& target, DWORD error) {
        const std::string source = std::string("F:\\iPod_Control\\Music\\") + file;
        return ExtractionFailureText(std::u16string(source.begin(), source.end()),
                                     Output.u16string() + u"\\" + target,
                                     win::Utf16FromWide(win::SystemErrorText(error)));
    };
    for (const int answer : {IDYES, IDNO}) {
        SCOPED_TRACE(answer == IDYES ? "yes" : "no");
        for (const auto& entry : fs::directory_iterator(Output)) {
            fs::remove_all(entry.path());
        }
        WriteAll(Output / L"Band", "in the way");
        MessageBoxRecorder boxes(answer);
        Extract();

        const std::vector<std::u16string> texts = FailureTexts(boxes);
        std::vector<std::u16string> expected{
            failure("F00\\A.mp3", u"Band\\Disc\\Blocked.mp3", ERROR_ALREADY_EXISTS)};
        if (answer == IDYES) {
            expected.push_back(failure("F00\\B.mp3", u"Long\\" + longAlbum + u"\\Deep.mp3",
                                       ERROR_FILENAME_EXCED_RANGE));
            expected.push_back(
                failure("F00\\D.mp3", u"Missing\\Lost\\Gone.mp3", ERROR_FILE_NOT_FOUND));
        }
        EXPECT_EQ(texts, expected);
        Files files{{L"Band", "in the way"}};
        if (answer == IDYES) {
            files[L"Other\\Disc\\Fine.mp3"] = Contents(tracks[3]);
        }
        EXPECT_EQ(FilesIn(Output), files);
        EXPECT_FALSE(fs::exists(Output / L"Long"));
        EXPECT_FALSE(fs::exists(Output / L"Missing")) << "the folders made for a failed copy";
        ExpectRunEnded();
    }
}

// The prompt names the whole path of a file inside a level, and its answers
// act on that file alone.
TEST_F(ExtractionTest, ClashesInsideALevelAskWithTheWholePath) {
    SettingsKey::Write(L"FolderFormat", L"%artist%\\%album%");
    SettingsKey::Write(L"OverwriteFiles", L"2");
    const std::vector<PlayerTrack> tracks{{u"A", "F00\\A.mp3", 1, true, u"Disc", 0, u"Band"},
                                          {u"B", "F00\\B.mp3", 2, true, u"Disc", 0, u"Band"}};
    LoadPlayer(tracks);
    for (const wchar_t* file : {L"Band\\Disc\\A.mp3", L"Band\\Disc\\B.mp3", L"A.mp3"}) {
        WriteAll(Output / file, "old");
    }
    const std::vector<std::wstring> paths = ExtractAnswering({IDC_BTNYES, IDC_BTNNO});
    EXPECT_EQ(paths, (std::vector<std::wstring>{(Output / L"Band\\Disc\\A.mp3").wstring(),
                                                (Output / L"Band\\Disc\\B.mp3").wstring()}));
    EXPECT_EQ(FilesIn(Output), (Files{{L"Band\\Disc\\A.mp3", Contents(tracks[0])},
                                      {L"Band\\Disc\\B.mp3", "old"},
                                      {L"A.mp3", "old"}}));
    ExpectRunEnded();
}

// With sub-folders each folder that receives tracks gets, once, the cover of
// the first of them that has one, as a JPEG of the picture's size (the
// journeys check its colours), under the overwrite policy and prompt;
// without sub-folders none.
TEST_F(ExtractionTest, EachAlbumFolderGetsItsCoverAsFolderJpg) {
    SettingsKey::Write(L"FolderFormat", L"%artist%\\%album%");
    SettingsKey::Write(L"SaveAlbumArt", L"1");
    const std::vector<PlayerTrack> tracks{
        {u"One", "F00\\A.mp3", 1, true, u"Lights", 0, u"Harbour", 0},
        {u"Two", "F00\\B.mp3", 2, true, u"Lights", 0, u"Harbour", 7},
        {u"Three", "F00\\C.mp3", 3, true, u"Lights", 0, u"Harbour", 8},
        {u"Four", "F00\\D.mp3", 4, true, u"Tide", 0, u"Harbour", 8},
        {u"Five", "F00\\E.mp3", 5, true, u"Bare", 0, u"Harbour", 0},
    };
    LoadPlayer(tracks, {},
               artwork::BuildStore(
                   {{7, 0, {artwork::Stored(1055, 128, artwork::SolidImage(128, 96, 0xFF0000))}},
                    {8, 0, {artwork::Stored(1060, 320, artwork::SolidImage(320, 320, 0))}}}));
    const fs::path lights = Output / L"Harbour\\Lights\\folder.jpg";
    const fs::path tide = Output / L"Harbour\\Tide\\folder.jpg";
    // The covers made while the folder is chosen go unused when it is not.
    Extract([](HWND dialog) { PressButton(dialog, IDCANCEL); });
    EXPECT_TRUE(FilesIn(Output).empty());
    Extract();
    EXPECT_EQ(JpegSize(lights), std::pair(128, 96));
    EXPECT_EQ(JpegSize(tide), std::pair(320, 320));
    EXPECT_EQ(FilesIn(Output).size(), tracks.size() + 2);
    EXPECT_FALSE(fs::exists(Output / L"Harbour\\Bare\\folder.jpg"));
    EXPECT_TRUE(boxes_.Requests().empty());

    // A folder whose first track with a picture is kept as it was takes the
    // cover of the next one placed there.
    fs::remove(lights);
    fs::remove(Output / L"Harbour\\Lights\\Three.mp3");
    SettingsKey::Write(L"OverwriteFiles", L"1");
    form_->Settings().LoadSettings();
    Extract();
    EXPECT_EQ(JpegSize(lights), std::pair(320, 320));
    EXPECT_EQ(JpegSize(tide), std::pair(320, 320));

    // An existing cover is a clash like a track's: the prompt names it.
    WriteAll(lights, "old");
    fs::remove(Output / L"Harbour\\Lights\\One.mp3");
    fs::remove(Output / L"Harbour\\Lights\\Two.mp3");
    SettingsKey::Write(L"OverwriteFiles", L"2");
    form_->Settings().LoadSettings();
    EXPECT_EQ(ExtractAnswering({IDC_BTNNOALL}), std::vector<std::wstring>{lights.wstring()});
    EXPECT_EQ(ReadAll(lights), "old");

    // A cover that cannot be written fails as a copy fails.
    SettingsKey::Write(L"OverwriteFiles", L"0");
    form_->Settings().LoadSettings();
    fs::remove(lights);
    fs::create_directories(lights / "in the way");
    Extract();
    ASSERT_EQ(boxes_.Requests().size(), 1u);
    EXPECT_EQ(boxes_.Requests()[0].Text.rfind(
                  L"Error extracting F:\\iPod_Control\\Artwork\\F1055_1.ithmb\r\nto " +
                      lights.wstring() + L"\r\n",
                  0),
              0u);
    EXPECT_TRUE(TemporariesIn(Output).empty());

    // Without sub-folders no cover is written.
    SettingsKey::Write(L"FolderFormat", L"");
    form_->Settings().LoadSettings();
    Extract();
    EXPECT_FALSE(fs::exists(Output / L"folder.jpg"));
    EXPECT_TRUE(fs::exists(Output / L"Two.mp3"));
}

// A track of the player's pictures named folder.jpg in its folder, before or
// after the other tracks there, under each policy: the track is written, the
// cover is not, and nothing the run wrote is replaced by what it writes.
TEST_F(ExtractionTest, ATrackNamedFolderJpgKeepsItsFolderFromTheCover) {
    SettingsKey::Write(L"FolderFormat", L"%artist%\\%album%");
    SettingsKey::Write(L"SaveAlbumArt", L"1");
    const std::vector<PlayerTrack> tracks{
        {u"Two", "F00\\B.mp3", 2, true, u"Lights", 0, u"Harbour", 7},
        {u"FOLDER", "F00\\P.JPG", 1, true, u"Lights", 0, u"Harbour", 7},
        {u"Four", "F00\\D.mp3", 4, true, u"Tide", 0, u"Harbour", 7},
    };
    LoadPlayer(tracks, {},
               artwork::BuildStore(
                   {{7, 0, {artwork::Stored(1060, 320, artwork::SolidImage(320, 320, 0))}}}));
    for (const wchar_t* policy : {L"0", L"1", L"2"}) {
        for (const bool byNumber : {false, true}) {
            SCOPED_TRACE(std::to_string(policy[0] - L'0') + (byNumber ? " by number" : ""));
            for (const auto& entry : fs::directory_iterator(Output)) {
                fs::remove_all(entry.path());
            }
            SettingsKey::Write(L"OverwriteFiles", policy);
            form_->Settings().LoadSettings();
            if (byNumber) {  // the track named folder.jpg first
                Command(ID_SORT_TRACKNUMBER);
            }
            EXPECT_EQ(ExtractAnswering({}), std::vector<std::wstring>{});
            EXPECT_EQ(ReadAll(Output / L"Harbour\\Lights\\FOLDER.JPG"), Contents(tracks[1]));
            EXPECT_EQ(JpegSize(Output / L"Harbour\\Tide\\folder.jpg"), std::pair(320, 320));
            EXPECT_EQ(FilesIn(Output).size(), 4u);
        }
    }
    EXPECT_TRUE(boxes_.Requests().empty());
}

// Esc stops a run once the copy under way is in place.
TEST_F(ExtractionTest, EscStopsTheRunAfterTheCopyUnderWay) {
    const std::vector<PlayerTrack> tracks{
        {u"A", "F00\\A.mp3"}, {u"B", "F00\\B.mp3"}, {u"C", "F00\\C.mp3"}};
    LoadPlayer(tracks);
    SettingsKey::Write(L"OverwriteFiles", L"2");
    form_->Settings().LoadSettings();
    WriteAll(Output / L"B.mp3", "old");
    HWND list = form_->TrackList();
    WhenWindowShows prompt(
        L"Trackhaul",
        [&](HWND dialog) {
            SendMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
            PressButton(dialog, IDC_BTNYES);
        },
        WhenWindowShows::Repeat::Once, L"#32770");
    Extract();
    EXPECT_EQ(FilesIn(Output),
              (Files{{L"A.mp3", Contents(tracks[0])}, {L"B.mp3", Contents(tracks[1])}}));
    ExpectRunEnded();
    SettingsKey::Write(L"OverwriteFiles", L"1");
    form_->Settings().LoadSettings();
    Extract();  // the next run is not stopped
    EXPECT_EQ(FilesIn(Output).size(), 3u);
}

// Rated MP3s longer than the start their new tag is made from are copied
// behind that tag in one pass: one without a tag, every byte of the
// player's file after it; one whose tag's padding takes the ratings, its
// length and its audio where they were. Both keep the player's file's time,
// a read-only one too. A track passed by (its name is taken, under "Never
// Overwrite") leaves its new tag to nobody.
TEST_F(ExtractionTest, RatedMp3sAreCopiedWholeBehindTheirNewTags) {
    const fs::path fixtures(TRACKHAUL_TAG_FIXTURES);
    const std::string frames = ReadAll(fixtures / "untagged.mp3");
    const std::string padded = ReadAll(fixtures / "id3v23-padded.mp3");
    std::vector<PlayerTrack> tracks{
        {u"Long", "F00\\LONG.mp3"}, {u"Taken", "F00\\TAKEN.mp3"}, {u"Padded", "F00\\PADDED.mp3"}};
    for (PlayerTrack& track : tracks) {
        track.Bytes = LongMp3(&track == &tracks[0] ? "" : padded);
        track.Rating = &track == &tracks[1] ? 20 : 80;
    }
    SettingsKey::Write(L"WriteRatings", L"1");
    SettingsKey::Write(L"OverwriteFiles", L"1");
    std::ofstream(Output / L"Taken.mp3") << "before";
    LoadPlayer(tracks);
    const fs::path readOnly = PlayerMusic / L"Music\\F00\\PADDED.mp3";
    fs::last_write_time(readOnly, fs::last_write_time(readOnly) - std::chrono::hours(24 * 365));
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    Extract([](HWND dialog) { PressButton(dialog, IDCANCEL); });  // the tags made go unused
    EXPECT_EQ(FilesIn(Output).size(), 1u);
    Extract();
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    const std::string copy = ReadAll(Output / L"Long.mp3");
    ASSERT_GT(copy.size(), tracks[0].Bytes.size());
    EXPECT_TRUE(copy.starts_with("ID3"));
    EXPECT_TRUE(copy.ends_with(tracks[0].Bytes)) << "the audio was not copied whole";
    const size_t audioStart = padded.size() - frames.size();
    const std::string taggedCopy = ReadAll(Output / L"Padded.mp3");
    EXPECT_EQ(taggedCopy.size(), tracks[2].Bytes.size());
    EXPECT_EQ(taggedCopy.substr(audioStart), tracks[2].Bytes.substr(audioStart));
    EXPECT_NE(taggedCopy.find(std::string("FMPS_Rating") + '\0' + "0.8"), std::string::npos);
    EXPECT_EQ(ReadAll(Output / L"Taken.mp3"), "before");
    EXPECT_EQ(fs::last_write_time(Output / L"Padded.mp3"), fs::last_write_time(readOnly));
    EXPECT_TRUE(boxes_.Requests().empty());
}

// The player's photo albums: photos 5 and 6, each with a picture in a file
// of its own size, and `more`, in `albums`.
void WritePhotoAlbums(const std::vector<artwork::Entry>& more,
                      const std::vector<artwork::Album>& albums) {
    std::vector<artwork::Entry> photos{
        {5, 0, {artwork::Stored(1087, 384, artwork::SolidImage(384, 288, 0x336699))}},
        {6, 0, {artwork::Stored(1066, 64, artwork::SolidImage(64, 48, 0x993366))}}};
    photos.insert(photos.end(), more.begin(), more.end());
    fs::create_directories(L"F:\\Photos");
    ASSERT_TRUE(
        artwork::WriteStore("F:\\Photos\\", artwork::BuildStore(photos, albums), "Photo Database"));
}

// Between operations the status bar counts the photos of the player that
// is open; without any, Extract Photos says so.
TEST_F(ExtractionTest, ThePhotosOfThePlayerAreCountedAndNeededToExtractThem) {
    const fs::path photos = L"F:\\Photos";
    WritePhotoAlbums({}, {{u"", 1, {5, 6}}});
    LoadPlayer({{u"A", "F00\\A.mp3"}});
    EXPECT_EQ(Status(2), L"2 photos");
    fs::remove_all(photos);
    Command(ID_FILE_CLOSE);
    EXPECT_EQ(Status(2), L"");
    WhenWindowShows device(L"Select Your iPod", [](HWND dialog) { PressButton(dialog, IDOK); });
    Command(ID_FILE_OPEN);
    EXPECT_EQ(Status(2), L"");
    MessageBoxRecorder boxes;
    Command(ID_FILE_EXTRACT_PHOTOS);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].Text, L"There are no photos to extract.");
}

// A player of photos and no track: its photos are counted and saved, each
// once an album however often the album lists it; photos without any
// picture are passed over and counted in one box at the end; a photo whose
// file went away since fails alone, the photo before it still saved.
TEST_F(ExtractionTest, PhotosWithoutTracksAreSavedOnceAnAlbumAndThoseWithoutAPicturePassedOver) {
    const fs::path photos = L"F:\\Photos";
    WritePhotoAlbums({{7, 0, {}}, {8, 0, {}}},
                     {{u"", 1, {5, 6, 7, 8}}, {u"Trip", 2, {5, 5, 6, 7, 5}}});
    LoadPlayer({});
    ASSERT_EQ(boxes_.Requests().size(), 1u);
    EXPECT_EQ(boxes_.Requests()[0].Text, L"iPod database is empty.");
    EXPECT_EQ(Status(2), L"4 photos");
    std::vector<fs::path> smallFrames;
    for (const auto& entry : fs::recursive_directory_iterator(photos)) {
        if (entry.path().filename().wstring().find(L"1066") != std::wstring::npos) {
            smallFrames.push_back(entry.path());
        }
    }
    ASSERT_EQ(smallFrames.size(), 1u);
    fs::remove(smallFrames[0]);

    MessageBoxRecorder boxes(IDYES);
    WhenWindowShows dialog(FolderDialogCaption, [](HWND shown) { PressButton(shown, IDOK); });
    Command(ID_FILE_EXTRACT_PHOTOS);
    fs::remove_all(photos);
    const Files saved = FilesIn(Output);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved.begin()->first, fs::path(L"Trip") / L"001.jpg");
    ASSERT_EQ(boxes.Requests().size(), 2u);
    EXPECT_NE(boxes.Requests()[0].Text.find((Output / L"Trip" / L"002.jpg").wstring()),
              std::wstring::npos);
    EXPECT_EQ(boxes.Requests()[1].Text,
              L"2 photo(s) were passed over: the iPod keeps no picture of them that can be read, "
              L"neither an original nor a stored one.");
    EXPECT_EQ(Status(), L"Trackhaul Ready");
}

// An album of more photos than are encoded ahead of the run, two of them
// saved before: a cancelled folder dialog saves nothing; Cancel in the
// prompt for the first old one ends the run with the photo before in place
// and no temporary file left; under "Never Overwrite" every new file is its
// own photo's picture, the old ones stay as they are.
TEST_F(ExtractionTest, EveryPhotoOfALongAlbumIsSavedUnderItsOwnNumber) {
    constexpr int kPhotos = JpegsAhead::kAhead + 6;
    const auto sizeOf = [](int photo) { return std::pair(10 + photo % 50, 10 + photo / 50); };
    std::vector<artwork::Entry> album;
    std::vector<uint32_t> members;
    for (int photo = 0; photo < kPhotos; ++photo) {
        const auto [width, height] = sizeOf(photo);
        members.push_back(static_cast<uint32_t>(100 + photo));
        album.push_back(
            {members.back(),
             0,
             {artwork::Stored(1066, 64, artwork::SolidImage(width, height, 0x669933))}});
    }
    WritePhotoAlbums(album, {{u"", 1, members}, {u"Long", 2, members}});
    LoadPlayer({{u"A", "F00\\A.mp3"}});
    const fs::path folder = Output / L"Long";
    const auto nameOf = [&](int photo) {
        wchar_t name[16];
        swprintf(name, 16, L"%03d.jpg", photo + 1);
        return folder / name;
    };
    {
        WhenWindowShows dialog(FolderDialogCaption,
                               [](HWND shown) { PressButton(shown, IDCANCEL); });
        Command(ID_FILE_EXTRACT_PHOTOS);
        EXPECT_TRUE(FilesIn(Output).empty());
    }
    fs::create_directories(folder);
    for (int old : {1, kPhotos - 4}) {
        WriteAll(nameOf(old), "old");
    }
    for (const wchar_t* policy : {L"2", L"1"}) {  // Always Prompt, then Never Overwrite
        SettingsKey::Write(L"OverwriteFiles", policy);
        form_->Settings().LoadSettings();
        WhenWindowShows prompt(
            L"Trackhaul", [](HWND shown) { PressButton(shown, IDC_BTNCANCEL); },
            WhenWindowShows::Repeat::Once, L"#32770");
        WhenWindowShows dialog(FolderDialogCaption, [](HWND shown) { PressButton(shown, IDOK); });
        Command(ID_FILE_EXTRACT_PHOTOS);
        if (policy[0] == L'2') {
            ASSERT_TRUE(prompt.Shown());
            EXPECT_EQ(FilesIn(folder).size(), 3u) << "more than the photo before the prompt";
            EXPECT_EQ(JpegSize(nameOf(0)), sizeOf(0));
        }
    }
    for (int photo = 0; photo < kPhotos; ++photo) {
        SCOPED_TRACE(photo);
        if (photo == 1 || photo == kPhotos - 4) {
            EXPECT_EQ(ReadAll(nameOf(photo)), "old");
        } else {
            EXPECT_EQ(JpegSize(nameOf(photo)), sizeOf(photo));
        }
    }
    EXPECT_EQ(Status(), L"Trackhaul Ready");
}

TEST_F(ExtractionTest, FolderDialogOpensOnTheDocumentsWithoutAnExistingLastFolder) {
    LoadPlayer({{u"Trackhaul Documents Test", "F00\\DOC.mp3"}});
    const std::wstring documents = *win::PathOfItem(win::DocumentsFolderItem(nullptr).get());
    const fs::path expected = fs::path(documents) / L"Trackhaul Documents Test.mp3";
    for (const wchar_t* stored : {L"", L"C:\\no such folder"}) {
        SCOPED_TRACE(std::string(stored, stored + wcslen(stored)));
        form_->Settings().SetExtractPath(win::Utf16FromWide(stored));
        Extract();
        EXPECT_TRUE(fs::exists(expected));
        EXPECT_EQ(SettingsKey::Read(L"ExtractPath"), documents);
        fs::remove(expected);
    }
}

TEST_F(ExtractionTest, NothingIsCopiedWithoutASelectionAFolderOrOffThePlayer) {
    LoadPlayer({{u"Song", "F00\\AAAA.mp3"}});
    const struct {
        const char* name;
        bool selected;
        std::wstring storedFolder;
        std::function<void(HWND)> folderDialog;
        std::vector<std::wstring> messages;
    } cases[] = {
        {"nothing selected",
         false,
         Output.wstring(),
         nullptr,
         {L"Please select tracks to extract."}},
        {"dialog cancelled", true, Output.wstring(), [](HWND d) { PressButton(d, IDCANCEL); }, {}},
        {"folder on the player",
         true,
         L"F:\\iPod_Control",
         [](HWND d) { PressButton(d, IDOK); },
         {L"Tracks cannot be extracted onto the iPod itself. Please choose a folder on another "
          L"drive."}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        Command(test.selected ? ID_EDIT_ALL : ID_EDIT_NONE);
        SettingsKey::Write(L"ExtractPath", test.storedFolder);
        form_->Settings().LoadSettings();
        form_->SetStatusText("Loaded total 1 song(s)");
        MessageBoxRecorder boxes;
        Extract(test.folderDialog ? test.folderDialog : [](HWND) {});
        EXPECT_EQ(folderDialogShown_, test.folderDialog != nullptr);
        std::vector<std::wstring> messages;
        for (const win::MessageBoxRequest& box : boxes.Requests()) {
            messages.push_back(box.Text);
        }
        EXPECT_EQ(messages, test.messages);
        EXPECT_TRUE(FilesIn(Output).empty());
        EXPECT_EQ(SettingsKey::Read(L"ExtractPath"), test.storedFolder);
        EXPECT_EQ(Status(), L"Loaded total 1 song(s)");
    }
}

TEST_F(ExtractionTest, CommandsDuringARunWaitAndTheCloseComesAfterIt) {
    const std::vector<PlayerTrack> tracks{{u"A", "F00\\A.mp3"}, {u"B", "F00\\B.mp3"}};
    LoadPlayer(tracks);
    SettingsKey::Write(L"OverwriteFiles", L"2");
    form_->Settings().LoadSettings();
    WriteAll(Output / L"A.mp3", "old");
    HWND window = form_->Handle();
    WhenWindowShows prompt(
        L"Trackhaul",
        [&](HWND dialog) {
            for (int id : {ID_FILE_CLOSE, ID_FILE_OPEN, ID_FILE_EXTRACT, ID_SORT_TITLE}) {
                PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
            }
            PostMessageW(window, WM_CLOSE, 0, 0);
            PumpMessages();
            EXPECT_TRUE(IsWindow(window));
            PressButton(dialog, IDC_BTNYES);
        },
        WhenWindowShows::Repeat::Once, L"#32770");
    Extract();
    EXPECT_TRUE(prompt.Shown());
    EXPECT_EQ(FilesIn(Output),
              (Files{{L"A.mp3", Contents(tracks[0])}, {L"B.mp3", Contents(tracks[1])}}));
    PumpMessages();
    EXPECT_FALSE(IsWindow(window));
}

// The prompt on its own --------------------------------------------------------

TEST_F(ExtractionTest, PromptShowsThePathAndReturnsTheAnswerOfEachButton) {
    Start();
    const std::u16string path = u"C:\\\u97F3\\Rock & Roll \u041F.mp3";
    const std::pair<int, OverwriteAnswer> cases[] = {
        {IDC_BTNYES, AnswerYes},         {IDC_BTNNO, AnswerNo},
        {IDC_BTNYESALL, AnswerYesToAll}, {IDC_BTNNOALL, AnswerNoToAll},
        {IDC_BTNCANCEL, AnswerCancel},   {IDCANCEL, AnswerCancel},  // close box
    };
    for (const auto& [button, answer] : cases) {
        std::vector<std::wstring> texts;
        SIZE client{};
        WhenWindowShows prompt(
            L"Trackhaul",
            [&](HWND dialog) {
                texts.push_back(PathLine(dialog));
                for (int id : {IDC_LABEL1_QUESTION, IDC_BTNYES, IDC_BTNNO, IDC_BTNYESALL,
                               IDC_BTNNOALL, IDC_BTNCANCEL}) {
                    texts.push_back(win::WindowText(GetDlgItem(dialog, id)));
                }
                RECT area{};
                GetClientRect(dialog, &area);
                client = {area.right, area.bottom};
                if (button == IDCANCEL) {
                    SendMessageW(dialog, WM_CLOSE, 0, 0);
                } else {
                    PressButton(dialog, button);
                }
            },
            WhenWindowShows::Repeat::Once, L"#32770");
        EXPECT_EQ(form_->OverwritePrompt().AskOverwrite(path), answer);
        EXPECT_EQ(texts, (std::vector<std::wstring>{
                             win::WideFromUtf16(path), L"File already exists.  Overwirte?", L"&Yes",
                             L"&No", L"&Yes to All", L"N&o to All", L"&Cancel"}));
        EXPECT_EQ(client.cx, 506);
        EXPECT_EQ(client.cy, 110);
    }
}

}  // namespace
