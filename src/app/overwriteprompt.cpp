#include "app/overwriteprompt.h"

#include <stdexcept>

#include "app/resource_ids.h"
#include "win/pixel_layout.h"
#include "win/wide_text.h"

namespace {

constexpr int ClientWidth = 506;
constexpr int ClientHeight = 110;
constexpr win::PixelRect QIconBounds{16, 16, 32, 32};
constexpr win::PixelRect FileNameTextBounds{64, 16, 425, 13};
constexpr win::PixelRect Label1Bounds{64, 34, 155, 18};
constexpr int Label1FontHeight = 11;  // pixels at 96 DPI

struct ButtonPlace {
    int Id;
    int Left;
};
constexpr ButtonPlace Buttons[] = {
    {IDC_BTNYES, 64},    {IDC_BTNNO, 152},     {IDC_BTNYESALL, 240},
    {IDC_BTNNOALL, 328}, {IDC_BTNCANCEL, 416},
};
constexpr int ButtonTop = 72;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;

// The system's question mark drawn on the button face, the colour that shows
// through its transparent parts, at the size for `dpi`.
win::UniqueBitmap DrawQuestionIcon(int dpi) {
    const int size = win::ScalePixels(QIconBounds.Width, dpi);
    // The image of that size from the system's icon, not the shared icon
    // of the system's size stretched.
    const win::UniqueIcon question(static_cast<HICON>(
        CopyImage(LoadIconW(nullptr, IDI_QUESTION), IMAGE_ICON, size, size, LR_COPYFROMRESOURCE)));
    HDC screen = GetDC(nullptr);
    win::UniqueBitmap picture(CreateCompatibleBitmap(screen, size, size));
    HDC canvas = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (!picture || canvas == nullptr) {
        if (canvas != nullptr) {
            DeleteDC(canvas);
        }
        throw std::runtime_error("Cannot create the overwrite prompt's picture.");
    }
    HGDIOBJ previous = SelectObject(canvas, picture.get());
    const win::UniqueBrush face(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
    RECT all{0, 0, size, size};
    FillRect(canvas, &all, face.get());
    DrawIconEx(canvas, 0, 0, question.get(), size, size, 0, face.get(), DI_NORMAL | DI_COMPAT);
    SelectObject(canvas, previous);
    DeleteDC(canvas);
    return picture;
}

}  // namespace

TOverwritePromptForm::TOverwritePromptForm(HWND owner)
    : ModalDialog(IDD_OVERWRITEPROMPT), owner_(owner) {}

OverwriteAnswer TOverwritePromptForm::AskOverwrite(std::u16string_view path) {
    FileName = path;
    Answer = AnswerCancel;
    ShowModal(owner_);
    return Answer;
}

void TOverwritePromptForm::OnInitDialog() {
    const int dpi = win::WindowDpi(Handle());
    QIcon = DrawQuestionIcon(dpi);
    label1Font_ =
        win::CreateFaceFont(L"Arial", RUSSIAN_CHARSET, win::ScalePixels(Label1FontHeight, dpi));
    LayOutControls();
    SendMessageW(Item(IDC_QICON), STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(QIcon.get()));
    SendMessageW(Item(IDC_LABEL1_QUESTION), WM_SETFONT, reinterpret_cast<WPARAM>(label1Font_.get()),
                 FALSE);
    win::WidenToText(Item(IDC_LABEL1_QUESTION));
    CreateFileNameText();
    SendMessageW(FileNameText, WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(win::WideFromUtf16(FileName).c_str()));
}

void TOverwritePromptForm::LayOutControls() {
    win::SizeClientAndCentre(Handle(), ClientWidth, ClientHeight, owner_);
    PlaceItem(IDC_QICON, QIconBounds);
    PlaceItem(IDC_LABEL1_QUESTION, Label1Bounds);
    for (const ButtonPlace& button : Buttons) {
        PlaceItem(button.Id, {button.Left, ButtonTop, ButtonWidth, ButtonHeight});
    }
}

void TOverwritePromptForm::CreateFileNameText() {
    // The path shortened in its middle when it does not fit, keeping the
    // file name; an ampersand shows as itself.
    FileNameText =
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_PATHELLIPSIS | SS_NOPREFIX, 0,
                        0, 0, 0, Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    win::PlaceChild(FileNameText, FileNameTextBounds, win::WindowDpi(Handle()));
    SendMessageW(FileNameText, WM_SETFONT,
                 SendMessageW(Item(IDC_LABEL1_QUESTION), WM_GETFONT, 0, 0), FALSE);
}

bool TOverwritePromptForm::OnCommand(int id, int) {
    switch (id) {
        case IDC_BTNYES:
            BtnYesClick();
            return true;
        case IDC_BTNNO:
            BtnNoClick();
            return true;
        case IDC_BTNYESALL:
            BtnYesAllClick();
            return true;
        case IDC_BTNNOALL:
            BtnNoAllClick();
            return true;
        case IDC_BTNCANCEL:
            BtnCancelClick();
            return true;
        case IDCANCEL:
            // Esc: the prompt has no cancel button for it to press, and a key
            // pressed by mistake must not end the whole run.
            return true;
        default:
            return false;
    }
}

bool TOverwritePromptForm::OnClose() {
    Close(IDCANCEL);  // the answer stays AnswerCancel
    return true;
}

void TOverwritePromptForm::Answered(OverwriteAnswer answer) {
    Answer = answer;
    Close(IDOK);
}
