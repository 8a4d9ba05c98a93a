// The catalogue group kSpaceGroup: the space patterns 101 to 116 in catalogue
// order, each defined by its family file.
#include <iterator>

#include "space.h"

namespace kamstd {

namespace {
const PatternDef* const kPatterns[] = {
    &kGso101,          &kGso102,        &kGso103,           &kNgso104,
    &kNgso105,         &kNgso106,       &kNgso107,          &kLeo108,
    &kFastRollOff109,  &kParabola110,   &kIsotropic111,     &kPassiveSensor112,
    &kSensorFitA113,   &kSensorFitB114, &kTaylor115,        &kAiry116,
};
}  // namespace

const PatternGroup kSpaceGroup = {kPatterns, static_cast<int>(std::size(kPatterns))};

}  // namespace kamstd
