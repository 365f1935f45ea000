// Putting finished files under their names in a destination folder, as the
// extractions do with tracks, covers and photos: a name that is taken meets
// the overwrite policy and, where it says so, the user's answer; a file
// written to a temporary name is renamed onto its own, asking again about a
// name that another program took meanwhile, and removed when it is not
// placed; a failure is named in a box that asks whether to go on.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/destination_folders.h"
#include "core/extraction_rules.h"

class MainWindowServices;

// Whether two paths name one file, as Windows compares them.
bool IsSamePath(const std::wstring& a, const std::wstring& b);

// A file on its way from its source to its name below the chosen folder.
struct PlacedFile {
    std::string Source;  // what it is made from, on the player
    std::u16string Target;
    std::wstring Destination;   // the chosen folder and a backslash
    std::wstring RelativePath;  // below it, the name last
    std::wstring Temporary;     // in its folder
    bool Replace = false;       // a file of that name is to be replaced

    size_t NameStart() const { return RelativePath.rfind(L'\\') + 1; }  // 0 without sub-folders
    std::wstring Folder() const { return Destination + RelativePath.substr(0, NameStart()); }
    std::wstring FileName() const { return RelativePath.substr(NameStart()); }
};

// What the policy, or the user asked in the overwrite prompt, says of
// `target`, a file that exists.
ClashOutcome ResolveClash(MainWindowServices& window, ClashPolicy& policy,
                          const std::u16string& target);

class FilePlacement {
public:
    // Whether a run goes on after a file.
    enum class Continuation { GoOn, Stop };
    // Reports a failure with the system's error; how the run goes on.
    using FailureReport = std::function<Continuation(DWORD error)>;

    explicit FilePlacement(MainWindowServices& window) : window_(window) {}

    // The folders of the run, read as it first reaches them.
    DestinationFolders& Folders() { return folders_; }

    // Whether `file` may meet a file of its name: one in its folder (read
    // when the run first reaches it), or one of `before`, the files placed
    // before it and still on their way.
    bool MayClash(const PlacedFile& file, const std::vector<const PlacedFile*>& before);
    // Removes the sub-folders made for `file` that are still empty, when it
    // was not placed.
    void RemoveEmptyFoldersMade(const PlacedFile& file) {
        folders_.RemoveEmptyFoldersMade(file.Destination, file.RelativePath);
    }
    // Whether a file may go to `target`, named `name` in `folder`: Copy, with
    // `replace` set when one is there; otherwise what the policy or the user
    // said.
    ClashOutcome ClearTarget(ClashPolicy& policy, const std::wstring& folder,
                             std::wstring_view name, const std::u16string& target, bool& replace);
    // Settles a temporary file whose placing at `target` ended with `error`
    // (ERROR_SUCCESS: it is there): a file that appeared there meanwhile is
    // asked about, and the temporary file is removed when it is not placed.
    // Nothing once placed, else how the run goes on.
    std::optional<Continuation> Settle(const std::wstring& temporary, DWORD error,
                                       const std::u16string& target, bool replace,
                                       ClashPolicy& policy, const FailureReport& fail);
    // Names the file that failed, its source and the reason, and asks
    // whether to go on.
    Continuation ReportFailure(const std::string& source, const std::u16string& target,
                               const std::wstring& reason);

    // Makes a finished copy writable, lets `change` work on it, if given (the
    // copy keeps its time), writes it to the disk and renames it onto its
    // target: the background threads' job. The system's error, or
    // ERROR_SUCCESS.
    using Change = std::function<DWORD(const std::wstring& temporary)>;
    static DWORD FinishAndPlace(const std::wstring& temporary, const std::wstring& target,
                                bool replace, const Change& change = {});
    // Renames a finished file onto its target; the system's error, or
    // ERROR_SUCCESS.
    static DWORD MoveIntoPlace(const std::wstring& temporary, const std::wstring& target,
                               bool replace);
    // After a clash that leaves the file unwritten.
    static Continuation After(ClashOutcome outcome) {
        return outcome == ClashOutcome::EndRun ? Continuation::Stop : Continuation::GoOn;
    }

private:
    MainWindowServices& window_;
    DestinationFolders folders_;
};
