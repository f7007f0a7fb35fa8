#include "passes.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include "res/resource.h"
#include "uidriver_gtest.h"
#include "res/captions.h"
#include "bytes.h"

namespace rel {

namespace {

const wchar_t* const kChooserTitle = kCaptionTextureFile;
const wchar_t* const kTexParamCaption = kCaptionTexParam;
const wchar_t* const kPlayerCaption = kCaptionPlayer;
const wchar_t* const kLayeringCaption = kCaptionHeightColor;
const wchar_t* const kWarningCaption = kCaptionWarning;
const wchar_t* const kSheetCaption = kCaptionModelSheet;
const int kApplyNow = 0x3021;

// ---- bytes ----

using test::Put16;
using test::Put32;
void Four(std::vector<unsigned char>& b, const char* cc) { b.insert(b.end(), cc, cc + 4); }
size_t Open(std::vector<unsigned char>& b, const char* id, const char* form = nullptr)
{
    Four(b, id);
    const size_t at = b.size();
    Put32(b, 0);
    if (form)
        Four(b, form);
    return at;
}
void Close(std::vector<unsigned char>& b, size_t at)
{
    const uint32_t size = static_cast<uint32_t>(b.size() - at - 4);
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<unsigned char>(size >> (8 * i));
    if (b.size() % 2)
        b.push_back(0);
}

// ---- the chooser's parts ----

HWND DirectChild(HWND parent, const wchar_t* cls, int id = -1, DWORD style = 0)
{
    for (HWND h = GetWindow(parent, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
        if (ui::ClassName(h) != cls || (id != -1 && GetDlgCtrlID(h) != id))
            continue;
        if ((static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE)) & style) == style)
            return h;
    }
    return nullptr;
}

std::wstring FileName(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

// ---------------------------------------------------------------------------
// Files

std::vector<unsigned char> AviBytes(int width, int height, int frames)
{
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t frameBytes = stride * static_cast<uint32_t>(height);
    std::vector<unsigned char> a;
    const size_t riff = Open(a, "RIFF", "AVI ");
    const size_t hdrl = Open(a, "LIST", "hdrl");
    const size_t avih = Open(a, "avih");
    for (uint32_t v : {100000u, frameBytes * 10, 0u, 0x10u, static_cast<uint32_t>(frames), 0u, 1u, frameBytes,
                       static_cast<uint32_t>(width), static_cast<uint32_t>(height), 0u, 0u, 0u, 0u})
        Put32(a, v);
    Close(a, avih);
    const size_t strl = Open(a, "LIST", "strl");
    const size_t strh = Open(a, "strh");
    Four(a, "vids");
    Four(a, "DIB ");
    Put32(a, 0);
    Put16(a, 0), Put16(a, 0);
    for (uint32_t v : {0u, 1u, 10u, 0u, static_cast<uint32_t>(frames), frameBytes, 0xFFFFFFFFu, 0u})
        Put32(a, v);
    Put16(a, 0), Put16(a, 0), Put16(a, static_cast<unsigned>(width)), Put16(a, static_cast<unsigned>(height));
    Close(a, strh);
    const size_t strf = Open(a, "strf");
    Put32(a, 40);
    Put32(a, static_cast<uint32_t>(width));
    Put32(a, static_cast<uint32_t>(height));
    Put16(a, 1), Put16(a, 24);
    for (uint32_t v : {0u, frameBytes, 0u, 0u, 0u, 0u})
        Put32(a, v);
    Close(a, strf);
    Close(a, strl);
    Close(a, hdrl);
    const size_t movi = Open(a, "LIST", "movi");
    std::vector<uint32_t> offsets;
    for (int f = 0; f < frames; ++f) {
        offsets.push_back(static_cast<uint32_t>(a.size() - (movi + 4)));
        const size_t chunk = Open(a, "00db");
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                a.push_back(static_cast<unsigned char>(x * 255 / width));
                a.push_back(static_cast<unsigned char>(y * 255 / height));
                a.push_back(static_cast<unsigned char>(f * 255 / frames));
            }
            for (uint32_t pad = static_cast<uint32_t>(width) * 3; pad < stride; ++pad)
                a.push_back(0);
        }
        Close(a, chunk);
    }
    Close(a, movi);
    const size_t idx1 = Open(a, "idx1");
    for (uint32_t off : offsets) {
        Four(a, "00db");
        Put32(a, 0x10);
        Put32(a, off);
        Put32(a, frameBytes);
    }
    Close(a, idx1);
    Close(a, riff);
    return a;
}

bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == bytes.size();
}

bool WriteAvi(const std::string& path, int width, int height, int frames)
{
    return WriteBytes(path, AviBytes(width, height, frames));
}

std::string WriteEnviImage(const std::string& dir, const std::string& title)
{
    static const char kHeader[] =
        "ENVI\r\nsamples = 4\r\nlines = 4\r\nbands = 3\r\nheader offset = 0\r\nfile type = ENVI Standard\r\n"
        "data type = 1\r\ninterleave = bsq\r\nbyte order = 0\r\ndefault bands = {3, 2, 1}\r\n";
    const std::string image = dir + "\\" + title + ".img";
    WriteBytes(image, std::vector<unsigned char>(48, 0x7F));
    WriteBytes(dir + "\\" + title + ".hdr", std::vector<unsigned char>(kHeader, kHeader + strlen(kHeader)));
    return image;
}

// ---------------------------------------------------------------------------
// The model sheet's host

ModelHost::ModelHost()
{
    static const wchar_t kClass[] = L"OroscapeReliabilityModelHost";
    WNDCLASSW wc{};
    wc.lpfnWndProc = &ModelHost::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);  // already registered by another host: fine
    object_.hWnd = CreateWindowExW(0, kClass, L"reliability host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                   nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(object_.hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ModelHost::~ModelHost()
{
    DestroyWindow(object_.hWnd);
}

LRESULT CALLBACK ModelHost::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* self = reinterpret_cast<ModelHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_MODEL_APPLY && self != nullptr) {
        ++self->applies_;
        self->lastMask_ = wp;
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// ---------------------------------------------------------------------------
// Passes

bool ChooserPass(const std::wstring& picture, COLORREF color, bool ok)
{
    const size_t kRoom = MAX_PATH;
    std::vector<char> buffer(kRoom + 8, '\x5A');
    const std::wstring stem = FileName(picture).substr(0, FileName(picture).find(L'.'));
    ui::Script s;
    s.Step("preview the picture, then Open or Cancel", [&](ui::Ctx& c) {
        HWND dialog = c.WaitWindow(kChooserTitle, L"#32770");
        HWND pane = nullptr, list = nullptr;
        c.WaitFor([&] {
            pane = DirectChild(dialog, L"Static", 0xFFFF, WS_DLGFRAME);
            HWND view = ui::Ctx::FindItem(dialog, 1121);
            list = view ? FindWindowExW(view, nullptr, L"SysListView32", nullptr) : nullptr;
            return pane && list && IsWindowVisible(dialog);
        }, "the chooser's pane and file list");
        int index = -1;
        c.WaitFor([&] {
            c.RunOnUi([&] {
                LVFINDINFOW find = {};
                find.flags = LVFI_STRING | LVFI_PARTIAL;
                find.psz = stem.c_str();
                index = static_cast<int>(SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1),
                                                      reinterpret_cast<LPARAM>(&find)));
            });
            return index >= 0;
        }, "the picture in the file list");
        c.ListSelect(list, index);
        c.WaitFor([&] { return c.Text(pane).empty() && test::ColorShare(pane, color) > 0.9; }, "the pane to show the picture");
        c.Click(dialog, ok ? IDOK : IDCANCEL);
    });
    const short result = s.Run([&] { return _SelectTextureFile(buffer.data()); });
    EXPECT_TRUE(s.Succeeded());
    if (ok) {
        EXPECT_EQ(1, result);
        EXPECT_EQ(test::Ansi(picture), std::string(buffer.data()));
    } else {
        EXPECT_EQ(0, result);
        EXPECT_EQ('\x5A', buffer[0]) << "Cancel wrote into the host's buffer";
    }
    EXPECT_EQ('\x5A', buffer[kRoom]) << "written past the host's buffer";
    return s.Succeeded();
}

bool TexParamPass(const std::string& image, bool ok)
{
    char format = 0x5A;
    int bands[3] = {-7, -7, -7};
    ui::Script s;
    s.Step("choose RGBA8, then OK or Cancel", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kTexParamCaption, L"#32770");
        EXPECT_EQ(3, c.ComboCount(c.Item(d, IDC_RED_BAND)));
        c.SelectComboText(c.Item(d, IDC_FORMAT), L"RGBA8");
        c.Flush();
        EXPECT_EQ(L"32位非压缩纹理, 用于OpenGL", c.Text(d, IDC_FORMAT_INFO));
        c.Click(d, ok ? IDOK : IDCANCEL);
    });
    const short result = s.Run([&] { return _SetTexParamDlg(image.c_str(), &format, &bands[0], &bands[1], &bands[2]); });
    EXPECT_TRUE(s.Succeeded());
    if (ok) {
        EXPECT_EQ(1, result);
        EXPECT_EQ(TEXFMT_RGBA8, format);
        EXPECT_EQ(2, bands[0]);
        EXPECT_EQ(1, bands[1]);
        EXPECT_EQ(0, bands[2]);
    } else {
        EXPECT_EQ(0, result);
        EXPECT_EQ(0x5A, format);
        EXPECT_EQ(-7, bands[0]);
    }
    return s.Succeeded();
}

