// The pattern records of the space families 101 to 116; their helpers are
// the library's own (std.h).
#pragma once

#include <cstdint>

#include "std.h"

namespace kamstd {

// Pattern records of the space group, one per catalogue entry.
extern const PatternDef kGso101, kGso102, kGso103;
extern const PatternDef kNgso104, kNgso105, kNgso106, kNgso107;
extern const PatternDef kLeo108;
extern const PatternDef kFastRollOff109;
extern const PatternDef kParabola110, kIsotropic111;
extern const PatternDef kPassiveSensor112, kSensorFitA113, kSensorFitB114;
extern const PatternDef kTaylor115, kAiry116;

}  // namespace kamstd
