#include "app/copy_ratings.h"

#include <exception>
#include <filesystem>

#include "core/onetrack.h"
#include "core/rating_tags.h"
#include "win/file_output.h"
#include "win/handles.h"

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

namespace {

// Reads up to `size` bytes; false when the read fails.
bool ReadBlock(HANDLE file, std::string& block, size_t size) {
    block.resize(size);
    DWORD read = 0;
    if (!ReadFile(file, block.data(), static_cast<DWORD>(size), &read, nullptr)) {
        return false;
    }
    block.resize(read);
    return true;
}

}  // namespace

std::optional<DWORD> CopyBehindNewTag(
    const OneTrack& track, const std::wstring& source, const std::wstring& target,
    const std::function<void(int64_t done, int64_t total)>& progress) {
    if (RatingConventionOf(track.GetPath()) != RatingConvention::Id3v2) {
        return std::nullopt;
    }
    HANDLE opened = CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    const win::UniqueFile input(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
    LARGE_INTEGER size{};
    FILETIME written{};
    std::string block;
    // A file that cannot be read here fails in the plain copy, with its reason.
    if (!input || !GetFileSizeEx(input.get(), &size) ||
        !GetFileTime(input.get(), nullptr, nullptr, &written) ||
        !ReadBlock(input.get(), block, kUntaggedMp3Start)) {
        return std::nullopt;
    }
    std::optional<std::string> tag;
    try {  // nothing may be thrown into the copy's caller
        tag = TagInFrontOfUntaggedMp3(block, RatingAndPlaysOf(track));
    } catch (const std::exception&) {
    }
    if (!tag) {
        return std::nullopt;
    }
    const auto failure = [] {
        const DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? error : DWORD{ERROR_WRITE_FAULT};
    };
    const win::UniqueFile output = win::CreateForWriting(target);
    if (!output || !win::WriteBytes(output.get(), *tag)) {
        return failure();
    }
    for (int64_t done = 0; !block.empty();) {
        if (!win::WriteBytes(output.get(), block)) {
            return failure();
        }
        done += static_cast<int64_t>(block.size());
        progress(done, size.QuadPart);
        if (!ReadBlock(input.get(), block, kUntaggedMp3Start)) {
            return failure();
        }
    }
    return SetFileTime(output.get(), nullptr, nullptr, &written) ? DWORD{ERROR_SUCCESS} : failure();
}
