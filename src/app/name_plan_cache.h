// The open player's track names under the current patterns, worked out once
// for the extraction, the playlists and the library: on a thread of its own
// as soon as the player is open, while the user looks at the list, and again
// only when the patterns have changed.
#pragma once

#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/track_name_plan.h"

class NamePlanCache {
public:
    NamePlanCache() = default;
    NamePlanCache(const NamePlanCache&) = delete;
    NamePlanCache& operator=(const NamePlanCache&) = delete;
    ~NamePlanCache() { Forget(); }

    // Starts working out the plan of the player's `tracks` under these
    // patterns; the tracks must live until Forget.
    void Prepare(std::vector<const OneTrack*> tracks, std::u16string fileFormat,
                 std::u16string folderFormat);
    // The plan under these patterns: the one prepared, once it is ready, or
    // one worked out now.
    std::shared_ptr<const TrackNamePlan> Get(std::u16string_view fileFormat,
                                             std::u16string_view folderFormat);
    // Waits for a plan being worked out and lets the tracks go.
    void Forget();

private:
    std::vector<const OneTrack*> tracks_;
    std::future<std::shared_ptr<const TrackNamePlan>> pending_;
    std::shared_ptr<const TrackNamePlan> plan_;
};
