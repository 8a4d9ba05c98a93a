// The call pipeline of the computations, written once for earth and space
// patterns, for calls by pattern name and by antenna, and for one point or
// many: the validation steps, the slot calls (per point, or the library's
// array functions where it has them) and the status combination of one
// element. The exports in gain.cpp, antennas.cpp, contour.cpp and arrays.cpp
// add their frames and argument checks around it.
#pragma once

#include <cstdint>
#include <type_traits>
#include <variant>

#include "compute/antennas.h"
#include "core/frame.h"
#include "core/state.h"
#include "core/status.h"
#include "libraries/registry.h"
#include "validation/validation.h"

namespace kam {

// ---- Earth and space ---------------------------------------------------

// What differs between earth and space patterns: the parameter record (the
// antenna payload, also the call's copy of a by-name call's values) and the
// argument lists of the slots.
struct EarthKind {
    using Params = EarthAntennaData;
    static constexpr std::int32_t kType = KAM_PATTERN_EARTH;
    static constexpr NodeKind kAntennaKind = NodeKind::EarthAntenna;
    // Position of Specific in the by-name exports (gain, validation,
    // creation, arrays); the arguments after it count on from there.
    static constexpr std::int32_t kSpecificPosition = 7;

    static bool QuietParameters(const std::int32_t* p, const Params& v) noexcept {
        return AreQuietEarthParameters(p, v.gainMax, v.diameter, v.frequency, v.efficiency,
                                       v.specific);
    }
    static std::int32_t CheckParameters(const std::int32_t* p, const Params& v) noexcept {
        return CheckEarthParameters(p, &v.gainMax, &v.diameter, &v.frequency, &v.efficiency,
                                    v.specific);
    }
    static std::int32_t ValidateInput(const KAM_PatternInfo& i, Params& v) noexcept {
        return RunValidateInput(i, &v.gainMax, &v.diameter, &v.frequency, &v.efficiency,
                                v.specific);
    }
    static bool HasValidateAll(const KAM_PatternInfo& i) noexcept {
        return i.validateAll.earth != nullptr;
    }
    static std::int32_t ValidateAll(const KAM_PatternInfo& i, Params& v, double* phi,
                                    double* phi0) noexcept {
        return i.validateAll.earth(&v.gainMax, &v.diameter, &v.frequency, &v.efficiency,
                                   v.specific, phi, phi0);
    }
    static bool HasGain(const KAM_PatternInfo& i) noexcept { return i.gain.earth != nullptr; }
    static std::int32_t Gain(const KAM_PatternInfo& i, Params& v, double* phi, double* phi0,
                             double* gain, double* gainX) noexcept {
        return i.gain.earth(&v.gainMax, &v.diameter, &v.frequency, &v.efficiency, v.specific, phi,
                            phi0, gain, gainX);
    }
    static bool HasValidateAllArray(const KAM_PatternArraySlots& a) noexcept {
        return a.validateAll.earth != nullptr;
    }
    static std::int32_t ValidateAllArray(const KAM_PatternArraySlots& a, Params& v,
                                         std::int32_t n, const double* phi, const double* phi0,
                                         KAM_Status* status) noexcept {
        return a.validateAll.earth(&v.gainMax, &v.diameter, &v.frequency, &v.efficiency,
                                   v.specific, n, phi, phi0, status);
    }
    static bool HasGainArray(const KAM_PatternArraySlots& a) noexcept {
        return a.gain.earth != nullptr;
    }
    static std::int32_t GainArray(const KAM_PatternArraySlots& a, Params& v, std::int32_t n,
                                  const double* phi, const double* phi0, double* gain,
                                  double* gainX, KAM_Status* status) noexcept {
        return a.gain.earth(&v.gainMax, &v.diameter, &v.frequency, &v.efficiency, v.specific, n,
                            phi, phi0, gain, gainX, status);
    }
};

struct SpaceKind {
    using Params = SpaceAntennaData;
    static constexpr std::int32_t kType = KAM_PATTERN_SPACE;
    static constexpr NodeKind kAntennaKind = NodeKind::SpaceAntenna;
    static constexpr std::int32_t kSpecificPosition = 5;

