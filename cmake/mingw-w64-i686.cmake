# Cross build for 32-bit x86 Windows with MinGW-w64 (posix threads): the suite that ships, since
# the device makers' libraries are 32-bit x86 DLLs. Tests run under 32-bit Wine.
set(SUITE_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
# How the suite names this target: Wine's 32-bit loader, llvm-dlltool's machine, the release.
set(SUITE_WINE_LOADER /usr/lib/wine/wine)
set(SUITE_DLLTOOL_MACHINE i386)
set(SUITE_ARCH x86)
