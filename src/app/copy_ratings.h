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
#include <memory>
#include <optional>
#include <string>

#include "app/player_copy.h"
#include "core/rating_tags.h"
#include "core/rating_values.h"

class CopyRatings {
public:
    // For the track whose file on the player is `source` among `files`.
    CopyRatings(const OneTrack& track, std::shared_ptr<PlayerFiles> files, std::string source);

    // Writes them into the copy at `temporary`: the system's error when the
    // copy had to be made again and that failed, else ERROR_SUCCESS.
    DWORD WriteInto(const std::wstring& temporary);
    // Whether the copy took them; valid once WriteInto returned.
    bool Taken() const { return taken_; }

private:
    RatingConvention convention_;
    RatingAndPlays values_;
    std::shared_ptr<PlayerFiles> files_;
    std::string source_;
    bool taken_ = false;
};

// The tag a rated MP3's copy takes in front of its audio in place of the
// player's file's own, made from the file's start (TagLib renders it from
// the tag and the audio that follows it), and those bytes.
struct NewTagInFront {
    std::string Start;
    Mp3TagInFront Front;
    // The player's file, open, for a copy made behind the tag. None where
    // the tag keeps the old one's length, so that the system copies this
    // machine's file and the tag is written over the old one.
    std::unique_ptr<PlayerFile> Rest;
};

// The new tag of `track`'s file `source` among `files`; made on any thread.
// Nothing when the file is no such MP3 (no MPEG audio, a tag too large or
// odd to be rendered from the file's start): it is copied and tagged as
// ever.
std::optional<NewTagInFront> MakeNewTagInFront(const OneTrack& track, PlayerFiles& files,
                                               const std::string& source);

// Copies `source` among `files` to `target` (made anew) behind `tag`, in
// place of its own, in one pass from the open `tag.Rest`, telling
// `progress` the bytes done and the bytes in all now and then; the copy
// keeps the player's file's time. The system's error, or ERROR_SUCCESS.
DWORD CopyBehindNewTag(NewTagInFront& tag, PlayerFiles& files, const std::string& source,
                       const std::wstring& target, const CopyProgress& progress);

// Writes a tag that fits over the old one over the start of the copy at
// `path`: the system's error, or ERROR_SUCCESS.
DWORD WriteOverOldTag(const std::wstring& path, const std::string& tag);
