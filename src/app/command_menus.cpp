#include "app/command_menus.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/command_images.h"

namespace {

// A menu being filled: the place of its last entry, and its submenus by
// their titles.
struct MenuNode {
    HMENU Menu = nullptr;
    int LastPlace = 0;
    bool Separated = true;  // a separator between places of different hundreds
    std::map<std::wstring, MenuNode> Submenus;
};

// Appends an entry with `text` (and `submenu`, or the command `id`) and
// the picture `image` at `place`, after a separator where the hundreds of
// the place change.
void Append(MenuNode& node, int place, const std::wstring& text, HMENU submenu, int id, int image) {
    if (node.Separated && node.LastPlace != 0 && node.LastPlace / 100 != place / 100) {
        AppendMenuW(node.Menu, MF_SEPARATOR, 0, nullptr);
    }
    node.LastPlace = place;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING | (submenu ? MIIM_SUBMENU : MIIM_ID);
    info.dwTypeData = const_cast<wchar_t*>(text.c_str());
    info.hSubMenu = submenu;
    info.wID = static_cast<UINT>(id);
    if (image >= 0) {
        // The item data is the image's index plus one, so that zero stays
        // "no image".
        info.fMask |= MIIM_BITMAP | MIIM_DATA;
        info.hbmpItem = HBMMENU_CALLBACK;
        info.dwItemData = static_cast<ULONG_PTR>(image) + 1;
    }
    InsertMenuItemW(node.Menu, static_cast<UINT>(GetMenuItemCount(node.Menu)), TRUE, &info);
}

int ImageOf(std::wstring_view path, std::span<const SubmenuImage> submenuImages) {
    const auto found = std::find_if(submenuImages.begin(), submenuImages.end(),
                                    [&](const SubmenuImage& entry) { return entry.Menu == path; });
    return found != submenuImages.end() ? CommandImageIndex(found->Image) : -1;
}

// The submenu of `node` at `path` ("&View|&Sort List By"), made at `place`
// where it is not there yet.
MenuNode& SubmenuAt(MenuNode& node, std::wstring_view path, int place,
                    std::span<const SubmenuImage> submenuImages, std::wstring_view pathSoFar = {}) {
    if (path.empty()) {
        return node;
    }
    const size_t slash = path.find(L'|');
    const std::wstring title(path.substr(0, slash));
    const std::wstring full = pathSoFar.empty() ? title : std::wstring(pathSoFar) + L"|" + title;
    auto [child, added] = node.Submenus.try_emplace(title);
    if (added) {
        child->second.Menu = CreatePopupMenu();
        Append(node, place, title, child->second.Menu, 0, ImageOf(full, submenuImages));
    }
    return SubmenuAt(child->second, slash == std::wstring_view::npos ? L"" : path.substr(slash + 1),
                     place, submenuImages, full);
}

// Fills `root` with the commands at their places in one menu, in the order
// of the places (the table's order where they are equal).
void Fill(MenuNode& root, std::span<const Command> commands, MenuPlace Command::*where,
          std::span<const SubmenuImage> submenuImages) {
    std::vector<const Command*> placed;
    for (const Command& command : commands) {
        if ((command.*where).Place != 0) {
            placed.push_back(&command);
        }
    }
    std::stable_sort(placed.begin(), placed.end(), [where](const Command* a, const Command* b) {
        return (a->*where).Place < (b->*where).Place;
    });
    for (const Command* command : placed) {
        const MenuPlace& place = command->*where;
        std::wstring text(command->Caption);
        if (!command->ShortcutText.empty()) {
            text += L'\t';
            text += command->ShortcutText;
        }
        Append(SubmenuAt(root, place.Menu, place.Place, submenuImages), place.Place, text, nullptr,
               command->Id, CommandImageIndex(command->Image));
    }
}

}  // namespace

win::UniqueMenu BuildMainMenu(std::span<const Command> commands,
                              std::span<const SubmenuImage> submenuImages) {
    MenuNode bar;
    bar.Menu = CreateMenu();
    bar.Separated = false;  // the bar holds only the submenus
    Fill(bar, commands, &Command::MainMenu, submenuImages);
    return win::UniqueMenu(bar.Menu);
}

win::UniqueMenu BuildContextMenu(std::span<const Command> commands) {
    MenuNode popup;
    popup.Menu = CreatePopupMenu();
    Fill(popup, commands, &Command::ContextMenu, {});
    win::UniqueMenu root(CreateMenu());
    AppendMenuW(root.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup.Menu), L"PopupMenu");
    return root;
}

bool MeasureMenuImage(MEASUREITEMSTRUCT& item, HIMAGELIST images) {
    if (item.CtlType != ODT_MENU || item.itemData == 0) {
        return false;
    }
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(images, &width, &height);
    item.itemWidth = static_cast<UINT>(width);
    item.itemHeight = static_cast<UINT>(height);
    return true;
}

bool DrawMenuImage(const DRAWITEMSTRUCT& item, HIMAGELIST images) {
    if (item.CtlType != ODT_MENU || item.itemData == 0) {
        return false;
    }
    const int image = static_cast<int>(item.itemData) - 1;
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(images, &width, &height);
    const int top = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - height) / 2;
    const UINT style =
        (item.itemState & ODS_DISABLED) ? ILD_TRANSPARENT | ILD_BLEND50 : ILD_TRANSPARENT;
    ImageList_Draw(images, image, item.hDC, item.rcItem.left, top, style);
    return true;
}

win::UniqueAccelerators CreateShortcutTable(std::span<const Command> commands) {
    std::vector<ACCEL> shortcuts;
    for (const Command& command : commands) {
        if (command.ShortcutFlags != 0) {
            shortcuts.push_back(
                ACCEL{command.ShortcutFlags, command.ShortcutKey, static_cast<WORD>(command.Id)});
        }
    }
    return win::UniqueAccelerators(
        CreateAcceleratorTableW(shortcuts.data(), static_cast<int>(shortcuts.size())));
}
