// The scene playback window and its export, _PlayAVIWnd.
#include "playback/aviplaydlg.h"

#include <windows.h>
#include <vfw.h>

#include "frame/barrier.h"
#include "include/oroscape.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CAviPlayDlg, CDialog)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

namespace {

// A child that plays with its play bar and menu button, resizes itself to the video, shows
// MCI errors in its own boxes and tells its parent about position changes (which the dialog
// ignores).
const DWORD kMciStyle = WS_CHILD | WS_VISIBLE | MCIWNDF_NOTIFYPOS;  // 0x50000200

}  // namespace

CAviPlayDlg::CAviPlayDlg(CWnd* pParent) : CDialog(IDD_AVI_PLAY, pParent), m_hWndMCI(nullptr) {}

CAviPlayDlg::~CAviPlayDlg() = default;

void CAviPlayDlg::DoDataExchange(CDataExchange*) {}

BOOL CAviPlayDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_hWndMCI = ::MCIWndCreateW(m_hWnd, AfxGetInstanceHandle(), kMciStyle, m_strFileName);
    if (m_hWndMCI == nullptr) {
        EndDialog(-1);
        return TRUE;
    }
    // The client area holds the MCI window (video plus play bar) exactly: the outer size comes
    // from the dialog's own frame, caption and styles, whatever thickness the system draws them
    // with. Sized once; the position stays for the framework to centre.
    RECT mci;
    ::GetWindowRect(m_hWndMCI, &mci);
    RECT outer = {0, 0, mci.right - mci.left, mci.bottom - mci.top};
    ::AdjustWindowRectEx(&outer, GetStyle(), FALSE, static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)));
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    return TRUE;
}

void CAviPlayDlg::OnClose()
{
    if (m_hWndMCI != nullptr)
        ::SendMessageW(m_hWndMCI, WM_CLOSE, 0, 0);
    m_hWndMCI = nullptr;
    Default();  // the dialog manager turns WM_CLOSE into Cancel
}

// ---------------------------------------------------------------------------
// Export

extern "C" int __cdecl _PlayAVIWnd(const char* fileName)
{
    if (fileName == nullptr)
        return -1;
    return ExportBarrier(-1, [&] {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        CAviPlayDlg dlg(nullptr);
        dlg.m_strFileName = AfxFromAnsi(fileName);
        return static_cast<int>(dlg.DoModal());
    });
}