bool PlaybackPass(const std::string& video, int pass)
{
    const bool ok = pass % 2 == 0;
    ui::Script s;
    s.Step("close the playback window", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kPlayerCaption, L"#32770");
        HWND mci = GetWindow(d, GW_CHILD);
        if (mci == nullptr)
            c.Fail("the playback window has no MCI window");
        if (ok)
            c.PressEnter(d);
        else if (pass % 4 == 1)
            c.PressEsc(d);
        else
            c.RunOnUi([&] { PostMessageW(d, WM_CLOSE, 0, 0); });
        c.WaitGone(d);
    });
    const int result = s.Run([&] { return _PlayAVIWnd(video.c_str()); });
    EXPECT_TRUE(s.Succeeded());
    EXPECT_EQ(ok ? IDOK : IDCANCEL, result);
    return s.Succeeded();
}

bool HeightColorPass(const float range[2], bool ok)
{
    HeightColorInfo* rec = new HeightColorInfo;
    memset(rec, 0, sizeof *rec);
    strcpy(rec->szName, "terrain");
    rec->nLayers = 256;
    ui::Script s;
    s.Step("custom layers, a blend refused, then OK or Cancel", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kLayeringCaption, L"#32770");
        HWND list = c.Item(d, IDC_LAYER_LIST);
        EXPECT_EQ(256, c.ListCount(list));
        c.Click(d, IDC_CUSTOM_LAYERS);
        EXPECT_EQ(6, c.ListCount(list));
        c.Click(d, IDC_APPLY);
        HWND box = c.WaitWindow(kWarningCaption, L"#32770");
        EXPECT_EQ(L"请输入指定颜色!", c.DismissMessageBox(box));
        c.WaitGone(box);
        c.Click(d, ok ? IDOK : IDCANCEL);
        c.WaitGone(d);
    });
    const int result = s.Run([&] { return _SetHeightColorDlg(range, rec); });
    EXPECT_TRUE(s.Succeeded());
    EXPECT_EQ(ok ? IDOK : IDCANCEL, result);
    EXPECT_EQ(ok ? 6 : 256, rec->nLayers);
    EXPECT_STREQ(ok ? "" : "terrain", rec->szName);
    EXPECT_EQ(static_cast<unsigned>((255 / 6) * 256 * 5), rec->wColor[5].g) << "the green ramp of six layers";
    delete rec;
    return s.Succeeded();
}

bool ModelPass(HMODELSHEET sheet, ModelHost& host, int pass)
{
    const int appliesBefore = host.Applies();
    // A value other than the one the field shows, so that the page counts an edit.
    MODELCOLOR before = {0, 0, 0};
    _GetLight_Diffuse_(sheet, &before);
    const int blue = (before.b + 1 + pass % 7) % 256;
    ui::Script s;
    s.Step("edit, Apply, then OK or the close box", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kSheetCaption, L"#32770");
        c.SetText(c.Item(d, IDC_LIGHT_DIFFUSE_B), std::to_wstring(blue));
        c.Click(d, kApplyNow);
        if (pass % 2 == 0) {
            c.Click(d, IDOK);
        } else {
            c.RunOnUi([&] { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); });
        }
        PostMessageW(d, WM_NULL, 0, 0);  // the sheet's loop notices its end at its next message
        c.WaitGone(d);
    });
    const short result = s.Run([&] { return _ShowModelDialog(sheet); });
    EXPECT_TRUE(s.Succeeded());
    EXPECT_EQ(1, result);
    EXPECT_EQ(appliesBefore + 1, host.Applies());
    EXPECT_EQ(static_cast<WPARAM>(MCF_LIGHT_DIFFUSE), host.LastMask());
    MODELCOLOR diffuse = {-1, -1, -1};
    EXPECT_EQ(1, _GetLight_Diffuse_(sheet, &diffuse));
    EXPECT_EQ(blue, diffuse.b);
    return s.Succeeded();
}

}  // namespace rel
