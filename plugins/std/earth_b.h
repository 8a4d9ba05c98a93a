// The pattern records of the earth families 015 to 029 (radar cuts,
// cosecant-squared, point-to-multipoint, coordination, aperture and the
// simple level patterns); their helpers are the library's own (std.h).
#pragma once

#include <cstdint>

#include "std.h"

namespace kamstd {

// Pattern records of group B, one per catalogue entry.
extern const PatternDef kRadar015, kRadar016, kRadar017, kRadar018, kRadar019, kRadar020;
extern const PatternDef kCosecant021;
extern const PatternDef kPmpOmni022, kPmpSectorPeak023, kPmpSectorAverage024;
extern const PatternDef kCoordination025;
extern const PatternDef kTvReceive026, kHaps027, kLevels029;
extern const PatternDef kAiryEarth028;

}  // namespace kamstd
