// The standard pattern library's entry points: the library record, the
// pattern records built from the catalogue groups, the specific-parameter
// definitions, and the values the host writes into the library.
#include <cfloat>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "array_path.h"
#include "std.h"

KAM_PLUGIN_VERSION("1, 0, 0, 1");

namespace kamstd {

HostValues g_host = {DBL_MAX, KAM_NOVALUE_STRUCT, 1, nullptr};

namespace {

constexpr const char* kLibraryName = "KAM_Std";
constexpr const char* kDescription =
    "Standard pattern library: reference radiation patterns of earth and space station "
    "antennas for sharing and coordination studies.";

constexpr int kMaxPatterns = 64;
constexpr int kMaxDefinitions = 256;

struct Catalogue {
    KAM_PatternInfo patterns[kMaxPatterns];
    KAM_PatternArraySlots arrays[kMaxPatterns];  // by pattern, as patterns
    KAM_SpecificParDef definitions[kMaxDefinitions];
    int patternCount = 0;
    int definitionCount = 0;
};

void CopyText(unsigned char* field, std::size_t size, const char* text) {
    std::size_t n = std::strlen(text);
    if (n > size - 1) n = size - 1;
    std::memcpy(field, text, n);
    field[n] = 0;
}

void AddPattern(Catalogue& c, const PatternDef& def) {
    if (c.patternCount == kMaxPatterns) return;
    c.arrays[c.patternCount] = def.arrays;
    KAM_PatternInfo& info = c.patterns[c.patternCount++];
    std::memset(&info, 0, sizeof info);
    std::memcpy(info.name, def.name, std::strlen(def.name) + 1);
    CopyText(info.title, sizeof info.title, def.title);
    info.type = def.type;
    info.specificSize = def.fieldCount * static_cast<std::int32_t>(sizeof(double));
    info.validateInput = def.validateInput;
    info.validateAll = def.validateAll;
    info.gain = def.gain;
    info.contour = def.contour;
    std::memcpy(info.paramProperties, def.properties, sizeof info.paramProperties);
    info.specificStructId = def.fieldCount > 0 ? def.number : 0;
    for (int i = 0; i < def.fieldCount && c.definitionCount < kMaxDefinitions; ++i) {
        KAM_SpecificParDef& d = c.definitions[c.definitionCount++];
        std::memset(&d, 0, sizeof d);
        d.structId = def.number;
        d.elementIndex = i;
        KAM_ElementDescription e;
        std::memset(&e, 0, sizeof e);
        CopyText(reinterpret_cast<unsigned char*>(e.name), sizeof e.name, def.fields[i].name);
        CopyText(reinterpret_cast<unsigned char*>(e.unit), sizeof e.unit, def.fields[i].unit);
        e.valueType = KAM_VALUE_DOUBLE;
        e.offset = i * static_cast<std::int32_t>(sizeof(double));
        e.defaultValue = def.fields[i].defaultValue;
        e.lowest = def.fields[i].lowest;
        e.highest = def.fields[i].highest;
        std::memcpy(d.description, &e, sizeof e);
    }
}

const Catalogue& BuiltCatalogue() {
    static Catalogue catalogue;
    static bool built = false;
    if (!built) {
        for (const PatternGroup* g : {&kEarthGroupA, &kEarthGroupB, &kSpaceGroup})
            for (int i = 0; i < g->count; ++i) AddPattern(catalogue, *g->patterns[i]);
        built = true;
    }
    return catalogue;
}

thread_local ArrayEvents* t_arrayEvents = nullptr;

}  // namespace

ArrayEvents::ArrayEvents() : outer_(t_arrayEvents) { t_arrayEvents = this; }
ArrayEvents::~ArrayEvents() { t_arrayEvents = outer_; }
ArrayEvents* ArrayEvents::Current() { return t_arrayEvents; }

bool ArrayEvents::First(std::int32_t code) {
    for (int i = 0; i < count_; ++i)
        if (codes_[i] == code) return false;
    if (count_ < kMaxCodes) codes_[count_++] = code;
    return true;
}

std::int32_t Report(std::int32_t code, const char* format, ...) {
    if (g_host.sink == nullptr) return code;
    if (ArrayEvents* call = ArrayEvents::Current(); call != nullptr && !call->First(code))
        return code;
    KAM_EventRecord record;
    std::memset(&record, 0, sizeof record);
    record.code = code;
    va_list args;
    va_start(args, format);
    std::vsnprintf(record.text, sizeof record.text, format, args);
    va_end(args);
    g_host.sink(&record);
    return code;
}

}  // namespace kamstd

using namespace kamstd;

extern "C" {

KAM_PLUGIN_API KAM_Status KAM_CALL LIP_SetEventLogHandler(KAM_EventSink sink) {
    g_host.sink = sink;
    return 0;
}

KAM_PLUGIN_API KAM_Status KAM_CALL LIP_InitLibrary(void) { return 0; }

KAM_PLUGIN_API KAM_Status KAM_CALL LIP_GetArrayInfo(KAM_ArrayInfo* info) {
    if (info == nullptr) return 0;
    const Catalogue& c = BuiltCatalogue();
    std::memset(info, 0, sizeof *info);
    info->structSize = static_cast<std::int32_t>(sizeof *info);
    info->slotCount = c.patternCount;
    info->flags = KAM_ARRAY_WRITES_OUTPUTS;  // every step ends in Fail or Deliver
    info->slots = c.arrays;
    return 0;
}

KAM_PLUGIN_API KAM_Status KAM_CALL LIP_GetLibraryInfo(KAM_LibraryInfo* info) {
    if (info == nullptr) return 0;
    const Catalogue& c = BuiltCatalogue();
    std::memset(info, 0, sizeof *info);
    std::memcpy(info->name, kLibraryName, std::strlen(kLibraryName) + 1);
    CopyText(info->description, sizeof info->description, kDescription);
    info->patternCount = c.patternCount;
    info->patterns = c.patterns;
    info->specificParDefCount = c.definitionCount;
    info->specificParDefs = c.definitions;
    info->noValueDoubleTarget = &g_host.noValue;
    info->noValueStructTarget = &g_host.noValueStruct;
    info->gainValidTarget = &g_host.gainValid;
    return 0;
}

}  // extern "C"
