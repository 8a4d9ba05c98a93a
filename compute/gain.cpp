// Gain of a named pattern for parameters passed by value: find the pattern,
// validate the inputs while InputParamValid is on, call the plug-in's gain
// function and combine the statuses. A clean call allocates nothing.
#include "core/frame.h"
#include "core/state.h"
#include "core/status.h"
#include "libraries/registry.h"
#include "validation/validation.h"

// Both exports, after their argument checks: the outputs hold NoValue until
// the gain function has been called, then what it wrote into two working
// doubles that start at 0.0, whatever its status. The validators and the gain
// function share pointers to the call's own copies of the inputs. Result: the
// gain function's negative status, else its positive one, else the
// validation's warning, else 0.

extern "C" KAM_API KAM_Status KAM_CALL KAM_EarthPatternGain(KAM_LibraryId libraryId,
                                                            const char* patternName,
                                                            double gainMax, double diameter,
                                                            double frequency, double efficiency,
                                                            void* specific, double phi,
                                                            double phi0, double* gain,
                                                            double* gainX) {
    using namespace kam;
    return RunExport([&]() -> std::int32_t {
        if (const std::int32_t frame = EnterFrame(); frame != 0) return frame;
        if (libraryId == KAM_NO_LIBRARY) return ReportStatus(-1);
        const std::size_t nameLength = PatternNameLength(patternName);
        if (!IsGoodPatternLength(nameLength)) return ReportStatus(-2);
        if (specific == nullptr) return ReportStatus(-7);
        if (gain == nullptr) return ReportStatus(-10);
        if (gainX == nullptr) return ReportStatus(-11);
        *gain = kNoValueDouble;
        *gainX = kNoValueDouble;

        ListNode* pattern = nullptr;
        std::int32_t result = ResolvePatternOfLengthAndType(libraryId, patternName, nameLength,
                                                            KAM_PATTERN_EARTH, &pattern);
        if (result != 0) return ReportStatus(result);
        const KAM_PatternInfo& info = PatternInfoOf(pattern);
        const KAM_EarthGainFn gainFn = info.gain.earth;
        if (gainFn == nullptr) return ReportStatus(KAM_E_GAIN_CORRUPTED);

        if (g_state.inputParamValid != 0 &&
            CombineStatus(FullEarthValidation(info, &gainMax, &diameter, &frequency, &efficiency,
                                              specific, &phi, &phi0),
                          result)) {
            return ReportStatus(result);
        }
        double working[2] = {0.0, 0.0};
        const std::int32_t status = gainFn(&gainMax, &diameter, &frequency, &efficiency, specific,
                                           &phi, &phi0, &working[0], &working[1]);
        *gain = working[0];
        *gainX = working[1];
        CombineStatus(status, result);
        return Finish(result);
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_SpacePatternGain(KAM_LibraryId libraryId,
                                                            const char* patternName,
                                                            double gainMax, double beamlet,
                                                            void* specific, double phi,
                                                            double phi0, double* gain,
                                                            double* gainX) {
    using namespace kam;
    return RunExport([&]() -> std::int32_t {
        if (const std::int32_t frame = EnterFrame(); frame != 0) return frame;
        if (libraryId == KAM_NO_LIBRARY) return ReportStatus(-1);
        const std::size_t nameLength = PatternNameLength(patternName);
        if (!IsGoodPatternLength(nameLength)) return ReportStatus(-2);
        if (specific == nullptr) return ReportStatus(-5);
        if (gain == nullptr) return ReportStatus(-8);
        if (gainX == nullptr) return ReportStatus(-9);
        *gain = kNoValueDouble;
        *gainX = kNoValueDouble;

        ListNode* pattern = nullptr;
        std::int32_t result = ResolvePatternOfLengthAndType(libraryId, patternName, nameLength,
                                                            KAM_PATTERN_SPACE, &pattern);
        if (result != 0) return ReportStatus(result);
        const KAM_PatternInfo& info = PatternInfoOf(pattern);
        const KAM_SpaceGainFn gainFn = info.gain.space;
        if (gainFn == nullptr) return ReportStatus(KAM_E_GAIN_CORRUPTED);

        if (g_state.inputParamValid != 0 &&
            CombineStatus(FullSpaceValidation(info, &gainMax, &beamlet, specific, &phi, &phi0),
                          result)) {
            return ReportStatus(result);
        }
        double working[2] = {0.0, 0.0};
        const std::int32_t status =
            gainFn(&gainMax, &beamlet, specific, &phi, &phi0, &working[0], &working[1]);
        *gain = working[0];
        *gainX = working[1];
        CombineStatus(status, result);
        return Finish(result);
    });
}
