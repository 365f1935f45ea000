// The folders an extraction run writes into. Each is read once, when the run
// first reaches it: the temporary copies that an interrupted run left there
// are removed, and the names of everything else are kept. Whether a target
// exists is then known without a look-up on disk, which under Wine reads the
// whole folder for every name that is not there. Sub-folders are made once
// each, as the run first reaches them.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

class DestinationFolders {
public:
    // Reads `folder` (its path and a backslash) unless this run did already.
    void Visit(const std::wstring& folder);
    // Whether `name` was in the visited `folder` or has been added since.
    // Names compare without regard to case, as Windows compares them.
    bool Holds(const std::wstring& folder, std::wstring_view name) const;
    void Add(const std::wstring& folder, std::wstring_view name);
    // Makes the sub-folders of `relativePath` below `destination` (a path and
    // a backslash) that this run has not made or found yet, outermost first:
    // for "Band\Disc\Song.mp3", Band and then Band\Disc. ERROR_SUCCESS, or
    // the system's error for the first that cannot be made (a file of that
    // name is in the way, a name too long).
    DWORD MakeSubFolders(const std::wstring& destination, std::wstring_view relativePath);
    // Removes the sub-folders of `relativePath` that this run made and that
    // are still empty, innermost first, so that a track that failed leaves
    // no empty folder behind.
    void RemoveEmptyFoldersMade(const std::wstring& destination, std::wstring_view relativePath);

    // True the first time it is asked of `folder` in the run: its cover is
    // then written, once.
    bool TakeCoverTurn(const std::wstring& folder);
    // Whether TakeCoverTurn would be true.
    bool MayTakeCoverTurn(const std::wstring& folder) const;
    // `folder` gets no cover this run: its turn is taken already.
    void KeepCoverOut(const std::wstring& folder);

private:
    using Names = std::unordered_set<std::wstring>;
    std::unordered_map<std::wstring, Names> folders_;  // by upper-case path
    // Upper-case paths, each with a backslash: the sub-folders this run
    // made or found, and of those the ones it made.
    Names subFolders_;
    Names madeFolders_;
    Names coveredFolders_;  // upper-case paths
};
