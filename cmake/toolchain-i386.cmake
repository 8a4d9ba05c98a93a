# Linux i386 with the host's gcc in -m32 mode (gcc-multilib, g++-multilib).
# The test executables run under qemu-i386. SSE2 arithmetic keeps doubles at
# double precision, as on every other target (x87 would compute in 80 bits).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

# qemu-i386 finds the 32-bit dynamic loader (/lib/ld-linux.so.2, from the
# multilib packages) and the 32-bit libraries under the host's own root.
find_program(KAM_QEMU_I386 qemu-i386 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${KAM_QEMU_I386})

# Only the 32-bit libraries of the host can be linked.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
