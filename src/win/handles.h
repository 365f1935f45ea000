// Owners for Windows handles: each releases its handle with the matching
// system call when it goes, so no handle outlives its use.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shtypes.h>

#include <memory>
#include <type_traits>

namespace win {

template <typename Handle, auto Release>
struct HandleDeleter {
    using pointer = Handle;
    void operator()(Handle handle) const {
        if (handle != nullptr) {
            Release(handle);
        }
    }
};

template <typename Handle, auto Release>
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<Handle>, HandleDeleter<Handle, Release>>;

using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;
using UniqueMenu = UniqueHandle<HMENU, DestroyMenu>;
using UniqueImageList = UniqueHandle<HIMAGELIST, ImageList_Destroy>;
using UniqueFont = UniqueHandle<HFONT, DeleteObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteObject>;
using UniqueBrush = UniqueHandle<HBRUSH, DeleteObject>;
using UniqueAccelerators = UniqueHandle<HACCEL, DestroyAcceleratorTable>;
using UniqueKey = UniqueHandle<HKEY, RegCloseKey>;
// A file opened by CreateFileW; hold nullptr, not INVALID_HANDLE_VALUE, when
// none is open.
using UniqueFile = UniqueHandle<HANDLE, CloseHandle>;
// An item identifier list that the shell allocated for the caller.
using UniqueItemIdList = UniqueHandle<LPITEMIDLIST, CoTaskMemFree>;

}  // namespace win
