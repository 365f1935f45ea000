// The settings store against the real registry of the Wine prefix the tests
// run in. Every test starts from an absent settings key.
#include "app/preferences.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace {

constexpr char KeyPath[] = "Software\\Marrowfen\\Trackhaul";
constexpr char ParentKeyPath[] = "Software\\Marrowfen";

struct RawValue {
    DWORD Type = REG_NONE;
    std::string Bytes;
};

// Runs a registry call on the settings key, opened just for it.
void WithKey(const std::function<void(HKEY)>& use) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    use(key);
    RegCloseKey(key);
}

bool KeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

void StoreRaw(const char* name, DWORD type, const std::string& bytes) {
    WithKey([&](HKEY key) {
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    });
}

void StoreText(const char* name, const std::string& text) {
    StoreRaw(name, REG_SZ, text + '\0');
}

std::optional<RawValue> ReadRaw(const char* name) {
    std::optional<RawValue> value;
    WithKey([&](HKEY key) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
            return;
        }
        std::string bytes(size, '\0');
        ASSERT_EQ(RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()),
                                   &size),
                  ERROR_SUCCESS);
        bytes.resize(size);
        value = RawValue{type, bytes};
    });
    return value;
}

DWORD ValueCount() {
    DWORD count = 0;
    WithKey([&](HKEY key) {
        ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   &count, nullptr, nullptr, nullptr, nullptr),
                  ERROR_SUCCESS);
    });
    return count;
}

// Expects every name to be stored as a string value holding exactly its text
// and a terminating zero, and nothing else to be stored.
void ExpectStoredTexts(const std::map<std::string, std::string>& expected) {
    for (const auto& [name, text] : expected) {
        const std::optional<RawValue> stored = ReadRaw(name.c_str());
        ASSERT_TRUE(stored.has_value()) << name;
        EXPECT_EQ(stored->Type, static_cast<DWORD>(REG_SZ)) << name;
        EXPECT_EQ(stored->Bytes, text + '\0') << name;
    }
    EXPECT_EQ(ValueCount(), expected.size());
}

// The window the program opens with when nothing is stored, from the real
// screen: as wide and high as the work area allows, centred on the screen.
WindowBounds DefaultBounds() {
    RECT work{};
    EXPECT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    const int32_t width = std::min<int32_t>(work.right - work.left, 884);
    const int32_t height = std::min<int32_t>(work.bottom - work.top, 606);
    return {(GetSystemMetrics(SM_CXSCREEN) - width) >> 1,
            (GetSystemMetrics(SM_CYSCREEN) - height) >> 1, width, height};
}

std::map<std::string, std::string> DefaultTexts() {
    const WindowBounds bounds = DefaultBounds();
    return {
        {"x", std::to_string(bounds.Left)},
        {"y", std::to_string(bounds.Top)},
        {"w", std::to_string(bounds.Width)},
        {"h", std::to_string(bounds.Height)},
        {"TrackLimit", "-1"},
        {"OverwriteFiles", "2"},
        {"FileFormat", "%tracknumber% - %title% - %artist%"},
        {"FolderFormat", ""},
        {"ExtractPath", ""},
        {"FirstRun", "0"},
        {"ShowMenuBar", "1"},
        {"ShowToolbar", "1"},
        {"ShowStatusBar", "1"},
        {"ExtraColumns", ""},
        {"ShowAlbumArt", "0"},
        {"SaveAlbumArt", "0"},
        {"WriteLibrary", "0"},
        {"WriteRatings", "0"},
        {"MusicFolder", ""},
        {"WriteHistory", "0"},
    };
}

void ExpectBounds(const WindowBounds& actual, const WindowBounds& expected) {
    EXPECT_EQ(actual.Left, expected.Left);
    EXPECT_EQ(actual.Top, expected.Top);
    EXPECT_EQ(actual.Width, expected.Width);
    EXPECT_EQ(actual.Height, expected.Height);
}

