# Windows i686 with the MinGW-w64 cross compiler; tests run under wine32. KAM_CALL is
# __stdcall here; the .def files and --kill-at keep exported names undecorated.
set(KAM_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KAM_WINE_NAMES wine)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
