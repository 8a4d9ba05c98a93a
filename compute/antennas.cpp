// Antenna objects: creation (validate once, keep a private copy of the
// specific structure), gain by AntennaId, and deletion, which termination
// shares through DeleteAntennaNode.
#include "compute/antennas.h"

#include <cstring>

#include "core/alloc.h"
#include "core/frame.h"
#include "core/handles.h"
#include "core/state.h"
#include "core/status.h"
#include "libraries/registry.h"
#include "compute/pipeline.h"
#include "validation/validation.h"

namespace kam {
namespace {

bool IsAntennaKind(std::uint32_t kind) noexcept {
    return kind == static_cast<std::uint32_t>(NodeKind::EarthAntenna) ||
           kind == static_cast<std::uint32_t>(NodeKind::SpaceAntenna);
}

void* StoredSpecific(const ListNode* node) noexcept {
    if (node->payload == nullptr) return KAM_NOVALUE_STRUCT;
    if (node->kind == static_cast<std::uint32_t>(NodeKind::EarthAntenna)) {
        return static_cast<const EarthAntennaData*>(node->payload)->specific;
    }
    return static_cast<const SpaceAntennaData*>(node->payload)->specific;
}

// Creation after validation: stores the NoValue structure when the pattern
// has no specific structure (a negative size counts as none) or none was
// given, else a copy of specificSize bytes; adds the node at the head of the
// pattern's children and writes its handle. On failure (-2003 or AddChild's
// status) nothing of the attempt remains and *antennaId stays 0. Returns the
// status to report: warning (the validation's) on success.
template <class Data>
std::int32_t StoreAntenna(ListNode* pattern, NodeKind kind, Data record, void* specific,
                          KAM_AntennaId* antennaId, std::int32_t warning) noexcept {
    const std::int32_t size = PatternInfoOf(pattern).specificSize;
    void* copy = nullptr;
    if (size > 0 && !IsNoValueStruct(specific)) {
        copy = Allocate(static_cast<std::size_t>(size));
        if (copy == nullptr) return KAM_E_NO_MEMORY;
        std::memcpy(copy, specific, static_cast<std::size_t>(size));
    }
    record.specific = copy != nullptr ? copy : KAM_NOVALUE_STRUCT;
    ListNode* node = nullptr;
    const int added = AddChild(pattern, kind, sizeof(Data), &record, kAntennaNodeName, &node);
    if (added != 0) {
        Release(copy);
        return added;
    }
    *antennaId = node->handle;
    return warning;
}

// Creation by either export: frame, argument checks, lookup, the partial
// chain while InputParamValid is on (on the caller's values and Specific
// pointer), then the stored copy. The result is the validation's warning on
// success.
template <class Kind>
std::int32_t CreateAntenna(KAM_LibraryId libraryId, const char* patternName,
                           typename Kind::Params values, KAM_AntennaId* antennaId) noexcept {
    constexpr std::int32_t kSpecific = Kind::kSpecificPosition;
    const NameEntry entry = EnterByName<Kind>(libraryId, patternName, values.specific);
    if (entry.status != 0) return entry.status;
    if (antennaId == nullptr) return ReportStatus(-(kSpecific + 1));
    *antennaId = KAM_NO_ANTENNA;
    ListNode* pattern = nullptr;
    std::int32_t result =
        ResolvePatternOfLengthAndType(libraryId, patternName, entry.nameLength, Kind::kType, &pattern);
    if (result != 0) return ReportStatus(result);
    if (g_state.inputParamValid != 0) {
        const KAM_PatternInfo& info = PatternInfoOf(pattern);
        if (CombineStatus(Kind::CheckParameters(info.paramProperties, values), result) ||
            CombineStatus(Kind::ValidateInput(info, values), result)) {
            return ReportStatus(result);
        }
    }
    void* const specific = values.specific;
    return ReportStatus(
        StoreAntenna(pattern, Kind::kAntennaKind, values, specific, antennaId, result));
}

}  // namespace

// The pattern node's name is the name of its record (the registry names the
// node after it), held zero padded: a fixed-size copy suffices.
void SetAntennaContext(const ListNode* pattern) noexcept {
    SetCurrentLibrary(pattern->parent != nullptr ? pattern->parent->handle : KAM_NO_LIBRARY);
    SetCurrentPatternNamePadded(pattern->name);
}

// The node is unlinked and its handle retired at once; node, record and
// specific copy are released when the outermost exported call returns, so a
// call under way that holds pointers into the record never sees freed memory.
int DeleteAntennaNode(ListNode* node) noexcept {
    if (node == nullptr) return KAM_E_INTERNAL;
    if (!IsAntennaKind(node->kind)) return KAM_E_UNKNOWN_ANTENNA;
    void* specific = StoredSpecific(node);
    if (const int status = Unlink(node); status != 0) return status;
    DeferRelease(node, IsNoValueStruct(specific) ? nullptr : specific);
    return 0;
}

}  // namespace kam

