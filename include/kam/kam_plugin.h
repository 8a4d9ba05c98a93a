/*
 * kam_plugin.h - what a pattern-library author needs to build a library that
 * KAM loads.
 *
 * A pattern library exports three entry points (LIP_SetEventLogHandler,
 * LIP_InitLibrary, LIP_GetLibraryInfo). At registration KAM calls them in
 * that order, copies the LibraryInfo and every PatternInfo the library hands
 * over, and then writes the NoValue values and the GainValid switch through
 * the three targets of the LibraryInfo. Later it calls each pattern's slots.
 * The records are laid out for 4-byte pointers; where pointers are wider the
 * pointer fields widen in place with natural alignment.
 *
 * A fourth entry point, LIP_GetArrayInfo, is optional: it hands over array
 * functions that evaluate many angles in one call (see "Array path").
 *
 * Every number a slot receives is a pointer to KAM's own copy of the value;
 * an absent number holds the NoValue double, an absent specific structure is
 * the structure NoValue (pointer value 1). Plain C99.
 */
#ifndef KAM_KAM_PLUGIN_H
#define KAM_KAM_PLUGIN_H

#include "kam.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define KAM_PLUGIN_API __declspec(dllexport)
#elif defined(__GNUC__)
#define KAM_PLUGIN_API __attribute__((visibility("default")))
#else
#define KAM_PLUGIN_API
#endif

/* ---- Event sink ------------------------------------------------------- */

/* Fill code and text of a record and call the sink; it stamps severity,
 * textLength, libraryName and patternName into the record and queues a copy. */
typedef void (KAM_CALL *KAM_EventSink)(KAM_EventRecord* record);

/* ---- Slots ------------------------------------------------------------ */

typedef KAM_Status (KAM_CALL *KAM_EarthValidateInputFn)(double* gainMax, double* diameter,
                                                        double* frequency, double* efficiency,
                                                        void* specific);
typedef KAM_Status (KAM_CALL *KAM_SpaceValidateInputFn)(double* gainMax, double* beamlet,
                                                        void* specific);
typedef KAM_Status (KAM_CALL *KAM_EarthValidateAllFn)(double* gainMax, double* diameter,
                                                      double* frequency, double* efficiency,
                                                      void* specific, double* phi, double* phi0);
typedef KAM_Status (KAM_CALL *KAM_SpaceValidateAllFn)(double* gainMax, double* beamlet,
                                                      void* specific, double* phi, double* phi0);
/* gain and gainX point to two doubles that hold 0.0 when the call starts. */
typedef KAM_Status (KAM_CALL *KAM_EarthGainFn)(double* gainMax, double* diameter,
                                               double* frequency, double* efficiency,
                                               void* specific, double* phi, double* phi0,
                                               double* gain, double* gainX);
typedef KAM_Status (KAM_CALL *KAM_SpaceGainFn)(double* gainMax, double* beamlet, void* specific,
                                               double* phi, double* phi0, double* gain,
                                               double* gainX);
/* phi and phiX are the caller's outputs and hold the NoValue double on entry. */
typedef KAM_Status (KAM_CALL *KAM_ContourFn)(double* gainRel, double* beamlet, void* specific,
                                             double* phi0, double* phi, double* phiX);

/* A slot holds the earth or the space form, as the pattern's type says. */
typedef union KAM_ValidateInputSlot {
    KAM_EarthValidateInputFn earth;
    KAM_SpaceValidateInputFn space;
} KAM_ValidateInputSlot;
typedef union KAM_ValidateAllSlot {
    KAM_EarthValidateAllFn earth;
    KAM_SpaceValidateAllFn space;
} KAM_ValidateAllSlot;
typedef union KAM_GainSlot {
    KAM_EarthGainFn earth;
    KAM_SpaceGainFn space;
} KAM_GainSlot;
typedef union KAM_ContourSlot {
    KAM_ContourFn space; /* never called for earth patterns */
} KAM_ContourSlot;

/* ---- Records ---------------------------------------------------------- */

