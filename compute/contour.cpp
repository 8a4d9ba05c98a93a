// Contour angles of space patterns for a relative gain level, by pattern name
// and by space antenna. Like the validation exports these never initialise
// the library: before the first initialising call they return -2001 and
// report nothing. The contour function writes the caller's outputs directly;
// both hold NoValue before it runs.
#include "compute/antennas.h"
#include "core/frame.h"
#include "core/handles.h"
#include "core/state.h"
#include "core/status.h"
#include "libraries/registry.h"
#include "validation/validation.h"

namespace kam {
namespace {

// A contour call has no input Phi: validation sees 0.0.
constexpr double kValidationPhi = 0.0;

// Calls the contour function and checks its outputs; result is the warning
// remembered so far. Returns the final status (not yet reported).
std::int32_t RunContour(KAM_ContourFn contour, double* gainRel, double* beamlet, void* specific,
                        double* phi0, double* phi, double* phiX, std::int32_t result) noexcept {
    if (CombineStatus(contour(gainRel, beamlet, specific, phi0, phi, phiX), result)) return result;
    CombineStatus(CheckContourOutput(phi, phiX), result);
    return result;
}

}  // namespace
}  // namespace kam

extern "C" KAM_API KAM_Status KAM_CALL KAM_SpacePatternContour(KAM_LibraryId libraryId,
                                                               const char* patternName,
                                                               double gainRel, double beamlet,
                                                               void* specific, double phi0,
                                                               double* phi, double* phiX) {
    using namespace kam;
    return RunExport([&]() -> std::int32_t {
        if (g_state.initialised != 1) return KAM_E_NOT_INITIALISED;
        DrainAtEntry();
        if (libraryId == KAM_NO_LIBRARY) return ReportStatus(-1);
        const std::size_t nameLength = PatternNameLength(patternName);
        if (!IsGoodPatternLength(nameLength)) return ReportStatus(-2);
        if (specific == nullptr) return ReportStatus(-5);
        if (phi == nullptr) return ReportStatus(-7);
        if (phiX == nullptr) return ReportStatus(-8);
        *phi = kNoValueDouble;
        *phiX = kNoValueDouble;

        ListNode* pattern = nullptr;
        std::int32_t result = ResolvePatternOfLengthAndType(libraryId, patternName, nameLength,
                                                            KAM_PATTERN_SPACE, &pattern);
        if (result != 0) return ReportStatus(result);
        const KAM_PatternInfo& info = PatternInfoOf(pattern);
        const KAM_ContourFn contour = info.contour.space;
        if (contour == nullptr) return ReportStatus(KAM_E_NO_CONTOUR);

        if (g_state.inputParamValid != 0) {
            // The function takes no GainMax: validation sees it absent.
            double gainMax = kNoValueDouble;
            double validationPhi = kValidationPhi;
            if (CombineStatus(CheckGainRel(&gainRel), result) ||
                CombineStatus(FullSpaceValidation(info, &gainMax, &beamlet, specific,
                                                  &validationPhi, &phi0),
                              result)) {
                return ReportStatus(result);
            }
        }
        return Finish(
            RunContour(contour, &gainRel, &beamlet, specific, &phi0, phi, phiX, result));
    });
}

// The stored parameters were validated at creation: only GainRel, the angles
// and validateAll run here, on pointers into the antenna's record. Anything
// but a live space antenna, a stale or forged handle included, is -2006.
extern "C" KAM_API KAM_Status KAM_CALL KAM_AntennaContour(KAM_AntennaId antennaId,
                                                          double gainRel, double phi0,
                                                          double* phi, double* phiX) {
    using namespace kam;
    return RunExport([&]() -> std::int32_t {
        if (g_state.initialised != 1) return KAM_E_NOT_INITIALISED;
        DrainAtEntry();
        if (antennaId == KAM_NO_ANTENNA) return ReportStatus(-1);
        if (phi == nullptr) return ReportStatus(-4);
        if (phiX == nullptr) return ReportStatus(-5);
        *phi = kNoValueDouble;
        *phiX = kNoValueDouble;

        ListNode* node = NodeOfKind(antennaId, NodeKind::SpaceAntenna);
        if (node == nullptr) return ReportStatus(KAM_E_PATTERN_TYPE);
        const ListNode* pattern = node->parent;
        auto* data = static_cast<SpaceAntennaData*>(node->payload);
        const KAM_PatternInfo& info = PatternInfoOf(pattern);
        SetAntennaContext(pattern);
        const KAM_ContourFn contour = info.contour.space;
        if (contour == nullptr) return ReportStatus(KAM_E_NO_CONTOUR);

        std::int32_t result = 0;
        if (g_state.inputParamValid != 0) {
            double validationPhi = kValidationPhi;
            if (CombineStatus(CheckGainRel(&gainRel), result) ||
                CombineStatus(CheckAngles(info.paramProperties, &validationPhi, &phi0), result) ||
                CombineStatus(RunValidateAll(info, &data->gainMax, &data->beamlet, data->specific,
                                             &validationPhi, &phi0),
                              result)) {
                return ReportStatus(result);
            }
        }
        return Finish(RunContour(contour, &gainRel, &data->beamlet, data->specific, &phi0, phi,
                                 phiX, result));
    });
}
