# Windows with MinGW-w64, for the Qt-free printer parts; included by mingw-i686.cmake and
# mingw-x86_64.cmake, which set ROBOT_MINGW_ARCH.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ROBOT_MINGW_ARCH})
set(ROBOT_MINGW_PREFIX ${ROBOT_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${ROBOT_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${ROBOT_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${ROBOT_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ROBOT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# There is no Qt for this target: only the virtual printer and the bridge are built.
set(ROBOT_PRINTER_ONLY ON CACHE BOOL "Build only the Qt-free printer parts" FORCE)
