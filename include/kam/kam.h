/*
 * kam.h - the KAM antenna pattern host library, for calling applications.
 *
 * KAM computes the radiation gain of earth-station and space-station antennas
 * from named reference patterns that live in loadable pattern libraries.
 * Every function returns a status (0 success, negative error, positive
 * warning) and queues a message in an event log; see KAM_GetNextEvent.
 *
 * Only what this header declares is API. Buffers passed in are owned by the
 * caller; the library writes at most the byte counts stated here. Handles
 * (KAM_LibraryId, KAM_AntennaId) are owned by the library and never freed by
 * the caller. Plain C99; usable from C and C++.
 */
#ifndef KAM_KAM_H
#define KAM_KAM_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Calling convention and linkage ---------------------------------- */

#if defined(_WIN32) && !defined(_WIN64)
#define KAM_CALL __stdcall
#else
#define KAM_CALL
#endif

#if defined(_WIN32)
#if defined(KAM_BUILDING_LIBRARY)
#define KAM_API __declspec(dllexport)
#else
#define KAM_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define KAM_API __attribute__((visibility("default")))
#else
#define KAM_API
#endif

/* ---- Basic types ------------------------------------------------------ */

/* 0 success, < 0 error (the operation did not complete), > 0 warning. */
typedef int32_t KAM_Status;

/* Handles. 0 names nothing; (KAM_LibraryId)-1 means "every library" where a
 * function says so. */
typedef intptr_t KAM_LibraryId;
typedef intptr_t KAM_AntennaId;

#define KAM_NO_LIBRARY ((KAM_LibraryId)0)
#define KAM_ALL_LIBRARIES ((KAM_LibraryId)-1)
#define KAM_NO_ANTENNA ((KAM_AntennaId)0)

/* Absent values: the double NoValue is DBL_MAX; the structure NoValue is the
 * pointer value 1 and is never dereferenced. */
#define KAM_NOVALUE_DOUBLE 1.7976931348623157e308
#define KAM_NOVALUE_STRUCT ((void*)(uintptr_t)1)

/* Pattern types; counts and listings take a mask of 1, 2 or 3. */
#define KAM_PATTERN_EARTH 1
#define KAM_PATTERN_SPACE 2
#define KAM_PATTERN_ANY 3

/* Parameter indices (positions in a pattern's parameter properties). */
#define KAM_PARAM_GAINMAX 0
#define KAM_PARAM_BEAMLET 1
#define KAM_PARAM_DIAMETER 2
#define KAM_PARAM_FREQUENCY 3
#define KAM_PARAM_EFFICIENCY 4
#define KAM_PARAM_SPECIFIC 5
#define KAM_PARAM_PHI 6
#define KAM_PARAM_PHI0 7
#define KAM_PARAM_COUNT 8

/* Parameter property codes. */
#define KAM_PROPERTY_REQUIRED 10
#define KAM_PROPERTY_OPTIONAL 20
#define KAM_PROPERTY_NOT_REQUIRED 30

/* Name limits: a pattern name has 1..12 characters (13-byte slots), a library
 * name 1..63 characters (64-byte slots). */
#define KAM_PATTERN_NAME_SLOT 13
#define KAM_LIBRARY_NAME_SLOT 64
#define KAM_EVENT_LINE_SIZE 256

/* ---- Status codes ----------------------------------------------------- */

#define KAM_OK 0
/* -1 .. -11: the argument at that position is wrong. */
#define KAM_E_NOT_INITIALISED (-2001)
#define KAM_E_DLL_NOT_FOUND (-2002)
#define KAM_E_NO_MEMORY (-2003)
#define KAM_E_UNKNOWN_LIBRARY (-2004)
#define KAM_E_PATTERN_NOT_FOUND (-2005)
#define KAM_E_PATTERN_TYPE (-2006)
#define KAM_E_QUEUE_EMPTY (-2007)
#define KAM_W_ALREADY_LOADED 2008
#define KAM_E_UNKNOWN_ANTENNA (-2009)
#define KAM_W_ALREADY_INITIALISED 2010
#define KAM_W_NOT_TERMINATED 2011
#define KAM_E_LIBRARY_NOT_FOUND (-2012)
#define KAM_E_NO_SPECIFIC_DEFS (-2101)
#define KAM_E_PARDEF_NOT_FOUND (-2102)
#define KAM_E_NO_CONTOUR (-2201)
#define KAM_E_NO_SET_EVENT_LOG_HANDLER (-3001)
#define KAM_E_NO_INIT_LIBRARY (-3002)
#define KAM_E_NO_GET_LIBRARY_INFO (-3003)
#define KAM_E_SINK_UPDATE_FAILED (-3004)
#define KAM_E_NULL_GAIN (-3006)
#define KAM_E_NO_VERSION_INFO (-3050)
#define KAM_E_BAD_VERSION_INFO (-3051)
#define KAM_E_UNKNOWN_PROPERTY (-3100)
#define KAM_E_LIST (-4001)
#define KAM_E_FIFO (-4002)
#define KAM_E_INTERNAL (-4101)
#define KAM_E_INTERNAL_2 (-4102)
#define KAM_E_GAIN_CORRUPTED (-4200)
#define KAM_E_BUFFER_OVERFLOW (-4999)
/* Validation findings; add the parameter index (KAM_PARAM_*). */
#define KAM_E_REQUIRED_MISSING (-5100) /* - (5100 + index) */
#define KAM_W_NOT_REQUIRED_GIVEN 5100  /* + (5100 + index) */
#define KAM_E_HARD_LIMIT (-5200)       /* - (5200 + index) */
#define KAM_W_SOFT_LIMIT 5200          /* + (5200 + index) */
#define KAM_E_GAINREL_RANGE (-5300)
#define KAM_E_OUTPUT_PHI (-5551)
#define KAM_E_OUTPUT_PHIX (-5552)