    static bool QuietParameters(const std::int32_t* p, const Params& v) noexcept {
        return AreQuietSpaceParameters(p, v.gainMax, v.beamlet, v.specific);
    }
    static std::int32_t CheckParameters(const std::int32_t* p, const Params& v) noexcept {
        return CheckSpaceParameters(p, &v.gainMax, &v.beamlet, v.specific);
    }
    static std::int32_t ValidateInput(const KAM_PatternInfo& i, Params& v) noexcept {
        return RunValidateInput(i, &v.gainMax, &v.beamlet, v.specific);
    }
    static bool HasValidateAll(const KAM_PatternInfo& i) noexcept {
        return i.validateAll.space != nullptr;
    }
    static std::int32_t ValidateAll(const KAM_PatternInfo& i, Params& v, double* phi,
                                    double* phi0) noexcept {
        return i.validateAll.space(&v.gainMax, &v.beamlet, v.specific, phi, phi0);
    }
    static bool HasGain(const KAM_PatternInfo& i) noexcept { return i.gain.space != nullptr; }
    static std::int32_t Gain(const KAM_PatternInfo& i, Params& v, double* phi, double* phi0,
                             double* gain, double* gainX) noexcept {
        return i.gain.space(&v.gainMax, &v.beamlet, v.specific, phi, phi0, gain, gainX);
    }
    static bool HasValidateAllArray(const KAM_PatternArraySlots& a) noexcept {
        return a.validateAll.space != nullptr;
    }
    static std::int32_t ValidateAllArray(const KAM_PatternArraySlots& a, Params& v,
                                         std::int32_t n, const double* phi, const double* phi0,
                                         KAM_Status* status) noexcept {
        return a.validateAll.space(&v.gainMax, &v.beamlet, v.specific, n, phi, phi0, status);
    }
    static bool HasGainArray(const KAM_PatternArraySlots& a) noexcept {
        return a.gain.space != nullptr;
    }
    static std::int32_t GainArray(const KAM_PatternArraySlots& a, Params& v, std::int32_t n,
                                  const double* phi, const double* phi0, double* gain,
                                  double* gainX, KAM_Status* status) noexcept {
        return a.gain.space(&v.gainMax, &v.beamlet, v.specific, n, phi, phi0, gain, gainX,
                            status);
    }
    static bool HasContour(const KAM_PatternInfo& i) noexcept {
        return i.contour.space != nullptr;
    }
    static std::int32_t Contour(const KAM_PatternInfo& i, Params& v, double* gainRel,
                                double* phi0, double* phi, double* phiX) noexcept {
        return i.contour.space(gainRel, &v.beamlet, v.specific, phi0, phi, phiX);
    }
    static bool HasContourArray(const KAM_PatternArraySlots& a) noexcept {
        return a.contour.space != nullptr;
    }
    static std::int32_t ContourArray(const KAM_PatternArraySlots& a, Params& v, std::int32_t n,
                                     const double* gainRel, const double* phi0, double* phi,
                                     double* phiX, KAM_Status* status) noexcept {
        return a.contour.space(&v.beamlet, v.specific, n, gainRel, phi0, phi, phiX, status);
    }
};

// ---- Entry -------------------------------------------------------------

// The entry of the by-name exports that initialise (gain, creation, gain
// arrays): the frame, then LibraryId, name and Specific at the kind's
// position. status: 0, or the status to return (reported).
struct NameEntry {
    std::int32_t status = 0;
    std::size_t nameLength = 0;
};

template <class Kind>
NameEntry EnterByName(KAM_LibraryId libraryId, const char* patternName,
                      const void* specific) noexcept {
    NameEntry entry;
    entry.status = EnterFrame();
    if (entry.status != 0) return entry;
    entry.status = CheckPatternArguments(libraryId, patternName, specific,
                                         Kind::kSpecificPosition, &entry.nameLength);
    return entry;
}

// ---- The steps of one element ------------------------------------------

// What the computation works on: a pattern and one set of parameter values.
// By name, the values are the call's own: every element starts from them
// (as the single call would), after validateInput has seen them once. By
// antenna, the slots receive the antenna's own record, so what they write
// there stays with the antenna, element after element.
//
// kOnce: a single call, whose one element works on the call's copy itself.
template <class Kind, bool kOnce = false>
class Subject {
public:
    using Params = typename Kind::Params;