/* One pattern, 388 bytes with 4-byte pointers (408 with 8-byte ones). */
typedef struct KAM_PatternInfo {
    unsigned char reserved[24];  /* opaque to KAM */
    char name[13];               /* 1..12 characters and a NUL */
    unsigned char title[259];    /* opaque to KAM */
    int32_t type;                /* KAM_PATTERN_EARTH or KAM_PATTERN_SPACE */
    unsigned char reserved2[32]; /* opaque to KAM */
    int32_t specificSize;        /* bytes of the specific structure, 0 if none */
    KAM_ValidateInputSlot validateInput; /* may be null */
    KAM_ValidateAllSlot validateAll;     /* may be null */
    KAM_GainSlot gain;                   /* never null */
    KAM_ContourSlot contour;             /* null for earth patterns */
    int32_t paramProperties[KAM_PARAM_COUNT]; /* KAM_PROPERTY_* by KAM_PARAM_* */
    int32_t specificStructId;    /* key into specificParDefs, > 0 when used */
} KAM_PatternInfo;

/* The library, 440 bytes with 4-byte pointers (472 with 8-byte ones). */
typedef struct KAM_LibraryInfo {
    int32_t version[3];          /* set by KAM from the file's ProductVersion */
    unsigned char reserved[12];  /* opaque to KAM */
    char name[64];               /* 1..63 characters and a NUL */
    unsigned char description[320]; /* opaque to KAM */
    int32_t patternCount;
    const KAM_PatternInfo* patterns;   /* read once, at registration */
    int32_t specificParDefCount;       /* 0 or less: none */
    const KAM_SpecificParDef* specificParDefs; /* must stay valid */
    double* noValueDoubleTarget;       /* KAM writes DBL_MAX here */
    void** noValueStructTarget;        /* KAM writes the pointer value 1 here */
    int32_t* gainValidTarget;          /* KAM writes the GainValid switch here */
    void* module;                      /* set by KAM */
} KAM_LibraryInfo;

/* Optional layout of SpecificParDef.description used by the standard
 * library, so that generic tools can build a specific structure (88 bytes). */
typedef struct KAM_ElementDescription {
    char name[32];
    char unit[16];
    int32_t valueType;   /* KAM_VALUE_DOUBLE or KAM_VALUE_INT32 */
    int32_t offset;      /* byte offset of the element in the structure */
    double defaultValue; /* used when the structure is the NoValue structure */
    double lowest;
    double highest;
    double zero;
} KAM_ElementDescription;

#define KAM_VALUE_DOUBLE 1
#define KAM_VALUE_INT32 2

/* ---- Entry points ----------------------------------------------------- */

typedef KAM_Status (KAM_CALL *KAM_SetEventLogHandlerFn)(KAM_EventSink sink);
typedef KAM_Status (KAM_CALL *KAM_InitLibraryFn)(void);
typedef KAM_Status (KAM_CALL *KAM_GetLibraryInfoFn)(KAM_LibraryInfo* info);

/* Receives the event sink, or null while the event log is off. */
KAM_PLUGIN_API KAM_Status KAM_CALL LIP_SetEventLogHandler(KAM_EventSink sink);
/* Called at registration and, for the standard library, at every load,
 * unload and thread notification of KAM. */
KAM_PLUGIN_API KAM_Status KAM_CALL LIP_InitLibrary(void);
/* Fills *info (zeroed by KAM beforehand). */
KAM_PLUGIN_API KAM_Status KAM_CALL LIP_GetLibraryInfo(KAM_LibraryInfo* info);

/* ---- Array path (optional) -------------------------------------------- */

/* A library may also evaluate many angles (levels) in one call, computing what
 * depends only on the antenna's parameters once. It says so through a fourth,
 * optional entry point, LIP_GetArrayInfo, which KAM looks up after
 * LIP_GetLibraryInfo at registration; a library without it registers and
 * works exactly as before, and KAM then loops over the per-point slots.
 *
 * Contract of every array function: for each i in 0..count-1 it writes what
 * the matching per-point slot, called with the same scalar inputs and the
 * i-th angle (level), would leave in its outputs, and that slot's status into
 * status[i]; it queues through the event sink the events the slot would queue
 * (KAM keeps only the first event of each code per exported call). Where it
 * computes a finite value by other arithmetic than the slot's (a faster
 * logarithm, say), it stays within 1e-12 dB (degrees) of the slot's value;
 * statuses are always the slot's. phi, phi0, gainRel are the caller's arrays
 * and are never written; phi0 may be null, meaning the NoValue double for
 * every element. Every output array is non-null and holds count elements.
 * The scalar inputs point to KAM's copies, as for the slots.
 *
 * The result says who computed: 0 when the function did (every element
 * written); anything else declines the call, and KAM evaluates it with the
 * per-point slots instead (and does not ask that function again within the
 * same exported call). A function that declines must do so before it writes
 * any output or queues any event.
 *
 * KAM runs its own checks first (argument checks, the lookup, the checks of
 * the antenna parameters once per call, the angle checks per element) and
 * hands an array function only the elements still open, in their order, in
 * spans of at most a few thousand: count is never more than that.
 * The scalar inputs are KAM's copy of the call's values (for an antenna, its
 * own record), the same for every element of the call. Where an array
 * function's results differ from its slot's, KAM passes them on as they are:
 * keeping them equal is the library's part of the contract. */

