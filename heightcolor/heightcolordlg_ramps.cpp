// The layering dialog and the colour ramps of the GIS tools: a ramp pasted from the clipboard or
// dropped as a file becomes the layers (ramps::ImportLayers, the rule every host's import
// follows); the layers are copied out as GDAL colour text. The Win32 side only: reading the
// clipboard and the dropped file, and saying in the user's language why a ramp was refused.
#include "heightcolor/heightcolordlg.h"

#include <shellapi.h>
#include <string.h>

#include <string>
#include <vector>

#include "frame/strings.h"
#include "heightcolor/colortable.h"
#include "heightcolor/layers.h"
#include "ramps/ramp.h"
#include "res/resource.h"

namespace {

std::string Utf8Of(const wchar_t* text, size_t length)
{
    if (length == 0)
        return std::string();
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring WideOf(const std::string& utf8, UINT codePage = CP_UTF8)
{
    if (utf8.empty())
        return std::wstring();
    const int n = ::MultiByteToWideChar(codePage, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(n > 0 ? static_cast<size_t>(n) : 0, L'\0');
    if (n > 0)
        ::MultiByteToWideChar(codePage, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
    return out;
}

CString Number3(double v)
{
    CString text;
    text.Format(L"%.3f", v);
    return text;
}

// The string of a refusal's kind, in the user's language (the details of lutconv's English
// text stay out: line and kind are what a user acts on).
CString FaultText(const ramps::Report& report, double lo, double hi)
{
    CString text;
    switch (report.fault) {
    case ramps::Fault::TooLarge:
        FormatResString(text, IDS_RAMP_FAULT_TOO_LARGE, static_cast<int>(ramps::kMaxRampBytes >> 20));
        return text;
    case ramps::Fault::Outside:
        FormatResString(text, IDS_RAMP_FAULT_OUTSIDE, Number3(lo).GetString(), Number3(hi).GetString());
        return text;
    default:
        break;
    }
    static const struct {
        ramps::Fault fault;
        UINT id;
    } kIds[] = {
        {ramps::Fault::Text, IDS_RAMP_FAULT_TEXT},       {ramps::Fault::Lut, IDS_RAMP_FAULT_LUT},
        {ramps::Fault::Value, IDS_RAMP_FAULT_VALUE},     {ramps::Fault::Colour, IDS_RAMP_FAULT_COLOUR},
        {ramps::Fault::Shape, IDS_RAMP_FAULT_SHAPE},     {ramps::Fault::Header, IDS_RAMP_FAULT_HEADER},
        {ramps::Fault::Empty, IDS_RAMP_FAULT_EMPTY},     {ramps::Fault::Mixed, IDS_RAMP_FAULT_MIXED},
        {ramps::Fault::Format, IDS_RAMP_FAULT_FORMAT},   {ramps::Fault::NoRange, IDS_RAMP_FAULT_NO_RANGE},
    };
    for (const auto& k : kIds)
        if (k.fault == report.fault && LoadResString(k.id, text))
            return text;
    LoadResString(IDS_RAMP_FAULT_FORMAT, text);
    return text;
}

void WarnRefused(ramps::Format format, const ramps::Report& report, double lo, double hi)
{
    const CString fault = FaultText(report, lo, hi);
    const std::wstring name = WideOf(format == ramps::Format::Unknown ? "?" : ramps::FormatName(format));
    CString text;
    const bool done = report.line > 0
        ? FormatResString(text, IDS_RAMP_UNREADABLE_LINE, name.c_str(), report.line, fault.GetString())
        : FormatResString(text, IDS_RAMP_UNREADABLE, name.c_str(), fault.GetString());
    if (done)
        ShowWarningText(text);
}

// What the layers could not hold of a ramp that was taken.
void WarnNotHeld(unsigned notes, int layers)
{
    static const struct {
        unsigned bit;
        UINT id;
    } kNotes[] = {
        {ramps::kNoteTransparency, IDS_RAMP_NOTE_TRANSPARENCY},
        {ramps::kNoteNodata, IDS_RAMP_NOTE_NODATA},
        {ramps::kNoteResampled, IDS_RAMP_NOTE_RESAMPLED},
    };
    CString text;
    if (notes == 0 || !FormatResString(text, IDS_RAMP_NOT_HELD, layers))
        return;
    for (const auto& n : kNotes) {
        CString line;
        if ((notes & n.bit) != 0 && LoadResString(n.id, line))
            text += CString(L"\n- ") + line.GetString();
    }
    ShowWarningText(text);
}

// Moves text into a global block for the clipboard; null when there is no memory.
HGLOBAL GlobalCopy(const void* data, size_t bytes)
{
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* to = block != nullptr ? ::GlobalLock(block) : nullptr;
    if (to == nullptr) {
        if (block != nullptr)
            ::GlobalFree(block);
        return nullptr;
    }
    memcpy(to, data, bytes);
    ::GlobalUnlock(block);
    return block;
}

// A file's bytes, or the reason it cannot be read. Files above cap are not read (TooLarge).
bool ReadFileBytes(const std::wstring& path, size_t cap, std::string* bytes, bool* tooLarge)
{
    *tooLarge = false;
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    bool ok = ::GetFileSizeEx(f, &size) != FALSE && size.QuadPart >= 0;
    if (ok && static_cast<unsigned long long>(size.QuadPart) > cap) {
        *tooLarge = true;
        ok = false;
    }
    if (ok) {
        bytes->assign(static_cast<size_t>(size.QuadPart), '\0');
        DWORD read = 0;
        ok = bytes->empty() ||
             (::ReadFile(f, &(*bytes)[0], static_cast<DWORD>(bytes->size()), &read, nullptr) && read == bytes->size());
    }
    ::CloseHandle(f);
    return ok;
}

// Another program (a clipboard viewer, the desktop's clipboard bridge) may hold the clipboard for
// a moment: a few short tries, a tenth of a second in all.
bool OpenClipboardSoon(HWND owner)
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (::OpenClipboard(owner))
            return true;
        ::Sleep(10);
    }
    return false;
}

bool IsEditFocus(HWND focus)
{
    wchar_t cls[16] = L"";
    return focus != nullptr && ::GetClassNameW(focus, cls, 16) > 0 && ::lstrcmpiW(cls, L"Edit") == 0;
}

}  // namespace

BOOL CHeightColorDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message != WM_KEYDOWN || m_hWnd == nullptr)
        return FALSE;
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0, shift = ::GetKeyState(VK_SHIFT) < 0;
    if (::GetKeyState(VK_MENU) < 0)
        return FALSE;
    const WPARAM key = pMsg->wParam;
    const bool paste = (ctrl && !shift && key == 'V') || (shift && !ctrl && key == VK_INSERT);
    const bool copy = (ctrl && !shift && (key == 'C' || key == VK_INSERT));
    if (!paste && !copy)
        return FALSE;
    HWND focus = ::GetFocus();
    if (focus == nullptr || (focus != m_hWnd && !::IsChild(m_hWnd, focus)) || IsEditFocus(focus))
        return FALSE;  // another window's keys, or an edit's own copy and paste
    if (paste) {
        PasteRamp();
        return TRUE;
    }
    if (focus != m_listLayers.m_hWnd && !::IsChild(m_listLayers.m_hWnd, focus))
        return FALSE;
    CopyLayers();
    return TRUE;
}

