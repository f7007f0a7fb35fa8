#include "heightcolor/heightcolordlg.h"

#include <shellapi.h>
#include <string.h>

#include <string>
#include <vector>

#include "afx/afxdd.h"
#include "afx/afxdlgs.h"
#include "frame/barrier.h"
#include "frame/strings.h"
#include "heightcolor/colortable.h"
#include "heightcolor/colortable_file.h"
#include "heightcolor/inputdlgs.h"
#include "heightcolor/layers.h"
#include "res/resource.h"

static_assert(sizeof(LayerColor) == sizeof(LutColor), "LayerColor and LutColor differ");

namespace {

// The table that leaving custom mode goes back to.
const char kDefaultTable[] = "terrain";
// The layer list's image list: the mask colour of its bitmap (its sizes are the list's).
const COLORREF kLayerImageMask = RGB(192, 192, 192);
// Size of the dialog's icon at kBaseDpi.
const int kIconSize = 32;

// Sizes of the square images of icon resource id, from its group directory (a width of 0
// there means 256).
std::vector<int> IconImageSizes(HINSTANCE instance, UINT id)
{
    std::vector<int> sizes;
    HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    HGLOBAL loaded = found != nullptr ? ::LoadResource(instance, found) : nullptr;
    const BYTE* dir = loaded != nullptr ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    const DWORD bytes = found != nullptr ? ::SizeofResource(instance, found) : 0;
    if (dir == nullptr || bytes < 6)
        return sizes;
    const int count = dir[4] | (dir[5] << 8);
    const DWORD kEntry = 14;  // GRPICONDIRENTRY
    for (int i = 0; i < count && 6 + (static_cast<DWORD>(i) + 1) * kEntry <= bytes; ++i) {
        const int width = dir[6 + i * kEntry];
        sizes.push_back(width == 0 ? 256 : width);
    }
    return sizes;
}

LutColor* AsLut(LayerColor* colors) { return reinterpret_cast<LutColor*>(colors); }
const LutColor& AsLut(const LayerColor& color) { return reinterpret_cast<const LutColor&>(color); }

void CopyName(char (&to)[128], const char* from)
{
    size_t n = 0;
    while (n + 1 < sizeof to && from[n] != '\0') {
        to[n] = from[n];
        ++n;
    }
    to[n] = '\0';
}

}  // namespace

BEGIN_MESSAGE_MAP(CHeightColorDlg, CDialog)
    ON_BN_CLICKED(IDC_ALLOW_LIMIT_EDIT, OnAllowLimitEdit)
    ON_BN_CLICKED(IDC_CUSTOM_LAYERS, OnCustomLayers)
    ON_MESSAGE(WM_EDIT_LAYER_CELL, OnEditLayerCell)
    ON_WM_VSCROLL()
    ON_CBN_SELCHANGE(IDC_TABLES, OnSelchangeTables)
    ON_BN_CLICKED(IDC_APPLY, OnApply)
    ON_BN_CLICKED(IDC_CONTINUOUS, OnContinuous)
    ON_BN_CLICKED(IDC_SAVE, OnSave)
    ON_MESSAGE(WM_DROPFILES, OnDropFiles)
END_MESSAGE_MAP()

CHeightColorDlg::CHeightColorDlg(const float* heightRange, HeightColorInfo* info, CWnd* pParent)
    : CDialog(IDD_HEIGHT_COLOR, pParent),
      m_bContinuous(FALSE),
      m_bAllowLimitEdit(FALSE),
      m_bCustomLayers(info->nLayers < 256 ? TRUE : FALSE),
      // A count outside 1 to 256 from the host is taken as the nearest one the record holds.
      m_nLayers(WorkingLayerCount(info->nLayers)),
      m_nColumnsInserted(0),
      m_hIcon(nullptr),
      m_pHeightRange(heightRange),
      m_pInfo(info),
      m_pLimits(info->fLimit),
      m_pColors(info->wColor),
      m_pMarks(nullptr),
      m_nMarks(0)
{
    // The host's name may lack its terminator: never read past its 128 bytes.
    memcpy(m_szTableName, info->szName, sizeof m_szTableName);
    m_szTableName[sizeof m_szTableName - 1] = '\0';
}

