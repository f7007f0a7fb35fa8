// capture.cpp: window captures through GDI, and the PNG writer (stored deflate blocks, no compression).
#include "support/capture.h"

#include <algorithm>
#include <cstdio>

namespace ui {

namespace {

Image Grab(HWND hwnd, bool clientOnly, Source source) {
    Image img;
    if (!hwnd || !IsWindow(hwnd)) return img;
    RECT rc{};
    POINT origin{0, 0};  // screen position of the captured area
    if (clientOnly) {
        GetClientRect(hwnd, &rc);
        ClientToScreen(hwnd, &origin);
    } else {
        GetWindowRect(hwnd, &rc);
        origin = POINT{rc.left, rc.top};
        OffsetRect(&rc, -rc.left, -rc.top);
    }
    const int w = rc.right, h = rc.bottom;
    if (w <= 0 || h <= 0) return img;
    if (source == Source::Auto) source = IsWindowVisible(hwnd) && !IsIconic(hwnd) ? Source::WindowDc : Source::Print;

    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!mem || !dib || !bits) {
        if (dib) DeleteObject(dib);
        if (mem) DeleteDC(mem);
        return img;
    }
    HGDIOBJ old = SelectObject(mem, dib);
    BOOL ok = FALSE;
    switch (source) {
    case Source::WindowDc: {
        HDC src = clientOnly ? GetDC(hwnd) : GetWindowDC(hwnd);
        if (src) {
            ok = BitBlt(mem, 0, 0, w, h, src, 0, 0, SRCCOPY);
            ReleaseDC(hwnd, src);
        }
        break;
    }
    case Source::Screen: {
        HDC src = GetDC(nullptr);
        if (src) {
            ok = BitBlt(mem, 0, 0, w, h, src, origin.x, origin.y, SRCCOPY | CAPTUREBLT);
            ReleaseDC(nullptr, src);
        }
        break;
    }
    case Source::Print:
    case Source::Auto:
        ok = PrintWindow(hwnd, mem, clientOnly ? PW_CLIENTONLY : 0);
        break;
    }
    GdiFlush();
    if (ok) {
        img.width = w;
        img.height = h;
        img.pixels.resize(static_cast<size_t>(w) * h);
        const uint32_t* p = static_cast<const uint32_t*>(bits);
        for (size_t i = 0; i < img.pixels.size(); ++i) img.pixels[i] = p[i] & 0x00FFFFFFu;  // BGRA in memory
    }
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    return img;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void Chunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    Put32(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32(out, Crc32(out.data() + start, out.size() - start));  // over type and data
}

}  // namespace

Image CaptureWindow(HWND hwnd, Source source) { return Grab(hwnd, false, source); }

Image CaptureClient(HWND hwnd, Source source) { return Grab(hwnd, true, source); }

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc) {
    static uint32_t table[256];
    static bool ready = [] {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        return true;
    }();
    (void)ready;
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 255u] ^ (crc >> 8);
    return ~crc;
}

uint32_t Adler32(const uint8_t* data, size_t size, uint32_t adler) {
    uint32_t a = adler & 0xFFFFu, b = adler >> 16;
    for (size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521u;
        b = (b + a) % 65521u;
    }
    return b << 16 | a;
}

std::vector<uint8_t> EncodePng(const Image& image) {
    std::vector<uint8_t> out;
    if (image.empty() || image.pixels.size() != static_cast<size_t>(image.width) * image.height) return out;
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    out.assign(kSignature, kSignature + 8);

    std::vector<uint8_t> ihdr;
    Put32(ihdr, static_cast<uint32_t>(image.width));
    Put32(ihdr, static_cast<uint32_t>(image.height));
    ihdr.push_back(8);  // bits per sample
    ihdr.push_back(2);  // colour type: RGB
    ihdr.push_back(0);  // deflate
    ihdr.push_back(0);  // adaptive filtering (every row: filter 0)
    ihdr.push_back(0);  // no interlace
    Chunk(out, "IHDR", ihdr);

    // Filtered rows: a 0 filter byte, then R G B per pixel.
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(image.height) * (1 + 3 * static_cast<size_t>(image.width)));
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < image.width; ++x) {
            uint32_t p = image.At(x, y);
            raw.push_back(static_cast<uint8_t>(Red(p)));
            raw.push_back(static_cast<uint8_t>(Green(p)));
            raw.push_back(static_cast<uint8_t>(Blue(p)));
        }
    }

    // zlib: header (deflate, 32K window, no dictionary, fastest level; 0x7801 is a multiple of 31),
    // stored blocks of at most 65535 bytes, Adler-32 of the raw data.
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        size_t len = std::min<size_t>(raw.size() - pos, 65535);
        bool last = pos + len == raw.size();
        z.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00
        z.push_back(static_cast<uint8_t>(len));
        z.push_back(static_cast<uint8_t>(len >> 8));
        z.push_back(static_cast<uint8_t>(~len));
        z.push_back(static_cast<uint8_t>(~len >> 8));
        z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + len);
        pos += len;
    } while (pos < raw.size());
    Put32(z, Adler32(raw.data(), raw.size()));
    Chunk(out, "IDAT", z);
    Chunk(out, "IEND", {});
    return out;
}

bool WritePng(const std::wstring& path, const Image& image) {
    std::vector<uint8_t> png = EncodePng(image);
    if (png.empty()) return false;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(f, png.data(), static_cast<DWORD>(png.size()), &written, nullptr);
    ok = CloseHandle(f) && ok;
    return ok && written == png.size();
}

namespace {

// A Unix path ("/work/...") as Wine's DOS name; other paths unchanged.
std::wstring DosPath(const std::wstring& path) {
    if (path.empty() || path[0] != L'/') return path;
    typedef WCHAR*(CDECL * ToDos)(const char*);
    ToDos toDos = reinterpret_cast<ToDos>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (toDos) {
        int n = WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(n, '\0');
        WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, &utf8[0], n, nullptr, nullptr);
        if (WCHAR* dos = toDos(utf8.c_str())) {
            std::wstring r(dos);
            HeapFree(GetProcessHeap(), 0, dos);
            return r;
        }
    }
    std::wstring r = L"Z:" + path;  // Wine's default mapping of the Unix root
    for (wchar_t& c : r)
        if (c == L'/') c = L'\\';
    return r;
}

void MakeDirs(const std::wstring& dir) {
    for (size_t i = 3; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == L'\\' || dir[i] == L'/') CreateDirectoryW(dir.substr(0, i).c_str(), nullptr);
    }
}

}  // namespace

std::wstring SaveScreenshotIfRequested(HWND hwnd, const std::wstring& name) {
    wchar_t buf[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"OROSCAPE_SCREENS_DIR", buf, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    std::wstring dir = DosPath(buf);
    while (!dir.empty() && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
    MakeDirs(dir);
    std::wstring path = dir + L"\\" + name + L".png";
    Image img = CaptureWindow(hwnd);
    if (img.empty() || !WritePng(path, img)) {
        DWORD err = GetLastError();
        char utf8[3 * MAX_PATH + 64] = "";
        WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
        std::fprintf(stderr, "screenshot %s: %s (error %lu)\n", utf8, img.empty() ? "capture failed" : "write failed",
                     static_cast<unsigned long>(err));
        return std::wstring();
    }
    return path;
}

}  // namespace ui
