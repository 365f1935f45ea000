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

std::optional<NewTagInFront> MakeNewTagInFront(const OneTrack& track, PlayerFiles& files,
                                               const std::string& source) {
    if (RatingConventionOf(track.GetPath()) != RatingConvention::Id3v2) {
        return std::nullopt;
    }
    std::unique_ptr<PlayerFile> input = files.OpenAnsi(source);
    // A file that cannot be read here fails in the plain copy, with its reason.
    if (!input) {
        return std::nullopt;
    }
    const auto read = [&input](std::string& bytes, uint64_t length) {
        bytes.resize(static_cast<size_t>(std::min(input->Size(), length)));
        return bytes.empty() ||
               input->ReadAt(0, bytes.size(), reinterpret_cast<uint8_t*>(bytes.data()));
    };
    NewTagInFront tag;
    if (!read(tag.Start, 10)) {
        return std::nullopt;
    }
    // A larger tag (pictures, or a header that claims one) is rewritten in
    // the copy: it is not read whole here.
    const std::optional<size_t> needed = StartForTagInFront(tag.Start);
    if (!needed || !read(tag.Start, *needed)) {
        return std::nullopt;
    }
    try {  // nothing may be thrown into the maker's caller
        std::optional<Mp3TagInFront> front =
            TagInFrontOfMp3(tag.Start, input->Size(), RatingAndPlaysOf(track));
        if (!front) {
            return std::nullopt;
        }
        tag.Front = std::move(*front);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (tag.Front.Tag.size() != tag.Front.Replaced || !AreThisMachines(files)) {
        tag.Rest = std::move(input);
    }
    return tag;
}

namespace {

DWORD LastErrorOrWriteFault() {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : DWORD{ERROR_WRITE_FAULT};
}

}  // namespace

DWORD CopyBehindNewTag(NewTagInFront& tag, PlayerFiles& files, const std::string& source,
                       const std::wstring& target, const CopyProgress& progress) {
    PlayerFile& input = *tag.Rest;
    const win::UniqueFile output = win::CreateForWriting(target);
    if (!output || !win::WriteBytes(output.get(), tag.Front.Tag) ||
        !win::WriteBytes(output.get(), std::string_view(tag.Start).substr(tag.Front.Replaced))) {
        return LastErrorOrWriteFault();
    }
    if (progress) {
        progress(static_cast<int64_t>(tag.Start.size()), static_cast<int64_t>(input.Size()));
    }
    if (const DWORD error = AppendPlayerFile(input, tag.Start.size(), output.get(), progress)) {
        return error;
    }
    const std::optional<FILETIME> written = PlayerFileTime(files, source);
    return !written || SetFileTime(output.get(), nullptr, nullptr, &*written)
               ? DWORD{ERROR_SUCCESS}
               : LastErrorOrWriteFault();
}

DWORD WriteOverOldTag(const std::wstring& path, const std::string& tag) {
    const win::UniqueFile output = win::OpenForWriting(path);
    return output && win::WriteBytes(output.get(), tag) ? DWORD{ERROR_SUCCESS}
                                                        : LastErrorOrWriteFault();
}
