# Cross build for 32-bit x86 Windows with MinGW-w64 (posix threads): the suite that ships, since
# the device makers' libraries are 32-bit x86 DLLs. Tests run under 32-bit Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER   i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Static runtime: no MinGW DLL has to travel with the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
# How the suite names this target: Wine's 32-bit loader, llvm-dlltool's machine, the release.
set(SUITE_WINE_LOADER /usr/lib/wine/wine)
set(SUITE_DLLTOOL_MACHINE i386)
set(SUITE_ARCH x86)
