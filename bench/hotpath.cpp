// The cost of the host around a plug-in's own work. Each group compares an
// exported call with the slots of the same pattern called directly, with the
// same arguments, in the same run:
//   hot_gain_off        KAM_EarthPatternGain by name (LibraryId -1), input
//                       validation off, against the gain slot alone;
//   hot_gain_on         the same with validation on, against validateInput +
//                       validateAll + gain;
//   hot_space_gain_on   KAM_SpacePatternGain likewise;
//   hot_antenna_on      KAM_AntennaGain against validateAll + gain;
//   hot_antenna_off     KAM_AntennaGain, validation off, against gain;
//   hot_contour_on      KAM_SpacePatternContour against its slots;
//   hot_warning         a by-name gain whose GainMax lies beyond its soft
//                       limit (a message formatted and queued on every call)
//                       against the same call without the warning.
// Patterns: FSREF_001_V1 (earth) and GSOSS_101_V1 (space) of the standard
// library. Every call but the warning case ends in 0 and queues nothing.
//
// The pair_* cases measure the same comparisons the other way round, for a
// machine shared with other work: blocks of host calls alternate with blocks
// of slot calls, and the counter "ratio" is the median over the block pairs
// of host time / slot time, so a pause that hits one block does not move it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "kam/kam_plugin.h"

