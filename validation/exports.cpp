// The four validation exports: a parameter set checked for a named pattern
// without computing anything, whatever the InputParamValid switch says.
// Unlike most exports they never initialise the library: before the first
// initialising call they return -2001 and report nothing.
#include "core/frame.h"
#include "core/state.h"
#include "core/status.h"
#include "libraries/registry.h"
#include "validation/validation.h"

namespace kam {
namespace {

// Frame steps shared by the four exports: the initialised test, DrainEvents,
// the LibraryId and name checks, then the pattern of the export's type.
// 0 with *info, or the status the export returns (already reported).
std::int32_t EnterValidation(KAM_LibraryId libraryId, const char* patternName, const void* specific,
                             std::int32_t specificPosition, std::int32_t type,
                             const KAM_PatternInfo** info) noexcept {
    if (g_state.initialised != 1) return KAM_E_NOT_INITIALISED;
    DrainEvents();
    if (libraryId == KAM_NO_LIBRARY) return ReportStatus(-1);
    if (!IsGoodPatternName(patternName)) return ReportStatus(-2);
    if (specific == nullptr) return ReportStatus(-specificPosition);
    ListNode* pattern = nullptr;
    const std::int32_t status = ResolvePatternOfType(libraryId, patternName, type, &pattern);
    if (status != 0) return ReportStatus(status);
    *info = &PatternInfoOf(pattern);
    return 0;
}

constexpr std::int32_t kEarthSpecificPosition = 7;
constexpr std::int32_t kSpaceSpecificPosition = 5;

}  // namespace
}  // namespace kam

// The numeric arguments are this call's own copies: whatever a plug-in
// validator writes through the pointers it receives stays inside the call.

extern "C" KAM_API KAM_Status KAM_CALL KAM_PartialValidateEarth(KAM_LibraryId libraryId,
                                                                const char* patternName,
                                                                double gainMax, double diameter,
                                                                double frequency,
                                                                double efficiency,
                                                                void* specific) {
    return kam::RunExport([&]() -> std::int32_t {
        const KAM_PatternInfo* info = nullptr;
        const std::int32_t status =
            kam::EnterValidation(libraryId, patternName, specific, kam::kEarthSpecificPosition,
                                 KAM_PATTERN_EARTH, &info);
        if (status != 0) return status;
        return kam::ReportStatus(kam::PartialEarthValidation(*info, &gainMax, &diameter,
                                                             &frequency, &efficiency, specific));
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_PartialValidateSpace(KAM_LibraryId libraryId,
                                                                const char* patternName,
                                                                double gainMax, double beamlet,
                                                                void* specific) {
    return kam::RunExport([&]() -> std::int32_t {
        const KAM_PatternInfo* info = nullptr;
        const std::int32_t status =
            kam::EnterValidation(libraryId, patternName, specific, kam::kSpaceSpecificPosition,
                                 KAM_PATTERN_SPACE, &info);
        if (status != 0) return status;
        return kam::ReportStatus(
            kam::PartialSpaceValidation(*info, &gainMax, &beamlet, specific));
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_ValidateEarthAntenna(
    KAM_LibraryId libraryId, const char* patternName, double gainMax, double diameter,
    double frequency, double efficiency, void* specific, double phi, double phi0) {
    return kam::RunExport([&]() -> std::int32_t {
        const KAM_PatternInfo* info = nullptr;
        const std::int32_t status =
            kam::EnterValidation(libraryId, patternName, specific, kam::kEarthSpecificPosition,
                                 KAM_PATTERN_EARTH, &info);
        if (status != 0) return status;
        return kam::ReportStatus(kam::FullEarthValidation(
            *info, &gainMax, &diameter, &frequency, &efficiency, specific, &phi, &phi0));
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_ValidateSpaceAntenna(KAM_LibraryId libraryId,
                                                                const char* patternName,
                                                                double gainMax, double beamlet,
                                                                void* specific, double phi,
                                                                double phi0) {
    return kam::RunExport([&]() -> std::int32_t {
        const KAM_PatternInfo* info = nullptr;
        const std::int32_t status =
            kam::EnterValidation(libraryId, patternName, specific, kam::kSpaceSpecificPosition,
                                 KAM_PATTERN_SPACE, &info);
        if (status != 0) return status;
        return kam::ReportStatus(
            kam::FullSpaceValidation(*info, &gainMax, &beamlet, specific, &phi, &phi0));
    });
}
