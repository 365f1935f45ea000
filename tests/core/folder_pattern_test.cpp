#include "core/folder_pattern.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "core/ansi_text.h"
#include "core/onetrack.h"
#include "core/preferences_input.h"
#include "core/settings_values.h"

namespace {

OneTrack Track(std::u16string artist, std::u16string album, std::u16string title = u"Song") {
    OneTrack track;
    track.SetTrackNumber(7);
    track.SetTitle(std::move(title));
    track.SetArtist(std::move(artist));
    track.SetAlbum(std::move(album));
    return track;
}

// The folder pattern as the settings load it from the registry.
std::string LoadedFolderFormat(const std::string& stored) {
    const SettingsValues values = LoadSettingsValues(
        {1280, 994, 1280, 1024},
        [&stored](std::string_view name) {
            return name == "FolderFormat" ? std::optional(stored) : std::nullopt;
        },
        [](std::string_view) { return std::optional<std::u16string>(); });
    return values.FolderFormat;
}

// The folder pattern as OK in the preferences takes it, or nothing when
// refused for the sub-folders box.
std::optional<std::string> TypedFolderFormat(const std::string& typed) {
    PreferencesInput input;
    input.FileFormat = "%title%";
    input.FolderFormatText = typed;
    SettingsValues settings;
    if (const std::optional<RefusedPreferences> refused = ApplyPreferencesInput(input, settings)) {
        EXPECT_EQ(refused->Refused, RefusedPreferences::Field::FolderFormat);
        EXPECT_EQ(refused->Message, InvalidFolderFormatMessage);
        return std::nullopt;
    }
    return settings.FolderFormat;
}

// From a stored or typed pattern to the folders of one track: a refused
// pattern is read as none, and what the track's texts hold can neither add
// a level nor leave one that Windows would change or take for a device.
TEST(FolderPattern, RulesAndTheLevelsOfATrack) {
    const struct {
        const char* name;
        std::string pattern;
        OneTrack track;
        bool accepted;
        std::u16string folder;  // refused patterns read as none
    } cases[] = {
        {"none", "", Track(u"Band", u"Disc"), true, u""},
        {"artist and album", "%artist%\\%album%", Track(u"Band", u"Disc"), true, u"Band\\Disc\\"},
        {"two placeholders in one level", "%artist% - %album%", Track(u"Band", u"Disc"), true,
         u"Band - Disc\\"},
        {"placeholders in any case", "%ARTIST%\\%Album%", Track(u"Band", u"Disc"), true,
         u"Band\\Disc\\"},
        {"track number and title", "%tracknumber%\\%title%", Track(u"", u"", u"Song"), true,
         u"7\\Song\\"},
        {"unknown placeholder stays", "%year%\\%artist%", Track(u"Band", u""), true,
         u"%year%\\Band\\"},
        {"four levels", "a\\%artist%\\b\\%album%", Track(u"Band", u"Disc"), true,
         u"a\\Band\\b\\Disc\\"},
        {"Cyrillic and Japanese", "%artist%\\%album%",
         Track(u"\u041A\u0438\u043D\u043E", u"\u97F3\u697D"), true,
         u"\u041A\u0438\u043D\u043E\\\u97F3\u697D\\"},
        {"forbidden characters of values", "%artist%\\%album%",
         Track(u"AC/DC", u"Live?: <1|2> \"*\""), true, u"AC_DC\\Live__ _1_2_ ___\\"},
        {"backslash of a value adds no level", "%artist%", Track(u"Left\\Right", u""), true,
         u"Left_Right\\"},
        {"values trimmed", "%artist%\\%album%", Track(u"  Band\t", u" Disc "), true,
         u"Band\\Disc\\"},
        {"empty values", "%artist%\\%album%", Track(u"", u""), true,
         u"Unknown Artist\\Unknown Album\\"},
        {"blank values", "%artist%\\%album%", Track(u"   ", u"\t\x01"), true,
         u"Unknown Artist\\Unknown Album\\"},
        {"only dots and blanks", "%ARTIST%\\%album%", Track(u". .", u"..."), true,
         u"Unknown Artist\\Unknown Album\\"},
        {"trailing dots and blanks dropped", "%artist%\\%album%", Track(u"Band...", u"Vol. 2 . "),
         true, u"Band\\Vol. 2\\"},
        {"leading dots and blanks kept", "%artist%", Track(u".hidden", u""), true, u".hidden\\"},
        {"empty value beside text", "%artist% - %album%", Track(u"", u""), true, u" -\\"},
        {"empty level of other text", "[%artist%]\\%title%.", Track(u"Band", u"", u""), true,
         u"[Band]\\_\\"},
        {"blank level of the pattern", " \\%artist%", Track(u"Band", u""), true, u"_\\Band\\"},
        {"climbing by dots", "%artist%\\%album%", Track(u"..", u".."), true,
         u"Unknown Artist\\Unknown Album\\"},
        {"climbing by dots and separators", "%artist%\\%album%",
         Track(u"..\\..\\Windows", u"../.."), true, u".._.._Windows\\.._\\"},
        {"climbing by a drive", "%artist%", Track(u"C:\\Windows", u""), true, u"C__Windows\\"},
        {"dots as a level of the pattern", "%artist%\\..", Track(u"Band", u""), true, u"Band\\_\\"},
        {"device names", "%artist%\\%album%", Track(u"CON", u"nul.txt"), true,
         u"Unknown Artist\\Unknown Album\\"},
        {"device names once trailing blanks go", "%artist%\\%album%", Track(u"com1 ", u"Aux.  "),
         true, u"Unknown Artist\\Unknown Album\\"},
        {"device name of other text", "%artist%%album%", Track(u"LP", u"T1"), true, u"_\\"},
        {"names that only hold a device name", "%artist%\\%album%", Track(u"CONSOLE", u"COM10"),
         true, u"CONSOLE\\COM10\\"},
        {"five levels", "a\\b\\c\\d\\%artist%", Track(u"Band", u""), false, u""},
        {"leading backslash", "\\%artist%", Track(u"Band", u""), false, u""},
        {"trailing backslash", "%artist%\\", Track(u"Band", u""), false, u""},
        {"lone backslash", "\\", Track(u"Band", u""), false, u""},
        {"empty level", "%artist%\\\\%album%", Track(u"Band", u"Disc"), false, u""},
        {"slash", "%artist%/%album%", Track(u"Band", u"Disc"), false, u""},
        {"drive", "C:\\%artist%", Track(u"Band", u""), false, u""},
        {"asterisk", "%artist%*", Track(u"Band", u""), false, u""},
        {"question mark", "%artist%?", Track(u"Band", u""), false, u""},
        {"double quote", "\"%artist%\"", Track(u"Band", u""), false, u""},
        {"angle brackets", "<%artist%>", Track(u"Band", u""), false, u""},
        {"vertical bar", "%artist%|%album%", Track(u"Band", u""), false, u""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(IsValidFolderFormat(test.pattern), test.accepted);
        EXPECT_EQ(TypedFolderFormat(test.pattern),
                  test.accepted ? std::optional(test.pattern) : std::nullopt);
        const std::string loaded = LoadedFolderFormat(test.pattern);
        EXPECT_EQ(loaded, test.accepted ? test.pattern : "");
        EXPECT_EQ(BuildTargetFolder(Utf16FromAnsi(loaded), test.track), test.folder);
    }
}

}  // namespace