/* gain[i], gainX[i]: what the gain slot leaves in its outputs, which start at
 * 0.0 for every element (unless the library sets KAM_ARRAY_WRITES_OUTPUTS). */
typedef KAM_Status (KAM_CALL *KAM_EarthGainArrayFn)(double* gainMax, double* diameter,
                                                    double* frequency, double* efficiency,
                                                    void* specific, int32_t count,
                                                    const double* phi, const double* phi0,
                                                    double* gain, double* gainX,
                                                    KAM_Status* status);
typedef KAM_Status (KAM_CALL *KAM_SpaceGainArrayFn)(double* gainMax, double* beamlet,
                                                    void* specific, int32_t count,
                                                    const double* phi, const double* phi0,
                                                    double* gain, double* gainX,
                                                    KAM_Status* status);
/* status[i]: what validateAll returns for phi[i], phi0[i]. */
typedef KAM_Status (KAM_CALL *KAM_EarthValidateAllArrayFn)(double* gainMax, double* diameter,
                                                           double* frequency, double* efficiency,
                                                           void* specific, int32_t count,
                                                           const double* phi,
                                                           const double* phi0,
                                                           KAM_Status* status);
typedef KAM_Status (KAM_CALL *KAM_SpaceValidateAllArrayFn)(double* gainMax, double* beamlet,
                                                           void* specific, int32_t count,
                                                           const double* phi,
                                                           const double* phi0,
                                                           KAM_Status* status);
/* phi[i], phiX[i]: what the contour slot leaves in its outputs, which hold the
 * NoValue double on entry for every element (unless the library sets
 * KAM_ARRAY_WRITES_OUTPUTS). */
typedef KAM_Status (KAM_CALL *KAM_ContourArrayFn)(double* beamlet, void* specific,
                                                  int32_t count, const double* gainRel,
                                                  const double* phi0, double* phi,
                                                  double* phiX, KAM_Status* status);

typedef union KAM_GainArraySlot {
    KAM_EarthGainArrayFn earth;
    KAM_SpaceGainArrayFn space;
} KAM_GainArraySlot;
typedef union KAM_ValidateAllArraySlot {
    KAM_EarthValidateAllArrayFn earth;
    KAM_SpaceValidateAllArrayFn space;
} KAM_ValidateAllArraySlot;
typedef union KAM_ContourArraySlot {
    KAM_ContourArrayFn space; /* never called for earth patterns */
} KAM_ContourArraySlot;

/* The array functions of one pattern; any of them may be null, and KAM then
 * uses the per-point slot for that step. validateAll is only used while the
 * pattern also has a per-point validateAll. */
typedef struct KAM_PatternArraySlots {
    KAM_ValidateAllArraySlot validateAll;
    KAM_GainArraySlot gain;
    KAM_ContourArraySlot contour;
} KAM_PatternArraySlots;

/* KAM_ArrayInfo.flags. KAM_ARRAY_WRITES_OUTPUTS: every array function of the
 * library writes every element of its outputs itself (each of its elements
 * ends in what the slot would write, failures included), so KAM may hand
 * them over as they are instead of setting them to 0.0 (NoValue) first: on
 * entry they may hold anything. Bits KAM does not know are ignored. */
#define KAM_ARRAY_WRITES_OUTPUTS 0x1u

/* What LIP_GetArrayInfo fills (zeroed by KAM beforehand, with room to spare
 * for a larger record). slots[i] belongs to LibraryInfo.patterns[i]; patterns
 * beyond slotCount have no array path, and slots beyond patternCount are not
 * read. structSize is sizeof(KAM_ArrayInfo) as the library was built, so that
 * the record can grow: KAM reads no field beyond it (a library built before
 * flags existed gives a structSize that ends at slots, and its flags count as
 * 0). A structSize too small to hold slots, a negative slotCount, or null
 * slots with a positive count mean no array path. The record is read once,
 * at registration, and the slots are copied then. */
