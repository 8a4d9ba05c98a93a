// The host's side of array evaluation, against the work it wraps, in the
// same run:
//   arrays_fallback    KAM_EarthPatternGainArray over a library without an
//                      array path (a fake, its call log off), validation on,
//                      against a plain loop over the same slots called
//                      directly: validateInput once, validateAll and gain per
//                      angle;
//   arrays_vs_single   KAM_EarthPatternGainArray of FSREF_001_V1 against one
//                      KAM_EarthPatternGain per angle (a ratio below 1 is the
//                      saving of the array call);
//   arrays_antenna     KAM_AntennaGainArray against KAM_AntennaGain per angle.
// 1000 angles over 0..180 degrees per iteration; every element ends in 0.
// Built only where the fakes are (KAM_BENCH_FAKES).
#if defined(KAM_BENCH_FAKES)
#include <benchmark/benchmark.h>

#include <vector>

#include "kam/kam_plugin.h"
#include "plugins/fake_control.h"
#include "plugins/fake_paths.h"

namespace {

constexpr int kAngles = 1000;
constexpr double kNo = KAM_NOVALUE_DOUBLE;
// The fake earth pattern's values (GainMax and Phi required, Beamlet,
// Specific and Phi0 not required) and FSREF_001_V1's.
constexpr double kFakeGainMax = 30, kFakeDiameter = 2, kFakeFrequency = 1e4,
                 kFakeEfficiency = 0.5;
constexpr double kStdGainMax = 45, kStdDiameter = 2, kStdFrequency = 12000;

std::vector<double> Angles() {
    std::vector<double> phi(kAngles);
    for (int i = 0; i < kAngles; ++i) phi[i] = 180.0 * i / kAngles;
    return phi;
}

// fake_h loaded once, with its call log off; its earth pattern's record.
KAM_LibraryId FakeLibrary(const KAM_PatternInfo** pattern) {
    static KAM_LibraryId id = 0;
    if (id == 0) {
        KAM_IfInited();
        KAM_AddLibrary(fake::Path("fake_h").c_str(), &id);
    }
    fake::SetLogging(false);
    const fake::Registration* reg = fake::LastRegistration("fake_h");
    *pattern = reg != nullptr && !reg->patterns.empty() ? &reg->patterns[0] : nullptr;
    return id;
}

void FallbackSlots(benchmark::State& state) {
    const KAM_PatternInfo* p = nullptr;
    FakeLibrary(&p);
    if (p == nullptr) return state.SkipWithError("fake not loaded");
    const std::vector<double> phi = Angles();
    std::vector<double> gain(kAngles), gainX(kAngles);
    void* specific = KAM_NOVALUE_STRUCT;
    for (auto _ : state) {
        double gainMax = kFakeGainMax, diameter = kFakeDiameter, frequency = kFakeFrequency,
               efficiency = kFakeEfficiency;
        KAM_Status s = p->validateInput.earth(&gainMax, &diameter, &frequency, &efficiency,
                                              specific);
        for (int i = 0; i < kAngles; ++i) {
            double angle = phi[i], phi0 = kNo;
            s |= p->validateAll.earth(&gainMax, &diameter, &frequency, &efficiency, specific,
                                      &angle, &phi0);
            gain[i] = 0;
            gainX[i] = 0;
            s |= p->gain.earth(&gainMax, &diameter, &frequency, &efficiency, specific, &angle,
                               &phi0, &gain[i], &gainX[i]);
        }
        if (s != 0) return state.SkipWithError("slot failed");
        benchmark::DoNotOptimize(gain.data());
    }
    fake::SetLogging(true);
}

void FallbackArray(benchmark::State& state) {
    const KAM_PatternInfo* p = nullptr;
    const KAM_LibraryId lib = FakeLibrary(&p);
    const std::vector<double> phi = Angles();
    std::vector<double> gain(kAngles), gainX(kAngles);
    for (auto _ : state) {
        if (KAM_EarthPatternGainArray(lib, "H_EARTH", kFakeGainMax, kFakeDiameter,
                                      kFakeFrequency, kFakeEfficiency, KAM_NOVALUE_STRUCT,
                                      kAngles, phi.data(), nullptr, gain.data(), gainX.data(),
                                      nullptr) != 0) {
            return state.SkipWithError("unexpected status");
        }
        benchmark::DoNotOptimize(gain.data());
    }
    fake::SetLogging(true);
}

void SinglePerAngle(benchmark::State& state) {
    KAM_IfInited();
    const std::vector<double> phi = Angles();
    std::vector<double> gain(kAngles), gainX(kAngles);
    for (auto _ : state) {
        for (int i = 0; i < kAngles; ++i) {
            if (KAM_EarthPatternGain(KAM_ALL_LIBRARIES, "FSREF_001_V1", kStdGainMax, kStdDiameter,
                                     kStdFrequency, kNo, KAM_NOVALUE_STRUCT, phi[i], kNo,
                                     &gain[i], &gainX[i]) != 0) {
                return state.SkipWithError("unexpected status");
            }
        }
        benchmark::DoNotOptimize(gain.data());
    }
}

void ArrayCall(benchmark::State& state) {
    KAM_IfInited();
    const std::vector<double> phi = Angles();
    std::vector<double> gain(kAngles);
    for (auto _ : state) {
        if (KAM_EarthPatternGainArray(KAM_ALL_LIBRARIES, "FSREF_001_V1", kStdGainMax,
                                      kStdDiameter, kStdFrequency, kNo, KAM_NOVALUE_STRUCT,
                                      kAngles, phi.data(), nullptr, gain.data(), nullptr,
                                      nullptr) != 0) {
            return state.SkipWithError("unexpected status");
        }
        benchmark::DoNotOptimize(gain.data());
    }
}

void Antenna(benchmark::State& state, bool array) {
    KAM_IfInited();
    KAM_AntennaId id = 0;
    if (KAM_CreateEarthAntenna(KAM_ALL_LIBRARIES, "FSREF_001_V1", kStdGainMax, kStdDiameter,
                               kStdFrequency, kNo, KAM_NOVALUE_STRUCT, &id) != 0) {
        return state.SkipWithError("antenna not created");
    }
    const std::vector<double> phi = Angles();
    std::vector<double> gain(kAngles), gainX(kAngles);
    for (auto _ : state) {
        KAM_Status s = 0;
        if (array) {
            s = KAM_AntennaGainArray(id, kAngles, phi.data(), nullptr, gain.data(), nullptr,
                                     nullptr);
        } else {
            for (int i = 0; i < kAngles; ++i) s |= KAM_AntennaGain(id, phi[i], kNo, &gain[i], &gainX[i]);
        }
        if (s != 0) {
            state.SkipWithError("unexpected status");
            break;
        }
        benchmark::DoNotOptimize(gain.data());
    }
    KAM_DeleteAntenna(id);
}

const bool kRegistered = [] {
    using benchmark::RegisterBenchmark;
    RegisterBenchmark("arrays_fallback/baseline", FallbackSlots);
    RegisterBenchmark("arrays_fallback/KAM_EarthPatternGainArray", FallbackArray);
    RegisterBenchmark("arrays_vs_single/baseline", SinglePerAngle);
    RegisterBenchmark("arrays_vs_single/KAM_EarthPatternGainArray", ArrayCall);
    RegisterBenchmark("arrays_antenna/baseline", Antenna, false);
    RegisterBenchmark("arrays_antenna/KAM_AntennaGainArray", Antenna, true);
    return true;
}();

}  // namespace
#endif
