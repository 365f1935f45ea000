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
//                                 depth first), or "none"
//
// CLASS "*" stands for any class; CAPTION runs to the end of the line where
// it comes last and is UTF-8, and an empty one stands for any caption (a
// menu has none). Coordinates are those of the Windows screen.
#include <windows.h>

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

BOOL CALLBACK CollectChild(HWND child, LPARAM data) {
    auto& search = *reinterpret_cast<ChildSearch*>(data);
    if (_wcsicmp(ClassOf(child).c_str(), search.ClassName.c_str()) == 0) {
        search.Found.push_back(child);
    }
    return TRUE;
}

bool WaitFor(bool wantShown, const std::wstring& className, const std::wstring& caption,
             double seconds) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        if ((FindVisible(className, caption) != nullptr) == wantShown) {
            return true;
        }
        if (GetTickCount64() > end) {
            return false;
        }
        Sleep(50);
    }
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
        // A trailing number is the time limit.
        const size_t blank = caption.rfind(' ');
        if (blank != std::string::npos &&
            caption.find_first_not_of("0123456789.", blank + 1) == std::string::npos) {
            seconds = std::stod(caption.substr(blank + 1));
            caption.resize(blank);
        }
        return WaitFor(verb == "wait", windowClass, Wide(caption), seconds) ? "yes" : "no";
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
        return RectText(child) + "|" + Utf8(TextOf(child));
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
