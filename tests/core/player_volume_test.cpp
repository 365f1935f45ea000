#include "core/player_volume.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "core/hfs_plus_volume.h"
#include "core/volume_names.h"
#include "fat_image_builder.h"
#include "hfs_image_builder.h"

namespace {

hfs::Bytes Pattern(size_t size, uint8_t seed) {
    hfs::Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + seed + i / 251);
    }
    return bytes;
}

std::shared_ptr<BlockSource> InMemory(hfs::Bytes bytes) {
    return std::make_shared<MemoryBlockSource>(std::move(bytes));
}

hfs::Bytes ReadAll(PlayerFiles& volume, std::u16string_view path) {
    std::unique_ptr<PlayerFile> file = volume.Open(path);
    if (!file) {
        return {};
    }
    hfs::Bytes bytes(static_cast<size_t>(file->Size()));
    EXPECT_TRUE(file->ReadAt(0, bytes.size(), bytes.data()));
    return bytes;
}

std::vector<std::u16string> Names(PlayerFiles& volume, std::u16string_view folder) {
    std::vector<std::u16string> names;
    for (const PlayerFileEntry& entry :
         volume.ListFolder(folder).value_or(std::vector<PlayerFileEntry>{})) {
        names.push_back(entry.Name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(VolumeNames, ComposedForShowingAndFoldedForFinding) {
    const struct {
        std::u16string Stored, Composed, Key;
    } cases[] = {
        {u"Cafe\u0301.mp3", u"Caf\u00E9.mp3", u"caf\u00E9.mp3"},
        {u"e\u0323\u0302", u"\u1EC7", u"\u1EC7"},       // two marks, one after the other
        {u"\u1112\u1161\u11AB", u"\uD55C", u"\uD55C"},  // a Hangul syllable from its letters
        {u"\u00C5NGSTR\u00D6M", u"\u00C5NGSTR\u00D6M", u"\u00E5ngstr\u00F6m"},
        {u"\u0391\u0301\u0398\u0397\u041D\u0410", u"\u0386\u0398\u0397\u041D\u0410",
         u"\u03AC\u03B8\u03B7\u043D\u0430"},
        {u"a\u0308\u0301x", u"\u00E4\u0301x", u"\u00E4\u0301x"},  // no letter for both marks
        {u"iPod_Control", u"iPod_Control", u"ipod_control"},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(ComposedName(row.Stored), row.Composed);
        EXPECT_EQ(NameKey(row.Stored), row.Key);
        EXPECT_EQ(NameKey(row.Composed), row.Key);
    }
}

// A player's files as the Mac stores them: decomposed names, a long file
// in many runs, a catalog of many leaves.
std::vector<hfs::File> MacPlayerFiles() {
    // Written 2006-03-04 05:06:07 UTC.
    return {{u"iPod_Control/iTunes/iTunesDB", Pattern(3000, 1), 1, 3224293567u},
            {u"iPod_Control/Music/F00/ABCD.mp3", Pattern(20 * 512 + 77, 2), 20},
            {u"iPod_Control/Music/F00/Cafe\u0301.m4a", Pattern(512, 3), 1},
            {u"iPod_Control/Music/F01/EMPTY.mp3", {}, 1},
            {u"Notes/\u1112\u1161\u11AB.txt", Pattern(10, 4), 1}};
}

TEST(HfsPlusVolume, ReadsWhatTheMacWroteWhateverTheTreesShape) {
    const struct {
        const char* Shape;
        hfs::Options Options;
    } shapes[] = {
        {"one leaf", {}},
        {"leaves under an index node", {u"POD", false, 3, false}},
    };
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.Shape);
        std::unique_ptr<PlayerFiles> volume =
            OpenPlayerVolume(InMemory(hfs::Volume(MacPlayerFiles(), shape.Options)));
        ASSERT_TRUE(volume);
        EXPECT_EQ(volume->VolumeName(), u"POD");
        EXPECT_EQ(ReadAll(*volume, u"iPod_Control/iTunes/iTunesDB"), Pattern(3000, 1));
        const std::optional<WrittenTime> written =
            volume->Open(u"iPod_Control/iTunes/iTunesDB")->LastWritten();
        ASSERT_TRUE(written);
        EXPECT_EQ(written->Seconds, 1141448767);
        EXPECT_FALSE(written->Local);
        EXPECT_EQ(ReadAll(*volume, u"\\IPOD_CONTROL\\music\\f00\\abcd.MP3"),
                  Pattern(20 * 512 + 77, 2));
        EXPECT_EQ(ReadAll(*volume, u"iPod_Control/Music/F00/CAF\u00C9.M4A"), Pattern(512, 3));
        ASSERT_TRUE(volume->Open(u"iPod_Control/Music/F01/EMPTY.mp3"));
        EXPECT_EQ(volume->Open(u"iPod_Control/Music/F01/EMPTY.mp3")->Size(), 0u);
        EXPECT_EQ(Names(*volume, u""), (std::vector<std::u16string>{u"Notes", u"iPod_Control"}));
        EXPECT_EQ(Names(*volume, u"iPod_Control/Music/F00"),
                  (std::vector<std::u16string>{u"ABCD.mp3", u"Caf\u00E9.m4a"}));
        EXPECT_EQ(Names(*volume, u"Notes"), (std::vector<std::u16string>{u"\uD55C.txt"}));
        EXPECT_FALSE(volume->Open(u"iPod_Control/Music"));  // a folder is no file
        EXPECT_FALSE(volume->Open(u"iPod_Control/Music/F00/ABCD.mp3/x"));
        EXPECT_FALSE(volume->ListFolder(u"iPod_Control/iTunes/iTunesDB"));
        EXPECT_FALSE(volume->ListFolder(u"Nowhere"));
    }
}

TEST(HfsPlusVolume, ReadsAFileAcrossItsRunsAtAnyOffset) {
    std::unique_ptr<PlayerFiles> volume = OpenPlayerVolume(InMemory(hfs::Volume(MacPlayerFiles())));
    ASSERT_TRUE(volume);
    std::unique_ptr<PlayerFile> file = volume->Open(u"iPod_Control/Music/F00/ABCD.mp3");
    ASSERT_TRUE(file);
    const hfs::Bytes whole = Pattern(20 * 512 + 77, 2);
    for (const auto& [offset, count] : std::vector<std::pair<uint64_t, size_t>>{
             {0, 1}, {511, 2}, {1000, 5000}, {19 * 512, 512 + 77}, {whole.size(), 0}}) {
        hfs::Bytes part(count);
        ASSERT_TRUE(file->ReadAt(offset, count, part.data())) << offset;
        EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin() + offset)) << offset;
    }
    uint8_t byte;
    EXPECT_FALSE(file->ReadAt(whole.size(), 1, &byte));
    EXPECT_FALSE(file->ReadAt(whole.size() - 1, 2, &byte));
}

