// The validation chains: the library's own checks followed by a pattern's
// validateInput and validateAll slots, combined by the status combination.
#include "libraries/registry.h"
#include "validation/validation.h"

namespace kam {
namespace {

// Whether the library's checks of a full chain would all pass quietly; when
// so the chain goes straight to the pattern's own validators.
bool AreQuietEarth(const std::int32_t* p, const double* gainMax, const double* diameter,
                   const double* frequency, const double* efficiency, const void* specific,
                   const double* phi, const double* phi0) noexcept {
    return AreQuietEarthParameters(p, *gainMax, *diameter, *frequency, *efficiency, specific) &&
           AreQuietAngles(p, *phi, *phi0);
}

bool AreQuietSpace(const std::int32_t* p, const double* gainMax, const double* beamlet,
                   const void* specific, const double* phi, const double* phi0) noexcept {
    return AreQuietSpaceParameters(p, *gainMax, *beamlet, specific) &&
           AreQuietAngles(p, *phi, *phi0);
}

}  // namespace

std::int32_t RunValidateInput(const KAM_PatternInfo& pattern, double* gainMax, double* diameter,
                              double* frequency, double* efficiency, void* specific) noexcept {
    const KAM_EarthValidateInputFn slot = pattern.validateInput.earth;
    return slot != nullptr ? slot(gainMax, diameter, frequency, efficiency, specific) : 0;
}

std::int32_t RunValidateInput(const KAM_PatternInfo& pattern, double* gainMax, double* beamlet,
                              void* specific) noexcept {
    const KAM_SpaceValidateInputFn slot = pattern.validateInput.space;
    return slot != nullptr ? slot(gainMax, beamlet, specific) : 0;
}

std::int32_t RunValidateAll(const KAM_PatternInfo& pattern, double* gainMax, double* diameter,
                            double* frequency, double* efficiency, void* specific, double* phi,
                            double* phi0) noexcept {
    const KAM_EarthValidateAllFn slot = pattern.validateAll.earth;
    return slot != nullptr ? slot(gainMax, diameter, frequency, efficiency, specific, phi, phi0)
                           : 0;
}

std::int32_t RunValidateAll(const KAM_PatternInfo& pattern, double* gainMax, double* beamlet,
                            void* specific, double* phi, double* phi0) noexcept {
    const KAM_SpaceValidateAllFn slot = pattern.validateAll.space;
    return slot != nullptr ? slot(gainMax, beamlet, specific, phi, phi0) : 0;
}

std::int32_t PartialEarthValidation(const KAM_PatternInfo& pattern, double* gainMax,
                                    double* diameter, double* frequency, double* efficiency,
                                    void* specific) noexcept {
    std::int32_t result = 0;
    if (CombineStatus(CheckEarthParameters(pattern.paramProperties, gainMax, diameter, frequency,
                                           efficiency, specific),
                      result)) {
        return result;
    }
    CombineStatus(RunValidateInput(pattern, gainMax, diameter, frequency, efficiency, specific),
                  result);
    return result;
}

std::int32_t PartialSpaceValidation(const KAM_PatternInfo& pattern, double* gainMax,
                                    double* beamlet, void* specific) noexcept {
    std::int32_t result = 0;
    if (CombineStatus(CheckSpaceParameters(pattern.paramProperties, gainMax, beamlet, specific),
                      result)) {
        return result;
    }
    CombineStatus(RunValidateInput(pattern, gainMax, beamlet, specific), result);
    return result;
}

std::int32_t FullEarthValidation(const KAM_PatternInfo& pattern, double* gainMax,
                                 double* diameter, double* frequency, double* efficiency,
                                 void* specific, double* phi, double* phi0) noexcept {
    std::int32_t result = 0;
    const bool quiet = AreQuietEarth(pattern.paramProperties, gainMax, diameter, frequency,
                                     efficiency, specific, phi, phi0);
    if ((!quiet && (CombineStatus(CheckEarthParameters(pattern.paramProperties, gainMax, diameter,
                                                       frequency, efficiency, specific),
                                  result) ||
                    CombineStatus(CheckAngles(pattern.paramProperties, phi, phi0), result))) ||
        CombineStatus(
            RunValidateInput(pattern, gainMax, diameter, frequency, efficiency, specific),
            result)) {
        return result;
    }
    CombineStatus(
        RunValidateAll(pattern, gainMax, diameter, frequency, efficiency, specific, phi, phi0),
        result);
    return result;
}

std::int32_t FullSpaceValidation(const KAM_PatternInfo& pattern, double* gainMax,
                                 double* beamlet, void* specific, double* phi,
                                 double* phi0) noexcept {
    std::int32_t result = 0;
    const bool quiet = AreQuietSpace(pattern.paramProperties, gainMax, beamlet, specific, phi, phi0);
    if ((!quiet &&
         (CombineStatus(CheckSpaceParameters(pattern.paramProperties, gainMax, beamlet, specific),
                        result) ||
          CombineStatus(CheckAngles(pattern.paramProperties, phi, phi0), result))) ||
        CombineStatus(RunValidateInput(pattern, gainMax, beamlet, specific), result)) {
        return result;
    }
    CombineStatus(RunValidateAll(pattern, gainMax, beamlet, specific, phi, phi0), result);
    return result;
}

std::int32_t ResolvePatternOfType(KAM_LibraryId libraryId, const char* name, std::int32_t type,
                                  ListNode** pattern) noexcept {
    ListNode* found = nullptr;
    const std::int32_t status = ResolvePattern(libraryId, name, &found);
    if (status != 0) return status;
    if (found == nullptr) return KAM_E_PATTERN_NOT_FOUND;
    if (PatternInfoOf(found).type != type) return KAM_E_PATTERN_TYPE;
    *pattern = found;
    return 0;
}

}  // namespace kam
