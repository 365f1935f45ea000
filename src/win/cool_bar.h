// The cool bar (rebar) that holds the main window's toolbars and boxes.
#pragma once

#include <windows.h>

namespace win {

// Appends a band holding `child`, drawn with an edge around it, with the
// band `style` added; `label`, when given, stands before the child, and
// `id` names the band.
void AppendBand(HWND coolBar, HWND child, UINT style, const wchar_t* label = nullptr, UINT id = 0);

}  // namespace win