class Preferences : public testing::Test {
protected:
    void SetUp() override {
        RegDeleteKeyA(HKEY_CURRENT_USER, KeyPath);
        ASSERT_FALSE(KeyExists());
    }
};

TEST_F(Preferences, EmptyKeyGivesTheDefaultsAndStaysEmpty) {
    const TPreferencesForm settings(nullptr);

    ExpectBounds(settings.GetWindowBounds(), DefaultBounds());
    EXPECT_EQ(settings.GetTrackLimit(), -1);
    EXPECT_EQ(settings.GetOverwriteFiles(), AlwaysPrompt);
    EXPECT_EQ(settings.GetFileFormat(), "%tracknumber% - %title% - %artist%");
    EXPECT_EQ(settings.GetFolderFormat(), "");
    EXPECT_EQ(settings.GetExtractPath(), u"");
    EXPECT_TRUE(settings.GetFirstRun());
    EXPECT_TRUE(settings.GetShowMenuBar());
    EXPECT_TRUE(settings.GetShowToolbar());
    EXPECT_TRUE(settings.GetShowStatusBar());
    EXPECT_FALSE(settings.GetShowAlbumArt());
    EXPECT_FALSE(settings.Values().SaveAlbumArt);
    EXPECT_FALSE(settings.Values().WriteLibrary);
    EXPECT_FALSE(settings.Values().WriteRatings);

    // Loading creates the key but writes nothing into it.
    EXPECT_TRUE(KeyExists());
    EXPECT_EQ(ValueCount(), 0u);
}

TEST_F(Preferences, StoredTextsAreReadWithTheirRules) {
    StoreText("w", "1101");
    StoreText("h", "500");
    StoreText("TrackLimit", "0");
    StoreText("OverwriteFiles", "7");
    StoreText("FileFormat", "");
    StoreText("FolderFormat", "%artist%\\Caf\xE9 %album%");
    StoreText("ExtractPath", "C:\\Music\\Caf\xE9");
    StoreText("FirstRun", "0");
    StoreText("ShowMenuBar", "0");
    StoreText("ShowToolbar", "yes");
    StoreText("ShowStatusBar", "5");
    StoreText("ShowAlbumArt", "1");
    StoreText("SaveAlbumArt", "-1");
    StoreText("WriteLibrary", "1");
    StoreText("WriteRatings", "1");

    const TPreferencesForm settings(nullptr);

    ExpectBounds(settings.GetWindowBounds(),
                 {(GetSystemMetrics(SM_CXSCREEN) - 1101) >> 1,
                  (GetSystemMetrics(SM_CYSCREEN) - 500) >> 1, 1101, 500});
    EXPECT_EQ(settings.GetTrackLimit(), 0);
    EXPECT_EQ(settings.GetOverwriteFiles(), AlwaysPrompt);
    EXPECT_EQ(settings.GetFileFormat(), "");
    EXPECT_EQ(settings.GetFolderFormat(), "%artist%\\Caf\xE9 %album%");
    EXPECT_EQ(settings.GetExtractPath(), u"C:\\Music\\Caf\u00E9");
    EXPECT_FALSE(settings.GetFirstRun());
    EXPECT_FALSE(settings.GetShowMenuBar());
    EXPECT_TRUE(settings.GetShowToolbar());
    EXPECT_TRUE(settings.GetShowStatusBar());
    EXPECT_TRUE(settings.GetShowAlbumArt());
    EXPECT_TRUE(settings.Values().SaveAlbumArt);
    EXPECT_TRUE(settings.Values().WriteLibrary);
    EXPECT_TRUE(settings.Values().WriteRatings);
    // Unusable values are not repaired in the store at load time.
    EXPECT_EQ(ReadRaw("OverwriteFiles")->Bytes, std::string("7", 2));
    EXPECT_EQ(ValueCount(), 15u);
}

