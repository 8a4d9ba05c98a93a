// The shared state behind the fake pattern libraries: per-module
// configuration, the call log, the sinks they hold and the records they hand
// out. See fake_control.h.
#include "fake_control.h"

#include <cctype>
#include <cstring>
#include <map>
#include <memory>

namespace fake {
namespace {

struct ModuleState {
    ModuleConfig config;
    KAM_EventSink sink = nullptr;
    std::deque<Registration> registrations;  // never shrinks
};

std::map<std::string, std::unique_ptr<ModuleState>>& Modules() {
    static std::map<std::string, std::unique_ptr<ModuleState>> modules;
    return modules;
}

bool g_logging = true;

std::vector<Call>& MutableLog() {
    static std::vector<Call> log;
    return log;
}

void Append(const Call& call) {
    if (g_logging) MutableLog().push_back(call);
}

ModuleState& State(const std::string& module) {
    auto& modules = Modules();
    auto it = modules.find(module);
    if (it == modules.end()) {
        auto state = std::make_unique<ModuleState>();
        state->config = DefaultConfig(module);
        it = modules.emplace(module, std::move(state)).first;
    }
    return *it->second;
}

// Copies text into a fixed field with at most size bytes: shorter text gets
// a NUL, text of size or more characters fills the field without one.
void CopyName(char* field, std::size_t size, const std::string& text) {
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), text.size() < size ? text.size() : size);
}

// Queues the configured events through the held sink; the stamped records
// go into the call's log entry.
void SendEvents(ModuleState& state, const std::vector<Event>& events, Call& call) {
    for (const Event& e : events) {
        if (state.sink == nullptr) {
            call.eventsDropped = true;
            continue;
        }
        KAM_EventRecord record;
        std::memset(&record, 0x11, sizeof record);  // stamped fields must be overwritten
        record.code = e.code;
        if (e.withoutNul) {
            const std::string fill = e.text.empty() ? std::string("x") : e.text;
            for (std::size_t i = 0; i < sizeof record.text; ++i) record.text[i] = fill[i % fill.size()];
        } else {
            CopyName(record.text, sizeof record.text - 1, e.text);
            record.text[sizeof record.text - 1] = '\0';
        }
        state.sink(&record);
        call.events.push_back(record);
    }
}

PatternConfig DefaultPattern(const std::string& prefix, std::int32_t type) {
    PatternConfig p;
    p.type = type;
    if (type == KAM_PATTERN_EARTH) {
        p.name = prefix + "_EARTH";
        const std::int32_t props[KAM_PARAM_COUNT] = {
            KAM_PROPERTY_REQUIRED, KAM_PROPERTY_NOT_REQUIRED, KAM_PROPERTY_OPTIONAL,
            KAM_PROPERTY_OPTIONAL, KAM_PROPERTY_OPTIONAL, KAM_PROPERTY_NOT_REQUIRED,
            KAM_PROPERTY_REQUIRED, KAM_PROPERTY_NOT_REQUIRED};
        std::memcpy(p.paramProperties, props, sizeof props);
        p.slots[kContour].present = false;
    } else {
        p.name = prefix + "_SPACE";
        const std::int32_t props[KAM_PARAM_COUNT] = {
            KAM_PROPERTY_REQUIRED, KAM_PROPERTY_REQUIRED, KAM_PROPERTY_NOT_REQUIRED,
            KAM_PROPERTY_NOT_REQUIRED, KAM_PROPERTY_NOT_REQUIRED, KAM_PROPERTY_NOT_REQUIRED,
            KAM_PROPERTY_REQUIRED, KAM_PROPERTY_OPTIONAL};
        std::memcpy(p.paramProperties, props, sizeof props);
    }
    return p;
}

const char* const kEntryNames[kEntryCount] = {"LIP_SetEventLogHandler", "LIP_InitLibrary",
                                              "LIP_GetLibraryInfo"};
const char* const kSlotNames[kSlotCount] = {"validateInput", "validateAll", "gain", "contour"};

KAM_Status RunEntry(ModuleState& state, Entry entry, Call call) {
    EntryConfig cfg = state.config.entries[entry];  // a hook may reconfigure
    call.what = kEntryNames[entry];
    SendEvents(state, cfg.events, call);
    call.status = cfg.status;
    Append(call);
    if (cfg.hook) cfg.hook();
    return cfg.status;
}

}  // namespace

ModuleConfig DefaultConfig(const std::string& module) {
    ModuleConfig c;
    c.libraryName = module;
    std::string prefix = module.substr(module.rfind('_') + 1);
    for (char& ch : prefix) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    c.patterns.push_back(DefaultPattern(prefix, KAM_PATTERN_EARTH));
    c.patterns.push_back(DefaultPattern(prefix, KAM_PATTERN_SPACE));
    return c;
}

ModuleConfig& Config(const std::string& module) { return State(module).config; }

void Reset() {
    for (auto& [name, state] : Modules()) state->config = DefaultConfig(name);
    MutableLog().clear();
    g_logging = true;
}

