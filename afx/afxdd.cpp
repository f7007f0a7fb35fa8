#include "afx/afxdd.h"
#include "afx/afxwin.h"

#include <errno.h>
#include <float.h>
#include <limits.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

namespace {

// The standard prompts of data exchange.
const wchar_t kPromptInt[] = L"请输入一个整数。";
const wchar_t kPromptReal[] = L"请输入一个数字。";
const wchar_t kPromptIntRange[] = L"请输入一个介于 %d 和 %d 之间的整数。";
const wchar_t kPromptRealRange[] = L"请输入一个介于 %.*g 和 %.*g 之间的数字。";
const wchar_t kPromptMaxChars[] = L"请输入不多于 %d 个字符。";

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// Whole text must be one integer, blanks around it allowed. An integer too large for the
// parser still is one: it comes back clamped to the largest of its sign.
bool ParseInteger(const wchar_t* text, long long& out)
{
    while (IsBlank(*text)) ++text;
    if (*text == 0) return false;
    wchar_t* end = nullptr;
    errno = 0;
    long long v = wcstoll(text, &end, 10);
    if (end == text) return false;
    while (IsBlank(*end)) ++end;
    if (*end != 0) return false;
    out = v;
    return true;
}

bool ParseDouble(const wchar_t* text, double& out)
{
    while (IsBlank(*text)) ++text;
    if (*text == 0) return false;
    wchar_t* end = nullptr;
    double v = wcstod(text, &end);
    if (end == text) return false;
    while (IsBlank(*end)) ++end;
    if (*end != 0) return false;
    out = v;
    return true;
}

// The control's text, read straight from the handle: no window object is made for it.
CString ControlText(HWND hWnd)
{
    const int n = ::GetWindowTextLengthW(hWnd);
    if (n <= 0)
        return CString();
    std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
    const int got = ::GetWindowTextW(hWnd, &buf[0], n + 1);
    buf.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return CString(buf);
}

}  // namespace

HWND CDataExchange::PrepareCtrl(int id)
{
    HWND hWnd = nullptr;
    m_pDlgWnd->GetDlgItem(id, &hWnd);
    AFX_ASSERT(hWnd != nullptr);  // the id names a control of the window
    m_idLastControl = id;
    m_hWndLastControl = hWnd;
    m_bEditLastControl = FALSE;
    return hWnd;
}

HWND CDataExchange::PrepareEditCtrl(int id)
{
    HWND hWnd = PrepareCtrl(id);
    m_bEditLastControl = TRUE;
    return hWnd;
}

void CDataExchange::Fail(AFX_DDX_FAILURE::Kind kind, double value, double minValue, double maxValue)
{
    m_bFailed = TRUE;
    AFX_DDX_FAILURE failure = {kind, value, minValue, maxValue, m_idLastControl, m_hWndLastControl,
                               m_bEditLastControl};
    m_pDlgWnd->OnDataExchangeFailure(failure);
}

CString AfxDataExchangePrompt(const AFX_DDX_FAILURE& failure)
{
    CString prompt;
    switch (failure.kind) {
    case AFX_DDX_FAILURE::kNotInteger:
        prompt = kPromptInt;
        break;
    case AFX_DDX_FAILURE::kNotNumber:
        prompt = kPromptReal;
        break;
    case AFX_DDX_FAILURE::kIntRange:
        prompt.Format(kPromptIntRange, static_cast<int>(failure.minValue), static_cast<int>(failure.maxValue));
        break;
    case AFX_DDX_FAILURE::kRealRange:
        prompt.Format(kPromptRealRange, FLT_DIG, failure.minValue, FLT_DIG, failure.maxValue);
        break;
    case AFX_DDX_FAILURE::kTooLong:
        prompt.Format(kPromptMaxChars, static_cast<int>(failure.maxValue));
        break;
    }
    return prompt;
}

void CWnd::OnDataExchangeFailure(const AFX_DDX_FAILURE& failure)
{
    AfxMessageBox(AfxDataExchangePrompt(failure), MB_OK | MB_ICONEXCLAMATION);
    if (failure.hWndField != nullptr && ::IsWindow(failure.hWndField)) {
        ::SetFocus(failure.hWndField);
        if (failure.bEdit)
            ::SendMessageW(failure.hWndField, EM_SETSEL, 0, -1);
    }
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (pDX->m_bFailed)
        return;
    HWND hWnd = pDX->PrepareCtrl(id);
    if (hWnd == nullptr)
        return;
    if (control.m_hWnd == nullptr)
        control.SubclassWindow(hWnd);
    else
        AFX_ASSERT(control.m_hWnd == hWnd);  // one object, one control
}

void AfxSetWindowText(HWND hWnd, const wchar_t* text)
{
    // One question to the control: its text up to one character more than the new one (a longer
    // text differs without being read whole).
    const size_t n = wcslen(text);
    wchar_t small[64];
    std::wstring large;
    wchar_t* current = small;
    if (n + 2 > sizeof small / sizeof small[0]) {
        if (n + 2 > static_cast<size_t>(INT_MAX)) {
            ::SetWindowTextW(hWnd, text);
            return;
        }
        large.assign(n + 2, L'\0');
        current = &large[0];
    }
    const int got = ::GetWindowTextW(hWnd, current, static_cast<int>(n + 2));
    if (got >= 0 && static_cast<size_t>(got) == n && wmemcmp(current, text, n) == 0)
        return;
    ::SetWindowTextW(hWnd, text);
}

