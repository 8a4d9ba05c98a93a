// Out-of-memory runs for internal tests (executables built with INTERNAL).
//
// RunOutOfMemory drives one operation through every allocation failure it can
// meet. It first runs the operation once without a fault (the reference run),
// then again with the 1st, 2nd, 3rd ... allocation failing, each ordinal once
// transiently (only that allocation fails) and once persistently (it and every
// later one fail), until a run finishes without the injected fault firing.
// Each faulted run must end in one of:
//   - the reference result with the same state as the reference run (an event
//     lost on the way is allowed: events are not part of the state; so is an
//     optional cache that gave up for want of memory); or
//   - -2003 (memory exhausted) with the state and the allocation count exactly
//     as before the run; or
//   - a result accepted by OomCase::acceptPartial (a documented partial state,
//     such as a library registered with the patterns added before the failure).
// After every run that changed the state, OomCase::reset restores it; the
// allocation count must then be back where it was before the run (nothing
// leaked). Without a reset, a run must allocate exactly what the reference
// run did.
//
// Queued events are discarded (DrainEvents) before each run is measured and
// after it, so the messages that reporting queues do not count as leaks.
//
//   kamtest::OomCase c;
//   c.operation = [] { return kam::AddChild(parent, kam::NodeKind::Package, ...); };
//   c.reset = [] { /* unlink and free the new node */ };
//   kamtest::RunOutOfMemory(c);
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/alloc.h"
#include "core/list.h"
#include "core/state.h"
#include "core/status.h"

