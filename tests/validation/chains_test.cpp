// The validation chains on a pattern record built here, with in-process
// validators that log their calls: the order of the steps, the status
// combination, skipped steps, and the pointers each validator receives.
#include <cfloat>
#include <cmath>
#include <iterator>
#include <limits>
#include <random>
#include <cstring>
#include <string>
#include <vector>

#include "validation/validation.h"
#include "validation_fixture.h"

namespace {

using valtest::TakeAll;
using valtest::ValidationTest;

struct SlotCall {
    std::string what;
    std::vector<const void*> args;  // numbers, then Specific
};

struct Validators {
    std::vector<SlotCall> calls;
    std::int32_t inputStatus = 0;
    std::int32_t allStatus = 0;
};
Validators g_validators;

KAM_Status KAM_CALL EarthInput(double* g, double* d, double* f, double* e, void* s) {
    g_validators.calls.push_back({"input", {g, d, f, e, s}});
    return g_validators.inputStatus;
}
KAM_Status KAM_CALL EarthAll(double* g, double* d, double* f, double* e, void* s, double* p,
                             double* p0) {
    g_validators.calls.push_back({"all", {g, d, f, e, p, p0, s}});
    return g_validators.allStatus;
}
KAM_Status KAM_CALL SpaceInput(double* g, double* b, void* s) {
    g_validators.calls.push_back({"input", {g, b, s}});
    return g_validators.inputStatus;
}
KAM_Status KAM_CALL SpaceAll(double* g, double* b, void* s, double* p, double* p0) {
    g_validators.calls.push_back({"all", {g, b, p, p0, s}});
    return g_validators.allStatus;
}

KAM_PatternInfo MakePattern(std::int32_t type, bool withInput = true, bool withAll = true) {
    KAM_PatternInfo info;
    std::memset(&info, 0, sizeof info);
    info.type = type;
    for (std::int32_t& p : info.paramProperties) p = KAM_PROPERTY_OPTIONAL;
    if (type == KAM_PATTERN_EARTH) {
        if (withInput) info.validateInput.earth = &EarthInput;
        if (withAll) info.validateAll.earth = &EarthAll;
    } else {
        if (withInput) info.validateInput.space = &SpaceInput;
        if (withAll) info.validateAll.space = &SpaceAll;
    }
    return info;
}

std::vector<std::string> CallNames() {
    std::vector<std::string> names;
    for (const SlotCall& c : g_validators.calls) names.push_back(c.what);
    return names;
}

class ChainTest : public ValidationTest {
protected:
    void SetUp() override {
        ValidationTest::SetUp();
        g_validators = Validators{};
    }
};

// The library's outcome is set through GainMax (30 fine, 200 soft, 800 hard)
// and Phi0 (2 fine, 20 soft, 0 hard); the validators' through their statuses.
struct ChainCase {
    double gainMax;
    double phi0;
    std::int32_t input;
    std::int32_t all;
    std::int32_t full;                    // result of the full chains
    std::vector<std::string> fullCalls;   // validators the full chains call
    std::int32_t partial;                 // result of the partial chains
    std::vector<std::string> partialCalls;
};

const std::vector<std::string> kNone;
const std::vector<std::string> kInput{"input"};
const std::vector<std::string> kBoth{"input", "all"};

const ChainCase kChainCases[] = {
    {30, 2, 0, 0, 0, kBoth, 0, kInput},
    {200, 2, 0, 0, 5200, kBoth, 5200, kInput},          // a library warning survives 0
    {200, 2, 7, 0, 7, kBoth, 7, kInput},                // a plug-in warning supersedes it
    {200, 2, 7, 8, 8, kBoth, 7, kInput},                // the latest warning wins
    {200, 2, 0, 8, 8, kBoth, 5200, kInput},
    {200, 2, -7, 8, -7, kInput, -7, kInput},            // validateAll not after a failure
    {200, 2, 7, -8, -8, kBoth, 7, kInput},
    {800, 2, 7, 8, -5200, kNone, -5200, kNone},         // no validator after a library error
    {30, 2, 0, -8, -8, kBoth, 0, kInput},
    {30, 20, 0, 0, 5207, kBoth, 0, kInput},             // the angles only in the full chains
    {200, 20, 0, 0, 5207, kBoth, 5200, kInput},
    {200, 20, 7, 0, 7, kBoth, 7, kInput},
    {30, 0, 7, 8, -5207, kNone, 7, kInput},
    {800, 0, 7, 8, -5200, kNone, -5200, kNone},         // antenna parameters before angles
};

TEST_F(ChainTest, CombinationAndOrderOfTheFourChains) {
    for (const ChainCase& c : kChainCases) {
        for (std::int32_t type : {KAM_PATTERN_EARTH, KAM_PATTERN_SPACE}) {
            SCOPED_TRACE(::testing::Message() << "type " << type << " gainMax " << c.gainMax
                                              << " phi0 " << c.phi0 << " input " << c.input
                                              << " all " << c.all);
            const KAM_PatternInfo info = MakePattern(type);
            double gainMax = c.gainMax, second = type == KAM_PATTERN_EARTH ? 1.0 : 2.0,
                   frequency = 1e4, efficiency = 0.5, phi = 10, phi0 = c.phi0;
            void* specific = KAM_NOVALUE_STRUCT;

            g_validators.calls.clear();
            g_validators.inputStatus = c.input;
            g_validators.allStatus = c.all;
            const std::int32_t full =
                type == KAM_PATTERN_EARTH
                    ? kam::FullEarthValidation(info, &gainMax, &second, &frequency, &efficiency,
                                               specific, &phi, &phi0)
                    : kam::FullSpaceValidation(info, &gainMax, &second, specific, &phi, &phi0);
            EXPECT_EQ(full, c.full);
            EXPECT_EQ(CallNames(), c.fullCalls);

            g_validators.calls.clear();
            const std::int32_t partial =
                type == KAM_PATTERN_EARTH
                    ? kam::PartialEarthValidation(info, &gainMax, &second, &frequency,
                                                  &efficiency, specific)
                    : kam::PartialSpaceValidation(info, &gainMax, &second, specific);
            EXPECT_EQ(partial, c.partial);
            EXPECT_EQ(CallNames(), c.partialCalls);
            TakeAll();
        }
    }
}

// Each validator receives the chain's pointers unchanged and in its slot's
// order, and Specific as given, NoValue included.
TEST_F(ChainTest, ValidatorsReceiveTheChainsPointers) {
    double g = 30, d = 1, f = 1e4, e = 0.5, p = 10, p0 = 2;
    char structure[8] = {};
    for (void* specific : {static_cast<void*>(structure), KAM_NOVALUE_STRUCT}) {
        g_validators.calls.clear();
        const KAM_PatternInfo earth = MakePattern(KAM_PATTERN_EARTH);
        ASSERT_EQ(kam::FullEarthValidation(earth, &g, &d, &f, &e, specific, &p, &p0), 0);
        ASSERT_EQ(g_validators.calls.size(), 2u);
        EXPECT_EQ(g_validators.calls[0].args,
                  (std::vector<const void*>{&g, &d, &f, &e, specific}));
        EXPECT_EQ(g_validators.calls[1].args,
                  (std::vector<const void*>{&g, &d, &f, &e, &p, &p0, specific}));

        g_validators.calls.clear();
        const KAM_PatternInfo space = MakePattern(KAM_PATTERN_SPACE);
        ASSERT_EQ(kam::FullSpaceValidation(space, &g, &d, specific, &p, &p0), 0);
        ASSERT_EQ(g_validators.calls.size(), 2u);
        EXPECT_EQ(g_validators.calls[0].args, (std::vector<const void*>{&g, &d, specific}));
        EXPECT_EQ(g_validators.calls[1].args,
                  (std::vector<const void*>{&g, &d, &p, &p0, specific}));
    }
}

TEST_F(ChainTest, EmptySlotsCountAsZero) {
    double g = 200, d = 1, f = 1e4, e = 0.5, p = 10, p0 = 2;
    g_validators.inputStatus = 7;
    g_validators.allStatus = 8;
    const KAM_PatternInfo noInput = MakePattern(KAM_PATTERN_EARTH, false, true);
    EXPECT_EQ(kam::PartialEarthValidation(noInput, &g, &d, &f, &e, KAM_NOVALUE_STRUCT), 5200);
    EXPECT_EQ(kam::FullEarthValidation(noInput, &g, &d, &f, &e, KAM_NOVALUE_STRUCT, &p, &p0), 8);
    EXPECT_EQ(CallNames(), std::vector<std::string>{"all"});
    g_validators.calls.clear();
    const KAM_PatternInfo noAll = MakePattern(KAM_PATTERN_SPACE, true, false);
    EXPECT_EQ(kam::FullSpaceValidation(noAll, &g, &d, KAM_NOVALUE_STRUCT, &p, &p0), 7);
    EXPECT_EQ(CallNames(), std::vector<std::string>{"input"});
    g_validators.calls.clear();
    const KAM_PatternInfo none = MakePattern(KAM_PATTERN_SPACE, false, false);
    EXPECT_EQ(kam::FullSpaceValidation(none, &g, &d, KAM_NOVALUE_STRUCT, &p, &p0), 5200);
    EXPECT_EQ(kam::RunValidateAll(none, &g, &d, KAM_NOVALUE_STRUCT, &p, &p0), 0);
    EXPECT_TRUE(g_validators.calls.empty());
    TakeAll();
}

// The space chains never look at Diameter, Frequency or Efficiency, the earth
// chains never at Beamlet, whatever the pattern's properties say.
TEST_F(ChainTest, EachChainExaminesOnlyItsOwnParameters) {
    KAM_PatternInfo info = MakePattern(KAM_PATTERN_SPACE);
    info.paramProperties[KAM_PARAM_DIAMETER] = KAM_PROPERTY_REQUIRED;
    info.paramProperties[KAM_PARAM_FREQUENCY] = 0;  // would be -3100 if read
    double g = 30, b = 2, p = 10, p0 = 2;
    EXPECT_EQ(kam::FullSpaceValidation(info, &g, &b, KAM_NOVALUE_STRUCT, &p, &p0), 0);

    info = MakePattern(KAM_PATTERN_EARTH);
    info.paramProperties[KAM_PARAM_BEAMLET] = 0;
    double d = 1, f = 1e4, e = 0.5;
    EXPECT_EQ(kam::FullEarthValidation(info, &g, &d, &f, &e, KAM_NOVALUE_STRUCT, &p, &p0), 0);
    // An unknown code on a parameter the chain does examine ends it.
    info.paramProperties[KAM_PARAM_PHI0] = 40;
    EXPECT_EQ(kam::FullEarthValidation(info, &g, &d, &f, &e, KAM_NOVALUE_STRUCT, &p, &p0),
              KAM_E_UNKNOWN_PROPERTY);
    EXPECT_EQ(CallNames(), (std::vector<std::string>{"input", "all", "input", "all"}));
    EXPECT_TRUE(TakeAll().empty());
}

}  // namespace

