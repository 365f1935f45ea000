#include "app/copy_ratings.h"

#include <exception>
#include <filesystem>
#include <string_view>
#include <vector>

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

// Reads up to the buffer's size; how many bytes, or nothing when the read
// fails.
std::optional<size_t> ReadBlock(HANDLE file, std::vector<char>& buffer) {
    DWORD read = 0;
    if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
        return std::nullopt;
    }
    return read;
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
    std::vector<char> buffer(kUntaggedMp3Start);
    // A file that cannot be read here fails in the plain copy, with its reason.
    if (!input || !GetFileSizeEx(input.get(), &size) ||
        !GetFileTime(input.get(), nullptr, nullptr, &written)) {
        return std::nullopt;
    }
    std::optional<size_t> block = ReadBlock(input.get(), buffer);
    if (!block) {
        return std::nullopt;
    }
    std::optional<std::string> tag;
    try {  // nothing may be thrown into the copy's caller
        tag = TagInFrontOfUntaggedMp3(std::string_view(buffer.data(), *block),
                                      RatingAndPlaysOf(track));
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
    for (int64_t done = 0; *block > 0;) {
        if (!win::WriteBytes(output.get(), std::string_view(buffer.data(), *block))) {
            return failure();
        }
        done += static_cast<int64_t>(*block);
        progress(done, size.QuadPart);
        if (!(block = ReadBlock(input.get(), buffer))) {
            return failure();
        }
    }
    return SetFileTime(output.get(), nullptr, nullptr, &written) ? DWORD{ERROR_SUCCESS} : failure();
}
