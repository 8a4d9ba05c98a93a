// A fake pattern library for the host's tests. One source, built into many
// modules: FAKE_MODULE_ID names the module (its configuration and log entries
// in fake_control), FAKE_NO_SET_EVENT_LOG_HANDLER / FAKE_NO_INIT_LIBRARY /
// FAKE_NO_GET_LIBRARY_INFO leave out one entry point, FAKE_ARRAY_PATH adds
// the optional fourth (LIP_GetArrayInfo) with array functions per pattern. All behaviour comes
// from the configuration a test sets in fake_control.
#include <utility>

#include "fake_control.h"
#include "kam/kam_plugin.h"

#ifndef FAKE_MODULE_ID
#error "FAKE_MODULE_ID must name the module"
#endif
#ifndef FAKE_VERSION_TEXT
#define FAKE_VERSION_TEXT "1, 2, 3, 4"
#endif

KAM_PLUGIN_VERSION(FAKE_VERSION_TEXT);

namespace {

constexpr const char* kModule = FAKE_MODULE_ID;

template <int K>
KAM_Status KAM_CALL EarthValidateInput(double* gainMax, double* diameter, double* frequency,
                                       double* efficiency, void* specific) {
    return fake::OnSlot(kModule, K, fake::kValidateInput, KAM_PATTERN_EARTH,
                        {gainMax, diameter, frequency, efficiency}, specific, false);
}
template <int K>
KAM_Status KAM_CALL SpaceValidateInput(double* gainMax, double* beamlet, void* specific) {
    return fake::OnSlot(kModule, K, fake::kValidateInput, KAM_PATTERN_SPACE, {gainMax, beamlet},
                        specific, false);
}
template <int K>
KAM_Status KAM_CALL EarthValidateAll(double* gainMax, double* diameter, double* frequency,
                                     double* efficiency, void* specific, double* phi,
                                     double* phi0) {
    return fake::OnSlot(kModule, K, fake::kValidateAll, KAM_PATTERN_EARTH,
                        {gainMax, diameter, frequency, efficiency, phi, phi0}, specific, false);
}
template <int K>
KAM_Status KAM_CALL SpaceValidateAll(double* gainMax, double* beamlet, void* specific,
                                     double* phi, double* phi0) {
    return fake::OnSlot(kModule, K, fake::kValidateAll, KAM_PATTERN_SPACE,
                        {gainMax, beamlet, phi, phi0}, specific, false);
}
template <int K>
KAM_Status KAM_CALL EarthGain(double* gainMax, double* diameter, double* frequency,
                              double* efficiency, void* specific, double* phi, double* phi0,
                              double* gain, double* gainX) {
    return fake::OnSlot(kModule, K, fake::kGain, KAM_PATTERN_EARTH,
                        {gainMax, diameter, frequency, efficiency, phi, phi0, gain, gainX},
                        specific, true);
}
template <int K>
KAM_Status KAM_CALL SpaceGain(double* gainMax, double* beamlet, void* specific, double* phi,
                              double* phi0, double* gain, double* gainX) {
    return fake::OnSlot(kModule, K, fake::kGain, KAM_PATTERN_SPACE,
                        {gainMax, beamlet, phi, phi0, gain, gainX}, specific, true);
}
template <int K>
KAM_Status KAM_CALL Contour(double* gainRel, double* beamlet, void* specific, double* phi0,
                            double* phi, double* phiX) {
    return fake::OnSlot(kModule, K, fake::kContour, KAM_PATTERN_SPACE,
                        {gainRel, beamlet, phi0, phi, phiX}, specific, true);
}

#ifdef FAKE_ARRAY_PATH
template <int K>
KAM_Status KAM_CALL EarthValidateAllArray(double* gainMax, double* diameter, double* frequency,
                                          double* efficiency, void* specific, int32_t count,
                                          const double* phi, const double* phi0,
                                          KAM_Status* status) {
    return fake::OnArraySlot(kModule, K, fake::kValidateAll, KAM_PATTERN_EARTH,
                             {gainMax, diameter, frequency, efficiency}, specific, count, phi,
                             phi0, nullptr, nullptr, status);
}
template <int K>
KAM_Status KAM_CALL SpaceValidateAllArray(double* gainMax, double* beamlet, void* specific,
                                          int32_t count, const double* phi, const double* phi0,
                                          KAM_Status* status) {
    return fake::OnArraySlot(kModule, K, fake::kValidateAll, KAM_PATTERN_SPACE,
                             {gainMax, beamlet}, specific, count, phi, phi0, nullptr, nullptr,
                             status);
}
template <int K>
KAM_Status KAM_CALL EarthGainArray(double* gainMax, double* diameter, double* frequency,
                                   double* efficiency, void* specific, int32_t count,
                                   const double* phi, const double* phi0, double* gain,
                                   double* gainX, KAM_Status* status) {
    return fake::OnArraySlot(kModule, K, fake::kGain, KAM_PATTERN_EARTH,
                             {gainMax, diameter, frequency, efficiency}, specific, count, phi,
                             phi0, gain, gainX, status);
}
template <int K>
KAM_Status KAM_CALL SpaceGainArray(double* gainMax, double* beamlet, void* specific,
                                   int32_t count, const double* phi, const double* phi0,
                                   double* gain, double* gainX, KAM_Status* status) {
    return fake::OnArraySlot(kModule, K, fake::kGain, KAM_PATTERN_SPACE, {gainMax, beamlet},
                             specific, count, phi, phi0, gain, gainX, status);
}
template <int K>
KAM_Status KAM_CALL ContourArray(double* beamlet, void* specific, int32_t count,
                                 const double* gainRel, const double* phi0, double* phi,
                                 double* phiX, KAM_Status* status) {
    return fake::OnArraySlot(kModule, K, fake::kContour, KAM_PATTERN_SPACE, {beamlet}, specific,
                             count, gainRel, phi0, phi, phiX, status);
}

template <int... K>
fake::ArrayTable MakeArrayTable(std::integer_sequence<int, K...>) {
    return fake::ArrayTable{{&EarthValidateAllArray<K>...}, {&SpaceValidateAllArray<K>...},
                            {&EarthGainArray<K>...},        {&SpaceGainArray<K>...},
                            {&ContourArray<K>...}};
}
#endif

template <int... K>
fake::SlotTable MakeTable(std::integer_sequence<int, K...>) {
    return fake::SlotTable{{&EarthValidateInput<K>...}, {&SpaceValidateInput<K>...},
                           {&EarthValidateAll<K>...},   {&SpaceValidateAll<K>...},
                           {&EarthGain<K>...},          {&SpaceGain<K>...},
                           {&Contour<K>...}};
}

[[maybe_unused]] const fake::SlotTable& Table() {
    static const fake::SlotTable table = MakeTable(std::make_integer_sequence<int, fake::kMaxPatterns>{});
    return table;
}

}  // namespace

extern "C" {

#ifndef FAKE_NO_SET_EVENT_LOG_HANDLER
KAM_PLUGIN_API KAM_Status KAM_CALL LIP_SetEventLogHandler(KAM_EventSink sink) {
    return fake::OnSetEventLogHandler(kModule, sink);
}
#endif

#ifndef FAKE_NO_INIT_LIBRARY
KAM_PLUGIN_API KAM_Status KAM_CALL LIP_InitLibrary(void) { return fake::OnInitLibrary(kModule); }
#endif

#ifndef FAKE_NO_GET_LIBRARY_INFO
KAM_PLUGIN_API KAM_Status KAM_CALL LIP_GetLibraryInfo(KAM_LibraryInfo* info) {
    return fake::OnGetLibraryInfo(kModule, info, Table());
}
#endif

#ifdef FAKE_ARRAY_PATH
KAM_PLUGIN_API KAM_Status KAM_CALL LIP_GetArrayInfo(KAM_ArrayInfo* info) {
    static const fake::ArrayTable table =
        MakeArrayTable(std::make_integer_sequence<int, fake::kMaxPatterns>{});
    return fake::OnGetArrayInfo(kModule, info, table);
}
#endif

}  // extern "C"
