// A C++ caller of KAM through CMake's kam::kam, from an installed tree
// (find_package) or with KAM embedded (add_subdirectory). It checks that the
// standard library is loaded and that a gain matches the pattern's formula,
// 32 - 25 log10(phi) dBi in its sidelobe range. Exit code 0 on success.
#include <cmath>
#include <cstdint>
#include <iostream>

#include <kam/kam.h>

int main() {
    const double phi = 20.0;
    const double expected = 32.0 - 25.0 * std::log10(phi);
    std::int32_t count = 0;
    if (KAM_GetPatternCount(KAM_StdLibraryId(), KAM_PATTERN_ANY, &count) != 0 || count <= 0) {
        std::cout << "c++ consumer: no standard patterns\n";
        return 1;
    }
    double gain = 0.0, gainX = 0.0;
    const KAM_Status status = KAM_EarthPatternGain(
        KAM_StdLibraryId(), "FSREF_001_V1", 45.0, 2.0, 12000.0, KAM_NoValueDouble(),
        KAM_NoValueStruct(), phi, KAM_NoValueDouble(), &gain, &gainX);
    if (status != 0 || std::fabs(gain - expected) > 1e-9) {
        std::cout << "c++ consumer: FSREF_001_V1 at " << phi << " deg: status " << status
                  << ", gain " << gain << ", expected " << expected << '\n';
        return 1;
    }
    std::cout << "c++ consumer: " << count << " standard patterns, FSREF_001_V1 at " << phi
              << " deg = " << gain << " dBi\n";
    return 0;
}
