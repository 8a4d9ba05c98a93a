// A process in which nothing has initialised the library: the validation and
// contour exports must refuse with -2001, report nothing and leave the
// library uninitialised; after KAM_IfInited the same calls work.
#include <gtest/gtest.h>

#include <vector>

#include "core/state.h"
#include "kam/kam.h"

namespace {

std::vector<int> g_handled;
int KAM_CALL Recording(KAM_Status code) {
    g_handled.push_back(code);
    return 0;
}

// The six exports that never initialise, each with arguments that would fail
// their first check (LibraryId or AntennaId 0) and with plausible ones.
std::vector<int> CallAll(KAM_LibraryId library, KAM_AntennaId antenna, bool outputsUntouched) {
    double out1 = 1.5, out2 = 2.5;
    std::vector<int> results = {
        KAM_PartialValidateEarth(library, "A_EARTH", 30, 1, 1e4, 0.5, KAM_NOVALUE_STRUCT),
        KAM_PartialValidateSpace(library, "A_SPACE", 30, 2, KAM_NOVALUE_STRUCT),
        KAM_ValidateEarthAntenna(library, "A_EARTH", 30, 1, 1e4, 0.5, KAM_NOVALUE_STRUCT, 10, 2),
        KAM_ValidateSpaceAntenna(library, "A_SPACE", 30, 2, KAM_NOVALUE_STRUCT, 10, 2),
        KAM_SpacePatternContour(library, "A_SPACE", -3, 2, KAM_NOVALUE_STRUCT, 2, &out1, &out2),
        KAM_AntennaContour(antenna, -3, 2, &out1, &out2),
    };
    // A call refused before its argument checks leaves the outputs alone.
    if (outputsUntouched) {
        EXPECT_EQ(out1, 1.5);
        EXPECT_EQ(out2, 2.5);
    }
    return results;
}

TEST(BeforeInitialisation, ValidationAndContourExportsRefuseWithoutReporting) {
    ASSERT_EQ(kam::g_state.initialised, 0) << "something initialised the library first";
    // Set directly: setting it through the export would initialise.
    kam::g_state.eventHandler = &Recording;
    const std::vector<int> refused(6, KAM_E_NOT_INITIALISED);
    EXPECT_EQ(CallAll(KAM_ALL_LIBRARIES, 12345, true), refused);
    EXPECT_EQ(CallAll(KAM_NO_LIBRARY, KAM_NO_ANTENNA, true), refused);
    EXPECT_EQ(kam::g_state.initialised, 0);
    EXPECT_EQ(kam::g_state.eventQueue, nullptr);
    EXPECT_TRUE(g_handled.empty());

    // Once initialised, the same calls run: no pattern of these names exists
    // (-2005), and the unknown antenna is -2006 for the contour.
    ASSERT_EQ(KAM_IfInited(), 1);
    g_handled.clear();
    const std::vector<int> expected = {KAM_E_PATTERN_NOT_FOUND, KAM_E_PATTERN_NOT_FOUND,
                                       KAM_E_PATTERN_NOT_FOUND, KAM_E_PATTERN_NOT_FOUND,
                                       KAM_E_PATTERN_NOT_FOUND, KAM_E_PATTERN_TYPE};
    EXPECT_EQ(CallAll(KAM_ALL_LIBRARIES, 12345, false), expected);
    EXPECT_EQ(g_handled, expected);
    kam::g_state.eventHandler = nullptr;
}

}  // namespace
