// The texture file chooser and its export, _SelectTextureFile.
#include "texture/previewtexdlg.h"

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <string>

#include "frame/barrier.h"
#include "frame/strings.h"
#include "include/oroscape.h"
#include "res/resource.h"
#include "texture/previewlayout.h"

IMPLEMENT_DYNAMIC(CPreViewTexDlg, CFileDialog)

BEGIN_MESSAGE_MAP(CPreViewTexDlg, CFileDialog)
    ON_WM_SIZE()
    ON_WM_PAINT()
END_MESSAGE_MAP()

namespace {

const DWORD kChooserFlags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;  // 0x00081004
const wchar_t kBitmapFilter[] = L"Bitmap File(*.bmp)|*.bmp|";
const wchar_t kBitmapExtension[] = L"bmp";
const DWORD kPaneStyle = WS_CHILD | WS_VISIBLE | WS_DLGFRAME | SS_CENTER;            // 0x50400001
const UINT kPaneId = 0xFFFF;

// A control's window rectangle in the client coordinates of `dialog`.
LayoutRect RectIn(HWND dialog, HWND control)
{
    RECT rc;
    ::GetWindowRect(control, &rc);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
    return LayoutRect{rc.left, rc.top, rc.right, rc.bottom};
}

RECT ToRect(const LayoutRect& r)
{
    RECT rc = {r.left, r.top, r.right, r.bottom};
    return rc;
}

}  // namespace

CPreViewTexDlg::CPreViewTexDlg(CWnd* pParentWnd)
    : CFileDialog(TRUE, nullptr, nullptr, kChooserFlags, kBitmapFilter, pParentWnd),
      m_bPreviewCreated(false),
      m_rcPreview{0, 0, 0, 0},
      m_strFilterExt(kBitmapExtension)
{
    m_ofn.Flags |= OFN_ENABLETEMPLATE;
    m_ofn.lpTemplateName = MAKEINTRESOURCEW(IDD_PREVIEW_TEX);
}

CPreViewTexDlg::~CPreViewTexDlg()
{
    if (m_hPaneFont != nullptr)
        ::DeleteObject(m_hPaneFont);  // the pane went with the common dialog
}

int CPreViewTexDlg::FileNameBoxId() const
{
    HWND dialog = GetCommonDialogHwnd();
    if (dialog == nullptr)
        return 0;
    HWND edit = ::GetDlgItem(dialog, edt1);
    HWND combo = ::GetDlgItem(dialog, cmb13);
    if (edit != nullptr && (::IsWindowVisible(edit) || combo == nullptr))
        return edt1;
    return combo != nullptr ? cmb13 : 0;
}

BOOL CPreViewTexDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_bGrown = false;
    InitPreviewLayout();
    return TRUE;
}

void CPreViewTexDlg::InitPreviewLayout()
{
    HWND dialog = GetCommonDialogHwnd();
    if (dialog == nullptr)
        return;
    CString title;
    if (!LoadResString(IDS_TEXTURE_TITLE, title))
        return;
    ::SetWindowTextW(dialog, title);

    CWnd* pDialog = CWnd::FromHandle(dialog);
    CWnd* ok = pDialog->GetDlgItem(IDOK);
    CWnd* cancel = pDialog->GetDlgItem(IDCANCEL);
    CWnd* typeBox = pDialog->GetDlgItem(cmb1);
    CWnd* fileList = pDialog->GetDlgItem(lst1);
    if (ok == nullptr || cancel == nullptr || typeBox == nullptr || fileList == nullptr)
        return;

    // Everything is measured before anything moves.
    const PreviewLayout layout = InitialPreviewLayout(RectIn(dialog, *ok), RectIn(dialog, *cancel),
                                                      RectIn(dialog, *typeBox), RectIn(dialog, *fileList));
    const UINT flags = SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW;
    cancel->SetWindowPos(nullptr, layout.cancelX, layout.rowY, 0, 0, flags);
    ok->SetWindowPos(nullptr, layout.okX, layout.rowY, 0, 0, flags);
    m_rcPreview = ToRect(layout.pane);

    if (!LoadResString(IDS_PREVIEW_LABEL, m_strLabel))
        return;
    if (m_wndPreview.Create(m_strLabel, kPaneStyle, m_rcPreview, pDialog, kPaneId)) {
        m_bPreviewCreated = true;
        // The label in the system font a new static starts with, but with its width following
        // its height: the stock font's fixed width does not grow with the screen's resolution,
        // which squeezes the glyphs at 150 % and 200 %.
        LOGFONTW system = {};
        if (m_hPaneFont == nullptr && ::GetObjectW(::GetStockObject(SYSTEM_FONT), sizeof system, &system) != 0) {
            system.lfWidth = 0;
            m_hPaneFont = ::CreateFontIndirectW(&system);
        }
        if (m_hPaneFont != nullptr)
            m_wndPreview.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_hPaneFont), FALSE);
        AfxUseReadableFont(m_wndPreview.m_hWnd);
    }
    CenterWindow();
}

