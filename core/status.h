// Status codes with their messages, the reporting step every export ends
// with, and the event queue fed by the library, the validation checks and the
// pattern libraries.
#pragma once

#include <cstdint>

#include "kam/kam_plugin.h"

namespace kam {

struct StatusMessage {
    std::int32_t code;
    const char* text;
};

constexpr int kStatusMessageCount = 47;
constexpr int kStatusMessageFieldSize = 156;  // 155 characters and a NUL
// The StatusMessageTable, in its fixed order.
extern const StatusMessage kStatusMessageTable[kStatusMessageCount];

// Message of a code: the first row whose code matches, else "".
const char* MessageForStatus(std::int32_t code) noexcept;

// Logs code (when non-zero, |code| <= 4999 and the log is on), then hands it
// to the EventHandler (when non-zero and one is set); returns code.
std::int32_t ReportStatus(std::int32_t code) noexcept;
// Queues the table message of code (nothing for 0, |code| >= 5000, log off).
void LogStatusMessage(std::int32_t code) noexcept;
// The sink handed to pattern libraries: stamps and queues a copy of record.
void KAM_CALL EventSink(KAM_EventRecord* record);
// Queues a record with the given code and text through the sink (text is cut
// to 255 characters). Used by the validation checks.
void QueueEvent(std::int32_t code, const char* text) noexcept;

// Appends a copy of record to the queue: 0, the LIST failure, or -4002
// when there is no queue (not initialised; the event is dropped).
int PushEvent(const KAM_EventRecord& record) noexcept;
// Detaches the oldest event: 0 (caller owns *record, release with Release),
// -2007 when empty, or a LIST failure.
int PopEvent(void** record, std::uint32_t* size) noexcept;
// Copies the oldest event into *event and releases it: 0 or -2007.
int TakeNextEvent(KAM_EventRecord* event) noexcept;
// Entry-frame step: when the log is on, clears the context and discards every
// queued event.
void DrainEvents() noexcept;
// Hands the sink (log on) or null (log off) to every library, oldest first:
// 0 or the first non-zero result (-3004 for a library without the entry).
int UpdateLibrarySinks() noexcept;

// Bounds the events of one exported call that evaluates many elements: while
// it is in force (in the scope of the call that made it, not in calls nested
// inside it), each distinct code is queued at most once, whichever side
// raises it (the host, the validation checks, a library through the sink),
// and handed to the EventHandler at most once by ReportBounded. The codes
// live in a fixed table on the stack: past kDistinctCodes different codes in
// one call, a further new code is neither queued nor handed on.
class EventBound {
public:
    static constexpr int kDistinctCodes = 256;

    EventBound() noexcept;
    ~EventBound();
    EventBound(const EventBound&) = delete;
    EventBound& operator=(const EventBound&) = delete;

    // True the first time code is queued (or handed on) under this bound.
    bool AdmitQueued(std::int32_t code) noexcept { return Admit(code, kQueued); }
    bool AdmitHandled(std::int32_t code) noexcept { return Admit(code, kHandled); }
    // The bound in force for the call under way, or nullptr.
    static EventBound* Active() noexcept;

private:
    static constexpr int kSlotBits = 9;
    static constexpr int kSlots = 1 << kSlotBits;
    static_assert(kSlots == 2 * kDistinctCodes, "the table is twice the codes it keeps");
    static constexpr unsigned char kUsed = 1, kQueued = 2, kHandled = 4;
    bool Admit(std::int32_t code, unsigned char what) noexcept;

    std::int32_t codes_[kSlots];
    unsigned char flags_[kSlots];
    int used_ = 0;
    int depth_;
    EventBound* previous_;
};

// ReportStatus under the bound in force: the message is queued (through the
// sink, which keeps the first event of each code) and the EventHandler is
// called only for a code it has not received in this call. The context
// (CurrentLibrary, CurrentPatternName) is restored after the handler, which
// may call into the library. Without a bound it is ReportStatus.
std::int32_t ReportBounded(std::int32_t code) noexcept;

// Renders an event line into out (at most 256 bytes with the NUL).
void RenderEventLine(const KAM_EventRecord& event, char* out) noexcept;

}  // namespace kam
