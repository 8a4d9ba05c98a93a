// The standard library's array path against its per-point slots. For every
// pattern of the catalogue each array function (gain, validateAll, contour)
// is called over sweeps of awkward angles (levels) and compared, element by
// element, with the slot called once per element as the host calls it:
// statuses equal and values byte for byte equal (both paths run the same
// arithmetic), and the events of the array call equal to the first event of
// each code the per-point calls queue, in the same order.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "std/std_harness.h"
#include "support/agreement.h"

namespace {

using namespace stdtest;  // kNoValue, kNaN, kInf, Events, Library, SlotTest
using testsupport::AgreesWithSlot;
using testsupport::SameBits;

constexpr double kDenormal = 4.9406564584124654e-324;

// Angles over every segment of every pattern and the inputs no pattern
// computes with (NaN, infinities, NoValue) or folds with care (negative,
// beyond 360, huge, denormal).
const std::vector<double> kAngles = {
    0.0,   kDenormal, 1e-310, 0.2,    0.5,   0.9,    1.0,    1.3,    2.0,    2.5,    4.0,
    7.0,   9.0,       10.0,   15.0,   20.0,  26.3,   33.0,   36.0,   47.9,   48.0,   60.0,
    70.0,  80.0,      89.9,   90.0,   95.0,  120.0,  150.0,  179.9,  180.0,  181.0,  270.0,
    359.0, 360.0,     361.0,  725.5,  -0.0,  -0.5,   -10.0,  -180.0, -400.0, 1e15,   1e300,
    -1e300, -kDenormal, kNaN, kInf,   -kInf, kNoValue,
};

// Phi0 per element when the caller passes one: the usual beamwidths, and
// what the patterns refuse (0, negative, not finite, absent).
const std::vector<double> kPhi0s = {2.0, 1.0, 0.3, 2.5, 10.0, 0.0, -1.0, kNaN, kInf, kNoValue};

// Contour levels: 0 (boresight), the segments' levels, the floors, below
// them, above 0, and the inputs no contour computes with.
const std::vector<double> kLevels = {
    0.0,    -0.0,   -kDenormal, -1e-310, -0.5,  -1.0,   -3.0,   -6.0,  -10.0,  -15.0,
    -20.0,  -25.0,  -25.23,     -30.0,   -40.0, -50.0,  -60.0,  -65.0, -80.0,  -99.0,
    -100.0, -100.5, -150.0,     -1e300,  0.5,   3.0,    kDenormal, kNaN, kInf,  -kInf,
    kNoValue,
};

// The scalar inputs of one call.
struct Scalars {
    double gainMax, diameter, frequency, efficiency, beamlet;
    std::string label;
};

// Earth: a few antennas the earth patterns compute with, then each input of
// the first replaced in turn by what they refuse.
std::vector<Scalars> EarthScalars() {
    std::vector<Scalars> sets = {
        {45.0, 2.0, 12000.0, kNoValue, kNoValue, "2 m at 12 GHz"},
        {51.4, 25.0, 1420.0, 1.0, kNoValue, "25 m at 1420 MHz"},
        {30.0, kNoValue, 12000.0, 0.65, kNoValue, "no diameter"},
        {45.0, 2.0, kNoValue, 0.7, kNoValue, "no frequency"},
        {20.0, 0.3, 600.0, 0.5, kNoValue, "small at 600 MHz"},
        {60.0, 10.0, 30000.0, 0.8, kNoValue, "10 m at 30 GHz"},
    };
    const double refused[] = {kNoValue, kNaN, kInf, 0.0, -5.0};
    const Scalars base = sets[1];
    for (int input = 0; input < 4; ++input)
        for (double x : refused) {
            Scalars s = base;
            double* fields[] = {&s.gainMax, &s.diameter, &s.frequency, &s.efficiency};
            *fields[input] = x;
            std::ostringstream label;
            label << "input " << input << " = " << x;
            s.label = label.str();
            sets.push_back(s);
        }
    return sets;
}

std::vector<Scalars> SpaceScalars() {
    std::vector<Scalars> sets;
    for (double gainMax : {40.0, 15.0, 0.0, kNoValue, kNaN, -kInf})
        for (double beamlet : {kNoValue, 0.6, 3.0, 0.0, -1.0, kNaN}) {
            std::ostringstream label;
            label << "GainMax " << gainMax << ", Beamlet " << beamlet;
            sets.push_back({gainMax, kNoValue, kNoValue, kNoValue, beamlet, label.str()});
        }
    return sets;
}

// The specific structures to call a pattern with: the NoValue structure,
// and for a pattern with fields the defaults, values inside the ranges
// other than the defaults, one field beyond its range, one NaN field.
struct Structure {
    std::vector<double> fields;  // empty: the NoValue structure
    std::string label;
};

std::vector<Structure> Structures(const KAM_LibraryInfo& lib, const KAM_PatternInfo& p) {
    std::vector<Structure> out = {{{}, "NoValue structure"}};
    std::vector<KAM_ElementDescription> elements;
    for (int i = 0; i < lib.specificParDefCount; ++i)
        if (p.specificStructId > 0 && lib.specificParDefs[i].structId == p.specificStructId) {
            KAM_ElementDescription e;
            std::memcpy(&e, lib.specificParDefs[i].description, sizeof e);
            elements.push_back(e);
        }
    if (elements.empty()) return out;
    Structure defaults{{}, "defaults"};
    Structure inside{{}, "inside the ranges"};
    for (const KAM_ElementDescription& e : elements) {
        defaults.fields.push_back(e.defaultValue);
        // A third of the way up the range, whole where the range and the
        // default are (nbar must be whole).
        const double v = e.lowest + (e.highest - e.lowest) / 3.0;
        const bool whole = e.lowest == std::floor(e.lowest) && e.highest == std::floor(e.highest) &&
                           e.defaultValue == std::floor(e.defaultValue);
        inside.fields.push_back(whole ? std::round(v) : v);
    }
    out.push_back(defaults);
    out.push_back(inside);
    Structure beyond = defaults;
    beyond.fields.back() = elements.back().highest + 1.0;
    beyond.label = "last field beyond its range";
    out.push_back(beyond);
    Structure nan = defaults;
    nan.fields.front() = kNaN;
    nan.label = "first field NaN";
    out.push_back(nan);
    return out;
}

// The events of a run, reduced as the host keeps them: the first of each code.
std::vector<CapturedEvent> FirstOfEachCode(const std::vector<CapturedEvent>& events) {
    std::vector<CapturedEvent> kept;
    for (const CapturedEvent& e : events) {
        bool seen = false;
        for (const CapturedEvent& k : kept) seen |= k.code == e.code;
        if (!seen) kept.push_back(e);
    }
    return kept;
}

void ExpectSameEvents(const std::vector<CapturedEvent>& array,
                      const std::vector<CapturedEvent>& slots) {
    ASSERT_EQ(array.size(), slots.size()) << "events of the array call";
    for (std::size_t i = 0; i < array.size(); ++i) {
        EXPECT_EQ(array[i].code, slots[i].code) << "event " << i;
        EXPECT_EQ(array[i].text, slots[i].text) << "event " << i;
    }
}


// What one run of a pattern's slot over many elements gives.
struct Run {
    std::vector<KAM_Status> status;
    std::vector<double> value, valueX;
    std::vector<CapturedEvent> events;
    KAM_Status result = 0;
};

void ExpectSameRun(const Run& array, const Run& slots, const char* what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(array.result, 0) << "the standard library never declines";
    for (std::size_t i = 0; i < slots.status.size(); ++i) {
        EXPECT_EQ(array.status[i], slots.status[i]) << "element " << i;
        if (!slots.value.empty()) {
            EXPECT_TRUE(AgreesWithSlot(array.value[i], slots.value[i]))
                << "element " << i << ": " << array.value[i] << " vs " << slots.value[i];
            EXPECT_TRUE(AgreesWithSlot(array.valueX[i], slots.valueX[i]))
                << "element " << i << ": " << array.valueX[i] << " vs " << slots.valueX[i];
        }
    }
    ExpectSameEvents(array.events, FirstOfEachCode(slots.events));
}

class ArrayPath : public SlotTest {
protected:
    static const KAM_PatternArraySlots* Slots() {
        static KAM_ArrayInfo info;
        std::memset(&info, 0, sizeof info);
        EXPECT_EQ(LIP_GetArrayInfo(&info), 0);
        return info.slots;
    }
};

// One call's scalar inputs as the host copies them, for a slot to read.
struct Copies {
    double gainMax, diameter, frequency, efficiency, beamlet;
    std::vector<double> fields;
    explicit Copies(const Scalars& s, const Structure& st)
        : gainMax(s.gainMax), diameter(s.diameter), frequency(s.frequency),
          efficiency(s.efficiency), beamlet(s.beamlet), fields(st.fields) {}
    void* specific() { return Specific(fields); }
};

// The gain (and validateAll) of one pattern over kAngles, with and without
// Phi0, through the array functions and through the slots.
void CompareGain(const KAM_PatternInfo& p, const KAM_PatternArraySlots& a, const Scalars& scalars,
                 const Structure& st, int gainValid) {
    const bool earth = p.type == KAM_PATTERN_EARTH;
    const int n = static_cast<int>(kAngles.size());
    std::vector<double> phi0(n);
    for (int i = 0; i < n; ++i) phi0[i] = kPhi0s[i % kPhi0s.size()];
    const double* const phi0Choices[] = {nullptr, phi0.data()};
    for (const double* phi0s : phi0Choices) {
        SCOPED_TRACE(phi0s == nullptr ? "Phi0 array null" : "Phi0 per element");
        Run slots, array;
        slots.status.resize(n);
        slots.value.resize(n);
        slots.valueX.resize(n);
        Library(gainValid);
        for (int i = 0; i < n; ++i) {
            Copies c(scalars, st);
            double x = kAngles[i], x0 = phi0s != nullptr ? phi0s[i] : kNoValue;
            double g = 0.0, gx = 0.0;
            slots.status[i] = earth ? p.gain.earth(&c.gainMax, &c.diameter, &c.frequency,
                                                   &c.efficiency, c.specific(), &x, &x0, &g, &gx)
                                    : p.gain.space(&c.gainMax, &c.beamlet, c.specific(), &x, &x0,
                                                   &g, &gx);
            slots.value[i] = g;
            slots.valueX[i] = gx;
        }
        slots.events = Events();

        array.status.assign(n, 12345);
        array.value.assign(n, -1.0);
        array.valueX.assign(n, -1.0);
        Library(gainValid);
        {
            Copies c(scalars, st);
            array.result =
                earth ? a.gain.earth(&c.gainMax, &c.diameter, &c.frequency, &c.efficiency,
                                     c.specific(), n, kAngles.data(), phi0s, array.value.data(),
                                     array.valueX.data(), array.status.data())
                      : a.gain.space(&c.gainMax, &c.beamlet, c.specific(), n, kAngles.data(),
                                     phi0s, array.value.data(), array.valueX.data(),
                                     array.status.data());
        }
        array.events = Events();
        ExpectSameRun(array, slots, "gain");

        const bool hasValidateAll = earth ? p.validateAll.earth != nullptr
                                          : p.validateAll.space != nullptr;
        if (!hasValidateAll) continue;
        Run vslots, varray;
        vslots.status.resize(n);
        Library(gainValid);
        for (int i = 0; i < n; ++i) {
            Copies c(scalars, st);
            double x = kAngles[i], x0 = phi0s != nullptr ? phi0s[i] : kNoValue;
            vslots.status[i] =
                earth ? p.validateAll.earth(&c.gainMax, &c.diameter, &c.frequency, &c.efficiency,
                                            c.specific(), &x, &x0)
                      : p.validateAll.space(&c.gainMax, &c.beamlet, c.specific(), &x, &x0);
        }
        vslots.events = Events();
        varray.status.assign(n, 12345);
        Library(gainValid);
        {
            Copies c(scalars, st);
            varray.result =
                earth ? a.validateAll.earth(&c.gainMax, &c.diameter, &c.frequency, &c.efficiency,
                                            c.specific(), n, kAngles.data(), phi0s,
                                            varray.status.data())
                      : a.validateAll.space(&c.gainMax, &c.beamlet, c.specific(), n,
                                            kAngles.data(), phi0s, varray.status.data());
        }
        varray.events = Events();
        ExpectSameRun(varray, vslots, "validateAll");
    }
}

// The contour of one space pattern over kLevels, with and without Phi0.
void CompareContour(const KAM_PatternInfo& p, const KAM_PatternArraySlots& a,
                    const Scalars& scalars, const Structure& st, int gainValid) {
    const int n = static_cast<int>(kLevels.size());
    std::vector<double> phi0(n);
    for (int i = 0; i < n; ++i) phi0[i] = kPhi0s[(i * 3) % kPhi0s.size()];
    const double* const phi0Choices[] = {nullptr, phi0.data()};
    for (const double* phi0s : phi0Choices) {
        SCOPED_TRACE(phi0s == nullptr ? "Phi0 array null" : "Phi0 per element");
        Run slots, array;
        slots.status.resize(n);
        slots.value.resize(n);
        slots.valueX.resize(n);
        Library(gainValid);
        for (int i = 0; i < n; ++i) {
            Copies c(scalars, st);
            double level = kLevels[i], x0 = phi0s != nullptr ? phi0s[i] : kNoValue;
            double out = kNoValue, outX = kNoValue;
            slots.status[i] = p.contour.space(&level, &c.beamlet, c.specific(), &x0, &out, &outX);
            slots.value[i] = out;
            slots.valueX[i] = outX;
        }
        slots.events = Events();
        array.status.assign(n, 12345);
        array.value.assign(n, -1.0);
        array.valueX.assign(n, -1.0);
        Library(gainValid);
        {
            Copies c(scalars, st);
            array.result = a.contour.space(&c.beamlet, c.specific(), n, kLevels.data(), phi0s,
                                           array.value.data(), array.valueX.data(),
                                           array.status.data());
        }
        array.events = Events();
        ExpectSameRun(array, slots, "contour");
    }
}

// The record: one entry per pattern, in catalogue order, and an array
// function wherever the pattern has the matching slot.
TEST_F(ArrayPath, RecordCoversTheCatalogue) {
    const KAM_LibraryInfo& lib = Library();
    KAM_ArrayInfo info;
    std::memset(&info, 0, sizeof info);
    ASSERT_EQ(LIP_GetArrayInfo(&info), 0);
    EXPECT_EQ(info.structSize, static_cast<int32_t>(sizeof(KAM_ArrayInfo)));
    ASSERT_EQ(info.slotCount, lib.patternCount);
    // The sweeps above start every output at -1.0: what the flag's promise
    // (every element written) has to survive.
    EXPECT_NE(info.flags & KAM_ARRAY_WRITES_OUTPUTS, 0u);
    ASSERT_NE(info.slots, nullptr);
    EXPECT_EQ(LIP_GetArrayInfo(nullptr), 0);
    for (int i = 0; i < lib.patternCount; ++i) {
        const KAM_PatternInfo& p = lib.patterns[i];
        const KAM_PatternArraySlots& a = info.slots[i];
        SCOPED_TRACE(p.name);
        if (p.type == KAM_PATTERN_EARTH) {
            EXPECT_NE(a.gain.earth, nullptr);
            EXPECT_EQ(a.validateAll.earth != nullptr, p.validateAll.earth != nullptr);
            EXPECT_EQ(a.contour.space, nullptr);
        } else {
            EXPECT_NE(a.gain.space, nullptr);
            EXPECT_EQ(a.validateAll.space != nullptr, p.validateAll.space != nullptr);
            EXPECT_EQ(a.contour.space != nullptr, p.contour.space != nullptr);
        }
    }
}

// Every pattern, every input set, both GainValid settings: the array
// functions give what the slots give.
TEST_F(ArrayPath, EveryPatternMatchesItsSlots) {
    const KAM_LibraryInfo& lib = Library();
    const KAM_PatternArraySlots* arrays = Slots();
    ASSERT_NE(arrays, nullptr);
    const std::vector<Scalars> earth = EarthScalars(), space = SpaceScalars();
    for (int i = 0; i < lib.patternCount; ++i) {
        const KAM_PatternInfo& p = lib.patterns[i];
        SCOPED_TRACE(p.name);
        const bool isEarth = p.type == KAM_PATTERN_EARTH;
        const std::vector<Structure> structures = Structures(lib, p);
        const std::vector<Scalars>& sets = isEarth ? earth : space;
        for (int gainValid : {1, 0}) {
            SCOPED_TRACE(gainValid ? "GainValid on" : "GainValid off");
            for (std::size_t k = 0; k < sets.size(); ++k)
                for (std::size_t j = 0; j < structures.size(); ++j) {
                    // Every structure with the first input set, the other
                    // sets with the NoValue structure and the one inside.
                    if (k > 0 && j > 0 && j != 2) continue;
                    SCOPED_TRACE(sets[k].label + ", " + structures[j].label);
                    CompareGain(p, arrays[i], sets[k], structures[j], gainValid);
                    if (!isEarth) CompareContour(p, arrays[i], sets[k], structures[j], gainValid);
                    if (HasFatalFailure()) return;
                }
        }
    }
}

// Dense sweeps of angles, in order and shuffled, with the odd angle a curve
// does not compute with among them: every element agrees with the slot, and
// an array call gives the same bits however the caller splits the angles
// (an element's result must not depend on its neighbours or on where the
// call starts, wherever the library takes angles several at a time).
TEST_F(ArrayPath, DenseSweepsAgreeWithTheSlotsAndSplitAnywhere) {
    const KAM_LibraryInfo& lib = Library();
    const KAM_PatternArraySlots* arrays = Slots();
    std::vector<double> sorted;
    for (double x = -400.0; x <= 400.0; x += 0.031) sorted.push_back(x);
    // The edges the curves test against, and their neighbours.
    for (double edge : {1.0, 2.0, 10.0, 20.0, 26.3, 33.1, 34.1, 48.0, 80.0, 120.0, 180.0, 360.0})
        for (double x : {std::nextafter(edge, 0.0), edge, std::nextafter(edge, 1e3)})
            sorted.push_back(x);
    std::vector<double> shuffled = sorted;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(20261209));
    for (std::size_t i = 0; i < shuffled.size(); i += 97) shuffled[i] = i % 2 ? kNaN : 1e6;
    const int n = static_cast<int>(sorted.size());
    const std::vector<Scalars> sets = EarthScalars();
    for (int k = 0; k < lib.patternCount; ++k) {
        const KAM_PatternInfo& p = lib.patterns[k];
        if (p.type != KAM_PATTERN_EARTH) continue;
        SCOPED_TRACE(p.name);
        for (std::size_t set = 0; set < 6; ++set)
            for (const std::vector<double>* angles : {&sorted, &shuffled}) {
                SCOPED_TRACE(sets[set].label + (angles == &sorted ? ", in order" : ", shuffled"));
                const auto call = [&](int from, int count, double* gain, double* gainX,
                                      KAM_Status* status) {
                    Copies c(sets[set], Structure{});
                    return arrays[k].gain.earth(&c.gainMax, &c.diameter, &c.frequency,
                                                &c.efficiency, c.specific(), count,
                                                angles->data() + from, nullptr, gain, gainX,
                                                status);
                };
                Library(1);
                std::vector<double> gain(n, -1.0), gainX(n, -1.0);
                std::vector<KAM_Status> status(n, 12345);
                ASSERT_EQ(call(0, n, gain.data(), gainX.data(), status.data()), 0);
                for (int i = 0; i < n; i += 7) {
                    Copies c(sets[set], Structure{});
                    double x = (*angles)[i], x0 = kNoValue, g = 0.0, gx = 0.0;
                    const KAM_Status s = p.gain.earth(&c.gainMax, &c.diameter, &c.frequency,
                                                      &c.efficiency, c.specific(), &x, &x0, &g,
                                                      &gx);
                    ASSERT_EQ(status[i], s) << "angle " << (*angles)[i];
                    ASSERT_TRUE(AgreesWithSlot(gain[i], g))
                        << "angle " << (*angles)[i] << ": " << gain[i] << " vs " << g;
                    ASSERT_TRUE(SameBits(gainX[i], gx)) << "angle " << (*angles)[i];
                }
                for (int split : {1, 2, 3, 5}) {
                    std::vector<double> g2(n, -1.0), gx2(n, -1.0);
                    std::vector<KAM_Status> s2(n, 12345);
                    call(0, split, g2.data(), gx2.data(), s2.data());
                    call(split, n - split, g2.data() + split, gx2.data() + split,
                         s2.data() + split);
                    for (int i = 0; i < n; ++i) {
                        ASSERT_EQ(s2[i], status[i]) << "split " << split << ", element " << i;
                        ASSERT_TRUE(SameBits(g2[i], gain[i]))
                            << "split " << split << ", angle " << (*angles)[i];
                        ASSERT_TRUE(SameBits(gx2[i], gainX[i])) << "split " << split;
                    }
                }
            }
    }
}

