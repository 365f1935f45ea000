#include "app/name_plan_cache.h"

#include <windows.h>

#include <exception>
#include <utility>

void NamePlanCache::Prepare(std::vector<const OneTrack*> tracks, std::u16string fileFormat,
                            std::u16string folderFormat) {
    Forget();
    tracks_ = std::move(tracks);
    pending_ = std::async(std::launch::async, [this, fileFormat = std::move(fileFormat),
                                               folderFormat = std::move(folderFormat)] {
        // The window's own work goes first.
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
        return std::shared_ptr<const TrackNamePlan>(
            std::make_shared<TrackNamePlan>(tracks_, fileFormat, folderFormat));
    });
}

std::shared_ptr<const TrackNamePlan> NamePlanCache::Get(std::u16string_view fileFormat,
                                                        std::u16string_view folderFormat) {
    if (pending_.valid()) {
        try {
            plan_ = pending_.get();
        } catch (const std::exception&) {
            plan_.reset();  // worked out again below, where its failure is reported
        }
    }
    if (!plan_ || plan_->FileFormat() != fileFormat || plan_->FolderFormat() != folderFormat) {
        plan_ = std::make_shared<TrackNamePlan>(tracks_, fileFormat, folderFormat);
    }
    return plan_;
}

void NamePlanCache::Forget() {
    if (pending_.valid()) {
        pending_.wait();
        pending_ = {};
    }
    plan_.reset();
    tracks_.clear();
}
