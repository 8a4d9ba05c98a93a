// Corrupts copies of ELF files for the tests of the version reader: finds the
// header fields and the section header of a named section by their offsets
// (both ELF classes, little-endian) and overwrites them.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace elfpatch {

struct Layout {
    bool is64;
    std::size_t shoff, shentsize, shnum, shstrndx;  // header field offsets
    std::size_t shName, shOffset, shSize;           // section-header field offsets
    std::size_t wordSize;                            // size of an address/offset field
};

inline Layout LayoutOf(const std::vector<unsigned char>& bytes) {
    if (bytes.size() > 4 && bytes[4] == 2) return {true, 0x28, 0x3A, 0x3C, 0x3E, 0, 0x18, 0x20, 8};
    return {false, 0x20, 0x2E, 0x30, 0x32, 0, 0x10, 0x14, 4};
}

inline std::uint64_t Get(const std::vector<unsigned char>& b, std::size_t at, std::size_t n) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(b[at + i]) << (8 * i);
    return v;
}

inline void Put(std::vector<unsigned char>& b, std::size_t at, std::size_t n, std::uint64_t v) {
    for (std::size_t i = 0; i < n; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

inline std::vector<unsigned char> Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

inline void Save(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Byte offset of the section header of the named section, or 0.
inline std::size_t SectionHeaderOf(const std::vector<unsigned char>& b, const char* name) {
    Layout l = LayoutOf(b);
    std::uint64_t shoff = Get(b, l.shoff, l.wordSize);
    std::uint64_t entsize = Get(b, l.shentsize, 2);
    std::uint64_t count = Get(b, l.shnum, 2);
    std::uint64_t strndx = Get(b, l.shstrndx, 2);
    std::size_t strHeader = static_cast<std::size_t>(shoff + strndx * entsize);
    std::uint64_t strOffset = Get(b, strHeader + l.shOffset, l.wordSize);
    for (std::uint64_t i = 0; i < count; ++i) {
        std::size_t at = static_cast<std::size_t>(shoff + i * entsize);
        std::uint64_t nameAt = Get(b, at + l.shName, 4);
        if (std::strcmp(reinterpret_cast<const char*>(b.data() + strOffset + nameAt), name) == 0) {
            return at;
        }
    }
    return 0;
}

}  // namespace elfpatch
