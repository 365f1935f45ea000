#include "path_text.h"

std::u16string FolderOfFileName(std::u16string_view fileName) {
    const size_t separator = fileName.find_last_of(u"\\:");
    if (separator == std::u16string_view::npos) {
        return {};
    }
    return std::u16string(fileName.substr(0, separator + 1));
}
