// The allocation-failure walk over the exports: every export's path (on the
// standard library's patterns and on a fake library whose slots queue events)
// run with its 1st, 2nd, ... allocation failing, once alone and once with
// every later one, until a run makes no allocation that could fail. Each
// failure must end in -2003 (or a documented outcome) with the state and the
// allocation count as before, and the next call must succeed. Every
// allocation site reached (a return address into the host's code, reported
// by the allocation hook) must have been made to fail at least once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "core/alloc.h"
#include "core/handles.h"
#include "core/list.h"
#include "core/state.h"
#include "fake_control.h"
#include "fake_paths.h"
#include "libraries/registry.h"
#include "support/oom.h"

namespace {

// ---- Allocation sites -----------------------------------------------------

// Plain arrays: the observer runs inside the allocation hook.
constexpr int kMaxSites = 1024;
struct SiteTable {
    const void* site[kMaxSites] = {};
    bool failed[kMaxSites] = {};
    int count = 0;
    bool overflow = false;
    bool on = false;  // off while the state is restored between runs
} g_sites;

void ObserveSite(const void* site, bool failed) noexcept {
    if (!g_sites.on) return;
    for (int i = 0; i < g_sites.count; ++i) {
        if (g_sites.site[i] == site) {
            g_sites.failed[i] = g_sites.failed[i] || failed;
            return;
        }
    }
    if (g_sites.count == kMaxSites) {
        g_sites.overflow = true;
        return;
    }
    g_sites.site[g_sites.count] = site;
    g_sites.failed[g_sites.count] = failed;
    ++g_sites.count;
}

// ---- The walk over one export -----------------------------------------------

struct WalkCase {
    std::string what;
    std::function<int()> call;
    // Undoes what a successful call changed (nothing by default).
    std::function<void()> undo;
    // A documented partial outcome (see oom.h); none by default.
    std::function<bool(int)> partial;
    // Each run starts with the lookup index dropped, so that its
    // construction is walked too; otherwise every run finds it built.
    bool coldIndex = false;
};

struct WalkRecord {
    std::string what;
    int status = 0;
    std::uint64_t ordinals = 0;  // allocations of the path that were made to fail
};
std::vector<WalkRecord>& Records() {
    static std::vector<WalkRecord> records;
    return records;
}

// The state compared: the switches and the tree as DumpLibraryState gives
// them, except that an antenna's payload shows its copy of the specific
// structure by content (the address differs from run to run).
void DumpForWalk(const kam::ListNode* node, std::string& out, int depth) {
    const bool earth = node->kind == static_cast<std::uint32_t>(kam::NodeKind::EarthAntenna);
    const bool space = node->kind == static_cast<std::uint32_t>(kam::NodeKind::SpaceAntenna);
    if (!earth && !space) {
        out.append(static_cast<std::size_t>(depth), ' ');
        out += std::to_string(node->kind) + " '" + node->name + "' size " +
               std::to_string(node->payloadSize) + " [";
        if (node->payload != nullptr) {
            out.append(static_cast<const char*>(node->payload), node->payloadSize);
        }
        out += "]\n";
    } else {
        const auto* values = static_cast<const double*>(node->payload);
        const std::size_t doubles = earth ? 4 : 2;
        void* const* copy = reinterpret_cast<void* const*>(values + doubles);
        out.append(static_cast<std::size_t>(depth), ' ');
        out += "antenna #" + std::string(node->handle != 0 ? "h" : "-");
        for (std::size_t i = 0; i < doubles; ++i) out += " " + std::to_string(values[i]);
        const std::int32_t size = kam::PatternInfoOf(node->parent).specificSize;
        if (*copy == KAM_NoValueStruct() || *copy == nullptr || size <= 0) {
            out += " no copy";
        } else {
            out += " copy ";
            out.append(static_cast<const char*>(*copy), static_cast<std::size_t>(size));
        }
        out += "\n";
    }
    for (const kam::ListNode* c = node->firstChild; c != nullptr; c = c->next) {
        DumpForWalk(c, out, depth + 1);
    }
}

std::string WalkSnapshot() {
    const kam::GlobalState& s = kam::g_state;
    std::string out = "init " + std::to_string(s.initialised) + " std " +
                      (s.stdLibraryId != 0 ? "set" : "none") + " switches " +
                      std::to_string(s.inputParamValid) + std::to_string(s.gainValid) +
                      std::to_string(s.contourValid) + std::to_string(s.eventLog) + "\n";
    if (s.root != nullptr) DumpForWalk(s.root, out, 0);
    return out;
}

// Builds the lookup index (unobserved) when it is missing.
void WarmIndex() {
    kam::ListNode* library = nullptr;
    kam::ListNode* pattern = nullptr;
    kam::FindPatternInAnyLibrary("PARAB_014_V1", &library, &pattern);
}

void RunWalk(const WalkCase& w) {
    SCOPED_TRACE(w.what);
    auto unobserved = [](const std::function<void()>& step) {
        const bool was = g_sites.on;
        g_sites.on = false;
        step();
        g_sites.on = was;
    };
    auto settled = [&w, unobserved] {
        unobserved([&w] { w.coldIndex ? kam::DropPatternIndex() : WarmIndex(); });
    };
    auto restore = [&w, unobserved] {
        unobserved([&w] {
            if (w.undo) w.undo();
            kam::DrainEvents();
        });
    };
    // One run before the walk, unobserved, lets tables that only grow (the
    // handle table) reach the size the path needs.
    unobserved([&w, &restore] {
        w.call();
        restore();
    });

    kamtest::OomCase c;
    c.operation = w.call;
    c.snapshot = WalkSnapshot;
    c.reset = restore;
    c.settled = settled;
    c.retryAfterFailure = true;
    if (w.partial) c.acceptPartial = w.partial;
    g_sites.on = true;
    const kamtest::OomSummary summary = kamtest::RunOutOfMemory(c);
    g_sites.on = false;
    Records().push_back({w.what, summary.referenceStatus, summary.ordinals});
}

// ---- Fixture ------------------------------------------------------------------

constexpr const char* kFake = "fake_c";
constexpr const char* kAddedFake = "fake_d";  // added by the walk of KAM_AddLibrary
constexpr const char* kFakeEarth = "C_EARTH";
constexpr const char* kFakeSpace = "C_SPACE";
// A specific structure larger than every pattern's, all fields 1.
struct SpecificBuffer {
    double field[64];
    SpecificBuffer() {
        for (double& f : field) f = 1;
    }
};
SpecificBuffer g_specific;

int KAM_CALL QuietHandler(KAM_Status) { return 0; }

// The fake's slots each queue a warning event through the host's sink, so
// that its gain and contour paths allocate the events they queue; the same
// record storage is handed out at every registration, so the tree's bytes
// are the same after the library is registered again.
void ConfigureFake() {
    fake::Reset();
    for (const char* module : {kFake, kAddedFake}) {
        fake::ModuleConfig& config = fake::Config(module);
        config.reuseRegistration = true;
        for (fake::PatternConfig& p : config.patterns) {
            for (fake::SlotConfig& slot : p.slots) slot.events = {{1, "slot note"}};
        }
    }
}

// A library with the standard library and the fake registered, as after
// a fresh start; used by the walks that must rebuild the whole state.
void FreshLibraryWithFake() {
    kam::Terminate();
    kam::Initialise();
    KAM_LibraryId id = 0;
    KAM_AddLibrary(fake::Path(kFake).c_str(), &id);
    kam::DrainEvents();
}

KAM_LibraryId FakeId() {
    KAM_LibraryId id = 0;
    KAM_GetLibraryIdByName(kFake, &id);
    return id;
}

class OomWalk : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ConfigureFake();
        kam::testing::ObserveAllocations(&ObserveSite);
        FreshLibraryWithFake();
    }
    static void TearDownTestSuite() {
        kam::testing::ObserveAllocations(nullptr);
        PrintSummary();
    }
    void SetUp() override {
        ASSERT_EQ(kam::g_state.initialised, 1);
        ASSERT_NE(kam::g_state.stdLibraryId, 0) << "standard library not registered";
        ASSERT_NE(FakeId(), 0);
        kam::g_state.eventHandler = &QuietHandler;  // reporting runs the handler call too
    }
    void TearDown() override {
        kam::testing::FailAllocation(0, false);
        kam::g_state.eventHandler = nullptr;
        kam::g_state.inputParamValid = 1;
        kam::g_state.contourValid = 1;
        KAM_EnableGainValid();
        KAM_EnableEventLog();
        kam::DrainEvents();
    }
    static void PrintSummary();
};

