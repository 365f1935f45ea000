// A track's rating and plays written into its copy while the copy still has
// its temporary name, on the thread that finishes copies, so that a name
// never holds a half-tagged file. A copy that cannot take them stays the
// player's file byte for byte: one TagLib cannot read is left alone, one it
// leaves damaged is copied again from the player. The player's file is only
// ever read.
#pragma once

#include <windows.h>

#include <string>

#include "core/rating_values.h"

class CopyRatings {
public:
    // For the track whose file on the player is `source`.
    CopyRatings(const OneTrack& track, std::wstring source);

    // Writes them into the copy at `temporary`: the system's error when the
    // copy had to be made again and that failed, else ERROR_SUCCESS.
    DWORD WriteInto(const std::wstring& temporary);
    // Whether the copy took them; valid once WriteInto returned.
    bool Taken() const { return taken_; }

private:
    RatingConvention convention_;
    RatingAndPlays values_;
    std::wstring source_;
    bool taken_ = false;
};
