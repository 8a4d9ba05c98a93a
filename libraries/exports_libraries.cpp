// Exports that load pattern libraries: KAM_AddLibrary and KAM_StdLibraryId.
#include "core/frame.h"
#include "core/state.h"
#include "libraries/registry.h"

using kam::g_state;

// Loads and registers a library file. -1 for a missing or empty file name
// (any length is accepted), -2 for a missing out id; otherwise the load's
// status, warnings included, reported. Leaves the context as the frame set
// it, so events a library queues while it registers carry no names.
extern "C" KAM_API KAM_Status KAM_CALL KAM_AddLibrary(const char* fileName,
                                                      KAM_LibraryId* libraryId) {
    return kam::RunExport([&]() -> KAM_Status {
        if (KAM_Status status = kam::EnterFrame(); status != 0) return status;
        if (fileName == nullptr || fileName[0] == '\0') return kam::ReportStatus(-1);
        if (libraryId == nullptr) return kam::ReportStatus(-2);
        return kam::ReportStatus(kam::LoadPatternLibrary(fileName, libraryId));
    });
}

// Initialises when needed, nothing else of the frame; none when the standard
// library is not registered.
extern "C" KAM_API KAM_LibraryId KAM_CALL KAM_StdLibraryId(void) {
    kam::CallScope scope;
    if (g_state.initialised == 0) kam::Initialise();
    return g_state.stdLibraryId;
}
