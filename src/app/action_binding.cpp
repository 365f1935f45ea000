#include "app/action_binding.h"

#include <string>
#include <vector>

#include "app/actions.h"

namespace {

// Item data of a menu entry with an image: the image index plus one, so that
// zero stays "no image".
ULONG_PTR ImageItemData(CommandImage image) {
    return static_cast<ULONG_PTR>(image) + 1;
}

void ApplyAction(HMENU menu, UINT position, const Action& action) {
    std::wstring text(action.Caption);
    if (!action.ShortcutText.empty()) {
        text += L'\t';
        text += action.ShortcutText;
    }
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = text.data();
    if (action.Image != CommandImage::None) {
        info.fMask |= MIIM_BITMAP | MIIM_DATA;
        info.hbmpItem = HBMMENU_CALLBACK;
        info.dwItemData = ImageItemData(action.Image);
    }
    SetMenuItemInfoW(menu, position, TRUE, &info);
}

}  // namespace

void BindActionsToMenu(HMENU menu) {
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        if (HMENU submenu = GetSubMenu(menu, position)) {
            BindActionsToMenu(submenu);
        } else if (const Action* action =
                       FindAction(static_cast<int>(GetMenuItemID(menu, position)))) {
            ApplyAction(menu, static_cast<UINT>(position), *action);
        }
    }
}

void SetMenuEntryImage(HMENU menu, UINT position, CommandImage image) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_BITMAP | MIIM_DATA;
    info.hbmpItem = HBMMENU_CALLBACK;
    info.dwItemData = ImageItemData(image);
    SetMenuItemInfoW(menu, position, TRUE, &info);
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

win::UniqueAccelerators CreateShortcutTable() {
    std::vector<ACCEL> shortcuts;
    for (const Action& action : Actions()) {
        if (action.ShortcutFlags != 0) {
            shortcuts.push_back(
                ACCEL{action.ShortcutFlags, action.ShortcutKey, static_cast<WORD>(action.Id)});
        }
    }
    return win::UniqueAccelerators(
        CreateAcceleratorTableW(shortcuts.data(), static_cast<int>(shortcuts.size())));
}
