#include "model/modelsheet.h"

#include "model/fogpage.h"
#include "model/lightpage.h"
#include "model/materialpage.h"
#include "model/modelvalues.h"

IMPLEMENT_DYNAMIC(CModelSheet, CPropertySheet)

static_assert(MCF_LIGHT_AMBIENT == model::kLightAmbientBit && MCF_BACK_COLOR == model::kBackColorBit &&
                  MCF_MAT_SHININESS == model::kMatShininessBit && MCF_MAT_SHININESS == model::kMatModeBit &&
                  MCF_FOG_DENSITY == model::kFogDensityBit,
              "the change bits of the public header and of the pages agree");

BEGIN_MESSAGE_MAP(CModelSheet, CPropertySheet)
    ON_COMMAND(ID_APPLY_NOW, OnApplyNow)
END_MESSAGE_MAP()

CModelSheet::CModelSheet(const wchar_t* pszCaption, const OROSCAPE_HOSTWND* pHostWnd, UINT iSelectPage)
    : CPropertySheet(pszCaption, nullptr, iSelectPage), m_pHostWnd(pHostWnd), m_pLightPage(nullptr),
      m_pMaterialPage(nullptr), m_pFogPage(nullptr), m_wChangeMask(0)
{
    try {
        m_pLightPage = new CLightPage;
        m_pMaterialPage = new CMaterialPage;
        m_pFogPage = new CFogPage;
        AddPage(m_pLightPage);
        AddPage(m_pMaterialPage);
        AddPage(m_pFogPage);
    } catch (...) {
        // A page that could not be made or added: the ones made so far go with the sheet.
        delete m_pLightPage;
        delete m_pMaterialPage;
        delete m_pFogPage;
        throw;
    }
}

CModelSheet::~CModelSheet()
{
    delete m_pLightPage;
    m_pLightPage = nullptr;
    delete m_pMaterialPage;
    m_pMaterialPage = nullptr;
    delete m_pFogPage;
    m_pFogPage = nullptr;
    m_pHostWnd = nullptr;
}

void CModelSheet::SetColor(ModelColor which, const MODELCOLOR& c)
{
    switch (which) {
    case ModelColor::LightAmbient: m_pLightPage->SetRowColor(0, c); break;
    case ModelColor::LightDiffuse: m_pLightPage->SetRowColor(1, c); break;
    case ModelColor::LightSpecular: m_pLightPage->SetRowColor(2, c); break;
    case ModelColor::LineColor: m_pLightPage->SetRowColor(3, c); break;
    case ModelColor::BackColor: m_pLightPage->SetRowColor(4, c); break;
    case ModelColor::MatAmbient: m_pMaterialPage->SetRowColor(0, c); break;
    case ModelColor::MatDiffuse: m_pMaterialPage->SetRowColor(1, c); break;
    case ModelColor::MatSpecular: m_pMaterialPage->SetRowColor(2, c); break;
    case ModelColor::MatEmission: m_pMaterialPage->SetRowColor(3, c); break;
    case ModelColor::FogColor: m_pFogPage->SetRowColor(0, c); break;
    }
}

void CModelSheet::GetColor(ModelColor which, MODELCOLOR* c) const
{
    switch (which) {
    case ModelColor::LightAmbient: m_pLightPage->GetRowColor(0, c); break;
    case ModelColor::LightDiffuse: m_pLightPage->GetRowColor(1, c); break;
    case ModelColor::LightSpecular: m_pLightPage->GetRowColor(2, c); break;
    case ModelColor::LineColor: m_pLightPage->GetRowColor(3, c); break;
    case ModelColor::BackColor: m_pLightPage->GetRowColor(4, c); break;
    case ModelColor::MatAmbient: m_pMaterialPage->GetRowColor(0, c); break;
    case ModelColor::MatDiffuse: m_pMaterialPage->GetRowColor(1, c); break;
    case ModelColor::MatSpecular: m_pMaterialPage->GetRowColor(2, c); break;
    case ModelColor::MatEmission: m_pMaterialPage->GetRowColor(3, c); break;
    case ModelColor::FogColor: m_pFogPage->GetRowColor(0, c); break;
    }
}