void CHeightColorDlg::PasteRamp()
{
    const double lo = m_pHeightRange[0], hi = m_pHeightRange[1];
    std::string utf8;
    bool text = false;
    ramps::Report report;
    if (::IsClipboardFormatAvailable(CF_UNICODETEXT) && OpenClipboardSoon(m_hWnd)) {
        HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
        const SIZE_T bytes = data != nullptr ? ::GlobalSize(data) : 0;
        if (bytes / sizeof(wchar_t) > ramps::kMaxRampBytes) {
            // Refused by its size alone, before a byte of it is looked at.
            text = true;
            report.fault = ramps::Fault::TooLarge;
        } else if (const wchar_t* chars = data != nullptr ? static_cast<const wchar_t*>(::GlobalLock(data)) : nullptr) {
            const size_t length = wcsnlen(chars, bytes / sizeof(wchar_t));
            utf8 = Utf8Of(chars, length);
            ::GlobalUnlock(data);
            text = true;
        }
        ::CloseClipboard();
    }
    if (!text) {
        ShowWarning(IDS_RAMP_NO_TEXT);
        return;
    }
    if (report.fault == ramps::Fault::TooLarge) {
        WarnRefused(ramps::Format::Unknown, report, lo, hi);
        return;
    }
    TakeRamp(std::string(), utf8);
}

void CHeightColorDlg::TakeRamp(const std::string& path, const std::string& bytes)
{
    const double lo = m_pHeightRange[0], hi = m_pHeightRange[1];
    ramps::Format format = ramps::Format::Unknown;
    ramps::Ramp ramp;
    std::vector<ColorLayer> layers;
    ramps::Report report;
    if (!ramps::ImportLayers(path, bytes, lo, hi, &format, &ramp, &layers, &report)) {
        WarnRefused(format, report, lo, hi);
        return;
    }
    UseLayers(layers);
    WarnNotHeld(report.notes, static_cast<int>(layers.size()));
}