void OomWalk::PrintSummary() {
    int covered = 0;
    for (int i = 0; i < g_sites.count; ++i) covered += g_sites.failed[i] ? 1 : 0;
    std::uint64_t ordinals = 0;
    // Allocations made to fail per export, over all its paths.
    std::vector<std::pair<std::string, std::uint64_t>> perExport;
    for (const WalkRecord& r : Records()) {
        ordinals += r.ordinals;
        const std::string name = r.what.substr(0, r.what.find_first_of(" ("));
        auto it = std::find_if(perExport.begin(), perExport.end(),
                               [&](const auto& e) { return e.first == name; });
        if (it == perExport.end()) {
            perExport.emplace_back(name, r.ordinals);
        } else {
            it->second += r.ordinals;
        }
    }
    for (const auto& [name, count] : perExport) {
        std::printf("  %-30s %6llu\n", name.c_str(), static_cast<unsigned long long>(count));
    }
    std::printf("allocation walk: %zu export paths, %llu allocations made to fail, "
                "allocation sites covered %d of %d reached\n",
                Records().size(), static_cast<unsigned long long>(ordinals), covered,
                g_sites.count);
}

// Every site reached so far was made to fail; the last test checks it.
std::vector<const void*> UncoveredSites() {
    std::vector<const void*> missing;
    for (int i = 0; i < g_sites.count; ++i) {
        if (!g_sites.failed[i]) missing.push_back(g_sites.site[i]);
    }
    return missing;
}