namespace kamtest {

// A text form of a subtree: kind, name, whether it has a handle, payload size
// and bytes of every node, children newest first. Two equal dumps mean two
// equal trees.
inline void DumpSubtree(const kam::ListNode* node, std::string& out, int depth = 0) {
    if (node == nullptr) {
        out += "<none>\n";
        return;
    }
    out.append(static_cast<std::size_t>(depth), ' ');
    // Handle numbers differ from run to run (they are never reused): only
    // whether a node carries one is compared.
    out += std::to_string(node->kind) + " '" + node->name + "' " +
           (node->handle != 0 ? "#" : "-") + " size " + std::to_string(node->payloadSize) + " [";
    if (node->payload != nullptr) {
        const auto* bytes = static_cast<const unsigned char*>(node->payload);
        static const char kHex[] = "0123456789abcdef";
        for (std::uint32_t i = 0; i < node->payloadSize; ++i) {
            out += kHex[bytes[i] >> 4];
            out += kHex[bytes[i] & 15];
        }
    }
    out += "]\n";
    for (const kam::ListNode* c = node->firstChild; c != nullptr; c = c->next) {
        DumpSubtree(c, out, depth + 1);
    }
}

// The state the default snapshot compares: the initialised flag, whether the
// standard library's id is set, the switches and the whole "TOP" tree (events excluded).
inline std::string DumpLibraryState() {
    const kam::GlobalState& s = kam::g_state;
    std::string out = "init " + std::to_string(s.initialised) + " std " +
                      (s.stdLibraryId != 0 ? "set" : "none") + " switches " +
                      std::to_string(s.inputParamValid) + std::to_string(s.gainValid) +
                      std::to_string(s.contourValid) + std::to_string(s.eventLog) + "\n";
    DumpSubtree(s.root, out);
    return out;
}

// The first line in which two dumps differ, for failure messages.
inline std::string FirstDifference(const std::string& expected, const std::string& actual) {
    auto lines = [](const std::string& text) {
        std::vector<std::string> out;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            out.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return out;
    };
    auto cut = [](const std::string& t) { return t.size() > 120 ? t.substr(0, 120) + "..." : t; };
    const auto e = lines(expected), a = lines(actual);
    for (std::size_t i = 0; i < e.size() || i < a.size(); ++i) {
        const std::string le = i < e.size() ? e[i] : "<end>", la = i < a.size() ? a[i] : "<end>";
        if (le != la) {
            return "line " + std::to_string(i + 1) + ": expected '" + cut(le) + "', got '" +
                   cut(la) + "'";
        }
    }
    return "none";
}

struct OomCase {
    // The operation under test; returns its status.
    std::function<int()> operation;
    // The observable state; by default DumpLibraryState().
    std::function<std::string()> snapshot;
    // Restores the state after a run that changed it (normal or partial end).
    std::function<void()> reset;
    // Whether a run ending in this status (and in the state the lambda can
    // inspect) is a documented partial outcome; by default none is. Consulted
    // only for runs that are neither normal nor a clean -2003.
    std::function<bool(int status)> acceptPartial;
    // Upper bound on ordinals tried, against an operation that never stops allocating.
    std::uint64_t maxOrdinal = 5000;
    // Whether every faulted run that did not end normally is followed, once
    // the state is restored, by a call without a fault, which must give the
    // reference result: the failure left nothing in the way of the next call.
    bool retryAfterFailure = false;
    // Run whenever the runs settle (fault disarmed, events discarded), before
    // anything is measured: brings caches that the comparison leaves out
    // (a lookup index, for instance) to the same state every time.
    std::function<void()> settled;
};

struct OomSummary {
    int referenceStatus = 0;
    std::uint64_t ordinals = 0;  // ordinals at which a fault fired
    int outOfMemoryRuns = 0;     // runs that ended in -2003
};

inline OomSummary RunOutOfMemory(const OomCase& c) {
    constexpr int kNoMemory = -2003;
    OomSummary summary;
    auto snapshot = [&] { return c.snapshot ? c.snapshot() : DumpLibraryState(); };
    auto settle = [&c] {
        kam::testing::FailAllocation(0, false);
        kam::DrainEvents();
        if (c.settled) c.settled();
    };

    settle();
    const std::string start = snapshot();
    const std::int64_t startLive = kam::testing::LiveAllocations();
    summary.referenceStatus = c.operation();
    settle();
    const std::string reference = snapshot();
    const std::int64_t referenceLive = kam::testing::LiveAllocations();
    if (c.reset) c.reset();
    settle();
    EXPECT_EQ(snapshot(), start) << "reset does not restore the state";
    EXPECT_EQ(kam::testing::LiveAllocations(), startLive) << "reset does not release everything";

    for (std::uint64_t nth = 1; nth <= c.maxOrdinal; ++nth) {
        bool anyFired = false;
        for (bool persistent : {false, true}) {
            settle();
            const std::string before = snapshot();
            const std::int64_t beforeLive = kam::testing::LiveAllocations();
            kam::testing::FailAllocation(nth, persistent);
            const int status = c.operation();
            const bool fired = kam::testing::AllocationFailureFired();
            settle();
            anyFired = anyFired || fired;
            const std::string after = snapshot();
            const std::int64_t afterLive = kam::testing::LiveAllocations();
            const std::string where = "allocation " + std::to_string(nth) +
                                      (persistent ? " (persistent)" : " (transient)") +
                                      " ended in " + std::to_string(status);
            const bool changed = after != before || afterLive != beforeLive;
            const bool normal = status == summary.referenceStatus && after == reference;
            const bool outOfMemory = status == kNoMemory && !changed;
            if (outOfMemory) ++summary.outOfMemoryRuns;
            if (!normal && !outOfMemory && !(c.acceptPartial && c.acceptPartial(status))) {
                ADD_FAILURE() << where << ": neither the normal outcome nor -2003 with nothing "
                              << "changed (allocations " << beforeLive << " -> " << afterLive
                              << ")\n  after vs before: " << FirstDifference(before, after)
                              << "\n  after vs reference: " << FirstDifference(reference, after);
            }
            // Nothing leaked: once reset, every block of the run is released
            // (without a reset, the run allocated what the reference run did).
            if (changed && c.reset) {
                c.reset();
                settle();
                EXPECT_EQ(kam::testing::LiveAllocations(), beforeLive) << where << ": leaked";
            } else if (!c.reset && !outOfMemory) {
                EXPECT_EQ(afterLive - beforeLive, referenceLive - startLive) << where << ": leaked";
            }
            settle();
            if (c.retryAfterFailure && !normal) {
                EXPECT_EQ(c.operation(), summary.referenceStatus) << where << ": the next call";
                settle();
                if (c.reset) c.reset();
                settle();
            }
        }
        if (!anyFired) break;
        summary.ordinals = nth;
    }
    EXPECT_LT(summary.ordinals, c.maxOrdinal) << "the operation never stopped allocating";
    return summary;
}

}  // namespace kamtest