CHeightColorDlg::~CHeightColorDlg()
{
    delete[] m_pMarks;
    if (m_hIcon != nullptr)
        ::DestroyIcon(m_hIcon);  // the static that showed it went with the dialog
}

void CHeightColorDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_SAVE, m_btnSave);
    DDX_Control(pDX, IDC_APPLY, m_btnApply);
    DDX_Control(pDX, IDC_LAYER_LIST, m_listLayers);
    DDX_Control(pDX, IDC_LAYER_SPIN, m_spinLayers);
    DDX_Check(pDX, IDC_CONTINUOUS, m_bContinuous);
    DDX_Check(pDX, IDC_ALLOW_LIMIT_EDIT, m_bAllowLimitEdit);
    DDX_Check(pDX, IDC_CUSTOM_LAYERS, m_bCustomLayers);
    DDX_Text(pDX, IDC_LAYER_COUNT, m_nLayers);
    DDV_MinMaxInt(pDX, m_nLayers, 1, kMaxLayers);
    DDX_Control(pDX, IDC_LAYER_COUNT, m_editLayers);
    DDX_Control(pDX, IDC_TABLES, m_comboTables);
    DDX_Control(pDX, IDC_CONTINUOUS, m_chkContinuous);
    DDX_Control(pDX, IDC_ALLOW_LIMIT_EDIT, m_chkAllowLimitEdit);
}

BOOL CHeightColorDlg::TakeValues()
{
    const short lastValid = m_nLayers;
    if (!UpdateData(TRUE)) {
        m_nLayers = lastValid;
        return FALSE;
    }
    SyncMarks();
    return TRUE;
}

BOOL CHeightColorDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // Ramp files dropped from the file manager (OnDropFiles).
    ::DragAcceptFiles(m_hWnd, TRUE);
    m_spinLayers.SetRange(1, kMaxLayers);
    m_spinLayers.SetPos(m_nLayers);
    EnableCustomControls(m_bCustomLayers);
    ShowIconForResolution();

    // The columns are laid out before the host directory is asked for, so that switching
    // mode or spinning fills a usable list even when the dialog starts without one.
    m_nColumnsInserted = 0;
    m_listLayers.SetupColumns(kLayerColumns);

    std::vector<std::string> titles;
    if (!EnumColorTables(&titles))
        return FALSE;  // no host directory: empty combo, empty list
    for (const std::string& title : titles)
        m_comboTables.AddString(AfxFromAnsi(title.c_str()));
    SelectTable(m_szTableName);

    if (strlen(m_szTableName) < 2) {
        FillLayerList();
    } else if (LayersFromTable()) {
        FillLayerList();
    } else {
        // The named table is gone: the host gets the grey ramp, as _ReadColorTable gives it,
        // and the dialog does not open.
        FillGreyLut(AsLut(m_pColors));
        EndDialog(-1);
    }
    return TRUE;
}

void CHeightColorDlg::EnableCustomControls(BOOL bCustom)
{
    static const int kCustomOnly[] = {IDC_CONTINUOUS, IDC_ALLOW_LIMIT_EDIT, IDC_LAYER_COUNT,
                                      IDC_LAYER_SPIN, IDC_SAVE};
    for (int id : kCustomOnly)
        ::EnableWindow(::GetDlgItem(m_hWnd, id), bCustom);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_TABLES), !bCustom);
}