void CModelSheet::SetShininess(short value) { m_pMaterialPage->SetShininess(value); }
void CModelSheet::GetShininess(short* value) const { m_pMaterialPage->GetShininess(value); }
void CModelSheet::SetMatMode(short mode) { m_pFogPage->SetMatMode(mode); }
void CModelSheet::GetMatMode(short* mode) const { m_pFogPage->GetMatMode(mode); }
void CModelSheet::SetFogDensityBits(uint32_t bits) { m_pFogPage->SetFogDensityBits(bits); }
uint32_t CModelSheet::GetFogDensityBits() const { return m_pFogPage->GetFogDensityBits(); }

HWND CModelSheet::HostWindow() const
{
    if (m_pHostWnd == nullptr)
        return nullptr;
    // The object is the host's and its handle may be stale by now: a handle
    // that names no window, or another process's window, is no host.
    HWND host = m_pHostWnd->hWnd;
    DWORD process = 0;
    if (host == nullptr || !::IsWindow(host) || ::GetWindowThreadProcessId(host, &process) == 0 ||
        process != ::GetCurrentProcessId())
        return nullptr;
    return host;
}

INT_PTR CModelSheet::DoModal()
{
    m_pParentWnd = CWnd::FromHandle(HostWindow());
    return CPropertySheet::DoModal();
}

BOOL CModelSheet::OnInitDialog()
{
    BOOL result = CPropertySheet::OnInitDialog();

    // An ordinary sheet of the platform may have no wizard buttons at all:
    // then it keeps its own layout.
    HWND back = ::GetDlgItem(m_hWnd, ID_WIZBACK);
    HWND next = ::GetDlgItem(m_hWnd, ID_WIZNEXT);
    HWND finish = ::GetDlgItem(m_hWnd, ID_WIZFINISH);
    if (back == nullptr || next == nullptr || finish == nullptr)
        return result;

    RECT rcSheet, rcNext, rcFinish;
    ::GetWindowRect(m_hWnd, &rcSheet);
    ::GetWindowRect(next, &rcNext);
    ::GetWindowRect(finish, &rcFinish);
    RECT rcFinishClient = rcFinish;
    ScreenToClient(&rcFinishClient);
    const model::WizardButtonLayout layout = model::LayoutWizardButtons(
        {rcSheet.left, rcSheet.top, rcSheet.right, rcSheet.bottom},
        {rcNext.left, rcNext.top, rcNext.right, rcNext.bottom},
        {rcFinish.left, rcFinish.top, rcFinish.right, rcFinish.bottom}, rcFinishClient.top);

    ::SetWindowPos(m_hWnd, nullptr, 0, 0, layout.sheetWidth, rcSheet.bottom - rcSheet.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const struct {
        HWND button;
        model::ButtonPlace place;
    } moves[] = {{finish, layout.finish}, {next, layout.next}, {back, layout.back}};
    for (const auto& move : moves)
        ::SetWindowPos(move.button, nullptr, move.place.x, move.place.y, move.place.cx, move.place.cy,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    return result;
}

void CModelSheet::OnApplyNow()
{
    Default();
    // The platform asks the current page to let go before it applies. Values a
    // page has just refused (a prompt is showing the user why) are not reported
    // as applied: the bits wait for the next Apply.
    const CPropertyPage* page = GetActivePage();
    if (page != nullptr && !page->LetGoWhenLastAsked())
        return;

    if (HWND host = HostWindow())
        ::SendMessageW(host, WM_MODEL_APPLY, m_wChangeMask, 0);
    m_wChangeMask = 0;
    m_pLightPage->SetModified(FALSE);
    m_pMaterialPage->SetModified(FALSE);
    m_pFogPage->SetModified(FALSE);
    SendMessage(PSM_CANCELTOCLOSE, 0, 0);
}
