#include "win/jpeg_file.h"

#include <oleauto.h>

#include <vector>

#include "win/file_output.h"
#include "win/shell_folders.h"  // SystemErrorText

namespace win {
namespace {

// The picture's pixels as rows of blue, green, red bytes, each row padded
// to four bytes as the imaging component takes them.
std::vector<BYTE> BgrRows(const Picture& picture, UINT stride) {
    std::vector<BYTE> rows(static_cast<size_t>(stride) * picture.Height);
    for (int32_t y = 0; y < picture.Height; ++y) {
        BYTE* out = rows.data() + static_cast<size_t>(y) * stride;
        for (int32_t x = 0; x < picture.Width; ++x) {
            const uint32_t pixel = picture.At(x, y);
            *out++ = static_cast<BYTE>(pixel);
            *out++ = static_cast<BYTE>(pixel >> 8);
            *out++ = static_cast<BYTE>(pixel >> 16);
        }
    }
    return rows;
}

HRESULT SetQuality(IPropertyBag2* options) {
    PROPBAG2 option{};
    option.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_R4;
    value.fltVal = kJpegQuality;
    return options->Write(1, &option, &value);
}

}  // namespace

JpegWriter::JpegWriter() {
    const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    comStarted_ = SUCCEEDED(started);
    IWICImagingFactory* factory = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_PPV_ARGS(&factory)))) {
        factory_.reset(factory);
    }
}

JpegWriter::~JpegWriter() {
    factory_.reset();
    if (comStarted_) {
        CoUninitialize();
    }
}

HRESULT JpegWriter::Encode(IStream* target, const Picture& picture) {
    const UINT stride = (static_cast<UINT>(picture.Width) * 3 + 3) & ~3u;
    std::vector<BYTE> rows = BgrRows(picture, stride);

    IWICBitmapEncoder* rawEncoder = nullptr;
    HRESULT result = factory_->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &rawEncoder);
    const ComPtr<IWICBitmapEncoder> encoder(rawEncoder);
    if (SUCCEEDED(result)) {
        result = encoder->Initialize(target, WICBitmapEncoderNoCache);
    }
    IWICBitmapFrameEncode* rawFrame = nullptr;
    IPropertyBag2* rawOptions = nullptr;
    if (SUCCEEDED(result)) {
        result = encoder->CreateNewFrame(&rawFrame, &rawOptions);
    }
    const ComPtr<IWICBitmapFrameEncode> frame(rawFrame);
    const ComPtr<IPropertyBag2> options(rawOptions);
    if (SUCCEEDED(result)) {
        result = SetQuality(options.get());
    }
    if (SUCCEEDED(result)) {
        result = frame->Initialize(options.get());
    }
    if (SUCCEEDED(result)) {
        result =
            frame->SetSize(static_cast<UINT>(picture.Width), static_cast<UINT>(picture.Height));
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (SUCCEEDED(result)) {
        result = frame->SetPixelFormat(&format);
    }
    if (SUCCEEDED(result) && !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
        result = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    }
    if (SUCCEEDED(result)) {
        result = frame->WritePixels(static_cast<UINT>(picture.Height), stride,
                                    static_cast<UINT>(rows.size()), rows.data());
    }
    if (SUCCEEDED(result)) {
        result = frame->Commit();
    }
    if (SUCCEEDED(result)) {
        result = encoder->Commit();
    }
    return result;
}

HRESULT JpegWriter::Encode(const Picture& picture, std::string& bytes) {
    if (!factory_) {
        return REGDB_E_CLASSNOTREG;
    }
    // Encoded in memory and written with one call: the encoder's many small
    // writes would each cost a call into the file system.
    IStream* rawMemory = nullptr;
    HRESULT result = CreateStreamOnHGlobal(nullptr, TRUE, &rawMemory);
    const ComPtr<IStream> memory(rawMemory);
    if (SUCCEEDED(result)) {
        result = Encode(memory.get(), picture);
    }
    STATSTG size{};
    HGLOBAL block = nullptr;
    if (SUCCEEDED(result)) {
        result = memory->Stat(&size, STATFLAG_NONAME);
    }
    if (SUCCEEDED(result)) {
        result = GetHGlobalFromStream(memory.get(), &block);
    }
    if (FAILED(result)) {
        return result;
    }
    const auto* locked = static_cast<const char*>(GlobalLock(block));
    if (locked == nullptr) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    bytes.assign(locked, size.cbSize.LowPart);
    GlobalUnlock(block);
    return S_OK;
}

HRESULT JpegWriter::Write(const std::wstring& path, const Picture& picture) {
    std::string bytes;
    const HRESULT result = Encode(picture, bytes);
    return SUCCEEDED(result) ? WriteToDisk(path, bytes) : result;
}

HRESULT WriteToDisk(const std::wstring& path, std::string_view bytes) {
    const UniqueFile file = CreateForWriting(path);
    const bool written = file && WriteBytes(file.get(), bytes) && FlushFileBuffers(file.get());
    const DWORD error = written ? ERROR_SUCCESS : GetLastError();
    return written ? S_OK : HRESULT_FROM_WIN32(error == ERROR_SUCCESS ? ERROR_WRITE_FAULT : error);
}

std::wstring ImagingErrorText(HRESULT result) {
    if (HRESULT_FACILITY(result) == FACILITY_WIN32) {
        return SystemErrorText(static_cast<DWORD>(HRESULT_CODE(result)));
    }
    const std::wstring text = SystemErrorText(static_cast<DWORD>(result));
    return text.empty() ? L"The picture could not be written as JPEG.\r\n" : text;
}

}  // namespace win
