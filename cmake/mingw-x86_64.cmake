# 64-bit Windows with MinGW-w64, for Wine where 32-bit programs cannot run: cmake -DCMAKE_TOOLCHAIN_FILE=this.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ROBOT_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ROBOT_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${ROBOT_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${ROBOT_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ROBOT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# There is no Qt for this target: only the virtual printer and the bridge are built.
set(ROBOT_PRINTER_ONLY ON CACHE BOOL "Build only the Qt-free printer parts" FORCE)
