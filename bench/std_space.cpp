// Direct gain and contour calls of the space patterns 101 to 116, one case per
// family, through the slots the library hands a host. Cases
// "std_space_gain/<pattern>" against the isotropic pattern's gain, and
// "std_space_contour/<pattern>" against the parabola's closed-form contour.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "std/std_harness.h"

namespace {

constexpr double kNo = stdtest::kNoValue;

struct SpaceCase {
    const char* label;  // "baseline" or the pattern name
    const char* name;
    double gainMax, beamlet;
    std::vector<double> fields;  // empty: the NoValue structure
    double phi0;
};

const KAM_PatternInfo* Prepare(benchmark::State& state, const SpaceCase& c) {
    const KAM_PatternInfo* p = stdtest::Pattern(c.name);
    stdtest::Library(1);
    if (p == nullptr) state.SkipWithError("pattern not found");
    return p;
}

void RunGain(benchmark::State& state, const SpaceCase& c) {
    const KAM_PatternInfo* p = Prepare(state, c);
    if (p == nullptr) return;
    double gainMax = c.gainMax, beamlet = c.beamlet, phi0 = c.phi0;
    std::vector<double> fields = c.fields;
    void* specific = fields.empty() ? KAM_NOVALUE_STRUCT : fields.data();
    double phi = 0.0;
    for (auto _ : state) {
        double gain = 0.0, gainX = 0.0;
        phi = phi >= 179.0 ? 0.0 : phi + 0.7;  // walks every segment
        p->gain.space(&gainMax, &beamlet, specific, &phi, &phi0, &gain, &gainX);
        benchmark::DoNotOptimize(gain);
    }
}

void RunContour(benchmark::State& state, const SpaceCase& c) {
    const KAM_PatternInfo* p = Prepare(state, c);
    if (p == nullptr) return;
    double beamlet = c.beamlet, phi0 = c.phi0;
    std::vector<double> fields = c.fields;
    void* specific = fields.empty() ? KAM_NOVALUE_STRUCT : fields.data();
    double level = 0.0;
    for (auto _ : state) {
        double phi = kNo, phiX = kNo;
        level = level <= -29.0 ? -0.5 : level - 0.5;  // main lobe and side lobes
        p->contour.space(&level, &beamlet, specific, &phi0, &phi, &phiX);
        benchmark::DoNotOptimize(phi);
    }
}

const std::vector<double> kTaylor = {0.0249827048, 1.6, 1.6, 20.0, 4.0, 0.0};

const SpaceCase kGainCases[] = {
    {"baseline", "ISOTR_111_V1", 30, kNo, {}, kNo},
    {"GSOSS_101_V1", "GSOSS_101_V1", 45, kNo, {}, 0.8},
    {"NGSOS_105_V1", "NGSOS_105_V1", 45, kNo, {2.0}, 0.8},
    {"NGLEO_108_V1", "NGLEO_108_V1", 35, kNo, {}, 2.0},
    {"FROFF_109_V1", "FROFF_109_V1", 40, 1.2, {}, 2.0},
    {"PARAB_110_V1", "PARAB_110_V1", 30, kNo, {-20.0}, 4.0},
    {"PSENS_112_V1", "PSENS_112_V1", 52.568089, kNo, {0.6}, kNo},
    {"SNS9A_113_V1", "SNS9A_113_V1", 40, kNo, {}, kNo},
    {"TAYLR_115_V1", "TAYLR_115_V1", 40, kNo, kTaylor, kNo},
    {"AIRYS_116_V1", "AIRYS_116_V1", 40, kNo, {}, 2.0},
};

const SpaceCase kContourCases[] = {
    {"baseline", "PARAB_110_V1", kNo, kNo, {-40.0}, 4.0},
    {"GSOSS_101_V1", "GSOSS_101_V1", kNo, kNo, {}, 0.8},
    {"NGSOS_105_V1", "NGSOS_105_V1", kNo, kNo, {2.0}, 0.8},
    {"NGLEO_108_V1", "NGLEO_108_V1", kNo, kNo, {}, 2.0},
    {"FROFF_109_V1", "FROFF_109_V1", kNo, 1.2, {}, 2.0},
    {"PSENS_112_V1", "PSENS_112_V1", kNo, kNo, {0.6}, 0.46749335},
    {"SNS9A_113_V1", "SNS9A_113_V1", kNo, kNo, {}, kNo},
    {"TAYLR_115_V1", "TAYLR_115_V1", kNo, kNo, kTaylor, kNo},
    {"AIRYS_116_V1", "AIRYS_116_V1", kNo, kNo, {}, 2.0},
};

const bool kRegistered = [] {
    for (const SpaceCase& c : kGainCases)
        benchmark::RegisterBenchmark((std::string("std_space_gain/") + c.label).c_str(),
                                     [&c](benchmark::State& s) { RunGain(s, c); });
    for (const SpaceCase& c : kContourCases)
        benchmark::RegisterBenchmark((std::string("std_space_contour/") + c.label).c_str(),
                                     [&c](benchmark::State& s) { RunContour(s, c); });
    return true;
}();

}  // namespace
