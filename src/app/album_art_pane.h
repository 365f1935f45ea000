// The album art pane at the right of the track list: the focused row's
// picture, scaled smoothly to fit inside the pane with its proportions kept,
// or "No Album Art". What the pane holds is never larger than the pane: a
// picture of any shape costs at most the pane's own pixels. Reading and decoding a picture waits
// until the focus has rested for a moment and no input is waiting, so that moving through the list
// with the keys never waits for it; a picture is decoded once while it is shown, and scaled again
// only when the pane's size changes. A picture that cannot be read or scaled, for want of memory or
// any other reason, shows as "No Album Art".
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>

#include "core/picture.h"
#include "win/handles.h"

class ArtworkIndex;

class AlbumArtPane {
public:
    // A picture to show: its number in an artwork index; none without index
    // or with a negative number.
    struct Source {
        const ArtworkIndex* Index = nullptr;
        int32_t Number = -1;

        bool operator==(const Source&) const = default;
    };
    // Asked, when the focus has rested, for the focused row's picture.
    using FocusedPicture = std::function<Source()>;

    // The pane as a hidden child of `parent`.
    AlbumArtPane(HWND parent, FocusedPicture focused);
    AlbumArtPane(const AlbumArtPane&) = delete;
    AlbumArtPane& operator=(const AlbumArtPane&) = delete;

    HWND Handle() const { return window_; }

    // The focus has moved or the pane was opened: the focused row's picture
    // follows shortly.
    void FollowFocus();
    // The index of the picture shown is about to go: nothing is read from it
    // any more, and the pane shows "No Album Art" until the focus moves.
    void Forget();

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    void ShowFocusedPicture();
    // Lets the picture go and shows "No Album Art" until the focus moves.
    void DropPicture();
    void Paint();
    // The picture scaled to fit a box of `width` × `height`, made again
    // when that changed.
    HBITMAP ScaledBitmap(int width, int height);
    void DrawNoAlbumArt(HDC context, const RECT& client, int margin);

    HWND window_ = nullptr;
    FocusedPicture focused_;
    bool waiting_ = false;  // the timer runs
    Source shown_;
    std::optional<Picture> picture_;  // as decoded
    win::UniqueBitmap scaled_;
    SIZE scaledSize_{};
    SIZE scaledFor_{};      // the box it fits
    win::UniqueFont font_;  // for the pane's DPI
    int fontDpi_ = 0;
};
