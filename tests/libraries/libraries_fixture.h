// Fixture of the library and catalogue tests that drive the exports: resets
// the fakes, records what the EventHandler receives, and restores the
// switches and the handler afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kam/kam.h"
#include "plugins/fake_control.h"
#include "plugins/fake_paths.h"

namespace libtest {

class LibrariesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(KAM_IfInited(), 1);
        KAM_EnableEventLog();
        KAM_EnableGainValid();
        current_ = this;
        KAM_SetUserEventHandler(&Record);
        handled_.clear();
        // Last: the switches above called into the libraries already loaded.
        fake::Reset();
    }

    void TearDown() override {
        KAM_SetNullEventHandler();
        KAM_EnableEventLog();
        KAM_EnableGainValid();
        current_ = nullptr;
        fake::Reset();
    }

    // Registers a fresh copy of a fake (a module never seen before) and
    // expects status 0.
    KAM_LibraryId Add(const std::string& stem) {
        KAM_LibraryId id = KAM_NO_LIBRARY;
        EXPECT_EQ(KAM_AddLibrary(fake::FreshCopy(stem).c_str(), &id), 0) << stem;
        handled_.clear();
        return id;
    }

    static int32_t LibraryCount() {
        int32_t count = -1;
        EXPECT_EQ(KAM_GetLibraryCount(&count), 0);
        return count;
    }

    static int32_t PatternCount(KAM_LibraryId id, int32_t mask) {
        int32_t count = -1;
        EXPECT_EQ(KAM_GetPatternCount(id, mask, &count), 0);
        return count;
    }

    std::vector<KAM_Status> handled_;

private:
    static int KAM_CALL Record(KAM_Status code) {
        if (current_ != nullptr) current_->handled_.push_back(code);
        return 0;
    }
    static inline LibrariesTest* current_ = nullptr;
};

}  // namespace libtest
