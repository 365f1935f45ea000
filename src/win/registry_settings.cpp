#include "win/registry_settings.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "win/handles.h"
#include "win/pixel_layout.h"
#include "win/wide_text.h"

namespace win {

namespace {

constexpr char SettingsKeyPath[] = "Software\\Marrowfen\\Trackhaul";

// Opens the settings key with full access, creating it and any missing parent.
// Null when it can be neither opened nor created.
UniqueKey OpenSettingsKey() {
    HKEY handle = nullptr;
    const LONG result =
        RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &handle, nullptr);
    return UniqueKey(result == ERROR_SUCCESS ? handle : nullptr);
}

// The data of a string value as `Char` units, up to its first zero or the
// end of its data; nothing when the value is absent or cannot be read, so
// that its default applies. A value of any other type stops the load. `query`
// is RegQueryValueExA or RegQueryValueExW with the value's name bound.
template <typename Char, typename Query>
std::optional<std::basic_string<Char>> ReadString(std::string_view name, Query query) {
    std::vector<BYTE> data(sizeof(Char));
    for (;;) {
        DWORD type = REG_NONE;
        DWORD size = static_cast<DWORD>(data.size());
        const LONG result = query(&type, data.data(), &size);
        if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) {
            return std::nullopt;
        }
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            throw InvalidDataTypeError(name);
        }
        if (result == ERROR_SUCCESS) {
            std::basic_string<Char> text(std::min<size_t>(size, data.size()) / sizeof(Char),
                                         Char{});
            std::memcpy(text.data(), data.data(), text.size() * sizeof(Char));
            return text.substr(0, text.find(Char{}));
        }
        // Too small for the value: ask again with room for all of it.
        data.resize(std::max<size_t>(size, data.size()) + sizeof(Char));
    }
}

std::optional<std::string> ReadText(HKEY key, std::string_view name) {
    const std::string valueName(name);
    return ReadString<char>(name, [&](DWORD* type, BYTE* data, DWORD* size) {
        return RegQueryValueExA(key, valueName.c_str(), nullptr, type, data, size);
    });
}

// Through the wide interface, so that text outside the ANSI code page
// survives; a value written as ANSI text reads back the same.
std::optional<std::u16string> ReadWideText(HKEY key, std::string_view name) {
    const std::wstring valueName = WideFromAnsi(name);
    const auto text = ReadString<wchar_t>(name, [&](DWORD* type, BYTE* data, DWORD* size) {
        return RegQueryValueExW(key, valueName.c_str(), nullptr, type, data, size);
    });
    return text ? std::optional(Utf16FromWide(*text)) : std::nullopt;
}

void WriteText(HKEY key, std::string_view name, const std::string& text) {
    const std::string valueName(name);
    const LONG result = RegSetValueExA(key, valueName.c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(text.c_str()),
                                       static_cast<DWORD>(text.size() + 1));
    if (result != ERROR_SUCCESS) {
        throw FailedToSetDataError(name);
    }
}

void WriteText(HKEY key, std::string_view name, const std::u16string& text) {
    const std::wstring valueName = WideFromAnsi(name);
    const std::wstring wide = WideFromUtf16(text);
    const LONG result = RegSetValueExW(key, valueName.c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(wide.c_str()),
                                       static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    if (result != ERROR_SUCCESS) {
        throw FailedToSetDataError(name);
    }
}

}  // namespace

ScreenMetrics ScreenMetricsOf(HWND window) {
    ScreenMetrics metrics;
    metrics.Dpi = WindowDpi(window);
    metrics.ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    metrics.ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT workArea{};
    if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0)) {
        metrics.WorkWidth = workArea.right - workArea.left;
        metrics.WorkHeight = workArea.bottom - workArea.top;
    } else {
        metrics.WorkWidth = metrics.ScreenWidth;
        metrics.WorkHeight = metrics.ScreenHeight;
    }
    return metrics;
}

SettingsValues LoadRegistrySettings(const ScreenMetrics& screen) {
    // A key that can be neither opened nor created reads as empty, so that the
    // program still starts; the next save reports the failure.
    const UniqueKey key = OpenSettingsKey();
    return LoadSettingsValues(
        screen,
        [&key](std::string_view name) -> std::optional<std::string> {
            return key ? ReadText(key.get(), name) : std::nullopt;
        },
        [&key](std::string_view name) -> std::optional<std::u16string> {
            return key ? ReadWideText(key.get(), name) : std::nullopt;
        });
}

void SaveRegistrySettings(const SettingsValues& values) {
    const UniqueKey key = OpenSettingsKey();
    if (!key) {
        throw FailedToCreateKeyError(SettingsKeyPath);
    }
    for (const StoredSetting& setting : SettingsToStore(values)) {
        std::visit([&](const auto& text) { WriteText(key.get(), setting.Name, text); },
                   setting.Text);
    }
}

}  // namespace win
