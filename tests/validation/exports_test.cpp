// The four validation exports as a caller sees them, over fake pattern
// libraries: argument checks, lookup and context, the type check, the chains
// with the plug-in validators, and what reaches the queue and the handler.
#include <functional>
#include <string>
#include <vector>

#include "export_fixture.h"

namespace {

using exptest::Codes;
using exptest::ExportTest;
using exptest::Handled;
using exptest::kNoValue;
using exptest::N;
using exptest::NoStruct;
using exptest::O;
using exptest::R;
using exptest::SetProperties;
using exptest::TakeEvents;

// One validation export with everything but the five arguments the tests vary
// (LibraryId, name, GainMax, the second antenna parameter and Specific) fixed
// to ordinary values.
struct Export {
    const char* name;
    bool earth;
    int specificPosition;
    bool full;  // validates the angles too
    std::function<int(KAM_LibraryId, const char*, double, double, void*)> call;
};

const Export kExports[] = {
    {"KAM_PartialValidateEarth", true, 7, false,
     [](KAM_LibraryId l, const char* n, double g, double d, void* s) {
         return KAM_PartialValidateEarth(l, n, g, d, 1e4, 0.5, s);
     }},
    {"KAM_PartialValidateSpace", false, 5, false,
     [](KAM_LibraryId l, const char* n, double g, double b, void* s) {
         return KAM_PartialValidateSpace(l, n, g, b, s);
     }},
    {"KAM_ValidateEarthAntenna", true, 7, true,
     [](KAM_LibraryId l, const char* n, double g, double d, void* s) {
         return KAM_ValidateEarthAntenna(l, n, g, d, 1e4, 0.5, s, 10, 2);
     }},
    {"KAM_ValidateSpaceAntenna", false, 5, true,
     [](KAM_LibraryId l, const char* n, double g, double b, void* s) {
         return KAM_ValidateSpaceAntenna(l, n, g, b, s, 10, 2);
     }},
};

class ValidationExports : public ExportTest {};

TEST_F(ValidationExports, ArgumentChecksInParameterOrder) {
    const KAM_LibraryId lib = Load();
    for (const Export& e : kExports) {
        SCOPED_TRACE(e.name);
        const char* good = e.earth ? "A_EARTH" : "A_SPACE";
        const int specific = -e.specificPosition;
        const struct {
            KAM_LibraryId library;
            const char* name;
            void* specific;
            int expected;
        } cases[] = {
            {0, nullptr, nullptr, -1},
            {0, good, NoStruct(), -1},
            {lib, nullptr, nullptr, -2},
            {lib, "", NoStruct(), -2},
            {lib, "ABCDEFGHIJKLM", NoStruct(), -2},  // 13 characters
            {lib, good, nullptr, specific},
            {KAM_ALL_LIBRARIES, good, nullptr, specific},
            {lib, "ABCDEFGHIJKL", NoStruct(), KAM_E_PATTERN_NOT_FOUND},  // 12 characters
            {lib, good, NoStruct(), 0},
        };
        for (const auto& c : cases) {
            Clear();
            EXPECT_EQ(e.call(c.library, c.name, 30, 2, c.specific), c.expected);
            EXPECT_EQ(Handled(), c.expected != 0 ? std::vector<int>{c.expected} : std::vector<int>{});
            const std::vector<KAM_EventRecord> events = TakeEvents();
            if (c.expected < 0 && c.expected > -12) {
                ASSERT_EQ(events.size(), 1u);
                EXPECT_EQ(std::string(events[0].text),
                          "Input parameter " + std::to_string(-c.expected) + " is wrong.");
            }
            // No validator runs unless the pattern was found.
            if (c.expected != 0) {
                EXPECT_TRUE(Calls().empty());
            }
        }
    }
}

TEST_F(ValidationExports, PatternOfTheOtherTypeIsAMismatch) {
    const KAM_LibraryId lib = Load();
    for (const Export& e : kExports) {
        SCOPED_TRACE(e.name);
        Clear();
        EXPECT_EQ(e.call(lib, e.earth ? "A_SPACE" : "A_EARTH", 30, 2, NoStruct()),
                  KAM_E_PATTERN_TYPE);
        EXPECT_EQ(Handled(), std::vector<int>{KAM_E_PATTERN_TYPE});
        const std::vector<KAM_EventRecord> events = TakeEvents();
        ASSERT_EQ(events.size(), 1u);
        EXPECT_STREQ(events[0].text, "Pattern type mismatch.");
        EXPECT_TRUE(Calls().empty());
    }
}

// LibraryId -1 finds the newest library's pattern of a name, and events
// carry that library; a miss carries no library; an explicit id is stamped
// before the search.
TEST_F(ValidationExports, LookupAndContext) {
    Earth("fake_a").name = "SHARED";
    Config("fake_a").libraryName = "Older";
    Earth("fake_b").name = "SHARED";
    Config("fake_b").libraryName = "Newer";
    Earth("fake_a").slots[fake::kValidateInput].status = 11;
    Earth("fake_b").slots[fake::kValidateInput].status = 22;
    const KAM_LibraryId older = Load("fake_a");
    Load("fake_b");

    EXPECT_EQ(KAM_PartialValidateEarth(KAM_ALL_LIBRARIES, "SHARED", 30, 2, 1e4, 0.5, NoStruct()),
              22);
    std::vector<KAM_EventRecord> events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_STREQ(events[0].libraryName, "Newer");
    EXPECT_STREQ(events[0].patternName, "SHARED");
    EXPECT_EQ(Calls("validateInput").size(), 1u);
    EXPECT_EQ(Calls("validateInput")[0].module, "fake_b");

    Clear();
    EXPECT_EQ(KAM_PartialValidateEarth(older, "SHARED", 30, 2, 1e4, 0.5, NoStruct()), 11);
    events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_STREQ(events[0].libraryName, "Older");

    Clear();
    EXPECT_EQ(KAM_ValidateSpaceAntenna(KAM_ALL_LIBRARIES, "NOWHERE", 30, 2, NoStruct(), 10, 2),
              KAM_E_PATTERN_NOT_FOUND);
    events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_STREQ(events[0].text, "Pattern not found.");
    EXPECT_STREQ(events[0].libraryName, "");
    EXPECT_STREQ(events[0].patternName, "NOWHERE");

    Clear();
    EXPECT_EQ(KAM_ValidateSpaceAntenna(older, "NOWHERE", 30, 2, NoStruct(), 10, 2),
              KAM_E_PATTERN_NOT_FOUND);
    events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_STREQ(events[0].libraryName, "Older");

    // Names are compared exactly.
    EXPECT_EQ(KAM_PartialValidateEarth(older, "shared", 30, 2, 1e4, 0.5, NoStruct()),
              KAM_E_PATTERN_NOT_FOUND);
    // A number that is not a library.
    for (KAM_LibraryId notALibrary : {KAM_LibraryId{123456789}, KAM_LibraryId{-2}}) {
        Clear();
        EXPECT_EQ(KAM_PartialValidateEarth(notALibrary, "SHARED", 30, 2, 1e4, 0.5, NoStruct()),
                  KAM_E_UNKNOWN_LIBRARY);
        EXPECT_EQ(Handled(), std::vector<int>{KAM_E_UNKNOWN_LIBRARY});
    }
}

// The exports validate whatever InputParamValid says.
TEST_F(ValidationExports, ValidateWithInputValidationOff) {
    SetProperties(Earth(), {R, O, O, O, O, O, O, O});
    const KAM_LibraryId lib = Load();
    KAM_DisableInputParamValid();
    EXPECT_EQ(KAM_PartialValidateEarth(lib, "A_EARTH", kNoValue, 2, 1e4, 0.5, NoStruct()), -5100);
    EXPECT_TRUE(Calls().empty());
    const std::vector<KAM_EventRecord> events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_STREQ(events[0].text, "TL Valid. Required GainMax is not provided.");
    EXPECT_EQ(Handled(), std::vector<int>{-5100});
}

// The chain through the export: a library warning, then the validators.
TEST_F(ValidationExports, LibraryWarningThenValidators) {
    const KAM_LibraryId lib = Load();
    const struct {
        int input;
        int all;
        int partial;
        int full;
    } cases[] = {
        {0, 0, 5202, 5202},
        {7, 0, 7, 7},
        {7, 8, 7, 8},
        {-7, 8, -7, -7},
        {0, -8, 5202, -8},
    };
    for (const auto& c : cases) {
        Earth().slots[fake::kValidateInput].status = c.input;
        Earth().slots[fake::kValidateAll].status = c.all;
        Clear();
        // Diameter 200 lies beyond its soft maximum of 100.
        EXPECT_EQ(KAM_PartialValidateEarth(lib, "A_EARTH", 30, 200, 1e4, 0.5, NoStruct()),
                  c.partial);
        EXPECT_EQ(CallNames(), std::vector<std::string>{"validateInput"});
        Clear();
        EXPECT_EQ(KAM_ValidateEarthAntenna(lib, "A_EARTH", 30, 200, 1e4, 0.5, NoStruct(), 10, 2),
                  c.full);
        EXPECT_EQ(Handled(), std::vector<int>{c.full});
        const std::vector<std::string> called =
            c.input < 0 ? std::vector<std::string>{"validateInput"}
                        : std::vector<std::string>{"validateInput", "validateAll"};
        EXPECT_EQ(CallNames(), called);
    }
}

// A library error ends the chain before any validator; Phi0 0 is checked by
// the full exports only.
TEST_F(ValidationExports, LibraryErrorEndsTheChain) {
    const KAM_LibraryId lib = Load();
    EXPECT_EQ(KAM_ValidateEarthAntenna(lib, "A_EARTH", 30, 2, 1e4, 0.5, NoStruct(), 10, 0), -5207);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(KAM_PartialValidateEarth(lib, "A_EARTH", 30, 2, 1e4, 0.5, NoStruct()), 0);
    EXPECT_EQ(KAM_ValidateSpaceAntenna(lib, "A_SPACE", 800, 2, NoStruct(), 10, 2), -5200);
    EXPECT_EQ(CallNames(), std::vector<std::string>{"validateInput"});
}

// The queue holds, in order: the library's findings, the validators' own
// events, and the message of the final status; the handler gets that status
// once.
TEST_F(ValidationExports, EventsInOrderOfArrival) {
    Earth().slots[fake::kValidateInput].events = {{3, "from validateInput"}};
    Earth().slots[fake::kValidateAll].status = -17;
    Config().libraryName = "Lib17";
    const KAM_LibraryId lib = Load();
    EXPECT_EQ(KAM_ValidateEarthAntenna(lib, "A_EARTH", 30, 200, 1e4, 0.5, NoStruct(), 10, 2), -17);
    const std::vector<KAM_EventRecord> events = TakeEvents();
    EXPECT_EQ(Codes(events), (std::vector<int>{5202, 3, -17}));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_STREQ(events[1].text, "from validateInput");
    EXPECT_STREQ(events[2].text, "");
    for (const KAM_EventRecord& e : events) {
        EXPECT_STREQ(e.libraryName, "Lib17");
        EXPECT_STREQ(e.patternName, "A_EARTH");
    }
    EXPECT_EQ(Handled(), std::vector<int>{-17});

    // A superseded warning reaches the caller only as its message.
    Earth().slots[fake::kValidateAll].status = 0;
    Clear();
    EXPECT_EQ(KAM_ValidateEarthAntenna(lib, "A_EARTH", 30, 200, 1e4, 2, NoStruct(), 10, 2), -5204);
    EXPECT_EQ(Codes(TakeEvents()), (std::vector<int>{5202, -5204}));
    EXPECT_EQ(Handled(), std::vector<int>{-5204});

    // With the log off nothing is queued; the handler still hears the result.
    KAM_DisableEventLog();
    Clear();
    EXPECT_EQ(KAM_ValidateEarthAntenna(lib, "A_EARTH", 30, 200, 1e4, 2, NoStruct(), 10, 2), -5204);
    KAM_EnableEventLog();
    EXPECT_TRUE(TakeEvents().empty());
    EXPECT_EQ(Handled(), std::vector<int>{-5204});
}

// Both validators see the export's copies: what validateInput writes there
// is what validateAll reads. Specific reaches them as given.
TEST_F(ValidationExports, ValidatorsShareTheCallsCopies) {
    const KAM_LibraryId lib = Load();
    Space().slots[fake::kValidateInput].hook = [] {
        const fake::Call& call = fake::Log().back();
        *call.args[0] = 77.0;  // GainMax
    };
    char structure[4] = {};
    double gainMax = 30;
    EXPECT_EQ(KAM_ValidateSpaceAntenna(lib, "A_SPACE", gainMax, 2, structure, 10, 2), 0);
    EXPECT_EQ(gainMax, 30);
    const std::vector<fake::Call> calls = Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].values[0], 77.0);
    EXPECT_EQ(calls[0].args[0], calls[1].args[0]);
    EXPECT_EQ(calls[0].args[1], calls[1].args[1]);
    EXPECT_EQ(calls[0].specific, static_cast<void*>(structure));
    EXPECT_EQ(calls[1].specific, static_cast<void*>(structure));
    EXPECT_EQ(calls[1].values, (std::vector<double>{77.0, 2, 10, 2}));
}

}  // namespace