// count 0 writes nothing and queues nothing, even where the scalars fail.
TEST_F(ArrayPath, EmptyCallDoesNothing) {
    const KAM_LibraryInfo& lib = Library();
    const KAM_PatternArraySlots* arrays = Slots();
    double gainMax = kNaN, diameter = kNoValue, frequency = kNoValue, efficiency = kNoValue,
           beamlet = kNaN;
    double phi = 1.0, out = -1.0, outX = -1.0;
    KAM_Status status = 12345;
    for (int i = 0; i < lib.patternCount; ++i) {
        const KAM_PatternInfo& p = lib.patterns[i];
        const KAM_PatternArraySlots& a = arrays[i];
        SCOPED_TRACE(p.name);
        Library(1);
        std::vector<double> fields;
        if (p.type == KAM_PATTERN_EARTH) {
            EXPECT_EQ(a.gain.earth(&gainMax, &diameter, &frequency, &efficiency,
                                   Specific(fields), 0, &phi, nullptr, &out, &outX, &status),
                      0);
            if (a.validateAll.earth != nullptr) {
                EXPECT_EQ(a.validateAll.earth(&gainMax, &diameter, &frequency, &efficiency,
                                              Specific(fields), 0, &phi, nullptr, &status),
                          0);
            }
        } else {
            EXPECT_EQ(a.gain.space(&gainMax, &beamlet, Specific(fields), 0, &phi, nullptr, &out,
                                   &outX, &status),
                      0);
            if (a.validateAll.space != nullptr) {
                EXPECT_EQ(a.validateAll.space(&gainMax, &beamlet, Specific(fields), 0, &phi,
                                              nullptr, &status),
                          0);
            }
            if (a.contour.space != nullptr) {
                EXPECT_EQ(a.contour.space(&beamlet, Specific(fields), 0, &phi, nullptr, &out,
                                          &outX, &status),
                          0);
            }
        }
        EXPECT_EQ(out, -1.0);
        EXPECT_EQ(outX, -1.0);
        EXPECT_EQ(status, 12345);
        EXPECT_TRUE(Events().empty());
    }
}

