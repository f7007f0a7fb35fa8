#include "afx/afxacc.h"

#include <string.h>

#include <new>

#include "afx/afxstate.h"

namespace {

// The interfaces' identifiers, here so that nothing of ole32's or oleaut32's is linked.
const IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

bool SameIid(REFIID a, const IID& b)
{
    return memcmp(&a, &b, sizeof b) == 0;
}

// The functions of oleacc.dll and oleaut32.dll the objects use, loaded at the first
// WM_GETOBJECT and kept for the life of the process (a reader may hold objects that need them).
struct AccessibilityApi {
    LRESULT(WINAPI* lresultFromObject)(REFIID, WPARAM, LPUNKNOWN);
    HRESULT(WINAPI* createStdAccessibleObject)(HWND, LONG, REFIID, void**);
    BSTR(WINAPI* sysAllocStringLen)(const OLECHAR*, UINT);
};

AccessibilityApi g_api;
INIT_ONCE g_apiOnce = INIT_ONCE_STATIC_INIT;
bool g_apiLoaded = false;

template <class F>
bool Resolve(HMODULE module, const char* name, F& fn)
{
    FARPROC p = module ? ::GetProcAddress(module, name) : nullptr;
    fn = reinterpret_cast<F>(reinterpret_cast<void*>(p));
    return fn != nullptr;
}

BOOL CALLBACK LoadApi(PINIT_ONCE, PVOID, PVOID*)
{
    HMODULE oleacc = ::LoadLibraryW(L"oleacc.dll");
    HMODULE oleaut = ::LoadLibraryW(L"oleaut32.dll");
    AccessibilityApi api = {};
    g_apiLoaded = Resolve(oleacc, "LresultFromObject", api.lresultFromObject) &&
                  Resolve(oleacc, "CreateStdAccessibleObject", api.createStdAccessibleObject) &&
                  Resolve(oleaut, "SysAllocStringLen", api.sysAllocStringLen);
    if (g_apiLoaded)
        g_api = api;
    return TRUE;
}

const AccessibilityApi* Api()
{
    ::InitOnceExecuteOnce(&g_apiOnce, LoadApi, nullptr, nullptr);
    return g_apiLoaded ? &g_api : nullptr;
}

void SetEmpty(VARIANT* v)
{
    V_VT(v) = VT_EMPTY;
}

void SetChild(VARIANT* v, LONG child)
{
    V_VT(v) = VT_I4;
    V_I4(v) = child;
}

}  // namespace

// The IAccessible of a window's parts: the window's own object, or one of its child objects
// (scope). A child object keeps the window's object alive and asks it for the parts.
class CAccessible final : public IAccessible {
public:
    CAccessible(HWND hWnd, CAccessibleParts* parts) : m_hWnd(hWnd), m_parts(parts) {}
    CAccessible(CAccessible* root, LONG scope) : m_hWnd(root->m_hWnd), m_root(root), m_scope(scope)
    {
        m_root->AddRef();
    }

