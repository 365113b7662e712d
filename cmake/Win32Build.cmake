# Cross-builds the Qt-free printer parts of this tree for 32-bit Windows into win32/ and
# registers the tests that check the result: its export table, and that it loads under Wine.
include(ExternalProject)

set(ROBOT_WIN32_DIR ${CMAKE_BINARY_DIR}/win32)
set(ROBOT_WIN32_DLL ${ROBOT_WIN32_DIR}/bin/virtual-fiscal-printer.dll)
set(ROBOT_WIN32_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-i686.cmake
    -DCMAKE_BUILD_TYPE=Release
    -DROBOT_WERROR=${ROBOT_WERROR})
if(CMAKE_CXX_COMPILER_LAUNCHER)
    list(APPEND ROBOT_WIN32_ARGS -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER})
endif()
ExternalProject_Add(win32
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${ROBOT_WIN32_DIR}
    CMAKE_ARGS ${ROBOT_WIN32_ARGS}
    INSTALL_COMMAND ""
    # The sources are this tree's own: let the inner build decide what changed.
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${ROBOT_WIN32_DLL}
)

find_program(ROBOT_MINGW_OBJDUMP i686-w64-mingw32-objdump)
if(ROBOT_MINGW_OBJDUMP)
    add_test(NAME win32_dll_exports
        COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${ROBOT_MINGW_OBJDUMP} -DDLL=${ROBOT_WIN32_DLL}
                -DTABLE=${CMAKE_SOURCE_DIR}/src/printer/EntryPoints.h
                -P ${CMAKE_SOURCE_DIR}/cmake/CheckDllExports.cmake)
    add_test(NAME win32_bridge_standalone
        COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${ROBOT_MINGW_OBJDUMP}
                -DPROGRAM=${ROBOT_WIN32_DIR}/bin/robot-fiscal-printer-bridge.exe
                -P ${CMAKE_SOURCE_DIR}/cmake/CheckStandalone.cmake)
endif()

# Under Wine, with one prefix per build tree that the first Windows program run makes.
# Skipped (exit 77) where Wine is missing or cannot start.
set(ROBOT_WINE_ENV
    "WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=")
add_test(NAME win32_dll_loads
    COMMAND ${CMAKE_SOURCE_DIR}/tests/win32/load-virtual-printer.sh
            ${ROBOT_WIN32_DIR}/bin/load-virtual-printer.exe ${ROBOT_WIN32_DLL}
            ${CMAKE_BINARY_DIR}/win32-printer)
set_tests_properties(win32_dll_loads PROPERTIES
    ENVIRONMENT "${ROBOT_WINE_ENV}" SKIP_RETURN_CODE 77 TIMEOUT 300)
