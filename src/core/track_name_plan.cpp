#include "track_name_plan.h"

#include "ansi_text.h"
#include "file_name_case.h"
#include "onetrack.h"

TrackNamePlan::TrackNamePlan(const std::vector<const OneTrack*>& tracksInFileOrder,
                             std::u16string_view fileFormat, std::u16string_view folderFormat)
    : fileFormat_(fileFormat), folderFormat_(folderFormat) {
    NameNumbering numbering;
    names_.reserve(tracksInFileOrder.size());
    for (const OneTrack* track : tracksInFileOrder) {
        TargetName target = PlanTargetName(fileFormat_, *track, folderFormat_);
        if (target.Refusal != TrackRefusal::None) {
            continue;
        }
        const std::u16string extension = Utf16FromAnsi(CopyExtension(track->GetPath()));
        const std::u16string_view name = target.Name;
        const size_t stemLength =
            name.ends_with(extension) ? name.size() - extension.size() : name.size();
        names_.try_emplace(track,
                           numbering.Take(name.substr(0, stemLength), name.substr(stemLength)));
    }
}

TargetName TrackNamePlan::Of(const OneTrack& track) const {
    if (const std::u16string* kept = KeptName(track)) {
        return TargetName{*kept};
    }
    return PlanTargetName(fileFormat_, track, folderFormat_);
}

const std::u16string* TrackNamePlan::KeptName(const OneTrack& track) const {
    const auto planned = names_.find(&track);
    return planned != names_.end() ? &planned->second : nullptr;
}
