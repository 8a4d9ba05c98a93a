// Array evaluation: many angles (levels) in one exported call. One frame,
// one lookup and one check of the antenna parameters per call; each element
// then runs the single call's steps (compute/pipeline.h), through the
// library's array functions where its pattern has them. Events are bounded
// per call (core/status.h, EventBound); the work goes in fixed chunks on the
// stack, so nothing is allocated in proportion to the count.
#include <algorithm>
#include <cstring>

#include "compute/pipeline.h"
#include "core/frame.h"
#include "core/handles.h"

namespace kam {
namespace {

// Elements that the steps handle together: the size of their scratch arrays
// on the stack.
constexpr std::int32_t kChunk = 256;
// Elements handed to a library's array function in one call where nothing
// stands between the caller's arrays and it (the library derives what does
// not depend on the angle once per call), and the size of the scratch kept
// for the outputs a caller does not want.
constexpr std::int32_t kSpan = 1024;
// What validateAll receives as Phi for every element of a contour chunk.
constexpr double kValidationPhis[kChunk] = {};

double At(const double* values, std::int32_t i) noexcept {
    return values != nullptr ? values[i] : kNoValueDouble;
}

// The result of an array call: 0 when every element gave 0, else the first
// negative element status, else the first positive one.
class Outcome {
public:
    void Add(std::int32_t status) noexcept {
        if (status < 0 && negative_ == 0) negative_ = status;
        if (status > 0 && positive_ == 0) positive_ = status;
    }
    std::int32_t Result() const noexcept { return negative_ != 0 ? negative_ : positive_; }

private:
    std::int32_t negative_ = 0;
    std::int32_t positive_ = 0;
};

// The context the events of the call carry. A call nested inside a slot or
// the EventHandler (KAM_DeleteAntenna, say) clears it in its frame; the
// elements after it carry it again.
class Context {
public:
    Context() noexcept : library_(g_state.currentLibrary) {
        std::memcpy(pattern_, g_state.currentPatternName, sizeof pattern_);
    }
    void Keep() const noexcept {
        if (g_state.currentLibrary == library_) [[likely]] return;
        g_state.currentLibrary = library_;
        std::memcpy(g_state.currentPatternName, pattern_, sizeof pattern_);
    }

private:
    KAM_LibraryId library_;
    char pattern_[kPatternNameSize];
};

// A failure of the whole call after its argument checks (the lookup, the
// pattern's type or a missing slot): every element gets it with NoValue in
// its outputs, as each single call would; it is reported once.
std::int32_t FailEvery(std::int32_t status, std::int32_t count, double* first, double* second,
                       KAM_Status* statuses) noexcept {
    std::fill(first, first + count, kNoValueDouble);
    if (second != nullptr) std::fill(second, second + count, kNoValueDouble);
    if (statuses != nullptr) std::fill(statuses, statuses + count, status);
    return ReportStatus(status);
}

// Whether n statuses are all 0: one pass without branches, four at a time.
bool AllZero(const KAM_Status* status, std::int32_t n) noexcept {
    KAM_Status a = 0, b = 0, c = 0, d = 0;
    std::int32_t j = 0;
    for (; j + 4 <= n; j += 4) {
        a |= status[j];
        b |= status[j + 1];
        c |= status[j + 2];
        d |= status[j + 3];
    }
    for (; j < n; ++j) a |= status[j];
    return (a | b | c | d) == 0;
}

// Runs span(begin, n, second, statuses) over the elements in spans, with
// stack scratch where the caller wants no second output or no statuses,
// reports each element's status under the call's bound, and combines them.
template <class Span>
std::int32_t RunSpans(std::int32_t count, double* second, KAM_Status* statuses,
                      const Context& context, Span&& span) noexcept {
    Outcome outcome;
    double secondScratch[kSpan];
    KAM_Status statusScratch[kSpan];
    for (std::int32_t begin = 0; begin < count; begin += kSpan) {
        const std::int32_t n = std::min(kSpan, count - begin);
        KAM_Status* s = statuses != nullptr ? statuses + begin : statusScratch;
        span(begin, n, second != nullptr ? second + begin : secondScratch, s);
        if (AllZero(s, n)) [[likely]] continue;
        for (std::int32_t j = 0; j < n; ++j) {
            if (s[j] == 0) [[likely]] continue;
            outcome.Add(s[j]);
            ReportBounded(s[j]);
            context.Keep();
        }
    }
    return outcome.Result();
}

// chunk(offset, n) over the n elements of a span, kChunk at a time.
template <class Chunk>
void ForChunks(std::int32_t n, Chunk&& chunk) noexcept {
    for (std::int32_t begin = 0; begin < n; begin += kChunk) chunk(begin, std::min(kChunk, n - begin));
}

const double* Offset(const double* values, std::int32_t begin) noexcept {
    return values != nullptr ? values + begin : nullptr;
}

// The elements of a chunk still open after a step, and their inputs laid
// out for an array function: the caller's own arrays while every element is
// open, packed copies once some have closed.
struct Open {
    std::int32_t count = 0;
    // False while a chunk that opened every element has not yet written
    // the identity into index (most calls never need it).
    bool enumerated = true;
    std::int32_t index[kChunk];
    double a[kChunk];
    double b[kChunk];
    const double* inA = nullptr;
    const double* inB = nullptr;

