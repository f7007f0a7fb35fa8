// The file boxes' memory of folders, kept for the scripted tour.
//   FileBoxMemory.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

// The file boxes remember the folder of the last file confirmed, per program
// (HKCU ComDlg32\LastVisitedMRU), and open there the next time ahead of the current folder, the
// library's texture chooser included. A tour step that confirms files in other folders holds a
// FileBoxMemory: made, it notes this program's entry; destroyed, it puts the entry back as it was
// (or removes the one the step added), so that a later tour in the same prefix starts alike.
struct FileBoxMemory {
    static HKEY Open()
    {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU",
                        0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
        return key;
    }
    // The value (a letter) whose data begins with this program's file name, and its data.
    static bool Find(HKEY key, std::wstring* name, std::vector<BYTE>* data)
    {
        wchar_t exe[MAX_PATH] = L"";
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        const std::wstring title = std::wstring(exe).substr(std::wstring(exe).find_last_of(L"\\/") + 1);
        for (DWORD i = 0;; ++i) {
            wchar_t value[16];
            DWORD valueLen = 16, type = 0, size = 0;
            BYTE buf[2 * (MAX_PATH + MAX_PATH + 2)];
            size = sizeof buf;
            const LONG rc = RegEnumValueW(key, i, value, &valueLen, nullptr, &type, buf, &size);
            if (rc == ERROR_NO_MORE_ITEMS)
                return false;
            if (rc != ERROR_SUCCESS || type != REG_BINARY || size < (title.size() + 1) * 2)
                continue;
            if (_wcsicmp(reinterpret_cast<const wchar_t*>(buf), title.c_str()) == 0) {
                *name = value;
                data->assign(buf, buf + size);
                return true;
            }
        }
    }
    FileBoxMemory()
    {
        if (HKEY key = Open()) {
            had = Find(key, &name, &data);
            RegCloseKey(key);
        }
    }
    ~FileBoxMemory()
    {
        HKEY key = Open();
        if (!key)
            return;
        std::wstring now;
        std::vector<BYTE> nowData;
        if (had) {
            RegSetValueExW(key, name.c_str(), 0, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
        } else if (Find(key, &now, &nowData)) {
            RegDeleteValueW(key, now.c_str());
            wchar_t list[64] = L"";
            DWORD size = sizeof list - sizeof(wchar_t);
            if (RegQueryValueExW(key, L"MRUList", nullptr, nullptr, reinterpret_cast<BYTE*>(list), &size) == ERROR_SUCCESS) {
                std::wstring rest = list;
                rest.erase(std::remove(rest.begin(), rest.end(), now[0]), rest.end());
                RegSetValueExW(key, L"MRUList", 0, REG_SZ, reinterpret_cast<const BYTE*>(rest.c_str()),
                               static_cast<DWORD>((rest.size() + 1) * sizeof(wchar_t)));
            }
        }
        RegCloseKey(key);
    }
    bool had = false;
    std::wstring name;
    std::vector<BYTE> data;
};
