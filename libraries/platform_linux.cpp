// The Linux platform: modules through the dynamic loader (never closed), the
// standard library taken by its soname from the modules already loaded, the
// version stamp read from the ELF section .kam_version of a module's file,
// and the library's load and unload notifications.
#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "kam/kam.h"
#include "libraries/platform.h"

namespace kam::platform {
namespace {

// The standard library's file is libKAM_Std.so, linked as a load-time
// dependency of the host, so it is found among the loaded modules by name.
constexpr const char* kStdLibrarySoname = "libKAM_Std.so";
constexpr const char* kVersionSection = ".kam_version";

// An open file with its size; every read is checked against the size.
class File {
public:
    explicit File(const char* path) noexcept : f_(path != nullptr ? std::fopen(path, "rb") : nullptr) {
        if (f_ != nullptr && std::fseek(f_, 0, SEEK_END) == 0) {
            long end = std::ftell(f_);
            if (end >= 0) size_ = static_cast<std::uint64_t>(end);
        }
    }
    ~File() {
        if (f_ != nullptr) std::fclose(f_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool open() const noexcept { return f_ != nullptr; }
    std::uint64_t size() const noexcept { return size_; }
    // True when [offset, offset + bytes) lies inside the file.
    bool Holds(std::uint64_t offset, std::uint64_t bytes) const noexcept {
        return offset <= size_ && bytes <= size_ - offset;
    }
    bool Read(std::uint64_t offset, void* into, std::uint64_t bytes) noexcept {
        if (!Holds(offset, bytes)) return false;
        if (bytes == 0) return true;
        if (std::fseek(f_, static_cast<long>(offset), SEEK_SET) != 0) return false;
        return std::fread(into, 1, static_cast<std::size_t>(bytes), f_) == bytes;
    }

private:
    std::FILE* f_;
    std::uint64_t size_ = 0;
};

// Reads the first section named .kam_version of an ELF file of one class.
// 0 with text; -3050 when there is no such section (or the headers that lead
// to it are unusable) or it is empty; -3051 when its bytes lie outside the
// file or hold no NUL. Throws std::bad_alloc when memory runs out.
template <class Ehdr, class Shdr>
int ReadVersionSection(File& file, HookString& text) {
    Ehdr header;
    if (!file.Read(0, &header, sizeof header)) return KAM_E_NO_VERSION_INFO;
    if (header.e_shoff == 0 || header.e_shentsize < sizeof(Shdr)) return KAM_E_NO_VERSION_INFO;

    auto sectionHeader = [&](std::uint64_t index, Shdr& out) {
        std::uint64_t offset = static_cast<std::uint64_t>(header.e_shoff);
        std::uint64_t stride = header.e_shentsize;
        if (index > (UINT64_MAX - offset) / stride) return false;
        return file.Read(offset + index * stride, &out, sizeof out);
    };

    // Extended numbering keeps the real count and string-table index in
    // section 0 when they do not fit the file header.
    std::uint64_t count = header.e_shnum;
    std::uint64_t namesIndex = header.e_shstrndx;
    if (count == 0 || namesIndex == SHN_XINDEX) {
        Shdr first;
        if (!sectionHeader(0, first)) return KAM_E_NO_VERSION_INFO;
        if (count == 0) count = first.sh_size;
        if (namesIndex == SHN_XINDEX) namesIndex = first.sh_link;
    }
    if (count == 0 || namesIndex >= count) return KAM_E_NO_VERSION_INFO;
    // Every section header must lie inside the file.
    if (count > (file.size() / header.e_shentsize) + 1 ||
        !file.Holds(header.e_shoff, count * header.e_shentsize)) {
        return KAM_E_NO_VERSION_INFO;
    }

    Shdr namesHeader;
    if (!sectionHeader(namesIndex, namesHeader)) return KAM_E_NO_VERSION_INFO;
    if (namesHeader.sh_type == SHT_NOBITS ||
        !file.Holds(namesHeader.sh_offset, namesHeader.sh_size)) {
        return KAM_E_NO_VERSION_INFO;
    }
    HookVector<char> names(static_cast<std::size_t>(namesHeader.sh_size));
    if (!file.Read(namesHeader.sh_offset, names.data(), names.size())) return KAM_E_NO_VERSION_INFO;

    const std::size_t wantedSize = std::strlen(kVersionSection) + 1;
    for (std::uint64_t i = 1; i < count; ++i) {
        Shdr section;
        if (!sectionHeader(i, section)) return KAM_E_NO_VERSION_INFO;
        std::uint64_t nameAt = section.sh_name;
        if (nameAt >= names.size() || names.size() - nameAt < wantedSize ||
            std::memcmp(names.data() + nameAt, kVersionSection, wantedSize) != 0) {
            continue;
        }
        if (section.sh_size == 0) return KAM_E_NO_VERSION_INFO;
        if (section.sh_type == SHT_NOBITS || !file.Holds(section.sh_offset, section.sh_size)) {
            return KAM_E_BAD_VERSION_INFO;
        }
        HookVector<char> bytes(static_cast<std::size_t>(section.sh_size));
        if (!file.Read(section.sh_offset, bytes.data(), bytes.size())) return KAM_E_BAD_VERSION_INFO;
        const void* nul = std::memchr(bytes.data(), '\0', bytes.size());
        if (nul == nullptr) return KAM_E_BAD_VERSION_INFO;
        text.assign(bytes.data(), static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data()));
        return 0;
    }
    return KAM_E_NO_VERSION_INFO;
}

// Reads the version text of the ELF file at path. Statuses as above; a file
// that cannot be opened or is no ELF file of the host's byte order has no
// version information.
int ReadElfVersion(const char* path, HookString& text) {
    File file(path);
    if (!file.open()) return KAM_E_NO_VERSION_INFO;
    unsigned char ident[EI_NIDENT];
    if (!file.Read(0, ident, sizeof ident) || std::memcmp(ident, ELFMAG, SELFMAG) != 0) {
        return KAM_E_NO_VERSION_INFO;
    }
    const unsigned char hostOrder =
        __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB;
    if (ident[EI_DATA] != hostOrder) return KAM_E_NO_VERSION_INFO;
    switch (ident[EI_CLASS]) {
        case ELFCLASS32:
            return ReadVersionSection<Elf32_Ehdr, Elf32_Shdr>(file, text);
        case ELFCLASS64:
            return ReadVersionSection<Elf64_Ehdr, Elf64_Shdr>(file, text);
        default:
            return KAM_E_NO_VERSION_INFO;
    }
}

class LinuxPlatform final : public Platform {
public:
    Module LoadModule(const char* fileName) override {
        // dlopen("") would hand out the main program.
        if (fileName == nullptr || fileName[0] == '\0') return nullptr;
        return dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    }

