// The catalogue group kSpaceGroup: its patterns in catalogue order.
#include "std.h"

namespace kamstd {

namespace {
const PatternDef* const kPatterns[] = {nullptr};
}  // namespace

const PatternGroup kSpaceGroup = {kPatterns, 0};

}  // namespace kamstd
