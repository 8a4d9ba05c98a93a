// Control of the fake pattern libraries used by the host's tests.
//
// Every fake module (built from fake_plugin.cpp) and every test executable
// link this one shared library, so a test configures a fake by its module id
// before loading it (KAM_AddLibrary) and reads back, afterwards, what the host
// did to it: the log of every entry-point and slot call with the pointers it
// received and the values they pointed to, the sink it was handed, and what
// the host wrote into the three targets of each registration.
//
// Typical use:
//   fake::Reset();                                   // defaults, empty log
//   auto& cfg = fake::Config("fake_a");
//   cfg.libraryName = "Alpha";
//   cfg.patterns[0].slots[fake::kGain].status = 7;
//   cfg.patterns[0].slots[fake::kGain].writeOutputs = true;
//   KAM_AddLibrary(fake::Path("fake_a").c_str(), &id);
//   for (const fake::Call& c : fake::Log()) ...
//
// Module ids are the file stems: fake_a .. fake_h (full libraries),
// fake_arr_a, fake_arr_b (full libraries with the optional array path),
// fake_no_set / fake_no_init / fake_no_info (one entry point missing),
// fake_ver (the base of the restamped version copies), fake_bench_NN.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "kam/kam_plugin.h"

#if defined(_WIN32)
#if defined(FAKECTL_BUILDING)
#define FAKECTL_API __declspec(dllexport)
#else
#define FAKECTL_API __declspec(dllimport)
#endif
#else
#define FAKECTL_API __attribute__((visibility("default")))
#endif

namespace fake {

// The most patterns one fake can hand out (its slot functions are generated
// per pattern index).
constexpr int kMaxPatterns = 64;

enum Slot { kValidateInput = 0, kValidateAll = 1, kGain = 2, kContour = 3, kSlotCount = 4 };
enum Entry { kSetEventLogHandler = 0, kInitLibrary = 1, kGetLibraryInfo = 2, kEntryCount = 3 };

// One event a fake queues through the sink it holds.
struct Event {
    std::int32_t code = 0;
    std::string text;
    bool withoutNul = false;  // fill all 256 text bytes with text repeated, no NUL
};

struct SlotConfig {
    bool present = true;          // false: the slot is null in the PatternInfo
    std::int32_t status = 0;      // returned by the slot
    bool writeOutputs = false;    // gain/gainX or phi/phiX written when true
    double output1 = 0.0;         // gain or phi
    double output2 = 0.0;         // gainX or phiX
    std::vector<Event> events;    // queued through the sink, in order
    std::function<void()> hook;   // runs inside the slot after the events
};

// The array function of one slot (fakes built with FAKE_ARRAY_PATH): by
// default it does for each element what the slot's SlotConfig says (status,
// outputs, events), as an array path must.
struct ArraySlotConfig {
    bool present = true;          // false: null in the pattern's array slots
    std::int32_t decline = 0;     // non-zero: returned at once, nothing written
    // A library whose array path disagrees with its own slots: added to
    // every output written and, when non-zero, the status of every element.
    double outputOffset = 0.0;
    std::int32_t status = 0;
    std::function<void()> hook;   // runs once per call, before the elements
};

struct PatternConfig {
    // Copied into the 13-byte name field with at most 13 bytes: 12 characters
    // get a NUL, 13 characters fill the field without one.
    std::string name;
    std::int32_t type = KAM_PATTERN_EARTH;
    std::int32_t paramProperties[KAM_PARAM_COUNT] = {};
    std::int32_t specificSize = 0;
    std::int32_t specificStructId = 0;
    // Opaque bytes: reserved, title and reserved2 are filled with this byte
    // so that a test can see them copied.
    unsigned char opaqueFill = 0;
    SlotConfig slots[kSlotCount];
    ArraySlotConfig arrays[kSlotCount];  // validateInput has no array form
};

// What LIP_GetArrayInfo of a FAKE_ARRAY_PATH module hands out.
struct ArrayInfoConfig {
    std::int32_t status = 0;      // its result
    bool overrideStructSize = false;
    std::int32_t structSize = 0;
    bool overrideSlotCount = false;  // else one record per pattern
    std::int32_t slotCount = 0;
    bool nullSlots = false;
    std::uint32_t flags = 0;  // written even where structSize ends before it
};

struct EntryConfig {
    bool fillRecord = true;       // LIP_GetLibraryInfo only: false leaves *info untouched
    std::int32_t status = 0;
    std::vector<Event> events;    // queued through the sink held at that moment
    std::function<void()> hook;   // runs inside the entry point after the events
};

struct ModuleConfig {
    EntryConfig entries[kEntryCount];
    // Copied into the 64-byte name field with at most 64 bytes (63 characters
    // get a NUL, 64 fill it without one).
    std::string libraryName;
    unsigned char opaqueFill = 0;  // reserved and description bytes
    std::vector<PatternConfig> patterns;
    // patternCount handed out: patterns.size() unless overridden.
    bool overridePatternCount = false;
    std::int32_t patternCount = 0;
    bool nullPatterns = false;     // patterns pointer null
    std::vector<KAM_SpecificParDef> specificParDefs;
    bool overrideParDefCount = false;
    std::int32_t specificParDefCount = 0;
    bool nullParDefs = false;      // specificParDefs pointer null
    bool nullNoValueDoubleTarget = false;
    bool nullNoValueStructTarget = false;
    bool nullGainValidTarget = false;
    // Every LIP_GetLibraryInfo call hands out the same storage (the last
    // registration's), so repeated loads give byte-identical records.
    bool reuseRegistration = false;
    ArrayInfoConfig arrayInfo;
};

// Values placed in the targets before the host writes them, so a test can
// tell "not written" apart.
constexpr double kTargetUnsetDouble = -12345.5;
inline void* TargetUnsetStruct() { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x5A5A)); }
constexpr std::int32_t kTargetUnsetInt = -77;

