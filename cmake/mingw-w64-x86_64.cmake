# Cross build for 64-bit Windows with MinGW-w64 (posix threads); tests run under Wine.
set(SUITE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
# How the suite names this target: Wine's 64-bit loader, llvm-dlltool's machine, the release.
set(SUITE_WINE_LOADER /usr/lib/wine/wine64)
set(SUITE_DLLTOOL_MACHINE i386:x86-64)
set(SUITE_ARCH x64)
