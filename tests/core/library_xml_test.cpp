#include "core/library_xml.h"

#include <gtest/gtest.h>

namespace {

// The texts, dates and URLs of the library file, one row each.
TEST(LibraryXml, TextsDatesAndUrls) {
    const std::pair<std::u16string, std::string> texts[] = {
        {u"Ana & <Bo> \"q\" 'a'", "Ana &amp; &lt;Bo&gt; \"q\" 'a'"},
        {u"tab\tline\nreturn\r", "tab\tline\nreturn&#13;"},
        {u"a\x01z\x1F\uFFFE\uFFFF", "a z   "},
        {u"\u041A\u0438\u043D\u043E \U0001F3B5",
         "\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE \xF0\x9F\x8E\xB5"},
        {u"lone \xD800", "lone \xEF\xBF\xBD"},
    };
    for (const auto& [text, xml] : texts) {
        EXPECT_EQ(XmlText(text), xml);
    }
    const std::pair<uint32_t, std::string> dates[] = {
        {1, "1904-01-01T00:00:01Z"},          {2082844800, "1970-01-01T00:00:00Z"},
        {3029529600, "2000-01-01T00:00:00Z"}, {3034713599, "2000-02-29T23:59:59Z"},
        {0xFFFFFFFF, "2040-02-06T06:28:15Z"},
    };
    for (const auto& [time, iso] : dates) {
        EXPECT_EQ(IsoDate(CivilOfPlayerTime(time)), iso) << time;
    }
    const std::pair<std::u16string, std::string> urls[] = {
        {u"C:\\Music\\Ana & Bo\\First\\01 - Song.mp3",
         "file://localhost/C:/Music/Ana%20%26%20Bo/First/01%20-%20Song.mp3"},
        {u"d:\\\u042D\u043A\u0441\u043F\u043E\u0440\u0442\\a:b#?%~_.x",
         "file://localhost/d:/%D0%AD%D0%BA%D1%81%D0%BF%D0%BE%D1%80%D1%82/a%3Ab%23%3F%25~_.x"},
        {u"/home/ana/M\u00FAsica/", "file:///home/ana/M%C3%BAsica/"},
    };
    for (const auto& [path, url] : urls) {
        EXPECT_EQ(FileUrl(path), url);
    }
}

}  // namespace