// A thousand failing elements queue one event per code, the first element's,
// whichever check refuses them; the elements that compute are unaffected.
TEST_F(ArrayPath, FailingElementsQueueOneEventPerCode) {
    const KAM_PatternInfo& p = P("FSREF_001_V1");
    const KAM_PatternArraySlots& a = Slots()[0];
    constexpr int kCount = 1000;
    std::vector<double> phi(kCount);
    for (int i = 0; i < kCount; ++i) phi[i] = i % 3 == 0 ? 5.0 : (i % 3 == 1 ? kNaN : kNoValue);
    std::vector<double> gain(kCount), gainX(kCount);
    std::vector<KAM_Status> status(kCount);
    double gainMax = 45.0, diameter = 2.0, frequency = 12000.0, efficiency = kNoValue;
    Library(1);
    ASSERT_EQ(a.gain.earth(&gainMax, &diameter, &frequency, &efficiency, KAM_NOVALUE_STRUCT,
                           kCount, phi.data(), nullptr, gain.data(), gainX.data(), status.data()),
              0);
    const std::vector<CapturedEvent> events = Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].code, -6011);
    EXPECT_NE(events[0].text.find("nan"), std::string::npos) << events[0].text;
    EXPECT_EQ(events[1].code, -6001);
    for (int i = 0; i < kCount; ++i) {
        EXPECT_EQ(status[i], i % 3 == 0 ? 0 : (i % 3 == 1 ? -6011 : -6001)) << i;
        if (i % 3 != 0) {
            EXPECT_EQ(gain[i], kNoValue) << i;
        }
    }
    // The elements that compute give the slot's value.
    double x = 5.0, x0 = kNoValue, g = 0.0, gx = 0.0;
    ASSERT_EQ(p.gain.earth(&gainMax, &diameter, &frequency, &efficiency, KAM_NOVALUE_STRUCT, &x,
                           &x0, &g, &gx),
              0);
    EXPECT_TRUE(AgreesWithSlot(gain[0], g));
    EXPECT_TRUE(SameBits(gainX[0], gx));
}

