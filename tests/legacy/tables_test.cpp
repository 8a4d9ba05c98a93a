// Invariants of the two legacy-name tables, every designation converted, and
// every current name found among the standard library's patterns.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <set>
#include <string>

#include "kam/kam.h"
#include "legacy/legacy_names.h"

namespace {

using kam::legacy::kCurrentNameTable;
using kam::legacy::kLegacyNameTable;

bool AllowedInDesignation(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::strchr(" ()*-.", c) != nullptr;
}

TEST(LegacyTables, LegacyNameTable) {
    EXPECT_EQ(std::size(kLegacyNameTable), 71u);
    std::set<std::string> seen;
    int previous = 0;
    int run = 0;
    for (const auto& row : kLegacyNameTable) {
        SCOPED_TRACE(row.designation);
        EXPECT_EQ(std::strlen(row.designation), 12u);
        EXPECT_NE(row.designation[0], ' ');
        for (int i = 0; i < 12; ++i) EXPECT_TRUE(AllowedInDesignation(row.designation[i]));
        EXPECT_TRUE(seen.insert(row.designation).second) << "duplicate";
        EXPECT_GE(row.number, previous);  // ascending, rows of a number together
        EXPECT_GT(row.number, 0);
        EXPECT_LE(row.number, 999);
        run = row.number == previous ? run + 1 : 1;
        EXPECT_LE(run, 4);
        previous = row.number;
    }
}

TEST(LegacyTables, CurrentNameTable) {
    EXPECT_EQ(std::size(kCurrentNameTable), 45u);
    int previous = 0;
    for (const auto& row : kCurrentNameTable) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.name[12], '\0');
        EXPECT_EQ(std::strlen(row.name), 12u);
        for (int i = 0; i < 12; ++i) {
            const char c = row.name[i];
            EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_');
        }
        EXPECT_GT(row.number, previous);  // strictly ascending: one row per number
        previous = row.number;
        char digits[8];
        std::snprintf(digits, sizeof digits, "%03d", static_cast<int>(row.number));
        EXPECT_EQ(std::string(row.name + 6, 3), digits);
    }
}

// The numbers of the legacy table are exactly the numbers of the current one,
// and each designation converts to the current name of its number.
TEST(LegacyTables, EveryDesignationConverts) {
    std::set<int> legacyNumbers;
    for (const auto& row : kLegacyNameTable) {
        SCOPED_TRACE(row.designation);
        legacyNumbers.insert(row.number);
        char out[13];
        ASSERT_EQ(TMP_ConvertPatternName(row.designation, out), 0);
        const auto* current =
            std::find_if(std::begin(kCurrentNameTable), std::end(kCurrentNameTable),
                         [&](const auto& c) { return c.number == row.number; });
        ASSERT_NE(current, std::end(kCurrentNameTable));
        EXPECT_EQ(std::memcmp(out, current->name, 13), 0);
    }
    std::set<int> currentNumbers;
    for (const auto& row : kCurrentNameTable) currentNumbers.insert(row.number);
    EXPECT_EQ(legacyNumbers, currentNumbers);
}

TEST(LegacyTables, CurrentNamesArePatternsOfTheStandardLibrary) {
    const KAM_LibraryId std = KAM_StdLibraryId();
    ASSERT_NE(std, 0);
    for (const auto& row : kCurrentNameTable)
        EXPECT_EQ(KAM_ExistPattern(std, row.name), 0) << row.name;
}

}  // namespace