// What one LIP_GetLibraryInfo call handed out; kept for the life of the
// process, because the host keeps pointing into it.
struct Registration {
    double noValueDouble = kTargetUnsetDouble;
    void* noValueStruct = TargetUnsetStruct();
    std::int32_t gainValid = kTargetUnsetInt;
    std::vector<KAM_PatternInfo> patterns;
    std::vector<KAM_SpecificParDef> specificParDefs;
    KAM_LibraryInfo infoOnEntry{};  // *info as the host handed it in
    std::vector<KAM_PatternArraySlots> arraySlots;  // what LIP_GetArrayInfo handed out
};

// One call the host made into a fake.
struct Call {
    std::string module;         // module id
    std::string what;           // "LIP_SetEventLogHandler", "LIP_InitLibrary",
                                // "LIP_GetLibraryInfo", "validateInput",
                                // "validateAll", "gain", "contour",
                                // "LIP_GetArrayInfo", "validateAllArray",
                                // "gainArray", "contourArray"
    int pattern = -1;           // pattern index for slots
    std::string patternName;    // name configured for that index
    std::int32_t type = 0;      // earth or space form of the slot
    // Number arguments in slot order, outputs included (gain, gainX, phi,
    // phiX), with the values they pointed to on entry.
    std::vector<double*> args;
    std::vector<double> values;
    void* specific = nullptr;   // the Specific pointer (not dereferenced)
    KAM_EventSink sink = nullptr;       // LIP_SetEventLogHandler's argument
    KAM_LibraryInfo* info = nullptr;    // LIP_GetLibraryInfo's argument
    std::vector<KAM_EventRecord> events;  // records after the sink stamped them
    bool eventsDropped = false;          // events configured but no sink held
    std::int32_t status = 0;             // what the call returned
    // Values written to the outputs (when configured).
    double written1 = 0.0, written2 = 0.0;
    std::int32_t count = 0;              // array functions: the element count
};

// The configuration of a module, created with defaults on first use.
FAKECTL_API ModuleConfig& Config(const std::string& module);
// Defaults: library name = module id; two patterns "<P>_EARTH" (earth) and
// "<P>_SPACE" (space, with a contour slot) where <P> is the id's last part in
// capitals ("fake_a" -> "A_EARTH"); every slot present and returning 0.
FAKECTL_API ModuleConfig DefaultConfig(const std::string& module);
// Restores every module's defaults, clears the log and the held sinks'
// record of calls (registrations stay: the host still points into them).
FAKECTL_API void Reset();
// Every call since the last Reset, in order.
FAKECTL_API const std::vector<Call>& Log();
// Turns the call log on (the default, and after Reset) or off: a benchmark
// that calls slots millions of times turns it off so the log does not grow.
FAKECTL_API void SetLogging(bool on);
// Calls of one module (and of one kind when what is given).
FAKECTL_API std::vector<Call> CallsOf(const std::string& module, const std::string& what = "");
// The sink the module last received (nullptr before any).
FAKECTL_API KAM_EventSink HeldSink(const std::string& module);
// Every registration of a module (one per LIP_GetLibraryInfo call), oldest
// first; the last one is the newest.
FAKECTL_API std::deque<Registration>& Registrations(const std::string& module);
FAKECTL_API Registration* LastRegistration(const std::string& module);

// ---- Used by the fake modules only ------------------------------------

// Slot functions of one module, by pattern index.
struct SlotTable {
    KAM_EarthValidateInputFn earthValidateInput[kMaxPatterns];
    KAM_SpaceValidateInputFn spaceValidateInput[kMaxPatterns];
    KAM_EarthValidateAllFn earthValidateAll[kMaxPatterns];
    KAM_SpaceValidateAllFn spaceValidateAll[kMaxPatterns];
    KAM_EarthGainFn earthGain[kMaxPatterns];
    KAM_SpaceGainFn spaceGain[kMaxPatterns];
    KAM_ContourFn contour[kMaxPatterns];
};

FAKECTL_API KAM_Status OnSetEventLogHandler(const char* module, KAM_EventSink sink);
FAKECTL_API KAM_Status OnInitLibrary(const char* module);
FAKECTL_API KAM_Status OnGetLibraryInfo(const char* module, KAM_LibraryInfo* info,
                                        const SlotTable& table);
// A slot call: args are the number pointers in slot order (outputs last, when
// the slot has outputs, the last two).
// The array functions of one module, by pattern index.
struct ArrayTable {
    KAM_EarthValidateAllArrayFn earthValidateAll[kMaxPatterns];
    KAM_SpaceValidateAllArrayFn spaceValidateAll[kMaxPatterns];
    KAM_EarthGainArrayFn earthGain[kMaxPatterns];
    KAM_SpaceGainArrayFn spaceGain[kMaxPatterns];
    KAM_ContourArrayFn contour[kMaxPatterns];
};
FAKECTL_API KAM_Status OnGetArrayInfo(const char* module, KAM_ArrayInfo* info,
                                      const ArrayTable& table);
// An array function call: scalars are the number pointers before the count,
// input the angles or levels, phi0 may be null, out1/out2 null for
// validateAll.
FAKECTL_API KAM_Status OnArraySlot(const char* module, int pattern, Slot slot, std::int32_t type,
                                   std::vector<double*> scalars, void* specific,
                                   std::int32_t count, const double* input, const double* phi0,
                                   double* out1, double* out2, KAM_Status* status);
FAKECTL_API KAM_Status OnSlot(const char* module, int pattern, Slot slot, std::int32_t type,
                              std::vector<double*> args, void* specific, bool hasOutputs);

}  // namespace fake
