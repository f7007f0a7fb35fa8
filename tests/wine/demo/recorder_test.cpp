// terrainview's AVI recorder: what it writes reads back through the Video for Windows file
// functions as the player sees it - 32-bit frames, their count and rate, their bytes.
#include "demo/recorder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::wstring TempFile(const wchar_t* name)
{
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

std::vector<uint8_t> Frame(int w, int h, int seed)
{
    std::vector<uint8_t> f(static_cast<size_t>(w) * h * 4);
    for (size_t i = 0; i < f.size(); ++i)
        f[i] = static_cast<uint8_t>(i * 7 + seed * 31);
    return f;
}

TEST(AviRecorder, WritesFramesTheFileFunctionsReadBack)
{
    const std::wstring path = TempFile(L"terrainview_recorder_test.avi");
    const int w = 66, h = 48, frames = 5;   // a width that is not a multiple of 4
    {
        AviRecorder recorder;
        ASSERT_TRUE(recorder.Open(path, w, h, 12)) << std::hex << recorder.LastError();
        for (int i = 0; i < frames; ++i) {
            const std::vector<uint8_t> f = Frame(w, h, i);
            ASSERT_TRUE(recorder.AddFrame(f.data())) << i;
        }
        EXPECT_EQ(frames, recorder.Frames());
        EXPECT_TRUE(recorder.Close());
    }

    AVIFileInit();
    PAVISTREAM stream = nullptr;
    ASSERT_EQ(AVIERR_OK, AVIStreamOpenFromFileW(&stream, path.c_str(), streamtypeVIDEO, 0, OF_READ, nullptr));
    AVISTREAMINFOW info = {};
    ASSERT_EQ(AVIERR_OK, AVIStreamInfoW(stream, &info, sizeof info));
    EXPECT_EQ(static_cast<DWORD>(frames), info.dwLength);
    EXPECT_EQ(12u, info.dwRate / info.dwScale);
    EXPECT_EQ(mmioFOURCC('D', 'I', 'B', ' '), info.fccHandler);

    BITMAPINFOHEADER format = {};
    LONG size = sizeof format;
    ASSERT_EQ(AVIERR_OK, AVIStreamReadFormat(stream, 0, &format, &size));
    EXPECT_EQ(w, format.biWidth);
    EXPECT_EQ(h, format.biHeight);   // bottom-up
    EXPECT_EQ(32, format.biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), format.biCompression);

    std::vector<uint8_t> read(static_cast<size_t>(w) * h * 4, 0);
    LONG bytes = 0, samples = 0;
    ASSERT_EQ(AVIERR_OK, AVIStreamRead(stream, 3, 1, read.data(), static_cast<LONG>(read.size()), &bytes, &samples));
    EXPECT_EQ(static_cast<LONG>(read.size()), bytes);
    EXPECT_EQ(Frame(w, h, 3), read);
    AVIStreamRelease(stream);
    AVIFileExit();
    DeleteFileW(path.c_str());
}

TEST(AviRecorder, RefusesWhatItCannotWrite)
{
    AviRecorder recorder;
    EXPECT_FALSE(recorder.Open(TempFile(L"terrainview_bad.avi"), 0, 48, 12));
    EXPECT_EQ(E_INVALIDARG, recorder.LastError());
    EXPECT_FALSE(recorder.Open(TempFile(L"terrainview_bad.avi"), 64, 48, 0));
    // A folder that does not exist: the file cannot be made, and frames go nowhere.
    EXPECT_FALSE(recorder.Open(TempFile(L"no such folder\\orbit.avi"), 64, 48, 12));
    EXPECT_NE(S_OK, recorder.LastError());
    const std::vector<uint8_t> f = Frame(64, 48, 0);
    EXPECT_FALSE(recorder.AddFrame(f.data()));
    EXPECT_EQ(0, recorder.Frames());
}

}  // namespace
