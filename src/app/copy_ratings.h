// A track's rating and plays written into its copy while the copy still has
// its temporary name, on the thread that finishes copies, so that a name
// never holds a half-tagged file. A copy that cannot take them stays the
// player's file byte for byte: one TagLib cannot read is left alone, one it
// leaves damaged is copied again from the player. The player's file is only
// ever read.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
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

// Copies `source`, an MP3 without an ID3v2 tag, to `target` (made anew)
// behind the tag its rating and plays make, in one pass, telling `progress`
// the bytes done and the bytes in all now and then; the copy keeps the
// player's file's time. Nothing when the file is no such MP3 (a tag there
// already, no MPEG audio): it is copied as ever. Else the system's error,
// or ERROR_SUCCESS.
std::optional<DWORD> CopyBehindNewTag(
    const OneTrack& track, const std::wstring& source, const std::wstring& target,
    const std::function<void(int64_t done, int64_t total)>& progress);
