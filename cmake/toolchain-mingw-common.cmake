# Shared part of the MinGW-w64 toolchains; KAM_MINGW_TRIPLET names the target.
#
# The posix thread model gives the full C++ thread library. Every binary links
# the compiler's runtime (libstdc++, libgcc, winpthread) statically, so a DLL
# or test needs no runtime DLL beside it: only system DLLs are imported.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${KAM_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KAM_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KAM_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${KAM_MINGW_TRIPLET}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${KAM_MINGW_TRIPLET}-ranlib CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${KAM_MINGW_TRIPLET}-objdump CACHE FILEPATH "")
set(CMAKE_DLLTOOL ${KAM_MINGW_TRIPLET}-dlltool CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${KAM_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Tests run under wine, in a wine prefix of the build folder's own (created on
# first use, which takes some seconds), with wine's diagnostics silenced and
# without the .NET and HTML engines. KAM_WINE_NAMES (set by the toolchain
# before this file) lists the loaders for the target's word size, best first:
# x86-64 programs take wine64 itself, since the plain `wine` of a multiarch
# install starts the 32-bit loader, which a kernel without 32-bit support
# cannot execute; WINELOADER then tells wine that its child processes take
# the same loader.
find_program(KAM_WINE NAMES ${KAM_WINE_NAMES} PATHS /usr/lib/wine)
if(KAM_WINE)
  set(kam_wine_loader)
  if(KAM_WINE MATCHES "wine64$")
    set(kam_wine_loader WINELOADER=${KAM_WINE})
  endif()
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_COMMAND} -E env WINEDEBUG=-all WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
      "WINEDLLOVERRIDES=mscoree,mshtml=" ${kam_wine_loader} ${KAM_WINE})
endif()
