#include "core/preferences_input.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using Field = RefusedPreferences::Field;

std::optional<Field> RefusedField(const PreferencesInput& input) {
    const auto checked = CheckPreferencesInput(input);
    const auto* refused = std::get_if<RefusedPreferences>(&checked);
    if (refused == nullptr) {
        return std::nullopt;
    }
    EXPECT_EQ(refused->Message, refused->Refused == Field::TrackLimit ? InvalidTrackLimitMessage
                                                                      : InvalidFileFormatMessage);
    return refused->Refused;
}

TEST(PreferencesInput, TrackLimitIsAWholeNumberFromOneOn) {
    const struct {
        const char* text;
        std::optional<int32_t> limit;  // nothing: refused
    } cases[] = {
        {"25", 25},   {"1", 1},
        {"+7", 7},    {"2147483647", 2147483647},
        {"0", {}},    {"-1", {}},
        {"", {}},     {"abc", {}},
        {"12.5", {}}, {"12345678901", {}},
        {" 5", {}},   {"2147483648", {}},
    };
    for (const auto& [text, limit] : cases) {
        SCOPED_TRACE(text);
        const PreferencesInput input{false, text, "%title%", 1};
        if (!limit) {
            EXPECT_EQ(RefusedField(input), Field::TrackLimit);
            continue;
        }
        const auto accepted = std::get<AcceptedPreferences>(CheckPreferencesInput(input));
        EXPECT_EQ(accepted.TrackLimit, *limit);
        EXPECT_EQ(accepted.FileFormat, "%title%");
        EXPECT_EQ(accepted.OverwriteFiles, 1);
    }
}

TEST(PreferencesInput, AllTracksIgnoresTheLimitField) {
    const auto accepted =
        std::get<AcceptedPreferences>(CheckPreferencesInput({true, "abc", "", 0}));
    EXPECT_EQ(accepted.TrackLimit, -1);
    EXPECT_EQ(accepted.FileFormat, "");  // an empty pattern is taken as it is
}

TEST(PreferencesInput, PatternWithAForbiddenCharacterIsRefusedOnceTheLimitPasses) {
    for (const char forbidden : std::string("\\/:*?\"<>|")) {
        const std::string pattern = std::string("%artist%") + forbidden + "%title%";
        EXPECT_EQ(RefusedField({false, "25", pattern, 0}), Field::FileFormat) << forbidden;
        EXPECT_EQ(RefusedField({false, "0", pattern, 0}), Field::TrackLimit) << forbidden;
    }
    EXPECT_EQ(InvalidFileFormatMessage.size(), 57u);
}

TEST(PreferencesInput, LimitFieldAfterAClickOnLimitTracksTo) {
    EXPECT_EQ(TrackLimitFieldText(-1), "");
    EXPECT_EQ(TrackLimitFieldText(0), "");
    EXPECT_EQ(TrackLimitFieldText(50), "50");
}

}  // namespace