/* ---- Records ---------------------------------------------------------- */

/* One event of the log, 348 bytes. */
typedef struct KAM_EventRecord {
    int32_t code;           /* status of the event */
    int32_t severity;       /* 1 error (code <= 0), 2 warning (code > 0) */
    char text[256];         /* message, NUL-terminated */
    int32_t textLength;     /* characters in text */
    char libraryName[64];   /* library whose work raised it, or "" */
    char patternName[16];   /* pattern whose work raised it, or "" */
} KAM_EventRecord;

#define KAM_SEVERITY_ERROR 1
#define KAM_SEVERITY_WARNING 2

/* Library description written by KAM_GetLibraryProperties, 412 bytes. */
typedef struct KAM_LibraryProperties {
    int32_t version[3];          /* ProductVersion numbers 1, 2 and 4 */
    unsigned char reserved[12];  /* the library's own bytes */
    char name[64];               /* library name, NUL-terminated */
    unsigned char description[320]; /* the library's own bytes; the standard
                                       library keeps a text here */
    int32_t patternCount;
} KAM_LibraryProperties;

/* Pattern description written by KAM_GetPatternProperties, 336 bytes. */
typedef struct KAM_PatternProperties {
    unsigned char reserved[24];  /* the library's own bytes */
    char name[13];               /* pattern name, NUL-terminated */
    unsigned char title[259];    /* the library's own bytes; the standard
                                    library keeps a title here */
    int32_t type;                /* KAM_PATTERN_EARTH or KAM_PATTERN_SPACE */
    unsigned char reserved2[32]; /* the library's own bytes */
    int32_t specificSize;        /* bytes of the pattern-specific structure */
} KAM_PatternProperties;

/* Definition of one element of a pattern-specific structure, 96 bytes. */
typedef struct KAM_SpecificParDef {
    int32_t structId;            /* structure the element belongs to */
    int32_t elementIndex;        /* position within the structure, from 0 */
    unsigned char description[88]; /* the library's own bytes */
} KAM_SpecificParDef;

/* Receives every reported non-zero status; its result is ignored. */
typedef int (KAM_CALL *KAM_EventHandler)(KAM_Status code);

/* ---- Lifecycle, sentinels and switches -------------------------------- */

KAM_API KAM_Status KAM_CALL KAM_Init(void);      /* 0; does nothing */
KAM_API KAM_Status KAM_CALL KAM_Terminate(void); /* 0; does nothing */
/* 1 once initialised; initialises on first use. */
KAM_API int32_t KAM_CALL KAM_IfInited(void);
KAM_API double KAM_CALL KAM_NoValueDouble(void);
KAM_API void* KAM_CALL KAM_NoValueStruct(void);
KAM_API KAM_Status KAM_CALL KAM_EnableInputParamValid(void);
KAM_API KAM_Status KAM_CALL KAM_DisableInputParamValid(void);
KAM_API int32_t KAM_CALL KAM_IfInputParamValidEnabled(void);
/* Also written into every loaded pattern library. */
KAM_API KAM_Status KAM_CALL KAM_EnableGainValid(void);
KAM_API KAM_Status KAM_CALL KAM_DisableGainValid(void);
KAM_API int32_t KAM_CALL KAM_IfGainValidEnabled(void);
KAM_API KAM_Status KAM_CALL KAM_EnableContourValid(void);
KAM_API KAM_Status KAM_CALL KAM_DisableContourValid(void);
KAM_API int32_t KAM_CALL KAM_IfContourValidEnabled(void);

/* ---- Event log and handlers ------------------------------------------- */