TEST_F(Preferences, UnusablePatternsAreReadAsTheDefaultAndFolderPatternsAsNone) {
    StoreText("FileFormat", "%artist%: %title%");
    StoreText("FolderFormat", "%artist%\\\\%album%");
    const TPreferencesForm settings(nullptr);
    EXPECT_EQ(settings.GetFileFormat(), "%tracknumber% - %title% - %artist%");
    EXPECT_EQ(settings.GetFolderFormat(), "");
    EXPECT_EQ(ReadRaw("FolderFormat")->Bytes, std::string("%artist%\\\\%album%", 18));
}

TEST_F(Preferences, SaveStoresEveryValueAsTextAndEndsTheFirstRunOnlyInTheStore) {
    TPreferencesForm settings(nullptr);
    ASSERT_TRUE(settings.GetFirstRun());

    settings.SetWindowBounds(-39, 15, 1101, 570);

    std::map<std::string, std::string> expected = DefaultTexts();
    expected["x"] = "-39";
    expected["y"] = "15";
    expected["w"] = "1101";
    expected["h"] = "570";
    ExpectStoredTexts(expected);
    EXPECT_TRUE(settings.GetFirstRun());
    ExpectBounds(settings.GetWindowBounds(), {-39, 15, 1101, 570});
}

TEST_F(Preferences, EverySetterWritesTheWholeSet) {
    const struct {
        const char* setter;
        std::function<void(TPreferencesForm&)> change;
        std::map<std::string, std::string> changedTexts;
    } cases[] = {
        {"SetExtractPath",
         [](TPreferencesForm& s) { s.SetExtractPath(u"D:\\Out\\"); },
         {{"ExtractPath", "D:\\Out\\"}}},
        {"SetMusicFolder",
         [](TPreferencesForm& s) { s.SetMusicFolder(u"D:\\Music"); },
         {{"MusicFolder", "D:\\Music"}}},
        {"SetShowMenuBar",
         [](TPreferencesForm& s) { s.SetShowMenuBar(false); },
         {{"ShowMenuBar", "0"}}},
        {"SetShowToolbar",
         [](TPreferencesForm& s) { s.SetShowToolbar(false); },
         {{"ShowToolbar", "0"}}},
        {"SetShowStatusBar",
         [](TPreferencesForm& s) { s.SetShowStatusBar(false); },
         {{"ShowStatusBar", "0"}}},
        {"SetShowAlbumArt",
         [](TPreferencesForm& s) { s.SetShowAlbumArt(true); },
         {{"ShowAlbumArt", "1"}}},
        {"SetWindowBounds",
         [](TPreferencesForm& s) { s.SetWindowBounds(1, 2, 3, 4); },
         {{"x", "1"}, {"y", "2"}, {"w", "3"}, {"h", "4"}}},
        {"SetExtraColumns",
         [](TPreferencesForm& s) { s.SetExtraColumns("Rating,Plays"); },
         {{"ExtraColumns", "Rating,Plays"}}},
    };
    for (const auto& [setter, change, changedTexts] : cases) {
        SCOPED_TRACE(setter);
        RegDeleteKeyA(HKEY_CURRENT_USER, KeyPath);
        TPreferencesForm settings(nullptr);
        ASSERT_EQ(ValueCount(), 0u);

        change(settings);

        std::map<std::string, std::string> expected = DefaultTexts();
        for (const auto& [name, text] : changedTexts) {
            expected[name] = text;
        }
        ExpectStoredTexts(expected);
    }
}

TEST_F(Preferences, SavedSettingsAreLoadedBackByTheNextStart) {
    // Letters outside the ANSI code page survive as typed.
    const std::u16string longPath =
        u"C:\\" + std::u16string(5000, u'a') +
        u"\\Caf\u00E9\\\u041C\u0443\u0437\u044B\u043A\u0430\\\u97F3\u697D\\";
    {
        TPreferencesForm first(nullptr);
        first.SetShowToolbar(false);
        first.SetExtractPath(longPath);
        first.SetWindowBounds(-5, -6, 700, 400);
        EXPECT_TRUE(first.GetFirstRun());
    }
    const TPreferencesForm next(nullptr);
    EXPECT_FALSE(next.GetFirstRun());
    EXPECT_FALSE(next.GetShowToolbar());
    EXPECT_TRUE(next.GetShowMenuBar());
    EXPECT_TRUE(next.GetShowStatusBar());
    EXPECT_EQ(next.GetExtractPath(), longPath);
    ExpectBounds(next.GetWindowBounds(), {-5, -6, 700, 400});
    EXPECT_EQ(next.GetTrackLimit(), -1);
    EXPECT_EQ(next.GetOverwriteFiles(), AlwaysPrompt);
}