// ---- Lifecycle, switches and the event log ---------------------------------

// Lazy initialisation from an uninitialised library: -2003 without roots, or
// (memory failing while the standard library loads) initialised without it.
TEST_F(OomWalk, LazyInitialisation) {
    struct Entry {
        const char* what;
        KAM_Status (*call)();
    };
    const Entry entries[] = {
        {"KAM_IfInited", [] { return KAM_IfInited(); }},
        {"KAM_StdLibraryId", [] { return static_cast<KAM_Status>(KAM_StdLibraryId() != 0); }},
        {"KAM_EnableInputParamValid", [] { return KAM_EnableInputParamValid(); }},
        {"KAM_GetNextEvent", [] {
             KAM_EventRecord r;
             return KAM_GetNextEvent(&r);
         }},
        {"KAM_DefaultEventHandler", [] { return KAM_DefaultEventHandler(0); }},
    };
    for (const Entry& e : entries) {
        kam::Terminate();
        WalkCase w;
        w.what = std::string(e.what) + " (lazy initialisation)";
        w.call = e.call;
        w.undo = [] { kam::Terminate(); };
        w.partial = [](int status) {
            const bool noRoots = kam::g_state.initialised == 0 && kam::g_state.root == nullptr;
            const bool noStandard = kam::g_state.initialised == 1 && kam::g_state.stdLibraryId == 0;
            // KAM_IfInited answers 0 without roots; the event functions find
            // no queue (-2007) or an empty one; the others give -2003 or,
            // initialised without the standard library, their own result.
            return (noRoots && (status == 0 || status == KAM_E_QUEUE_EMPTY)) ||
                   (noStandard && status >= KAM_E_QUEUE_EMPTY);
        };
        RunWalk(w);
    }
    FreshLibraryWithFake();
}

