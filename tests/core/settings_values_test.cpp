#include "core/settings_values.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/ansi_text.h"

namespace {

using Store = std::map<std::string, std::string, std::less<>>;

constexpr ScreenMetrics LargeScreen{1280, 994, 1280, 1024};

// A store backed by a map; it notes every name asked for, in order.
class FakeStore {
public:
    explicit FakeStore(Store values = {}) : values_(std::move(values)) {}

    SettingsValues Load(const ScreenMetrics& screen = LargeScreen) {
        const auto lookup = [this](std::string_view name) {
            asked_.emplace_back(name);
            const auto found = values_.find(name);
            return found == values_.end() ? std::nullopt
                                          : std::optional<std::string>(found->second);
        };
        return LoadSettingsValues(screen, lookup, [&lookup](std::string_view name) {
            const std::optional<std::string> text = lookup(name);
            return text ? std::optional(Utf16FromAnsi(*text)) : std::nullopt;
        });
    }

    const std::vector<std::string>& Asked() const { return asked_; }

private:
    Store values_;
    std::vector<std::string> asked_;
};

// A saved value's text as the narrow store above keeps it.
std::string StoredText(const StoredSetting& setting) {
    if (const auto* wide = std::get_if<std::u16string>(&setting.Text)) {
        return AnsiFromUtf16(*wide);
    }
    return std::get<std::string>(setting.Text);
}

SettingsValues LoadFrom(Store values, const ScreenMetrics& screen = LargeScreen) {
    return FakeStore(std::move(values)).Load(screen);
}

void ExpectBounds(const WindowBounds& actual, const WindowBounds& expected) {
    EXPECT_EQ(actual.Left, expected.Left);
    EXPECT_EQ(actual.Top, expected.Top);
    EXPECT_EQ(actual.Width, expected.Width);
    EXPECT_EQ(actual.Height, expected.Height);
}

TEST(SettingsValues, EmptyStoreGivesTheDefaults) {
    const SettingsValues values = LoadFrom({});
    ExpectBounds(values.Bounds, {198, 209, 884, 606});
    EXPECT_EQ(values.TrackLimit, -1);
    EXPECT_EQ(values.OverwriteFiles, AlwaysPrompt);
    EXPECT_EQ(values.FileFormat, "%tracknumber% - %title% - %artist%");
    EXPECT_EQ(values.FolderFormat, "");
    EXPECT_EQ(values.ExtractPath, u"");
    EXPECT_TRUE(values.FirstRun);
    EXPECT_TRUE(values.ShowMenuBar);
    EXPECT_TRUE(values.ShowToolbar);
    EXPECT_TRUE(values.ShowStatusBar);
    EXPECT_EQ(values.ExtraColumns, "");
    EXPECT_FALSE(values.ShowAlbumArt);
    EXPECT_FALSE(values.SaveAlbumArt);
}

TEST(SettingsValues, DefaultWindowFitsTheWorkAreaAndIsCentredOnTheScreen) {
    const struct {
        ScreenMetrics screen;
        WindowBounds expected;
    } cases[] = {
        {{1280, 994, 1280, 1024}, {198, 209, 884, 606}},
        {{800, 570, 800, 600}, {0, 15, 800, 570}},
        {{884, 606, 884, 606}, {0, 0, 884, 606}},
        {{883, 605, 1000, 700}, {58, 47, 883, 605}},
        // A work area wider than the screen (taskbar off-screen): the window
        // hangs over the left edge, rounded toward minus infinity.
        {{1000, 700, 807, 600}, {-39, -3, 884, 606}},
        // The size grows with the DPI, still within the work area.
        {{1920, 1050, 1920, 1080, 120}, {407, 161, 1105, 758}},
        {{1280, 994, 1280, 1024, 144}, {0, 57, 1280, 909}},
        {{3840, 2100, 3840, 2160, 192}, {1036, 474, 1768, 1212}},
    };
    for (const auto& [screen, expected] : cases) {
        SCOPED_TRACE(testing::Message()
                     << screen.WorkWidth << "x" << screen.WorkHeight << " in " << screen.ScreenWidth
                     << "x" << screen.ScreenHeight << " at " << screen.Dpi);
        ExpectBounds(LoadFrom({}, screen).Bounds, expected);
    }
}

TEST(SettingsValues, DefaultPositionCentresTheStoredSize) {
    const ScreenMetrics screen1024{1024, 738, 1024, 768};
    const struct {
        Store stored;
        WindowBounds expected;
    } cases[] = {
        {{{"w", "1101"}}, {-39, 81, 1101, 606}},
        {{{"h", "700"}, {"w", "500"}}, {262, 34, 500, 700}},
        {{{"h", "769"}}, {70, -1, 884, 769}},
        // Stored positions are taken as they are, even off the screen.
        {{{"x", "-5000"}, {"y", "4000"}}, {-5000, 4000, 884, 606}},
        // Extreme sizes do not overflow the centring.
        {{{"w", "-2147483648"}, {"h", "2147483647"}},
         {1073742336, -1073741440, -2147483647 - 1, 2147483647}},
    };
    for (const auto& [stored, expected] : cases) {
        ExpectBounds(LoadFrom(stored, screen1024).Bounds, expected);
    }
}

TEST(SettingsValues, TrackLimitFallsBackToAllTracksOnlyWhenUnreadable) {
    const std::pair<std::string, int32_t> cases[] = {
        {"abc", -1}, {"0", 0}, {"25", 25}, {"", -1}, {"-7", -7}, {"99999999999", -1}, {"12 ", -1},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(LoadFrom({{"TrackLimit", text}}).TrackLimit, expected);
    }
}

TEST(SettingsValues, OverwritePolicyOutsideItsRangeBecomesPrompt) {
    const std::pair<std::string, int32_t> cases[] = {
        {"7", AlwaysPrompt},    {"-1", AlwaysPrompt},          {"1", NeverOverwrite},
        {"0", AlwaysOverwrite}, {"2", AlwaysPrompt},           {"3", AlwaysPrompt},
        {"none", AlwaysPrompt}, {"-2147483648", AlwaysPrompt},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(LoadFrom({{"OverwriteFiles", text}}).OverwriteFiles, expected);
    }
}

TEST(SettingsValues, FileFormatWithAForbiddenCharacterBecomesTheDefault) {
    const std::string defaultFormat(DefaultFileFormat);
    const std::pair<std::string, std::string> cases[] = {
        {"%artist%: %title%", defaultFormat},
        {"", ""},
        {"%artist% - %title%", "%artist% - %title%"},
        {"no placeholder.", "no placeholder."},
        {"Caf\xE9 %title%", "Caf\xE9 %title%"},
        {"a\\b", defaultFormat},
        {"a/b", defaultFormat},
        {"a*b", defaultFormat},
        {"a?b", defaultFormat},
        {"a\"b", defaultFormat},
        {"a<b", defaultFormat},
        {"a>b", defaultFormat},
        {"a|b", defaultFormat},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(LoadFrom({{"FileFormat", text}}).FileFormat, expected);
    }
}

TEST(SettingsValues, ExtractPathIsTakenUnchecked) {
    EXPECT_EQ(LoadFrom({{"ExtractPath", "C:\\Music\\"}}).ExtractPath, u"C:\\Music\\");
    EXPECT_EQ(LoadFrom({{"ExtractPath", "not a *path*"}}).ExtractPath, u"not a *path*");
    EXPECT_EQ(LoadFrom({{"ExtractPath", ""}}).ExtractPath, u"");
    // The tracks' folder is the last folder of any command until an
    // extraction stores its own.
    EXPECT_EQ(LoadFrom({{"ExtractPath", "C:\\Photos"}}).MusicFolder, u"C:\\Photos");
    EXPECT_EQ(LoadFrom({{"ExtractPath", "C:\\Photos"}, {"MusicFolder", "D:\\Music"}}).MusicFolder,
              u"D:\\Music");
}

TEST(SettingsValues, BooleansAreTrueUnlessZeroAndDefaultToTrue) {
    const std::pair<std::string, bool> cases[] = {
        {"0", false},  {"1", true}, {"5", true},   {"-1", true},
        {"yes", true}, {"", true},  {"+0", false},
    };
    const std::pair<const char*, bool SettingsValues::*> flags[] = {
        {"FirstRun", &SettingsValues::FirstRun},
        {"ShowMenuBar", &SettingsValues::ShowMenuBar},
        {"ShowToolbar", &SettingsValues::ShowToolbar},
        {"ShowStatusBar", &SettingsValues::ShowStatusBar},
    };
    for (const auto& [name, field] : flags) {
        for (const auto& [text, expected] : cases) {
            SCOPED_TRACE(std::string(name) + " = " + text);
            const SettingsValues values = LoadFrom({{name, text}});
            EXPECT_EQ(values.*field, expected);
            for (const auto& [otherName, otherField] : flags) {
                if (otherField != field) {
                    EXPECT_TRUE(values.*otherField) << otherName;
                }
            }
        }
    }
}

TEST(SettingsValues, ValuesAreReadOnceEachInTheirOrder) {
    FakeStore store;
    store.Load();
    const std::vector<std::string> expected = {"w",
                                               "h",
                                               "x",
                                               "y",
                                               "TrackLimit",
                                               "OverwriteFiles",
                                               "FileFormat",
                                               "FolderFormat",
                                               "ExtractPath",
                                               "FirstRun",
                                               "ShowMenuBar",
                                               "ShowToolbar",
                                               "ShowStatusBar",
                                               "ExtraColumns",
                                               "ShowAlbumArt",
                                               "SaveAlbumArt",
                                               "WriteLibrary",
                                               "WriteRatings",
                                               "MusicFolder",
                                               "WriteHistory"};
    EXPECT_EQ(store.Asked(), expected);
}

TEST(SettingsValues, AFailingLookupStopsTheLoadAtThatValue) {
    std::vector<std::string> asked;
    const auto failOnFileFormat = [&asked](std::string_view name) -> std::optional<std::string> {
        asked.emplace_back(name);
        if (name == "FileFormat") {
            throw InvalidDataTypeError(name);
        }
        return std::nullopt;
    };
    try {
        LoadSettingsValues(LargeScreen, failOnFileFormat,
                           [](std::string_view) { return std::optional<std::u16string>(); });
        FAIL() << "the load went on";
    } catch (const SettingsError& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'FileFormat'");
    }
    EXPECT_EQ(asked.back(), "FileFormat");
    EXPECT_EQ(asked.size(), 7u);
}

TEST(SettingsValues, SaveWritesEveryTextInOrderAndEndsTheFirstRun) {
    SettingsValues values;
    values.Bounds = {-39, 15, 1101, 570};
    values.TrackLimit = -1;
    values.OverwriteFiles = NeverOverwrite;
    values.FileFormat = "";
    values.FolderFormat = "%artist%\\%album%";
    values.ExtractPath = u"C:\\\u041C\u0443\u0437\u044B\u043A\u0430";
    values.FirstRun = true;
    values.ShowMenuBar = false;
    values.ShowToolbar = true;
    values.ShowStatusBar = false;
    values.ExtraColumns = "Rating,Plays";
    values.SaveAlbumArt = true;
    values.WriteLibrary = true;

    const std::vector<std::pair<std::string, std::string>> expected = {
        {"x", "-39"},
        {"y", "15"},
        {"w", "1101"},
        {"h", "570"},
        {"TrackLimit", "-1"},
        {"OverwriteFiles", "1"},
        {"FileFormat", ""},
        {"FolderFormat", "%artist%\\%album%"},
        {"ExtractPath", "(UTF-16)"},
        {"FirstRun", "0"},
        {"ShowMenuBar", "0"},
        {"ShowToolbar", "1"},
        {"ShowStatusBar", "0"},
        {"ExtraColumns", "Rating,Plays"},
        {"ShowAlbumArt", "0"},
        {"SaveAlbumArt", "1"},
        {"WriteLibrary", "1"},
        {"WriteRatings", "0"},
        {"MusicFolder", "(UTF-16)"},
        {"WriteHistory", "0"},
    };
    std::vector<std::pair<std::string, std::string>> written;
    std::u16string extractPath;
    for (const StoredSetting& setting : SettingsToStore(values)) {
        if (const auto* wide = std::get_if<std::u16string>(&setting.Text)) {
            extractPath = setting.Name == "ExtractPath" ? *wide : extractPath;
            written.emplace_back(setting.Name, "(UTF-16)");
        } else {
            written.emplace_back(setting.Name, std::get<std::string>(setting.Text));
        }
    }
    EXPECT_EQ(written, expected);
    EXPECT_EQ(extractPath, values.ExtractPath);
}

TEST(SettingsValues, SavedTextsLoadBackToTheSameValues) {
    SettingsValues saved;
    saved.Bounds = {-2147483647 - 1, 2147483647, 0, -1};
    saved.TrackLimit = 2147483647;
    saved.OverwriteFiles = AlwaysOverwrite;
    saved.FileFormat = "%artist% - %album%";
    saved.FolderFormat = "%album%";
    saved.ExtractPath = u"D:\\Out\\";
    saved.ShowToolbar = false;
    saved.ExtraColumns = "Genre,Last Played";

    Store stored;
    for (const StoredSetting& setting : SettingsToStore(saved)) {
        stored.emplace(setting.Name, StoredText(setting));
    }
    const SettingsValues loaded = LoadFrom(stored);
    ExpectBounds(loaded.Bounds, saved.Bounds);
    EXPECT_EQ(loaded.TrackLimit, saved.TrackLimit);
    EXPECT_EQ(loaded.OverwriteFiles, saved.OverwriteFiles);
    EXPECT_EQ(loaded.FileFormat, saved.FileFormat);
    EXPECT_EQ(loaded.FolderFormat, saved.FolderFormat);
    EXPECT_EQ(loaded.ExtractPath, saved.ExtractPath);
    EXPECT_FALSE(loaded.FirstRun);
    EXPECT_TRUE(loaded.ShowMenuBar);
    EXPECT_FALSE(loaded.ShowToolbar);
    EXPECT_TRUE(loaded.ShowStatusBar);
    EXPECT_EQ(loaded.ExtraColumns, saved.ExtraColumns);
}

TEST(SettingsValues, ParseInt32AcceptsOnlySignedDecimalNumbersThatFit) {
    const std::pair<std::string, std::optional<int32_t>> cases[] = {
        {"0", 0},
        {"-1", -1},
        {"+5", 5},
        {"-0", 0},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"000000000000000000002147483647", 2147483647},
        {"99999999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"+-1", std::nullopt},
        {" 5", std::nullopt},
        {"5 ", std::nullopt},
        {"0x10", std::nullopt},
        {"$10", std::nullopt},
        {"1e3", std::nullopt},
        {"5.0", std::nullopt},
        {std::string("12\0", 3), std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseInt32(text), expected);
    }
}

TEST(SettingsValues, ForbiddenFileNameCharactersAreTheNineOfWindows) {
    for (const char forbidden : std::string("\\/:*?\"<>|")) {
        EXPECT_TRUE(ContainsForbiddenFileNameChar(std::string("x") + forbidden + "y")) << forbidden;
    }
    for (const char* allowed :
         {"", "%tracknumber% - %title%", "a.b,c;d'e[f]g(h)!", "\xE9\x80\xA6"}) {
        EXPECT_FALSE(ContainsForbiddenFileNameChar(allowed)) << allowed;
    }
}

TEST(SettingsValues, ErrorTextsNameTheValueOrKey) {
    EXPECT_STREQ(InvalidDataTypeError("ShowStatusBar").what(),
                 "Invalid data type for 'ShowStatusBar'");
    EXPECT_STREQ(FailedToSetDataError("w").what(), "Failed to set data for 'w'");
    EXPECT_STREQ(FailedToCreateKeyError("Software\\Marrowfen\\Trackhaul").what(),
                 "Failed to create key Software\\Marrowfen\\Trackhaul");
}

}  // namespace
