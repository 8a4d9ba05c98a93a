// The catalogue group kEarthGroupB: the earth patterns 015 to 029 in
// catalogue order.
#include "earth_b.h"

namespace kamstd {

namespace {
const PatternDef* const kPatterns[] = {
    &kRadar015,        &kRadar016,     &kRadar017,   &kRadar018,         &kRadar019,
    &kRadar020,        &kCosecant021,  &kPmpOmni022, &kPmpSectorPeak023, &kPmpSectorAverage024,
    &kCoordination025, &kTvReceive026, &kHaps027,    &kAiryEarth028,     &kLevels029,
};
}  // namespace

const PatternGroup kEarthGroupB = {kPatterns,
                                   static_cast<int>(sizeof kPatterns / sizeof kPatterns[0])};

}  // namespace kamstd
