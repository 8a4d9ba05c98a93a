/* A caller that leaves everything alive when it exits: two added pattern
 * libraries, an antenna on every standard pattern (each with its own copy of
 * the specific structure where the pattern has one), and queued events. The
 * host's unload notification must tear all of it down; run under a leak
 * checker that counts every kind of block still allocated, this program
 * shows that nothing the host allocated survives the process's end.
 * Exit code 0 when the state was built as intended. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "kam/kam.h"

#ifndef KAM_TEST_BIN_DIR
#error "KAM_TEST_BIN_DIR must name the folder of the built binaries"
#endif

enum { kMaxPatterns = 64, kSpecificDoubles = 64 };

static int Fail(const char* what, int status) {
    fprintf(stderr, "exit_with_live_state: %s gave %d\n", what, status);
    return 1;
}

int main(void) {
    static const char* const kFakes[] = {KAM_TEST_BIN_DIR "/libfake_a.so",
                                         KAM_TEST_BIN_DIR "/libfake_b.so"};
    for (size_t i = 0; i < sizeof kFakes / sizeof kFakes[0]; ++i) {
        KAM_LibraryId id = 0;
        int status = KAM_AddLibrary(kFakes[i], &id);
        if (status < 0 || id == 0) return Fail(kFakes[i], status);
    }

    /* Any values do with validation off; the specific buffer is larger than
     * every standard structure. */
    KAM_DisableInputParamValid();
    const KAM_LibraryId std = KAM_StdLibraryId();
    char names[kMaxPatterns * 13];
    int32_t count = kMaxPatterns;
    int status = KAM_GetAllPatternNames(std, 3, &count, names);
    if (status != 0 || count <= 0) return Fail("KAM_GetAllPatternNames", status);
    double specific[kSpecificDoubles];
    for (int i = 0; i < kSpecificDoubles; ++i) specific[i] = 1.0;
    int antennas = 0, copies = 0;
    for (int32_t i = 0; i < count; ++i) {
        const char* name = names + 13 * i;
        KAM_PatternProperties properties;
        status = KAM_GetPatternProperties(std, name, &properties);
        if (status != 0) return Fail(name, status);
        if (properties.specificSize > (int32_t)sizeof specific) return Fail(name, -1);
        void* structure = properties.specificSize > 0 ? specific : KAM_NoValueStruct();
        KAM_AntennaId antenna = 0;
        status = properties.type == KAM_PATTERN_EARTH
                     ? KAM_CreateEarthAntenna(std, name, 40, 1.2, 12, 0.6, structure, &antenna)
                     : KAM_CreateSpaceAntenna(std, name, 40, 2, structure, &antenna);
        if (status < 0 || antenna == 0) return Fail(name, status);
        ++antennas;
        if (properties.specificSize > 0) ++copies;
    }
    if (copies == 0) return Fail("no pattern with a specific structure", 0);

    /* Each framed call drains what the one before queued: the last call's
     * event (the warning of a library added twice) stays queued at exit. */
    KAM_EnableInputParamValid();
    double gain = 0, gainX = 0;
    status = KAM_EarthPatternGain(std, "NO_SUCH", 40, 1.2, 12, 0.6, KAM_NoValueStruct(), 1, 2,
                                  &gain, &gainX);
    if (status >= 0) return Fail("gain of a missing pattern", status);
    KAM_LibraryId again = 0;
    status = KAM_AddLibrary(kFakes[0], &again);
    if (status <= 0) return Fail("adding a library twice", status);
    printf("exit_with_live_state: %d libraries, %d antennas (%d with specific copies), "
           "events queued\n",
           1 + (int)(sizeof kFakes / sizeof kFakes[0]), antennas, copies);
    return 0;
}
