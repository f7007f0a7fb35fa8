// Writing the recorded camera orbit as an uncompressed AVI.
#include "demo/recorder.h"

AviRecorder::AviRecorder() { AVIFileInit(); }

AviRecorder::~AviRecorder()
{
    Close();
    AVIFileExit();
}

bool AviRecorder::Open(const std::wstring& path, int width, int height, int fps)
{
    Close();
    error_ = S_OK;
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096 || fps <= 0) {
        error_ = E_INVALIDARG;
        return false;
    }
    DeleteFileW(path.c_str());   // AVIFileOpen appends to nothing: start from an empty file
    error_ = AVIFileOpenW(&file_, path.c_str(), OF_CREATE | OF_WRITE, nullptr);
    if (error_ != AVIERR_OK) {
        file_ = nullptr;
        return false;
    }
    AVISTREAMINFOW info = {};
    info.fccType = streamtypeVIDEO;
    info.fccHandler = mmioFOURCC('D', 'I', 'B', ' ');
    info.dwScale = 1;
    info.dwRate = static_cast<DWORD>(fps);
    info.dwSuggestedBufferSize = static_cast<DWORD>(width * height * 4);
    SetRect(&info.rcFrame, 0, 0, width, height);
    lstrcpynW(info.szName, L"terrain orbit", 64);
    error_ = AVIFileCreateStreamW(file_, &stream_, &info);
    if (error_ == AVIERR_OK) {
        BITMAPINFOHEADER format = {};
        format.biSize = sizeof format;
        format.biWidth = width;
        format.biHeight = height;   // bottom-up
        format.biPlanes = 1;
        format.biBitCount = 32;
        format.biCompression = BI_RGB;
        format.biSizeImage = static_cast<DWORD>(width * height * 4);
        error_ = AVIStreamSetFormat(stream_, 0, &format, sizeof format);
    }
    if (error_ != AVIERR_OK) {
        const HRESULT first = error_;
        Close();
        error_ = first;
        return false;
    }
    width_ = width;
    height_ = height;
    frames_ = 0;
    return true;
}

bool AviRecorder::AddFrame(const void* bgra)
{
    if (!stream_)
        return false;
    const LONG size = width_ * height_ * 4;
    error_ = AVIStreamWrite(stream_, frames_, 1, const_cast<void*>(bgra), size, AVIIF_KEYFRAME, nullptr, nullptr);
    if (error_ != AVIERR_OK)
        return false;
    ++frames_;
    return true;
}

bool AviRecorder::Close()
{
    bool ok = true;
    if (stream_) {
        AVIStreamRelease(stream_);
        stream_ = nullptr;
    }
    if (file_) {
        // Releasing the last reference writes the headers and the index.
        ok = AVIFileRelease(file_) == 0;
        file_ = nullptr;
    }
    return ok;
}
