// The lifecycle hooks through which the subsystems above core take part in
// Initialise and Terminate, so that core calls nothing above it. Each
// subsystem fills one fixed slot from a registrar at static initialisation;
// the table is plain constant-initialised data, allocates nothing, and runs
// in the order of the layers, whatever order the registrars ran in.
#pragma once

#include <cstdint>

namespace kam {

// The layers above core, lowest first: the slots of the hook table.
// Initialise runs the hooks in this order, Terminate in the reverse order,
// so a layer is torn down before the layers it builds on.
enum class Layer : std::uint8_t { Libraries, Validation, Compute, Legacy, Count };

// One layer's part in the lifecycle; every member may be null.
struct LifecycleHook {
    // Run by Initialise once the roots exist: 0, or a status that the
    // status combination folds into Initialise's result.
    int (*initialise)() noexcept = nullptr;
    // Run by Terminate before the tree is freed, to release objects that
    // own memory beyond their nodes. A non-zero status stops the teardown.
    int (*release)() noexcept = nullptr;
    // Run by Terminate before anything is released and again once the tree
    // is freed: drops whatever remembers nodes (lookup caches), so nothing
    // remembered outlives a node even when the teardown stops.
    void (*forget)() noexcept = nullptr;
};

// Fills the layer's slot; false (and nothing changed) when the slot is
// already taken or the layer is out of range.
bool RegisterLifecycleHook(Layer layer, const LifecycleHook& hook) noexcept;

// Initialise's step after the roots: every initialise hook, lowest layer
// first, combined (the first negative status stops; otherwise the latest
// positive one, or 0).
int RunInitialiseHooks() noexcept;
// Terminate's steps: every forget hook, then every release hook (highest
// layer first; the first non-zero status stops and is returned), and after
// the tree is freed every forget hook again.
void RunForgetHooks() noexcept;
int RunReleaseHooks() noexcept;

}  // namespace kam