    // By name, many elements: the call's values, copied.
    Subject(const ListNode* pattern, const Params& values, bool validate) noexcept
        requires(!kOnce)
        : info_(&PatternInfoOf(pattern)), arrays_(&ArraySlotsOf(pattern)),
          arrayFlags_(ArrayFlagsOf(pattern)), base_(values),
          params_(&work_), byName_(true), validate_(validate) {}
    // By name, one element: the call's own copy of its values, worked on in
    // place.
    Subject(const ListNode* pattern, Params* values, bool validate, bool byName) noexcept
        requires(kOnce)
        : info_(&PatternInfoOf(pattern)), arrays_(&ArraySlotsOf(pattern)),
          arrayFlags_(ArrayFlagsOf(pattern)), params_(values),
          byName_(byName), validate_(validate) {}
    // By antenna: the antenna's record.
    Subject(const ListNode* pattern, Params* record, bool validate) noexcept
        requires(!kOnce)
        : info_(&PatternInfoOf(pattern)), arrays_(&ArraySlotsOf(pattern)),
          arrayFlags_(ArrayFlagsOf(pattern)), params_(record),
          byName_(false), validate_(validate) {}

    const KAM_PatternInfo& Info() const noexcept { return *info_; }
    const KAM_PatternArraySlots& Arrays() const noexcept { return *arrays_; }
    // True when the array functions write every output element themselves,
    // so that their outputs need not be set first.
    bool ArraysWriteOutputs() const noexcept {
        return (arrayFlags_ & KAM_ARRAY_WRITES_OUTPUTS) != 0;
    }
    const std::int32_t* Properties() const noexcept { return info_->paramProperties; }
    bool Validating() const noexcept { return validate_; }
    bool ByName() const noexcept { return byName_; }

    // The values the slots of the next element receive: by name a fresh copy
    // of the call's values, by antenna the record itself.
    Params& Fresh() noexcept {
        if constexpr (!kOnce) {
            if (byName_) work_ = base_;
        }
        return *params_;
    }

    // The validation steps before the angles (by name only): the library's
    // checks of the antenna parameters, run once, when first needed. Feeds
    // the result into result; true when it failed.
    [[gnu::always_inline]] bool ParameterChecks(std::int32_t& result) noexcept {
        if (!byName_) return false;
        if (!parametersChecked_) {
            parameters_ = Kind::QuietParameters(Properties(), Base())
                              ? 0
                              : Kind::CheckParameters(Properties(), Base());
            parametersChecked_ = true;
        }
        return CombineStatus(parameters_, result);
    }
    // validateInput (by name only), once, when first needed; the values it
    // leaves are the ones every element starts from.
    [[gnu::always_inline]] bool InputValidation(std::int32_t& result) noexcept {
        if (!byName_) return false;
        if (!inputChecked_) {
            if constexpr (kOnce) {
                input_ = Kind::ValidateInput(*info_, *params_);
            } else {
                work_ = base_;
                input_ = Kind::ValidateInput(*info_, work_);
                base_ = work_;
            }
            inputChecked_ = true;
        }
        return CombineStatus(input_, result);
    }

private:
    // The values every element starts from.
    const Params& Base() const noexcept {
        if constexpr (kOnce) {
            return *params_;
        } else {
            return base_;
        }
    }

