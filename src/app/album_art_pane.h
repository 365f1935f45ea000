// The album art pane at the right of the track list: the focused row's
// picture, scaled smoothly to the pane's width with its proportions kept, or
// "No Album Art". Reading and decoding a picture waits until the focus has
// rested for a moment and no input is waiting, so that moving through the
// list with the keys never waits for it; a picture is decoded once while it
// is shown, and scaled again only when the pane's width changes.
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
    void Paint();
    // The picture scaled to the pane's width, made again when that changed.
    HBITMAP ScaledBitmap(int width);

    HWND window_ = nullptr;
    FocusedPicture focused_;
    bool waiting_ = false;  // the timer runs
    Source shown_;
    std::optional<Picture> picture_;  // as decoded
    win::UniqueBitmap scaled_;
    SIZE scaledSize_{};
};