TEST(HfsPlusVolume, ACaseSensitiveVolumeKeepsNamesThatDifferOnlyInCase) {
    hfs::Options options;
    options.CaseSensitive = true;
    std::unique_ptr<PlayerFiles> volume = OpenPlayerVolume(InMemory(hfs::Volume(
        {{u"iPod_Control/a.mp3", Pattern(5, 1)}, {u"iPod_Control/A.mp3", Pattern(6, 2)}},
        options)));
    ASSERT_TRUE(volume);
    EXPECT_EQ(ReadAll(*volume, u"iPod_Control/a.mp3"), Pattern(5, 1));
    EXPECT_EQ(ReadAll(*volume, u"iPod_Control/A.mp3"), Pattern(6, 2));
    EXPECT_FALSE(volume->Open(u"IPOD_CONTROL/a.mp3"));
}

TEST(HfsPlusVolume, AJournalsTransactionsAreReadAsIfReplayed) {
    hfs::Bytes volume = hfs::Volume({{u"iPod_Control/iTunes/iTunesDB", Pattern(512, 1)}});
    const uint32_t dataBlock = hfs::FirstDataBlock(volume);
    const size_t blockNumberAt = hfs::AddJournal(volume, dataBlock, Pattern(512, 9));
    const hfs::Bytes before(volume);
    std::unique_ptr<PlayerFiles> player = OpenPlayerVolume(InMemory(volume));
    ASSERT_TRUE(player);
    EXPECT_EQ(ReadAll(*player, u"iPod_Control/iTunes/iTunesDB"), Pattern(512, 9));
    EXPECT_EQ(volume, before);  // never written back

    hfs::Bytes pointingOutside = volume;  // a block past the volume's end: no replay
    pointingOutside[blockNumberAt + 3] = 0x7F;
    player = OpenPlayerVolume(InMemory(pointingOutside));
    ASSERT_TRUE(player);
    EXPECT_EQ(ReadAll(*player, u"iPod_Control/iTunes/iTunesDB"), Pattern(512, 1));
}

