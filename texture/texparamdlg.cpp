#include "texture/texparamdlg.h"

#include <GL/gl.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "afx/afxdd.h"
#include "frame/barrier.h"
#include "frame/strings.h"
#include "include/oroscape.h"
#include "res/resource.h"
#include "texture/rimbase.h"
#include "texture/texformats.h"

namespace {

// Window class of the hidden window that carries a temporary OpenGL context.
const wchar_t kContextWndClass[] = L"OroscapeTexParamGL";

// The names of bands 1 to n as the lists show them ("波段 7"), one after another, each ended
// by a null character.
class BandNames {
public:
    // False (and no names) when the format string is missing or memory ran out.
    bool Make(int bands)
    {
        CString format;
        if (!LoadResString(IDS_BAND_FORMAT, format))
            return false;
        try {
            m_text.reserve(static_cast<size_t>(bands > 0 ? bands : 0) * 10);
            wchar_t item[128];
            for (long band = 1; band <= bands; ++band) {
                int n = _snwprintf(item, 127, format, band);
                if (n < 0)
                    n = 127;  // longer than any name of the table: cut
                item[n] = L'\0';
                m_text.append(item, static_cast<size_t>(n) + 1);
                ++m_count;
            }
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }
    int Count() const { return m_count; }
    // All names one after another, each with its terminator.
    const wchar_t* Packed() const { return m_text.data(); }
    // Characters of all names, terminators included.
    size_t Chars() const { return m_text.size(); }

private:
    std::wstring m_text;
    int m_count = 0;
};

// Appends every name to list; false when the list takes no more.
bool FillList(CComboBox& list, const BandNames& names)
{
    const UINT bytes = static_cast<UINT>(std::min<size_t>(names.Chars() * sizeof(wchar_t), 0x7fffffff));
    list.InitStorage(names.Count(), bytes);  // a hint: a refusal only means slower growth
    list.SetRedraw(FALSE);
    const bool all = list.AddStrings(names.Packed(), names.Count()) == names.Count();
    list.SetRedraw(TRUE);
    return all;
}

// Selects item index of a band list, or nothing when the index names no item.
void SelectBand(CComboBox& list, int index)
{
    list.SetCurSel(index >= 0 && index < list.GetCount() ? index : -1);
}

}  // namespace

BEGIN_MESSAGE_MAP(CTexParamDlg, CDialog)
    ON_CBN_SELCHANGE(IDC_FORMAT, OnSelchangeFormat)
END_MESSAGE_MAP()

CTexParamDlg::CTexParamDlg(const char* imageFile, CWnd* pParent)
    : CDialog(IDD_TEX_PARAM, pParent),
      m_nFormat(0),
      m_nRedBand(0),
      m_nGreenBand(0),
      m_nBlueBand(0),
      m_hTempRC(nullptr),
      m_hTempDC(nullptr),
      m_bOwnContext(FALSE),
      m_hTempWnd(nullptr)
{
    // A name that does not fit is not cut short (that would name another
    // file): it is dropped, and the image counts as one that does not open.
    memset(m_szImageFile, 0, sizeof m_szImageFile);
    if (imageFile != nullptr && strnlen(imageFile, kImageFileCap) < kImageFileCap)
        strcpy(m_szImageFile, imageFile);
}

CTexParamDlg::~CTexParamDlg()
{
    ReleaseTempContext();
}

void CTexParamDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BLUE_BAND, m_cbBlueBand);
    DDX_Control(pDX, IDC_GREEN_BAND, m_cbGreenBand);
    DDX_Control(pDX, IDC_RED_BAND, m_cbRedBand);
    DDX_Control(pDX, IDC_FORMAT, m_cbFormat);
    DDX_Text(pDX, IDC_FORMAT_INFO, m_strFormatInfo);
}

BOOL CTexParamDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    if (!CreateTempContext()) {
        EndDialog(-1);
        return FALSE;
    }
    for (int code : OfferedTexFormats([](int c) { return IsFormatSupported(c); }))
        m_cbFormat.AddString(AfxFromAnsi(FindTexFormatByCode(code)->name));
    ReleaseTempContext();

    m_cbFormat.SetCurSel(-1);
    FillBandLists();
    return TRUE;
}

void CTexParamDlg::FillBandLists()
{
    if (m_szImageFile[0] == '\0')
        return;  // no name, or one too long to keep

    RMHANDLE image = 0;
    int bands = 0;
    int red = -1, green = -1, blue = -1;
    if (rmOpenRimFileForRead(m_szImageFile, &image) == RM_OK && rmGetBands(image, &bands) == RM_OK &&
        rmGetRGBDisplayBandNo(image, &red, &green, &blue) == RM_OK) {
        // The three lists hold the same names: each is made once, then every list is
        // filled whole before the next (a list's storage then grows in place), with its
        // room reserved and its redrawing suspended.
        BandNames names;
        bool filled = names.Make(bands);
        CComboBox* const lists[] = {&m_cbRedBand, &m_cbGreenBand, &m_cbBlueBand};
        for (CComboBox* list : lists) {
            if (!filled)
                break;
            // A list that takes no more items (out of memory) ends the filling.
            filled = FillList(*list, names);
        }
        if (filled) {
            SelectBand(m_cbRedBand, red);
            SelectBand(m_cbGreenBand, green);
            SelectBand(m_cbBlueBand, blue);
            UpdateData(FALSE);
        }
    }
    if (image != 0)
        rmCloseRimFileForRead(image);
}

