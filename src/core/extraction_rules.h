// The decisions of an extraction run that do not depend on Windows: the
// extension a copied track keeps, names Windows reserves for devices, what a
// name clash leads to under the overwrite policy and the user's answers, the
// progress of one copy and the text of the failure box.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "settings_values.h"  // OverwritePolicy

// The answers of the overwrite prompt.
enum OverwriteAnswer : int32_t {
    AnswerYes = 1,
    AnswerYesToAll = 2,
    AnswerNo = 3,
    AnswerNoToAll = 4,
    AnswerCancel = 5,
};

// The extension of a source path on the player, dot included: from its last
// dot if that comes after the last backslash and the last colon; else empty.
std::string SourceExtension(std::string_view sourcePath);

// Whether Windows takes a file of this name for a device (CON, PRN, AUX, NUL,
// COM1 to COM9, LPT1 to LPT9, in any case, with any extension). A copy onto
// such a name reports success and writes no file.
bool IsReservedDeviceName(std::u16string_view fileName);

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

// Position of the progress bar during one copy: transferred * 100 / total,
// truncated; 0 for an empty file.
int32_t CopyProgressPercent(int64_t transferred, int64_t total);

// The text of the box shown when a track cannot be extracted; `reason` is
// the system's text for the error, which as a rule ends in a line break.
std::u16string ExtractionFailureText(std::u16string_view source, std::u16string_view target,
                                     std::u16string_view reason);

// The reason given for a target name that Windows reserves for a device.
inline constexpr std::u16string_view ReservedDeviceNameReason =
    u"Windows reserves this name for a device, so no file can be written under it.\r\n";