// A check that does not depend on the angle but comes after the angle's own
// queues its event where the per-point calls do: after the angle's event
// when the first element's angle is bad, and never when no angle is good.
TEST_F(ArrayPath, LaterChecksQueueInElementOrder) {
    const KAM_LibraryInfo& lib = Library();
    int index = -1;
    for (int i = 0; i < lib.patternCount; ++i)
        if (std::strcmp(lib.patterns[i].name, "HEMIS_029_V1") == 0) index = i;
    ASSERT_GE(index, 0);
    const KAM_PatternArraySlots& a = Slots()[index];
    // lower = 5 lies beyond its range [-100, 0]: -6005 once Phi has passed.
    std::vector<double> fields = {90.0, 5.0};
    double gainMax = 10.0, none = kNoValue;
    for (const std::vector<double>& phi :
         {std::vector<double>{kNaN, 1.0, 2.0}, std::vector<double>{kNaN, kNaN}}) {
        std::vector<double> gain(phi.size()), gainX(phi.size());
        std::vector<KAM_Status> status(phi.size());
        Library(1);
        ASSERT_EQ(a.gain.earth(&gainMax, &none, &none, &none, fields.data(),
                               static_cast<int32_t>(phi.size()), phi.data(), nullptr, gain.data(),
                               gainX.data(), status.data()),
                  0);
        const std::vector<CapturedEvent> events = Events();
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events[0].code, -6011);
        EXPECT_EQ(status[0], -6011);
        if (phi.size() == 3) {
            ASSERT_EQ(events.size(), 2u);
            EXPECT_EQ(events[1].code, -6005);
            EXPECT_EQ(status[1], -6005);
            EXPECT_EQ(status[2], -6005);
        } else {
            EXPECT_EQ(events.size(), 1u);
        }
    }
}

}  // namespace
