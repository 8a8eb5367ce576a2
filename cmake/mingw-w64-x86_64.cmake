# Cross build for 64-bit Windows: the same programs and tests as the 32-bit
# build, for machines whose kernel cannot run 32-bit Wine. Not shipped.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# Test programs run under the 64-bit loader when CTest is used directly;
# /usr/bin/wine would pick the 32-bit one whenever it is installed.
find_program(WINE64_PROGRAM wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(WINE64_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE64_PROGRAM})
endif()
