#include "core/path_text.h"

#include <gtest/gtest.h>

namespace {

TEST(PathText, FolderOfAFileNameKeepsItsLastSeparator) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"C:\\Out\\list.csv", u"C:\\Out\\"},
        {u"C:\\\u042D\u043A\u0441\u043F\u043E\u0440\u0442\\a\\b.csv",
         u"C:\\\u042D\u043A\u0441\u043F\u043E\u0440\u0442\\a\\"},
        {u"\\\\server\\share\\list.csv", u"\\\\server\\share\\"},
        {u"C:list.csv", u"C:"},
        {u"list.csv", u""},
    };
    for (const auto& [fileName, folder] : cases) {
        EXPECT_EQ(FolderOfFileName(fileName), folder);
    }
}

}  // namespace
