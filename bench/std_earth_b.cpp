// Direct gain calls of the earth patterns 015 to 029, one case per family,
// through the slots the library hands a host. Cases
// "std_earth_b_gain/<pattern>" against the two-level pattern 029, the
// simplest of the group, as the baseline.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "std/std_harness.h"

namespace {

struct GainCase {
    const char* label;  // "baseline" or the pattern name
    const char* name;
    double gainMax, diameter, frequency;
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
    double efficiency = stdtest::kNoValue, phi0 = c.phi0;
    std::vector<double> fields = c.fields;
    void* specific = fields.empty() ? KAM_NOVALUE_STRUCT : fields.data();
    double phi = 0.0;
    for (auto _ : state) {
        double gain = 0.0, gainX = 0.0;
        phi = phi >= 179.0 ? 0.0 : phi + 0.7;  // walks every segment
        p->gain.earth(&gainMax, &diameter, &frequency, &efficiency, specific, &phi, &phi0, &gain,
                      &gainX);
        benchmark::DoNotOptimize(gain);
    }
}

constexpr double kNo = stdtest::kNoValue;

const GainCase kCases[] = {
    {"baseline", "HEMIS_029_V1", 5, kNo, kNo, {}, kNo},
    {"RDUNP_015_V1", "RDUNP_015_V1", 30, kNo, kNo, {}, 2},
    {"RDC2A_020_V1", "RDC2A_020_V1", 30, kNo, kNo, {}, 2},
    {"CSEC2_021_V1", "CSEC2_021_V1", 30, kNo, kNo, {}, 4.8},
    {"PMPOM_022_V1", "PMPOM_022_V1", 10, kNo, kNo, {}, kNo},
    {"PMPSP_023_V1", "PMPSP_023_V1", 18, kNo, kNo, {10, 65, 0, 0.7, 0.7, 0.3, 10, 5}, kNo},
    {"PMPSA_024_V1", "PMPSA_024_V1", 18, kNo, kNo, {}, kNo},
    {"COORD_025_V1", "COORD_025_V1", 30, 3, 4000, {}, kNo},
    {"TVRX4_026_V1", "TVRX4_026_V1", 12, kNo, kNo, {}, kNo},
    {"HAPSG_027_V1", "HAPSG_027_V1", 47, kNo, kNo, {}, kNo},
    {"AIRYE_028_V1", "AIRYE_028_V1", kNo, 1, 12000, {}, kNo},
};

const bool kRegistered = [] {
    for (const GainCase& c : kCases)
        benchmark::RegisterBenchmark((std::string("std_earth_b_gain/") + c.label).c_str(),
                                     [&c](benchmark::State& s) { RunGain(s, c); });
    return true;
}();

}  // namespace
