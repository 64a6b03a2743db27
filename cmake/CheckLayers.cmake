# Fails when a source file under src/ includes from a folder above its own.
#   cmake -DSOURCE_DIR=<repository>/src -P CheckLayers.cmake
# Each folder is one library and may include only from itself and the
# folders it is built on; the libraries are linked the same way.
cmake_minimum_required(VERSION 3.20)
set(allowed_model model)
set(allowed_heuristic model heuristic)
set(allowed_formats model formats)
set(allowed_report model heuristic report)
set(allowed_driver model heuristic formats report driver)

set(violations "")
foreach(layer model heuristic formats report driver)
    file(GLOB_RECURSE files "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
    foreach(file ${files})
        file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
        foreach(line ${includes})
            string(REGEX REPLACE "^[^\"]*\"([^\"/]+)/.*$" "\\1" folder "${line}")
            if(NOT folder IN_LIST allowed_${layer})
                file(RELATIVE_PATH shown "${SOURCE_DIR}" "${file}")
                string(APPEND violations "  ${shown} (${layer}/) includes from ${folder}/\n")
            endif()
        endforeach()
    endforeach()
endforeach()
if(violations)
    message(FATAL_ERROR "Includes against the layering:\n${violations}")
endif()
