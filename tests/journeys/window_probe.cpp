// The eyes of the journey tests: reports what the screen shows of the
// program's windows, as a person or a screen reader would read it, and never
// acts on them (keys and clicks come from xdotool). It reads one request per
// line from standard input and answers each with one line, so that one Wine
// process serves a whole journey:
//
//   wait CLASS CAPTION [SECONDS]  "yes" once such a visible window exists, else "no"
//   gone CLASS CAPTION [SECONDS]  "yes" once no such visible window exists, else "no"
//   rect CLASS CAPTION            "LEFT TOP RIGHT BOTTOM" of the window, or "none"
//   child CLASS CHILDCLASS INDEX CAPTION
//                                 "LEFT TOP RIGHT BOTTOM|TEXT" of the window's
//                                 INDEX-th child of class CHILDCLASS (from 0,
//                                 depth first; line breaks as spaces), or "none"
//   focus CLASS SECONDS CAPTION   "yes" once the window is in front and the
//                                 keyboard focus is in it, else "no"
//   moving CLASS SECONDS CAPTION  "yes" once the window is being moved or
//                                 sized by the mouse, else "no"
//   shows CLASS SECONDS CAPTION|TEXT
//                                 "yes" once a child of the window reads TEXT
//   cell CLASS ROW COLUMN CAPTION the text of a cell of the window's list
//                                 view (row and column from 0), or "none"
//
// CLASS "*" stands for any class; CAPTION runs to the end of the line where
// it comes last and is UTF-8, and an empty one stands for any caption (a
// menu has none). Coordinates are those of the Windows screen.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(),
                                                        static_cast<int>(utf8.size()), wide.data(),
                                                        static_cast<int>(wide.size()))));
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    std::string utf8(wide.size() * 4 + 1, '\0');
    utf8.resize(static_cast<size_t>(
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), utf8.data(),
                            static_cast<int>(utf8.size()), nullptr, nullptr)));
    return utf8;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring TextOf(HWND window) {
    // WM_GETTEXT is carried across processes by the system; a status bar
    // answers with its first panel.
    std::wstring text(4096, L'\0');
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &length);
    text.resize(length);
    return text;
}

HWND FindVisible(const std::wstring& className, const std::wstring& caption) {
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, className == L"*" ? nullptr : className.c_str(),
                                  caption.empty() ? nullptr : caption.c_str())) != nullptr) {
        if (IsWindowVisible(found)) {
            return found;
        }
    }
    return nullptr;
}

std::string RectText(HWND window) {
    RECT bounds{};
    GetWindowRect(window, &bounds);
    std::ostringstream text;
    text << bounds.left << ' ' << bounds.top << ' ' << bounds.right << ' ' << bounds.bottom;
    return text.str();
}

struct ChildSearch {
    std::wstring ClassName;
    std::vector<HWND> Found;
};

// An empty class name stands for any.
BOOL CALLBACK CollectChild(HWND child, LPARAM data) {
    auto& search = *reinterpret_cast<ChildSearch*>(data);
    if (search.ClassName.empty() ||
        _wcsicmp(ClassOf(child).c_str(), search.ClassName.c_str()) == 0) {
        search.Found.push_back(child);
    }
    return TRUE;
}

GUITHREADINFO ThreadOf(HWND window) {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof(thread);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread);
    return thread;
}

bool FocusIn(HWND window) {
    const HWND focus = ThreadOf(window).hwndFocus;
    return GetForegroundWindow() == window && (focus == window || IsChild(window, focus));
}

bool ShowsText(HWND window, const std::wstring& text) {
    ChildSearch search;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&search));
    return std::any_of(search.Found.begin(), search.Found.end(),
                       [&](HWND child) { return TextOf(child) == text; });
}

// Polls `done` for the visible window of that class and caption, or null
// while there is none, until it holds or the time is up.
template <typename Done>
bool PollWindow(const std::wstring& className, const std::wstring& caption, double seconds,
                Done done) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        if (done(FindVisible(className, caption))) {
            return true;
        }
        if (GetTickCount64() > end) {
            return false;
        }
        Sleep(50);
    }
}

