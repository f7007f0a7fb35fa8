#include "acc_reader.h"

namespace test {

namespace {

const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

template <class F>
void Resolve(HMODULE module, const char* name, F& fn)
{
    fn = module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}


std::vector<FocusEvent>* g_events = nullptr;

}  // namespace

const AccApi& Acc()
{
    static AccApi api;
    if (!api.ok) {
        CoInitialize(nullptr);
        HMODULE oleacc = LoadLibraryW(L"oleacc.dll");
        HMODULE oleaut = LoadLibraryW(L"oleaut32.dll");
        Resolve(oleacc, "AccessibleObjectFromWindow", api.objectFromWindow);
        Resolve(oleacc, "AccessibleObjectFromEvent", api.objectFromEvent);
        Resolve(oleacc, "AccessibleChildren", api.children);
        Resolve(oleaut, "SysFreeString", api.freeString);
        Resolve(oleaut, "VariantClear", api.clearVariant);
        Resolve(oleaut, "SysStringLen", api.stringLength);
        api.ok = api.objectFromWindow && api.objectFromEvent && api.children && api.freeString && api.clearVariant &&
                 api.stringLength;
    }
    return api;
}

IAccessible* AccOfWindow(HWND hwnd)
{
    const AccApi& api = Acc();
    IAccessible* acc = nullptr;
    if (!api.ok || FAILED(api.objectFromWindow(hwnd, OBJID_CLIENT, kIidAccessible, reinterpret_cast<void**>(&acc))))
        return nullptr;
    return acc;
}

AccPart AccReadPart(IAccessible* acc, long child)
{
    const AccApi& api = Acc();
    AccPart part;
    if (acc == nullptr || !api.ok) {
        part.hr = E_POINTER;
        return part;
    }
    VARIANT id;
    V_VT(&id) = VT_I4;
    V_I4(&id) = child;
    auto note = [&](HRESULT hr) {
        if (FAILED(hr) && part.hr == S_OK)
            part.hr = hr;
    };
    BSTR text = nullptr;
    note(acc->get_accName(id, &text));
    if (text) {
        part.name.assign(text, api.stringLength(text));
        api.freeString(text);
    }
    text = nullptr;
    note(acc->get_accValue(id, &text));
    if (text) {
        part.value.assign(text, api.stringLength(text));
        api.freeString(text);
    }
    VARIANT v;
    V_VT(&v) = VT_EMPTY;
    note(acc->get_accRole(id, &v));
    if (V_VT(&v) == VT_I4)
        part.role = V_I4(&v);
    api.clearVariant(&v);
    V_VT(&v) = VT_EMPTY;
    note(acc->get_accState(id, &v));
    if (V_VT(&v) == VT_I4)
        part.state = V_I4(&v);
    api.clearVariant(&v);
    return part;
}

std::vector<AccChild> AccChildren(IAccessible* acc)
{
    const AccApi& api = Acc();
    std::vector<AccChild> out;
    LONG count = 0;
    if (acc == nullptr || !api.ok || FAILED(acc->get_accChildCount(&count)) || count <= 0)
        return out;
    std::vector<VARIANT> got(static_cast<size_t>(count));
    LONG obtained = 0;
    if (FAILED(api.children(acc, 0, count, got.data(), &obtained)))
        return out;
    for (LONG i = 0; i < obtained; ++i) {
        AccChild c;
        if (V_VT(&got[i]) == VT_DISPATCH && V_DISPATCH(&got[i]) != nullptr) {
            V_DISPATCH(&got[i])->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&c.object));
        } else if (V_VT(&got[i]) == VT_I4) {
            c.id = V_I4(&got[i]);
        }
        api.clearVariant(&got[i]);
        out.push_back(c);
    }
    return out;
}

void AccRelease(std::vector<AccChild>& children)
{
    for (AccChild& c : children) {
        if (c.object)
            c.object->Release();
        c.object = nullptr;
    }
}

FocusEvents::FocusEvents()
{
    Acc();
    static std::vector<FocusEvent> events;
    events.clear();
    g_events = &events;
    hook_ = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, Proc, GetCurrentProcessId(), 0,
                            WINEVENT_OUTOFCONTEXT);
}

FocusEvents::~FocusEvents()
{
    if (hook_)
        UnhookWinEvent(hook_);
    g_events = nullptr;
}

std::vector<FocusEvent> FocusEvents::Take()
{
    std::vector<FocusEvent> out;
    if (g_events)
        out.swap(*g_events);
    return out;
}

void CALLBACK FocusEvents::Proc(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD)
{
    if (g_events == nullptr)
        return;
    FocusEvent e{hwnd, object, child, L""};
    const AccApi& api = Acc();
    IAccessible* acc = nullptr;
    VARIANT v;
    V_VT(&v) = VT_EMPTY;
    if (api.ok && SUCCEEDED(api.objectFromEvent(hwnd, static_cast<DWORD>(object), static_cast<DWORD>(child), &acc, &v)) &&
        acc != nullptr) {
        BSTR name = nullptr;
        if (SUCCEEDED(acc->get_accName(v, &name)) && name) {
            e.said.assign(name, api.stringLength(name));
            api.freeString(name);
        }
        acc->Release();
        api.clearVariant(&v);
    }
    g_events->push_back(e);
}

}  // namespace test