void CPreViewTexDlg::OnSize(UINT, int, int)
{
    Default();
    HWND dialog = GetCommonDialogHwnd();
    if (dialog == nullptr)
        return;
    CWnd* pDialog = CWnd::FromHandle(dialog);
    const int nameBoxId = FileNameBoxId();
    CWnd* ok = pDialog->GetDlgItem(IDOK);
    CWnd* cancel = pDialog->GetDlgItem(IDCANCEL);
    CWnd* typeBox = pDialog->GetDlgItem(cmb1);
    CWnd* nameBox = nameBoxId != 0 ? pDialog->GetDlgItem(nameBoxId) : nullptr;
    if (ok == nullptr || cancel == nullptr || typeBox == nullptr || nameBox == nullptr)
        return;

    const LayoutRect rcOk = RectIn(dialog, *ok);
    const LayoutRect rcCancel = RectIn(dialog, *cancel);
    RECT client;
    ::GetClientRect(dialog, &client);
    const LayoutRect rcClient{client.left, client.top, client.right, client.bottom};
    const PreviewLayout layout = ResizedPreviewLayout(rcOk, rcCancel, RectIn(dialog, *typeBox),
                                                      RectIn(dialog, *nameBox), rcClient);
    cancel->SetWindowPos(nullptr, layout.cancelX, layout.rowY, 0, 0, SWP_NOSIZE);
    ok->SetWindowPos(nullptr, layout.okX, layout.rowY, 0, 0, SWP_NOSIZE);
    m_rcPreview = ToRect(layout.pane);
    if (m_bPreviewCreated)
        m_wndPreview.SetWindowPos(nullptr, m_rcPreview.left, m_rcPreview.top,
                                  m_rcPreview.right - m_rcPreview.left, m_rcPreview.bottom - m_rcPreview.top,
                                  SWP_NOZORDER | SWP_SHOWWINDOW);
    Invalidate(TRUE);

    // Where the platform's dialog leaves no room under the type box (it shrinks itself by the
    // hidden read-only and Help rows), it grows until the row and a margin below it fit: once a
    // showing. The resize this causes comes back here, lays out again and grows no more, even
    // where the platform answers the growth with a layout of its own (Windows re-lays out its
    // controls when the dialog grows).
    const int shortfall = PreviewRowShortfall(layout, rcOk.Height(), rcCancel.left - rcOk.right, rcClient);
    if (shortfall > 0 && !m_bGrown) {
        m_bGrown = true;
        RECT outer;
        ::GetWindowRect(dialog, &outer);
        ::SetWindowPos(dialog, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top + shortfall,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CPreViewTexDlg::OnPaint()
{
    {
        CPaintDC dc(this);  // validates the child; it draws nothing of its own
    }
    if (!m_bPreviewCreated)
        return;
    m_wndPreview.ShowsNothing();
    // What the pane shows is settled before it is drawn: the label when there is no file or the
    // picture is refused, no text over a picture (or for a file of another type). So its text
    // changes only when it must, and the pane is erased, framed and drawn once.
    const bool bitmapType = IsBitmapExtension(m_strFilterExt.str());
    BITMAP info = {};
    HBITMAP picture = bitmapType ? LoadPreview(&info) : nullptr;
    const bool label = m_strPreviewFile.IsEmpty() || (bitmapType && picture == nullptr);
    m_wndPreview.ShowText(label ? m_strLabel.GetString() : L"");
    m_wndPreview.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
    if (picture != nullptr) {
        if (!DrawPreview(picture, info))
            m_wndPreview.ShowText(m_strLabel);
        ::DeleteObject(picture);
    }
}

BEGIN_MESSAGE_MAP(CPreviewPane, CStatic)
    ON_MESSAGE(WM_GETOBJECT, OnGetObject)
END_MESSAGE_MAP()

void CPreviewPane::ShowsPicture(const wchar_t* path, int width, int height)
{
    // The file name: what follows the last separator.
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p != L'\0'; ++p) {
        if (*p == L'\\' || *p == L'/')
            name = p + 1;
    }
    m_strFileName = name;
    m_cx = width;
    m_cy = height;
}

void CPreviewPane::ShowsNothing()
{
    m_strFileName.Empty();
    m_cx = m_cy = 0;
}

void CPreviewPane::ShowText(const wchar_t* text)
{
    AfxSetWindowText(m_hWnd, text);
}

LRESULT CPreviewPane::OnGetObject(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (m_accServer.OnGetObject(m_hWnd, wParam, lParam, &result))
        return result;
    return Default();
}

bool CPreviewPane::AccDescribe(LONG scope, LONG child, AFX_ACCITEM& item)
{
    if (scope != CHILDID_SELF || child != CHILDID_SELF)
        return false;
    if (m_strFileName.IsEmpty())
        LoadResString(IDS_ACC_PREVIEW_NONE, item.name);
    else
        FormatResString(item.name, IDS_ACC_PREVIEW_PICTURE, m_strFileName.GetString(), m_cx, m_cy);
    item.role = ROLE_SYSTEM_GRAPHIC;
    item.state = STATE_SYSTEM_READONLY;
    return true;
}

HBITMAP CPreViewTexDlg::LoadPreview(BITMAP* info) const
{
    if (m_strPreviewFile.IsEmpty())
        return nullptr;
    HBITMAP bitmap = static_cast<HBITMAP>(::LoadImageW(nullptr, m_strPreviewFile, IMAGE_BITMAP, 0, 0,
                                                       LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (bitmap == nullptr)
        return nullptr;
    if (::GetObjectW(bitmap, sizeof *info, info) == static_cast<int>(sizeof *info) &&
        IsPreviewableBitmap(info->bmWidth, info->bmHeight, info->bmBitsPixel))
        return bitmap;
    ::DeleteObject(bitmap);
    return nullptr;
}

short CPreViewTexDlg::DrawPreview(HBITMAP bitmap, const BITMAP& info)
{
    if (!m_bPreviewCreated || bitmap == nullptr)
        return 0;
    short drawn = 0;
    HWND pane = m_wndPreview.m_hWnd;
    if (HDC paneDC = ::GetDC(pane)) {
        if (HDC memDC = ::CreateCompatibleDC(nullptr)) {
            if (HGDIOBJ previous = ::SelectObject(memDC, bitmap)) {
                RECT rc;
                ::GetClientRect(pane, &rc);
                ::SetStretchBltMode(paneDC, COLORONCOLOR);
                ::StretchBlt(paneDC, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, memDC, 0, 0,
                             info.bmWidth, info.bmHeight, SRCCOPY);
                drawn = 1;
                m_wndPreview.ShowsPicture(m_strPreviewFile, info.bmWidth, info.bmHeight);
                ::SelectObject(memDC, previous);
            }
            ::DeleteDC(memDC);
        }
        ::ReleaseDC(pane, paneDC);
    }
    return drawn;
}

void CPreViewTexDlg::OnFileNameChange()
{
    CFileDialog::OnFileNameChange();
    const CString name = GetFileName();
    if (name.IsEmpty())
        return;
    m_strPreviewFile = ResolvePreviewPath(GetFolderPath().str(), name.str(), m_strFilterExt.str(),
                                          [](const std::wstring& path) {
                                              const DWORD attributes = ::GetFileAttributesW(path.c_str());
                                              return attributes != INVALID_FILE_ATTRIBUTES &&
                                                     !(attributes & FILE_ATTRIBUTE_DIRECTORY);
                                          });
    Invalidate(TRUE);  // the picture is drawn by the paint that follows
}

void CPreViewTexDlg::OnFolderChange()
{
    CFileDialog::OnFolderChange();
    // The picture belongs to the folder left behind: the label stays until the next selection,
    // whatever repaints the chooser in between.
    const bool hadPreview = !m_strPreviewFile.IsEmpty();
    m_strPreviewFile.Empty();
    const CString name = GetFileName();
    if (name.IsEmpty() && !hadPreview)
        return;
    if (!name.IsEmpty()) {
        if (const int nameBoxId = FileNameBoxId())
            SetControlText(nameBoxId, L"");
    }
    if (m_bPreviewCreated) {
        m_wndPreview.ShowsNothing();
        m_wndPreview.Invalidate(TRUE);
        m_wndPreview.SetWindowText(m_strLabel);
    }
}

void CPreViewTexDlg::OnTypeChange()
{
    CFileDialog::OnTypeChange();
    HWND dialog = GetCommonDialogHwnd();
    HWND typeBox = dialog ? ::GetDlgItem(dialog, cmb1) : nullptr;
    if (typeBox != nullptr && ::SendMessageW(typeBox, CB_GETCURSEL, 0, 0) == 0)
        m_strFilterExt = kBitmapExtension;
}

// ---------------------------------------------------------------------------
// Export

extern "C" short __cdecl _SelectTextureFile(char* pszPath)
{
    return ExportBarrier<short>(0, [&]() -> short {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        CPreViewTexDlg dlg(nullptr);
        if (dlg.DoModal() != IDOK) {
            ::CommDlgExtendedError();  // cancel and failure look alike to the host
            return 0;
        }
        // The host reads the path in the ANSI code page, in a buffer of MAX_PATH bytes: a path
        // that the code page cannot spell, or that needs more bytes than that (two per Chinese
        // character under code page 936), is refused rather than handed over garbled or cut.
        const CString path = dlg.GetPathName();
        const std::string ansi = AfxToAnsi(path);
        if (!path.IsEmpty() && AfxFromAnsi(ansi.c_str()) == path &&
            CopyChosenPath(ansi.data(), ansi.size(), pszPath, kChosenPathCap))
            return 1;
        return 0;
    });
}
