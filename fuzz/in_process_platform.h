// A platform for the fuzz targets that register a pattern library of their
// own: the file name kFileName loads a module that lives in the fuzz
// target (its three entry points are the target's functions), with a new
// module identity at every load, and its version text comes from a function
// the target sets. The standard library is served by the real platform.
// Every other file name loads nothing: no fuzz input reaches the loader.
#pragma once

#include <cstdint>

#include "core/alloc.h"
#include "core/state.h"
#include "kam/kam_plugin.h"
#include "libraries/platform.h"

namespace fuzz {

class InProcessPlatform final : public kam::platform::Platform {
public:
    static constexpr const char* kFileName = "in-process-library";

    struct EntryPoints {
        KAM_SetEventLogHandlerFn setEventLogHandler = nullptr;
        KAM_InitLibraryFn initLibrary = nullptr;
        KAM_GetLibraryInfoFn getLibraryInfo = nullptr;
        KAM_GetArrayInfoFn getArrayInfo = nullptr;  // optional
    };
    // 0 with the text, or a status (-3050, -3051, -2003), as the real reader.
    using VersionReader = int (*)(const char* fileName, kam::HookString& text);

    InProcessPlatform() : real_(&kam::platform::Current()) { kam::platform::SetForTesting(this); }
    ~InProcessPlatform() override { kam::platform::SetForTesting(nullptr); }

    EntryPoints entryPoints;
    VersionReader version = nullptr;

    // The real platform, for the standard library's file and for version
    // texts read from real files.
    kam::platform::Platform& real() { return *real_; }

    kam::platform::Module LoadModule(const char* fileName) override {
        if (fileName == nullptr || std::strcmp(fileName, kFileName) != 0) return nullptr;
        // Identities are compared only, never dereferenced.
        ++loads_;
        return reinterpret_cast<kam::platform::Module>(kFirstIdentity + loads_ * 16);
    }
    kam::platform::Module StandardModule() override { return real_->StandardModule(); }
    void* Resolve(kam::platform::Module module, const char* entryPoint) override {
        if (!Ours(module)) return real_->Resolve(module, entryPoint);
        if (std::strcmp(entryPoint, "LIP_SetEventLogHandler") == 0)
            return reinterpret_cast<void*>(entryPoints.setEventLogHandler);
        if (std::strcmp(entryPoint, "LIP_InitLibrary") == 0)
            return reinterpret_cast<void*>(entryPoints.initLibrary);
        if (std::strcmp(entryPoint, "LIP_GetLibraryInfo") == 0)
            return reinterpret_cast<void*>(entryPoints.getLibraryInfo);
        if (std::strcmp(entryPoint, "LIP_GetArrayInfo") == 0)
            return reinterpret_cast<void*>(entryPoints.getArrayInfo);
        return nullptr;
    }
    int ReadProductVersion(kam::platform::Module module, const char* fileName,
                           kam::HookString& text) override {
        if (!Ours(module)) return real_->ReadProductVersion(module, fileName, text);
        return version != nullptr ? version(fileName, text) : KAM_E_NO_VERSION_INFO;
    }

private:
    static constexpr std::uintptr_t kFirstIdentity = 0x7e570000;
    bool Ours(kam::platform::Module module) const {
        const auto id = reinterpret_cast<std::uintptr_t>(module);
        return id > kFirstIdentity && id <= kFirstIdentity + loads_ * 16;
    }
    kam::platform::Platform* real_;
    std::uintptr_t loads_ = 0;
};

// A fresh library state: terminated (every antenna, library and event
// released), the switches on and no handler, as at load.
inline void ResetLibrary() {
    kam::Terminate();
    kam::g_state.inputParamValid = 1;
    kam::g_state.gainValid = 1;
    kam::g_state.contourValid = 1;
    kam::g_state.eventLog = 1;
    kam::g_state.eventHandler = nullptr;
}

}  // namespace fuzz
