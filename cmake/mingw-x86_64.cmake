# 64-bit Windows with MinGW-w64, to run the Windows builds under wine64 where 32-bit programs
# cannot run: cmake -DCMAKE_TOOLCHAIN_FILE=this.
set(ROBOT_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
