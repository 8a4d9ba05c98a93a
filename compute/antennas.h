// Antenna objects: a pattern bound to a set of parameter values with a
// private copy of the pattern-specific structure.
#pragma once

#include "core/list.h"

namespace kam {

// Payload of an EARTH-ANTENNA node: the values given at creation and the
// antenna's own copy of the specific structure (or the structure NoValue).
// 40 bytes on every target: doubles are 8-aligned even where the ABI would
// align them to 4.
struct alignas(8) EarthAntennaData {
    double gainMax;
    double diameter;
    double frequency;
    double efficiency;
    void* specific;
};
// Payload of a SPACE-ANTENNA node, 24 bytes on every target.
struct alignas(8) SpaceAntennaData {
    double gainMax;
    double beamlet;
    void* specific;
};
static_assert(sizeof(EarthAntennaData) == 40, "EarthAntennaData is 40 bytes");
static_assert(sizeof(SpaceAntennaData) == 24, "SpaceAntennaData is 24 bytes");

constexpr const char* kAntennaNodeName = "ANTENNA";

// Sets CurrentLibrary and CurrentPatternName to an antenna's pattern (its
// parent) and that pattern's library, so that events carry them.
void SetAntennaContext(const ListNode* pattern) noexcept;

// Deletes one antenna node: unlinks it, retires its handle, and releases its
// specific copy and the node (deferred while an exported call is under way).
// 0, -4101 (no node), -2009 (not an antenna) or a LIST failure.
int DeleteAntennaNode(ListNode* node) noexcept;

}  // namespace kam
