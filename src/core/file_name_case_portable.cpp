// Capitals of file names where no system table is at hand: FileNameCapital's
// alone.
#include <algorithm>

#include "file_name_case.h"

std::u16string FileNameCapitals(std::u16string_view name) {
    std::u16string capitals(name);
    std::transform(capitals.begin(), capitals.end(), capitals.begin(), FileNameCapital);
    return capitals;
}
