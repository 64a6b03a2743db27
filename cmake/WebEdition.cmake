# The web edition, jobshop-web.html: the program's core compiled to
# WebAssembly with emscripten, and the replay page's modules with the web
# edition's own (src/driver/web/), joined into one self-contained page.
#
# Included twice from CMakeLists.txt:
# - in the normal build, where it configures and builds a second tree of
#   the same sources with emscripten (build/web) when emscripten is
#   installed, and copies the page to build/jobshop-web.html; without
#   emscripten it does nothing;
# - in that second tree (EMSCRIPTEN set), after the libraries, where it
#   builds the core and the page.

set(WEB_DIR ${PROJECT_SOURCE_DIR}/src/driver/web)

if(NOT EMSCRIPTEN)
    # The sanitizer and fuzzing builds test the native code alone.
    if(NOT JOBSHOP_WEB OR JOBSHOP_SANITIZE OR JOBSHOP_FUZZ)
        return()
    endif()
    find_program(JOBSHOP_EMCMAKE emcmake)
    find_program(JOBSHOP_WEB_NODE node)
    if(NOT JOBSHOP_EMCMAKE OR NOT JOBSHOP_WEB_NODE)
        message(STATUS "emscripten not found (Debian: emscripten): jobshop-web.html is not built")
        return()
    endif()
    include(ExternalProject)
    # Make shares its job slots with the inner build.
    if(CMAKE_GENERATOR MATCHES "Make")
        set(web_build_command "$(MAKE)")
    else()
        set(web_build_command ${CMAKE_COMMAND} --build <BINARY_DIR>)
    endif()
    ExternalProject_Add(jobshop-web
        SOURCE_DIR ${PROJECT_SOURCE_DIR}
        BINARY_DIR ${CMAKE_BINARY_DIR}/web
        CONFIGURE_COMMAND ${JOBSHOP_EMCMAKE} ${CMAKE_COMMAND} -S <SOURCE_DIR> -B <BINARY_DIR>
            -G ${CMAKE_GENERATOR} -DCMAKE_BUILD_TYPE=Release -DJOBSHOP_WERROR=${JOBSHOP_WERROR}
            -DJOBSHOP_TESTS=OFF -DJOBSHOP_BENCH=OFF
        BUILD_COMMAND ${web_build_command}
        BUILD_ALWAYS ON
        INSTALL_COMMAND ${CMAKE_COMMAND} -E copy_if_different <BINARY_DIR>/jobshop-web.html
            ${CMAKE_BINARY_DIR}/jobshop-web.html
        USES_TERMINAL_BUILD ON)
    return()
endif()

# ---- The second tree, configured with emscripten.

# The run of driver/ on the libraries; the command frame stays native.
add_library(jobshop_run STATIC ${JOBSHOP_RUN_SOURCES})
target_link_libraries(jobshop_run PUBLIC jobshop_formats jobshop_report)

# memory.copy for every copy: the trace's chunks are gathered by copying.
add_compile_options(-mbulk-memory)

# The core as a module the page (and node's tests) instantiate: JobshopCore()
# resolves to it. -sSINGLE_FILE embeds the WebAssembly in the script, so the
# page needs no server and nothing beside it.
add_executable(jobshop-core ${WEB_DIR}/WebCore.cpp)
target_link_libraries(jobshop-core PRIVATE jobshop_run)
target_link_options(jobshop-core PRIVATE
    -mbulk-memory -sSINGLE_FILE=1 -sMODULARIZE=1 -sEXPORT_NAME=JobshopCore
    -sENVIRONMENT=web,worker,node -sALLOW_MEMORY_GROWTH=1 -sFILESYSTEM=0
    -sEXPORTED_RUNTIME_METHODS=[] -sINCOMING_MODULE_JS_API=[])