namespace {

constexpr double kNo = KAM_NOVALUE_DOUBLE;
constexpr const char* kEarth = "FSREF_001_V1";
constexpr const char* kSpace = "GSOSS_101_V1";

// The standard library's pattern record, as the host registered it.
const KAM_PatternInfo* StdPattern(const char* name) {
    static KAM_LibraryInfo info;
    static bool read = false;
    if (!read) {
        KAM_IfInited();  // the host registers the library (and writes NoValue into it)
        std::memset(&info, 0, sizeof info);
        LIP_GetLibraryInfo(&info);
        read = true;
    }
    for (int i = 0; i < info.patternCount; ++i)
        if (std::strcmp(info.patterns[i].name, name) == 0) return &info.patterns[i];
    return nullptr;
}

// Earth inputs of FSREF_001_V1 (properties R N O O N N R N): a 2 m dish at
// 12 GHz; the angle walks the pattern's segments.
struct EarthInputs {
    double gainMax = 45, diameter = 2, frequency = 12000, efficiency = kNo, phi0 = kNo;
    double phi = 0;
    void Next() { phi = phi >= 179.0 ? 0.5 : phi + 0.7; }
};
// Space inputs of GSOSS_101_V1 (properties O N N N N N R R).
struct SpaceInputs {
    double gainMax = 40, beamlet = kNo, phi0 = 2;
    double phi = 0;
    void Next() { phi = phi >= 179.0 ? 0.5 : phi + 0.7; }
};

class Switch {
public:
    explicit Switch(bool validate) {
        if (validate) KAM_EnableInputParamValid(); else KAM_DisableInputParamValid();
    }
    ~Switch() { KAM_EnableInputParamValid(); }
};

bool Fail(benchmark::State& state, const char* what) {
    state.SkipWithError(what);
    return false;
}

// Slots of FSREF_001_V1 called directly; with validation the non-null
// validators first, as the host calls them.
void EarthSlots(benchmark::State& state, bool validate, bool input) {
    const KAM_PatternInfo* p = StdPattern(kEarth);
    if (p == nullptr) return (void)Fail(state, "pattern not found");
    EarthInputs in;
    void* specific = KAM_NOVALUE_STRUCT;
    for (auto _ : state) {
        in.Next();
        double gainMax = in.gainMax, diameter = in.diameter, frequency = in.frequency,
               efficiency = in.efficiency, phi = in.phi, phi0 = in.phi0;
        KAM_Status s = 0;
        if (validate && input && p->validateInput.earth != nullptr)
            s |= p->validateInput.earth(&gainMax, &diameter, &frequency, &efficiency, specific);
        if (validate && p->validateAll.earth != nullptr)
            s |= p->validateAll.earth(&gainMax, &diameter, &frequency, &efficiency, specific, &phi,
                                      &phi0);
        double gain = 0, gainX = 0;
        s |= p->gain.earth(&gainMax, &diameter, &frequency, &efficiency, specific, &phi, &phi0,
                           &gain, &gainX);
        if (s != 0) return (void)Fail(state, "slot failed");
        benchmark::DoNotOptimize(gain);
        benchmark::DoNotOptimize(gainX);
    }
}

void EarthByName(benchmark::State& state, bool validate, double gainMax, KAM_Status expected) {
    Switch sw(validate);
    EarthInputs in;
    in.gainMax = gainMax;
    for (auto _ : state) {
        in.Next();
        double gain = 0, gainX = 0;
        const KAM_Status s =
            KAM_EarthPatternGain(KAM_ALL_LIBRARIES, kEarth, in.gainMax, in.diameter, in.frequency,
                                 in.efficiency, KAM_NOVALUE_STRUCT, in.phi, in.phi0, &gain, &gainX);
        if (s != expected) return (void)Fail(state, "unexpected status");
        benchmark::DoNotOptimize(gain);
        benchmark::DoNotOptimize(gainX);
    }
}

void SpaceSlots(benchmark::State& state, bool validate) {
    const KAM_PatternInfo* p = StdPattern(kSpace);
    if (p == nullptr) return (void)Fail(state, "pattern not found");
    SpaceInputs in;
    void* specific = KAM_NOVALUE_STRUCT;
    for (auto _ : state) {
        in.Next();
        double gainMax = in.gainMax, beamlet = in.beamlet, phi = in.phi, phi0 = in.phi0;
        KAM_Status s = 0;
        if (validate && p->validateInput.space != nullptr)
            s |= p->validateInput.space(&gainMax, &beamlet, specific);
        if (validate && p->validateAll.space != nullptr)
            s |= p->validateAll.space(&gainMax, &beamlet, specific, &phi, &phi0);
        double gain = 0, gainX = 0;
        s |= p->gain.space(&gainMax, &beamlet, specific, &phi, &phi0, &gain, &gainX);
        if (s != 0) return (void)Fail(state, "slot failed");
        benchmark::DoNotOptimize(gain);
    }
}

void SpaceByName(benchmark::State& state) {
    Switch sw(true);
    SpaceInputs in;
    for (auto _ : state) {
        in.Next();
        double gain = 0, gainX = 0;
        const KAM_Status s = KAM_SpacePatternGain(KAM_ALL_LIBRARIES, kSpace, in.gainMax, in.beamlet,
                                                  KAM_NOVALUE_STRUCT, in.phi, in.phi0, &gain, &gainX);
        if (s != 0) return (void)Fail(state, "unexpected status");
        benchmark::DoNotOptimize(gain);
    }
}

void EarthAntenna(benchmark::State& state, bool validate) {
    EarthInputs in;
    KAM_AntennaId id = 0;
    if (KAM_CreateEarthAntenna(KAM_ALL_LIBRARIES, kEarth, in.gainMax, in.diameter, in.frequency,
                               in.efficiency, KAM_NOVALUE_STRUCT, &id) != 0) {
        return (void)Fail(state, "antenna not created");
    }
    {
        Switch sw(validate);
        for (auto _ : state) {
            in.Next();
            double gain = 0, gainX = 0;
            if (KAM_AntennaGain(id, in.phi, in.phi0, &gain, &gainX) != 0) {
                Fail(state, "unexpected status");
                break;
            }
            benchmark::DoNotOptimize(gain);
        }
    }
    KAM_DeleteAntenna(id);
}

void ContourSlots(benchmark::State& state) {
    const KAM_PatternInfo* p = StdPattern(kSpace);
    if (p == nullptr || p->contour.space == nullptr) return (void)Fail(state, "no contour");
    SpaceInputs in;
    void* specific = KAM_NOVALUE_STRUCT;
    double gainRel = -1;
    for (auto _ : state) {
        gainRel = gainRel <= -40 ? -1 : gainRel - 0.37;
        double gainMax = kNo, beamlet = in.beamlet, phiZero = 0.0, phi0 = in.phi0;
        KAM_Status s = 0;
        if (p->validateInput.space != nullptr)
            s |= p->validateInput.space(&gainMax, &beamlet, specific);
        if (p->validateAll.space != nullptr)
            s |= p->validateAll.space(&gainMax, &beamlet, specific, &phiZero, &phi0);
        double phi = kNo, phiX = kNo, level = gainRel;
        s |= p->contour.space(&level, &beamlet, specific, &phi0, &phi, &phiX);
        if (s != 0) return (void)Fail(state, "slot failed");
        benchmark::DoNotOptimize(phi);
    }
}

void ContourByName(benchmark::State& state) {
    Switch sw(true);
    SpaceInputs in;
    double gainRel = -1;
    for (auto _ : state) {
        gainRel = gainRel <= -40 ? -1 : gainRel - 0.37;
        double phi = 0, phiX = 0;
        const KAM_Status s = KAM_SpacePatternContour(KAM_ALL_LIBRARIES, kSpace, gainRel, in.beamlet,
                                                     KAM_NOVALUE_STRUCT, in.phi0, &phi, &phiX);
        if (s != 0) return (void)Fail(state, "unexpected status");
        benchmark::DoNotOptimize(phi);
    }
}

// One call of each side of a comparison, with the inputs the timed loops use;
// false when the call did not end in 0.
struct EarthSlotCall {
    const KAM_PatternInfo* p;
    bool validate;
    bool input;
    EarthInputs in;
    bool operator()() {
        in.Next();
        double gainMax = in.gainMax, diameter = in.diameter, frequency = in.frequency,
               efficiency = in.efficiency, phi = in.phi, phi0 = in.phi0;
        void* specific = KAM_NOVALUE_STRUCT;
        KAM_Status s = 0;
        if (validate && input && p->validateInput.earth != nullptr)
            s |= p->validateInput.earth(&gainMax, &diameter, &frequency, &efficiency, specific);
        if (validate && p->validateAll.earth != nullptr)
            s |= p->validateAll.earth(&gainMax, &diameter, &frequency, &efficiency, specific, &phi,
                                      &phi0);
        double gain = 0, gainX = 0;
        s |= p->gain.earth(&gainMax, &diameter, &frequency, &efficiency, specific, &phi, &phi0,
                           &gain, &gainX);
        benchmark::DoNotOptimize(gain);
        benchmark::DoNotOptimize(gainX);
        return s == 0;
    }
};

struct EarthByNameCall {
    EarthInputs in;
    bool operator()() {
        in.Next();
        double gain = 0, gainX = 0;
        const KAM_Status s =
            KAM_EarthPatternGain(KAM_ALL_LIBRARIES, kEarth, in.gainMax, in.diameter, in.frequency,
                                 in.efficiency, KAM_NOVALUE_STRUCT, in.phi, in.phi0, &gain, &gainX);
        benchmark::DoNotOptimize(gain);
        benchmark::DoNotOptimize(gainX);
        return s == 0;
    }
};

struct AntennaCall {
    KAM_AntennaId id;
    EarthInputs in;
    bool operator()() {
        in.Next();
        double gain = 0, gainX = 0;
        const KAM_Status s = KAM_AntennaGain(id, in.phi, in.phi0, &gain, &gainX);
        benchmark::DoNotOptimize(gain);
        benchmark::DoNotOptimize(gainX);
        return s == 0;
    }
};

// Alternates blocks of host and slot calls (which goes first alternates
// too) and reports the median of the per-pair time ratios.
template <class Host, class Slots>
void Paired(benchmark::State& state, Host host, Slots slots) {
    using Clock = std::chrono::steady_clock;
    constexpr int kBlock = 128;
    std::vector<double> ratios;
    bool hostFirst = false;
    for (auto _ : state) {
        Clock::duration hostTime{}, slotTime{};
        for (int side = 0; side < 2; ++side) {
            const bool runHost = (side == 0) == hostFirst;
            const Clock::time_point start = Clock::now();
            bool ok = true;
            for (int i = 0; i < kBlock; ++i) ok &= runHost ? host() : slots();
            const Clock::duration took = Clock::now() - start;
            if (!ok) return (void)Fail(state, "unexpected status");
            (runHost ? hostTime : slotTime) += took;
        }
        hostFirst = !hostFirst;
        if (slotTime.count() > 0) {
            ratios.push_back(static_cast<double>(hostTime.count()) /
                             static_cast<double>(slotTime.count()));
        }
    }
    if (ratios.empty()) return;
    std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
    state.counters["ratio"] = ratios[ratios.size() / 2];
}

void PairedGain(benchmark::State& state, bool validate) {
    const KAM_PatternInfo* p = StdPattern(kEarth);
    if (p == nullptr) return (void)Fail(state, "pattern not found");
    Switch sw(validate);
    Paired(state, EarthByNameCall{}, EarthSlotCall{p, validate, true, {}});
}

void PairedAntenna(benchmark::State& state, bool validate) {
    const KAM_PatternInfo* p = StdPattern(kEarth);
    if (p == nullptr) return (void)Fail(state, "pattern not found");
    EarthInputs in;
    KAM_AntennaId id = 0;
    if (KAM_CreateEarthAntenna(KAM_ALL_LIBRARIES, kEarth, in.gainMax, in.diameter, in.frequency,
                               in.efficiency, KAM_NOVALUE_STRUCT, &id) != 0) {
        return (void)Fail(state, "antenna not created");
    }
    {
        Switch sw(validate);
        Paired(state, AntennaCall{id, {}}, EarthSlotCall{p, validate, false, {}});
    }
    KAM_DeleteAntenna(id);
}

// GainMax 150 lies beyond its soft maximum of 100: +5200 on every call.
constexpr double kSoftGainMax = 150;

const bool kRegistered = [] {
    using benchmark::RegisterBenchmark;
    RegisterBenchmark("hot_gain_off/baseline", EarthSlots, false, false);
    RegisterBenchmark("hot_gain_off/KAM_EarthPatternGain", EarthByName, false, 45.0, 0);
    RegisterBenchmark("hot_gain_on/baseline", EarthSlots, true, true);
    RegisterBenchmark("hot_gain_on/KAM_EarthPatternGain", EarthByName, true, 45.0, 0);
    RegisterBenchmark("hot_space_gain_on/baseline", SpaceSlots, true);
    RegisterBenchmark("hot_space_gain_on/KAM_SpacePatternGain", SpaceByName);
    RegisterBenchmark("hot_antenna_on/baseline", EarthSlots, true, false);
    RegisterBenchmark("hot_antenna_on/KAM_AntennaGain", EarthAntenna, true);
    RegisterBenchmark("hot_antenna_off/baseline", EarthSlots, false, false);
    RegisterBenchmark("hot_antenna_off/KAM_AntennaGain", EarthAntenna, false);
    RegisterBenchmark("hot_contour_on/baseline", ContourSlots);
    RegisterBenchmark("hot_contour_on/KAM_SpacePatternContour", ContourByName);
    RegisterBenchmark("hot_warning/baseline", EarthByName, true, 45.0, 0);
    RegisterBenchmark("hot_warning/soft_limit_warning", EarthByName, true, kSoftGainMax, 5200);
    RegisterBenchmark("hot_pair_gain_off", PairedGain, false);
    RegisterBenchmark("hot_pair_gain_on", PairedGain, true);
    RegisterBenchmark("hot_pair_antenna_off", PairedAntenna, false);
    RegisterBenchmark("hot_pair_antenna_on", PairedAntenna, true);
    return true;
}();

}  // namespace
