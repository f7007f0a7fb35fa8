/*
 * Stand-in for the host's base library hubcore60.dll.
 *
 * Exports one function, by ordinal 226 only: GetHostBaseInfo (stdcall, one
 * 32-bit argument) returning the host's information record, whose host
 * directory begins at byte 128. The directory is the value of the
 * environment variable OROSCAPE_HOST_DIR when that is set (no record at all
 * when it is set but empty), else the folder of the host's executable.
 * The variable is read at every call, so a host may change it; the record is
 * rewritten only when the directory changes, so that threads asking at the
 * same time never read a record another thread is rewriting.
 */
#include <windows.h>
#include <string.h>

typedef struct HostBaseInfo {
    char reserved[128];       /* the host's own fields, unused by the library */
    char hostDir[MAX_PATH];   /* no trailing backslash */
} HostBaseInfo;

static HostBaseInfo g_info;

HostBaseInfo* WINAPI GetHostBaseInfo(int reserved)
{
    char dir[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("OROSCAPE_HOST_DIR", dir, sizeof dir);
    (void)reserved;
    if (n == 0 && GetLastError() != ERROR_ENVVAR_NOT_FOUND)
        return NULL;                       /* set, but empty: no directory */
    if (n >= sizeof dir)
        return NULL;                       /* longer than any path we hand out */
    if (n == 0) {
        char* slash;
        n = GetModuleFileNameA(NULL, dir, sizeof dir);
        if (n == 0 || n >= sizeof dir)
            return NULL;
        slash = strrchr(dir, '\\');
        if (slash)
            *slash = '\0';
    }
    while (n > 0 && (dir[n - 1] == '\\' || dir[n - 1] == '/'))  /* no trailing separator */
        dir[--n] = '\0';
    if (strcmp(g_info.hostDir, dir) != 0) {
        memset(&g_info, 0, sizeof g_info);
        memcpy(g_info.hostDir, dir, strlen(dir) + 1);
    }
    return &g_info;
}
