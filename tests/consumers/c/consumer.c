/* A C caller of an installed KAM: built with `pkg-config --cflags --libs kam`
 * on Linux and against the Windows zip's import library under wine. It checks
 * that the standard library is loaded and that a gain matches the pattern's
 * formula, 32 - 25 log10(phi) dBi in its sidelobe range. Exit code 0 on
 * success. */
#include <math.h>
#include <stdio.h>

#include <kam/kam.h>

int main(void) {
    const double phi = 20.0;
    const double expected = 32.0 - 25.0 * log10(phi);
    double gain = 0.0, gainX = 0.0;
    int32_t count = 0;
    KAM_Status status;

    status = KAM_GetPatternCount(KAM_StdLibraryId(), KAM_PATTERN_ANY, &count);
    if (status != 0 || count <= 0) {
        printf("c consumer: no standard patterns (status %d, count %d)\n", (int)status, (int)count);
        return 1;
    }
    status = KAM_EarthPatternGain(KAM_StdLibraryId(), "FSREF_001_V1", 45.0, 2.0, 12000.0,
                                  KAM_NoValueDouble(), KAM_NoValueStruct(), phi,
                                  KAM_NoValueDouble(), &gain, &gainX);
    if (status != 0 || fabs(gain - expected) > 1e-9) {
        printf("c consumer: FSREF_001_V1 at %g deg: status %d, gain %.6f, expected %.6f\n", phi,
               (int)status, gain, expected);
        return 1;
    }
    printf("c consumer: %d standard patterns, FSREF_001_V1 at %g deg = %.4f dBi\n", (int)count,
           phi, gain);
    return 0;
}
