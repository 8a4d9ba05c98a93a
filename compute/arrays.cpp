// Array evaluation: many angles (levels) in one exported call. Not built yet:
// every export refuses with -4101 until the array pipeline replaces this file.
#include "core/frame.h"
#include "core/status.h"

extern "C" KAM_API KAM_Status KAM_CALL KAM_EarthPatternGainArray(
    KAM_LibraryId, const char*, double, double, double, double, void*, int32_t, const double*,
    const double*, double*, double*, KAM_Status*) {
    return kam::RunExport([]() -> std::int32_t { return KAM_E_INTERNAL; });
}
extern "C" KAM_API KAM_Status KAM_CALL KAM_SpacePatternGainArray(KAM_LibraryId, const char*,
                                                                 double, double, void*, int32_t,
                                                                 const double*, const double*,
                                                                 double*, double*, KAM_Status*) {
    return kam::RunExport([]() -> std::int32_t { return KAM_E_INTERNAL; });
}
extern "C" KAM_API KAM_Status KAM_CALL KAM_AntennaGainArray(KAM_AntennaId, int32_t,
                                                            const double*, const double*,
                                                            double*, double*, KAM_Status*) {
    return kam::RunExport([]() -> std::int32_t { return KAM_E_INTERNAL; });
}
extern "C" KAM_API KAM_Status KAM_CALL KAM_SpacePatternContourArray(
    KAM_LibraryId, const char*, double, void*, int32_t, const double*, const double*, double*,
    double*, KAM_Status*) {
    return kam::RunExport([]() -> std::int32_t { return KAM_E_INTERNAL; });
}
extern "C" KAM_API KAM_Status KAM_CALL KAM_AntennaContourArray(KAM_AntennaId, int32_t,
                                                               const double*, const double*,
                                                               double*, double*, KAM_Status*) {
    return kam::RunExport([]() -> std::int32_t { return KAM_E_INTERNAL; });
}
