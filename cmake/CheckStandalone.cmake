# cmake -DOBJDUMP=... -DPROGRAM=... -P CheckStandalone.cmake
# A program copied alone to a Windows workstation must need only the system's DLLs: a MinGW
# runtime DLL it imports (libstdc++-6.dll, libgcc_s_dw2-1.dll, libwinpthread-1.dll) would be
# missing there and the program would not start.
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "objdump could not read ${PROGRAM}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(import ${imports})
    if(import MATCHES "DLL Name: (lib|LIB)")
        message(FATAL_ERROR "${PROGRAM} needs a DLL that Windows does not have:\n${imports}")
    endif()
endforeach()
message(STATUS "${PROGRAM} imports only system DLLs")
