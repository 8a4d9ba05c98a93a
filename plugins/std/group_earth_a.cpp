// The catalogue group kEarthGroupA: its patterns in catalogue order.
#include "std.h"

namespace kamstd {

namespace {
const PatternDef* const kPatterns[] = {nullptr};
}  // namespace

const PatternGroup kEarthGroupA = {kPatterns, 0};

}  // namespace kamstd
