// Array evaluation against what a caller would write or run instead. Each
// group's baseline is a hand-written loop of the pattern's formula with its
// derived quantities hoisted out of the loop, over the same angles (evenly
// spread over 0..180 degrees), in the same run:
//   arrays_fsref_1e6 / _1e3   FSREF_001_V1 (GainMax 45, 2 m, 12000 MHz);
//   arrays_rasta_1e6 / _1e3   RASTA_011_V1 (25 m, 1420 MHz, Efficiency 1);
// each with KAM_EarthPatternGainArray (input validation on; Gain only, and
// Gain with the statuses), the standard library's array function alone (no
// host around it) and, at 1e3, one KAM_EarthPatternGain per angle.
//   arrays_rasta_shuffled_1e6  the same angles in a random order;
//   arrays_rasta_2threads_wall  the same loop split over two threads (a
//                             compiled simulator on both cores) against our
//                             one thread, in elapsed time;
//   arrays_single_vs_array    one KAM_EarthPatternGain per angle against one
//                             array call over the same 1e3 angles (how many
//                             times cheaper the array is).
// Every case reports the time of one pass over all its angles; the ratio
// table thus reads as cost per point relative to the baseline.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <barrier>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "kam/kam.h"
#include "kam/kam_plugin.h"

namespace {

constexpr double kNo = KAM_NOVALUE_DOUBLE;
constexpr double kPi = 3.14159265358979323846;
constexpr double kC = 299792458.0;  // m/s

// The angles of one pass: n evenly spread over 0..180.
const std::vector<double>& Angles(int n) {
    static std::vector<double> small, large;
    std::vector<double>& a = n <= 1000 ? small : large;
    if (static_cast<int>(a.size()) != n) {
        a.resize(n);
        for (int i = 0; i < n; ++i) a[i] = 180.0 * i / (n - 1);
    }
    return a;
}

// The same angles as Angles(n) in a random order (fixed seed): neighbours no
// longer share a segment of the curve.
const std::vector<double>& Shuffled(int n) {
    static std::vector<double> a;
    if (static_cast<int>(a.size()) != n) {
        a = Angles(n);
        std::shuffle(a.begin(), a.end(), std::mt19937(12345));
    }
    return a;
}

struct Antenna {
    const char* name;
    double gainMax, diameter, frequency, efficiency;
};
constexpr Antenna kFsref = {"FSREF_001_V1", 45.0, 2.0, 12000.0, kNo};
constexpr Antenna kRasta = {"RASTA_011_V1", kNo, 25.0, 1420.0, 1.0};

// ---- Hand-written loops ----------------------------------------------------

// 32 - 25 log phi from phimin (d >= 50: max(1, 100/d), else max(2, 114 d^-1.09)),
// GainMax inside, -10 from 48 degrees.
void FsrefLoop(const double* phi, double* gain, int n) {
    const double d = kFsref.diameter * kFsref.frequency * 1e6 / kC;
    const double phimin = d >= 50.0 ? std::max(1.0, 100.0 / d)
                                    : std::max(2.0, 114.0 * std::pow(d, -1.09));
    const double gmax = kFsref.gainMax;
    for (int i = 0; i < n; ++i) {
        const double p = phi[i];
        gain[i] = p < phimin ? gmax : (p < 48.0 ? 32.0 - 25.0 * std::log10(p) : -10.0);
    }
}

// Gmax = 20 log(pi d) (efficiency 1), the main lobe to phim, G1 = -1 + 15 log d
// to phir = 15.85 d^-0.6, then 29 - 25 log phi, 34 - 30 log phi, -12, -7, -12.
struct Rasta {
    double d, gmax, g1, phim, phir;
    Rasta() {
        d = kRasta.diameter * kRasta.frequency * 1e6 / kC;
        gmax = 20.0 * std::log10(kPi * d);
        g1 = -1.0 + 15.0 * std::log10(d);
        phim = 20.0 / d * std::sqrt(gmax - g1);
        phir = 15.85 * std::pow(d, -0.6);
    }
    void operator()(const double* phi, double* gain, int n) const {
        for (int i = 0; i < n; ++i) {
            const double p = phi[i];
            double g;
            if (p < phim) {
                const double x = d * p;
                g = gmax - 2.5e-3 * x * x;
            } else if (p < phir) {
                g = g1;
            } else if (p < 10.0) {
                g = 29.0 - 25.0 * std::log10(p);
            } else if (p < 34.1) {
                g = 34.0 - 30.0 * std::log10(p);
            } else if (p < 80.0) {
                g = -12.0;
            } else if (p < 120.0) {
                g = -7.0;
            } else {
                g = -12.0;
            }
            gain[i] = g;
        }
    }
};

void FsrefBaseline(benchmark::State& state, int n) {
    const std::vector<double>& phi = Angles(n);
    std::vector<double> gain(n);
    for (auto _ : state) {
        FsrefLoop(phi.data(), gain.data(), n);
        benchmark::DoNotOptimize(gain.data());
        benchmark::ClobberMemory();
    }
}

void RastaBaselineOver(benchmark::State& state, const std::vector<double>& phi) {
    const int n = static_cast<int>(phi.size());
    std::vector<double> gain(n);
    const Rasta rasta;
    for (auto _ : state) {
        rasta(phi.data(), gain.data(), n);
        benchmark::DoNotOptimize(gain.data());
        benchmark::ClobberMemory();
    }
}

void RastaBaseline(benchmark::State& state, int n) { RastaBaselineOver(state, Angles(n)); }
void RastaShuffledBaseline(benchmark::State& state, int n) {
    RastaBaselineOver(state, Shuffled(n));
}

// The hand-written RASTA loop on two threads: this one and a worker that
// stays up, each taking half of the angles, meeting at a barrier per pass.
void RastaTwoThreads(benchmark::State& state, int n) {
    const std::vector<double>& phi = Angles(n);
    std::vector<double> gain(n);
    const Rasta rasta;
    const int half = n / 2;
    bool stop = false;
    std::barrier<> start(2), done(2);
    std::thread worker([&] {
        for (;;) {
            start.arrive_and_wait();
            if (stop) return;
            rasta(phi.data() + half, gain.data() + half, n - half);
            done.arrive_and_wait();
        }
    });
    for (auto _ : state) {
        start.arrive_and_wait();
        rasta(phi.data(), gain.data(), half);
        done.arrive_and_wait();
        benchmark::DoNotOptimize(gain.data());
        benchmark::ClobberMemory();
    }
    stop = true;
    start.arrive_and_wait();
    worker.join();
}

// ---- The exports -------------------------------------------------------------

class Validation {
public:
    Validation() {
        KAM_IfInited();
        KAM_EnableInputParamValid();
        KAM_EnableGainValid();
    }
};

// One array call over the n angles; withStatus also asks for the statuses.
void ArrayCallOver(benchmark::State& state, const Antenna& a, bool withStatus,
                   const std::vector<double>& phi) {
    Validation on;
    const int n = static_cast<int>(phi.size());
    std::vector<double> gain(n);
    std::vector<KAM_Status> status(n);
    for (auto _ : state) {
        const KAM_Status s = KAM_EarthPatternGainArray(
            KAM_ALL_LIBRARIES, a.name, a.gainMax, a.diameter, a.frequency, a.efficiency,
            KAM_NOVALUE_STRUCT, n, phi.data(), nullptr, gain.data(), nullptr,
            withStatus ? status.data() : nullptr);
        if (s != 0) {
            state.SkipWithError("KAM_EarthPatternGainArray did not end in 0");
            break;
        }
        benchmark::DoNotOptimize(gain.data());
        benchmark::ClobberMemory();
    }
}

void ArrayCall(benchmark::State& state, const Antenna& a, bool withStatus, int n) {
    ArrayCallOver(state, a, withStatus, Angles(n));
}
void ShuffledArrayCall(benchmark::State& state, const Antenna& a, int n) {
    ArrayCallOver(state, a, false, Shuffled(n));
}

// The standard library's own array function for the pattern, called as the
// host calls it (outputs all wanted), without the host around it.
void LibraryArray(benchmark::State& state, const Antenna& a, int n) {
    KAM_IfInited();  // the host registers the library and writes NoValue into it
    KAM_LibraryInfo lib;
    KAM_ArrayInfo arrays;
    std::memset(&lib, 0, sizeof lib);
    std::memset(&arrays, 0, sizeof arrays);
    LIP_GetLibraryInfo(&lib);
    LIP_GetArrayInfo(&arrays);
    KAM_EarthGainArrayFn fn = nullptr;
    for (int i = 0; i < lib.patternCount && i < arrays.slotCount; ++i)
        if (std::strcmp(lib.patterns[i].name, a.name) == 0) fn = arrays.slots[i].gain.earth;
    if (fn == nullptr) return state.SkipWithError("no array function");
    const std::vector<double>& phi = Angles(n);
    std::vector<double> gain(n), gainX(n);
    std::vector<KAM_Status> status(n);
    for (auto _ : state) {
        double gainMax = a.gainMax, diameter = a.diameter, frequency = a.frequency,
               efficiency = a.efficiency;
        fn(&gainMax, &diameter, &frequency, &efficiency, KAM_NOVALUE_STRUCT, n, phi.data(),
           nullptr, gain.data(), gainX.data(), status.data());
        benchmark::DoNotOptimize(gain.data());
        benchmark::ClobberMemory();
    }
}

// One KAM_EarthPatternGain per angle.
void SingleCalls(benchmark::State& state, const Antenna& a, int n) {
    Validation on;
    const std::vector<double>& phi = Angles(n);
    std::vector<double> gain(n);
    for (auto _ : state) {
        for (int i = 0; i < n; ++i) {
            double gainX = 0.0;
            if (KAM_EarthPatternGain(KAM_ALL_LIBRARIES, a.name, a.gainMax, a.diameter,
                                     a.frequency, a.efficiency, KAM_NOVALUE_STRUCT, phi[i], kNo,
                                     &gain[i], &gainX) != 0) {
                state.SkipWithError("KAM_EarthPatternGain did not end in 0");
                return;
            }
        }
        benchmark::DoNotOptimize(gain.data());
        benchmark::ClobberMemory();
    }
}

constexpr int kLarge = 1000000;
constexpr int kSmall = 1000;

const bool kRegistered = [] {
    using benchmark::RegisterBenchmark;
    struct Group {
        const char* name;
        const Antenna* antenna;
        void (*baseline)(benchmark::State&, int);
        int n;
    };
    const Group groups[] = {
        {"arrays_fsref_1e6", &kFsref, FsrefBaseline, kLarge},
        {"arrays_fsref_1e3", &kFsref, FsrefBaseline, kSmall},
        {"arrays_rasta_1e6", &kRasta, RastaBaseline, kLarge},
        {"arrays_rasta_1e3", &kRasta, RastaBaseline, kSmall},
    };
    for (const Group& g : groups) {
        const std::string name = g.name;
        const Antenna& a = *g.antenna;
        RegisterBenchmark((name + "/baseline").c_str(), g.baseline, g.n);
        RegisterBenchmark((name + "/KAM_EarthPatternGainArray").c_str(), ArrayCall, a, false,
                          g.n);
        RegisterBenchmark((name + "/KAM_EarthPatternGainArray_status").c_str(), ArrayCall, a,
                          true, g.n);
        RegisterBenchmark((name + "/library_array_function").c_str(), LibraryArray, a, g.n);
        if (g.n == kSmall)
            RegisterBenchmark((name + "/KAM_EarthPatternGain_per_angle").c_str(), SingleCalls, a,
                              g.n);
    }
    RegisterBenchmark("arrays_rasta_shuffled_1e6/baseline", RastaShuffledBaseline, kLarge);
    RegisterBenchmark("arrays_rasta_shuffled_1e6/KAM_EarthPatternGainArray", ShuffledArrayCall,
                      kRasta, kLarge);
    RegisterBenchmark("arrays_rasta_2threads_wall/baseline", RastaTwoThreads, kLarge);
    RegisterBenchmark("arrays_rasta_2threads_wall/KAM_EarthPatternGainArray", ArrayCall, kRasta,
                      false, kLarge);
    RegisterBenchmark("arrays_single_vs_array/baseline", ArrayCall, kFsref, false, kSmall);
    RegisterBenchmark("arrays_single_vs_array/KAM_EarthPatternGain_per_angle", SingleCalls,
                      kFsref, kSmall);
    return true;
}();

}  // namespace
