# 32-bit Windows with MinGW-w64, as the vendor's DLL: cmake -DCMAKE_TOOLCHAIN_FILE=this.
set(ROBOT_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
