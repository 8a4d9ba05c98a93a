// The catalogue group kEarthGroupB: its patterns in catalogue order.
#include "std.h"

namespace kamstd {

namespace {
const PatternDef* const kPatterns[] = {nullptr};
}  // namespace

const PatternGroup kEarthGroupB = {kPatterns, 0};

}  // namespace kamstd
