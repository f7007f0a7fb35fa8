/*
 * A host the way one built with Microsoft's toolchain links the library: plain C compiled for
 * the Microsoft ABI, oroscape.h, and Oroscape.lib (every export by ordinal), no C runtime.
 * It reads a colour table, creates the model sheet with a host window object that has no
 * window (so the sheet sends nothing and shows nothing), sets every one of the 13 values and
 * reads it back through the 13 Get accessors, and deletes the sheet. Exits 1 on any mismatch,
 * printing what differed.
 */
#include "oroscape.h"

/* The compiler's reference for programs that use floating point (normally the C runtime's). */
int _fltused;

void* memset(void* dst, int value, size_t size)
{
    volatile unsigned char* p = (volatile unsigned char*)dst;
    while (size-- > 0)
        *p++ = (unsigned char)value;
    return dst;
}

static int g_failures;

static void Put(const char* text)
{
    DWORD n = 0, written = 0;
    while (text[n] != '\0')
        ++n;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, n, &written, NULL);
}

static void PutInt(long value)
{
    char digits[16];
    int n = 0;
    unsigned long v = value < 0 ? 0ul - (unsigned long)value : (unsigned long)value;
    do {
        digits[n++] = (char)('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (value < 0)
        Put("-");
    while (n > 0) {
        char c[2];
        c[0] = digits[--n];
        c[1] = '\0';
        Put(c);
    }
}

static void Fail(const char* what)
{
    Put("FAILED: ");
    Put(what);
    Put("\r\n");
    ++g_failures;
}

static void PutColor(const MODELCOLOR* c)
{
    Put("(");
    PutInt(c->r);
    Put(", ");
    PutInt(c->g);
    Put(", ");
    PutInt(c->b);
    Put(")");
}

typedef short(__cdecl* SetColorFn)(HMODELSHEET, const MODELCOLOR*);
typedef short(__cdecl* GetColorFn)(HMODELSHEET, MODELCOLOR*);

struct ColorAccessors {
    const char* name;
    SetColorFn set;
    GetColorFn get;
};

static int SameColor(const MODELCOLOR* a, const MODELCOLOR* b)
{
    return a->r == b->r && a->g == b->g && a->b == b->b;
}

/* Sets a value the sheet does not hold yet, then reads it back. */
static void RoundTripColor(HMODELSHEET sheet, const struct ColorAccessors* acc, int row)
{
    MODELCOLOR before, want, got;
    memset(&before, 0xEE, sizeof before);
    memset(&got, 0xEE, sizeof got);
    want.r = (short)(17 + 19 * row);
    want.g = (short)(240 - 13 * row);
    want.b = (short)(3 + 23 * row);
    if (acc->get(sheet, &before) != 1) {
        Put(acc->name);
        Fail(": Get before Set did not return 1");
        return;
    }
    if (SameColor(&before, &want)) {
        Put(acc->name);
        Fail(": the sheet already holds the test value (the test cannot see a Set that does nothing)");
        return;
    }
    if (acc->set(sheet, &want) != 1) {
        Put(acc->name);
        Fail(": Set did not return 1");
        return;
    }
    if (acc->get(sheet, &got) != 1 || !SameColor(&got, &want)) {
        Put(acc->name);
        Put(": set ");
        PutColor(&want);
        Put(", read back ");
        PutColor(&got);
        Fail("");
    }
}

static unsigned long FloatBits(float f)
{
    union {
        float f;
        unsigned long u;
    } v;
    v.f = f;
    return v.u;
}

static void CheckColorTable(void)
{
    LayerColor colors[OROSCAPE_MAX_LAYERS];
    short count = -1;
    if (_ReadColorTable("terrain", colors, &count) != 1) {
        Fail("_ReadColorTable(\"terrain\") did not find the table (HeightLut of the host directory)");
        return;
    }
    /* heightcolor/luts/terrain.stops: 256 layers from (24, 96, 48) to (255, 255, 255). */
    if (count != 256) {
        Put("terrain: ");
        PutInt(count);
        Fail(" layers, not 256");
        return;
    }
    if (colors[0].r != 24 * 256 || colors[0].g != 96 * 256 || colors[0].b != 48 * 256 ||
        colors[255].r != 255 * 256 || colors[255].g != 255 * 256 || colors[255].b != 255 * 256) {
        Put("terrain: first colour (");
        PutInt(colors[0].r);
        Put(", ");
        PutInt(colors[0].g);
        Put(", ");
        PutInt(colors[0].b);
        Put("), last (");
        PutInt(colors[255].r);
        Put(", ");
        PutInt(colors[255].g);
        Put(", ");
        PutInt(colors[255].b);
        Fail(")");
    }
}

static void CheckModelSheet(void)
{
    static const struct ColorAccessors colors[] = {
        {"Material ambient", _SetMaterial_Ambient_, _GetMaterial_Ambient_},
        {"Material diffuse", _SetMaterial_Diffuse_, _GetMaterial_Diffuse_},
        {"Material specular", _SetMaterial_Specular_, _GetMaterial_Specular_},
        {"Material emission", _SetMaterial_Emission_, _GetMaterial_Emission_},
        {"Light ambient", _SetLight_Ambient_, _GetLight_Ambient_},
        {"Light diffuse", _SetLight_Diffuse_, _GetLight_Diffuse_},
        {"Light specular", _SetLight_Specular_, _GetLight_Specular_},
        {"Line colour", _SetLineColor_, _GetLineColor_},
        {"Background colour", _SetBackColor_, _GetBackColor_},
        {"Fog colour", _SetFogColor_, _GetFogColor_},
    };
    OROSCAPE_HOSTWND host;
    HMODELSHEET sheet = NULL;
    short shininess = -5, mode = 99;
    float density = -1.0f;
    const float wantDensity = 0.0375f;
    int i;

    /* Whatever the host object holds before its window handle, a host zeroes it;
       no window: the sheet notifies nobody. */
    memset(&host, 0, sizeof host);
    host.hWnd = NULL;
    if (_CreateModelDialog(&host, &sheet) != 1 || sheet == NULL) {
        Fail("_CreateModelDialog gave no sheet");
        return;
    }
    for (i = 0; i < (int)(sizeof colors / sizeof colors[0]); ++i)
        RoundTripColor(sheet, &colors[i], i);

    if (_SetMaterial_Shininess_(sheet, 77) != 1 || _GetMaterial_Shininess_(sheet, &shininess) != 1 ||
        shininess != 77) {
        Put("Shininess: set 77, read back ");
        PutInt(shininess);
        Fail("");
    }
    /* A negative short through the ABI: no colour material. */
    if (_SetMatMode_(sheet, MATMODE_NONE) != 1 || _GetMatMode_(sheet, &mode) != 1 || mode != MATMODE_NONE) {
        Put("Colour-material mode: set -1, read back ");
        PutInt(mode);
        Fail("");
    }
    /* A float argument on the stack (i686) or in XMM1 (x86_64), every bit kept. */
    if (_SetFogDensity_(sheet, wantDensity) != 1 || _GetFogDensity_(sheet, &density) != 1 ||
        FloatBits(density) != FloatBits(wantDensity)) {
        Put("Fog density: set bits ");
        PutInt((long)FloatBits(wantDensity));
        Put(", read back bits ");
        PutInt((long)FloatBits(density));
        Fail("");
    }

    if (_DeleteModelDialog(&sheet) != 1 || sheet != NULL)
        Fail("_DeleteModelDialog did not clear the host's handle");
}

static int Run(void)
{
#if defined(_M_X64)
    Put("msvc_host (x86_64, Microsoft ABI): ");
#else
    Put("msvc_host (i686, Microsoft ABI): ");
#endif
    Put("sizeof(HeightColorInfo) ");
    PutInt((long)sizeof(HeightColorInfo));
    Put(", offsetof(OROSCAPE_HOSTWND, hWnd) ");
    PutInt((long)offsetof(OROSCAPE_HOSTWND, hWnd));
    Put("\r\n");
    CheckColorTable();
    CheckModelSheet();
    if (g_failures != 0) {
        PutInt(g_failures);
        Put(" check(s) failed\r\n");
        return 1;
    }
    Put("terrain table read (256 layers); 13 values set and read back through the 26 accessors; sheet deleted\r\n");
    return 0;
}

void __cdecl mainCRTStartup(void)
{
    ExitProcess((unsigned int)Run());
}
