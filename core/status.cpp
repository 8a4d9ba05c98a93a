// The StatusMessageTable, the reporting step, and the event queue: the sink
// that stamps and queues events, taking events out, and handing the sink to
// the loaded pattern libraries.
#include "core/status.h"

#include <cstdio>
#include <cstring>

#include "core/alloc.h"
#include "core/frame.h"
#include "core/handles.h"
#include "core/list.h"
#include "core/state.h"
#include "libraries/platform.h"

namespace kam {

const StatusMessage kStatusMessageTable[kStatusMessageCount] = {
    {-1, "Input parameter 1 is wrong."},
    {-2, "Input parameter 2 is wrong."},
    {-3, "Input parameter 3 is wrong."},
    {-4, "Input parameter 4 is wrong."},
    {-5, "Input parameter 5 is wrong."},
    {-6, "Input parameter 6 is wrong."},
    {-7, "Input parameter 7 is wrong."},
    {-8, "Input parameter 8 is wrong."},
    {-9, "Input parameter 9 is wrong."},
    {-10, "Input parameter 10 is wrong."},
    {-11, "Input parameter 11 is wrong."},
    {-2001, "KAM is not initialised."},
    {-2002, "DLL not found. Wrong filename or file format."},
    {-2003, "Memory allocation error."},
    {-2004, "Unknown library. Wrong LibraryId."},
    {-2005, "Pattern not found."},
    {-2006, "Pattern type mismatch."},
    {-2007, "Event Queue is empty."},
    {2008, "DLL is already loaded."},
    {-2009, "Unknown antenna. Wrong AntennaId."},
    {2010, "KAM is already initialised."},
    {2011, "KAM is not terminated. There are open references."},
    {-2012, "Library not found. Wrong Library name."},
    {-2101, "No Specific parameters structure definition."},
    {-2102, "Parameter definition not found."},
    {-2201, "Contour calculation is not available."},
    {-3001, "Antenna patterns DLL interface error. SetEventLogHandler procedure not found."},
    {-3002, "Antenna patterns DLL interface error. InitLibrary procedure not found."},
    {-3003, "Antenna patterns DLL interface error. GetLibraryInfo procedure not found."},
    {-3004, "Antenna patterns DLL interface error. SetEventLogHandler procedure not found."},
    {-3006, "Antenna patterns DLL interface error. gain() function is NULL."},
    {-3050, "Antenna patterns DLL interface error. No version info found."},
    {-3051, "Antenna patterns DLL interface error. Get library version failed."},
    {-3100, "Antenna patterns DLL interface error. Unknown parameter property."},
    {-4001, "Internal KAM error in LIST module."},
    {-4002, "Internal KAM error in FIFO module."},
    {-4101, "Internal KAM error."},
    {-4102, "Internal KAM error."},
    {-4103, "Internal KAM error."},
    {-4104, "Internal KAM error."},
    {-4105, "Internal KAM error."},
    {-4106, "Internal KAM error."},
    {-4107, "Internal KAM error."},
    {-4108, "Internal KAM error."},
    {-4109, "Internal KAM error."},
    {-4200, "Internal KAM error. gain() function is corrupted."},
    {-4999, "Internal KAM error. Buffer overflow."},
};

namespace {

constexpr std::int64_t kLargestTableCode = 4999;  // larger codes carry their own messages
constexpr const char* kElementNameFormat = "Element #%d";
constexpr const char* kEventLineFormat = "KAM-> %12.12s/%12.12s/ %.7s#%6d. %.255s";
constexpr const char* kSetEventLogHandlerEntry = "LIP_SetEventLogHandler";
constexpr int kTextSize = sizeof(KAM_EventRecord::text);
constexpr std::size_t kRenderScratchSize = 320;

// Severity words of a rendered line, by severity value.
const char* SeverityWord(std::int32_t severity) noexcept {
    switch (severity) {
        case KAM_SEVERITY_ERROR: return "Error  ";
        case KAM_SEVERITY_WARNING: return "Warning";
        default: return "Unknown";
    }
}

bool HasTableRange(std::int32_t code) noexcept {
    std::int64_t magnitude = code < 0 ? -static_cast<std::int64_t>(code) : code;
    return code != 0 && magnitude <= kLargestTableCode;
}

// Copies at most size-1 characters of text into a field of size bytes,
// zero-filling the rest.
void CopyField(char* field, std::size_t size, const char* text) noexcept {
    std::memset(field, 0, size);
    if (text != nullptr) std::memcpy(field, text, strnlen(text, size - 1));
}

}  // namespace

const char* MessageForStatus(std::int32_t code) noexcept {
    for (const StatusMessage& row : kStatusMessageTable) {
        if (row.code == code) return row.text;
    }
    return "";
}

std::int32_t ReportStatus(std::int32_t code) noexcept {
    if (code == 0) return code;
    if (HasTableRange(code) && g_state.eventLog != 0) LogStatusMessage(code);
    if (g_state.eventHandler != nullptr) g_state.eventHandler(code);
    return code;
}

void LogStatusMessage(std::int32_t code) noexcept {
    if (g_state.eventLog == 0 || !HasTableRange(code)) return;
    QueueEvent(code, MessageForStatus(code));
}

void QueueEvent(std::int32_t code, const char* text) noexcept {
    if (g_state.eventLog == 0) return;
    KAM_EventRecord record;
    std::memset(&record, 0, sizeof record);
    record.code = code;
    CopyField(record.text, sizeof record.text, text);
    EventSink(&record);
}

// Stamps severity, textLength, libraryName and patternName into the caller's
// record and queues a copy. A text without a NUL in its field is stamped with
// length 255 and queued cut there; the caller's text is left as it is. A push
// that fails loses the event silently.
void KAM_CALL EventSink(KAM_EventRecord* record) {
    if (g_state.eventLog == 0 || record == nullptr) return;
    const ListNode* library = NodeOfKind(g_state.currentLibrary, NodeKind::Package);
    CopyField(record->libraryName, sizeof record->libraryName,
              library != nullptr ? library->name : "");
    CopyField(record->patternName, sizeof record->patternName, g_state.currentPatternName);
    record->severity = record->code > 0 ? KAM_SEVERITY_WARNING : KAM_SEVERITY_ERROR;
    std::size_t length = strnlen(record->text, kTextSize);
    bool unterminated = length == static_cast<std::size_t>(kTextSize);
    if (unterminated) length = kTextSize - 1;
    record->textLength = static_cast<std::int32_t>(length);
    if (EventBound* bound = EventBound::Active();
        bound != nullptr && !bound->AdmitQueued(record->code)) {
        return;
    }
    if (!unterminated) {
        PushEvent(*record);
        return;
    }
    KAM_EventRecord copy;
    std::memcpy(&copy, record, sizeof copy);
    copy.text[kTextSize - 1] = '\0';
    PushEvent(copy);
}

// 0, the LIST failure (-2003), or -4002 when there is no queue (before
// initialisation or after termination; the counter is not advanced then).
int PushEvent(const KAM_EventRecord& record) noexcept {
    if (g_state.eventQueue == nullptr) return KAM_E_FIFO;
    ++g_state.elementCounter;
    char name[kNodeNameSize];
    std::snprintf(name, sizeof name, kElementNameFormat,
                  static_cast<int>(g_state.elementCounter));
    return AddChild(g_state.eventQueue, NodeKind::Other, sizeof record, &record, name, nullptr);
}

int PopEvent(void** record, std::uint32_t* size) noexcept {
    if (record != nullptr) *record = nullptr;
    if (size != nullptr) *size = 0;
    ListNode* oldest = g_state.eventQueue != nullptr ? g_state.eventQueue->lastChild : nullptr;
    if (oldest == nullptr) return KAM_E_QUEUE_EMPTY;
    int status = Unlink(oldest);
    if (status != 0) return status;
    void* payload = nullptr;
    std::uint32_t payloadSize = 0;
    DetachPayload(oldest, &payload, &payloadSize);
    status = FreeNode(oldest);
    if (status != 0) {
        Release(payload);
        return status;
    }
    if (record != nullptr) {
        *record = payload;
    } else {
        Release(payload);
    }
    if (size != nullptr) *size = payloadSize;
    return 0;
}

int TakeNextEvent(KAM_EventRecord* event) noexcept {
    if (g_state.eventLog == 0) return KAM_E_QUEUE_EMPTY;
    void* record = nullptr;
    std::uint32_t size = 0;
    int status = PopEvent(&record, &size);
    if (status != 0) return status;
    if (event != nullptr && record != nullptr) {
        std::memcpy(event, record, size < sizeof *event ? size : sizeof *event);
    }
    Release(record);
    return 0;
}

// Takes events through TakeNextEvent (never through the export), so it
// cannot initialise or loop; it stops at the first non-zero result. Without
// a queue (the roots could not be created) it does nothing at all.
void DrainEvents() noexcept {
    if (g_state.eventLog == 0 || g_state.eventQueue == nullptr) return;
    ClearContext();
    KAM_EventRecord scratch;
    while (TakeNextEvent(&scratch) == 0) {
    }
}

int UpdateLibrarySinks() noexcept {
    KAM_EventSink sink = g_state.eventLog != 0 ? &EventSink : nullptr;
    for (ListNode* node = g_state.root != nullptr ? g_state.root->lastChild : nullptr;
         node != nullptr; node = node->prev) {
        if (node->kind != static_cast<std::uint32_t>(NodeKind::Package) ||
            node->payload == nullptr || node->payloadSize < sizeof(KAM_LibraryInfo)) {
            continue;
        }
        const auto* info = static_cast<const KAM_LibraryInfo*>(node->payload);
        auto entry = reinterpret_cast<KAM_SetEventLogHandlerFn>(
            platform::Current().Resolve(info->module, kSetEventLogHandlerEntry));
        if (entry == nullptr) return KAM_E_SINK_UPDATE_FAILED;
        int status = entry(sink);
        if (status != 0) return status;
    }
    return 0;
}

namespace {
// The innermost bound; it applies only at the nesting depth it was made at.
EventBound* g_bound = nullptr;
}  // namespace

EventBound::EventBound() noexcept
    : depth_(frame_detail::g_depth), previous_(g_bound) {
    std::memset(flags_, 0, sizeof flags_);
    g_bound = this;
}

EventBound::~EventBound() { g_bound = previous_; }

EventBound* EventBound::Active() noexcept {
    return g_bound != nullptr && g_bound->depth_ == frame_detail::g_depth ? g_bound : nullptr;
}

// Open addressing over a table twice the size of the codes it keeps.
bool EventBound::Admit(std::int32_t code, unsigned char what) noexcept {
    std::uint32_t slot = (static_cast<std::uint32_t>(code) * 0x9E3779B1u) >> (32 - kSlotBits);
    for (;; slot = (slot + 1) & (kSlots - 1)) {
        if ((flags_[slot] & kUsed) == 0) {
            if (used_ == kDistinctCodes) return false;
            ++used_;
            codes_[slot] = code;
            flags_[slot] = static_cast<unsigned char>(kUsed | what);
            return true;
        }
        if (codes_[slot] == code) {
            if ((flags_[slot] & what) != 0) return false;
            flags_[slot] = static_cast<unsigned char>(flags_[slot] | what);
            return true;
        }
    }
}

std::int32_t ReportBounded(std::int32_t code) noexcept {
    EventBound* bound = EventBound::Active();
    if (bound == nullptr) return ReportStatus(code);
    if (code == 0) return code;
    if (HasTableRange(code) && g_state.eventLog != 0) LogStatusMessage(code);
    if (g_state.eventHandler != nullptr && bound->AdmitHandled(code)) {
        const KAM_LibraryId library = g_state.currentLibrary;
        char pattern[sizeof g_state.currentPatternName];
        std::memcpy(pattern, g_state.currentPatternName, sizeof pattern);
        g_state.eventHandler(code);
        g_state.currentLibrary = library;
        std::memcpy(g_state.currentPatternName, pattern, sizeof pattern);
    }
    return code;
}

void RenderEventLine(const KAM_EventRecord& event, char* out) noexcept {
    if (out == nullptr) return;
    // The whole line fits the scratch buffer (at most 6+12+1+12+2+7+1+11+2+255
    // characters); the caller's buffer then receives at most 255 and a NUL.
    char line[kRenderScratchSize];
    int length = std::snprintf(line, sizeof line, kEventLineFormat, event.libraryName,
                               event.patternName, SeverityWord(event.severity), event.code,
                               event.text);
    if (length < 0) length = 0;
    std::size_t kept = static_cast<std::size_t>(length);
    if (kept > KAM_EVENT_LINE_SIZE - 1) kept = KAM_EVENT_LINE_SIZE - 1;
    std::memcpy(out, line, kept);
    out[kept] = '\0';
}

}  // namespace kam