TEST_F(OomWalk, SwitchesAndEventLog) {
    struct Entry {
        const char* what;
        KAM_Status (*call)();
    };
    const Entry entries[] = {
        {"KAM_DisableInputParamValid", [] { return KAM_DisableInputParamValid(); }},
        {"KAM_EnableInputParamValid", [] { return KAM_EnableInputParamValid(); }},
        {"KAM_DisableGainValid", [] { return KAM_DisableGainValid(); }},
        {"KAM_EnableGainValid", [] { return KAM_EnableGainValid(); }},
        {"KAM_DisableContourValid", [] { return KAM_DisableContourValid(); }},
        {"KAM_EnableContourValid", [] { return KAM_EnableContourValid(); }},
        {"KAM_DisableEventLog", [] { return KAM_DisableEventLog(); }},
        {"KAM_EnableEventLog", [] { return KAM_EnableEventLog(); }},
        {"KAM_SetDefaultEventHandler", [] { return KAM_SetDefaultEventHandler(); }},
        {"KAM_SetNullEventHandler", [] { return KAM_SetNullEventHandler(); }},
        {"KAM_SetUserEventHandler", [] { return KAM_SetUserEventHandler(&QuietHandler); }},
        {"KAM_SetUserEventHandler(null)", [] { return KAM_SetUserEventHandler(nullptr); }},
        {"KAM_GetNextEvent", [] {
             // A framed call that queues a warning, then the event taken.
             KAM_LibraryId id = 0;
             KAM_AddLibrary("KAM_Std.dll", &id);
             KAM_EventRecord r;
             return KAM_GetNextEvent(&r);
         }},
        {"KAM_ConvertEventToString", [] {
             KAM_EventRecord r{};
             r.code = -2005;
             r.severity = 1;
             char line[KAM_EVENT_LINE_SIZE];
             return KAM_ConvertEventToString(&r, line);
         }},
        {"KAM_DefaultEventHandler", [] {
             KAM_LibraryId id = 0;
             KAM_AddLibrary("KAM_Std.dll", &id);
             return KAM_DefaultEventHandler(2008);
         }},
        {"KAM_Init", [] { return KAM_Init(); }},
        {"KAM_Terminate", [] { return KAM_Terminate(); }},
    };
    for (const Entry& e : entries) {
        WalkCase w;
        w.what = e.what;
        w.call = [&e] {
            kam::g_state.eventHandler = &QuietHandler;
            return e.call();
        };
        w.undo = [] {
            kam::g_state.eventHandler = &QuietHandler;
            kam::g_state.inputParamValid = 1;
            kam::g_state.contourValid = 1;
            KAM_EnableGainValid();
            KAM_EnableEventLog();
        };
        // The warning whose event is to be taken may lose its event.
        w.partial = [](int status) { return status == KAM_E_QUEUE_EMPTY; };
        RunWalk(w);
    }
}

// ---- Libraries and the catalogue -------------------------------------------

TEST_F(OomWalk, AddingLibraries) {
    {
        WalkCase w;
        w.what = "KAM_AddLibrary(fake)";
        w.coldIndex = true;
        w.call = [] {
            KAM_LibraryId id = 0;
            return KAM_AddLibrary(fake::Path(kAddedFake).c_str(), &id);
        };
        w.undo = FreshLibraryWithFake;
        // A library registered with the patterns added before the failure.
        w.partial = [](int status) {
            return status == KAM_E_NO_MEMORY && kam::FindLibraryByName(kAddedFake) != nullptr;
        };
        RunWalk(w);
    }
    WalkCase w;
    w.what = "KAM_AddLibrary(already loaded)";
    w.call = [] {
        KAM_LibraryId id = 0;
        return KAM_AddLibrary(fake::Path(kFake).c_str(), &id);
    };
    RunWalk(w);
}

