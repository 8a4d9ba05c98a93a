// Array evaluation as a caller sees it: every element of the five array
// exports against the matching single call (statuses, output bytes, events,
// handler calls), over every standard pattern and over fake libraries with
// and without an array path; argument positions, empty and negative counts,
// optional arrays, and an antenna deleted from inside a slot.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "validation/export_fixture.h"

namespace {

using exptest::Codes;
using exptest::ExportTest;
using exptest::Handled;
using exptest::kNoValue;
using exptest::NoStruct;
using exptest::O;
using exptest::R;
using exptest::SameBits;
using testsupport::AgreesWithSlot;
using exptest::SetProperties;
using exptest::TakeEvents;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kSentinel = -4242.0;  // what the caller's arrays hold before a call
constexpr KAM_Status kSentinelStatus = 4242;

// Angles and levels that walk every region of the checks: inside, on and
// beyond the limits, NaN, infinities, NoValue, a denormal.
const std::vector<double> kAngles = {0,    0.3,  1,   2.5,  7,    20,  48,   90,  179.9,
                                     180,  180.5, -1, kNaN, kInf, -kInf, kNoValue,
                                     std::numeric_limits<double>::denorm_min(), 1e-6, 36};
// Angles that all pass the host's checks, over more than one span of its
// work (the library's array function gets a span in one call): the calls
// that skip the per-element checks.
const std::vector<double> kQuietAngles = [] {
    std::vector<double> angles(2301);
    for (std::size_t i = 0; i < angles.size(); ++i) angles[i] = 180.0 * i / 2300.0;
    return angles;
}();
const std::vector<double> kPhi0s = {kNoValue, 2, 0.5, 0, 20, kNaN, 1e-7, -kInf, 5, 17.9, 200};
const std::vector<double> kLevels = {-0.5, -3,  -10, -30, -99.9, -100, -100.5, 0,
                                     0.5,  kNaN, -kInf, kNoValue, -1e-9, -20, -6};

// One export compared with its single call: single(x, phi0, out1, out2)
// computes one element; array(count, x, phi0, out1, out2, status) them all.
struct Pair {
    std::string label;
    std::function<int(double, double, double*, double*)> single;
    std::function<int(int, const double*, const double*, double*, double*, KAM_Status*)> array;
};

// First event of each code, by code: what an array call may queue.
std::map<int, std::string> FirstOfEachCode(const std::vector<KAM_EventRecord>& events) {
    std::map<int, std::string> first;
    for (const KAM_EventRecord& e : events) {
        first.emplace(e.code, std::string(e.text) + "|" + e.libraryName + "|" + e.patternName);
    }
    return first;
}

int ExpectedResult(const std::vector<KAM_Status>& statuses) {
    for (KAM_Status s : statuses)
        if (s < 0) return s;
    for (KAM_Status s : statuses)
        if (s > 0) return s;
    return 0;
}

class Arrays : public ExportTest {
protected:
    void TearDown() override {
        KAM_EnableGainValid();
        ExportTest::TearDown();
    }

    // Element by element against the single calls, with and without phi0,
    // then the events and handler calls of the array call against those of
    // the single calls. inputs: the angles or levels.
    void ExpectSameAsSingles(const Pair& pair, const std::vector<double>& inputs) {
        SCOPED_TRACE(pair.label);
        const int n = static_cast<int>(inputs.size());
        for (bool withPhi0 : {true, false}) {
            SCOPED_TRACE(withPhi0 ? "phi0 given" : "phi0 null");
            std::vector<double> phi0(n);
            for (int i = 0; i < n; ++i) phi0[i] = withPhi0 ? kPhi0s[i % kPhi0s.size()] : kNoValue;

            std::vector<double> out1(n), out2(n);
            std::vector<KAM_Status> statuses(n);
            std::vector<KAM_EventRecord> singleEvents;
            std::vector<int> singleHandled;
            for (int i = 0; i < n; ++i) {
                Clear();
                statuses[i] = pair.single(inputs[i], phi0[i], &out1[i], &out2[i]);
                const std::vector<KAM_EventRecord> events = TakeEvents();
                singleEvents.insert(singleEvents.end(), events.begin(), events.end());
                singleHandled.insert(singleHandled.end(), Handled().begin(), Handled().end());
            }

            Clear();
            std::vector<double> a1(n, kSentinel), a2(n, kSentinel);
            std::vector<KAM_Status> as(n, kSentinelStatus);
            EXPECT_EQ(pair.array(n, inputs.data(), withPhi0 ? phi0.data() : nullptr, a1.data(),
                                 a2.data(), as.data()),
                      ExpectedResult(statuses));
            const std::vector<KAM_EventRecord> arrayEvents = TakeEvents();
            const std::vector<int> arrayHandled = Handled();
            for (int i = 0; i < n; ++i) {
                SCOPED_TRACE(i);
                EXPECT_EQ(as[i], statuses[i]);
                EXPECT_TRUE(AgreesWithSlot(a1[i], out1[i])) << a1[i] << " vs " << out1[i];
                EXPECT_TRUE(AgreesWithSlot(a2[i], out2[i])) << a2[i] << " vs " << out2[i];
            }
            // Each code once, with the text and context of its first event.
            EXPECT_EQ(FirstOfEachCode(arrayEvents), FirstOfEachCode(singleEvents));
            EXPECT_EQ(arrayEvents.size(), FirstOfEachCode(arrayEvents).size());
            EXPECT_EQ(std::set<int>(arrayHandled.begin(), arrayHandled.end()),
                      std::set<int>(singleHandled.begin(), singleHandled.end()));
            EXPECT_EQ(arrayHandled.size(),
                      std::set<int>(arrayHandled.begin(), arrayHandled.end()).size());

            // The optional outputs left out change nothing else.
            Clear();
            std::vector<double> b1(n, kSentinel);
            EXPECT_EQ(pair.array(n, inputs.data(), withPhi0 ? phi0.data() : nullptr, b1.data(),
                                 nullptr, nullptr),
                      ExpectedResult(statuses));
            for (int i = 0; i < n; ++i) EXPECT_TRUE(SameBits(b1[i], a1[i])) << i;
        }
    }

