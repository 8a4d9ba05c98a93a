// Gain of a named pattern for parameters passed by value: find the pattern,
// validate the inputs while InputParamValid is on, call the plug-in's gain
// function and combine the statuses. One template serves the earth and the
// space export; a clean call allocates nothing.
#include "compute/pipeline.h"
#include "core/frame.h"

namespace kam {
namespace {

// After the argument checks the outputs hold NoValue until the gain
// function has been called, then what it wrote into two working doubles that
// start at 0.0, whatever its status. The validators and the gain function
// share pointers to the call's own copy of the inputs. Result: the gain
// function's negative status, else its positive one, else the validation's
// warning, else 0.
template <class Kind>
std::int32_t PatternGain(KAM_LibraryId libraryId, const char* patternName,
                         typename Kind::Params values, double phi, double phi0,
                         double* gain, double* gainX) noexcept {
    constexpr std::int32_t kSpecific = Kind::kSpecificPosition;
    const NameEntry entry = EnterByName<Kind>(libraryId, patternName, values.specific);
    if (entry.status != 0) return entry.status;
    if (gain == nullptr) return ReportStatus(-(kSpecific + 3));
    if (gainX == nullptr) return ReportStatus(-(kSpecific + 4));
    *gain = kNoValueDouble;
    *gainX = kNoValueDouble;

    ListNode* pattern = nullptr;
    const std::int32_t found =
        ResolvePatternOfLengthAndType(libraryId, patternName, entry.nameLength, Kind::kType, &pattern);
    if (found != 0) return ReportStatus(found);
    if (!Kind::HasGain(PatternInfoOf(pattern))) return ReportStatus(KAM_E_GAIN_CORRUPTED);
    Subject<Kind, true> subject(pattern, &values, g_state.inputParamValid != 0, true);
    return Finish(GainElement<Kind>(subject, phi, phi0, gain, gainX));
}

}  // namespace
}  // namespace kam

extern "C" KAM_API KAM_Status KAM_CALL KAM_EarthPatternGain(KAM_LibraryId libraryId,
                                                            const char* patternName,
                                                            double gainMax, double diameter,
                                                            double frequency, double efficiency,
                                                            void* specific, double phi,
                                                            double phi0, double* gain,
                                                            double* gainX) {
    return kam::RunExport([&] {
        return kam::PatternGain<kam::EarthKind>(
            libraryId, patternName, {gainMax, diameter, frequency, efficiency, specific}, phi,
            phi0, gain, gainX);
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_SpacePatternGain(KAM_LibraryId libraryId,
                                                            const char* patternName,
                                                            double gainMax, double beamlet,
                                                            void* specific, double phi,
                                                            double phi0, double* gain,
                                                            double* gainX) {
    return kam::RunExport([&] {
        return kam::PatternGain<kam::SpaceKind>(libraryId, patternName,
                                                {gainMax, beamlet, specific}, phi, phi0, gain,
                                                gainX);
    });
}