KAM_API KAM_Status KAM_CALL KAM_EnableEventLog(void);
KAM_API KAM_Status KAM_CALL KAM_DisableEventLog(void);
KAM_API int32_t KAM_CALL KAM_IfEventLogEnabled(void);
/* Takes the oldest queued event into *event (348 bytes); -2007 when none. */
KAM_API KAM_Status KAM_CALL KAM_GetNextEvent(KAM_EventRecord* event);
/* Renders an event as one line into line (at most 256 bytes with the NUL). */
KAM_API KAM_Status KAM_CALL KAM_ConvertEventToString(const KAM_EventRecord* event,
                                                     char* line);
KAM_API KAM_Status KAM_CALL KAM_SetDefaultEventHandler(void);
KAM_API KAM_Status KAM_CALL KAM_SetNullEventHandler(void);
KAM_API KAM_Status KAM_CALL KAM_SetUserEventHandler(KAM_EventHandler handler);
KAM_API KAM_EventHandler KAM_CALL KAM_GetEventHandler(void);
/* Empties the event queue; returns -2007 once it is empty. */
KAM_API int KAM_CALL KAM_DefaultEventHandler(KAM_Status code);

/* ---- Pattern libraries ------------------------------------------------ */

/* Loads a pattern library file and registers its patterns; 2008 (with the
 * existing id) when it is already loaded. */
KAM_API KAM_Status KAM_CALL KAM_AddLibrary(const char* fileName, KAM_LibraryId* libraryId);
/* The standard library's id, 0 when it is not registered. */
KAM_API KAM_LibraryId KAM_CALL KAM_StdLibraryId(void);

/* ---- Catalogue -------------------------------------------------------- */

KAM_API KAM_Status KAM_CALL KAM_GetLibraryCount(int32_t* count);
/* *count in: capacity in 64-byte slots; out: slots written (newest first). */
KAM_API KAM_Status KAM_CALL KAM_GetAllLibraryNames(int32_t* count, char* names);
KAM_API KAM_Status KAM_CALL KAM_GetLibraryIdByName(const char* libraryName,
                                                   KAM_LibraryId* libraryId);
/* Writes 412 bytes. */
KAM_API KAM_Status KAM_CALL KAM_GetLibraryProperties(KAM_LibraryId libraryId,
                                                     KAM_LibraryProperties* properties);
KAM_API KAM_Status KAM_CALL KAM_GetPatternCount(KAM_LibraryId libraryId, int32_t typeMask,
                                                int32_t* count);
/* *count in: capacity in 13-byte slots; out: slots written. */
KAM_API KAM_Status KAM_CALL KAM_GetAllPatternNames(KAM_LibraryId libraryId, int32_t typeMask,
                                                   int32_t* count, char* names);
KAM_API KAM_Status KAM_CALL KAM_ExistPattern(KAM_LibraryId libraryId, const char* patternName);
KAM_API KAM_Status KAM_CALL KAM_SearchPattern(const char* patternName, KAM_LibraryId* libraryId);
/* Writes 336 bytes. */
KAM_API KAM_Status KAM_CALL KAM_GetPatternProperties(KAM_LibraryId libraryId,
                                                     const char* patternName,
                                                     KAM_PatternProperties* properties);
/* Writes 8 int32 property codes (32 bytes). */
KAM_API KAM_Status KAM_CALL KAM_GetParamProperties(KAM_LibraryId libraryId,
                                                   const char* patternName,
                                                   int32_t* properties);
KAM_API KAM_Status KAM_CALL KAM_GetSpecificParCount(KAM_LibraryId libraryId,
                                                    const char* patternName, int32_t* count);
/* Writes 96 bytes. */
KAM_API KAM_Status KAM_CALL KAM_GetSpecificParDef(KAM_LibraryId libraryId,
                                                  const char* patternName, int32_t elementIndex,
                                                  KAM_SpecificParDef* definition);

/* ---- Validation ------------------------------------------------------- */

KAM_API KAM_Status KAM_CALL KAM_PartialValidateEarth(KAM_LibraryId libraryId,
                                                     const char* patternName, double gainMax,
                                                     double diameter, double frequency,
                                                     double efficiency, void* specific);
KAM_API KAM_Status KAM_CALL KAM_PartialValidateSpace(KAM_LibraryId libraryId,
                                                     const char* patternName, double gainMax,
                                                     double beamlet, void* specific);
KAM_API KAM_Status KAM_CALL KAM_ValidateEarthAntenna(KAM_LibraryId libraryId,
                                                     const char* patternName, double gainMax,
                                                     double diameter, double frequency,
                                                     double efficiency, void* specific,
                                                     double phi, double phi0);
KAM_API KAM_Status KAM_CALL KAM_ValidateSpaceAntenna(KAM_LibraryId libraryId,
                                                     const char* patternName, double gainMax,
                                                     double beamlet, void* specific, double phi,
                                                     double phi0);

/* ---- Gain ------------------------------------------------------------- */