void SetLogging(bool on) { g_logging = on; }

const std::vector<Call>& Log() { return MutableLog(); }

std::vector<Call> CallsOf(const std::string& module, const std::string& what) {
    std::vector<Call> out;
    for (const Call& c : MutableLog())
        if (c.module == module && (what.empty() || c.what == what)) out.push_back(c);
    return out;
}

KAM_EventSink HeldSink(const std::string& module) { return State(module).sink; }

std::deque<Registration>& Registrations(const std::string& module) {
    return State(module).registrations;
}

Registration* LastRegistration(const std::string& module) {
    auto& regs = State(module).registrations;
    return regs.empty() ? nullptr : &regs.back();
}

KAM_Status OnSetEventLogHandler(const char* module, KAM_EventSink sink) {
    ModuleState& state = State(module);
    state.sink = sink;
    Call call;
    call.module = module;
    call.sink = sink;
    return RunEntry(state, kSetEventLogHandler, std::move(call));
}

KAM_Status OnInitLibrary(const char* module) {
    Call call;
    call.module = module;
    return RunEntry(State(module), kInitLibrary, std::move(call));
}

KAM_Status OnGetLibraryInfo(const char* module, KAM_LibraryInfo* info, const SlotTable& table) {
    ModuleState& state = State(module);
    const ModuleConfig& cfg = state.config;
    Call call;
    call.module = module;
    call.info = info;
    if (info != nullptr && cfg.entries[kGetLibraryInfo].fillRecord) {
        if (!cfg.reuseRegistration || state.registrations.empty()) state.registrations.emplace_back();
        Registration& reg = state.registrations.back();
        reg.noValueDouble = kTargetUnsetDouble;
        reg.noValueStruct = TargetUnsetStruct();
        reg.gainValid = kTargetUnsetInt;
        reg.infoOnEntry = *info;
        const std::size_t count = cfg.patterns.size() < static_cast<std::size_t>(kMaxPatterns)
                                      ? cfg.patterns.size()
                                      : static_cast<std::size_t>(kMaxPatterns);
        reg.patterns.resize(count);
        for (std::size_t k = 0; k < count; ++k) {
            const PatternConfig& p = cfg.patterns[k];
            KAM_PatternInfo& pi = reg.patterns[k];
            std::memset(&pi, 0, sizeof pi);
            std::memset(pi.reserved, p.opaqueFill, sizeof pi.reserved);
            std::memset(pi.title, p.opaqueFill, sizeof pi.title);
            std::memset(pi.reserved2, p.opaqueFill, sizeof pi.reserved2);
            CopyName(pi.name, sizeof pi.name, p.name);
            pi.type = p.type;
            pi.specificSize = p.specificSize;
            const bool earth = p.type == KAM_PATTERN_EARTH;
            if (p.slots[kValidateInput].present) {
                if (earth) pi.validateInput.earth = table.earthValidateInput[k];
                else pi.validateInput.space = table.spaceValidateInput[k];
            }
            if (p.slots[kValidateAll].present) {
                if (earth) pi.validateAll.earth = table.earthValidateAll[k];
                else pi.validateAll.space = table.spaceValidateAll[k];
            }
            if (p.slots[kGain].present) {
                if (earth) pi.gain.earth = table.earthGain[k];
                else pi.gain.space = table.spaceGain[k];
            }
            if (p.slots[kContour].present) pi.contour.space = table.contour[k];
            std::memcpy(pi.paramProperties, p.paramProperties, sizeof pi.paramProperties);
            pi.specificStructId = p.specificStructId;
        }
        reg.specificParDefs = cfg.specificParDefs;

        std::memset(info->reserved, cfg.opaqueFill, sizeof info->reserved);
        std::memset(info->description, cfg.opaqueFill, sizeof info->description);
        CopyName(info->name, sizeof info->name, cfg.libraryName);
        info->patternCount =
            cfg.overridePatternCount ? cfg.patternCount : static_cast<std::int32_t>(count);
        info->patterns = cfg.nullPatterns ? nullptr : reg.patterns.data();
        info->specificParDefCount = cfg.overrideParDefCount
                                        ? cfg.specificParDefCount
                                        : static_cast<std::int32_t>(reg.specificParDefs.size());
        info->specificParDefs = cfg.nullParDefs ? nullptr : reg.specificParDefs.data();
        info->noValueDoubleTarget = cfg.nullNoValueDoubleTarget ? nullptr : &reg.noValueDouble;
        info->noValueStructTarget = cfg.nullNoValueStructTarget ? nullptr : &reg.noValueStruct;
        info->gainValidTarget = cfg.nullGainValidTarget ? nullptr : &reg.gainValid;
    }
    return RunEntry(state, kGetLibraryInfo, std::move(call));
}

