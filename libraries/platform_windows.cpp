// Windows implementation of the platform layer: modules through LoadLibraryA,
// GetModuleHandleA and GetProcAddress, the ProductVersion text from the
// file's version resource, and the load and unload notifications from
// DllMain.
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <new>

#include "core/state.h"
#include "libraries/platform.h"

namespace kam::platform {
namespace {

// The one language and code page whose ProductVersion is read.
constexpr const char* kProductVersionQuery = "\\StringFileInfo\\040904b0\\ProductVersion";

// Longest module path GetModuleFileNameA can give (the extended-path limit).
constexpr DWORD kMaxModulePath = 32768;

// The file of a loaded module whose path does not fit MAX_PATH: 0 with its
// full path, -3050 when the module has no file name. Throws std::bad_alloc
// when memory runs out.
int LongModuleFilePath(HMODULE module, HookString& path) {
    for (DWORD capacity = 2 * MAX_PATH; capacity <= kMaxModulePath; capacity *= 2) {
        path.assign(capacity, '\0');
        const DWORD length = GetModuleFileNameA(module, path.data(), capacity);
        if (length == 0) return KAM_E_NO_VERSION_INFO;
        if (length < capacity) {
            path.resize(length);
            return KAM_OK;
        }
    }
    return KAM_E_NO_VERSION_INFO;
}

// A movable global memory block, locked while it lives; unlocked and freed
// on every exit.
class LockedBlock {
public:
    explicit LockedBlock(DWORD bytes) : handle_(GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (handle_ != nullptr) data_ = GlobalLock(handle_);
    }
    ~LockedBlock() {
        if (data_ != nullptr) GlobalUnlock(handle_);
        if (handle_ != nullptr) GlobalFree(handle_);
    }
    LockedBlock(const LockedBlock&) = delete;
    LockedBlock& operator=(const LockedBlock&) = delete;
    void* data() const noexcept { return data_; }

private:
    HGLOBAL handle_;
    void* data_ = nullptr;
};

// Reads the ProductVersion text of the file at path: 0 with the text, -3050
// when the file has no version information (or cannot be opened), -2003 when
// no block can be had, -3051 when the information cannot be read or has no
// ProductVersion under 040904b0.
int ReadVersionResource(const char* path, HookString& text) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return KAM_E_NO_VERSION_INFO;
    LockedBlock block(size);
    if (block.data() == nullptr) return KAM_E_NO_MEMORY;
    if (!GetFileVersionInfoA(path, 0, size, block.data())) return KAM_E_BAD_VERSION_INFO;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), kProductVersionQuery, &value, &length) ||
        value == nullptr) {
        return KAM_E_BAD_VERSION_INFO;
    }
    // The length counts characters and may include the NUL; never read past it.
    const char* chars = static_cast<const char*>(value);
    text.assign(chars, strnlen(chars, length));
    return KAM_OK;
}

class WindowsPlatform final : public Platform {
public:
    // A name with forward slashes is handed over with backslashes, which
    // LoadLibraryA requires in a path; the copy lives on the stack (a longer
    // name exceeds what LoadLibraryA accepts and is passed as it is). No
    // error box is shown for a file that is not a loadable image.
    Module LoadModule(const char* fileName) override {
        if (fileName == nullptr || fileName[0] == '\0') return nullptr;
        char turned[MAX_PATH];
        const std::size_t length = strnlen(fileName, MAX_PATH);
        if (length < MAX_PATH && std::memchr(fileName, '/', length) != nullptr) {
            for (std::size_t i = 0; i <= length; ++i) {
                turned[i] = fileName[i] == '/' ? '\\' : fileName[i];
            }
            fileName = turned;
        }
        DWORD previous = 0;
        const BOOL quiet =
            SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
        HMODULE module = LoadLibraryA(fileName);
        if (quiet) SetThreadErrorMode(previous, nullptr);
        return module;
    }

    Module StandardModule() override { return GetModuleHandleA(kStdLibraryFile); }

    void* Resolve(Module module, const char* entryPoint) override {
        if (module == nullptr || entryPoint == nullptr) return nullptr;
        return reinterpret_cast<void*>(
            GetProcAddress(static_cast<HMODULE>(module), entryPoint));
    }

    // The version is read from the file the module was actually loaded from
    // (the name given may have been found along the search path); without a
    // module, from fileName itself.
    int ReadProductVersion(Module module, const char* fileName, HookString& text) override {
        try {
            if (module == nullptr) return ReadVersionResource(fileName, text);
            char path[MAX_PATH];
            const DWORD length = GetModuleFileNameA(static_cast<HMODULE>(module), path, MAX_PATH);
            if (length == 0) return KAM_E_NO_VERSION_INFO;
            if (length < MAX_PATH) return ReadVersionResource(path, text);
            HookString longPath;
            const int status = LongModuleFilePath(static_cast<HMODULE>(module), longPath);
            if (status != KAM_OK) return status;
            return ReadVersionResource(longPath.c_str(), text);
        } catch (const std::bad_alloc&) {
            return KAM_E_NO_MEMORY;
        }
    }
};

WindowsPlatform g_windows;
Platform* g_fake = nullptr;

}  // namespace

Platform& Current() noexcept { return g_fake ? *g_fake : static_cast<Platform&>(g_windows); }
void SetForTesting(Platform* fake) noexcept { g_fake = fake; }

}  // namespace kam::platform

// Load and thread notifications run the standard library's LIP_InitLibrary;
// the process detach also terminates and is answered with failure, which the
// loader ignores; every other notification is answered with success. Only
// kam.dll gets these calls: in a test executable that links the host
// statically this function is inert.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
        case DLL_THREAD_ATTACH:
        case DLL_THREAD_DETACH:
            kam::OnLoadNotification();
            break;
        case DLL_PROCESS_DETACH:
            kam::OnUnloadNotification();
            return FALSE;
        default:
            break;
    }
    return TRUE;
}