TEST_F(OomWalk, Catalogue) {
    static char names[64 * 64];
    static KAM_LibraryProperties library;
    static KAM_PatternProperties pattern;
    static KAM_SpecificParDef definition;
    static std::int32_t count, properties[KAM_PARAM_COUNT];
    const KAM_LibraryId stdId = kam::g_state.stdLibraryId;
    const std::vector<std::pair<const char*, std::function<int()>>> calls = {
        {"KAM_GetLibraryCount", [] { return KAM_GetLibraryCount(&count); }},
        {"KAM_GetAllLibraryNames", [] {
             count = 64;
             return KAM_GetAllLibraryNames(&count, names);
         }},
        {"KAM_GetLibraryIdByName", [] {
             KAM_LibraryId id = 0;
             return KAM_GetLibraryIdByName("KAM_Std", &id);
         }},
        {"KAM_GetLibraryIdByName(none)", [] {
             KAM_LibraryId id = 0;
             return KAM_GetLibraryIdByName("no such library", &id);
         }},
        {"KAM_GetLibraryProperties", [stdId] { return KAM_GetLibraryProperties(stdId, &library); }},
        {"KAM_GetPatternCount", [] { return KAM_GetPatternCount(KAM_ALL_LIBRARIES, 3, &count); }},
        {"KAM_GetAllPatternNames", [] {
             count = 300;
             static char patterns[300 * 13];
             return KAM_GetAllPatternNames(KAM_ALL_LIBRARIES, 3, &count, patterns);
         }},
        {"KAM_ExistPattern", [stdId] { return KAM_ExistPattern(stdId, "PARAB_014_V1"); }},
        {"KAM_ExistPattern(none)", [stdId] { return KAM_ExistPattern(stdId, "NO_SUCH"); }},
        {"KAM_SearchPattern", [] {
             KAM_LibraryId id = 0;
             return KAM_SearchPattern(kFakeEarth, &id);
         }},
        {"KAM_GetPatternProperties", [stdId] {
             return KAM_GetPatternProperties(stdId, "PARAB_014_V1", &pattern);
         }},
        {"KAM_GetParamProperties", [] {
             return KAM_GetParamProperties(KAM_ALL_LIBRARIES, kFakeSpace, properties);
         }},
        {"KAM_GetSpecificParCount", [stdId] {
             return KAM_GetSpecificParCount(stdId, "PARAB_014_V1", &count);
         }},
        {"KAM_GetSpecificParDef", [stdId] {
             return KAM_GetSpecificParDef(stdId, "PARAB_014_V1", 0, &definition);
         }},
        {"KAM_GetSpecificParDef(none)", [stdId] {
             return KAM_GetSpecificParDef(stdId, "FSREF_001_V1", 0, &definition);
         }},
    };
    for (const auto& [what, call] : calls) {
        WalkCase w;
        w.what = what;
        w.call = call;
        w.coldIndex = true;
        RunWalk(w);
    }
}

// ---- Validation, gains, antennas and contours --------------------------------

// The parameter values every pattern is called with: valid for most, and
// the findings they give on the others are paths of their own.
constexpr double kGainMax = 40, kDiameter = 1.2, kFrequency = 12000, kEfficiency = 0.6;
constexpr double kBeamlet = 2, kPhi = 5, kPhi0 = 2, kGainRel = -10;

struct PatternRef {
    KAM_LibraryId library;
    std::string name;
    bool earth;
    bool hasSpecific;
    bool first;  // the library's first pattern: its walks start with the index cold
};

// Every pattern of the standard library and the fake; with the environment
// variable KAM_OOM_WALK_STRIDE=N (N > 1; the valgrind stage uses it) only
// every Nth standard pattern, the first always included.
std::vector<PatternRef> EveryPattern() {
    std::vector<PatternRef> out;
    const char* text = std::getenv("KAM_OOM_WALK_STRIDE");
    const int stride = text != nullptr && std::atoi(text) > 1 ? std::atoi(text) : 1;
    for (KAM_LibraryId library : {kam::g_state.stdLibraryId, FakeId()}) {
        const kam::ListNode* package = kam::LibraryNode(library);
        int index = 0;
        for (const kam::ListNode* p = package->lastChild; p != nullptr; p = p->prev, ++index) {
            if (library == kam::g_state.stdLibraryId && index % stride != 0) continue;
            const KAM_PatternInfo& info = kam::PatternInfoOf(p);
            out.push_back({library, p->name, info.type == KAM_PATTERN_EARTH,
                           info.specificSize > 0, p == package->lastChild});
        }
    }
    return out;
}