set_target_properties(jobshop-core PROPERTIES SUFFIX .js
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# Debian's emscripten runs its JavaScript optimizer under node, which finds
# Debian's acorn only through NODE_PATH when node is not Debian's own.
if(EXISTS /usr/share/nodejs)
    set(node_path /usr/share/nodejs)
    if(DEFINED ENV{NODE_PATH})
        set(node_path "$ENV{NODE_PATH}:${node_path}")
    endif()
    set_target_properties(jobshop-core PROPERTIES
        CXX_LINKER_LAUNCHER "${CMAKE_COMMAND};-E;env;NODE_PATH=${node_path}")
endif()

# The instances up to 20 x 20 of benchmarks/, as codes for the page's data
# element.
find_program(JOBSHOP_WEB_NODE node REQUIRED)
set(web_generated ${CMAKE_BINARY_DIR}/generated)
set(bundled_json ${CMAKE_BINARY_DIR}/bundled-instances.json)
file(GLOB benchmark_files ${PROJECT_SOURCE_DIR}/benchmarks/*.txt)
add_custom_command(
    OUTPUT ${bundled_json}
    COMMAND ${JOBSHOP_WEB_NODE} ${WEB_DIR}/tools/bundle-instances.mjs ${bundled_json}
            ${PROJECT_SOURCE_DIR}/benchmarks 20
    DEPENDS ${WEB_DIR}/tools/bundle-instances.mjs ${WEB_DIR}/js/instance-code.js ${benchmark_files}
    COMMENT "Bundling the benchmark instances up to 20 x 20"
    VERBATIM)

# The page's shell: web.html with the replay page's style and body taken
# from the replay page's own shell (page.html) where it marks them, so the
# web edition shows whatever the replay page shows. Written beside the
# core's script, which it includes; includes point back to the sources.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${REPLAY_PAGE_DIR}/page.html ${WEB_DIR}/web.html)

# `text` with each include line's file made relative to the build tree,
# but for the files this tree makes.
set(web_built_includes jobshop-core.js bundled-instances.json)
function(web_rebase_includes text from out)
    string(REGEX MATCHALL "\n<!--#include [^\n]*-->" lines "${text}")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^\n<!--#include (.*)-->$" "\\1" name "${line}")
        if(name IN_LIST web_built_includes)
            continue()
        endif()
        file(RELATIVE_PATH rebased ${CMAKE_BINARY_DIR} ${from}/${name})
        string(REPLACE "${line}" "\n<!--#include ${rebased}-->" text "${text}")
    endforeach()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

file(READ ${REPLAY_PAGE_DIR}/page.html replay_shell)
if(NOT replay_shell MATCHES "<style>(\n.*)\n</style>")
    message(FATAL_ERROR "page.html has no <style> element for the web edition to take")
endif()
web_rebase_includes("${CMAKE_MATCH_1}" ${REPLAY_PAGE_DIR} replay_style)
if(NOT replay_shell MATCHES "<body>(\n.*)\n<script type=\"application/json\" id=\"replay-data\">")
    message(FATAL_ERROR "page.html has no body before its data element for the web edition to take")
endif()
web_rebase_includes("${CMAKE_MATCH_1}" ${REPLAY_PAGE_DIR} replay_body)
# The input panel comes right after the replay's header (its title and the
# language), which the file included for the replay's body holds: that file
# is taken in here, split after the header; without a header the panel
# comes first.
file(RELATIVE_PATH input_panel ${CMAKE_BINARY_DIR} ${WEB_DIR}/input-panel.html)
file(RELATIVE_PATH search_panel ${CMAKE_BINARY_DIR} ${WEB_DIR}/search-panel.html)
set(panel_line "\n<!--#include ${input_panel}-->\n<!--#include ${search_panel}-->")
string(REGEX MATCHALL "\n<!--#include [^\n]*-->" body_includes "${replay_body}")
set(panel_placed FALSE)
foreach(line IN LISTS body_includes)
    string(REGEX REPLACE "^\n<!--#include (.*)-->$" "\\1" rebased "${line}")
    get_filename_component(included ${CMAKE_BINARY_DIR}/${rebased} ABSOLUTE)
    file(READ ${included} included_text)
    string(FIND "\n${included_text}" "\n</header>\n" header_end)
    if(NOT panel_placed AND NOT header_end EQUAL -1)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${included})
        string(REPLACE "\n</header>\n" "\n</header>${panel_line}\n" included_text "\n${included_text}")
        string(REGEX REPLACE "\n$" "" included_text "${included_text}")
        string(REPLACE "${line}" "${included_text}" replay_body "${replay_body}")
        set(panel_placed TRUE)
    endif()
endforeach()
if(NOT panel_placed)
    string(PREPEND replay_body "${panel_line}")
endif()

file(READ ${WEB_DIR}/web.html web_shell)
string(PREPEND web_shell "\n")
web_rebase_includes("${web_shell}" ${WEB_DIR} web_shell)
string(REPLACE "\n<!--#replay-style-->" "${replay_style}" web_shell "${web_shell}")
string(REPLACE "\n<!--#replay-body-->" "${replay_body}" web_shell "${web_shell}")
string(SUBSTRING "${web_shell}" 1 -1 web_shell)
set(web_shell_file ${CMAKE_BINARY_DIR}/web-shell.html)
# Rewritten only when it changes, so an unchanged page is not joined again.
file(WRITE ${web_generated}/web-shell.html "${web_shell}")
configure_file(${web_generated}/web-shell.html ${web_shell_file} COPYONLY)

# Each module after those it imports; web-app.js starts the page.
set(WEB_PAGE_MODULES web-strings instance-code address generator-form instance-source trace-size core input-panel
    web-search-strings search-core search-worker web-search)
list(TRANSFORM WEB_PAGE_MODULES PREPEND ${WEB_DIR}/js/)
list(TRANSFORM WEB_PAGE_MODULES APPEND .js)
set(WEB_PAGE ${CMAKE_BINARY_DIR}/jobshop-web.html)
jobshop_join_page(OUTPUT ${WEB_PAGE} SHELL ${web_shell_file}
                  MODULES ${REPLAY_PAGE_MODULES} ${WEB_PAGE_MODULES} ${WEB_DIR}/js/web-app.js)
add_custom_target(jobshop-web-page ALL DEPENDS ${WEB_PAGE})
add_dependencies(jobshop-web-page jobshop-core)
