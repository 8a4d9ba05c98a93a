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

// Renders an event line into out (at most 256 bytes with the NUL).
void RenderEventLine(const KAM_EventRecord& event, char* out) noexcept;

}  // namespace kam
