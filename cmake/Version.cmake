# The version --version shows: the project's version and, in a git tree, the commit it was built
# from. A tree without git (a source tarball) builds all the same, without the commit.
set(ROBOT_GIT_COMMIT "")
find_package(Git QUIET)
if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --short=12 HEAD
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} RESULT_VARIABLE git_result
        OUTPUT_VARIABLE git_commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(git_result EQUAL 0)
        set(ROBOT_GIT_COMMIT ${git_commit})
        # A new commit configures again, so the version never names an older one.
        execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --git-path HEAD
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE head_file
            OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        execute_process(COMMAND ${GIT_EXECUTABLE} symbolic-ref -q HEAD
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE branch
            OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        set(watched ${head_file})
        if(branch)
            execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --git-path ${branch}
                WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE branch_file
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
            list(APPEND watched ${branch_file})
        endif()
        foreach(file ${watched})
            get_filename_component(file ${file} ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
            if(EXISTS ${file})
                set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
            endif()
        endforeach()
    endif()
endif()
configure_file(${PROJECT_SOURCE_DIR}/src/core/Version.h.in
    ${PROJECT_BINARY_DIR}/generated/core/Version.h @ONLY)
