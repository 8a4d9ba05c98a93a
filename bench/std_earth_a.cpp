// Direct gain calls of the earth patterns 001 to 014, at least one case per
// family, through the slots the library hands a host. Cases
// "std_earth_a_gain/<pattern>" against the isotropic pattern 013, the
// simplest of the group, as the baseline. Every case succeeds (status 0), so
// none of them formats or allocates.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "std/std_harness.h"

namespace {

constexpr double kNo = stdtest::kNoValue;
constexpr double kF = 11700.0;  // MHz

struct GainCase {
    const char* label;  // "baseline" or the pattern name
    const char* name;
    double gainMax, diameter, frequency, efficiency;
    std::vector<double> fields;  // empty: the NoValue structure
    double phi0;
};

void RunGain(benchmark::State& state, const GainCase& c) {
    const KAM_PatternInfo* p = stdtest::Pattern(c.name);
    stdtest::Library(1);
    if (p == nullptr) {
        state.SkipWithError("pattern not found");
        return;
    }
    double gainMax = c.gainMax, diameter = c.diameter, frequency = c.frequency;
    double efficiency = c.efficiency, phi0 = c.phi0;
    std::vector<double> fields = c.fields;
    void* specific = fields.empty() ? KAM_NOVALUE_STRUCT : fields.data();
    double phi = 0.0;
    for (auto _ : state) {
        double gain = 0.0, gainX = 0.0;
        phi = phi >= 179.0 ? 0.0 : phi + 0.7;  // walks every segment
        const KAM_Status s = p->gain.earth(&gainMax, &diameter, &frequency, &efficiency, specific,
                                           &phi, &phi0, &gain, &gainX);
        if (s != 0) state.SkipWithError("gain call failed");
        benchmark::DoNotOptimize(gain);
        benchmark::DoNotOptimize(gainX);
    }
}

const GainCase kCases[] = {
    {"baseline", "ISOTR_013_V1", 40, kNo, kNo, kNo, {}, kNo},
    {"FSREF_001_V1", "FSREF_001_V1", 50, 2.4, kF, kNo, {}, kNo},
    {"FSMLB_002_V1", "FSMLB_002_V1", 50, 2.4, kF, kNo, {}, kNo},
    {"FSOML_004_V1", "FSOML_004_V1", 50, 2.4, kF, kNo, {}, kNo},
    {"GSOCO_005_V1", "GSOCO_005_V1", 50, 2.4, kF, kNo, {}, kNo},
    {"NGSOE_006_V1", "NGSOE_006_V1", 50, 2.4, kF, kNo, {}, kNo},
    {"FSASY_007_V1", "FSASY_007_V1", 50, 2.4, kF, kNo, {45}, kNo},
    {"FSPKE_008_V1", "FSPKE_008_V1", 40, kNo, 500, kNo, {}, kNo},
    {"FSAVG_009_V1", "FSAVG_009_V1", 40, 1.2, kF, kNo, {}, kNo},
    {"SRES__010_V1", "SRES__010_V1", kNo, 10, 2200, 0.6, {}, kNo},
    {"RASTA_011_V1", "RASTA_011_V1", kNo, 25, 1420, kNo, {}, kNo},
    {"BSSRX_012_V1", "BSSRX_012_V1", kNo, 0.6, kF, kNo, {}, kNo},
    {"PARAB_014_V1", "PARAB_014_V1", 40, kNo, kNo, kNo, {}, 2},
};

const bool kRegistered = [] {
    for (const GainCase& c : kCases)
        benchmark::RegisterBenchmark((std::string("std_earth_a_gain/") + c.label).c_str(),
                                     [&c](benchmark::State& s) { RunGain(s, c); });
    return true;
}();

}  // namespace