    // Every element open: index[k] == k.
    void OpenAll(std::int32_t n) noexcept {
        count = n;
        enumerated = false;
    }
    void Enumerate() noexcept {
        if (enumerated) return;
        for (std::int32_t k = 0; k < count; ++k) index[k] = k;
        enumerated = true;
    }
    // Keeps the elements whose status is not negative.
    void Keep(const KAM_Status* status) noexcept {
        Enumerate();
        std::int32_t kept = 0;
        for (std::int32_t k = 0; k < count; ++k)
            if (status[index[k]] >= 0) index[kept++] = index[k];
        count = kept;
    }
    // The inputs of the open elements (b may be null: NoValue for all).
    void Lay(std::int32_t n, const double* allA, const double* allB) noexcept {
        if (count == n) {
            inA = allA;
            inB = allB;
            return;
        }
        for (std::int32_t k = 0; k < count; ++k) a[k] = allA[index[k]];
        inA = a;
        inB = nullptr;
        if (allB != nullptr) {
            for (std::int32_t k = 0; k < count; ++k) b[k] = allB[index[k]];
            inB = b;
        }
    }
};

// Which of a library's array functions declined this call: the rest of the
// call goes through the per-point slot instead.
struct Declined {
    bool validateAll = false;
    bool gain = false;
    bool contour = false;
};

// validateAll for the open elements of a chunk, through the array function
// when there is one, then the open set keeps the elements it passed.
// phis: each element's Phi (the caller's angles, or 0.0 for contours).
// False when there was nothing to validate.
template <class Kind>
bool ValidateAllStep(Subject<Kind>& s, Declined& declined, Open& open, std::int32_t n,
                     const double* phis, const double* phi0, KAM_Status* status,
                     const Context& context) noexcept {
    if (!s.Validating() || !Kind::HasValidateAll(s.Info()) || open.count == 0) return false;
    open.Enumerate();
    if (Kind::HasValidateAllArray(s.Arrays()) && !declined.validateAll) {
        KAM_Status found[kChunk];
        open.Lay(n, phis, phi0);
        context.Keep();
        if (Kind::ValidateAllArray(s.Arrays(), s.Fresh(), open.count, open.inA, open.inB,
                                   found) == 0) {
            for (std::int32_t k = 0; k < open.count; ++k)
                CombineStatus(found[k], status[open.index[k]]);
            open.Keep(status);
            return true;
        }
        declined.validateAll = true;
    }
    for (std::int32_t k = 0; k < open.count; ++k) {
        const std::int32_t j = open.index[k];
        double phi = phis[j], p0 = At(phi0, j);
        context.Keep();
        CombineStatus(Kind::ValidateAll(s.Info(), s.Fresh(), &phi, &p0), status[j]);
    }
    open.Keep(status);
    return true;
}

// A gain chunk whose pattern has array functions: the host's checks per
// element, then validateAll and gain for the elements still open.
// The windows in which a gain call's angles pass the host's checks quietly,
// decided once per call from the pattern's property codes.
struct AngleWindows {
    QuietWindow phi;
    QuietWindow phi0;
    explicit AngleWindows(const std::int32_t* properties) noexcept
        : phi(kParamPhi, properties[kParamPhi]), phi0(kParamPhi0, properties[kParamPhi0]) {}
};

// Whether every element of a chunk passes the host's checks before
// validateAll with status 0 and no event: every angle quiet, and the checks
// of the call's own parameters (run here, once, where the first element
// would run them) ending in 0.
template <class Kind>
bool QuietChunk(Subject<Kind>& s, const AngleWindows& windows, std::int32_t n,
                const double* phi, const double* phi0) noexcept {
    if (!s.Validating()) return true;
    if (!windows.phi.All(phi, n)) return false;
    if (phi0 != nullptr ? !windows.phi0.All(phi0, n) : !windows.phi0(kNoValueDouble)) return false;
    std::int32_t result = 0;
    return !s.ParameterChecks(result) && !s.InputValidation(result) && result == 0;
}

// The host's checks of each element of a chunk before validateAll; the
// elements that pass are open. A quiet chunk opens every element at once and
// leaves its outputs to the steps that follow (CloseOutputs).
template <class Kind>
bool HostChecks(Subject<Kind>& s, const AngleWindows& windows, Open& open, std::int32_t n,
                const double* phi, const double* phi0, double* gain, double* gainX,
                KAM_Status* status) noexcept {
    if (QuietChunk(s, windows, n, phi, phi0)) [[likely]] {
        std::fill(status, status + n, 0);
        open.OpenAll(n);
        return true;
    }
    for (std::int32_t j = 0; j < n; ++j) {
        gain[j] = kNoValueDouble;
        gainX[j] = kNoValueDouble;
        std::int32_t result = 0;
        double p = phi[j], p0 = At(phi0, j);
        const bool failed = s.Validating() && GainChecks(s, p, p0, result);
        status[j] = result;
        if (!failed) open.index[open.count++] = j;
    }
    return false;
}

// The outputs of a gain array function that works on the caller's arrays, as
// it receives them: 0.0, unless the library writes every element itself.
// (Where the host lays the elements out in arrays of its own, and reads them
// back, it always sets them first.)
template <class Kind>
void ClearGainOutputs(const Subject<Kind>& s, std::int32_t n, double* gain,
                      double* gainX) noexcept {
    if (s.ArraysWriteOutputs()) return;
    std::fill(gain, gain + n, 0.0);
    std::fill(gainX, gainX + n, 0.0);
}

// NoValue in the outputs of the elements of a quiet chunk that a step closed.
void CloseOutputs(std::int32_t n, const KAM_Status* status, double* gain,
                  double* gainX) noexcept {
    for (std::int32_t j = 0; j < n; ++j) {
        if (status[j] >= 0) continue;
        gain[j] = kNoValueDouble;
        gainX[j] = kNoValueDouble;
    }
}

template <class Kind>
void GainChunk(Subject<Kind>& s, const AngleWindows& windows, Declined& declined, std::int32_t n,
               const double* phi, const double* phi0, double* gain, double* gainX,
               KAM_Status* status, const Context& context) noexcept {
    Open open;
    const bool quiet = HostChecks(s, windows, open, n, phi, phi0, gain, gainX, status);
    const bool validated = ValidateAllStep(s, declined, open, n, phi, phi0, status, context);
    if (quiet && open.count != n) CloseOutputs(n, status, gain, gainX);
    if (open.count == 0) return;
    if (!Kind::HasGain(s.Info())) {
        open.Enumerate();
        for (std::int32_t k = 0; k < open.count; ++k) {
            const std::int32_t j = open.index[k];
            gain[j] = kNoValueDouble;
            gainX[j] = kNoValueDouble;
            status[j] = KAM_E_GAIN_CORRUPTED;
        }
        return;
    }
    // Every element open and at 0: the array function works on the
    // caller's own arrays, its statuses are the elements'.
    if (Kind::HasGainArray(s.Arrays()) && !declined.gain && open.count == n &&
        ((quiet && !validated) || AllZero(status, n))) [[likely]] {
        ClearGainOutputs(s, n, gain, gainX);
        context.Keep();
        if (Kind::GainArray(s.Arrays(), s.Fresh(), n, phi, phi0, gain, gainX, status) == 0) {
            return;
        }
        declined.gain = true;
    }
    open.Enumerate();
    if (Kind::HasGainArray(s.Arrays()) && !declined.gain) {
        double g[kChunk], gx[kChunk];
        KAM_Status found[kChunk];
        std::fill(g, g + open.count, 0.0);  // the host's own arrays, set whatever the flags
        std::fill(gx, gx + open.count, 0.0);
        open.Lay(n, phi, phi0);
        context.Keep();
        if (Kind::GainArray(s.Arrays(), s.Fresh(), open.count, open.inA, open.inB, g, gx,
                            found) == 0) {
            for (std::int32_t k = 0; k < open.count; ++k) {
                const std::int32_t j = open.index[k];
                gain[j] = g[k];
                gainX[j] = gx[k];
                CombineStatus(found[k], status[j]);
            }
            return;
        }
        declined.gain = true;
    }
    for (std::int32_t k = 0; k < open.count; ++k) {
        const std::int32_t j = open.index[k];
        double p = phi[j], p0 = At(phi0, j);
        double working[2] = {0.0, 0.0};
        context.Keep();
        const std::int32_t found =
            Kind::Gain(s.Info(), s.Fresh(), &p, &p0, &working[0], &working[1]);
        gain[j] = working[0];
        gainX[j] = working[1];
        CombineStatus(found, status[j]);
    }
}

// A span of a gain call whose pattern has array functions. Where every
// element passes the host's checks quietly and no validateAll runs, the
// library's array function takes the whole span on the caller's arrays;
// otherwise (or where it declines) the span goes chunk by chunk.
template <class Kind>
void GainSpan(Subject<Kind>& s, const AngleWindows& windows, Declined& declined, std::int32_t n,
              const double* phi, const double* phi0, double* gain, double* gainX,
              KAM_Status* status, const Context& context) noexcept {
    if (Kind::HasGainArray(s.Arrays()) && !declined.gain && Kind::HasGain(s.Info()) &&
        !(s.Validating() && Kind::HasValidateAll(s.Info())) &&
        QuietChunk(s, windows, n, phi, phi0)) [[likely]] {
        ClearGainOutputs(s, n, gain, gainX);
        context.Keep();
        if (Kind::GainArray(s.Arrays(), s.Fresh(), n, phi, phi0, gain, gainX, status) == 0) return;
        declined.gain = true;
    }
    ForChunks(n, [&](std::int32_t begin, std::int32_t m) {
        GainChunk(s, windows, declined, m, phi + begin, Offset(phi0, begin), gain + begin,
                  gainX + begin, status + begin, context);
    });
}

template <class Kind>
bool HasGainArrays(const Subject<Kind>& s) noexcept {
    return Kind::HasGainArray(s.Arrays()) ||
           (s.Validating() && Kind::HasValidateAllArray(s.Arrays()));
}

// Every element of a gain array call.
template <class Kind>
std::int32_t GainElements(Subject<Kind>& s, std::int32_t count, const double* phi,
                          const double* phi0, double* gain, double* gainX,
                          KAM_Status* status) noexcept {
    const Context context;
    Declined declined;
    const bool arrays = HasGainArrays(s);
    const AngleWindows windows(s.Properties());
    return RunSpans(count, gainX, status, context,
                    [&](std::int32_t begin, std::int32_t n, double* gx, KAM_Status* st) {
                        const double* p0 = Offset(phi0, begin);
                        if (arrays) {
                            GainSpan(s, windows, declined, n, phi + begin, p0, gain + begin, gx,
                                     st, context);
                            return;
                        }
                        for (std::int32_t j = 0; j < n; ++j) {
                            context.Keep();
                            st[j] = GainElement<Kind>(s, phi[begin + j], At(p0, j),
                                                      &gain[begin + j], &gx[j]);
                        }
                    });
}

// A contour chunk whose pattern has array functions.
void ContourChunk(Subject<SpaceKind>& s, Declined& declined, std::int32_t n,
                  const double* gainRel, const double* phi0, double* phi, double* phiX,
                  KAM_Status* status, const Context& context) noexcept {
    Open open;
    for (std::int32_t j = 0; j < n; ++j) {
        phi[j] = kNoValueDouble;
        phiX[j] = kNoValueDouble;
        std::int32_t result = 0;
        const bool failed = s.Validating() && ContourChecks(s, gainRel[j], At(phi0, j), result);
        status[j] = result;
        if (!failed) open.index[open.count++] = j;
    }
    ValidateAllStep(s, declined, open, n, kValidationPhis, phi0, status, context);
    if (open.count == 0) return;
    bool computed = false;
    if (SpaceKind::HasContourArray(s.Arrays()) && !declined.contour) {
        double a[kChunk], ax[kChunk];
        KAM_Status found[kChunk];
        std::fill(a, a + open.count, kNoValueDouble);
        std::fill(ax, ax + open.count, kNoValueDouble);
        open.Lay(n, gainRel, phi0);
        context.Keep();
        if (SpaceKind::ContourArray(s.Arrays(), s.Fresh(), open.count, open.inA, open.inB, a, ax,
                                    found) == 0) {
            for (std::int32_t k = 0; k < open.count; ++k) {
                const std::int32_t j = open.index[k];
                phi[j] = a[k];
                phiX[j] = ax[k];
                CombineStatus(found[k], status[j]);
            }
            computed = true;
        } else {
            declined.contour = true;
        }
    }
    if (!computed) {
        for (std::int32_t k = 0; k < open.count; ++k) {
            const std::int32_t j = open.index[k];
            double level = gainRel[j], p0 = At(phi0, j);
            context.Keep();
            CombineStatus(SpaceKind::Contour(s.Info(), s.Fresh(), &level, &p0, &phi[j], &phiX[j]),
                          status[j]);
        }
    }
    open.Keep(status);
    for (std::int32_t k = 0; k < open.count; ++k) {
        const std::int32_t j = open.index[k];
        context.Keep();
        CombineStatus(CheckContourOutput(&phi[j], &phiX[j]), status[j]);
    }
}

std::int32_t ContourElements(Subject<SpaceKind>& s, std::int32_t count, const double* gainRel,
                             const double* phi0, double* phi, double* phiX,
                             KAM_Status* status) noexcept {
    const Context context;
    Declined declined;
    const bool arrays = SpaceKind::HasContourArray(s.Arrays()) ||
                        (s.Validating() && SpaceKind::HasValidateAllArray(s.Arrays()));
    return RunSpans(count, phiX, status, context,
                    [&](std::int32_t begin, std::int32_t n, double* px, KAM_Status* st) {
                        const double* p0 = Offset(phi0, begin);
                        if (arrays) {
                            ForChunks(n, [&](std::int32_t b, std::int32_t m) {
                                ContourChunk(s, declined, m, gainRel + begin + b,
                                             Offset(p0, b), phi + begin + b, px + b, st + b,
                                             context);
                            });
                            return;
                        }
                        for (std::int32_t j = 0; j < n; ++j) {
                            context.Keep();
                            st[j] = ContourElement(s, gainRel[begin + j], At(p0, j),
                                                   &phi[begin + j], &px[j]);
                        }
                    });
}

// By pattern name: one lookup, then every element.
template <class Kind>
std::int32_t GainByName(KAM_LibraryId libraryId, const char* name, std::size_t nameLength,
                        const typename Kind::Params& values, std::int32_t count,
                        const double* phi, const double* phi0, double* gain, double* gainX,
                        KAM_Status* status) noexcept {
    ListNode* pattern = nullptr;
    const std::int32_t found =
        ResolvePatternOfLengthAndType(libraryId, name, nameLength, Kind::kType, &pattern);
    if (found != 0) return FailEvery(found, count, gain, gainX, status);
    if (!Kind::HasGain(PatternInfoOf(pattern))) {
        return FailEvery(KAM_E_GAIN_CORRUPTED, count, gain, gainX, status);
    }
    Subject<Kind> subject(pattern, values, g_state.inputParamValid != 0);
    return GainElements(subject, count, phi, phi0, gain, gainX, status);
}

// The argument checks shared by the array exports after their handle and
// name: the count, then the required arrays when there are elements.
// 0, or the position of the first bad argument (negative).
std::int32_t CheckCountAndArrays(std::int32_t count, std::int32_t countPosition,
                                 const double* input, const double* output,
                                 std::int32_t outputPosition) noexcept {
    if (count < 0) return -countPosition;
    if (count > 0 && input == nullptr) return -(countPosition + 1);
    if (count > 0 && output == nullptr) return -outputPosition;
    return 0;
}

// The by-name gain array exports, earth and space: the argument positions
// count on from Specific (count, phi, phi0, gain).
template <class Kind>
std::int32_t PatternGainArray(KAM_LibraryId libraryId, const char* patternName,
                              const typename Kind::Params& values, std::int32_t count,
                              const double* phi, const double* phi0, double* gain,
                              double* gainX, KAM_Status* status) noexcept {
    constexpr std::int32_t kSpecific = Kind::kSpecificPosition;
    const NameEntry entry = EnterByName<Kind>(libraryId, patternName, values.specific);
    if (entry.status != 0) return entry.status;
    if (const std::int32_t bad = CheckCountAndArrays(count, kSpecific + 1, phi, gain, kSpecific + 4);
        bad != 0) {
        return ReportStatus(bad);
    }
    if (count == 0) return 0;
    const EventBound bound;
    return GainByName<Kind>(libraryId, patternName, entry.nameLength, values, count, phi, phi0, gain,
                            gainX, status);
}

}  // namespace
}  // namespace kam