extern "C" KAM_API KAM_Status KAM_CALL KAM_CreateEarthAntenna(KAM_LibraryId libraryId,
                                                              const char* patternName,
                                                              double gainMax, double diameter,
                                                              double frequency, double efficiency,
                                                              void* specific,
                                                              KAM_AntennaId* antennaId) {
    return kam::RunExport([&] {
        return kam::CreateAntenna<kam::EarthKind>(
            libraryId, patternName, {gainMax, diameter, frequency, efficiency, specific},
            antennaId);
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_CreateSpaceAntenna(KAM_LibraryId libraryId,
                                                              const char* patternName,
                                                              double gainMax, double beamlet,
                                                              void* specific,
                                                              KAM_AntennaId* antennaId) {
    return kam::RunExport([&] {
        return kam::CreateAntenna<kam::SpaceKind>(libraryId, patternName,
                                                  {gainMax, beamlet, specific}, antennaId);
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_DeleteAntenna(KAM_AntennaId antennaId) {
    using namespace kam;
    return RunExport([&]() -> std::int32_t {
        if (const std::int32_t frame = EnterFrame(); frame != 0) return frame;
        if (antennaId == KAM_NO_ANTENNA) return ReportStatus(-1);
        ListNode* node = NodeFromHandle(antennaId);
        if (node == nullptr) return ReportStatus(KAM_E_UNKNOWN_ANTENNA);
        return ReportStatus(DeleteAntennaNode(node));
    });
}

// Gain of an antenna at a pair of angles. The stored parameters were
// validated at creation; only the angles and validateAll run here. The slots
// receive pointers into the antenna's own record, so what they write there
// stays with the antenna. The record and pattern are taken before any slot
// runs: a slot that deletes the antenna only parks its memory.
extern "C" KAM_API KAM_Status KAM_CALL KAM_AntennaGain(KAM_AntennaId antennaId, double phi,
                                                       double phi0, double* gain,
                                                       double* gainX) {
    using namespace kam;
    return RunExport([&]() -> std::int32_t {
        if (const std::int32_t frame = EnterFrame(); frame != 0) return frame;
        if (antennaId == KAM_NO_ANTENNA) return ReportStatus(-1);
        if (gain == nullptr) return ReportStatus(-4);
        if (gainX == nullptr) return ReportStatus(-5);
        *gain = kNoValueDouble;
        *gainX = kNoValueDouble;

        ListNode* node = NodeFromHandle(antennaId);
        if (node == nullptr || !IsAntennaKind(node->kind)) {
            return ReportStatus(KAM_E_UNKNOWN_ANTENNA);
        }
        const ListNode* pattern = node->parent;
        SetAntennaContext(pattern);
        const bool validate = g_state.inputParamValid != 0;
        if (node->kind == static_cast<std::uint32_t>(NodeKind::EarthAntenna)) {
            Subject<EarthKind, true> subject(pattern, static_cast<EarthAntennaData*>(node->payload),
                                             validate, false);
            return Finish(GainElement<EarthKind>(subject, phi, phi0, gain, gainX));
        }
        Subject<SpaceKind, true> subject(pattern, static_cast<SpaceAntennaData*>(node->payload),
                                         validate, false);
        return Finish(GainElement<SpaceKind>(subject, phi, phi0, gain, gainX));
    });
}
