// Fuzz target: KAM_ConvertEventToString on arbitrary event records. The
// record's bytes come from the input (names and text without a NUL, any code
// and severity), in a heap block of exactly one record, and the line goes to
// a heap block of exactly 256 bytes: the function reads only the record,
// writes only the line, ends the line within it, and renders the fixed
// columns as documented.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/fuzz_support.h"
#include "kam/kam.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto event = std::make_unique<KAM_EventRecord>();
    std::memset(event.get(), 0, sizeof *event);
    std::memcpy(event.get(), data, size < sizeof *event ? size : sizeof *event);
    auto line = std::make_unique<char[]>(KAM_EVENT_LINE_SIZE);
    std::memset(line.get(), 'x', KAM_EVENT_LINE_SIZE);
    FUZZ_CHECK(KAM_ConvertEventToString(event.get(), line.get()) == 0);
    FUZZ_CHECK(fuzz::Terminated(line.get(), KAM_EVENT_LINE_SIZE));
    // The fixed part, built here from the record: "KAM-> ", the two names in
    // 12 columns each (at most their first 12 characters), "/ ", the
    // severity word and "#" with the code.
    auto field = [](const char* p, std::size_t n) {
        std::string s(p, strnlen(p, n));
        return s.size() > 12 ? s.substr(0, 12) : std::string(12 - s.size(), ' ') + s;
    };
    const char* word = event->severity == 1 ? "Error  " : event->severity == 2 ? "Warning" : "Unknown";
    char code[16];
    std::snprintf(code, sizeof code, "%6d", static_cast<int>(event->code));
    const std::string head = "KAM-> " + field(event->libraryName, sizeof event->libraryName) + "/" +
                             field(event->patternName, sizeof event->patternName) + "/ " + word +
                             "#" + code + ". ";
    const std::string rendered(line.get());
    // A NUL inside a name ends the field early, so only the full head of a
    // record whose names have no early NUL is compared.
    FUZZ_CHECK(rendered.compare(0, head.size(), head) == 0 || head.size() > rendered.size() ||
               std::memchr(head.data(), '\0', head.size()) != nullptr);
    FUZZ_CHECK(rendered.size() <= KAM_EVENT_LINE_SIZE - 1);
    return 0;
}
