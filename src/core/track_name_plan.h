// The names an extraction gives the player's tracks below the chosen folder,
// worked out once for the whole player: tracks whose patterns give one name
// (in capitals, as Windows compares names) are numbered, the first in the
// player's file order keeping it and the next getting " (2)", " (3)" and so
// on before the extension. A track's name therefore never depends on the
// list's sorting, the selection or the find box: every run, the playlists
// and the library give it the same one, and no two tracks of one run meet.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "extraction_rules.h"

class OneTrack;

class TrackNamePlan {
public:
    TrackNamePlan(const std::vector<const OneTrack*>& tracksInFileOrder,
                  std::u16string_view fileFormat, std::u16string_view folderFormat);

    // The track's place as PlanTargetName gives it, numbered where it meets
    // an earlier track's; a track the plan was not made with is planned as
    // PlanTargetName plans it.
    TargetName Of(const OneTrack& track) const;
    // The same name read in place, for one who asks for tens of thousands:
    // null for a track the plan refuses or was not made with (ask Of).
    const std::u16string* KeptName(const OneTrack& track) const;

    std::u16string_view FileFormat() const { return fileFormat_; }
    std::u16string_view FolderFormat() const { return folderFormat_; }

private:
    std::u16string fileFormat_;
    std::u16string folderFormat_;
    // The names of the tracks that are not refused; a refused track's is
    // worked out again when asked, as it may be long.
    std::unordered_map<const OneTrack*, std::u16string> names_;
};
