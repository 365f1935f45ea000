#include "app/copy_ratings.h"

#include <exception>
#include <filesystem>

#include "core/onetrack.h"
#include "core/rating_tags.h"
#include "win/file_output.h"

CopyRatings::CopyRatings(const OneTrack& track, std::wstring source)
    : convention_(RatingConventionOf(track.GetPath())),
      values_(RatingAndPlaysOf(track)),
      source_(std::move(source)) {}

DWORD CopyRatings::WriteInto(const std::wstring& temporary) {
    RatingTagsOutcome outcome = RatingTagsOutcome::Unreadable;
    // Nothing may be thrown into the finishing thread; a copy that TagLib
    // gave up on half-way counts as damaged.
    try {
        outcome = WriteRatingTags(std::filesystem::path(temporary), convention_, values_);
    } catch (const std::exception&) {
        outcome = RatingTagsOutcome::Damaged;
    }
    taken_ = outcome == RatingTagsOutcome::Written;
    if (outcome != RatingTagsOutcome::Damaged) {
        return ERROR_SUCCESS;
    }
    if (!CopyFileW(source_.c_str(), temporary.c_str(), FALSE)) {
        return GetLastError();
    }
    return win::ClearReadOnly(temporary);
}
