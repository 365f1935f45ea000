#include "app/copy_ratings.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <string_view>

#include "app/player_copy.h"
#include "core/local_files.h"
#include "core/onetrack.h"
#include "core/rating_tags.h"
#include "win/file_output.h"
#include "win/handles.h"

CopyRatings::CopyRatings(const OneTrack& track, std::shared_ptr<PlayerFiles> files,
                         std::string source)
    : convention_(RatingConventionOf(track.GetPath())),
      values_(RatingAndPlaysOf(track)),
      files_(std::move(files)),
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
    if (const DWORD error = CopyPlayerFile(*files_, source_, temporary); error != ERROR_SUCCESS) {
        return error;
    }
    return win::ClearReadOnly(temporary);
}

std::optional<DWORD> CopyBehindNewTag(const OneTrack& track, PlayerFiles& files,
                                      const std::string& source, const std::wstring& target,
                                      const CopyProgress& progress) {
    if (RatingConventionOf(track.GetPath()) != RatingConvention::Id3v2) {
        return std::nullopt;
    }
    std::unique_ptr<PlayerFile> input = files.OpenAnsi(source);
    // A file that cannot be read here fails in the plain copy, with its reason.
    if (!input) {
        return std::nullopt;
    }
    // The tag and the audio's start, which the new tag is made from and
    // checked against.
    const auto read = [&input](std::string& bytes, uint64_t length) {
        bytes.resize(static_cast<size_t>(std::min(input->Size(), length)));
        return bytes.empty() ||
               input->ReadAt(0, bytes.size(), reinterpret_cast<uint8_t*>(bytes.data()));
    };
    std::string start;
    if (!read(start, 10)) {
        return std::nullopt;
    }
    // A larger tag (pictures, or a header that claims one) is rewritten in
    // the copy: it is not read whole here.
    const std::optional<size_t> needed = StartForTagInFront(start);
    if (!needed || !read(start, *needed)) {
        return std::nullopt;
    }
    std::optional<Mp3TagInFront> front;
    try {  // nothing may be thrown into the copy's caller
        front = TagInFrontOfMp3(start, input->Size(), RatingAndPlaysOf(track));
    } catch (const std::exception&) {
    }
    if (!front) {
        return std::nullopt;
    }
    const auto failure = [] {
        const DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? error : DWORD{ERROR_WRITE_FAULT};
    };
    // A tag whose padding takes the change keeps the old one's length: the
    // system copies the file, as without ratings, and the tag goes over the
    // old one.
    if (front->Tag.size() == front->Replaced && AreThisMachines(files)) {
        input.reset();
        if (const DWORD error = CopyPlayerFile(files, source, target, progress)) {
            return error;
        }
        if (const DWORD error = win::ClearReadOnly(target)) {
            return error;
        }
        const std::optional<FILETIME> copied = win::LastWriteTime(target);
        const win::UniqueFile output = win::OpenForWriting(target);
        return output && win::WriteBytes(output.get(), front->Tag) &&
                       (!copied || SetFileTime(output.get(), nullptr, nullptr, &*copied))
                   ? DWORD{ERROR_SUCCESS}
                   : failure();
    }
    const win::UniqueFile output = win::CreateForWriting(target);
    if (!output || !win::WriteBytes(output.get(), front->Tag) ||
        !win::WriteBytes(output.get(), std::string_view(start).substr(front->Replaced))) {
        return failure();
    }
    if (progress) {
        progress(static_cast<int64_t>(start.size()), static_cast<int64_t>(input->Size()));
    }
    if (const DWORD error = AppendPlayerFile(*input, start.size(), output.get(), progress)) {
        return error;
    }
    const std::optional<FILETIME> written = PlayerFileTime(files, source);
    return !written || SetFileTime(output.get(), nullptr, nullptr, &*written) ? DWORD{ERROR_SUCCESS}
                                                                              : failure();
}
