// The settings store: the program's settings in the current user's
// registry, under "Software\Marrowfen\Trackhaul", one string value each, as
// the rules of core/settings_values.h read and write them.
#pragma once

#include <windows.h>

#include "core/settings_values.h"

namespace win {

// The screen's metrics and the DPI of `window` (the system's for none), on
// which the defaults of the window's bounds depend.
ScreenMetrics ScreenMetricsOf(HWND window);

// Every stored value, read by the rules; a key that can be neither opened
// nor made reads as empty. Throws SettingsError for a value of the wrong type.
SettingsValues LoadRegistrySettings(const ScreenMetrics& screen);

// Writes every value, in its fixed order; throws SettingsError when the key
// cannot be made or a value cannot be written.
void SaveRegistrySettings(const SettingsValues& values);

}  // namespace win
