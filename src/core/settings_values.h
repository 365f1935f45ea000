// The settings' value rules, free of the registry: defaults, parsing, clamps
// and the file name pattern check. (Being written.)
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

struct WindowBounds {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// A registry failure while loading or saving the settings.
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
