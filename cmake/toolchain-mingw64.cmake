# Windows x86-64 with the MinGW-w64 cross compiler; tests run under wine.
set(KAM_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(KAM_WINE_NAMES wine64 wine)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
