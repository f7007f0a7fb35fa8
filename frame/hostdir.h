// Host-directory service: the one call into the host's base library hubcore60.dll.
#pragma once
#include <stddef.h>

// Copies the host's directory (no trailing backslash) into dir, at most cap bytes
// with the terminator. Returns false, with dir empty, when the host gives no
// directory or it does not fit. Fetched anew at every call; nothing is kept.
bool GetHostDir(char* dir, size_t cap);
