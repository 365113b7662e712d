# Cross-builds the Qt-free printer parts of this tree (the virtual printer DLL and the bridge)
# for Windows with MinGW-w64, and registers the tests that check the result.
#
# 32-bit (win32/) is what shops run: the vendor's DLL is 32-bit. Its export table and imports
# are checked here, and it runs under wine32 (scripts/install-deps.sh sets that up, through
# qemu-user where the kernel runs no 32-bit programs).
# 64-bit (win64/) proves the same sources across a real Windows loader where only wine64 runs:
# export names, ANSI texts and buffer sizes, though not the 32-bit calling convention.
include(ExternalProject)

set(ROBOT_WINE_ENV
    "WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=")

function(robot_windows_build name toolchain mingw_prefix)
    set(dir ${CMAKE_BINARY_DIR}/${name})
    set(args
        -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/${toolchain}
        -DCMAKE_BUILD_TYPE=Release
        -DROBOT_WERROR=${ROBOT_WERROR})
    if(CMAKE_CXX_COMPILER_LAUNCHER)
        list(APPEND args -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER})
    endif()
    ExternalProject_Add(${name}
        SOURCE_DIR ${CMAKE_SOURCE_DIR}
        BINARY_DIR ${dir}
        CMAKE_ARGS ${args}
        INSTALL_COMMAND ""
        # The sources are this tree's own: let the inner build decide what changed.
        BUILD_ALWAYS ON
        BUILD_BYPRODUCTS ${dir}/bin/virtual-fiscal-printer.dll
                         ${dir}/bin/robot-fiscal-printer-bridge.exe
    )
    set(dll ${dir}/bin/virtual-fiscal-printer.dll)
    set(bridge ${dir}/bin/robot-fiscal-printer-bridge.exe)

    find_program(objdump_${name} ${mingw_prefix}-objdump)
    if(objdump_${name})
        add_test(NAME ${name}_dll_exports
            COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${objdump_${name}} -DDLL=${dll}
                    -DTABLE=${CMAKE_SOURCE_DIR}/src/printer/EntryPoints.h
                    -P ${CMAKE_SOURCE_DIR}/cmake/CheckDllExports.cmake)
        add_test(NAME ${name}_bridge_standalone
            COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${objdump_${name}} -DPROGRAM=${bridge}
                    -P ${CMAKE_SOURCE_DIR}/cmake/CheckStandalone.cmake)
    endif()

    # The Linux station's invoice and credit-note cases, the printer being the Windows DLL in
    # the Windows bridge under Wine: paper roll and records must come out as in process. One
    # Wine prefix per build tree and flavour; skipped (77) where that Wine cannot start.
    # The document database through the Windows bridge's ODBC channel too: its values, and the
    # station printing through it with both dialects.
    set(args_test_document_printing)
    set(args_test_odbc_bridge channelCarriesTypedValues stationPrintsThroughBridge)
    foreach(test test_document_printing test_odbc_bridge)
        if(TARGET ${test})
            add_dependencies(${test} ${name})
            add_test(NAME ${test}_${name}_wine
                COMMAND ${CMAKE_SOURCE_DIR}/tests/win32/station-under-wine.sh ${name}
                        $<TARGET_FILE:${test}> ${bridge} ${dll} ${args_${test}})
            set_tests_properties(${test}_${name}_wine PROPERTIES
                ENVIRONMENT "${TEST_ENV};${ROBOT_WINE_ENV};WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix-${name}"
                SKIP_RETURN_CODE 77 TIMEOUT 600 RESOURCE_LOCK wine-${name})
        endif()
    endforeach()
endfunction()

find_program(ROBOT_MINGW32_CXX i686-w64-mingw32-g++)
if(ROBOT_MINGW32_CXX)
    robot_windows_build(win32 mingw-i686.cmake i686-w64-mingw32)
endif()
find_program(ROBOT_MINGW64_CXX x86_64-w64-mingw32-g++)
if(ROBOT_MINGW64_CXX)
    robot_windows_build(win64 mingw-x86_64.cmake x86_64-w64-mingw32)
endif()

# The Windows station of scripts/windows-build.sh (label "windows"): the program folder under
# Wine as a shop runs it (64-bit station, 32-bit bridge and printer library), and the installer. Skipped, saying how to build what they
# need, until that script has run.
set(ROBOT_WINDOWS_BUILD ${CMAKE_SOURCE_DIR}/build-windows CACHE PATH
    "The folder scripts/windows-build.sh built the Windows station in")
add_test(NAME windows_station
    COMMAND ${CMAKE_SOURCE_DIR}/tests/win32/windows-station.sh ${ROBOT_WINDOWS_BUILD}
            ${CMAKE_BINARY_DIR}/windows-station ${CMAKE_SOURCE_DIR}/docs/capturas/windows.png)
add_test(NAME windows_installer
    COMMAND ${CMAKE_SOURCE_DIR}/tests/win32/windows-installer.sh ${ROBOT_WINDOWS_BUILD}
            ${CMAKE_BINARY_DIR}/windows-installer)
set_tests_properties(windows_station windows_installer PROPERTIES
    LABELS windows SKIP_RETURN_CODE 77 TIMEOUT 900)