namespace {

// Values around every bound of the limit table and the special doubles.
std::vector<double> ProbeValues() {
    const double kDenormal = std::numeric_limits<double>::denorm_min();
    std::vector<double> values = {DBL_MAX, -DBL_MAX, std::nan(""), -std::nan(""), INFINITY,
                                  -INFINITY, 0.0, -0.0, kDenormal, -kDenormal, DBL_MIN,
                                  1.0, 10.0, 50.0, 1e300};
    for (const kam::ParameterLimit& row : kam::kParameterLimitTable) {
        for (double bound : {row.hardMin, row.hardMax, row.softMin, row.softMax}) {
            values.push_back(bound);
            values.push_back(std::nextafter(bound, -INFINITY));
            values.push_back(std::nextafter(bound, INFINITY));
        }
    }
    return values;
}

struct Outcome {
    std::int32_t status;
    std::vector<std::string> events;  // code and text
    std::vector<std::string> calls;
    bool operator==(const Outcome&) const = default;
};

std::vector<std::string> EventKeys() {
    std::vector<std::string> keys;
    for (const KAM_EventRecord& e : TakeAll()) keys.push_back(std::to_string(e.code) + e.text);
    return keys;
}

}  // namespace

// The full chains skip the library's checks when every parameter would pass
// them quietly; whatever the values and property codes, the status, the
// queued messages and the validators called are those of running the checks.
TEST_F(ChainTest, SkippingQuietChecksChangesNothing) {
    const std::vector<double> values = ProbeValues();
    const std::int32_t codes[] = {KAM_PROPERTY_REQUIRED, KAM_PROPERTY_OPTIONAL,
                                  KAM_PROPERTY_NOT_REQUIRED, 0, 15, -10, 40, INT32_MIN};
    char structure[8] = {};
    std::mt19937 engine(12345);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(engine() % n); };
    for (int trial = 0; trial < 40000; ++trial) {
        kam::g_state.eventLog = trial % 3 == 0 ? 0 : 1;
        const std::int32_t type = trial % 2 == 0 ? KAM_PATTERN_EARTH : KAM_PATTERN_SPACE;
        KAM_PatternInfo info = MakePattern(type);
        // Mostly the usual codes, so that quiet cases are frequent.
        for (std::int32_t& p : info.paramProperties)
            p = codes[pick(8) < 6 ? pick(3) : pick(std::size(codes))];
        double v[kam::kParamCount];
        for (double& x : v) x = pick(3) == 0 ? values[pick(values.size())] : 1.0;
        void* specific = pick(2) == 0 ? KAM_NOVALUE_STRUCT : static_cast<void*>(structure);
        double* d = v;

        g_validators.calls.clear();
        Outcome reference{0, {}, {}};
        if (!kam::CombineStatus(
                type == KAM_PATTERN_EARTH
                    ? kam::CheckEarthParameters(info.paramProperties, &d[0], &d[2], &d[3], &d[4],
                                                specific)
                    : kam::CheckSpaceParameters(info.paramProperties, &d[0], &d[1], specific),
                reference.status) &&
            !kam::CombineStatus(kam::CheckAngles(info.paramProperties, &d[6], &d[7]),
                                reference.status)) {
            kam::CombineStatus(type == KAM_PATTERN_EARTH
                                   ? kam::RunValidateInput(info, &d[0], &d[2], &d[3], &d[4],
                                                           specific)
                                   : kam::RunValidateInput(info, &d[0], &d[1], specific),
                               reference.status);
            kam::CombineStatus(type == KAM_PATTERN_EARTH
                                   ? kam::RunValidateAll(info, &d[0], &d[2], &d[3], &d[4],
                                                         specific, &d[6], &d[7])
                                   : kam::RunValidateAll(info, &d[0], &d[1], specific, &d[6],
                                                         &d[7]),
                               reference.status);
        }
        reference.events = EventKeys();
        reference.calls = CallNames();

        g_validators.calls.clear();
        Outcome chain{type == KAM_PATTERN_EARTH
                          ? kam::FullEarthValidation(info, &d[0], &d[2], &d[3], &d[4], specific,
                                                     &d[6], &d[7])
                          : kam::FullSpaceValidation(info, &d[0], &d[1], specific, &d[6], &d[7]),
                      {}, {}};
        chain.events = EventKeys();
        chain.calls = CallNames();
        ASSERT_EQ(chain, reference) << "trial " << trial;

        // The antenna gain's shortcut over the angles alone.
        if (kam::AreQuietAngles(info.paramProperties, d[6], d[7])) {
            ASSERT_EQ(kam::CheckAngles(info.paramProperties, &d[6], &d[7]), 0) << "trial " << trial;
            ASSERT_TRUE(TakeAll().empty()) << "trial " << trial;
        }
    }
}
