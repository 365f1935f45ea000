// TAboutForm: the About dialog. One tab shows the program's name and version
// with the copyright, disclaimer, contact and trademark notices; the other
// the revision history. A fresh dialog is built for every showing.
#pragma once

#include "win/handles.h"
#include "win/modal_dialog.h"

class TAboutForm : public win::ModalDialog {
public:
    TAboutForm();

private:
    void OnInitDialog() override;
    bool OnCommand(int id, int code) override;
    bool OnNotify(const NMHDR& header) override;

    void FormCreate();
    void LayOutControls();
    void ShowPage(int page);
    void BtnOKClick();

    win::UniqueIcon icon_;
};
