// What the fuzz targets share: a reader that decodes values from the
// fuzzer's bytes (doubles biased towards the corners of the number line,
// names of every length, handles), the checks of event records and rendered
// lines, and a platform that serves in-process pattern libraries, so that a
// target can register a fresh hostile library on every input.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "kam/kam.h"
#include "kam/kam_plugin.h"

namespace fuzz {

// A finding: print what broke and stop the run (libFuzzer saves the input).
[[noreturn]] inline void Fail(const char* what, double a = 0, double b = 0) {
    std::fprintf(stderr, "fuzz invariant broken: %s (%.17g, %.17g)\n", what, a, b);
    std::abort();
}
#define FUZZ_CHECK(cond, ...) \
    do {                      \
        if (!(cond)) ::fuzz::Fail(#cond, ##__VA_ARGS__); \
    } while (0)

constexpr double kNoValue = DBL_MAX;

// Doubles that reach the corners of formulas and checks.
inline constexpr double kInteresting[] = {
    kNoValue, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
    -std::numeric_limits<double>::infinity(), 0.0, -0.0, std::numeric_limits<double>::denorm_min(),
    DBL_MIN, -DBL_MAX, 1e-300, 1e300, -1e300, 1.0, 2.0, 0.5, -1.0, 10.0, 12000.0, 40.0, 29.0,
    180.0, 180.00001, 90.0, 360.0, 720.0, -3.0, -10.0, -20.0, -100.0, -100.5, -3.17e-31, -0.0061,
    1e-5, 18.0, 100.0, 700.0, 1e10, 0.7, 0.001};

// Decodes values from the input; past its end every value is 0.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}

    bool empty() const { return p_ >= end_; }
    std::size_t left() const { return static_cast<std::size_t>(end_ - p_); }
    std::uint8_t Byte() { return p_ < end_ ? *p_++ : 0; }
    bool Bit() { return (Byte() & 1) != 0; }
    // One in n (n a power of two is cheapest).
    bool OneIn(unsigned n) { return Byte() % n == 0; }
    void Bytes(void* into, std::size_t n) {
        auto* out = static_cast<std::uint8_t*>(into);
        for (std::size_t i = 0; i < n; ++i) out[i] = Byte();
    }
    std::int32_t Int32() {
        std::uint32_t v = 0;
        Bytes(&v, sizeof v);
        return static_cast<std::int32_t>(v);
    }
    std::int64_t Int64() {
        std::uint64_t v = 0;
        Bytes(&v, sizeof v);
        return static_cast<std::int64_t>(v);
    }
    // A double: mostly one of the interesting ones, else a small number or
    // any bit pattern.
    double Double() {
        const std::uint8_t selector = Byte();
        constexpr unsigned n = sizeof kInteresting / sizeof kInteresting[0];
        if (selector < 160) return kInteresting[selector % n];
        if (selector < 224) return (static_cast<int>(Byte()) - 128) / 4.0;
        double v;
        std::uint64_t bits = static_cast<std::uint64_t>(Int64());
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    // A status a plug-in returns: mostly 0, else a warning or error from the
    // library's range, else anything.
    std::int32_t Status() {
        const std::uint8_t selector = Byte();
        if (selector < 160) return 0;
        if (selector < 200) return static_cast<std::int32_t>(Byte()) - 128;
        if (selector < 240) return (selector & 1 ? -1 : 1) * (6000 + Byte() % 16);
        return Int32();
    }
    // Text of up to max bytes, NUL-terminated, in a buffer of its exact size.
    std::vector<char> Text(std::size_t max) {
        const std::size_t length = Byte() % (max + 1);
        std::vector<char> text(length + 1, '\0');
        for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char>(Byte());
        return text;
    }

private:
    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

// A name in a heap buffer of exactly the bytes a caller would hand over:
// one of the given names, a text of 0..20 bytes (with its NUL), or a
// full slot of `slot` bytes without any NUL (the library must stop reading
// at the slot's end).
inline std::vector<char> Name(Reader& in, const std::vector<std::vector<char>>& known,
                              std::size_t slot) {
    const std::uint8_t selector = in.Byte();
    if (selector < 176 && !known.empty()) return known[selector % known.size()];
    if (selector < 240) return in.Text(20);
    std::vector<char> full(slot);
    for (char& c : full) c = static_cast<char>(in.Byte() | 1);  // never NUL
    return full;
}

// True when a NUL lies within the n bytes at p.
inline bool Terminated(const char* p, std::size_t n) { return std::memchr(p, '\0', n) != nullptr; }

// An event as the library hands it out: every text terminated in its field,
// textLength its length, severity as the code says.
inline void CheckEvent(const KAM_EventRecord& e) {
    FUZZ_CHECK(Terminated(e.text, sizeof e.text));
    FUZZ_CHECK(e.textLength == static_cast<std::int32_t>(std::strlen(e.text)), e.textLength);
    FUZZ_CHECK(Terminated(e.libraryName, sizeof e.libraryName));
    FUZZ_CHECK(Terminated(e.patternName, sizeof e.patternName));
    FUZZ_CHECK(e.severity == (e.code > 0 ? KAM_SEVERITY_WARNING : KAM_SEVERITY_ERROR), e.code,
               e.severity);
}

// Renders an event into a heap buffer of exactly 256 bytes (so a write past
// it is caught): 0 and a line terminated within it.
inline void CheckRendered(const KAM_EventRecord& e) {
    std::vector<char> line(KAM_EVENT_LINE_SIZE, 'x');
    FUZZ_CHECK(KAM_ConvertEventToString(&e, line.data()) == 0);
    FUZZ_CHECK(Terminated(line.data(), line.size()));
    FUZZ_CHECK(std::strncmp(line.data(), "KAM-> ", 6) == 0);
}

// Takes and checks every queued event (at most limit).
inline void TakeEvents(int limit = 64) {
    KAM_EventRecord e;
    for (int i = 0; i < limit && KAM_GetNextEvent(&e) == 0; ++i) {
        CheckEvent(e);
        CheckRendered(e);
    }
}

}  // namespace fuzz