typedef struct KAM_ArrayInfo {
    int32_t structSize;
    int32_t slotCount;
    const KAM_PatternArraySlots* slots;
    uint32_t flags; /* KAM_ARRAY_... bits */
} KAM_ArrayInfo;

typedef KAM_Status (KAM_CALL *KAM_GetArrayInfoFn)(KAM_ArrayInfo* info);

/* Optional: describes the library's array path. Any result but 0 means the
 * library has none; registration goes on either way. */
KAM_PLUGIN_API KAM_Status KAM_CALL LIP_GetArrayInfo(KAM_ArrayInfo* info);

/* ---- Version stamp ---------------------------------------------------- */

/* KAM_PLUGIN_VERSION("1, 0, 0, 3") at file scope in one source file stamps
 * the library's ProductVersion ("a, b, c, d" or "a.b.c.d"). On ELF it lives
 * in the non-allocated section .kam_version; on Windows the library carries
 * a VERSIONINFO resource instead and the macro expands to nothing. */
#if defined(__ELF__)
#define KAM_PLUGIN_VERSION(text)                                              \
    __asm__(".pushsection .kam_version,\"\",@progbits\n\t.asciz \"" text     \
            "\"\n\t.popsection")
#else
#define KAM_PLUGIN_VERSION(text)
#endif

/* ---- Layout checks ---------------------------------------------------- */

#if (defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L) || defined(__cplusplus)
#if defined(__cplusplus)
#define KAM_STATIC_ASSERT(c, m) static_assert(c, m)
#else
#define KAM_STATIC_ASSERT(c, m) _Static_assert(c, m)
#endif
KAM_STATIC_ASSERT(sizeof(KAM_EventRecord) == 348, "EventRecord is 348 bytes");
KAM_STATIC_ASSERT(offsetof(KAM_EventRecord, text) == 8, "EventRecord.text");
KAM_STATIC_ASSERT(offsetof(KAM_EventRecord, textLength) == 264, "EventRecord.textLength");
KAM_STATIC_ASSERT(offsetof(KAM_EventRecord, libraryName) == 268, "EventRecord.libraryName");
KAM_STATIC_ASSERT(offsetof(KAM_EventRecord, patternName) == 332, "EventRecord.patternName");
KAM_STATIC_ASSERT(sizeof(KAM_LibraryProperties) == 412, "library description is 412 bytes");
KAM_STATIC_ASSERT(offsetof(KAM_LibraryProperties, name) == 24, "LibraryProperties.name");
KAM_STATIC_ASSERT(offsetof(KAM_LibraryProperties, patternCount) == 408,
                  "LibraryProperties.patternCount");
KAM_STATIC_ASSERT(sizeof(KAM_PatternProperties) == 336, "pattern description is 336 bytes");
KAM_STATIC_ASSERT(offsetof(KAM_PatternProperties, name) == 24, "PatternProperties.name");
KAM_STATIC_ASSERT(offsetof(KAM_PatternProperties, type) == 296, "PatternProperties.type");
KAM_STATIC_ASSERT(offsetof(KAM_PatternProperties, specificSize) == 332,
                  "PatternProperties.specificSize");
KAM_STATIC_ASSERT(sizeof(KAM_SpecificParDef) == 96, "SpecificParDef is 96 bytes");
KAM_STATIC_ASSERT(sizeof(KAM_ElementDescription) == 88, "ElementDescription is 88 bytes");
KAM_STATIC_ASSERT(offsetof(KAM_ElementDescription, defaultValue) == 56,
                  "ElementDescription.defaultValue");
