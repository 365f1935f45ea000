#include "app/file_placement.h"

#include <algorithm>

#include "app/main_window_services.h"
#include "core/ansi_text.h"
#include "win/file_output.h"
#include "win/message_box.h"
#include "win/wide_text.h"

bool IsSamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

ClashOutcome ResolveClash(MainWindowServices& window, ClashPolicy& policy,
                          const std::u16string& target) {
    return policy.Resolve([&] {
        window.SetItemStatus(target);
        return window.AskOverwrite(target);
    });
}

bool FilePlacement::MayClash(const PlacedFile& file, const std::vector<const PlacedFile*>& before) {
    const std::wstring folder = file.Folder();
    folders_.Visit(folder);
    return folders_.Holds(folder, file.FileName()) ||
           std::ranges::any_of(
               before, [path = file.Destination + file.RelativePath](const PlacedFile* other) {
                   return IsSamePath(other->Destination + other->RelativePath, path);
               });
}

ClashOutcome FilePlacement::ClearTarget(ClashPolicy& policy, const std::wstring& folder,
                                        std::wstring_view name, const std::u16string& target,
                                        bool& replace) {
    folders_.Visit(folder);
    replace = folders_.Holds(folder, name) && window_.TargetExists(target);
    return replace ? ResolveClash(window_, policy, target) : ClashOutcome::Copy;
}

std::optional<FilePlacement::Continuation> FilePlacement::Settle(const std::wstring& temporary,
                                                                 DWORD error,
                                                                 const std::u16string& target,
                                                                 bool replace, ClashPolicy& policy,
                                                                 const FailureReport& fail) {
    if (!replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)) {
        // Written by someone else while this copy ran.
        const ClashOutcome outcome = ResolveClash(window_, policy, target);
        if (outcome != ClashOutcome::Copy) {
            DeleteFileW(temporary.c_str());
            return After(outcome);
        }
        error = MoveIntoPlace(temporary, win::WideFromUtf16(target), true);
    }
    if (error != ERROR_SUCCESS) {
        DeleteFileW(temporary.c_str());
        return fail(error);
    }
    return std::nullopt;
}

FilePlacement::Continuation FilePlacement::ReportFailure(const std::string& source,
                                                         const std::u16string& target,
                                                         const std::wstring& reason) {
    window_.SetItemStatus(target);
    const std::u16string text =
        ExtractionFailureText(Utf16FromAnsi(source), target, win::Utf16FromWide(reason));
    const int answer =
        win::ShowMessageBox(window_.Handle(), win::WideFromUtf16(text), MB_YESNO | MB_ICONERROR);
    return answer == IDNO ? Continuation::Stop : Continuation::GoOn;
}

DWORD FilePlacement::MoveIntoPlace(const std::wstring& temporary, const std::wstring& target,
                                   bool replace) {
    const DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING : 0;
    return MoveFileExW(temporary.c_str(), target.c_str(), flags) ? ERROR_SUCCESS : GetLastError();
}

DWORD FilePlacement::FinishAndPlace(const std::wstring& temporary, const std::wstring& target,
                                    bool replace, const Change& change) {
    // The copy takes the source's attributes; a read-only one could be
    // neither replaced nor removed, by this run or the next.
    DWORD error = win::ClearReadOnly(temporary);
    // A changed copy keeps the time of the player's file, as the copy has it.
    std::optional<FILETIME> lastWrite;
    if (error == ERROR_SUCCESS && change) {
        lastWrite = win::LastWriteTime(temporary);
        error = change(temporary);
    }
    if (error == ERROR_SUCCESS) {
        error = win::FlushToDisk(temporary, lastWrite);
    }
    return error == ERROR_SUCCESS ? FilePlacement::MoveIntoPlace(temporary, target, replace)
                                  : error;
}