// The text of a list view's cell: the list view writes it into memory of
// its own process, lent to it for the purpose.
std::string CellText(HWND window, int row, int column) {
    struct Cell {
        LVITEMW item;
        wchar_t text[1024];
    };
    HWND list = FindWindowExW(window, nullptr, L"SysListView32", nullptr);
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    auto* lent = static_cast<Cell*>(
        process ? VirtualAllocEx(process, nullptr, sizeof(Cell), MEM_COMMIT, PAGE_READWRITE)
                : nullptr);
    Cell cell{};
    cell.item.mask = LVIF_TEXT;
    cell.item.iSubItem = column;
    cell.item.pszText = lent ? lent->text : nullptr;
    cell.item.cchTextMax = 1024;
    DWORD_PTR length = 0;
    const bool read =
        lent && WriteProcessMemory(process, lent, &cell, sizeof(cell), nullptr) &&
        SendMessageTimeoutW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                            reinterpret_cast<LPARAM>(lent), SMTO_ABORTIFHUNG, 2000, &length) &&
        ReadProcessMemory(process, lent, &cell, sizeof(cell), nullptr);
    if (lent) {
        VirtualFreeEx(process, lent, 0, MEM_RELEASE);
    }
    if (process) {
        CloseHandle(process);
    }
    return read ? Utf8(std::wstring(cell.text, length)) : "none";
}

// The rest of the line after the leading blank.
std::string Rest(std::istringstream& line) {
    std::string rest;
    std::getline(line >> std::ws, rest);
    return rest;
}

std::string Answer(const std::string& request) {
    std::istringstream line(request);
    std::string verb;
    std::string className;
    line >> verb >> className;
    const std::wstring windowClass = Wide(className);
    if (verb == "wait" || verb == "gone") {
        double seconds = 10;
        std::string caption = Rest(line);
        // A trailing number is the time limit; alone, it follows an empty
        // caption.
        const size_t blank = caption.rfind(' ');
        const size_t number = blank == std::string::npos ? 0 : blank + 1;
        if (number < caption.size() &&
            caption.find_first_not_of("0123456789.", number) == std::string::npos) {
            seconds = std::stod(caption.substr(number));
            caption.resize(blank == std::string::npos ? 0 : blank);
        }
        const bool wantShown = verb == "wait";
        const bool done = PollWindow(windowClass, Wide(caption), seconds,
                                     [&](HWND window) { return (window != nullptr) == wantShown; });
        return done ? "yes" : "no";
    }
    if (verb == "focus" || verb == "shows" || verb == "moving") {
        double seconds = 10;
        line >> seconds;
        std::string caption = Rest(line);
        std::string text;
        if (verb == "shows") {
            const size_t bar = caption.find('|');
            text = caption.substr(bar == std::string::npos ? caption.size() : bar + 1);
            caption.resize(std::min(caption.size(), bar));
        }
        const bool done = PollWindow(windowClass, Wide(caption), seconds, [&](HWND window) {
            if (window == nullptr) {
                return false;
            }
            if (verb == "moving") {
                return (ThreadOf(window).flags & GUI_INMOVESIZE) != 0;
            }
            return verb == "focus" ? FocusIn(window) : ShowsText(window, Wide(text));
        });
        return done ? "yes" : "no";
    }
    if (verb == "cell") {
        int row = 0;
        int column = 0;
        line >> row >> column;
        HWND window = FindVisible(windowClass, Wide(Rest(line)));
        return window != nullptr ? CellText(window, row, column) : "none";
    }
    if (verb == "rect") {
        HWND window = FindVisible(windowClass, Wide(Rest(line)));
        return window != nullptr ? RectText(window) : "none";
    }
    if (verb == "child") {
        std::string childClass;
        int index = 0;
        line >> childClass >> index;
        HWND window = FindVisible(windowClass, Wide(Rest(line)));
        if (window == nullptr) {
            return "none";
        }
        ChildSearch search{Wide(childClass), {}};
        EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&search));
        if (index < 0 || index >= static_cast<int>(search.Found.size())) {
            return "none";
        }
        HWND child = search.Found[static_cast<size_t>(index)];
        // An answer is one line: a text's line breaks become spaces.
        std::wstring text = TextOf(child);
        std::replace_if(
            text.begin(), text.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }, L' ');
        return RectText(child) + "|" + Utf8(text);
    }
    return "error: unknown request";
}

}  // namespace

int main() {
    std::string request;
    while (std::getline(std::cin, request)) {
        if (!request.empty() && request.back() == '\r') {
            request.pop_back();
        }
        std::cout << Answer(request) << std::endl;
    }
    return 0;
}