// Wraps a volume in the maps a disk holds.
hfs::Bytes InAppleMap(const hfs::Bytes& volume) {
    hfs::Bytes disk(64 * 512);
    disk[0] = 'E', disk[1] = 'R', disk[2] = 2;  // 512-byte blocks
    auto entry = [&](int index, uint32_t first, uint32_t count, const char* type) {
        uint8_t* at = &disk[index * 512];
        at[0] = 'P', at[1] = 'M', at[7] = 2;
        for (int i = 0; i < 4; ++i) {
            at[8 + i] = static_cast<uint8_t>(first >> (24 - 8 * i));
            at[12 + i] = static_cast<uint8_t>(count >> (24 - 8 * i));
        }
        std::copy(type, type + std::strlen(type), at + 48);
    };
    entry(1, 1, 2, "Apple_partition_map");
    entry(2, 64, static_cast<uint32_t>(volume.size() / 512), "Apple_HFS");
    disk.insert(disk.end(), volume.begin(), volume.end());
    return disk;
}

hfs::Bytes InBootRecord(const hfs::Bytes& volume, bool guidTable) {
    hfs::Bytes disk(2048 * 512);
    disk[510] = 0x55, disk[511] = 0xAA;
    const uint32_t first = 2048, count = static_cast<uint32_t>(volume.size() / 512);
    auto putLittle = [&](size_t at, uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            disk[at + i] = static_cast<uint8_t>(value >> (8 * i));
        }
    };
    if (guidTable) {
        disk[446 + 4] = 0xEE;
        std::memcpy(&disk[512], "EFI PART", 8);
        putLittle(512 + 72, 2, 8);    // entries from block 2
        putLittle(512 + 80, 4, 4);    // four of them
        putLittle(512 + 84, 128, 4);  // 128 bytes each
        disk[1024] = 1;               // a type
        putLittle(1024 + 32, first, 8);
        putLittle(1024 + 40, first + count - 1, 8);
    } else {
        disk[446 + 4] = 0xAF;
        putLittle(446 + 8, first, 4);
        putLittle(446 + 12, count, 4);
    }
    disk.insert(disk.end(), volume.begin(), volume.end());
    return disk;
}