KAM_Status OnGetArrayInfo(const char* module, KAM_ArrayInfo* info, const ArrayTable& table) {
    ModuleState& state = State(module);
    const ModuleConfig& cfg = state.config;
    Call call;
    call.module = module;
    call.what = "LIP_GetArrayInfo";
    call.status = cfg.arrayInfo.status;
    Append(call);
    if (cfg.arrayInfo.status != 0 || info == nullptr) return cfg.arrayInfo.status;
    if (state.registrations.empty()) state.registrations.emplace_back();
    std::vector<KAM_PatternArraySlots>& slots = state.registrations.back().arraySlots;
    const std::size_t count = cfg.patterns.size() < static_cast<std::size_t>(kMaxPatterns)
                                  ? cfg.patterns.size()
                                  : static_cast<std::size_t>(kMaxPatterns);
    slots.assign(count, KAM_PatternArraySlots{});
    for (std::size_t k = 0; k < count; ++k) {
        const PatternConfig& p = cfg.patterns[k];
        const bool earth = p.type == KAM_PATTERN_EARTH;
        if (p.arrays[kValidateAll].present) {
            if (earth) slots[k].validateAll.earth = table.earthValidateAll[k];
            else slots[k].validateAll.space = table.spaceValidateAll[k];
        }
        if (p.arrays[kGain].present) {
            if (earth) slots[k].gain.earth = table.earthGain[k];
            else slots[k].gain.space = table.spaceGain[k];
        }
        if (p.arrays[kContour].present && !earth) slots[k].contour.space = table.contour[k];
    }
    info->structSize = cfg.arrayInfo.overrideStructSize ? cfg.arrayInfo.structSize
                                                        : static_cast<std::int32_t>(sizeof *info);
    info->slotCount = cfg.arrayInfo.overrideSlotCount ? cfg.arrayInfo.slotCount
                                                      : static_cast<std::int32_t>(count);
    info->slots = cfg.arrayInfo.nullSlots ? nullptr : slots.data();
    info->flags = cfg.arrayInfo.flags;
    return 0;
}

// For each element what the slot's configuration says, then the array
// function's own disagreement on top.
KAM_Status OnArraySlot(const char* module, int pattern, Slot slot, std::int32_t type,
                       std::vector<double*> scalars, void* specific, std::int32_t count,
                       const double* input, const double* phi0, double* out1, double* out2,
                       KAM_Status* status) {
    static const char* const kArrayNames[kSlotCount] = {"", "validateAllArray", "gainArray",
                                                        "contourArray"};
    ModuleState& state = State(module);
    Call call;
    call.module = module;
    call.what = kArrayNames[slot];
    call.pattern = pattern;
    call.type = type;
    call.specific = specific;
    call.args = scalars;
    call.count = count;
    for (double* a : scalars) call.values.push_back(a != nullptr ? *a : 0.0);
    SlotConfig cfg;
    ArraySlotConfig array;
    if (pattern >= 0 && static_cast<std::size_t>(pattern) < state.config.patterns.size()) {
        call.patternName = state.config.patterns[pattern].name;
        cfg = state.config.patterns[pattern].slots[slot];
        array = state.config.patterns[pattern].arrays[slot];
    }
    call.status = array.decline;
    if (array.decline != 0) {
        Append(call);
        return array.decline;
    }
    if (input != nullptr && count > 0) {
        call.values.push_back(input[0]);
        call.values.push_back(phi0 != nullptr ? phi0[0] : 0.0);
    }
    if (array.hook) array.hook();
    for (std::int32_t i = 0; i < count; ++i) {
        SendEvents(state, cfg.events, call);
        status[i] = array.status != 0 ? array.status : cfg.status;
        if (out1 != nullptr && cfg.writeOutputs) {
            out1[i] = cfg.output1 + array.outputOffset;
            out2[i] = cfg.output2 + array.outputOffset;
        }
    }
    Append(call);
    return 0;
}

KAM_Status OnSlot(const char* module, int pattern, Slot slot, std::int32_t type,
                  std::vector<double*> args, void* specific, bool hasOutputs) {
    ModuleState& state = State(module);
    Call call;
    call.module = module;
    call.what = kSlotNames[slot];
    call.pattern = pattern;
    call.type = type;
    call.specific = specific;
    call.args = args;
    for (double* a : args) call.values.push_back(a != nullptr ? *a : 0.0);
    SlotConfig cfg;
    if (pattern >= 0 && static_cast<std::size_t>(pattern) < state.config.patterns.size()) {
        call.patternName = state.config.patterns[pattern].name;
        cfg = state.config.patterns[pattern].slots[slot];  // a hook may reconfigure
    }
    SendEvents(state, cfg.events, call);
    call.status = cfg.status;
    if (hasOutputs && cfg.writeOutputs) {
        call.written1 = cfg.output1;
        call.written2 = cfg.output2;
    }
    // Logged before the hook runs, so calls the hook causes follow this one.
    Append(call);
    if (cfg.hook) cfg.hook();
    if (hasOutputs && cfg.writeOutputs && args.size() >= 2) {
        double* o1 = args[args.size() - 2];
        double* o2 = args[args.size() - 1];
        if (o1 != nullptr) *o1 = cfg.output1;
        if (o2 != nullptr) *o2 = cfg.output2;
    }
    return cfg.status;
}

}  // namespace fake
