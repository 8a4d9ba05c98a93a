// The platform layer: the few operating-system services the loader needs
// (load a module, take the already-loaded standard module, resolve an entry
// point, read a library file's ProductVersion text). One implementation file
// per platform; tests can install an in-process fake. Nothing outside the
// implementation files includes the operating system's loader headers.
#pragma once

#include "core/alloc.h"

namespace kam::platform {

using Module = void*;  // module identity, compared for equality only

class Platform {
public:
    virtual ~Platform() = default;
    // Loads a module by file name or path; the same module again gives the
    // same identity. nullptr when nothing can be loaded.
    virtual Module LoadModule(const char* fileName) = 0;
    // The standard library's module, already loaded with the host; nullptr
    // when it is not there.
    virtual Module StandardModule() = 0;
    // An exported entry point of a module, or nullptr.
    virtual void* Resolve(Module module, const char* entryPoint) = 0;
    // The ProductVersion text of the module's file (loaded from fileName):
    // 0 with the text, -3050 when the file has no version information,
    // -3051 when it cannot be read, -2003 when memory runs out.
    virtual int ReadProductVersion(Module module, const char* fileName, HookString& text) = 0;
};

// The platform in force: the real one unless a test installed a fake.
Platform& Current() noexcept;
// Installs a fake (nullptr restores the real platform).
void SetForTesting(Platform* fake) noexcept;

}  // namespace kam::platform

namespace kam {
// Called by the platform's load and unload notifications (a constructor and
// destructor, or DllMain): the standard library's LIP_InitLibrary at every
// notification, then Terminate at unload.
void OnLoadNotification() noexcept;
void OnUnloadNotification() noexcept;
}  // namespace kam
