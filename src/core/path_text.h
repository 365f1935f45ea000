// Taking file names apart, as text.
#pragma once

#include <string>
#include <string_view>

// The folder part of a file name: everything up to and including its last
// backslash or colon ("C:\Out\list.csv" gives "C:\Out\", "C:list.csv" gives
// "C:"); empty when it has neither.
std::u16string FolderOfFileName(std::u16string_view fileName);
