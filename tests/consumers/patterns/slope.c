/* A pattern library with one earth pattern, SLOPE_001: the gain falls by
 * one dB per degree off axis from GainMax (only GainMax and Phi are used). */
#include <string.h>

#include <kam/kam_plugin.h>

static double no_value_double;
static void* no_value_struct;
static int32_t gain_valid;

static KAM_Status KAM_CALL slope_gain(double* gainMax, double* diameter, double* frequency,
                                      double* efficiency, void* specific, double* phi,
                                      double* phi0, double* gain, double* gainX) {
    (void)diameter; (void)frequency; (void)efficiency; (void)specific; (void)phi0; (void)gainX;
    *gain = *gainMax - *phi;
    return 0;
}

static KAM_PatternInfo patterns[1];

KAM_PLUGIN_API KAM_Status KAM_CALL LIP_SetEventLogHandler(KAM_EventSink sink) {
    (void)sink;
    return 0;
}

KAM_PLUGIN_API KAM_Status KAM_CALL LIP_InitLibrary(void) { return 0; }

KAM_PLUGIN_API KAM_Status KAM_CALL LIP_GetLibraryInfo(KAM_LibraryInfo* info) {
    KAM_PatternInfo* p = &patterns[0];
    int i;
    memset(p, 0, sizeof *p);
    strcpy(p->name, "SLOPE_001");
    strcpy((char*)p->title, "one dB per degree");
    p->type = KAM_PATTERN_EARTH;
    p->gain.earth = slope_gain;
    for (i = 0; i < KAM_PARAM_COUNT; ++i) p->paramProperties[i] = KAM_PROPERTY_NOT_REQUIRED;
    p->paramProperties[KAM_PARAM_GAINMAX] = KAM_PROPERTY_REQUIRED;
    p->paramProperties[KAM_PARAM_PHI] = KAM_PROPERTY_REQUIRED;
    strcpy(info->name, "SlopePatterns");
    info->patternCount = 1;
    info->patterns = patterns;
    info->noValueDoubleTarget = &no_value_double;
    info->noValueStructTarget = &no_value_struct;
    info->gainValidTarget = &gain_valid;
    return 0;
}