TEST_F(Preferences, ValueOfAnotherTypeStopsConstruction) {
    const struct {
        const char* name;
        DWORD type;
        std::string bytes;
    } cases[] = {
        {"ShowStatusBar", REG_DWORD, std::string("\x01\x00\x00\x00", 4)},
        {"w", REG_BINARY, "884"},
        {"FileFormat", REG_MULTI_SZ, std::string("%title%\0\0", 9)},
        {"FolderFormat", REG_DWORD, std::string(4, '\0')},
    };
    for (const auto& [name, type, bytes] : cases) {
        SCOPED_TRACE(name);
        RegDeleteKeyA(HKEY_CURRENT_USER, KeyPath);
        StoreRaw(name, type, bytes);
        try {
            const TPreferencesForm settings(nullptr);
            ADD_FAILURE() << "construction succeeded";
        } catch (const SettingsError& error) {
            EXPECT_EQ(std::string(error.what()),
                      "Invalid data type for '" + std::string(name) + "'");
        }
    }
}

TEST_F(Preferences, ExpandableTextIsReadAsPlainText) {
    StoreRaw("ExtractPath", REG_EXPAND_SZ, std::string("%USERPROFILE%\\Music\0", 20));
    StoreRaw("TrackLimit", REG_EXPAND_SZ, std::string("12\0", 3));
    const TPreferencesForm settings(nullptr);
    EXPECT_EQ(settings.GetExtractPath(), u"%USERPROFILE%\\Music");
    EXPECT_EQ(settings.GetTrackLimit(), 12);
}

TEST_F(Preferences, StoredTextEndsAtItsFirstZeroOrWhereItsDataEnds) {
    StoreRaw("ExtractPath", REG_SZ, "C:\\Out");
    StoreRaw("TrackLimit", REG_SZ, std::string("12\0junk\0", 8));
    StoreRaw("FileFormat", REG_SZ, "");
    const TPreferencesForm settings(nullptr);
    EXPECT_EQ(settings.GetExtractPath(), u"C:\\Out");
    EXPECT_EQ(settings.GetTrackLimit(), 12);
    EXPECT_EQ(settings.GetFileFormat(), "");
}

// A volatile parent key cannot hold the lasting settings key, so it can be
// neither opened nor created.
TEST_F(Preferences, KeyThatCannotBeCreatedGivesDefaultsAndFailsEachSave) {
    RegDeleteKeyA(HKEY_CURRENT_USER, ParentKeyPath);
    HKEY parent = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, ParentKeyPath, 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &parent, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(parent);
    struct RemoveVolatileParent {
        ~RemoveVolatileParent() { RegDeleteKeyA(HKEY_CURRENT_USER, ParentKeyPath); }
    } cleanup;

    TPreferencesForm settings(nullptr);
    ExpectBounds(settings.GetWindowBounds(), DefaultBounds());
    EXPECT_TRUE(settings.GetShowToolbar());

    try {
        settings.SetShowToolbar(false);
        ADD_FAILURE() << "the save succeeded";
    } catch (const SettingsError& error) {
        EXPECT_EQ(std::string(error.what()), "Failed to create key Software\\Marrowfen\\Trackhaul");
    }
    // The change stays in effect for this run.
    EXPECT_FALSE(settings.GetShowToolbar());
    EXPECT_FALSE(KeyExists());
}

}  // namespace
