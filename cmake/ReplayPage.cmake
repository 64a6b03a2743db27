# The replay page: an HTML shell, its style and ES modules in
# src/report/replay/, joined at build time into one self-contained file
# (cmake/JoinPage.cmake; the build needs no node), whose bytes the library
# carries as ReplayPageTemplate().

set(JOBSHOP_JOIN_PAGE ${CMAKE_CURRENT_LIST_DIR}/JoinPage.cmake)

# jobshop_join_page(OUTPUT <html> SHELL <html> MODULES <js>...)
# Joins SHELL, the files it includes and MODULES (each after the modules it
# imports, the one that starts the page last) into OUTPUT.
function(jobshop_join_page)
    cmake_parse_arguments(ARG "" "OUTPUT;SHELL" "MODULES" ${ARGN})
    get_filename_component(shell_dir ${ARG_SHELL} DIRECTORY)
    file(STRINGS ${ARG_SHELL} include_lines REGEX "^<!--#include .*-->$")
    set(included "")
    foreach(line IN LISTS include_lines)
        string(REGEX REPLACE "^<!--#include (.*)-->$" "\\1" name "${line}")
        list(APPEND included ${shell_dir}/${name})
    endforeach()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ARG_SHELL})
    string(REPLACE ";" "|" modules "${ARG_MODULES}")
    add_custom_command(
        OUTPUT ${ARG_OUTPUT}
        COMMAND ${CMAKE_COMMAND} -DSHELL=${ARG_SHELL} -DMODULES=${modules} -DOUTPUT=${ARG_OUTPUT}
                -P ${JOBSHOP_JOIN_PAGE}
        DEPENDS ${ARG_SHELL} ${included} ${ARG_MODULES} ${JOBSHOP_JOIN_PAGE}
        COMMENT "Joining ${ARG_OUTPUT}"
        VERBATIM)
endfunction()

# jobshop_embed_page(PAGE CPP FUNCTION HEADER)
# Writes CPP, which defines `std::string_view FUNCTION()` (declared in
# HEADER) returning the bytes of the joined PAGE.
set(JOBSHOP_EMBED_FILE ${CMAKE_CURRENT_LIST_DIR}/EmbedFile.cmake)
function(jobshop_embed_page page cpp function header)
    add_custom_command(
        OUTPUT ${cpp}
        COMMAND ${CMAKE_COMMAND} -DINPUT=${page} -DOUTPUT=${cpp} -DFUNCTION=${function} -DHEADER=${header}
                -P ${JOBSHOP_EMBED_FILE}
        DEPENDS ${page} ${JOBSHOP_EMBED_FILE}
        COMMENT "Embedding ${page}"
        VERBATIM)
endfunction()

set(REPLAY_PAGE_DIR ${PROJECT_SOURCE_DIR}/src/report/replay)
# The page's modules, each after those it imports; main.js, which starts the
# page from its embedded data, comes last and is not among them, so another
# page can join these with a start of its own.
set(REPLAY_PAGE_MODULES
    lang strings replay-data stepping derive
    chart-scene chart-svg
    graph-strings graph-scene graph-svg ask exercise-link worksheet paging
    search-data search-stepping search-derive search-scene search-strings
    dom lang-dom windowed-table chart-canvas
    derivation explain steps-csv practice search-practice explain-strings practice-strings practice-store
    operation-panel changes-panel chart-panel table-panel
    order-panel practice-inputs practice-parts search-practice-parts practice-panel graph-panel sheet-render sheet-panel print
    search-panel navigation panel-schedule a11y-strings
    app)
list(TRANSFORM REPLAY_PAGE_MODULES PREPEND ${REPLAY_PAGE_DIR}/js/)
list(TRANSFORM REPLAY_PAGE_MODULES APPEND .js)

set(REPLAY_PAGE ${CMAKE_CURRENT_BINARY_DIR}/generated/replay-page.html)
set(REPLAY_PAGE_CPP ${CMAKE_CURRENT_BINARY_DIR}/generated/ReplayPageTemplate.cpp)
jobshop_join_page(OUTPUT ${REPLAY_PAGE} SHELL ${REPLAY_PAGE_DIR}/page.html
                  MODULES ${REPLAY_PAGE_MODULES} ${REPLAY_PAGE_DIR}/js/main.js)
jobshop_embed_page(${REPLAY_PAGE} ${REPLAY_PAGE_CPP} ReplayPageTemplate report/ReplayPage.h)

# The worksheets and the answer key of a class set (jobshop-class): the
# same worksheet modules with a start of their own, carried by the library
# as ClassSheetsTemplate().
set(CLASS_SHEETS_MODULES lang strings replay-data stepping derive graph-strings graph-scene ask worksheet paging
    sheet-render class-main)
list(TRANSFORM CLASS_SHEETS_MODULES PREPEND ${REPLAY_PAGE_DIR}/js/)
list(TRANSFORM CLASS_SHEETS_MODULES APPEND .js)
set(CLASS_SHEETS_PAGE ${CMAKE_CURRENT_BINARY_DIR}/generated/class-sheets.html)
set(CLASS_SHEETS_CPP ${CMAKE_CURRENT_BINARY_DIR}/generated/ClassSheetsTemplate.cpp)
jobshop_join_page(OUTPUT ${CLASS_SHEETS_PAGE} SHELL ${REPLAY_PAGE_DIR}/class-sheets.html
                  MODULES ${CLASS_SHEETS_MODULES})
jobshop_embed_page(${CLASS_SHEETS_PAGE} ${CLASS_SHEETS_CPP} ClassSheetsTemplate report/ClassSet.h)

# The modules' own tests, under node's test runner, where node is installed
# (the build itself never needs it).
if(JOBSHOP_TESTS)
    find_program(JOBSHOP_NODE node)
    if(JOBSHOP_NODE)
        enable_testing()
        add_test(NAME ReplayPageModules COMMAND ${JOBSHOP_NODE} --test
                 WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/tests/page)
        set_tests_properties(ReplayPageModules PROPERTIES
            ENVIRONMENT "JOBSHOP_BUILD=${CMAKE_BINARY_DIR};JOBSHOP_CMAKE=${CMAKE_COMMAND}" TIMEOUT 120)
    else()
        message(STATUS "node not found: the replay page's module tests are not run")
    endif()
endif()