    Module StandardModule() override {
        // Taken once: the module stays loaded, and every dlopen would add a
        // reference that is never given back.
        if (standard_ == nullptr) standard_ = dlopen(kStdLibrarySoname, RTLD_NOW | RTLD_NOLOAD);
        return standard_;
    }

    void* Resolve(Module module, const char* entryPoint) override {
        if (module == nullptr || entryPoint == nullptr) return nullptr;
        return dlsym(module, entryPoint);
    }

    // The file is the one the loader mapped for the module; fileName is only
    // the fallback when the loader cannot tell.
    int ReadProductVersion(Module module, const char* fileName, HookString& text) override {
        const char* path = fileName;
        struct link_map* map = nullptr;
        if (module != nullptr && dlinfo(module, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr &&
            map->l_name != nullptr && map->l_name[0] != '\0') {
            path = map->l_name;
        }
        try {
            return ReadElfVersion(path, text);
        } catch (const std::bad_alloc&) {
            return KAM_E_NO_MEMORY;
        }
    }

private:
    Module standard_ = nullptr;
};

// Plain data with constant initialisation, usable from the load notification.
constinit LinuxPlatform* g_real = nullptr;
constinit Platform* g_fake = nullptr;
alignas(LinuxPlatform) unsigned char g_realStorage[sizeof(LinuxPlatform)];

LinuxPlatform& Real() noexcept {
    if (g_real == nullptr) g_real = new (g_realStorage) LinuxPlatform();
    return *g_real;
}

}  // namespace

Platform& Current() noexcept { return g_fake != nullptr ? *g_fake : static_cast<Platform&>(Real()); }

void SetForTesting(Platform* fake) noexcept { g_fake = fake; }

}  // namespace kam::platform

namespace {

// The host library's load and unload notifications.
__attribute__((constructor)) void KamLoaded() { kam::OnLoadNotification(); }
__attribute__((destructor)) void KamUnloaded() { kam::OnUnloadNotification(); }

}  // namespace