    HWND Window() const { return m_hWnd; }
    void Disconnect() { m_parts = nullptr; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (SameIid(riid, kIidUnknown) || SameIid(riid, kIidDispatch) || SameIid(riid, kIidAccessible)) {
            *ppv = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_ref)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG left = ::InterlockedDecrement(&m_ref);
        if (left == 0) {
            if (m_root != nullptr)
                m_root->Release();
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // IDispatch: the object is reached through its vtable only.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info != nullptr)
            *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    // IAccessible
    STDMETHODIMP get_accParent(IDispatch** parent) override
    {
        if (parent == nullptr)
            return E_POINTER;
        *parent = nullptr;
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        if (Parts() == nullptr)
            return CO_E_OBJNOTCONNECTED;
        if (m_root != nullptr)
            return m_root->QueryInterface(kIidDispatch, reinterpret_cast<void**>(parent));
        const AccessibilityApi* api = Api();
        if (api == nullptr)
            return S_FALSE;
        return api->createStdAccessibleObject(m_hWnd, OBJID_WINDOW, kIidDispatch, reinterpret_cast<void**>(parent));
    }
    STDMETHODIMP get_accChildCount(LONG* count) override
    {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        CAccessibleParts* parts = Parts();
        if (parts == nullptr)
            return CO_E_OBJNOTCONNECTED;
        return Guard([&] { *count = parts->AccChildCount(m_scope); });
    }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override
    {
        return Described(child, object, [&](LONG id, const AFX_ACCITEM&) {
            if (id == CHILDID_SELF)
                return E_INVALIDARG;
            *object = ChildObject(id);
            return *object != nullptr ? S_OK : S_FALSE;
        });
    }
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override { return Text(child, name, &AFX_ACCITEM::name); }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override
    {
        return Text(child, value, &AFX_ACCITEM::value);
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) override { return Nothing(child, text); }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* text) override { return Nothing(child, text); }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* text) override { return Nothing(child, text); }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* text) override { return Nothing(child, text); }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override
    {
        if (file != nullptr)
            *file = nullptr;
        if (topic != nullptr)
            *topic = 0;
        return S_FALSE;
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override { return Number(child, role, &AFX_ACCITEM::role); }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override
    {
        return Number(child, state, &AFX_ACCITEM::state);
    }
    STDMETHODIMP get_accFocus(VARIANT* focus) override
    {
        if (focus == nullptr)
            return E_POINTER;
        SetEmpty(focus);
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        CAccessibleParts* parts = Parts();
        if (parts == nullptr)
            return CO_E_OBJNOTCONNECTED;
        LONG child = -1;
        const HRESULT hr = Guard([&] { child = parts->AccFocusedChild(m_scope); });
        if (FAILED(hr))
            return hr;
        if (child < 0)
            return S_FALSE;
        return Point(focus, child);
    }
    STDMETHODIMP get_accSelection(VARIANT* selection) override
    {
        if (selection == nullptr)
            return E_POINTER;
        SetEmpty(selection);
        return Parts() != nullptr ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }
    STDMETHODIMP accSelect(LONG, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    STDMETHODIMP accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override
    {
        if (left == nullptr || top == nullptr || width == nullptr || height == nullptr)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        LONG id = 0;
        AFX_ACCITEM item;
        const HRESULT hr = Describe(child, &id, item);
        if (FAILED(hr))
            return hr;
        RECT rc = item.rect;
        if (!item.hasRect)
            ::GetClientRect(m_hWnd, &rc);
        ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
        *left = rc.left;
        *top = rc.top;
        *width = rc.right - rc.left;
        *height = rc.bottom - rc.top;
        return S_OK;
    }
    STDMETHODIMP accNavigate(LONG direction, VARIANT start, VARIANT* end) override
    {
        return Described(start, end, [&](LONG id, const AFX_ACCITEM&) { return Navigate(direction, id, end); });
    }
    STDMETHODIMP accHitTest(LONG x, LONG y, VARIANT* child) override
    {
        if (child == nullptr)
            return E_POINTER;
        SetEmpty(child);
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        CAccessibleParts* parts = Parts();
        if (parts == nullptr)
            return CO_E_OBJNOTCONNECTED;
        POINT pt = {x, y};
        ::ScreenToClient(m_hWnd, &pt);
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        if (!::PtInRect(&client, pt))
            return S_FALSE;
        LONG at = CHILDID_SELF;
        const HRESULT hr = Guard([&] { at = parts->AccChildAt(m_scope, pt); });
        return FAILED(hr) ? hr : Point(child, at);
    }
    STDMETHODIMP accDoDefaultAction(VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~CAccessible() = default;

    // The window's parts: none once cut off or once the window is gone.
    CAccessibleParts* Parts() const
    {
        CAccessibleParts* parts = m_root != nullptr ? m_root->m_parts : m_parts;
        return parts != nullptr && ::IsWindow(m_hWnd) ? parts : nullptr;
    }

    // The child a VARIANT names (VT_I4; VT_EMPTY counts as the object itself), described.
    HRESULT Describe(const VARIANT& child, LONG* id, AFX_ACCITEM& item) const
    {
        CAccessibleParts* parts = Parts();
        if (parts == nullptr)
            return CO_E_OBJNOTCONNECTED;
        if (V_VT(&child) == VT_EMPTY)
            *id = CHILDID_SELF;
        else if (V_VT(&child) == VT_I4)
            *id = V_I4(&child);
        else
            return E_INVALIDARG;
        bool known = false;
        const HRESULT hr = Guard([&] { known = parts->AccDescribe(m_scope, *id, item); });
        if (FAILED(hr))
            return hr;
        return known ? S_OK : E_INVALIDARG;
    }

    // Where direction leads from child id (of this object's children), into *end.
    HRESULT Navigate(LONG direction, LONG id, VARIANT* end)
    {
        LONG count = 0;
        const HRESULT counted = Guard([&] { count = Parts()->AccChildCount(m_scope); });
        if (FAILED(counted))
            return counted;
        LONG target = 0;
        if (id == CHILDID_SELF && direction == NAVDIR_FIRSTCHILD)
            target = 1;
        else if (id == CHILDID_SELF && direction == NAVDIR_LASTCHILD)
            target = count;
        else if (id != CHILDID_SELF && id <= count && (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN))
            target = id + 1;
        else if (id != CHILDID_SELF && id <= count && (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP))
            target = id - 1;
        if (target < 1 || target > count)
            return S_FALSE;
        return Point(end, target);
    }

    // Runs a call into the parts: no exception leaves the object (a text that found no memory
    // is a failed call).
    template <class F>
    static HRESULT Guard(F&& call)
    {
        try {
            call();
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    // A child object of the window's object, with one reference for the caller; null for a
    // simple child.
    IDispatch* ChildObject(LONG id)
    {
        CAccessibleParts* parts = Parts();
        bool isObject = false;
        if (m_root != nullptr || parts == nullptr || FAILED(Guard([&] { isObject = parts->AccChildIsObject(id); })) ||
            !isObject)
            return nullptr;
        CAccessible* object = new (std::nothrow) CAccessible(this, id);
        if (object == nullptr)
            return nullptr;
        object->AddRef();
        return object;
    }

    // child as a reader expects it: an object's IDispatch, else its number.
    HRESULT Point(VARIANT* v, LONG child)
    {
        if (child != CHILDID_SELF) {
            if (IDispatch* object = ChildObject(child)) {
                V_VT(v) = VT_DISPATCH;
                V_DISPATCH(v) = object;
                return S_OK;
            }
        }
        SetChild(v, child);
        return S_OK;
    }

    static void Clear(BSTR* out) { *out = nullptr; }
    static void Clear(IDispatch** out) { *out = nullptr; }
    static void Clear(VARIANT* out) { SetEmpty(out); }

    // The shape of every question about one child: the out argument checked and cleared, the
    // child described, and answer(id, item) gives the reply.
    template <class Out, class Answer>
    HRESULT Described(const VARIANT& child, Out* out, Answer&& answer) const
    {
        if (out == nullptr)
            return E_POINTER;
        Clear(out);
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        LONG id = 0;
        AFX_ACCITEM item;
        const HRESULT hr = Describe(child, &id, item);
        return FAILED(hr) ? hr : answer(id, static_cast<const AFX_ACCITEM&>(item));
    }

    HRESULT Text(const VARIANT& child, BSTR* out, CString AFX_ACCITEM::*field) const
    {
        return Described(child, out, [&](LONG, const AFX_ACCITEM& item) {
            const CString& text = item.*field;
            if (text.IsEmpty())
                return S_FALSE;
            const AccessibilityApi* api = Api();
            if (api == nullptr)
                return E_FAIL;
            *out = api->sysAllocStringLen(text, static_cast<UINT>(text.GetLength()));
            return *out != nullptr ? S_OK : E_OUTOFMEMORY;
        });
    }

    // A role or a state: a VT_I4 in *out.
    HRESULT Number(const VARIANT& child, VARIANT* out, LONG AFX_ACCITEM::*field) const
    {
        return Described(child, out, [&](LONG, const AFX_ACCITEM& item) {
            SetChild(out, item.*field);
            return S_OK;
        });
    }

    HRESULT Nothing(const VARIANT& child, BSTR* out) const
    {
        return Described(child, out, [](LONG, const AFX_ACCITEM&) { return S_FALSE; });
    }

    LONG m_ref = 1;
    HWND m_hWnd;
    CAccessibleParts* m_parts = nullptr;  // the window's object only
    CAccessible* m_root = nullptr;        // a child object's window object (a reference held)
    LONG m_scope = CHILDID_SELF;
};

BOOL CAccessibleServer::OnGetObject(HWND hWnd, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || m_parts == nullptr || hWnd == nullptr)
        return FALSE;
    const AccessibilityApi* api = Api();
    if (api == nullptr)
        return FALSE;
    // The object stays with the window it was made for: one made for an earlier window of the
    // same object is cut off.
    if (m_object != nullptr && m_object->Window() != hWnd)
        Disconnect();
    if (m_object == nullptr) {
        m_object = new (std::nothrow) CAccessible(hWnd, m_parts);
        if (m_object == nullptr)
            return FALSE;
    }
    *result = api->lresultFromObject(kIidAccessible, wParam, static_cast<IAccessible*>(m_object));
    return TRUE;
}

void CAccessibleServer::Disconnect()
{
    if (m_object == nullptr)
        return;
    m_object->Disconnect();
    m_object->Release();
    m_object = nullptr;
}

void CAccessibleServer::NotifyFocus(HWND hWnd, LONG child)
{
    ::NotifyWinEvent(EVENT_OBJECT_FOCUS, hWnd, OBJID_CLIENT, child);
}
