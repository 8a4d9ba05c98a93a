// A process in which nothing has called the library yet: the getters, the
// sentinels, KAM_Init and KAM_Terminate answer from the initial values and
// leave it uninitialised; KAM_IfInited then initialises it.
#include <gtest/gtest.h>

#include "core/state.h"
#include "kam/kam.h"

namespace {

TEST(Fresh, GettersLeaveTheLibraryUninitialisedAndIfInitedInitialises) {
    ASSERT_EQ(kam::g_state.initialised, 0);
    EXPECT_EQ(KAM_IfInputParamValidEnabled(), 1);
    EXPECT_EQ(KAM_IfGainValidEnabled(), 1);
    EXPECT_EQ(KAM_IfContourValidEnabled(), 1);
    EXPECT_EQ(KAM_IfEventLogEnabled(), 1);
    EXPECT_EQ(KAM_GetEventHandler(), nullptr);
    EXPECT_EQ(KAM_NoValueDouble(), 1.7976931348623157e308);
    EXPECT_EQ(KAM_NoValueStruct(), reinterpret_cast<void*>(1));
    EXPECT_EQ(KAM_Init(), 0);
    EXPECT_EQ(KAM_Terminate(), 0);
    EXPECT_EQ(kam::g_state.initialised, 0);
    EXPECT_EQ(kam::g_state.root, nullptr);

    EXPECT_EQ(KAM_IfInited(), 1);
    EXPECT_EQ(kam::g_state.initialised, 1);
    EXPECT_NE(kam::g_state.root, nullptr);
    EXPECT_EQ(KAM_NoValueDouble(), 1.7976931348623157e308);
    EXPECT_EQ(KAM_NoValueStruct(), reinterpret_cast<void*>(1));
}

}  // namespace
