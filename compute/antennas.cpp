// Placeholder until antenna objects land.
#include "compute/antennas.h"

#include "kam/kam.h"

namespace kam {
int DeleteAntennaNode(ListNode* node) noexcept {
    return node == nullptr ? KAM_E_INTERNAL : KAM_E_UNKNOWN_ANTENNA;
}
}  // namespace kam