void CHeightColorDlg::ShowIconForResolution()
{
    int dpi = kBaseDpi;
    {
        CClientDC dc(this);
        if (dc.GetSafeHdc() != nullptr && ::GetDeviceCaps(dc.GetSafeHdc(), LOGPIXELSY) > 0)
            dpi = ::GetDeviceCaps(dc.GetSafeHdc(), LOGPIXELSY);
    }
    const std::vector<int> sizes = IconImageSizes(AfxGetResourceHandle(), IDI_HEIGHT_COLOR);
    const int size = NearestIconSize(sizes.data(), static_cast<int>(sizes.size()), kIconSize, dpi);
    // The template's static loaded its icon at the system's icon size: when that is the size
    // wanted, the image shown is the one wanted already.
    if (size <= 0 || (size == ::GetSystemMetrics(SM_CXICON) && size == ::GetSystemMetrics(SM_CYICON)))
        return;
    HWND iconStatic = nullptr;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[16] = L"";
        ::GetClassNameW(child, cls, 16);
        // A check box's style has the same low bits as SS_ICON: the class decides first.
        if (::lstrcmpiW(cls, L"Static") == 0 && (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            iconStatic = child;
            break;
        }
    }
    if (iconStatic == nullptr)
        return;
    HICON icon = static_cast<HICON>(::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_HEIGHT_COLOR),
                                                 IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (icon == nullptr)
        return;  // the template's icon stays
    // The static takes the icon's size; the icon it had is a shared one and is not destroyed.
    ::SendMessageW(iconStatic, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    if (m_hIcon != nullptr)
        ::DestroyIcon(m_hIcon);
    m_hIcon = icon;
}

BOOL CHeightColorDlg::LayersFromTable()
{
    // The values in the controls are refreshed; the table's own count replaces the layer count.
    TakeValues();
    // Read into a scratch table first: a table that cannot be read leaves the record alone.
    LayerColor colors[kMaxLayers];
    short count = 0;
    if (!ReadColorTableFile(m_szTableName, colors, &count))
        return FALSE;
    memcpy(m_pColors, colors, sizeof(LayerColor) * static_cast<size_t>(count));
    m_nLayers = count;
    SyncMarks();
    SpreadTableLayers(m_pHeightRange[0], m_pHeightRange[1], m_nLayers, m_pLimits);
    UpdateData(FALSE);
    return TRUE;
}

BOOL CHeightColorDlg::SwitchTable(const char* name)
{
    char previousName[sizeof m_szTableName];
    memcpy(previousName, m_szTableName, sizeof previousName);
    SetTableName(name);
    if (LayersFromTable()) {
        FillLayerList();
        return TRUE;
    }
    // Unreadable: the record and the list keep the table they had, and so does the combo.
    SetTableName(previousName);
    m_comboTables.SetCurSel(-1);
    if (strlen(m_szTableName) > 0)
        SelectTable(m_szTableName);
    return FALSE;
}

void CHeightColorDlg::MakeEvenLayers()
{
    if (!TakeValues())
        return;  // the prompt has been shown; the layers stay as they are
    ::MakeEvenLayers(m_pHeightRange[0], m_pHeightRange[1], m_nLayers, m_pLimits, AsLut(m_pColors));
}

void CHeightColorDlg::SetRowTexts(int row, bool insert)
{
    CString text;
    text.Format(L"%d", row);
    if (insert)
        m_listLayers.InsertItem(row, text);
    else
        m_listLayers.SetItemText(row, 0, text);
    text.Format(L"%.3f", static_cast<double>(m_pLimits[row][0]));
    m_listLayers.SetItemText(row, 1, text);
    text.Format(L"%.3f", static_cast<double>(m_pLimits[row][1]));
    m_listLayers.SetItemText(row, 2, text);
    wchar_t color[16];
    ColorRefToText(LayerColorToColorRef(AsLut(m_pColors[row])), color, 16);
    m_listLayers.SetItemText(row, 3, color);
}

void CHeightColorDlg::FillLayerList()
{
    if (m_nColumnsInserted == 0) {
        for (int i = 0; i < kLayerColumns; ++i)
            m_listLayers.InsertColumn(i, L"", LVCFMT_CENTER, m_listLayers.ColumnWidth(i));
        m_nColumnsInserted = kLayerColumns;
        // No row shows an image; the image list gives the rows their height. Bitmap and images
        // at the screen's resolution, so that the rows grow with it.
        const LayerListMetrics& m = m_listLayers.Metrics();
        m_imageList.Create(IDB_LAYER_IMAGES, SIZE{m.bitmapWidth, m.bitmapHeight}, SIZE{m.imageWidth, m.imageHeight},
                           1, kLayerImageMask);
        m_listLayers.SetImageList(&m_imageList, LVSIL_SMALL);
    }
    // Drawn once when filled, not once per row inserted (256 rows took seconds).
    m_listLayers.SendMessage(WM_SETREDRAW, FALSE);
    m_listLayers.DeleteAllItems();
    const int n = LayersInRecord(m_nLayers);
    for (int i = 0; i < n; ++i)
        SetRowTexts(i, true);
    m_listLayers.RestoreCursor();
    m_listLayers.SendMessage(WM_SETREDRAW, TRUE);
    m_listLayers.Invalidate(TRUE);
}

void CHeightColorDlg::UpdateLayerRow(int row)
{
    SetRowTexts(row, false);
    m_listLayers.Invalidate(TRUE);
}

void CHeightColorDlg::ResetMarks(bool on)
{
    delete[] m_pMarks;
    m_pMarks = nullptr;
    m_nMarks = 0;
    if (!on)
        return;
    m_nMarks = LayersInRecord(m_nLayers);
    m_pMarks = new char[m_nMarks > 0 ? m_nMarks : 1]();
}

void CHeightColorDlg::SyncMarks()
{
    const int n = LayersInRecord(m_nLayers);
    if (m_pMarks == nullptr || n == m_nMarks)
        return;
    char* marks = new char[n > 0 ? n : 1]();
    memcpy(marks, m_pMarks, static_cast<size_t>(n < m_nMarks ? n : m_nMarks));
    delete[] m_pMarks;
    m_pMarks = marks;
    m_nMarks = n;
}

void CHeightColorDlg::SetTableName(const char* name)
{
    CopyName(m_szTableName, name);
}

void CHeightColorDlg::SelectTable(const char* name)
{
    m_comboTables.SelectString(0, AfxFromAnsi(name));
}

bool CHeightColorDlg::IsTableListed(const CString& name) const
{
    const int n = m_comboTables.GetCount();
    for (int i = 0; i < n; ++i) {
        CString entry;
        m_comboTables.GetLBText(i, entry);
        if (entry.CompareNoCase(name) == 0)
            return true;
    }
    return false;
}

void CHeightColorDlg::OnAllowLimitEdit()
{
    m_bAllowLimitEdit = !m_bAllowLimitEdit;
}

void CHeightColorDlg::OnContinuous()
{
    m_bContinuous = !m_bContinuous;
    m_btnApply.EnableWindow(m_bContinuous);
    m_editLayers.EnableWindow(!m_bContinuous);
    ResetMarks(m_bContinuous != FALSE);
}

void CHeightColorDlg::OnCustomLayers()
{
    m_bCustomLayers = !m_bCustomLayers;
    m_bContinuous = FALSE;
    ResetMarks(false);
    m_btnApply.EnableWindow(FALSE);

    if (m_bCustomLayers) {
        OnContinuous();  // custom layers start with continuous tone on
        m_spinLayers.SetPos(6);
        m_nLayers = 6;
        SyncMarks();
        UpdateData(FALSE);
        MakeEvenLayers();
        FillLayerList();
    } else {
        // Back to the default table; should it not be readable, the record, the count, the
        // name and the list stay as they were.
        const short previousCount = m_nLayers;
        SelectTable(kDefaultTable);
        m_nLayers = kMaxLayers;
        m_spinLayers.SetPos(kMaxLayers);
        UpdateData(FALSE);
        if (!SwitchTable(kDefaultTable)) {
            m_nLayers = previousCount;
            m_spinLayers.SetPos(previousCount);
            UpdateData(FALSE);
        }
    }
    EnableCustomControls(m_bCustomLayers);
}

LRESULT CHeightColorDlg::OnEditLayerCell(WPARAM wParam, LPARAM lParam)
{
    const int row = static_cast<short>(LOWORD(wParam));
    // Only a row the list shows, and so one the record holds.
    if (row < 0 || row >= kMaxLayers || row >= m_listLayers.GetItemCount())
        return 0;
    const int column = static_cast<int>(lParam);
    if (column == 1 || column == 2) {
        if (!m_bAllowLimitEdit || !m_bCustomLayers)
            return 0;
        CThresholdDlg dlg;
        dlg.m_fValue = m_pLimits[row][column - 1];
        if (dlg.DoModal() == IDOK) {
            m_pLimits[row][column - 1] = dlg.m_fValue;
            UpdateLayerRow(row);
        }
    } else if (column == 3) {
        CColorDialog dlg(LayerColorToColorRef(AsLut(m_pColors[row])), CC_FULLOPEN);
        if (dlg.DoModal() == IDOK) {
            const LutColor picked = ColorRefToLayerColor(dlg.GetColor());
            m_pColors[row].r = picked.r;
            m_pColors[row].g = picked.g;
            m_pColors[row].b = picked.b;
            UpdateLayerRow(row);
            if (m_bContinuous && m_pMarks != nullptr && row < m_nMarks)
                m_pMarks[row] = 1;
        }
    }
    return 0;
}

void CHeightColorDlg::OnVScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar)
{
    if (nSBCode == SB_THUMBPOSITION && pScrollBar != nullptr &&
        pScrollBar->m_hWnd == m_spinLayers.m_hWnd) {
        const int pos = LOWORD(m_spinLayers.GetPos());
        if (pos >= 2 && pos <= kMaxLayers) {
            MakeEvenLayers();
            FillLayerList();
        }
    }
    Default();
}

