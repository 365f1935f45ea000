// TOverwritePromptForm: asks what to do with a track whose target file
// already exists. It shows the full target path and offers Yes, No, Yes to
// All, No to All and Cancel; it only returns the answer, the extraction run
// acts on it. The main window makes one and reuses it for every prompt.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "core/extraction_rules.h"  // OverwriteAnswer
#include "win/handles.h"
#include "win/modal_dialog.h"

class TOverwritePromptForm : public win::ModalDialog {
public:
    explicit TOverwritePromptForm(HWND owner);

    // Shows the prompt modally for `path` and returns the answer; closing it
    // without a button gives AnswerCancel.
    OverwriteAnswer AskOverwrite(std::u16string_view path);

private:
    void OnInitDialog() override;
    bool OnCommand(int id, int code) override;
    bool OnClose() override;

    void LayOutControls();
    void CreateFileNameText();
    void Answered(OverwriteAnswer answer);
    void BtnYesClick() { Answered(AnswerYes); }
    void BtnNoClick() { Answered(AnswerNo); }
    void BtnYesAllClick() { Answered(AnswerYesToAll); }
    void BtnNoAllClick() { Answered(AnswerNoToAll); }
    void BtnCancelClick() { Answered(AnswerCancel); }

    HWND owner_;
    // The question mark on the button face and the question's font, made at
    // the DPI of each showing.
    win::UniqueBitmap QIcon;
    win::UniqueFont label1Font_;
    OverwriteAnswer Answer = AnswerCancel;
    std::u16string FileName;
    HWND FileNameText = nullptr;  // a Unicode static window, made with each showing
};
