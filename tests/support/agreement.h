// How an array path's results compare with its per-point slot's: the same
// bits wherever the same arithmetic runs; a finite value that an array loop
// computes by other arithmetic (the standard library's faster logarithm) may
// move by at most kArrayAllowance dB (degrees).
#pragma once

#include <cmath>
#include <cstring>

namespace testsupport {

constexpr double kArrayAllowance = 1e-12;

// Bitwise equality, so that NaN payloads and signed zeros count.
inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

inline bool AgreesWithSlot(double array, double slot) {
    return SameBits(array, slot) || (std::isfinite(array) && std::isfinite(slot) &&
                                     std::fabs(array - slot) <= kArrayAllowance);
}

}  // namespace testsupport