TEST(PlayerVolume, FindsThePlayersVolumeWhateverMapHoldsIt) {
    const hfs::Bytes volume = hfs::Volume(MacPlayerFiles());
    const struct {
        const char* Map;
        hfs::Bytes Disk;
    } disks[] = {
        {"no map", volume},
        {"the Mac's map", InAppleMap(volume)},
        {"a PC's boot record", InBootRecord(volume, false)},
        {"a GUID table", InBootRecord(volume, true)},
    };
    for (const auto& disk : disks) {
        SCOPED_TRACE(disk.Map);
        std::unique_ptr<PlayerFiles> player = OpenPlayerVolume(InMemory(disk.Disk));
        ASSERT_TRUE(player);
        EXPECT_EQ(ReadAll(*player, u"iPod_Control/iTunes/iTunesDB"), Pattern(3000, 1));
    }
    // A volume without the player's folder is not the player's.
    EXPECT_FALSE(OpenPlayerVolume(InMemory(hfs::Volume({{u"Other/x", Pattern(5, 1)}}))));

    // Named as a drive is by its letter: paths begin with the name.
    NamedVolume named("pod.img", OpenPlayerVolume(InMemory(volume)));
    EXPECT_EQ(ReadAll(named, u"pod.img\\iPod_Control\\iTunes\\iTunesDB"), Pattern(3000, 1));
    EXPECT_FALSE(named.Open(u"iPod_Control\\iTunes\\iTunesDB"));
    EXPECT_FALSE(named.Open(u"pod.imgx\\iPod_Control\\iTunes\\iTunesDB"));
    EXPECT_EQ(Names(named, u"pod.img"), (std::vector<std::u16string>{u"Notes", u"iPod_Control"}));
}

// A huge sparse disk that counts what is read of it.
class CountingZeros : public BlockSource {
public:
    uint64_t Size() const override { return 2ull << 40; }
    bool ReadAt(uint64_t offset, size_t count, uint8_t* destination) override {
        read += count;
        std::fill_n(destination, count, 0);
        return offset <= Size() && count <= Size() - offset;
    }
    std::atomic<uint64_t> read{0};
};

TEST(PlayerVolume, DamagedOrHostileDisksCostLittleAndLoadNothing) {
    auto zeros = std::make_shared<CountingZeros>();
    EXPECT_FALSE(OpenPlayerVolume(zeros));
    EXPECT_LT(zeros->read.load(), 64u * 1024);

    hfs::Options looping;
    looping.RecordsPerLeaf = 2;
    looping.LeafLinksLoop = true;
    std::unique_ptr<PlayerFiles> player =
        OpenPlayerVolume(InMemory(hfs::Volume(MacPlayerFiles(), looping)));
    if (player) {  // the walk ends at the loop, whatever it found before
        player->ListFolder(u"Nowhere");
    }
    const hfs::Bytes whole = hfs::Volume(MacPlayerFiles());
    EXPECT_FALSE(OpenPlayerVolume(InMemory(hfs::Bytes(whole.begin(), whole.begin() + 1500))));
    for (size_t cut : {whole.size() / 4, whole.size() / 2, whole.size() - 1000}) {
        player = OpenPlayerVolume(InMemory(hfs::Bytes(whole.begin(), whole.begin() + cut)));
        std::unique_ptr<PlayerFile> file =
            player ? player->Open(u"iPod_Control/Music/F00/ABCD.mp3") : nullptr;
        if (file) {  // named, but its bytes may be gone
            hfs::Bytes bytes(static_cast<size_t>(file->Size()));
            file->ReadAt(0, bytes.size(), bytes.data());
        }
    }
}

}  // namespace