    // Runs check under every combination of the three switches.
    void UnderEverySwitch(const std::function<void()>& check) {
        for (int validate : {1, 0})
            for (int gainValid : {1, 0})
                for (int contourValid : {1, 0}) {
                    SCOPED_TRACE("validation " + std::to_string(validate) + " gainvalid " +
                                 std::to_string(gainValid) + " contourvalid " +
                                 std::to_string(contourValid));
                    if (validate) KAM_EnableInputParamValid(); else KAM_DisableInputParamValid();
                    if (gainValid) KAM_EnableGainValid(); else KAM_DisableGainValid();
                    if (contourValid) KAM_EnableContourValid(); else KAM_DisableContourValid();
                    check();
                }
        KAM_EnableInputParamValid();
        KAM_EnableGainValid();
        KAM_EnableContourValid();
    }
};

// The pairs of one pattern: gain by name, by antenna (when one can be made)
// and, for a space pattern with a contour, the two contour forms.
struct PatternValues {
    double gainMax, beamlet, diameter, frequency, efficiency;
};

std::vector<Pair> PairsOf(KAM_LibraryId lib, const std::string& name, int type,
                          const PatternValues& v, std::vector<KAM_AntennaId>& antennas) {
    std::vector<Pair> pairs;
    if (type == KAM_PATTERN_EARTH) {
        pairs.push_back({name + " by name",
                         [=, n = name](double x, double p0, double* g, double* gx) {
                             return KAM_EarthPatternGain(lib, n.c_str(), v.gainMax, v.diameter,
                                                         v.frequency, v.efficiency, NoStruct(), x,
                                                         p0, g, gx);
                         },
                         [=, n = name](int c, const double* x, const double* p0, double* g, double* gx,
                             KAM_Status* s) {
                             return KAM_EarthPatternGainArray(lib, n.c_str(), v.gainMax, v.diameter,
                                                              v.frequency, v.efficiency,
                                                              NoStruct(), c, x, p0, g, gx, s);
                         }});
    } else {
        pairs.push_back({name + " by name",
                         [=, n = name](double x, double p0, double* g, double* gx) {
                             return KAM_SpacePatternGain(lib, n.c_str(), v.gainMax, v.beamlet, NoStruct(),
                                                         x, p0, g, gx);
                         },
                         [=, n = name](int c, const double* x, const double* p0, double* g, double* gx,
                             KAM_Status* s) {
                             return KAM_SpacePatternGainArray(lib, n.c_str(), v.gainMax, v.beamlet,
                                                              NoStruct(), c, x, p0, g, gx, s);
                         }});
        pairs.push_back({name + " contour by name",
                         [=, n = name](double x, double p0, double* a, double* ax) {
                             return KAM_SpacePatternContour(lib, n.c_str(), x, v.beamlet, NoStruct(), p0,
                                                            a, ax);
                         },
                         [=, n = name](int c, const double* x, const double* p0, double* a, double* ax,
                             KAM_Status* s) {
                             return KAM_SpacePatternContourArray(lib, n.c_str(), v.beamlet, NoStruct(), c,
                                                                 x, p0, a, ax, s);
                         }});
    }
    KAM_AntennaId id = 0;
    const int created =
        type == KAM_PATTERN_EARTH
            ? KAM_CreateEarthAntenna(lib, name.c_str(), v.gainMax, v.diameter, v.frequency, v.efficiency,
                                     NoStruct(), &id)
            : KAM_CreateSpaceAntenna(lib, name.c_str(), v.gainMax, v.beamlet, NoStruct(), &id);
    if (created >= 0 && id != 0) {
        antennas.push_back(id);
        pairs.push_back({name + " antenna",
                         [=, n = name](double x, double p0, double* g, double* gx) {
                             return KAM_AntennaGain(id, x, p0, g, gx);
                         },
                         [=, n = name](int c, const double* x, const double* p0, double* g, double* gx,
                             KAM_Status* s) { return KAM_AntennaGainArray(id, c, x, p0, g, gx, s); }});
        pairs.push_back({name + " antenna contour",
                         [=, n = name](double x, double p0, double* a, double* ax) {
                             return KAM_AntennaContour(id, x, p0, a, ax);
                         },
                         [=, n = name](int c, const double* x, const double* p0, double* a, double* ax,
                             KAM_Status* s) {
                             return KAM_AntennaContourArray(id, c, x, p0, a, ax, s);
                         }});
    }
    return pairs;
}

bool IsContour(const Pair& pair) { return pair.label.find("contour") != std::string::npos; }

// Every standard pattern, every export that applies to it, every switch.
TEST_F(Arrays, EveryStandardPatternMatchesItsSingleCalls) {
    const KAM_LibraryId std = KAM_StdLibraryId();
    ASSERT_NE(std, 0);
    int count = 0;
    ASSERT_EQ(KAM_GetPatternCount(std, KAM_PATTERN_ANY, &count), 0);
    std::vector<char> names(static_cast<std::size_t>(count) * KAM_PATTERN_NAME_SLOT);
    ASSERT_EQ(KAM_GetAllPatternNames(std, KAM_PATTERN_ANY, &count, names.data()), 0);
    ASSERT_EQ(count, 45);
    // Values inside the soft limits; FSREF_001_V1 and RASTA_011_V1 as the
    // speed targets name them.
    const std::map<std::string, PatternValues> special = {
        {"FSREF_001_V1", {45, kNoValue, 2, 12000, kNoValue}},
        {"RASTA_011_V1", {kNoValue, kNoValue, 25, 1420, 1}},
    };
    const PatternValues typical{40, 2, 3, 12000, 0.6};
    std::vector<KAM_AntennaId> antennas;
    for (int k = 0; k < count; ++k) {
        const std::string name(&names[static_cast<std::size_t>(k) * KAM_PATTERN_NAME_SLOT]);
        KAM_PatternProperties properties;
        ASSERT_EQ(KAM_GetPatternProperties(std, name.c_str(), &properties), 0);
        const auto it = special.find(name);
        const std::vector<Pair> pairs =
            PairsOf(std, name, properties.type, it != special.end() ? it->second : typical,
                    antennas);
        UnderEverySwitch([&] {
            for (const Pair& pair : pairs) {
                ExpectSameAsSingles(pair, IsContour(pair) ? kLevels : kAngles);
                if (!IsContour(pair)) ExpectSameAsSingles(pair, kQuietAngles);
            }
        });
    }
    for (KAM_AntennaId id : antennas) EXPECT_EQ(KAM_DeleteAntenna(id), 0);
}

// Fake libraries whose slots return warnings and errors and queue events of
// their own, on required and optional angles.
TEST_F(Arrays, FakesMatchTheirSingleCalls) {
    const struct {
        const char* label;
        std::function<void(fake::PatternConfig&)> setUp;
    } configs[] = {
        {"clean", [](fake::PatternConfig&) {}},
        {"warnings and events",
         [](fake::PatternConfig& p) {
             SetProperties(p, {R, O, O, O, O, O, R, O});
             p.slots[fake::kValidateInput].status = 7;
             p.slots[fake::kValidateInput].events = {{-9, "input"}};
             p.slots[fake::kValidateAll].status = 8;
             p.slots[fake::kValidateAll].events = {{-9, "all"}, {12, "twelve"}};
             p.slots[fake::kGain].status = 9;
             p.slots[fake::kContour].status = 9;
             p.slots[fake::kGain].events = {{13, "gain"}};
             for (fake::Slot slot : {fake::kGain, fake::kContour}) {
                 p.slots[slot].writeOutputs = true;
                 p.slots[slot].output1 = 190;
                 p.slots[slot].output2 = -kInf;
             }
         }},
        {"validateAll fails",
         [](fake::PatternConfig& p) { p.slots[fake::kValidateAll].status = -21; }},
        {"validateInput fails",
         [](fake::PatternConfig& p) { p.slots[fake::kValidateInput].status = -22; }},
        {"slots fail",
         [](fake::PatternConfig& p) {
             p.slots[fake::kGain].status = -23;
             p.slots[fake::kContour].status = -24;
             p.slots[fake::kGain].writeOutputs = true;
             p.slots[fake::kGain].output1 = 5;
         }},
        {"no validators",
         [](fake::PatternConfig& p) {
             p.slots[fake::kValidateInput].present = false;
             p.slots[fake::kValidateAll].present = false;
         }},
    };
    for (const auto& config : configs) {
        SCOPED_TRACE(config.label);
        fake::Reset();
        for (fake::PatternConfig& p : Config().patterns) {
            SetProperties(p, {O, O, O, O, O, O, O, O});
            config.setUp(p);
        }
        const KAM_LibraryId lib = Load();
        std::vector<KAM_AntennaId> antennas;
        std::vector<Pair> pairs = PairsOf(lib, "A_EARTH", KAM_PATTERN_EARTH,
                                          {30, kNoValue, 2, 1e4, 0.5}, antennas);
        const std::vector<Pair> space =
            PairsOf(lib, "A_SPACE", KAM_PATTERN_SPACE, {30, 2, kNoValue, kNoValue, kNoValue}, antennas);
        pairs.insert(pairs.end(), space.begin(), space.end());
        UnderEverySwitch([&] {
            for (const Pair& pair : pairs) {
                if (pair.label == "A_EARTH antenna contour") continue;  // not a space antenna
                ExpectSameAsSingles(pair, IsContour(pair) ? kLevels : kAngles);
            }
        });
        for (KAM_AntennaId id : antennas) EXPECT_EQ(KAM_DeleteAntenna(id), 0);
    }
}

// Handles and names that find nothing, the wrong pattern type and missing
// slots are no argument errors: each element is the single call.
TEST_F(Arrays, CallsThatFindNothingMatchTheirSingleCalls) {
    Space().slots[fake::kContour].present = false;
    const KAM_LibraryId lib = Load();
    KAM_AntennaId earth = 0, gone = 0;
    ASSERT_EQ(KAM_CreateEarthAntenna(lib, "A_EARTH", 30, 2, 1e4, 0.5, NoStruct(), &earth), 0);
    ASSERT_EQ(KAM_CreateEarthAntenna(lib, "A_EARTH", 30, 2, 1e4, 0.5, NoStruct(), &gone), 0);
    ASSERT_EQ(KAM_DeleteAntenna(gone), 0);
    std::vector<KAM_AntennaId> unused;
    std::vector<Pair> pairs;
    for (const char* name : {"NOPE", "A_SPACE"}) {
        const std::vector<Pair> some =
            PairsOf(lib, name, KAM_PATTERN_EARTH, {30, 2, 2, 1e4, 0.5}, unused);
        pairs.insert(pairs.end(), some.begin(), some.end());
    }
    for (KAM_LibraryId library : {KAM_LibraryId{999999}, lib}) {
        const std::vector<Pair> some =
            PairsOf(library, "A_SPACE", KAM_PATTERN_SPACE, {30, 2, 2, 1e4, 0.5}, unused);
        pairs.insert(pairs.end(), some.begin(), some.end());
    }
    for (KAM_AntennaId id : {earth, gone, KAM_AntennaId{lib}}) {
        pairs.push_back({"antenna " + std::to_string(id),
                         [=](double x, double p0, double* g, double* gx) {
                             return KAM_AntennaGain(id, x, p0, g, gx);
                         },
                         [=](int c, const double* x, const double* p0, double* g, double* gx,
                             KAM_Status* s) { return KAM_AntennaGainArray(id, c, x, p0, g, gx, s); }});
        pairs.push_back({"antenna contour " + std::to_string(id),
                         [=](double x, double p0, double* a, double* ax) {
                             return KAM_AntennaContour(id, x, p0, a, ax);
                         },
                         [=](int c, const double* x, const double* p0, double* a, double* ax,
                             KAM_Status* s) { return KAM_AntennaContourArray(id, c, x, p0, a, ax, s); }});
    }
    for (const Pair& pair : pairs) ExpectSameAsSingles(pair, {1, 2, 3});
    for (KAM_AntennaId id : unused) KAM_DeleteAntenna(id);
    EXPECT_EQ(KAM_DeleteAntenna(earth), 0);
}

// A million bad angles give one event and one handler call, not a million;
// more elements than one chunk of the host's work.
TEST_F(Arrays, EventsAreBoundedPerCall) {
    Earth().slots[fake::kGain].events = {{31, "from the library"}};
    const KAM_LibraryId lib = Load();
    const int n = 100000;
    std::vector<double> phi(n, -1.0), gain(n);
    std::vector<KAM_Status> status(n);
    EXPECT_EQ(KAM_EarthPatternGainArray(lib, "A_EARTH", 30, 2, 1e4, 0.5, NoStruct(), n,
                                        phi.data(), nullptr, gain.data(), nullptr, status.data()),
              -5206);
    EXPECT_EQ(Codes(TakeEvents()), std::vector<int>{-5206});
    EXPECT_EQ(Handled(), std::vector<int>{-5206});
    // Every element reaches the library, which queues its event each time.
    Clear();
    std::fill(phi.begin(), phi.end(), 10.0);
    EXPECT_EQ(KAM_EarthPatternGainArray(lib, "A_EARTH", 30, 2, 1e4, 0.5, NoStruct(), n,
                                        phi.data(), nullptr, gain.data(), nullptr, status.data()),
              0);
    EXPECT_EQ(Codes(TakeEvents()), std::vector<int>{31});
    EXPECT_TRUE(Handled().empty());
    EXPECT_EQ(Calls("gain").size(), static_cast<std::size_t>(n));
}

// One bad argument per position: that position, reported as the single
// calls report theirs, and nothing written.
TEST_F(Arrays, ArgumentChecksByPosition) {
    const KAM_LibraryId lib = Load();
    KAM_AntennaId earth = 0, space = 0;
    ASSERT_EQ(KAM_CreateEarthAntenna(lib, "A_EARTH", 30, 2, 1e4, 0.5, NoStruct(), &earth), 0);
    ASSERT_EQ(KAM_CreateSpaceAntenna(lib, "A_SPACE", 30, 2, NoStruct(), &space), 0);
    double in[3] = {1, 2, 3}, out1[3], out2[3];
    KAM_Status st[3];
    // What each case leaves out: 'l' library, 'n' name, 's' specific, 'c'
    // count negative, 'i' input array, 'o' first output.
    const struct {
        const char* label;
        std::function<int(char)> call;
        std::vector<std::pair<char, int>> positions;
    } exports[] = {
        {"earth gain",
         [&](char bad) {
             return KAM_EarthPatternGainArray(bad == 'l' ? 0 : lib, bad == 'n' ? nullptr : "A_EARTH",
                                              30, 2, 1e4, 0.5, bad == 's' ? nullptr : NoStruct(),
                                              bad == 'c' ? -1 : (bad == '0' ? 0 : 3), bad == 'i' ? nullptr : in, in,
                                              bad == 'o' ? nullptr : out1, out2, st);
         },
         {{'l', -1}, {'n', -2}, {'s', -7}, {'c', -8}, {'i', -9}, {'o', -11}}},
        {"space gain",
         [&](char bad) {
             return KAM_SpacePatternGainArray(bad == 'l' ? 0 : lib, bad == 'n' ? "" : "A_SPACE", 30,
                                              2, bad == 's' ? nullptr : NoStruct(),
                                              bad == 'c' ? -7 : (bad == '0' ? 0 : 3), bad == 'i' ? nullptr : in, in,
                                              bad == 'o' ? nullptr : out1, out2, st);
         },
         {{'l', -1}, {'n', -2}, {'s', -5}, {'c', -6}, {'i', -7}, {'o', -9}}},
        {"antenna gain",
         [&](char bad) {
             return KAM_AntennaGainArray(bad == 'l' ? 0 : earth, bad == 'c' ? INT32_MIN : (bad == '0' ? 0 : 3),
                                         bad == 'i' ? nullptr : in, in,
                                         bad == 'o' ? nullptr : out1, out2, st);
         },
         {{'l', -1}, {'c', -2}, {'i', -3}, {'o', -5}}},
        {"space contour",
         [&](char bad) {
             return KAM_SpacePatternContourArray(
                 bad == 'l' ? 0 : lib, bad == 'n' ? "ABCDEFGHIJKLM" : "A_SPACE", 2,
                 bad == 's' ? nullptr : NoStruct(), bad == 'c' ? -1 : (bad == '0' ? 0 : 3), bad == 'i' ? nullptr : in,
                 in, bad == 'o' ? nullptr : out1, out2, st);
         },
         {{'l', -1}, {'n', -2}, {'s', -4}, {'c', -5}, {'i', -6}, {'o', -8}}},
        {"antenna contour",
         [&](char bad) {
             return KAM_AntennaContourArray(bad == 'l' ? 0 : space, bad == 'c' ? -3 : (bad == '0' ? 0 : 3),
                                            bad == 'i' ? nullptr : in, in,
                                            bad == 'o' ? nullptr : out1, out2, st);
         },
         {{'l', -1}, {'c', -2}, {'i', -3}, {'o', -5}}},
    };
    for (const auto& e : exports) {
        for (const auto& [bad, expected] : e.positions) {
            SCOPED_TRACE(std::string(e.label) + " " + bad);
            Clear();
            std::fill(out1, out1 + 3, kSentinel);
            std::fill(out2, out2 + 3, kSentinel);
            std::fill(st, st + 3, kSentinelStatus);
            EXPECT_EQ(e.call(bad), expected);
            EXPECT_EQ(Handled(), std::vector<int>{expected});
            const std::vector<KAM_EventRecord> events = TakeEvents();
            ASSERT_EQ(events.size(), 1u);
            EXPECT_EQ(events[0].code, expected);
            EXPECT_EQ(std::string(events[0].text),
                      "Input parameter " + std::to_string(-expected) + " is wrong.");
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(out1[i], kSentinel);
                EXPECT_EQ(out2[i], kSentinel);
                EXPECT_EQ(st[i], kSentinelStatus);
            }
            EXPECT_TRUE(Calls().empty());
        }
        // No elements: 0, nothing written, queued or handed on; the arrays
        // may then be missing.
        Clear();
        EXPECT_EQ(e.call('0'), 0);
        EXPECT_TRUE(Handled().empty());
        EXPECT_TRUE(TakeEvents().empty());
    }
    EXPECT_EQ(KAM_EarthPatternGainArray(lib, "NOPE", 30, 2, 1e4, 0.5, NoStruct(), 0, nullptr,
                                        nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(KAM_AntennaContourArray(space, 0, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_TRUE(Handled().empty());
    EXPECT_TRUE(TakeEvents().empty());
    EXPECT_EQ(KAM_DeleteAntenna(earth), 0);
    EXPECT_EQ(KAM_DeleteAntenna(space), 0);
}

// An antenna deleted from inside its gain slot during an array call: every
// element is computed on its record, and the handle is dead afterwards.
TEST_F(Arrays, AntennaDeletedInsideASlot) {
    const KAM_LibraryId lib = Load();
    KAM_AntennaId id = 0;
    ASSERT_EQ(KAM_CreateEarthAntenna(lib, "A_EARTH", 30, 2, 1e4, 0.5, NoStruct(), &id), 0);
    int deleted = 1;
    Earth().slots[fake::kGain].writeOutputs = true;
    Earth().slots[fake::kGain].output1 = 6;
    Earth().slots[fake::kGain].status = -77;
    Earth().slots[fake::kGain].hook = [&] {
        if (deleted != 1) return;
        deleted = KAM_DeleteAntenna(id);
        Earth().slots[fake::kGain].events = {{-78, "after deletion"}};
    };
    Clear();
    const int n = 600;
    std::vector<double> phi(n, 10.0), gain(n, kSentinel);
    std::vector<KAM_Status> status(n, kSentinelStatus);
    EXPECT_EQ(KAM_AntennaGainArray(id, n, phi.data(), nullptr, gain.data(), nullptr, status.data()),
              -77);
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(Calls("gain").size(), static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(gain[i], 6.0) << i;
        EXPECT_EQ(status[i], -77) << i;
    }
    EXPECT_EQ(Handled(), std::vector<int>{-77});
    // The events after the deletion still carry the antenna's pattern.
    const std::vector<KAM_EventRecord> events = TakeEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].code, -78);
    EXPECT_EQ(std::string(events[0].patternName), "A_EARTH");
    Earth().slots[fake::kGain].hook = nullptr;
    double g = 0, gx = 0;
    EXPECT_EQ(KAM_AntennaGain(id, 10, 2, &g, &gx), KAM_E_UNKNOWN_ANTENNA);
}

}  // namespace

namespace {

// ---- Libraries with an array path -------------------------------------

class ArrayPath : public Arrays {
protected:
    // Every parameter optional, so ordinary values pass cleanly.
    void SetUp() override {
        Arrays::SetUp();
        for (fake::PatternConfig& p : Config(kModule).patterns) SetProperties(p, {O, O, O, O, O, O, O, O});
    }
    static constexpr const char* kModule = "fake_arr_a";
    // The pairs of A_EARTH and A_SPACE, by name and by antenna.
    std::vector<Pair> BothPatterns(KAM_LibraryId lib, std::vector<KAM_AntennaId>& antennas) {
        std::vector<Pair> pairs =
            PairsOf(lib, "A_EARTH", KAM_PATTERN_EARTH, {30, kNoValue, 2, 1e4, 0.5}, antennas);
        const std::vector<Pair> space = PairsOf(lib, "A_SPACE", KAM_PATTERN_SPACE,
                                                {30, 2, kNoValue, kNoValue, kNoValue}, antennas);
        pairs.insert(pairs.end(), space.begin(), space.end());
        return pairs;
    }
    fake::PatternConfig& EarthArr() { return Earth(kModule); }
    fake::PatternConfig& SpaceArr() { return Space(kModule); }
    // Gain of A_EARTH for angles 1..n, validation off unless asked.
    int EarthArray(KAM_LibraryId lib, int n, double* gain, double* gainX, KAM_Status* status) {
        std::vector<double> phi(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) phi[static_cast<std::size_t>(i)] = 1.0 + i % 170;
        return KAM_EarthPatternGainArray(lib, "A_EARTH", 30, 2, 1e4, 0.5, NoStruct(), n,
                                         phi.data(), nullptr, gain, gainX, status);
    }
};

// A library whose array path agrees with its slots: the elements are the
// single calls', and the host asked the array functions, not the slots.
TEST_F(ArrayPath, AgreeingArrayPathMatchesTheSingleCalls) {
    for (fake::PatternConfig& p : Config(kModule).patterns) {
        SetProperties(p, {R, O, O, O, O, O, R, O});
        p.slots[fake::kValidateAll].status = 8;
        p.slots[fake::kValidateAll].events = {{-9, "all"}};
        for (fake::Slot slot : {fake::kGain, fake::kContour}) {
            p.slots[slot].status = 9;
            p.slots[slot].writeOutputs = true;
            p.slots[slot].output1 = 12;
            p.slots[slot].output2 = 190;
            p.slots[slot].events = {{14, "gain"}};
        }
    }
    const KAM_LibraryId lib = Load(kModule);
    std::vector<KAM_AntennaId> antennas;
    const std::vector<Pair> pairs = BothPatterns(lib, antennas);
    UnderEverySwitch([&] {
        for (const Pair& pair : pairs) {
            if (pair.label == "A_EARTH antenna contour") continue;
            Clear();
            ExpectSameAsSingles(pair, IsContour(pair) ? kLevels : kAngles);
            // (With validation on, the contour by name finds GainMax absent.)
            if (!KAM_IfInputParamValidEnabled()) {
                EXPECT_FALSE(Calls(IsContour(pair) ? "contourArray" : "gainArray").empty());
            }
            EXPECT_TRUE(Calls(IsContour(pair) ? "contour" : "gain").empty());
        }
    });
    for (KAM_AntennaId id : antennas) EXPECT_EQ(KAM_DeleteAntenna(id), 0);
}

// Angles the host passes, refused by the library's validateAll array
// function: those elements end with NoValue in their outputs, as the single
// calls do, the others are computed.
TEST_F(ArrayPath, RefusalsOfValidateAllOverQuietAngles) {
    for (fake::PatternConfig& p : Config(kModule).patterns) {
        p.slots[fake::kValidateAll].status = -8;
        p.slots[fake::kValidateAll].events = {{-8, "refused"}};
        p.slots[fake::kGain].writeOutputs = true;
        p.slots[fake::kGain].output1 = 12;
    }
    const KAM_LibraryId lib = Load(kModule);
    std::vector<KAM_AntennaId> antennas;
    const std::vector<Pair> pairs = BothPatterns(lib, antennas);
    KAM_EnableInputParamValid();
    for (const Pair& pair : pairs) {
        if (!IsContour(pair)) ExpectSameAsSingles(pair, kQuietAngles);
    }
    for (KAM_AntennaId id : antennas) EXPECT_EQ(KAM_DeleteAntenna(id), 0);
}

// The host does not hide a library whose array path disagrees with its own
// slots: the array function's values and statuses come through as they are,
// reported like any status.
TEST_F(ArrayPath, DisagreeingArrayPathIsPassedThrough) {
    EarthArr().slots[fake::kGain].writeOutputs = true;
    EarthArr().slots[fake::kGain].output1 = 10;
    EarthArr().slots[fake::kGain].output2 = 20;
    EarthArr().arrays[fake::kGain].outputOffset = 0.5;
    EarthArr().arrays[fake::kGain].status = 3;
    const KAM_LibraryId lib = Load(kModule);
    KAM_DisableInputParamValid();
    double single = 0, singleX = 0;
    EXPECT_EQ(KAM_EarthPatternGain(lib, "A_EARTH", 30, 2, 1e4, 0.5, NoStruct(), 1, 2, &single,
                                   &singleX),
              0);
    Clear();
    const int n = 700;
    std::vector<double> gain(n), gainX(n);
    std::vector<KAM_Status> status(n);
    EXPECT_EQ(EarthArray(lib, n, gain.data(), gainX.data(), status.data()), 3);
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(gain[i], single + 0.5) << i;
        EXPECT_EQ(gainX[i], singleX + 0.5) << i;
        EXPECT_EQ(status[i], 3) << i;
    }
    EXPECT_EQ(Handled(), std::vector<int>{3});
    EXPECT_EQ(Codes(TakeEvents()), std::vector<int>{3});
    EXPECT_TRUE(Calls("gain").empty());
}

// An array function that declines leaves the call to the per-point slots,
// and is not asked again within the call.
TEST_F(ArrayPath, DecliningArrayFunctionFallsBackToTheSlots) {
    for (fake::PatternConfig& p : Config(kModule).patterns) {
        p.arrays[fake::kGain].decline = 5;
        p.arrays[fake::kContour].decline = -5;
        p.arrays[fake::kValidateAll].decline = 1;
        p.arrays[fake::kValidateAll].outputOffset = 99;  // would show if its results were used
        p.slots[fake::kGain].writeOutputs = true;
        p.slots[fake::kGain].output1 = 4;
    }
    const KAM_LibraryId lib = Load(kModule);
    std::vector<KAM_AntennaId> antennas;
    const std::vector<Pair> pairs = BothPatterns(lib, antennas);
    for (const Pair& pair : pairs) {
        if (pair.label == "A_EARTH antenna contour") continue;
        ExpectSameAsSingles(pair, IsContour(pair) ? kLevels : kAngles);
    }
    Clear();
    const int n = 1000;  // four chunks of the host's work
    std::vector<double> gain(n);
    EXPECT_EQ(EarthArray(lib, n, gain.data(), nullptr, nullptr), 0);
    EXPECT_EQ(Calls("gainArray").size(), 1u);
    EXPECT_EQ(Calls("validateAllArray").size(), 1u);
    EXPECT_EQ(Calls("gain").size(), static_cast<std::size_t>(n));
    EXPECT_EQ(Calls("validateAll").size(), static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) EXPECT_EQ(gain[i], 4.0) << i;
    for (KAM_AntennaId id : antennas) EXPECT_EQ(KAM_DeleteAntenna(id), 0);
}

// An array function that queues events for every element: each code once.
TEST_F(ArrayPath, EventsOfAnArrayFunctionAreBounded) {
    EarthArr().slots[fake::kGain].events = {{41, "first"}, {-42, "second"}, {41, "again"}};
    EarthArr().slots[fake::kValidateAll].events = {{43, "validated"}};
    const KAM_LibraryId lib = Load(kModule);
    const int n = 50000;
    std::vector<double> gain(n);
    EXPECT_EQ(EarthArray(lib, n, gain.data(), nullptr, nullptr), 0);
    const std::vector<KAM_EventRecord> events = TakeEvents();
    EXPECT_EQ(Codes(events), (std::vector<int>{43, 41, -42}));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(std::string(events[1].text), "first");
    EXPECT_EQ(std::string(events[1].patternName), "A_EARTH");
    EXPECT_TRUE(Handled().empty());
}

// What registration makes of LIP_GetArrayInfo's answer: a refusal or a
// record that cannot describe slots means no array path, and the library
// registers as it would without one; a slot count beyond the patterns is
// cut to them.
TEST_F(ArrayPath, RegistrationReadsTheArrayInfoWithCare) {
    const struct {
        const char* label;
        std::function<void(fake::ArrayInfoConfig&)> set;
        bool earthArrays;
        bool spaceArrays;
    } cases[] = {
        {"as built", [](fake::ArrayInfoConfig&) {}, true, true},
        {"refused", [](fake::ArrayInfoConfig& c) { c.status = 7; }, false, false},
        {"refused with an error", [](fake::ArrayInfoConfig& c) { c.status = -7; }, false, false},
        {"record too small",
         [](fake::ArrayInfoConfig& c) { c.overrideStructSize = true; c.structSize = 8; }, false,
         false},
        {"negative size",
         [](fake::ArrayInfoConfig& c) { c.overrideStructSize = true; c.structSize = -1; }, false,
         false},
        {"larger record",
         [](fake::ArrayInfoConfig& c) { c.overrideStructSize = true; c.structSize = 4096; }, true,
         true},
        {"negative count",
         [](fake::ArrayInfoConfig& c) { c.overrideSlotCount = true; c.slotCount = -1; }, false,
         false},
        {"no slots", [](fake::ArrayInfoConfig& c) { c.nullSlots = true; }, false, false},
        {"first pattern only",
         [](fake::ArrayInfoConfig& c) { c.overrideSlotCount = true; c.slotCount = 1; }, true,
         false},
        {"count beyond the patterns",
         [](fake::ArrayInfoConfig& c) { c.overrideSlotCount = true; c.slotCount = 9; }, true,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fake::Reset();
        for (fake::PatternConfig& p : Config(kModule).patterns) SetProperties(p, {O, O, O, O, O, O, O, O});
        c.set(Config(kModule).arrayInfo);
        const KAM_LibraryId lib = Load(kModule);
        int patterns = 0;
        EXPECT_EQ(KAM_GetPatternCount(lib, KAM_PATTERN_ANY, &patterns), 0);
        EXPECT_EQ(patterns, 2);
        double phi[2] = {1, 2}, gain[2];
        KAM_Status status[2];
        EXPECT_EQ(EarthArray(lib, 2, gain, nullptr, status), 0);
        EXPECT_EQ(KAM_SpacePatternGainArray(lib, "A_SPACE", 30, 2, NoStruct(), 2, phi, nullptr,
                                            gain, nullptr, status),
                  0);
        std::size_t earthArrays = 0, spaceArrays = 0;
        for (const fake::Call& call : Calls("gainArray")) {
            (call.type == KAM_PATTERN_EARTH ? earthArrays : spaceArrays) += 1;
        }
        EXPECT_EQ(earthArrays, c.earthArrays ? 1u : 0u);
        EXPECT_EQ(spaceArrays, c.spaceArrays ? 1u : 0u);
        EXPECT_EQ(Calls("gain").size(), (c.earthArrays ? 0u : 2u) + (c.spaceArrays ? 0u : 2u));
    }
}

// KAM_ARRAY_WRITES_OUTPUTS: the host hands such a library's array functions
// the outputs as they are. The fake's gain array function writes nothing, so
// the caller's gain shows what the host left there: the caller's own values
// with the flag, 0.0 without it, and 0.0 where the flag lies beyond the
// record's structSize (a library built before flags existed).
TEST_F(ArrayPath, OutputsAreSetFirstUnlessTheLibraryWritesThemAll) {
    const std::int32_t withoutFlags = static_cast<std::int32_t>(offsetof(KAM_ArrayInfo, flags));
    const struct {
        const char* label;
        std::uint32_t flags;
        std::int32_t structSize;  // 0: as built
        bool setFirst;
    } cases[] = {
        {"flag", KAM_ARRAY_WRITES_OUTPUTS, 0, false},
        {"no flag", 0, 0, true},
        {"flag beyond the record", KAM_ARRAY_WRITES_OUTPUTS, withoutFlags, true},
        {"other bits only", ~KAM_ARRAY_WRITES_OUTPUTS, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fake::Reset();
        for (fake::PatternConfig& p : Config(kModule).patterns)
            SetProperties(p, {O, O, O, O, O, O, O, O});
        Config(kModule).arrayInfo.flags = c.flags;
        Config(kModule).arrayInfo.overrideStructSize = c.structSize != 0;
        Config(kModule).arrayInfo.structSize = c.structSize;
        const KAM_LibraryId lib = Load(kModule);
        const int n = 600;  // more than one chunk
        for (bool validate : {false, true}) {
            validate ? KAM_EnableInputParamValid() : KAM_DisableInputParamValid();
            std::vector<double> gain(n, 42.0), gainX(n, 43.0);
            EXPECT_EQ(EarthArray(lib, n, gain.data(), gainX.data(), nullptr), 0);
            EXPECT_EQ(Calls("gain").size(), 0u);
            for (int i = 0; i < n; i += 97) {
                EXPECT_EQ(gain[i], c.setFirst ? 0.0 : 42.0) << i;
                EXPECT_EQ(gainX[i], c.setFirst ? 0.0 : 43.0) << i;
            }
        }
    }
}

}  // namespace