extern "C" KAM_API KAM_Status KAM_CALL KAM_EarthPatternGainArray(
    KAM_LibraryId libraryId, const char* patternName, double gainMax, double diameter,
    double frequency, double efficiency, void* specific, int32_t count, const double* phi,
    const double* phi0, double* gain, double* gainX, KAM_Status* status) {
    return kam::RunExport([&] {
        return kam::PatternGainArray<kam::EarthKind>(
            libraryId, patternName, {gainMax, diameter, frequency, efficiency, specific}, count,
            phi, phi0, gain, gainX, status);
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_SpacePatternGainArray(
    KAM_LibraryId libraryId, const char* patternName, double gainMax, double beamlet,
    void* specific, int32_t count, const double* phi, const double* phi0, double* gain,
    double* gainX, KAM_Status* status) {
    return kam::RunExport([&] {
        return kam::PatternGainArray<kam::SpaceKind>(libraryId, patternName,
                                                     {gainMax, beamlet, specific}, count, phi,
                                                     phi0, gain, gainX, status);
    });
}

// The antenna's record is taken before any slot runs: a slot that deletes
// the antenna only parks its memory until this call returns, and the
// remaining elements are computed on it.
extern "C" KAM_API KAM_Status KAM_CALL KAM_AntennaGainArray(KAM_AntennaId antennaId,
                                                            int32_t count, const double* phi,
                                                            const double* phi0, double* gain,
                                                            double* gainX, KAM_Status* status) {
    using namespace kam;
    return RunExport([&]() -> std::int32_t {
        if (const std::int32_t frame = EnterFrame(); frame != 0) return frame;
        if (antennaId == KAM_NO_ANTENNA) return ReportStatus(-1);
        if (const std::int32_t bad = CheckCountAndArrays(count, 2, phi, gain, 5); bad != 0) {
            return ReportStatus(bad);
        }
        if (count == 0) return 0;
        const EventBound bound;
        ListNode* node = NodeFromHandle(antennaId);
        const bool validate = g_state.inputParamValid != 0;
        if (node != nullptr && node->kind == static_cast<std::uint32_t>(NodeKind::EarthAntenna)) {
            SetAntennaContext(node->parent);
            Subject<EarthKind> subject(node->parent, static_cast<EarthAntennaData*>(node->payload),
                                       validate);
            return GainElements(subject, count, phi, phi0, gain, gainX, status);
        }
        if (node != nullptr && node->kind == static_cast<std::uint32_t>(NodeKind::SpaceAntenna)) {
            SetAntennaContext(node->parent);
            Subject<SpaceKind> subject(node->parent, static_cast<SpaceAntennaData*>(node->payload),
                                       validate);
            return GainElements(subject, count, phi, phi0, gain, gainX, status);
        }
        return FailEvery(KAM_E_UNKNOWN_ANTENNA, count, gain, gainX, status);
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_SpacePatternContourArray(
    KAM_LibraryId libraryId, const char* patternName, double beamlet, void* specific,
    int32_t count, const double* gainRel, const double* phi0, double* phi, double* phiX,
    KAM_Status* status) {
    using namespace kam;
    return RunExport([&]() -> std::int32_t {
        if (const std::int32_t frame = EnterFrameInitialised(); frame != 0) return frame;
        std::size_t nameLength = 0;
        if (const std::int32_t bad =
                CheckPatternArguments(libraryId, patternName, specific, 4, &nameLength);
            bad != 0) {
            return bad;
        }
        if (const std::int32_t bad = CheckCountAndArrays(count, 5, gainRel, phi, 8); bad != 0) {
            return ReportStatus(bad);
        }
        if (count == 0) return 0;
        const EventBound bound;
        ListNode* pattern = nullptr;
        const std::int32_t found = ResolvePatternOfLengthAndType(
            libraryId, patternName, nameLength, KAM_PATTERN_SPACE, &pattern);
        if (found != 0) return FailEvery(found, count, phi, phiX, status);
        if (!SpaceKind::HasContour(PatternInfoOf(pattern))) {
            return FailEvery(KAM_E_NO_CONTOUR, count, phi, phiX, status);
        }
        // The function takes no GainMax: validation sees it absent.
        Subject<SpaceKind> subject(pattern, SpaceKind::Params{kNoValueDouble, beamlet, specific},
                                   g_state.inputParamValid != 0);
        return ContourElements(subject, count, gainRel, phi0, phi, phiX, status);
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_AntennaContourArray(KAM_AntennaId antennaId,
                                                               int32_t count,
                                                               const double* gainRel,
                                                               const double* phi0, double* phi,
                                                               double* phiX, KAM_Status* status) {
    using namespace kam;
    return RunExport([&]() -> std::int32_t {
        if (const std::int32_t frame = EnterFrameInitialised(); frame != 0) return frame;
        if (antennaId == KAM_NO_ANTENNA) return ReportStatus(-1);
        if (const std::int32_t bad = CheckCountAndArrays(count, 2, gainRel, phi, 5); bad != 0) {
            return ReportStatus(bad);
        }
        if (count == 0) return 0;
        const EventBound bound;
        ListNode* node = NodeOfKind(antennaId, NodeKind::SpaceAntenna);
        if (node == nullptr) return FailEvery(KAM_E_PATTERN_TYPE, count, phi, phiX, status);
        SetAntennaContext(node->parent);
        if (!SpaceKind::HasContour(PatternInfoOf(node->parent))) {
            return FailEvery(KAM_E_NO_CONTOUR, count, phi, phiX, status);
        }
        Subject<SpaceKind> subject(node->parent, static_cast<SpaceAntennaData*>(node->payload),
                                   g_state.inputParamValid != 0);
        return ContourElements(subject, count, gainRel, phi0, phi, phiX, status);
    });
}
