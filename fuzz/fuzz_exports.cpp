// Fuzz target: the exports driven as a caller drives them. Each input is a
// sequence of calls (gains, contours, validation, antennas created, used and
// deleted, forged and stale handles, switches, handlers, events, catalogue
// queries with every capacity, the array exports, legacy names), decoded
// from the bytes, on a library state made fresh for the input. After every
// call: the status is one the library knows, outputs of a call that did not
// fail are NoValue or finite, a contour reported with ContourValid on lies
// within 0..180 degrees as the host's output check rounds it, and every
// event text and rendered line ends within its buffer.
#include <cmath>
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/in_process_platform.h"
#include "kam/kam.h"
#include "validation/validation.h"

namespace {

using fuzz::kNoValue;
using fuzz::Reader;

constexpr int kMaxCalls = 256;
constexpr std::size_t kSpecificDoubles = 64;  // more than any standard pattern needs
constexpr int kMaxArray = 24;

std::vector<std::vector<char>> g_patternNames;  // every standard pattern's name
std::vector<std::vector<char>> g_libraryNames = {{'K', 'A', 'M', '_', 'S', 't', 'd', '\0'}};

// ---- Known statuses ------------------------------------------------------------

bool KnownStatus(std::int32_t s) {
    if (s == 0 || (s >= -11 && s <= -1)) return true;
    static const std::int32_t kCodes[] = {
        KAM_E_NOT_INITIALISED, KAM_E_DLL_NOT_FOUND, KAM_E_NO_MEMORY, KAM_E_UNKNOWN_LIBRARY,
        KAM_E_PATTERN_NOT_FOUND, KAM_E_PATTERN_TYPE, KAM_E_QUEUE_EMPTY, KAM_W_ALREADY_LOADED,
        KAM_E_UNKNOWN_ANTENNA, KAM_W_ALREADY_INITIALISED, KAM_W_NOT_TERMINATED,
        KAM_E_LIBRARY_NOT_FOUND, KAM_E_NO_SPECIFIC_DEFS, KAM_E_PARDEF_NOT_FOUND, KAM_E_NO_CONTOUR,
        KAM_E_INTERNAL, KAM_E_BUFFER_OVERFLOW, KAM_E_GAINREL_RANGE, KAM_E_OUTPUT_PHI,
        KAM_E_OUTPUT_PHIX,
        // The standard library's own.
        -6001, -6002, 6003, -6004, -6005, -6006, 6008, -6010, -6011};
    for (std::int32_t c : kCodes)
        if (s == c) return true;
    for (int i = 0; i < KAM_PARAM_COUNT; ++i)
        if (s == KAM_E_REQUIRED_MISSING - i || s == KAM_W_NOT_REQUIRED_GIVEN + i ||
            s == KAM_E_HARD_LIMIT - i || s == KAM_W_SOFT_LIMIT + i)
            return true;
    return false;
}

bool FiniteOrAbsent(double x) { return std::isfinite(x) || x == kNoValue; }

void CheckGains(std::int32_t s, double gain, double gainX) {
    if (s < 0) return;
    FUZZ_CHECK(FiniteOrAbsent(gain), gain, s);
    FUZZ_CHECK(FiniteOrAbsent(gainX), gainX, s);
}

// contourValid: the switch while the call ran.
void CheckAngles(std::int32_t s, double phi, double phiX, bool contourValid) {
    if (s < 0) return;
    for (double a : {phi, phiX}) {
        FUZZ_CHECK(FiniteOrAbsent(a), a, s);
        if (contourValid && a != kNoValue) {
            const float rounded = kam::RoundToSingle(a);
            FUZZ_CHECK(rounded >= 0.0f && rounded <= 180.0f, a, s);
        }
    }
}

// ---- The caller's state within one input ---------------------------------------

struct Session {
    std::vector<KAM_AntennaId> antennas;  // live and deleted: stale handles stay
    std::vector<KAM_LibraryId> libraries;
    double specific[kSpecificDoubles] = {};
    KAM_EventRecord lastEvent = {};
    bool haveEvent = false;
};

Session* g_session = nullptr;
int g_handlerMode = 0;  // what the user handler does when called
int g_handlerDepth = 0;

int KAM_CALL UserHandler(KAM_Status code) {
    FUZZ_CHECK(KnownStatus(code), code);
    if (g_handlerDepth > 0) return 0;
    ++g_handlerDepth;
    switch (g_handlerMode) {
        case 1:  // take the events, its own status's message among them
            fuzz::TakeEvents(8);
            break;
        case 2:  // delete the newest antenna from inside a call
            if (g_session != nullptr && !g_session->antennas.empty())
                KAM_DeleteAntenna(g_session->antennas.back());
            break;
        case 3:
            KAM_DefaultEventHandler(code);
            break;
        default:
            break;
    }
    --g_handlerDepth;
    return 0;
}

KAM_LibraryId LibraryHandle(Reader& in, const Session& s) {
    const std::uint8_t selector = in.Byte();
    switch (selector % 8) {
        case 0: return KAM_ALL_LIBRARIES;
        case 1: return KAM_StdLibraryId();
        case 2: return s.libraries.empty() ? KAM_NO_LIBRARY : s.libraries[in.Byte() % s.libraries.size()];
        case 3: return s.antennas.empty() ? KAM_NO_LIBRARY : s.antennas[in.Byte() % s.antennas.size()];
        case 4: return KAM_NO_LIBRARY;
        case 5: return KAM_StdLibraryId() + (static_cast<int>(in.Byte()) - 128);  // forged nearby
        case 6: return static_cast<KAM_LibraryId>(in.Int64());
        default: return KAM_ALL_LIBRARIES;
    }
}

KAM_AntennaId AntennaHandle(Reader& in, const Session& s) {
    const std::uint8_t selector = in.Byte();
    if (selector < 192 && !s.antennas.empty()) return s.antennas[in.Byte() % s.antennas.size()];
    if (selector < 224) return LibraryHandle(in, s);
    return static_cast<KAM_AntennaId>(in.Int64());
}

void* Specific(Reader& in, Session& s) {
    const std::uint8_t selector = in.Byte();
    if (selector < 128) return KAM_NOVALUE_STRUCT;
    if (selector < 136) return nullptr;
    const int fields = in.Byte() % 8;
    for (int i = 0; i < fields; ++i) s.specific[in.Byte() % kSpecificDoubles] = in.Double();
    return s.specific;
}

// An output pointer: the variable, or now and then none.
template <class T>
T* Out(Reader& in, T& variable) {
    return in.OneIn(32) ? nullptr : &variable;
}

std::vector<char> PatternName(Reader& in) { return fuzz::Name(in, g_patternNames, 13); }

// ---- The calls -----------------------------------------------------------------

void Gain(Reader& in, Session& s, bool earth) {
    const KAM_LibraryId lib = LibraryHandle(in, s);
    std::vector<char> name = PatternName(in);
    double v[6];
    for (double& x : v) x = in.Double();
    void* specific = Specific(in, s);
    double gain = -7, gainX = -7;
    std::int32_t status;
    if (earth)
        status = KAM_EarthPatternGain(lib, name.data(), v[0], v[1], v[2], v[3], specific, v[4],
                                      v[5], Out(in, gain), Out(in, gainX));
    else
        status = KAM_SpacePatternGain(lib, name.data(), v[0], v[1], specific, v[4], v[5],
                                      Out(in, gain), Out(in, gainX));
    FUZZ_CHECK(KnownStatus(status), status);
    CheckGains(status, gain, gainX);
}

void Contour(Reader& in, Session& s, bool byAntenna) {
    const bool contourValid = KAM_IfContourValidEnabled() != 0;
    double phi = -7, phiX = -7;
    const double level = in.Double(), phi0 = in.Double();
    std::int32_t status;
    if (byAntenna) {
        status = KAM_AntennaContour(AntennaHandle(in, s), level, phi0, Out(in, phi), Out(in, phiX));
    } else {
        const KAM_LibraryId lib = LibraryHandle(in, s);
        std::vector<char> name = PatternName(in);
        const double beamlet = in.Double();
        void* specific = Specific(in, s);
        status = KAM_SpacePatternContour(lib, name.data(), level, beamlet, specific, phi0,
                                         Out(in, phi), Out(in, phiX));
    }
    FUZZ_CHECK(KnownStatus(status), status);
    CheckAngles(status, phi, phiX, contourValid);
}

void CreateAntenna(Reader& in, Session& s, bool earth) {
    const KAM_LibraryId lib = LibraryHandle(in, s);
    std::vector<char> name = PatternName(in);
    double v[4];
    for (double& x : v) x = in.Double();
    void* specific = Specific(in, s);
    KAM_AntennaId id = 12345;
    std::int32_t status;
    if (earth)
        status = KAM_CreateEarthAntenna(lib, name.data(), v[0], v[1], v[2], v[3], specific,
                                        Out(in, id));
    else
        status = KAM_CreateSpaceAntenna(lib, name.data(), v[0], v[1], specific, Out(in, id));
    FUZZ_CHECK(KnownStatus(status), status);
    if (status >= 0 && id != 12345) {
        FUZZ_CHECK(id != KAM_NO_ANTENNA, status);
        s.antennas.push_back(id);
    } else if (status < -11) {
        // A failure after the argument checks leaves no antenna behind.
        FUZZ_CHECK(id == KAM_NO_ANTENNA, status);
    }
}

void AntennaGain(Reader& in, Session& s) {
    double gain = -7, gainX = -7;
    const KAM_AntennaId id = AntennaHandle(in, s);
    const double phi = in.Double(), phi0 = in.Double();
    const std::int32_t status = KAM_AntennaGain(id, phi, phi0, Out(in, gain), Out(in, gainX));
    FUZZ_CHECK(KnownStatus(status), status);
    CheckGains(status, gain, gainX);
}

void Validate(Reader& in, Session& s) {
    const std::uint8_t which = in.Byte() % 4;
    const KAM_LibraryId lib = LibraryHandle(in, s);
    std::vector<char> name = PatternName(in);
    double v[6];
    for (double& x : v) x = in.Double();
    void* specific = Specific(in, s);
    std::int32_t status = 0;
    switch (which) {
        case 0: status = KAM_PartialValidateEarth(lib, name.data(), v[0], v[1], v[2], v[3], specific); break;
        case 1: status = KAM_PartialValidateSpace(lib, name.data(), v[0], v[1], specific); break;
        case 2: status = KAM_ValidateEarthAntenna(lib, name.data(), v[0], v[1], v[2], v[3], specific, v[4], v[5]); break;
        default: status = KAM_ValidateSpaceAntenna(lib, name.data(), v[0], v[1], specific, v[4], v[5]); break;
    }
    FUZZ_CHECK(KnownStatus(status), status);
}

void Switch(Reader& in) {
    using Setter = KAM_Status(KAM_CALL*)(void);
    static const Setter kSetters[] = {
        KAM_EnableInputParamValid, KAM_DisableInputParamValid, KAM_EnableGainValid,
        KAM_DisableGainValid,      KAM_EnableContourValid,     KAM_DisableContourValid,
        KAM_EnableEventLog,        KAM_DisableEventLog,        KAM_Init,
        KAM_Terminate};
    const std::int32_t status = kSetters[in.Byte() % (sizeof kSetters / sizeof kSetters[0])]();
    FUZZ_CHECK(KnownStatus(status), status);
    FUZZ_CHECK(KAM_IfInputParamValidEnabled() == 0 || KAM_IfInputParamValidEnabled() == 1);
    FUZZ_CHECK(KAM_IfGainValidEnabled() == 0 || KAM_IfGainValidEnabled() == 1);
    FUZZ_CHECK(KAM_IfContourValidEnabled() == 0 || KAM_IfContourValidEnabled() == 1);
    FUZZ_CHECK(KAM_IfEventLogEnabled() == 0 || KAM_IfEventLogEnabled() == 1);
    FUZZ_CHECK(KAM_NoValueDouble() == kNoValue);
    FUZZ_CHECK(KAM_NoValueStruct() == KAM_NOVALUE_STRUCT);
}

void Handler(Reader& in) {
    std::int32_t status = 0;
    switch (in.Byte() % 5) {
        case 0: status = KAM_SetDefaultEventHandler(); break;
        case 1: status = KAM_SetNullEventHandler(); break;
        case 2: status = KAM_SetUserEventHandler(&UserHandler); break;
        case 3: status = KAM_SetUserEventHandler(nullptr); FUZZ_CHECK(status == -1, status); break;
        default:
            // Gives the code back while the log is off: any value.
            KAM_DefaultEventHandler(in.Int32());
            break;
    }
    FUZZ_CHECK(KnownStatus(status), status);
    g_handlerMode = in.Byte() % 4;
}

void Events(Reader& in, Session& s) {
    switch (in.Byte() % 4) {
        case 0: {
            const std::int32_t status = KAM_GetNextEvent(in.OneIn(8) ? nullptr : &s.lastEvent);
            FUZZ_CHECK(status == 0 || status == -1 || status == KAM_E_QUEUE_EMPTY, status);
            if (status == 0) {
                fuzz::CheckEvent(s.lastEvent);
                s.haveEvent = true;
            }
            break;
        }
        case 1:
            if (s.haveEvent) fuzz::CheckRendered(s.lastEvent);
            break;
        case 2: {
            char line[KAM_EVENT_LINE_SIZE];
            FUZZ_CHECK(KAM_ConvertEventToString(nullptr, line) == -1);
            FUZZ_CHECK(KAM_ConvertEventToString(&s.lastEvent, nullptr) == -2);
            break;
        }
        default:
            fuzz::TakeEvents();
            break;
    }
}

// A buffer of exactly capacity slots (none for a capacity below 1).
std::vector<char> Slots(std::int32_t capacity, std::size_t slot) {
    return std::vector<char>(capacity > 0 ? static_cast<std::size_t>(capacity) * slot : 0);
}

std::int32_t Capacity(Reader& in) {
    const std::uint8_t selector = in.Byte();
    if (selector < 200) return selector % 64;
    if (selector < 230) return -static_cast<std::int32_t>(in.Byte());
    return in.Int32() % 4096;
}

void CheckNames(const std::vector<char>& buffer, std::int32_t written, std::int32_t capacity,
                std::size_t slot) {
    FUZZ_CHECK(written >= 0 && written <= (capacity > 0 ? capacity : 0), written, capacity);
    for (std::int32_t i = 0; i < written; ++i)
        FUZZ_CHECK(fuzz::Terminated(buffer.data() + i * slot, slot), i);
}

void Catalogue(Reader& in, Session& s) {
    const std::uint8_t which = in.Byte() % 12;
    const KAM_LibraryId lib = LibraryHandle(in, s);
    std::vector<char> name = PatternName(in);
    std::int32_t status = 0;
    switch (which) {
        case 0: {
            std::int32_t count = -5;
            status = KAM_GetLibraryCount(Out(in, count));
            if (status == 0) FUZZ_CHECK(count >= 1, count);
            break;
        }
        case 1: {
            const std::int32_t capacity = Capacity(in);
            std::int32_t count = capacity;
            std::vector<char> names = Slots(capacity, KAM_LIBRARY_NAME_SLOT);
            status = KAM_GetAllLibraryNames(Out(in, count), in.OneIn(16) ? nullptr : names.data());
            if (status >= 0) CheckNames(names, count, capacity, KAM_LIBRARY_NAME_SLOT);
            break;
        }
        case 2: {
            std::vector<char> libraryName = fuzz::Name(in, g_libraryNames, KAM_LIBRARY_NAME_SLOT);
            KAM_LibraryId id = 0;
            status = KAM_GetLibraryIdByName(libraryName.data(), Out(in, id));
            if (status == 0) s.libraries.push_back(id);
            break;
        }
        case 3: {
            KAM_LibraryProperties p;
            status = KAM_GetLibraryProperties(lib, Out(in, p));
            if (status == 0) FUZZ_CHECK(fuzz::Terminated(p.name, sizeof p.name));
            break;
        }
        case 4: {
            std::int32_t count = 0;
            status = KAM_GetPatternCount(lib, in.Int32() % 5, Out(in, count));
            if (status == 0) FUZZ_CHECK(count >= 0, count);
            break;
        }
        case 5: {
            const std::int32_t capacity = Capacity(in);
            std::int32_t count = capacity;
            std::vector<char> names = Slots(capacity, KAM_PATTERN_NAME_SLOT);
            status = KAM_GetAllPatternNames(lib, in.Int32() % 5, Out(in, count),
                                            in.OneIn(16) ? nullptr : names.data());
            if (status >= 0) CheckNames(names, count, capacity, KAM_PATTERN_NAME_SLOT);
            break;
        }
        case 6: status = KAM_ExistPattern(lib, name.data()); break;
        case 7: {
            KAM_LibraryId id = 0;
            status = KAM_SearchPattern(name.data(), Out(in, id));
            if (status == 0) s.libraries.push_back(id);
            break;
        }
        case 8: {
            KAM_PatternProperties p;
            status = KAM_GetPatternProperties(lib, name.data(), Out(in, p));
            if (status == 0) FUZZ_CHECK(fuzz::Terminated(p.name, sizeof p.name));
            break;
        }
        case 9: {
            std::int32_t properties[KAM_PARAM_COUNT];
            status = KAM_GetParamProperties(lib, name.data(), in.OneIn(16) ? nullptr : properties);
            break;
        }
        case 10: {
            std::int32_t count = 0;
            status = KAM_GetSpecificParCount(lib, name.data(), Out(in, count));
            break;
        }
        default: {
            KAM_SpecificParDef d;
            const std::int32_t index = in.OneIn(4) ? in.Int32() : in.Byte() % 8;
            status = KAM_GetSpecificParDef(lib, name.data(), index, Out(in, d));
            break;
        }
    }
    FUZZ_CHECK(KnownStatus(status), status);
}

void AddLibrary(Reader& in, Session& s) {
    // Only names that load nothing or the standard library: no fuzz input
    // picks a file for the loader.
    static const char* const kFiles[] = {"KAM_Std.dll", "", "kam_std.dll", "no-such-library.so",
                                         "/nonexistent/libX.so"};
    const char* file = in.OneIn(16) ? nullptr : kFiles[in.Byte() % 5];
    KAM_LibraryId id = 7;
    const std::int32_t status = KAM_AddLibrary(file, Out(in, id));
    FUZZ_CHECK(KnownStatus(status), status);
    if (status == KAM_W_ALREADY_LOADED) {
        FUZZ_CHECK(id == KAM_StdLibraryId());
        s.libraries.push_back(id);
    }
}

// The array exports, on arrays of exactly count elements. Outputs of an
// element whose status is not negative are NoValue or finite; with no status
// array, all of them when the result is not negative.
void Arrays(Reader& in, Session& s) {
    const std::uint8_t which = in.Byte() % 5;
    const std::int32_t count = in.OneIn(16) ? -static_cast<std::int32_t>(in.Byte() % 3)
                                            : in.Byte() % (kMaxArray + 1);
    const std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 0;
    std::vector<double> x(n), x0(n), out(n, -7.0), outX(n, -7.0);
    std::vector<KAM_Status> status(n, 12345);
    for (std::size_t i = 0; i < n; ++i) x[i] = in.Double();
    const bool withPhi0 = !in.OneIn(4);
    for (std::size_t i = 0; i < n; ++i) x0[i] = withPhi0 ? in.Double() : kNoValue;
    const bool withX = !in.OneIn(4), withStatus = !in.OneIn(4);
    const double* phi0 = withPhi0 ? x0.data() : nullptr;
    double* outXp = withX ? outX.data() : nullptr;
    KAM_Status* statusp = withStatus ? status.data() : nullptr;
    const bool contourValid = KAM_IfContourValidEnabled() != 0;
    std::int32_t result = 0;
    if (which == 0) {
        const KAM_LibraryId lib = LibraryHandle(in, s);
        std::vector<char> name = PatternName(in);
        double v[4];
        for (double& d : v) d = in.Double();
        result = KAM_EarthPatternGainArray(lib, name.data(), v[0], v[1], v[2], v[3],
                                           Specific(in, s), count, x.data(), phi0, out.data(),
                                           outXp, statusp);
    } else if (which == 1) {
        const KAM_LibraryId lib = LibraryHandle(in, s);
        std::vector<char> name = PatternName(in);
        const double gainMax = in.Double(), beamlet = in.Double();
        result = KAM_SpacePatternGainArray(lib, name.data(), gainMax, beamlet, Specific(in, s),
                                           count, x.data(), phi0, out.data(), outXp, statusp);
    } else if (which == 2) {
        result = KAM_AntennaGainArray(AntennaHandle(in, s), count, x.data(), phi0, out.data(),
                                      outXp, statusp);
    } else if (which == 3) {
        const KAM_LibraryId lib = LibraryHandle(in, s);
        std::vector<char> name = PatternName(in);
        const double beamlet = in.Double();
        result = KAM_SpacePatternContourArray(lib, name.data(), beamlet, Specific(in, s), count,
                                              x.data(), phi0, out.data(), outXp, statusp);
    } else {
        result = KAM_AntennaContourArray(AntennaHandle(in, s), count, x.data(), phi0, out.data(),
                                         outXp, statusp);
    }
    FUZZ_CHECK(KnownStatus(result), result);
    // Nothing was computed: an argument error or a refusal before the
    // elements writes nothing.
    if (result < 0 && withStatus && n > 0 && status[0] == 12345) return;
    for (std::size_t i = 0; i < n; ++i) {
        const std::int32_t element = withStatus ? status[i] : result;
        if (withStatus) FUZZ_CHECK(KnownStatus(element), element);
        if (element < 0) continue;
        const double xs = withX ? outX[i] : kNoValue;
        if (which >= 3)
            CheckAngles(element, out[i], xs, contourValid);
        else
            CheckGains(element, out[i], xs);
    }
}

void Misc(Reader& in, Session& s) {
    switch (in.Byte() % 4) {
        case 0: {
            const KAM_AntennaId id = AntennaHandle(in, s);
            const std::int32_t status = KAM_DeleteAntenna(id);
            FUZZ_CHECK(KnownStatus(status), status);
            break;
        }
        case 1:
            FUZZ_CHECK(KAM_IfInited() == 1);
            break;
        case 2: {
            std::vector<char> legacy = in.Text(20);
            char current[KAM_PATTERN_NAME_SLOT];
            const int status = TMP_ConvertPatternName(legacy.data(), current);
            if (status == 0) FUZZ_CHECK(fuzz::Terminated(current, sizeof current));
            break;
        }
        default: {
            const KAM_LibraryId std = KAM_StdLibraryId();
            if (std != KAM_NO_LIBRARY) s.libraries.push_back(std);
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The standard library's pattern names, the names most calls use.
    std::int32_t count = 0;
    KAM_GetPatternCount(KAM_StdLibraryId(), KAM_PATTERN_ANY, &count);
    std::vector<char> names(static_cast<std::size_t>(count) * KAM_PATTERN_NAME_SLOT);
    KAM_GetAllPatternNames(KAM_StdLibraryId(), KAM_PATTERN_ANY, &count, names.data());
    for (std::int32_t i = 0; i < count; ++i) {
        const char* name = names.data() + i * KAM_PATTERN_NAME_SLOT;
        g_patternNames.emplace_back(name, name + std::strlen(name) + 1);
    }
    return 0;
}

// Undoes what an input changed, through the exports: its antennas go, the
// switches are on again, no handler, nothing queued. (Re-initialising for
// every input would cost more than the calls themselves.)
void Tidy(Session& s) {
    KAM_SetNullEventHandler();
    for (KAM_AntennaId id : s.antennas) KAM_DeleteAntenna(id);
    KAM_EnableInputParamValid();
    KAM_EnableGainValid();
    KAM_EnableContourValid();
    KAM_EnableEventLog();
    KAM_SetNullEventHandler();
    fuzz::TakeEvents();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in(data, size);
    // One input in eight starts from a library that is not initialised (the
    // contour exports refuse before initialisation); the others from an
    // initialised one in its state at load.
    if (in.Byte() % 8 == 0)
        fuzz::ResetLibrary();
    else
        FUZZ_CHECK(KAM_IfInited() == 1);
    Session session;
    g_session = &session;
    g_handlerMode = 0;
    for (int call = 0; call < kMaxCalls && !in.empty(); ++call) {
        switch (in.Byte() % 16) {
            case 0: Gain(in, session, true); break;
            case 1: Gain(in, session, false); break;
            case 2: Contour(in, session, false); break;
            case 3: Contour(in, session, true); break;
            case 4: CreateAntenna(in, session, true); break;
            case 5: CreateAntenna(in, session, false); break;
            case 6: AntennaGain(in, session); break;
            case 7: Validate(in, session); break;
            case 8: Switch(in); break;
            case 9: Handler(in); break;
            case 10: Events(in, session); break;
            case 11: Catalogue(in, session); break;
            case 12: AddLibrary(in, session); break;
            case 13: Arrays(in, session); break;
            default: Misc(in, session); break;
        }
    }
    // Whatever is still queued is well-formed too.
    fuzz::TakeEvents();
    g_session = nullptr;
    Tidy(session);
    return 0;
}