void CHeightColorDlg::OnSelchangeTables()
{
    TakeValues();
    const int sel = m_comboTables.GetCurSel();
    if (sel >= 0) {
        CString entry;
        m_comboTables.GetLBText(sel, entry);
        SwitchTable(AfxToAnsi(entry).c_str());
    }
    UpdateData(FALSE);
}

void CHeightColorDlg::OnApply()
{
    if (!BlendMarkedLayers(AsLut(m_pColors), m_pMarks, m_nMarks, m_nLayers)) {
        ShowWarning(IDS_NEED_COLORS);
        return;
    }
    FillLayerList();
    if (m_pMarks != nullptr)
        memset(m_pMarks, 0, static_cast<size_t>(m_nMarks));
}

void CHeightColorDlg::OnSave()
{
    CSaveColorTableDlg dlg;
    for (;;) {
        if (dlg.DoModal() != IDOK)
            return;
        if (!IsTableListed(dlg.m_strName))
            break;
        ShowWarning(IDS_FILE_EXISTS);
    }
    // The file gets the name in the ANSI code page; a name that does not survive the trip (a
    // character the code page lacks) would be saved under another name, so it is refused.
    const std::string name = AfxToAnsi(dlg.m_strName);
    const bool faithful = AfxFromAnsi(name.c_str()) == dlg.m_strName.GetString();
    if (faithful && SaveColorTable(name.c_str(), m_pColors))
        m_comboTables.AddString(dlg.m_strName);
    else
        ShowWarning(IDS_SAVE_FAILED);
}

short CHeightColorDlg::SaveColorTable(const char* name, const LayerColor* colors)
{
    if (name == nullptr || colors == nullptr)
        return 0;
    return WriteColorTableFile(name, colors, m_nLayers) ? 1 : 0;
}

void CHeightColorDlg::OnOK()
{
    if (!TakeValues())
        return;
    m_pInfo->nLayers = m_nLayers;
    if (m_bCustomLayers)
        m_pInfo->szName[0] = '\0';
    else
        memcpy(m_pInfo->szName, m_szTableName, sizeof m_pInfo->szName);
    EndDialog(IDOK);
}

// ---------------------------------------------------------------------------

extern "C" int __cdecl _SetHeightColorDlg(const float* heightRange, HeightColorInfo* info)
{
    // Nothing to edit: the dialog cannot start.
    if (heightRange == nullptr || info == nullptr)
        return -1;
    return ExportBarrier(-1, [&] {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        CHeightColorDlg dlg(heightRange, info);
        return static_cast<int>(dlg.DoModal());
    });
}
