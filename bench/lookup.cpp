// Pattern lookup by name: one fake library of 50 patterns against 50 fake
// libraries of 50 patterns each, the wanted pattern being the last one of
// the oldest library (the one a walk of every library would reach last).
// Built only where the fakes are (KAM_BENCH_FAKES).
#if defined(KAM_BENCH_FAKES)
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "kam/kam.h"
#include "plugins/fake_control.h"
#include "plugins/fake_paths.h"

namespace {

constexpr int kLibraries = 50;
constexpr int kPatterns = 50;

std::string PatternName(int library, int pattern) {
    char name[16];
    std::snprintf(name, sizeof name, "P%02d_%02d", library, pattern);
    return name;
}

// Loads fake_bench_00 .. fake_bench_<count-1> (each once), with 50 patterns
// of their own names; returns the id of fake_bench_00.
KAM_LibraryId LoadLibraries(int count) {
    static KAM_LibraryId ids[kLibraries] = {};
    for (int l = 0; l < count; ++l) {
        if (ids[l] != KAM_NO_LIBRARY) continue;
        char module[32];
        std::snprintf(module, sizeof module, "fake_bench_%02d", l);
        fake::ModuleConfig& cfg = fake::Config(module);
        fake::PatternConfig earth = cfg.patterns[0];
        cfg.patterns.assign(kPatterns, earth);
        for (int p = 0; p < kPatterns; ++p) cfg.patterns[p].name = PatternName(l, p);
        KAM_AddLibrary(fake::Path(module).c_str(), &ids[l]);
    }
    return ids[0];
}

void SearchInOne(benchmark::State& state) {
    LoadLibraries(1);
    const std::string name = PatternName(0, kPatterns - 1);
    KAM_LibraryId id = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(KAM_SearchPattern(name.c_str(), &id));
    }
}

void SearchAmongFifty(benchmark::State& state) {
    LoadLibraries(kLibraries);
    const std::string name = PatternName(0, kPatterns - 1);
    KAM_LibraryId id = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(KAM_SearchPattern(name.c_str(), &id));
    }
}

void ExistAmongFifty(benchmark::State& state) {
    const KAM_LibraryId oldest = LoadLibraries(kLibraries);
    const std::string name = PatternName(0, kPatterns - 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(KAM_ExistPattern(oldest, name.c_str()));
    }
}

void PropertiesAmongFifty(benchmark::State& state) {
    LoadLibraries(kLibraries);
    const std::string name = PatternName(0, kPatterns - 1);
    int32_t codes[KAM_PARAM_COUNT];
    for (auto _ : state) {
        benchmark::DoNotOptimize(KAM_GetParamProperties(KAM_ALL_LIBRARIES, name.c_str(), codes));
    }
}

}  // namespace

BENCHMARK(SearchInOne)->Name("lookup/baseline");
BENCHMARK(SearchAmongFifty)->Name("lookup/search_50x50");
BENCHMARK(ExistAmongFifty)->Name("lookup/exist_50x50");
BENCHMARK(PropertiesAmongFifty)->Name("lookup/param_properties_50x50");

#endif  // KAM_BENCH_FAKES