    using Copy = std::conditional_t<kOnce, std::monostate, Params>;
    const KAM_PatternInfo* info_;
    const KAM_PatternArraySlots* arrays_;
    std::uint32_t arrayFlags_;
    [[no_unique_address]] Copy base_{};
    [[no_unique_address]] Copy work_{};
    Params* params_;
    bool byName_;
    bool validate_;
    bool parametersChecked_ = false;
    bool inputChecked_ = false;
    std::int32_t parameters_ = 0;
    std::int32_t input_ = 0;
};

// A contour call has no input Phi: validation sees 0.0.
constexpr double kValidationPhi = 0.0;

// The gain of one element: the steps of the single call, in its order.
// The outputs hold NoValue until the gain slot has run, then what it wrote
// into two working doubles that start at 0.0.
// The validation steps of a gain element before validateAll: the antenna
// parameters (by name), the angles, validateInput (by name). True when one
// failed (result then holds its status).
template <class Subj>
[[gnu::always_inline]] inline bool GainChecks(Subj& s, double phi, double phi0, std::int32_t& result) noexcept {
    return s.ParameterChecks(result) ||
           (!AreQuietAngles(s.Properties(), phi, phi0) &&
            CombineStatus(CheckAngles(s.Properties(), &phi, &phi0), result)) ||
           s.InputValidation(result);
}

template <class Kind, class Subj>
[[gnu::always_inline]] inline std::int32_t GainElement(Subj& s, double phi, double phi0, double* gain,
                         double* gainX) noexcept {
    *gain = kNoValueDouble;
    *gainX = kNoValueDouble;
    std::int32_t result = 0;
    if (s.Validating() && GainChecks(s, phi, phi0, result)) return result;
    typename Kind::Params& v = s.Fresh();
    if (s.Validating() && Kind::HasValidateAll(s.Info()) &&
        CombineStatus(Kind::ValidateAll(s.Info(), v, &phi, &phi0), result)) {
        return result;
    }
    if (!Kind::HasGain(s.Info())) return KAM_E_GAIN_CORRUPTED;
    double working[2] = {0.0, 0.0};
    const std::int32_t status = Kind::Gain(s.Info(), v, &phi, &phi0, &working[0], &working[1]);
    *gain = working[0];
    *gainX = working[1];
    CombineStatus(status, result);
    return result;
}

// The steps of a contour element before validateAll: GainRel, the antenna
// parameters (by name), the angles with Phi 0.0, validateInput (by name).
template <class Subj>
[[gnu::always_inline]] inline bool ContourChecks(Subj& s, double gainRel, double phi0, std::int32_t& result) noexcept {
    double validationPhi = kValidationPhi;
    return CombineStatus(CheckGainRel(&gainRel), result) || s.ParameterChecks(result) ||
           (!AreQuietAngles(s.Properties(), validationPhi, phi0) &&
            CombineStatus(CheckAngles(s.Properties(), &validationPhi, &phi0), result)) ||
           s.InputValidation(result);
}

// The contour of one element: the contour slot writes the outputs, which
// hold NoValue before it runs; then the output checks.
template <class Subj>
[[gnu::always_inline]] inline std::int32_t ContourElement(Subj& s, double gainRel, double phi0, double* phi,
                            double* phiX) noexcept {
    *phi = kNoValueDouble;
    *phiX = kNoValueDouble;
    std::int32_t result = 0;
    if (s.Validating() && ContourChecks(s, gainRel, phi0, result)) return result;
    SpaceKind::Params& v = s.Fresh();
    double validationPhi = kValidationPhi;
    if (s.Validating() && SpaceKind::HasValidateAll(s.Info()) &&
        CombineStatus(SpaceKind::ValidateAll(s.Info(), v, &validationPhi, &phi0), result)) {
        return result;
    }
    if (CombineStatus(SpaceKind::Contour(s.Info(), v, &gainRel, &phi0, phi, phiX), result)) {
        return result;
    }
    CombineStatus(CheckContourOutput(phi, phiX), result);
    return result;
}

}  // namespace kam
