// Fuzz target: registration and use of a hostile pattern library. The
// library lives in this program (served by the in-process platform); its
// entry points return statuses from the input, its LIP_GetLibraryInfo fills
// the record from the input (names without a NUL, any counts, null and
// present arrays, slots and targets, property codes, specific definitions,
// any opaque bytes), and its slots return statuses and values from the input,
// write through their input pointers, queue events with texts without a NUL
// and call back into the library. The caller then drives the library's
// patterns through the exports. Whatever the library does, the host must not
// crash or touch memory it does not own; the texts it hands out end within
// their buffers, and while ContourValid is on it never reports a contour
// outside 0 to 180 degrees (as its output check rounds it) as a result.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/in_process_platform.h"
#include "kam/kam.h"
#include "kam/kam_plugin.h"
#include "validation/validation.h"

namespace {

using fuzz::Reader;

constexpr int kMaxCalls = 64;
constexpr int kMaxPatterns = 6;
constexpr int kMaxDefs = 6;
constexpr std::int32_t kSpecificBytes = 512;  // the caller's structures are this big

Reader* g_in = nullptr;  // the input, read by the entry points and slots as they run
fuzz::InProcessPlatform* g_platform = nullptr;
KAM_EventSink g_sink = nullptr;
std::vector<KAM_AntennaId> g_antennas;
int g_depth = 0;  // calls back into the library from a slot are not nested further

// What one registration handed over; kept until the next input, since the
// host reads the definitions and writes the targets for as long as the
// library is registered.
struct Handed {
    std::vector<KAM_PatternInfo> patterns;
    std::vector<KAM_SpecificParDef> defs;
    double noValue = 0;
    void* noValueStruct = nullptr;
    std::int32_t gainValid = -1;
};
std::deque<Handed> g_handed;
std::deque<std::vector<KAM_PatternArraySlots>> g_arraySlots;
std::vector<std::string> g_names;  // pattern names as a caller would type them

Reader& In() { return *g_in; }

void QueueEvents() {
    Reader& in = In();
    const int events = in.Byte() % 8 == 0 ? 1 + in.Byte() % 2 : 0;
    for (int i = 0; i < events && g_sink != nullptr; ++i) {
        KAM_EventRecord record;
        in.Bytes(&record, sizeof record);  // every field, text without a NUL included
        if (in.Bit()) record.text[in.Byte()] = '\0';
        g_sink(&record);
        // The sink stamps the plug-in's own record: its fields end in their buffers.
        FUZZ_CHECK(fuzz::Terminated(record.libraryName, sizeof record.libraryName));
        FUZZ_CHECK(fuzz::Terminated(record.patternName, sizeof record.patternName));
        FUZZ_CHECK(record.textLength >= 0 && record.textLength < 256, record.textLength);
    }
}

void CallBack() {
    if (g_depth > 0) return;
    ++g_depth;
    switch (In().Byte() % 16) {
        case 0:
            if (!g_antennas.empty()) KAM_DeleteAntenna(g_antennas.back());
            break;
        case 1:
            fuzz::TakeEvents(4);
            break;
        case 2:
            KAM_DisableGainValid();
            break;
        case 3:
            KAM_EnableGainValid();
            break;
        default:
            break;
    }
    --g_depth;
}

// Every slot: events, a call back now and then, inputs overwritten, outputs
// written or left alone, and a status.
KAM_Status Act(std::initializer_list<double*> inputs, double* out, double* outX) {
    Reader& in = In();
    QueueEvents();
    CallBack();
    for (double* x : inputs)
        if (x != nullptr && in.OneIn(16)) *x = in.Double();
    if (out != nullptr && !in.OneIn(8)) *out = in.Double();
    if (outX != nullptr && !in.OneIn(8)) *outX = in.Double();
    return in.Status();
}

KAM_Status KAM_CALL EarthValidateInput(double* a, double* b, double* c, double* d, void*) {
    return Act({a, b, c, d}, nullptr, nullptr);
}
KAM_Status KAM_CALL SpaceValidateInput(double* a, double* b, void*) { return Act({a, b}, nullptr, nullptr); }
KAM_Status KAM_CALL EarthValidateAll(double* a, double* b, double* c, double* d, void*, double* phi,
                                     double* phi0) {
    return Act({a, b, c, d, phi, phi0}, nullptr, nullptr);
}
KAM_Status KAM_CALL SpaceValidateAll(double* a, double* b, void*, double* phi, double* phi0) {
    return Act({a, b, phi, phi0}, nullptr, nullptr);
}
KAM_Status KAM_CALL EarthGain(double* a, double* b, double* c, double* d, void*, double* phi,
                              double* phi0, double* gain, double* gainX) {
    return Act({a, b, c, d, phi, phi0}, gain, gainX);
}
KAM_Status KAM_CALL SpaceGain(double* a, double* b, void*, double* phi, double* phi0, double* gain,
                              double* gainX) {
    return Act({a, b, phi, phi0}, gain, gainX);
}
KAM_Status KAM_CALL Contour(double* level, double* beamlet, void*, double* phi0, double* phi,
                            double* phiX) {
    return Act({level, beamlet, phi0}, phi, phiX);
}

// Array functions: decline before touching anything, or write every element
// (the host hands over count elements in every array) and a status per element.
KAM_Status ActOnArrays(std::int32_t count, double* out, double* outX, KAM_Status* status) {
    Reader& in = In();
    if (in.OneIn(4)) return in.Status() | 1;  // declined: never 0
    FUZZ_CHECK(count > 0 && status != nullptr, count);
    QueueEvents();
    for (std::int32_t i = 0; i < count; ++i) {
        if (out != nullptr) out[i] = in.Double();
        if (outX != nullptr) outX[i] = in.Double();
        status[i] = in.Status();
    }
    return 0;
}
KAM_Status KAM_CALL EarthGainArray(double*, double*, double*, double*, void*, std::int32_t count,
                                   const double*, const double*, double* gain, double* gainX,
                                   KAM_Status* status) {
    FUZZ_CHECK(gain != nullptr && gainX != nullptr);
    return ActOnArrays(count, gain, gainX, status);
}
KAM_Status KAM_CALL SpaceGainArray(double*, double*, void*, std::int32_t count, const double*,
                                   const double*, double* gain, double* gainX, KAM_Status* status) {
    FUZZ_CHECK(gain != nullptr && gainX != nullptr);
    return ActOnArrays(count, gain, gainX, status);
}
KAM_Status KAM_CALL EarthValidateAllArray(double*, double*, double*, double*, void*,
                                          std::int32_t count, const double*, const double*,
                                          KAM_Status* status) {
    return ActOnArrays(count, nullptr, nullptr, status);
}
KAM_Status KAM_CALL SpaceValidateAllArray(double*, double*, void*, std::int32_t count,
                                          const double*, const double*, KAM_Status* status) {
    return ActOnArrays(count, nullptr, nullptr, status);
}
KAM_Status KAM_CALL ContourArray(double*, void*, std::int32_t count, const double*, const double*,
                                 double* phi, double* phiX, KAM_Status* status) {
    FUZZ_CHECK(phi != nullptr && phiX != nullptr);
    return ActOnArrays(count, phi, phiX, status);
}

// ---- Entry points ----------------------------------------------------------------

KAM_Status KAM_CALL SetEventLogHandler(KAM_EventSink sink) {
    g_sink = sink;
    QueueEvents();
    return In().OneIn(8) ? In().Status() : 0;
}

KAM_Status KAM_CALL InitLibrary() {
    QueueEvents();
    return In().OneIn(8) ? In().Status() : 0;
}

std::int32_t Count(Reader& in, int max) {
    const std::uint8_t selector = in.Byte();
    if (selector < 224) return selector % (max + 1);
    if (selector < 240) return -static_cast<std::int32_t>(in.Byte());
    return in.Int32();  // with a null array only
}

void FillPattern(Reader& in, KAM_PatternInfo& p) {
    in.Bytes(&p, sizeof p);  // opaque bytes, name and all
    if (in.Bit()) p.name[in.Byte() % sizeof p.name] = '\0';
    const std::uint8_t type = in.Byte();
    p.type = type < 112 ? KAM_PATTERN_EARTH : type < 224 ? KAM_PATTERN_SPACE : in.Int32();
    const std::uint8_t size = in.Byte();
    p.specificSize = size < 128 ? 0 : size < 200 ? 8 * (size % 8) : size < 240 ? kSpecificBytes
                                                                               : -static_cast<std::int32_t>(in.Byte());
    const bool earth = p.type == KAM_PATTERN_EARTH;
    const bool space = p.type == KAM_PATTERN_SPACE;
    // Slots of the pattern's own form only: a slot of the other form would be
    // a library calling itself wrongly, which no host can guard.
    p.validateInput.earth = nullptr;
    p.validateAll.earth = nullptr;
    p.gain.earth = nullptr;
    p.contour.space = nullptr;
    if (in.Bit()) {
        if (earth) p.validateInput.earth = &EarthValidateInput;
        if (space) p.validateInput.space = &SpaceValidateInput;
    }
    if (in.Bit()) {
        if (earth) p.validateAll.earth = &EarthValidateAll;
        if (space) p.validateAll.space = &SpaceValidateAll;
    }
    if (!in.OneIn(16)) {
        if (earth) p.gain.earth = &EarthGain;
        if (space) p.gain.space = &SpaceGain;
        if (!earth && !space) p.gain.earth = &EarthGain;  // never called: the type matches nothing
    }
    if (in.Bit()) p.contour.space = &Contour;  // an earth pattern's is never called
    static const std::int32_t kCodes[] = {KAM_PROPERTY_REQUIRED, KAM_PROPERTY_OPTIONAL,
                                          KAM_PROPERTY_NOT_REQUIRED};
    for (std::int32_t& code : p.paramProperties) {
        const std::uint8_t c = in.Byte();
        code = c < 240 ? kCodes[c % 3] : in.Int32();
    }
    p.specificStructId = in.Bit() ? in.Byte() % 4 : in.Int32();
}

KAM_Status KAM_CALL GetLibraryInfo(KAM_LibraryInfo* info) {
    Reader& in = In();
    QueueEvents();
    Handed& h = g_handed.emplace_back();
    // Opaque bytes and the name, then the fields the host reads.
    in.Bytes(info->reserved, sizeof info->reserved);
    if (in.Bit()) {
        in.Bytes(info->name, sizeof info->name);  // perhaps without a NUL
    } else {
        std::snprintf(info->name, sizeof info->name, "Hostile%d", in.Byte());
    }
    in.Bytes(info->description, in.Byte() % (sizeof info->description + 1));
    info->patternCount = Count(in, kMaxPatterns);
    if (info->patternCount > 0 && info->patternCount <= kMaxPatterns && !in.OneIn(16)) {
        h.patterns.resize(static_cast<std::size_t>(info->patternCount));
        for (KAM_PatternInfo& p : h.patterns) {
            FillPattern(in, p);
            g_names.emplace_back(p.name, strnlen(p.name, sizeof p.name));
        }
        info->patterns = h.patterns.data();
    } else {
        info->patterns = nullptr;
    }
    info->specificParDefCount = Count(in, kMaxDefs);
    if (info->specificParDefCount > 0 && info->specificParDefCount <= kMaxDefs && !in.OneIn(8)) {
        h.defs.resize(static_cast<std::size_t>(info->specificParDefCount));
        for (KAM_SpecificParDef& d : h.defs) {
            in.Bytes(&d, sizeof d);
            if (in.Bit()) {
                d.structId = in.Byte() % 4;
                d.elementIndex = in.Byte() % 4;
            }
        }
        info->specificParDefs = h.defs.data();
    } else {
        info->specificParDefs = nullptr;
    }
    info->noValueDoubleTarget = in.OneIn(8) ? nullptr : &h.noValue;
    info->noValueStructTarget = in.OneIn(8) ? nullptr : &h.noValueStruct;
    info->gainValidTarget = in.OneIn(8) ? nullptr : &h.gainValid;
    return in.OneIn(16) ? in.Status() : 0;
}

// The array path of the patterns of the latest registration: any record
// size, counts, null and present slots.
KAM_Status KAM_CALL GetArrayInfo(KAM_ArrayInfo* info) {
    Reader& in = In();
    const std::uint8_t size = in.Byte();
    info->structSize = size < 200 ? static_cast<std::int32_t>(sizeof *info) : in.Int32();
    info->slotCount = Count(in, kMaxPatterns + 2);
    info->slots = nullptr;
    info->flags = in.Bit() ? KAM_ARRAY_WRITES_OUTPUTS : 0u;
    if (info->slotCount > 0 && info->slotCount <= kMaxPatterns + 2 && !in.OneIn(16)) {
        std::vector<KAM_PatternArraySlots>& slots = g_arraySlots.emplace_back(static_cast<std::size_t>(info->slotCount));
        const std::vector<KAM_PatternInfo>& patterns = g_handed.back().patterns;
        for (std::size_t i = 0; i < slots.size(); ++i) {
            KAM_PatternArraySlots& a = slots[i];
            std::memset(&a, 0, sizeof a);
            const std::int32_t type = i < patterns.size() ? patterns[i].type : 0;
            if (type == KAM_PATTERN_EARTH) {
                if (in.Bit()) a.validateAll.earth = &EarthValidateAllArray;
                if (in.Bit()) a.gain.earth = &EarthGainArray;
            } else if (type == KAM_PATTERN_SPACE) {
                if (in.Bit()) a.validateAll.space = &SpaceValidateAllArray;
                if (in.Bit()) a.gain.space = &SpaceGainArray;
                if (in.Bit()) a.contour.space = &ContourArray;
            }
        }
        info->slots = slots.data();
    }
    return in.OneIn(8) ? in.Status() : 0;
}

int Version(const char*, kam::HookString& text) {
    Reader& in = In();
    const std::uint8_t selector = in.Byte();
    if (selector < 8) return KAM_E_NO_VERSION_INFO;
    if (selector < 16) return KAM_E_BAD_VERSION_INFO;
    if (selector < 128) {
        text = "1, 0, 0, 1";
        return 0;
    }
    const std::vector<char> raw = in.Text(24);
    text.assign(raw.data());
    return 0;
}

// ---- The caller --------------------------------------------------------------------

std::vector<char> PatternName(Reader& in) {
    if (!g_names.empty() && !in.OneIn(8)) {
        const std::string& n = g_names[in.Byte() % g_names.size()];
        return std::vector<char>(n.c_str(), n.c_str() + n.size() + 1);
    }
    static const std::vector<std::vector<char>> kStd = {
        {'A', 'I', 'R', 'Y', 'S', '_', '1', '1', '6', '_', 'V', '1', '\0'}};
    return fuzz::Name(in, kStd, 13);
}

KAM_LibraryId Library(Reader& in, KAM_LibraryId hostile) {
    switch (in.Byte() % 4) {
        case 0: return KAM_ALL_LIBRARIES;
        case 1: return KAM_StdLibraryId();
        default: return hostile;
    }
}

void CheckContour(std::int32_t status, double phi, double phiX, bool contourValid) {
    if (status < 0 || !contourValid) return;
    for (double a : {phi, phiX})
        if (a != fuzz::kNoValue) {
            const float rounded = kam::RoundToSingle(a);
            FUZZ_CHECK(rounded >= 0.0f && rounded <= 180.0f, a, status);
        }
}

void Drive(Reader& in, KAM_LibraryId hostile) {
    alignas(8) static unsigned char specific[kSpecificBytes];
    in.Bytes(specific, in.Byte() % 64);
    for (int call = 0; call < kMaxCalls && !in.empty(); ++call) {
        const KAM_LibraryId lib = Library(in, hostile);
        const std::vector<char> name = PatternName(in);
        void* structArg = in.Bit() ? static_cast<void*>(specific) : KAM_NOVALUE_STRUCT;
        double v[6];
        for (double& x : v) x = in.Double();
        double out = -7, outX = -7;
        const bool contourValid = KAM_IfContourValidEnabled() != 0;
        switch (in.Byte() % 12) {
            case 0:
                KAM_EarthPatternGain(lib, name.data(), v[0], v[1], v[2], v[3], structArg, v[4], v[5], &out, &outX);
                break;
            case 1:
                KAM_SpacePatternGain(lib, name.data(), v[0], v[1], structArg, v[4], v[5], &out, &outX);
                break;
            case 2:
                CheckContour(KAM_SpacePatternContour(lib, name.data(), v[0], v[1], structArg, v[5], &out, &outX),
                             out, outX, contourValid);
                break;
            case 3: {
                KAM_AntennaId id = 0;
                const std::int32_t s =
                    in.Bit() ? KAM_CreateEarthAntenna(lib, name.data(), v[0], v[1], v[2], v[3], structArg, &id)
                             : KAM_CreateSpaceAntenna(lib, name.data(), v[0], v[1], structArg, &id);
                if (s >= 0) g_antennas.push_back(id);
                break;
            }
            case 4: {
                const KAM_AntennaId id = g_antennas.empty() ? 0 : g_antennas[in.Byte() % g_antennas.size()];
                if (in.Bit()) {
                    KAM_AntennaGain(id, v[4], v[5], &out, &outX);
                } else {
                    CheckContour(KAM_AntennaContour(id, v[0], v[5], &out, &outX), out, outX, contourValid);
                }
                break;
            }
            case 5:
                if (!g_antennas.empty()) KAM_DeleteAntenna(g_antennas[in.Byte() % g_antennas.size()]);
                break;
            case 6:
                switch (in.Byte() % 4) {
                    case 0: KAM_PartialValidateEarth(lib, name.data(), v[0], v[1], v[2], v[3], structArg); break;
                    case 1: KAM_PartialValidateSpace(lib, name.data(), v[0], v[1], structArg); break;
                    case 2: KAM_ValidateEarthAntenna(lib, name.data(), v[0], v[1], v[2], v[3], structArg, v[4], v[5]); break;
                    default: KAM_ValidateSpaceAntenna(lib, name.data(), v[0], v[1], structArg, v[4], v[5]); break;
                }
                break;
            case 7: {
                KAM_LibraryProperties lp;
                if (KAM_GetLibraryProperties(lib, &lp) == 0) FUZZ_CHECK(fuzz::Terminated(lp.name, sizeof lp.name));
                std::int32_t count = 0;
                KAM_GetPatternCount(lib, in.Byte() % 4, &count);
                const std::int32_t capacity = in.Byte() % 16;
                std::vector<char> names(static_cast<std::size_t>(capacity) * KAM_PATTERN_NAME_SLOT + 1);
                count = capacity;
                if (KAM_GetAllPatternNames(lib, in.Byte() % 4, &count, names.data() + 1) >= 0) {
                    FUZZ_CHECK(count >= 0 && count <= capacity, count, capacity);
                    for (std::int32_t i = 0; i < count; ++i)
                        FUZZ_CHECK(fuzz::Terminated(names.data() + 1 + i * KAM_PATTERN_NAME_SLOT, KAM_PATTERN_NAME_SLOT));
                }
                KAM_PatternProperties pp;
                if (KAM_GetPatternProperties(lib, name.data(), &pp) == 0) FUZZ_CHECK(fuzz::Terminated(pp.name, sizeof pp.name));
                std::int32_t properties[KAM_PARAM_COUNT];
                KAM_GetParamProperties(lib, name.data(), properties);
                KAM_GetSpecificParCount(lib, name.data(), &count);
                KAM_SpecificParDef d;
                KAM_GetSpecificParDef(lib, name.data(), in.Bit() ? in.Byte() % 8 : in.Int32(), &d);
                break;
            }
            case 8: {
                using Setter = KAM_Status(KAM_CALL*)(void);
                static const Setter kSetters[] = {KAM_EnableGainValid,     KAM_DisableGainValid,
                                                  KAM_EnableEventLog,      KAM_DisableEventLog,
                                                  KAM_EnableInputParamValid, KAM_DisableInputParamValid,
                                                  KAM_EnableContourValid,  KAM_DisableContourValid};
                kSetters[in.Byte() % 8]();
                break;
            }
            case 9: {
                const std::int32_t count = in.Byte() % 9;
                std::vector<double> x(static_cast<std::size_t>(count)), y(x.size()), z(x.size());
                for (double& d : x) d = in.Double();
                std::vector<KAM_Status> st(x.size());
                const double* phi0 = in.Bit() ? x.data() : nullptr;
                const KAM_AntennaId id = g_antennas.empty() ? 0 : g_antennas[in.Byte() % g_antennas.size()];
                switch (in.Byte() % 5) {
                    case 0: KAM_EarthPatternGainArray(lib, name.data(), v[0], v[1], v[2], v[3], structArg, count, x.data(), phi0, y.data(), z.data(), st.data()); break;
                    case 1: KAM_SpacePatternGainArray(lib, name.data(), v[0], v[1], structArg, count, x.data(), phi0, y.data(), z.data(), st.data()); break;
                    case 2: KAM_AntennaGainArray(id, count, x.data(), phi0, y.data(), z.data(), st.data()); break;
                    case 3: {
                        const std::int32_t r = KAM_SpacePatternContourArray(lib, name.data(), v[1], structArg, count, x.data(), phi0, y.data(), z.data(), st.data());
                        for (std::size_t i = 0; r >= 0 && i < x.size(); ++i) CheckContour(st[i], y[i], z[i], contourValid);
                        break;
                    }
                    default: {
                        const std::int32_t r = KAM_AntennaContourArray(id, count, x.data(), phi0, y.data(), z.data(), st.data());
                        for (std::size_t i = 0; r >= 0 && i < x.size(); ++i) CheckContour(st[i], y[i], z[i], contourValid);
                        break;
                    }
                }
                fuzz::TakeEvents();
                break;
            }
            case 10: {
                KAM_LibraryId again = 0;
                KAM_AddLibrary(fuzz::InProcessPlatform::kFileName, &again);
                break;
            }
            default:
                in.Bit() ? KAM_SetDefaultEventHandler() : KAM_SetNullEventHandler();
                break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::InProcessPlatform platform;
    g_platform = &platform;
    platform.entryPoints = {&SetEventLogHandler, &InitLibrary, &GetLibraryInfo, &GetArrayInfo};
    platform.version = &Version;
    Reader in(data, size);
    g_in = &in;
    fuzz::ResetLibrary();  // the libraries of the last input go with the tree
    g_handed.clear();
    g_arraySlots.clear();
    g_names.clear();
    g_antennas.clear();
    g_sink = nullptr;
    // A missing entry point now and then.
    const std::uint8_t missing = in.Byte();
    if (missing == 1) platform.entryPoints.setEventLogHandler = nullptr;
    if (missing == 2) platform.entryPoints.initLibrary = nullptr;
    if (missing == 3) platform.entryPoints.getLibraryInfo = nullptr;
    if (missing >= 128) platform.entryPoints.getArrayInfo = nullptr;
    if (in.OneIn(8)) KAM_DisableEventLog();
    if (in.OneIn(8)) KAM_DisableGainValid();
    KAM_LibraryId hostile = 0;
    KAM_AddLibrary(fuzz::InProcessPlatform::kFileName, &hostile);
    Drive(in, hostile);
    fuzz::TakeEvents();
    g_in = nullptr;
    return 0;
}
