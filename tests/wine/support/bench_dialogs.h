// bench_dialogs.h: what the benchmarks of the layering dialog share (bench_* programs, not tests).
//   bench::HostTable   a host folder holding one 256-entry colour table, named for the library
//   bench::WindowWatch every window the thread creates, seen before and after each message
//   bench::IsIdle      a dialog shown, painted, and no message but a timer waiting
#pragma once
#include <windows.h>

#include <string.h>

#include <map>
#include <string>
#include <vector>

namespace bench {

// A temporary host folder with HeightLut\terrain.lut (256 entries, entry i coloured
// (i, 255 - i, 7i mod 256)), made the host's folder through OROSCAPE_HOST_DIR; gone with the object.
class HostTable {
public:
    explicit HostTable(const char* tag)
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir_ = std::string(temp) + tag + "_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(dir_.c_str(), nullptr);
        CreateDirectoryA((dir_ + "\\HeightLut").c_str(), nullptr);
        std::vector<unsigned char> bytes(396 + 6 * 256, 0);
        memcpy(bytes.data(), "COLORLUT", 8);
        strcpy(reinterpret_cast<char*>(bytes.data()) + 8, "terrain");
        strcpy(reinterpret_cast<char*>(bytes.data()) + 136, "USER_DEFINE");
        bytes[393] = 1;  // 256 entries
        for (int i = 0; i < 256; ++i) {
            const unsigned short c[3] = {static_cast<unsigned short>(i << 8),
                                         static_cast<unsigned short>((255 - i) << 8),
                                         static_cast<unsigned short>((i * 7 % 256) << 8)};
            memcpy(bytes.data() + 396 + 6 * i, c, 6);
        }
        HANDLE h = CreateFileA(Table().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        DWORD written = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
        SetEnvironmentVariableA("OROSCAPE_HOST_DIR", dir_.c_str());
    }
    ~HostTable()
    {
        DeleteFileA(Table().c_str());
        RemoveDirectoryA((dir_ + "\\HeightLut").c_str());
        RemoveDirectoryA(dir_.c_str());
    }
    const std::string& Dir() const { return dir_; }
    std::string Table() const { return dir_ + "\\HeightLut\\terrain.lut"; }

    HostTable(const HostTable&) = delete;
    HostTable& operator=(const HostTable&) = delete;

private:
    std::string dir_;
};

// While one lives, every window the calling thread creates is subclassed at its creation (before
// any other code sees it): Created runs then, Before and After around each of its messages. One
// at a time.
class WindowWatch {
public:
    WindowWatch() { Current() = this; hook_ = SetWindowsHookExW(WH_CBT, &Cbt, nullptr, GetCurrentThreadId()); }
    virtual ~WindowWatch()
    {
        UnhookWindowsHookEx(hook_);
        Current() = nullptr;
    }
    WindowWatch(const WindowWatch&) = delete;
    WindowWatch& operator=(const WindowWatch&) = delete;

protected:
    // A window is being made; parent is null for a top-level one.
    virtual void Created(HWND, HWND parent) {}
    virtual void Before(HWND, UINT) {}
    virtual void After(HWND, UINT) {}

private:
    static WindowWatch*& Current()
    {
        static WindowWatch* current = nullptr;
        return current;
    }
    static std::map<HWND, WNDPROC>& Procs()
    {
        static std::map<HWND, WNDPROC> procs;
        return procs;
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        const WNDPROC next = Procs()[hwnd];
        if (WindowWatch* watch = Current())
            watch->Before(hwnd, msg);
        const LRESULT result = CallWindowProcW(next, hwnd, msg, wp, lp);
        if (WindowWatch* watch = Current())
            watch->After(hwnd, msg);
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
            Procs().erase(hwnd);
        }
        return result;
    }
    static LRESULT CALLBACK Cbt(int code, WPARAM wp, LPARAM lp)
    {
        WindowWatch* watch = Current();
        if (code == HCBT_CREATEWND && watch != nullptr) {
            HWND hwnd = reinterpret_cast<HWND>(wp);
            Procs()[hwnd] = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
            watch->Created(hwnd, reinterpret_cast<CBT_CREATEWNDW*>(lp)->lpcs->hwndParent);
        }
        return CallNextHookEx(watch != nullptr ? watch->hook_ : nullptr, code, wp, lp);
    }

    HHOOK hook_ = nullptr;
};

// A window or one of its descendants waits to be painted.
inline bool NeedsPaint(HWND hwnd)
{
    if (GetUpdateRect(hwnd, nullptr, FALSE))
        return true;
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (NeedsPaint(child))
            return true;
    return false;
}

// The dialog shows, nothing of it waits to be painted, and no message but a timer is queued:
// what a timer callback (timers come last) sees once the dialog has settled.
inline bool IsIdle(HWND dialog)
{
    return dialog != nullptr && IsWindowVisible(dialog) && !NeedsPaint(dialog) &&
           (HIWORD(GetQueueStatus(QS_ALLINPUT)) & ~QS_TIMER) == 0;
}

}  // namespace bench