void* SpecificOf(const PatternRef& p) {
    return p.hasSpecific ? static_cast<void*>(g_specific.field) : KAM_NoValueStruct();
}

// The id of the antenna a case works on: created before the walk, and
// created again by the undo of a walk that deletes it.
KAM_AntennaId CreateAntenna(const PatternRef& p) {
    KAM_AntennaId id = 0;
    const int saved = kam::g_state.inputParamValid;
    kam::g_state.inputParamValid = 0;
    if (p.earth) {
        KAM_CreateEarthAntenna(p.library, p.name.c_str(), kGainMax, kDiameter, kFrequency,
                               kEfficiency, SpecificOf(p), &id);
    } else {
        KAM_CreateSpaceAntenna(p.library, p.name.c_str(), kGainMax, kBeamlet, SpecificOf(p), &id);
    }
    kam::g_state.inputParamValid = saved;
    kam::DrainEvents();
    return id;
}

std::vector<WalkCase> CasesOf(const PatternRef& p, KAM_AntennaId& antenna) {
    const char* name = p.name.c_str();
    const KAM_LibraryId lib = p.library;
    void* specific = SpecificOf(p);
    static double out1, out2, many1[3];
    static KAM_Status statuses[3];
    static const double angles[3] = {0, kPhi, 60};
    static const double levels[3] = {-3, kGainRel, -20};
    std::vector<WalkCase> cases;
    auto add = [&](const char* what, std::function<int()> call) {
        cases.push_back({std::string(what) + " " + p.name, std::move(call), nullptr, nullptr});
    };
    if (p.earth) {
        add("KAM_PartialValidateEarth", [=] {
            return KAM_PartialValidateEarth(lib, name, kGainMax, kDiameter, kFrequency, kEfficiency,
                                            specific);
        });
        add("KAM_ValidateEarthAntenna", [=] {
            return KAM_ValidateEarthAntenna(lib, name, kGainMax, kDiameter, kFrequency, kEfficiency,
                                            specific, kPhi, kPhi0);
        });
        add("KAM_EarthPatternGain", [=] {
            return KAM_EarthPatternGain(lib, name, kGainMax, kDiameter, kFrequency, kEfficiency,
                                        specific, kPhi, kPhi0, &out1, &out2);
        });
        add("KAM_EarthPatternGainArray", [=] {
            return KAM_EarthPatternGainArray(lib, name, kGainMax, kDiameter, kFrequency,
                                             kEfficiency, specific, 3, angles, nullptr, many1,
                                             nullptr, statuses);
        });
    } else {
        add("KAM_PartialValidateSpace", [=] {
            return KAM_PartialValidateSpace(lib, name, kGainMax, kBeamlet, specific);
        });
        add("KAM_ValidateSpaceAntenna", [=] {
            return KAM_ValidateSpaceAntenna(lib, name, kGainMax, kBeamlet, specific, kPhi, kPhi0);
        });
        add("KAM_SpacePatternGain", [=] {
            return KAM_SpacePatternGain(lib, name, kGainMax, kBeamlet, specific, kPhi, kPhi0, &out1,
                                        &out2);
        });
        add("KAM_SpacePatternContour", [=] {
            return KAM_SpacePatternContour(lib, name, kGainRel, kBeamlet, specific, kPhi0, &out1,
                                           &out2);
        });
    }
    // Creating an antenna: the undo deletes the new one (the newest child
    // of the pattern).
    PatternRef ref = p;
    cases.push_back({(p.earth ? "KAM_CreateEarthAntenna " : "KAM_CreateSpaceAntenna ") + p.name,
                     [ref] {
                         KAM_AntennaId id = 0;
                         return ref.earth
                                    ? KAM_CreateEarthAntenna(ref.library, ref.name.c_str(),
                                                             kGainMax, kDiameter, kFrequency,
                                                             kEfficiency, SpecificOf(ref), &id)
                                    : KAM_CreateSpaceAntenna(ref.library, ref.name.c_str(),
                                                             kGainMax, kBeamlet, SpecificOf(ref),
                                                             &id);
                     },
                     [ref] {
                         kam::ListNode* pattern = nullptr;
                         kam::FindPatternInLibrary(ref.library, ref.name.c_str(), &pattern);
                         if (pattern != nullptr && pattern->firstChild != nullptr &&
                             pattern->firstChild != pattern->lastChild) {
                             KAM_DeleteAntenna(pattern->firstChild->handle);
                         }
                     },
                     nullptr});
    KAM_AntennaId* id = &antenna;
    add("KAM_AntennaGain", [id] { return KAM_AntennaGain(*id, kPhi, kPhi0, &out1, &out2); });
    add("KAM_AntennaGainArray", [id] {
        return KAM_AntennaGainArray(*id, 3, angles, nullptr, many1, nullptr, statuses);
    });
    if (!p.earth) {
        add("KAM_AntennaContour",
            [id] { return KAM_AntennaContour(*id, kGainRel, kPhi0, &out1, &out2); });
        add("KAM_SpacePatternContourArray", [=] {
            return KAM_SpacePatternContourArray(lib, name, kBeamlet, specific, 3, levels, nullptr,
                                                many1, nullptr, statuses);
        });
        add("KAM_AntennaContourArray", [id] {
            return KAM_AntennaContourArray(*id, 3, levels, nullptr, many1, nullptr, statuses);
        });
    }
    // Deleting the antenna: the undo creates it again.
    cases.push_back({"KAM_DeleteAntenna " + p.name, [id] { return KAM_DeleteAntenna(*id); },
                     [id, ref] {
                         if (kam::NodeOfKind(*id, ref.earth ? kam::NodeKind::EarthAntenna
                                                            : kam::NodeKind::SpaceAntenna) ==
                             nullptr) {
                             *id = CreateAntenna(ref);
                         }
                     },
                     nullptr});
    return cases;
}