void CTexParamDlg::OnSelchangeFormat()
{
    UpdateData(TRUE);
    int sel = m_cbFormat.GetCurSel();
    if (sel < 0) {
        m_strFormatInfo.Empty();
        UpdateData(FALSE);
        return;
    }
    CString name;
    m_cbFormat.GetLBText(sel, name);
    const TexFormat* format = FindTexFormatByName(AfxToAnsi(name).c_str());
    if (format == nullptr)
        return;
    CString info;
    if (!LoadResString(format->descId, info))
        return;  // the description shown stays as it was
    m_strFormatInfo = info;
    UpdateData(FALSE);
}

void CTexParamDlg::OnOK()
{
    UpdateData(TRUE);
    int sel = m_cbFormat.GetCurSel();
    if (sel < 0) {
        m_strFormatInfo.Empty();
    } else {
        CString name;
        m_cbFormat.GetLBText(sel, name);
        if (const TexFormat* format = FindTexFormatByName(AfxToAnsi(name).c_str()))
            m_nFormat = static_cast<char>(format->code);
    }
    m_nRedBand = m_cbRedBand.GetCurSel();
    m_nGreenBand = m_cbGreenBand.GetCurSel();
    m_nBlueBand = m_cbBlueBand.GetCurSel();
    CDialog::OnOK();
}

// ---------------------------------------------------------------------------
// The temporary OpenGL context

bool CTexParamDlg::IsFormatSupported(int code)
{
    const char* extension = TexFormatExtension(code);
    if (extension == nullptr)
        return false;
    // Asked anew each time: whatever context is current answers.
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions != nullptr && HasExtensionToken(extensions, extension);
}

BOOL CTexParamDlg::CreateTempContext()
{
    // The host's current context answers the queries; it is never touched.
    if (wglGetCurrentContext() != nullptr)
        return TRUE;

    // A hidden window of the library's own carries the context, never the
    // screen: a pixel format set on the screen's device context would stay on
    // the desktop window, set once for every program of the session.
    if (CreateHiddenWindow()) {
        m_hTempDC = ::GetDC(m_hTempWnd);
        if (m_hTempDC != nullptr && MakeContextOn(m_hTempDC))
            return TRUE;
    }
    FreeTempContext();
    return FALSE;
}

BOOL CTexParamDlg::MakeContextOn(HDC dc)
{
    PIXELFORMATDESCRIPTOR pfd;
    memset(&pfd, 0, sizeof pfd);
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cDepthBits = 32;
    pfd.iLayerType = PFD_MAIN_PLANE;

    int format = ::ChoosePixelFormat(dc, &pfd);
    if (format == 0 || !::SetPixelFormat(dc, format, &pfd))
        return FALSE;
    m_hTempRC = wglCreateContext(dc);
    if (m_hTempRC == nullptr)
        return FALSE;
    m_bOwnContext = TRUE;
    return wglMakeCurrent(dc, m_hTempRC) > 0;
}

BOOL CTexParamDlg::CreateHiddenWindow()
{
    HINSTANCE instance = AfxGetInstanceHandle();
    WNDCLASSEXW wc;
    memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = kContextWndClass;
    // Already registered (another dialog of this process still holds it): reused as it is.
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return FALSE;
    // WS_POPUP, 1 x 1 and never shown.
    m_hTempWnd = ::CreateWindowExW(0, kContextWndClass, L"", WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                   0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
    if (m_hTempWnd == nullptr) {
        ::UnregisterClassW(kContextWndClass, instance);
        return FALSE;
    }
    return TRUE;
}

void CTexParamDlg::FreeTempContext()
{
    if (m_hTempRC != nullptr) {
        if (wglGetCurrentContext() == m_hTempRC)
            wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(m_hTempRC);
        m_hTempRC = nullptr;
    }
    if (m_hTempDC != nullptr) {
        ::ReleaseDC(m_hTempWnd, m_hTempDC);
        m_hTempDC = nullptr;
    }
    if (m_hTempWnd != nullptr) {
        ::DestroyWindow(m_hTempWnd);
        m_hTempWnd = nullptr;
        // Fails harmlessly while another window of the class still exists.
        ::UnregisterClassW(kContextWndClass, AfxGetInstanceHandle());
    }
    m_bOwnContext = FALSE;
}

void CTexParamDlg::ReleaseTempContext()
{
    if (m_bOwnContext)
        FreeTempContext();
}

// ---------------------------------------------------------------------------
// The export

extern "C" OROSCAPE_API short __cdecl _SetTexParamDlg(const char* imageFile, char* format, int* redBand,
                                                      int* greenBand, int* blueBand)
{
    return ExportBarrier<short>(0, [&]() -> short {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        CTexParamDlg dlg(imageFile, nullptr);
        if (dlg.DoModal() != IDOK)
            return 0;
        // The outputs are the caller's; a null one is skipped rather than written through.
        if (format != nullptr)
            *format = dlg.m_nFormat;
        if (redBand != nullptr)
            *redBand = dlg.m_nRedBand;
        if (greenBand != nullptr)
            *greenBand = dlg.m_nGreenBand;
        if (blueBand != nullptr)
            *blueBand = dlg.m_nBlueBand;
        return 1;
    });
}
