// Contour angles of space patterns for a relative gain level, by pattern name
// and by space antenna. Like the validation exports these never initialise
// the library: before the first initialising call they return -2001 and
// report nothing. The contour function writes the caller's outputs directly;
// both hold NoValue before it runs. The steps are ContourElement's
// (compute/pipeline.h).
#include "compute/pipeline.h"
#include "core/frame.h"
#include "core/handles.h"


extern "C" KAM_API KAM_Status KAM_CALL KAM_SpacePatternContour(KAM_LibraryId libraryId,
                                                               const char* patternName,
                                                               double gainRel, double beamlet,
                                                               void* specific, double phi0,
                                                               double* phi, double* phiX) {
    using namespace kam;
    return RunExport([&]() -> std::int32_t {
        if (const std::int32_t frame = EnterFrameInitialised(); frame != 0) return frame;
        std::size_t nameLength = 0;
        if (const std::int32_t bad =
                CheckPatternArguments(libraryId, patternName, specific, 5, &nameLength);
            bad != 0) {
            return bad;
        }
        if (phi == nullptr) return ReportStatus(-7);
        if (phiX == nullptr) return ReportStatus(-8);
        *phi = kNoValueDouble;
        *phiX = kNoValueDouble;

        ListNode* pattern = nullptr;
        std::int32_t result = ResolvePatternOfLengthAndType(libraryId, patternName, nameLength,
                                                            KAM_PATTERN_SPACE, &pattern);
        if (result != 0) return ReportStatus(result);
        if (!SpaceKind::HasContour(PatternInfoOf(pattern))) return ReportStatus(KAM_E_NO_CONTOUR);
        // The function takes no GainMax: validation sees it absent.
        SpaceKind::Params values{kNoValueDouble, beamlet, specific};
        Subject<SpaceKind, true> subject(pattern, &values, g_state.inputParamValid != 0, true);
        return Finish(ContourElement(subject, gainRel, phi0, phi, phiX));
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
        if (const std::int32_t frame = EnterFrameInitialised(); frame != 0) return frame;
        if (antennaId == KAM_NO_ANTENNA) return ReportStatus(-1);
        if (phi == nullptr) return ReportStatus(-4);
        if (phiX == nullptr) return ReportStatus(-5);
        *phi = kNoValueDouble;
        *phiX = kNoValueDouble;

        ListNode* node = NodeOfKind(antennaId, NodeKind::SpaceAntenna);
        if (node == nullptr) return ReportStatus(KAM_E_PATTERN_TYPE);
        const ListNode* pattern = node->parent;
        SetAntennaContext(pattern);
        if (!SpaceKind::HasContour(PatternInfoOf(pattern))) return ReportStatus(KAM_E_NO_CONTOUR);
        Subject<SpaceKind, true> subject(pattern, static_cast<SpaceAntennaData*>(node->payload),
                                         g_state.inputParamValid != 0, false);
        return Finish(ContourElement(subject, gainRel, phi0, phi, phiX));
    });
}