TEST_F(OomWalk, EveryPatternThroughEveryExport) {
    for (int validation : {1, 0}) {
        for (const PatternRef& p : EveryPattern()) {
            kam::g_state.inputParamValid = validation;
            KAM_AntennaId antenna = CreateAntenna(p);
            ASSERT_NE(antenna, 0) << p.name;
            for (const WalkCase& w : CasesOf(p, antenna)) {
                WalkCase c = w;
                c.coldIndex = p.first;
                c.what += validation != 0 ? " (validation on)" : " (validation off)";
                c.call = [validation, call = w.call] {
                    kam::g_state.inputParamValid = validation;
                    return call();
                };
                RunWalk(c);
            }
            KAM_DeleteAntenna(antenna);
            kam::DrainEvents();
        }
    }
}

TEST_F(OomWalk, LegacyNames) {
    WalkCase w;
    w.what = "TMP_ConvertPatternName";
    w.call = [] {
        char current[13];
        return TMP_ConvertPatternName("ES-REF", current);
    };
    RunWalk(w);
}

// Runs last (tests run in the order written): every site the walks reached
// was made to fail.
TEST_F(OomWalk, EverySiteReachedWasMadeToFail) {
    EXPECT_FALSE(g_sites.overflow) << "more than " << kMaxSites << " sites";
    EXPECT_GT(g_sites.count, 0);
    for (const void* site : UncoveredSites()) {
        ADD_FAILURE() << "allocation site " << site << " reached but never made to fail";
    }
}

}  // namespace