namespace {

// A Windows-formatted player: long names before their short ones, a file of
// many clusters, an empty one.
std::vector<fat::Entry> PcPlayerFiles() {
    // Written 2006-03-04 05:06:08 by the clock of the machine that wrote it.
    fat::Entry database{
        "ITUNESDB   ",           u"iTunesDB", Pattern(1500, 1), {}, false, (26 << 9) | (3 << 5) | 4,
        (5 << 11) | (6 << 5) | 4};
    fat::Entry song{"ABCD    MP3", u"", Pattern(4000, 2), {}, false};
    fat::Entry accented{"CAFE    M4A", u"Caf\u00E9.m4a", Pattern(600, 3), {}, false};
    fat::Entry empty{"EMPTY   MP3", u"", {}, {}, false};
    fat::Entry music{"F00        ", u"", {}, {song, accented, empty}, true};
    fat::Entry itunes{"ITUNES     ", u"iTunes", {}, {database}, true};
    fat::Entry control{"IPOD_C~1   ", u"iPod_Control", {}, {itunes, music}, true};
    return {control};
}

void PutTableEntry(fat::Bytes& volume, uint32_t cluster, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        volume[fat::kTableOffset + cluster * 4 + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

TEST(Fat32Volume, ReadsLongAndShortNamesAndChainsOfClusters) {
    std::unique_ptr<PlayerFiles> volume = OpenPlayerVolume(InMemory(fat::Volume(PcPlayerFiles())));
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->VolumeName(), u"PODFAT");
    EXPECT_EQ(ReadAll(*volume, u"iPod_Control\\iTunes\\iTunesDB"), Pattern(1500, 1));
    const std::optional<WrittenTime> written =
        volume->Open(u"iPod_Control/iTunes/iTunesDB")->LastWritten();
    ASSERT_TRUE(written);
    EXPECT_EQ(written->Seconds, 1141448768);
    EXPECT_TRUE(written->Local);
    EXPECT_FALSE(volume->Open(u"iPod_Control/F00/ABCD.MP3")->LastWritten());  // none stored
    EXPECT_EQ(ReadAll(*volume, u"IPOD_CONTROL/F00/abcd.mp3"), Pattern(4000, 2));
    EXPECT_EQ(ReadAll(*volume, u"ipod_control/f00/CAF\u00C9.M4A"), Pattern(600, 3));
    ASSERT_TRUE(volume->Open(u"iPod_Control/F00/EMPTY.MP3"));
    EXPECT_EQ(volume->Open(u"iPod_Control/F00/EMPTY.MP3")->Size(), 0u);
    EXPECT_EQ(Names(*volume, u"iPod_Control"), (std::vector<std::u16string>{u"F00", u"iTunes"}));
    EXPECT_EQ(Names(*volume, u"iPod_Control/F00"),
              (std::vector<std::u16string>{u"ABCD.MP3", u"Caf\u00E9.m4a", u"EMPTY.MP3"}));
    EXPECT_FALSE(volume->Open(u"iPod_Control/F00"));
}

TEST(Fat32Volume, DamagedTablesAndNamesCostTheirFilesOnly) {
    const std::vector<fat::Entry> files = PcPlayerFiles();
    const uint32_t song = fat::FirstCluster(files, {"IPOD_C~1   ", "F00        ", "ABCD    MP3"});
    const uint32_t folder = fat::FirstCluster(files, {"IPOD_C~1   ", "F00        "});
    const struct {
        const char* Damage;
        uint32_t Cluster, Value;
        bool SongReads, FolderLists;
    } cases[] = {
        {"the song's chain loops back", song + 1, song, false, true},
        {"the song's chain leaves the volume", song, 0x0FFFFFF0 - 1, false, true},
        {"the song's chain ends early", song + 2, 0x0FFFFFFF, false, true},
        {"the folder's chain loops to itself", folder, folder, false, false},
        {"an unused cluster changed", 1000, 5, true, true},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.Damage);
        fat::Bytes volume = fat::Volume(files);
        if (row.Cluster < (volume.size() - fat::kTableOffset) / 4) {
            PutTableEntry(volume, row.Cluster, row.Value);
        }
        std::unique_ptr<PlayerFiles> player = OpenPlayerVolume(InMemory(volume));
        ASSERT_TRUE(player);
        EXPECT_EQ(player->Open(u"iPod_Control/F00/ABCD.MP3") != nullptr, row.SongReads);
        EXPECT_EQ(player->ListFolder(u"iPod_Control/F00").has_value(), row.FolderLists);
    }

    fat::Bytes wrongChecksum = fat::Volume(files);  // the long name is not the short one's
    const auto found =
        std::search(wrongChecksum.begin(), wrongChecksum.end(), "CAFE    M4A", "CAFE    M4A" + 11);
    ASSERT_NE(found, wrongChecksum.end());
    *(found - 32 + 13) ^= 0xFF;
    std::unique_ptr<PlayerFiles> player = OpenPlayerVolume(InMemory(wrongChecksum));
    ASSERT_TRUE(player);
    EXPECT_EQ(ReadAll(*player, u"iPod_Control/F00/CAFE.M4A"), Pattern(600, 3));
}

}  // namespace