/* The caller-visible prefixes have the same offsets on every target. */
KAM_STATIC_ASSERT(offsetof(KAM_LibraryInfo, name) == 24, "LibraryInfo.name");
KAM_STATIC_ASSERT(offsetof(KAM_LibraryInfo, patternCount) == 408, "LibraryInfo.patternCount");
KAM_STATIC_ASSERT(offsetof(KAM_PatternInfo, name) == 24, "PatternInfo.name");
KAM_STATIC_ASSERT(offsetof(KAM_PatternInfo, type) == 296, "PatternInfo.type");
KAM_STATIC_ASSERT(offsetof(KAM_PatternInfo, specificSize) == 332, "PatternInfo.specificSize");
KAM_STATIC_ASSERT(offsetof(KAM_PatternInfo, validateInput) == 336, "PatternInfo.validateInput");
KAM_STATIC_ASSERT(offsetof(KAM_ArrayInfo, slots) == 8, "ArrayInfo.slots");
#if UINTPTR_MAX == 0xFFFFFFFFu
KAM_STATIC_ASSERT(offsetof(KAM_ArrayInfo, flags) == 12, "ArrayInfo.flags");
KAM_STATIC_ASSERT(sizeof(KAM_LibraryInfo) == 440, "LibraryInfo is 440 bytes");
KAM_STATIC_ASSERT(offsetof(KAM_LibraryInfo, patterns) == 412, "LibraryInfo.patterns");
KAM_STATIC_ASSERT(offsetof(KAM_LibraryInfo, specificParDefCount) == 416,
                  "LibraryInfo.specificParDefCount");
KAM_STATIC_ASSERT(offsetof(KAM_LibraryInfo, specificParDefs) == 420,
                  "LibraryInfo.specificParDefs");
KAM_STATIC_ASSERT(offsetof(KAM_LibraryInfo, noValueDoubleTarget) == 424,
                  "LibraryInfo.noValueDoubleTarget");
KAM_STATIC_ASSERT(offsetof(KAM_LibraryInfo, noValueStructTarget) == 428,
                  "LibraryInfo.noValueStructTarget");
KAM_STATIC_ASSERT(offsetof(KAM_LibraryInfo, gainValidTarget) == 432,
                  "LibraryInfo.gainValidTarget");
KAM_STATIC_ASSERT(offsetof(KAM_LibraryInfo, module) == 436, "LibraryInfo.module");
KAM_STATIC_ASSERT(sizeof(KAM_PatternInfo) == 388, "PatternInfo is 388 bytes");
KAM_STATIC_ASSERT(offsetof(KAM_PatternInfo, validateAll) == 340, "PatternInfo.validateAll");
KAM_STATIC_ASSERT(offsetof(KAM_PatternInfo, gain) == 344, "PatternInfo.gain");
KAM_STATIC_ASSERT(offsetof(KAM_PatternInfo, contour) == 348, "PatternInfo.contour");
KAM_STATIC_ASSERT(offsetof(KAM_PatternInfo, paramProperties) == 352,
                  "PatternInfo.paramProperties");
KAM_STATIC_ASSERT(offsetof(KAM_PatternInfo, specificStructId) == 384,
                  "PatternInfo.specificStructId");
#elif UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
KAM_STATIC_ASSERT(offsetof(KAM_ArrayInfo, flags) == 16, "ArrayInfo.flags");
KAM_STATIC_ASSERT(sizeof(KAM_LibraryInfo) == 472, "LibraryInfo is 472 bytes");
KAM_STATIC_ASSERT(offsetof(KAM_LibraryInfo, patterns) == 416, "LibraryInfo.patterns");
KAM_STATIC_ASSERT(offsetof(KAM_LibraryInfo, specificParDefCount) == 424,
                  "LibraryInfo.specificParDefCount");
KAM_STATIC_ASSERT(offsetof(KAM_LibraryInfo, specificParDefs) == 432,
                  "LibraryInfo.specificParDefs");
KAM_STATIC_ASSERT(offsetof(KAM_LibraryInfo, module) == 464, "LibraryInfo.module");
KAM_STATIC_ASSERT(sizeof(KAM_PatternInfo) == 408, "PatternInfo is 408 bytes");
KAM_STATIC_ASSERT(offsetof(KAM_PatternInfo, gain) == 352, "PatternInfo.gain");
KAM_STATIC_ASSERT(offsetof(KAM_PatternInfo, paramProperties) == 368,
                  "PatternInfo.paramProperties");
KAM_STATIC_ASSERT(offsetof(KAM_PatternInfo, specificStructId) == 400,
                  "PatternInfo.specificStructId");
#endif
#undef KAM_STATIC_ASSERT
#endif

#ifdef __cplusplus
}
#endif

#endif /* KAM_KAM_PLUGIN_H */
