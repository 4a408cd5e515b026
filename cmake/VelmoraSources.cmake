# Every target lists its sources by hand, so what a target is built from is written in its
# CMakeLists. This check keeps those lists honest: a source file that sits in a folder but that no
# list names would silently never be compiled, so the configure stops and names it instead.
#
#   velmora_check_listed(DIRECTORY <dir> LISTED <file>...)
#
# Fails when a .cpp or .h below <dir> is not among the LISTED paths (relative to <dir>).
function(velmora_check_listed)
    cmake_parse_arguments(PARSE_ARGV 0 ARG "" "DIRECTORY" "LISTED")
    file(GLOB_RECURSE present RELATIVE ${ARG_DIRECTORY} ${ARG_DIRECTORY}/*.cpp ${ARG_DIRECTORY}/*.h)
    set(unlisted)
    foreach(file ${present})
        if(NOT file IN_LIST ARG_LISTED)
            list(APPEND unlisted ${file})
        endif()
    endforeach()
    if(unlisted)
        list(JOIN unlisted "\n  " names)
        message(FATAL_ERROR "Sources in ${ARG_DIRECTORY} that no CMakeLists lists:\n  ${names}\n"
            "Add them to the list in ${CMAKE_CURRENT_LIST_FILE}.")
    endif()
endfunction()
