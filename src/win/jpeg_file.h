// Writing pictures as JPEG files through the system's imaging component
// (Windows Imaging Component), which every Windows since XP SP3 and Wine
// carry: no JPEG code of the program's own.
#pragma once

#include <windows.h>

#include <wincodec.h>

#include <memory>
#include <string>
#include <string_view>

#include "core/picture.h"

namespace win {

// The quality the JPEG files are written at, from 0 to 1. (Wine 8's encoder
// takes the setting and writes at libjpeg's default, 75, all the same.)
inline constexpr float kJpegQuality = 0.92f;

// Releases a COM object when it goes.
struct ComRelease {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface>
using ComPtr = std::unique_ptr<Interface, ComRelease>;

class JpegWriter {
public:
    // Starts COM on this thread for the writer's life where it is not yet.
    JpegWriter();
    JpegWriter(const JpegWriter&) = delete;
    JpegWriter& operator=(const JpegWriter&) = delete;
    ~JpegWriter();

    // Writes the picture to `path`, replacing any file there, at its own
    // size and kJpegQuality, and has the system write it to the disk. S_OK,
    // or the failure; the file may then be left partly written.
    HRESULT Write(const std::wstring& path, const Picture& picture);
    // The same file's bytes, made in memory: S_OK, or the failure.
    HRESULT Encode(const Picture& picture, std::string& bytes);

private:
    HRESULT Encode(IStream* target, const Picture& picture);

    bool comStarted_ = false;
    ComPtr<IWICImagingFactory> factory_;
};

// Writes `bytes` to `path`, replacing any file there, and has the system
// write them to the disk: S_OK, or the failure; the file may then be left
// partly written.
HRESULT WriteToDisk(const std::wstring& path, std::string_view bytes);

// The system's text for a failure of the imaging component, which ends in a
// line break: the file system's own reason where there is one.
std::wstring ImagingErrorText(HRESULT result);

}  // namespace win
