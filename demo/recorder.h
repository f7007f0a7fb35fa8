// Writing the recorded camera orbit as an uncompressed AVI, through the Video for Windows
// file functions (AVIFIL32).
//   AviRecorder.
//
// Frames are stored as 32-bit DIBs: Wine's video playback (MCIAVI through DrawDib) shows them
// as they are, while it garbles 24-bit frames of the same picture.
#pragma once

#include <windows.h>

#include <vfw.h>

#include <string>

class AviRecorder {
public:
    AviRecorder();
    ~AviRecorder();
    AviRecorder(const AviRecorder&) = delete;
    AviRecorder& operator=(const AviRecorder&) = delete;

    // Creates (or replaces) the file with one video stream of width x height 32-bit frames
    // ('DIB '), fps frames a second.
    bool Open(const std::wstring& path, int width, int height, int fps);
    // One frame: bottom-up rows of BGRA pixels (the fourth byte unused), width * height * 4
    // bytes.
    bool AddFrame(const void* bgra);
    // Finishes the file (index and headers); also done by the destructor.
    bool Close();
    // The failing result of the last call, for the message the user sees.
    HRESULT LastError() const { return error_; }
    int Frames() const { return frames_; }

private:
    PAVIFILE file_ = nullptr;
    PAVISTREAM stream_ = nullptr;
    int width_ = 0, height_ = 0, frames_ = 0;
    HRESULT error_ = S_OK;
};
