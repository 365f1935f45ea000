#include "app/copy_ratings.h"

#include <exception>
#include <filesystem>
#include <optional>

#include "core/onetrack.h"
#include "core/rating_tags.h"
#include "win/file_output.h"
#include "win/handles.h"

namespace {

// The time of a file's last change; the copy has the player's file's.
std::optional<FILETIME> LastWriteTime(const std::wstring& file) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return data.ftLastWriteTime;
}

// Best effort: a copy with the time of its tagging is still a good copy.
void SetLastWriteTime(const std::wstring& file, const FILETIME& time) {
    HANDLE opened = CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened != INVALID_HANDLE_VALUE) {
        const win::UniqueFile handle(opened);
        SetFileTime(handle.get(), nullptr, nullptr, &time);
    }
}

}  // namespace

CopyRatings::CopyRatings(const OneTrack& track, std::wstring source)
    : convention_(RatingConventionOf(track.GetPath())),
      values_(RatingAndPlaysOf(track)),
      source_(std::move(source)) {}

DWORD CopyRatings::WriteInto(const std::wstring& temporary) {
    const std::optional<FILETIME> lastWrite = LastWriteTime(temporary);
    RatingTagsOutcome outcome = RatingTagsOutcome::Unreadable;
    // Nothing may be thrown into the finishing thread; a copy that TagLib
    // gave up on half-way counts as damaged.
    try {
        outcome = WriteRatingTags(std::filesystem::path(temporary), convention_, values_);
    } catch (const std::exception&) {
        outcome = RatingTagsOutcome::Damaged;
    }
    taken_ = outcome == RatingTagsOutcome::Written;
    if (taken_ && lastWrite) {
        SetLastWriteTime(temporary, *lastWrite);
    }
    if (outcome != RatingTagsOutcome::Damaged) {
        return ERROR_SUCCESS;
    }
    if (!CopyFileW(source_.c_str(), temporary.c_str(), FALSE)) {
        return GetLastError();
    }
    return win::ClearReadOnly(temporary);
}
