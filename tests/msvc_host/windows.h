/*
 * Stand-in for <windows.h> in the host built for the Microsoft ABI (msvc_host.c), which is
 * compiled without a Windows SDK: MinGW's headers do not compile for that target. Only what
 * oroscape.h and the host use, with the SDK's definitions. On this host's include path only.
 */
#ifndef OROSCAPE_TEST_WINDOWS_H
#define OROSCAPE_TEST_WINDOWS_H

#define WINAPI __stdcall
#define WM_USER 0x0400
#define IDOK 1
#define IDCANCEL 2

typedef struct HWND__* HWND;
typedef void* HANDLE;
typedef unsigned long DWORD;
typedef int BOOL;

#define STD_OUTPUT_HANDLE ((DWORD)-11)

__declspec(dllimport) HANDLE WINAPI GetStdHandle(DWORD which);
__declspec(dllimport) BOOL WINAPI WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written,
                                            void* overlapped);
__declspec(dllimport) __declspec(noreturn) void WINAPI ExitProcess(unsigned int code);

#endif /* OROSCAPE_TEST_WINDOWS_H */