static bool TextToInteger(CDataExchange* pDX, HWND hWnd, long minAllowed, long maxAllowed, long& out)
{
    long long v = 0;
    if (!ParseInteger(ControlText(hWnd), v)) {
        pDX->Fail(AFX_DDX_FAILURE::kNotInteger);
        return false;
    }
    if (v < minAllowed || v > maxAllowed) {
        pDX->Fail(AFX_DDX_FAILURE::kIntRange, static_cast<double>(v), minAllowed, maxAllowed);
        return false;
    }
    out = static_cast<long>(v);
    return true;
}

void DDX_Text(CDataExchange* pDX, int id, short& value)
{
    if (pDX->m_bFailed) return;
    HWND hWnd = pDX->PrepareEditCtrl(id);
    if (hWnd == nullptr) return;
    if (pDX->m_bSaveAndValidate) {
        long v;
        if (TextToInteger(pDX, hWnd, SHRT_MIN, SHRT_MAX, v))
            value = static_cast<short>(v);
    } else {
        wchar_t buf[32];
        swprintf(buf, 32, L"%d", static_cast<int>(value));
        AfxSetWindowText(hWnd, buf);
    }
}

void DDX_Text(CDataExchange* pDX, int id, int& value)
{
    if (pDX->m_bFailed) return;
    HWND hWnd = pDX->PrepareEditCtrl(id);
    if (hWnd == nullptr) return;
    if (pDX->m_bSaveAndValidate) {
        long v;
        if (TextToInteger(pDX, hWnd, INT_MIN, INT_MAX, v))
            value = static_cast<int>(v);
    } else {
        wchar_t buf[32];
        swprintf(buf, 32, L"%d", value);
        AfxSetWindowText(hWnd, buf);
    }
}

void DDX_Text(CDataExchange* pDX, int id, float& value)
{
    if (pDX->m_bFailed) return;
    HWND hWnd = pDX->PrepareEditCtrl(id);
    if (hWnd == nullptr) return;
    if (pDX->m_bSaveAndValidate) {
        double v;
        if (!ParseDouble(ControlText(hWnd), v) || isnan(v)) {
            pDX->Fail(AFX_DDX_FAILURE::kNotNumber);
            return;
        }
        if (v > FLT_MAX || v < -FLT_MAX) {
            pDX->Fail(AFX_DDX_FAILURE::kRealRange, v, -FLT_MAX, FLT_MAX);
            return;
        }
        value = static_cast<float>(v);
    } else {
        wchar_t buf[64];
        swprintf(buf, 64, L"%.*g", FLT_DIG, static_cast<double>(value));
        AfxSetWindowText(hWnd, buf);
    }
}

void DDX_Text(CDataExchange* pDX, int id, CString& value)
{
    if (pDX->m_bFailed) return;
    HWND hWnd = pDX->PrepareEditCtrl(id);
    if (hWnd == nullptr) return;
    if (pDX->m_bSaveAndValidate)
        value = ControlText(hWnd);
    else
        AfxSetWindowText(hWnd, value);
}

void DDX_Check(CDataExchange* pDX, int id, int& value)
{
    if (pDX->m_bFailed) return;
    HWND hWnd = pDX->PrepareCtrl(id);
    if (hWnd == nullptr) return;
    if (pDX->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageW(hWnd, BM_GETCHECK, 0, 0));
    else
        ::SendMessageW(hWnd, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Radio(CDataExchange* pDX, int id, int& value)
{
    if (pDX->m_bFailed) return;
    HWND hWnd = pDX->PrepareCtrl(id);
    if (hWnd == nullptr) return;
    if (pDX->m_bSaveAndValidate)
        value = -1;
    int index = 0;
    for (HWND button = hWnd; button != nullptr; button = ::GetWindow(button, GW_HWNDNEXT)) {
        LONG_PTR style = ::GetWindowLongPtrW(button, GWL_STYLE);
        if (button != hWnd && (style & WS_GROUP))
            break;
        if (::SendMessageW(button, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) {
            if (pDX->m_bSaveAndValidate) {
                if (::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED && value == -1)
                    value = index;
            } else {
                ::SendMessageW(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
            }
            ++index;
        }
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal)
{
    if (pDX->m_bFailed || !pDX->m_bSaveAndValidate)
        return;
    if (value < minVal || value > maxVal)
        pDX->Fail(AFX_DDX_FAILURE::kIntRange, value, minVal, maxVal);
}

void DDV_MinMaxFloat(CDataExchange* pDX, float value, float minVal, float maxVal)
{
    if (pDX->m_bFailed || !pDX->m_bSaveAndValidate)
        return;
    if (value < minVal || value > maxVal || isnan(value))
        pDX->Fail(AFX_DDX_FAILURE::kRealRange, value, minVal, maxVal);
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars)
{
    if (pDX->m_bFailed)
        return;
    if (!pDX->m_bSaveAndValidate) {
        if (pDX->m_hWndLastControl != nullptr && pDX->m_bEditLastControl)
            ::SendMessageW(pDX->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(nChars), 0);
        return;
    }
    if (value.GetLength() > nChars)
        pDX->Fail(AFX_DDX_FAILURE::kTooLong, value.GetLength(), 0, nChars);
}
