/* A 32-bit Windows caller linked the way MSVC links: the MSVC target of clang
 * and lld-link against the zip's kam.lib, with no C runtime (the only other
 * import, ExitProcess, comes from kernel32.def). Its references are the
 * decorated __stdcall names (_KAM_EarthPatternGain@68); kam.lib must map them
 * onto kam.dll's undecorated exports or the program does not load. The exit
 * code is 0 on success, else a bit per failed check. */
#include <kam/kam.h>

__declspec(dllimport) void __stdcall ExitProcess(unsigned code);

/* The MSVC linker expects this symbol in programs that use floating point. */
int _fltused = 0;

void __cdecl consumer_start(void) {
    /* The pattern's formula, 32 - 25 log10(phi) dBi, at 10 degrees. */
    const double expected = 32.0 - 25.0;
    double gain = 0.0, gainX = 0.0;
    int32_t count = 0;
    unsigned failed = 0;
    if (KAM_GetPatternCount(KAM_StdLibraryId(), KAM_PATTERN_ANY, &count) != 0 || count <= 0)
        failed |= 1;
    if (KAM_EarthPatternGain(KAM_StdLibraryId(), "FSREF_001_V1", 45.0, 2.0, 12000.0,
                             KAM_NoValueDouble(), KAM_NoValueStruct(), 10.0, KAM_NoValueDouble(),
                             &gain, &gainX) != 0)
        failed |= 2;
    if (gain < expected - 1e-9 || gain > expected + 1e-9) failed |= 4;
    ExitProcess(failed);
}
