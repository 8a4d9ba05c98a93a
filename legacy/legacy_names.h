// The two constant tables behind the legacy pattern-name conversion: the
// designations of the older naming scheme with their pattern numbers, and the
// current name of each pattern number.
#pragma once

#include <cstdint>

namespace kam::legacy {

constexpr int kDesignationLength = 12;  // blank-padded, no NUL
constexpr int kCurrentNameBytes = 13;   // 12 characters and the NUL
constexpr int kLegacyRowCount = 71;
constexpr int kCurrentRowCount = 45;

struct LegacyRow {
    std::int32_t number;
    char designation[kDesignationLength + 1];  // the 12 characters, then a NUL
};

struct CurrentRow {
    std::int32_t number;
    char name[kCurrentNameBytes];
};

// Ascending pattern numbers; rows of one number next to each other.
extern const LegacyRow kLegacyNameTable[kLegacyRowCount];
// One row per number, ascending.
extern const CurrentRow kCurrentNameTable[kCurrentRowCount];

}  // namespace kam::legacy
