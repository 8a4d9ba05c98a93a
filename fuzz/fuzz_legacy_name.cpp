// Fuzz target: TMP_ConvertPatternName on arbitrary C strings, each in a heap
// block of exactly its length and NUL, converted into a block of exactly 13
// bytes: no read or write outside them, a terminated name whenever the
// conversion succeeds, and the same answer for the same text.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "kam/kam.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<char> legacy(data, data + size);
    legacy.push_back('\0');
    std::vector<char> first(KAM_PATTERN_NAME_SLOT, 'x'), second(KAM_PATTERN_NAME_SLOT, 'y');
    const int status = TMP_ConvertPatternName(legacy.data(), first.data());
    FUZZ_CHECK(status == 0 || status == -1 || status == KAM_E_PATTERN_NOT_FOUND, status);
    FUZZ_CHECK(TMP_ConvertPatternName(legacy.data(), second.data()) == status, status);
    // Only a name of exactly 13 characters is refused, and then nothing is written.
    FUZZ_CHECK((status == -1) == (std::strlen(legacy.data()) == 13), status);
    if (status == -1) {
        FUZZ_CHECK(first == std::vector<char>(KAM_PATTERN_NAME_SLOT, 'x'));
    } else {
        FUZZ_CHECK(fuzz::Terminated(first.data(), first.size()), status);
        FUZZ_CHECK(std::memcmp(first.data(), second.data(), first.size()) == 0, status);
        const std::size_t length = std::strlen(first.data());
        FUZZ_CHECK(status == 0 ? length >= 1 && length <= 12 : length == 0,
                   static_cast<double>(length));
    }
    FUZZ_CHECK(TMP_ConvertPatternName(nullptr, first.data()) == -1);
    FUZZ_CHECK(TMP_ConvertPatternName(legacy.data(), nullptr) == (status == -1 ? -1 : -2));
    return 0;
}
