// The catalogue group kEarthGroupA: the earth patterns 001 to 014 in
// catalogue order, defined by the families earth_fss (001-007), earth_fixed
// (008, 009), earth_aperture (010-012) and earth_simple (013, 014).
#include <iterator>

#include "earth_a.h"

namespace kamstd {

namespace {
const PatternDef* const kPatterns[] = {
    &kFssReference001, &kFssReferenceMainLobe002, &kFssObjective003, &kFssObjectiveMainLobe004,
    &kGsoCoordination005, &kNgsoEpfd006, &kFssAsymmetric007, &kFixedPeak008, &kFixedAverage009,
    &kSpaceResearch010, &kRadioAstronomy011, &kBssReceive012, &kIsotropic013, &kParabola014,
};
}  // namespace

const PatternGroup kEarthGroupA = {kPatterns, static_cast<int>(std::size(kPatterns))};

}  // namespace kamstd