KAM_API KAM_Status KAM_CALL KAM_EarthPatternGain(KAM_LibraryId libraryId, const char* patternName,
                                                 double gainMax, double diameter,
                                                 double frequency, double efficiency,
                                                 void* specific, double phi, double phi0,
                                                 double* gain, double* gainX);
KAM_API KAM_Status KAM_CALL KAM_SpacePatternGain(KAM_LibraryId libraryId, const char* patternName,
                                                 double gainMax, double beamlet, void* specific,
                                                 double phi, double phi0, double* gain,
                                                 double* gainX);

/* ---- Antennas --------------------------------------------------------- */

/* The antenna keeps its own copy of the specific structure. */
KAM_API KAM_Status KAM_CALL KAM_CreateEarthAntenna(KAM_LibraryId libraryId,
                                                   const char* patternName, double gainMax,
                                                   double diameter, double frequency,
                                                   double efficiency, void* specific,
                                                   KAM_AntennaId* antennaId);
KAM_API KAM_Status KAM_CALL KAM_CreateSpaceAntenna(KAM_LibraryId libraryId,
                                                   const char* patternName, double gainMax,
                                                   double beamlet, void* specific,
                                                   KAM_AntennaId* antennaId);
KAM_API KAM_Status KAM_CALL KAM_DeleteAntenna(KAM_AntennaId antennaId);
KAM_API KAM_Status KAM_CALL KAM_AntennaGain(KAM_AntennaId antennaId, double phi, double phi0,
                                            double* gain, double* gainX);

/* ---- Contours (space patterns) ---------------------------------------- */

KAM_API KAM_Status KAM_CALL KAM_SpacePatternContour(KAM_LibraryId libraryId,
                                                    const char* patternName, double gainRel,
                                                    double beamlet, void* specific, double phi0,
                                                    double* phi, double* phiX);
KAM_API KAM_Status KAM_CALL KAM_AntennaContour(KAM_AntennaId antennaId, double gainRel,
                                               double phi0, double* phi, double* phiX);

/* ---- Legacy names ----------------------------------------------------- */

/* Converts a legacy 12-character designation into a current pattern name;
 * writes exactly 13 bytes into currentName unless an argument is missing. */
KAM_API int KAM_CALL TMP_ConvertPatternName(const char* legacyName, char* currentName);

/* ---- Array evaluation (beyond the standard interface) ---------------- */

/* Each element i is the matching single call (KAM_EarthPatternGain,
 * KAM_SpacePatternGain, KAM_AntennaGain, KAM_SpacePatternContour,
 * KAM_AntennaContour) for the i-th angle or level and phi0[i], in the same
 * state: status[i] is its status, gain[i]/gainX[i] (phi[i]/phiX[i]) its
 * outputs. phi0 == NULL means NoValue for every element; gainX, phiX and
 * status may be NULL when not wanted; the input array and the first output
 * are required when count > 0. An argument error (-N for the N-th parameter)
 * writes nothing; count == 0 returns 0 and writes nothing. Result: 0 when
 * every element's status is 0, else the first negative element status, else
 * the first positive one. Each distinct code is queued and handed to the
 * EventHandler at most once per call. Nothing is allocated in proportion to
 * count. */
KAM_API KAM_Status KAM_CALL KAM_EarthPatternGainArray(KAM_LibraryId libraryId,
                                                      const char* patternName, double gainMax,
                                                      double diameter, double frequency,
                                                      double efficiency, void* specific,
                                                      int32_t count, const double* phi,
                                                      const double* phi0, double* gain,
                                                      double* gainX, KAM_Status* status);
KAM_API KAM_Status KAM_CALL KAM_SpacePatternGainArray(KAM_LibraryId libraryId,
                                                      const char* patternName, double gainMax,
                                                      double beamlet, void* specific,
                                                      int32_t count, const double* phi,
                                                      const double* phi0, double* gain,
                                                      double* gainX, KAM_Status* status);
KAM_API KAM_Status KAM_CALL KAM_AntennaGainArray(KAM_AntennaId antennaId, int32_t count,
                                                 const double* phi, const double* phi0,
                                                 double* gain, double* gainX,
                                                 KAM_Status* status);
KAM_API KAM_Status KAM_CALL KAM_SpacePatternContourArray(KAM_LibraryId libraryId,
                                                         const char* patternName,
                                                         double beamlet, void* specific,
                                                         int32_t count, const double* gainRel,
                                                         const double* phi0, double* phi,
                                                         double* phiX, KAM_Status* status);
KAM_API KAM_Status KAM_CALL KAM_AntennaContourArray(KAM_AntennaId antennaId, int32_t count,
                                                    const double* gainRel, const double* phi0,
                                                    double* phi, double* phiX,
                                                    KAM_Status* status);

#ifdef __cplusplus
}
#endif

#endif /* KAM_KAM_H */
