# Fails when a source under src/ uses a folder its own may not use.
#   cmake -DSOURCE_DIR=<repository>/src -P CheckLayers.cmake
# With -DEXPECTED=<file> it passes only when it finds exactly the
# violations written in that file (how a planted tree checks the check).
#
# Each folder of src/ is one layer: a library, with the pages' modules
# that live in it. The table below says which folders each may use, its
# own included; the libraries are linked the same way. Checked are the C++
# includes in both forms ("report/x.h" and <report/x.h>) and the ES module
# imports of every .js and .mjs file ("../../x.js", resolved from the
# importing file). A folder of src/ that the table does not name fails the
# check until it does.
cmake_minimum_required(VERSION 3.20)
set(uses_model model)
set(uses_heuristic model heuristic)
set(uses_formats model formats)
set(uses_report model heuristic report)
set(uses_driver model heuristic formats report driver)

set(violations "")
function(violation text)
    set(violations "${violations}  ${text}\n" PARENT_SCOPE)
endfunction()

file(GLOB entries RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*")
list(SORT entries)
set(layers "")
foreach(entry ${entries})
    if(NOT IS_DIRECTORY "${SOURCE_DIR}/${entry}")
        violation("${entry} stands in no folder")
    elseif(NOT DEFINED uses_${entry})
        violation("${entry}/ is no layer of the table in cmake/CheckLayers.cmake")
    else()
        list(APPEND layers ${entry})
    endif()
endforeach()

foreach(layer ${layers})
    file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
         "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.hpp"
         "${SOURCE_DIR}/${layer}/*.cpp" "${SOURCE_DIR}/${layer}/*.cc")
    list(SORT sources)
    foreach(source ${sources})
        file(STRINGS "${SOURCE_DIR}/${source}" includes
             REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">/]+/")
        foreach(line ${includes})
            string(REGEX REPLACE "^[^\"<]*[\"<]([^\">/]+)/.*$" "\\1" folder "${line}")
            # Includes of a folder outside src/ (<sys/stat.h>, <CLI/CLI.hpp>) are not ours.
            if(IS_DIRECTORY "${SOURCE_DIR}/${folder}" AND NOT folder IN_LIST uses_${layer})
                violation("${source} (${layer}/) includes from ${folder}/")
            endif()
        endforeach()
    endforeach()

    file(GLOB_RECURSE modules RELATIVE "${SOURCE_DIR}"
         "${SOURCE_DIR}/${layer}/*.js" "${SOURCE_DIR}/${layer}/*.mjs")
    list(SORT modules)
    foreach(module ${modules})
        file(READ "${SOURCE_DIR}/${module}" code)
        # import ... from "x", export ... from "x", import "x" and import("x"),
        # over several lines too.
        string(REGEX MATCHALL "(from|import)[ \t\r\n]*\\(?[ \t\r\n]*[\"'][^\"'\n]+[\"']"
               specifiers "${code}")
        get_filename_component(folder_of_module "${SOURCE_DIR}/${module}" DIRECTORY)
        foreach(specifier ${specifiers})
            string(REGEX REPLACE "^.*[\"']([^\"']+)[\"']$" "\\1" target "${specifier}")
            # Bare names (node:fs) are the runtime's, not ours.
            if(NOT target MATCHES "^\\.\\.?/")
                continue()
            endif()
            cmake_path(ABSOLUTE_PATH target BASE_DIRECTORY "${folder_of_module}" NORMALIZE
                       OUTPUT_VARIABLE resolved)
            file(RELATIVE_PATH inside "${SOURCE_DIR}" "${resolved}")
            string(REGEX MATCH "^[^/]+" folder "${inside}")
            if(inside MATCHES "^\\.\\./" OR NOT inside MATCHES "/")
                violation("${module} (${layer}/) imports ${target}, outside the folders of src/")
            elseif(NOT folder IN_LIST uses_${layer})
                violation("${module} (${layer}/) imports from ${folder}/: ${target}")
            endif()
        endforeach()
    endforeach()
endforeach()

if(DEFINED EXPECTED)
    file(READ "${EXPECTED}" expected)
    if(NOT violations STREQUAL expected)
        message(FATAL_ERROR "Expected these violations:\n${expected}Found:\n${violations}")
    endif()
elseif(violations)
    message(FATAL_ERROR "Against the layering:\n${violations}")
endif()
