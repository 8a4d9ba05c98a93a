/* The public headers compiled as a caller and a pattern-library author
 * compile them: in C99, C11 (the layout checks of kam_plugin.h run) and, through
 * public_headers.cpp, C++. The slot functions are declared with KAM_CALL as a
 * plug-in declares them, so a calling convention that differs from the
 * header's slot types fails to compile where KAM_CALL is __stdcall. */
#include <string.h>

#include "kam/kam.h"
#include "kam/kam_plugin.h"

static KAM_Status KAM_CALL EarthGain(double* gainMax, double* diameter, double* frequency,
                                     double* efficiency, void* specific, double* phi,
                                     double* phi0, double* gain, double* gainX) {
    (void)gainMax, (void)diameter, (void)frequency, (void)efficiency, (void)specific;
    (void)phi, (void)phi0, (void)gain, (void)gainX;
    return KAM_OK;
}

static KAM_Status KAM_CALL Contour(double* gainRel, double* beamlet, void* specific,
                                   double* phi0, double* phi, double* phiX) {
    (void)gainRel, (void)beamlet, (void)specific, (void)phi0, (void)phi, (void)phiX;
    return KAM_OK;
}

static int KAM_CALL Handler(KAM_Status code) {
    return code == KAM_OK;
}

int main(void) {
    KAM_PatternInfo pattern;
    KAM_EventHandler handler = Handler;
    memset(&pattern, 0, sizeof pattern);
    pattern.gain.earth = EarthGain;
    pattern.contour.space = Contour;
    /* The host's sentinel is the documented DBL_MAX. */
    if (KAM_NoValueDouble() != KAM_NOVALUE_DOUBLE) return 1;
    return pattern.gain.earth != 0 && pattern.contour.space != 0 && handler != 0 ? 0 : 1;
}