void CHeightColorDlg::TakeTable(const std::wstring& fileTitle, const std::string& bytes)
{
    LutColor colors[kLutMaxEntries];
    const int count = DecodeLut(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), colors);
    if (count < 1) {
        CString text;
        if (FormatResString(text, IDS_RAMP_LUT_UNREADABLE, fileTitle.c_str()))
            ShowWarningText(text);
        return;
    }
    float limits[kMaxLayers][2];
    SpreadTableLayers(m_pHeightRange[0], m_pHeightRange[1], count, limits);
    std::vector<ColorLayer> layers(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        layers[i].lower = limits[i][0];
        layers[i].upper = limits[i][1];
        layers[i].color = ToRgb8(colors[i]);
    }
    UseLayers(layers);
}

void CHeightColorDlg::UseLayers(const std::vector<ColorLayer>& layers)
{
    const int n = LayersToRecord(layers, m_pLimits, m_pColors);
    m_nLayers = static_cast<short>(n);
    m_bCustomLayers = TRUE;
    m_bContinuous = FALSE;
    ResetMarks(false);
    m_btnApply.EnableWindow(FALSE);
    m_szTableName[0] = '\0';
    m_comboTables.SetCurSel(-1);
    m_spinLayers.SetPos(n);
    UpdateData(FALSE);
    EnableCustomControls(TRUE);
    m_editLayers.EnableWindow(TRUE);
    FillLayerList();
}

void CHeightColorDlg::CopyLayers()
{
    const std::vector<ColorLayer> layers = LayersOfRecord(m_pLimits, m_pColors, m_nLayers);
    std::string text;
    ramps::Report report;
    bool done = false;
    if (ramps::LayersAsGdalText(layers, m_pHeightRange[0], m_pHeightRange[1], &text, &report)) {
        // Lines end in CR LF on the clipboard, as text files here do.
        std::string crlf;
        crlf.reserve(text.size() + text.size() / 8);
        for (char c : text) {
            if (c == '\n')
                crlf += '\r';
            crlf += c;
        }
        const std::wstring wide = WideOf(crlf);
        const std::string ansi(crlf);  // digits, signs and blanks only: the same bytes in any code page
        HGLOBAL unicode = GlobalCopy(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
        HGLOBAL plain = GlobalCopy(ansi.c_str(), ansi.size() + 1);
        if (unicode != nullptr && plain != nullptr && OpenClipboardSoon(m_hWnd)) {
            ::EmptyClipboard();
            // The clipboard owns the blocks it took.
            if (::SetClipboardData(CF_UNICODETEXT, unicode) != nullptr)
                unicode = nullptr;
            if (::SetClipboardData(CF_TEXT, plain) != nullptr)
                plain = nullptr;
            done = unicode == nullptr && plain == nullptr;
            ::CloseClipboard();
        }
        if (unicode != nullptr)
            ::GlobalFree(unicode);
        if (plain != nullptr)
            ::GlobalFree(plain);
    }
    if (!done)
        ShowWarning(IDS_RAMP_COPY_FAILED);
}

LRESULT CHeightColorDlg::OnDropFiles(WPARAM wParam, LPARAM)
{
    HDROP drop = reinterpret_cast<HDROP>(wParam);
    std::wstring path;
    const UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
    if (length > 0 && length < 32768) {
        path.assign(length + 1, L'\0');
        path.resize(::DragQueryFileW(drop, 0, &path[0], length + 1));
    }
    ::DragFinish(drop);
    if (path.empty())
        return 0;
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring title = slash == std::wstring::npos ? path : path.substr(slash + 1);
    std::string bytes;
    bool tooLarge = false;
    if (!ReadFileBytes(path, ramps::kMaxRampBytes, &bytes, &tooLarge)) {
        if (tooLarge) {
            ramps::Report report;
            report.fault = ramps::Fault::TooLarge;
            WarnRefused(ramps::Format::Unknown, report, m_pHeightRange[0], m_pHeightRange[1]);
        } else {
            CString text;
            if (FormatResString(text, IDS_RAMP_FILE_UNREADABLE, title.c_str()))
                ShowWarningText(text);
        }
        return 0;
    }
    const std::string utf8Path = Utf8Of(path.c_str(), path.size());
    if (ramps::FormatFromExtension(utf8Path) == ramps::Format::Lut ||
        bytes.compare(0, kLutMagicSize, kLutMagic, kLutMagicSize) == 0) {
        TakeTable(title, bytes);
        return 0;
    }
    TakeRamp(utf8Path, bytes);
    return 0;
}
