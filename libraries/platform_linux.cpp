// Placeholder Linux platform until the loader lands.
#include "libraries/platform.h"

namespace kam::platform {
namespace {
class NullPlatform final : public Platform {
public:
    Module LoadModule(const char*) override { return nullptr; }
    Module StandardModule() override { return nullptr; }
    void* Resolve(Module, const char*) override { return nullptr; }
    int ReadProductVersion(Module, const char*, HookString&) override { return -3050; }
};
NullPlatform g_null;
Platform* g_fake = nullptr;
}  // namespace
Platform& Current() noexcept { return g_fake ? *g_fake : static_cast<Platform&>(g_null); }
void SetForTesting(Platform* fake) noexcept { g_fake = fake; }
}  // namespace kam::platform
