// The decisions of an extraction run that do not depend on Windows: which
// tracks may be read and under what name they are written, names Windows
// reserves for devices, what a name clash leads to under the overwrite policy
// and the user's answers, the progress of one copy and the text of the
// failure box.
//
// A database is input like any other: a track's path on the player and its
// texts decide where a file is read and written, so neither may lead outside
// the player's files or the chosen folder, or into a device.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "settings_values.h"  // OverwritePolicy

class OneTrack;

// The answers of the overwrite prompt.
enum OverwriteAnswer : int32_t {
    AnswerYes = 1,
    AnswerYesToAll = 2,
    AnswerNo = 3,
    AnswerNoToAll = 4,
    AnswerCancel = 5,
};

// The extension of a source path on the player, dot included: from its last
// dot if that comes after the last backslash, solidus and colon and is
// followed by letters and digits only (at least one); else empty.
std::string SourceExtension(std::string_view sourcePath);

// The extension a copy of `sourcePath` gets: the source's own where it is a
// kind of audio, video or picture these players hold (in any case), or
// none; any other is kept with ".bin" after it ("x.url.bin"), so that no
// copy opens in Windows as a program, a shortcut or a link.
std::string CopyExtension(std::string_view sourcePath);

// Whether Windows takes a file of this name for a device (CON, PRN, AUX, NUL,
// CONIN$, CONOUT$, COM0 to COM9 and LPT0 to LPT9 with COM and LPT also
// numbered by the superscripts 1 to 3, in any case, with any extension). A
// copy onto such a name reports success and writes no file; one from it reads
// the device.
bool IsReservedDeviceName(std::u16string_view fileName);

// Why a track cannot be extracted; None when it can.
enum class TrackRefusal {
    None,
    UnsafeSourcePath,  // its path on the player could reach a device or leave the player's files
    NameTooLong,       // longer than Windows takes
    ReservedName,      // a device name
    EmptyName,         // empty or only dots and spaces, which Windows cannot name a file
    TemporaryName,     // one the clean-up of unfinished copies would remove, in any case
};

// Whether a track's path on the player (such as "\iPod_Control\Music\F00// ABCD.mp3") names a plain
// file: it starts with a backslash, and none of its parts is empty, only dots and spaces, or a
// device name, and none holds a solidus. A track whose path fails is never read.
bool IsPlainPlayerPath(std::string_view playerPath);

// Where a track's file goes below the destination folder: the sub-folders
// of the folder pattern (none for an empty one), each followed by a
// backslash, then the pattern's name and the copy's extension, such as
// "Band\Disc\7 - Song.mp3", without the trailing dots and spaces that
// Windows would drop from it; or why it gets no place. Levels cannot be
// refused (see BuildTargetFolder); whether the whole path fits is the
// caller's to check, who knows the destination.
struct TargetName {
    std::u16string Name;
    TrackRefusal Refusal = TrackRefusal::None;
};
TargetName PlanTargetName(std::u16string_view fileFormat, const OneTrack& track,
                          std::u16string_view folderFormat = {});

// The reason shown for a refused track, which ends in a line break; empty for
// NameTooLong, whose reason is the system's own text.
std::u16string_view RefusalReason(TrackRefusal refusal);

enum class ClashOutcome { Copy, Skip, EndRun };

// The overwrite policy of one run: starts from the stored setting; "Yes to
// All" and "No to All" change it for the rest of the run only.
class ClashPolicy {
public:
    explicit ClashPolicy(int32_t storedPolicy) : policy_(storedPolicy) {}

    // What to do with a track whose target exists. `ask` is called only when
    // the policy leaves it to the user.
    ClashOutcome Resolve(const std::function<OverwriteAnswer()>& ask);

private:
    int32_t policy_;
};

// Each file is copied under a temporary name in its target folder and renamed
// only once the copy is complete, so that a track's name only ever holds a
// whole copy. Temporary names are "~trackhaul-", eight hexadecimal digits and
// ".partial"; the next run into a folder removes what an interrupted run left.
std::u16string TemporaryCopyName(uint32_t number);
bool IsTemporaryCopyName(std::u16string_view fileName);

// Position of the progress bar during one copy: transferred * 100 / total,
// truncated; 0 for an empty file.
int32_t CopyProgressPercent(int64_t transferred, int64_t total);

// The text of the box shown when a track cannot be extracted; `reason` is
// the system's text for the error, which as a rule ends in a line break.
std::u16string ExtractionFailureText(std::u16string_view source, std::u16string_view target,
                                     std::u16string_view reason);
