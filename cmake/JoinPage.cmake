# Joins a page's HTML shell, the files it includes and its ES modules into
# one self-contained HTML file, with no tool beyond CMake:
#   cmake -DSHELL=page.html -DMODULES="a.js|b.js|main.js" -DOUTPUT=out.html -P JoinPage.cmake
#
# In the shell, a line `<!--#include FILE-->` (FILE relative to the shell)
# becomes FILE's text, and the line `<!--#modules-->` the modules, which must
# be listed so that each comes after every module it imports; the last one
# starts the page. A module becomes a function whose private names stay its
# own and that returns its exports; an import becomes a constant taken from
# the module it names. Supported, one to a line:
#   import { a, b as c } from "./x.js";     import * as x from "./x.js";
#   export function f / export async function f / export const C / export class K
# Anything else written with import or export stops the build with a message,
# as do an import of a name the module does not export and text that would
# end the script element early.
#
# The page comes out in ASCII: characters beyond it in modules are written
# as \uXXXX, which JavaScript reads the same in strings, comments and
# regular expressions. Chromium loaded the page measurably slower (some
# 20 ms of 250 on a 3 MB page) when its script held other characters. The
# shell and included files must be ASCII already (HTML and CSS escape
# differently; the page's texts live in the modules anyway).

cmake_minimum_required(VERSION 3.20)

function(fail message)
    message(FATAL_ERROR "JoinPage: ${message}")
endfunction()

# Reads a file with "\n" ahead of its first line, so that every line start
# is a "\n" (CMake's regular expressions have no multi-line mode).
function(read_lines path out)
    if(NOT EXISTS "${path}")
        fail("${path} does not exist")
    endif()
    file(READ "${path}" text)
    set(${out} "\n${text}" PARENT_SCOPE)
endfunction()

string(ASCII 1 ascii_first)
string(ASCII 127 ascii_last)
set(non_ascii "[^${ascii_first}-${ascii_last}]+")

function(require_ascii text shown)
    string(REGEX MATCH "${non_ascii}" found "${text}")
    if(found)
        fail("${shown} holds \"${found}\"; only ASCII can stand there (an HTML or CSS escape, or a text in the modules)")
    endif()
endfunction()

# `text` with every character beyond ASCII written as \uXXXX.
function(escape_non_ascii text shown out)
    while(TRUE)
        string(REGEX MATCH "${non_ascii}" run "${text}")
        if(NOT run)
            break()
        endif()
        string(HEX "${run}" hex)
        set(escaped "")
        while(NOT hex STREQUAL "")
            string(SUBSTRING "${hex}" 0 2 byte)
            math(EXPR code "0x${byte}")
            if(code GREATER_EQUAL 0xC0 AND code LESS 0xE0)
                set(length 2)
                math(EXPR code "${code} & 0x1F")
            elseif(code GREATER_EQUAL 0xE0 AND code LESS 0xF0)
                set(length 3)
                math(EXPR code "${code} & 0x0F")
            else()
                fail("${shown} holds \"${run}\", which is not UTF-8 of a character up to U+FFFF")
            endif()
            string(LENGTH "${hex}" hex_length)
            math(EXPR needed "${length} * 2")
            if(hex_length LESS needed)
                fail("${shown} holds \"${run}\", which is not UTF-8 of a character up to U+FFFF")
            endif()
            math(EXPR last "${length} - 1")
            foreach(i RANGE 1 ${last})
                math(EXPR at "${i} * 2")
                string(SUBSTRING "${hex}" ${at} 2 byte)
                math(EXPR code "(${code} << 6) | (0x${byte} & 0x3F)")
            endforeach()
            math(EXPR code "${code}" OUTPUT_FORMAT HEXADECIMAL)
            string(SUBSTRING "${code}" 2 -1 digits)
            string(LENGTH "${digits}" digit_count)
            while(digit_count LESS 4)
                string(PREPEND digits "0")
                math(EXPR digit_count "${digit_count} + 1")
            endwhile()
            string(TOLOWER "${digits}" digits)
            string(APPEND escaped "\\u${digits}")
            string(SUBSTRING "${hex}" ${needed} -1 hex)
        endwhile()
        string(REPLACE "${run}" "${escaped}" text "${text}")
    endwhile()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

get_filename_component(shell_dir "${SHELL}" DIRECTORY)
read_lines("${SHELL}" page)
require_ascii("${page}" "${SHELL}")

# Included files.
string(REGEX MATCHALL "\n<!--#include [^\n]*-->" includes "${page}")
foreach(marker IN LISTS includes)
    string(REGEX REPLACE "^\n<!--#include (.*)-->$" "\\1" name "${marker}")
    file(READ "${shell_dir}/${name}" included)
    require_ascii("${included}" "${name}")
    string(REPLACE "${marker}" "\n${included}" page "${page}")
endforeach()

# Modules.
string(REPLACE "|" ";" modules "${MODULES}")
set(joined "")
set(index 0)
set(known "")
foreach(path IN LISTS modules)
    math(EXPR index "${index} + 1")
    get_filename_component(path "${path}" ABSOLUTE)
    get_filename_component(dir "${path}" DIRECTORY)
    get_filename_component(stem "${path}" NAME_WE)
    file(RELATIVE_PATH shown "${shell_dir}" "${path}")
    string(MAKE_C_IDENTIFIER "_m${index}_${stem}" object)
    read_lines("${path}" code)
    escape_non_ascii("${code}" "${shown}" code)

    string(TOLOWER "${code}" lower)
    foreach(bad "</script" "<!--")
        string(FIND "${lower}" "${bad}" at)
        if(NOT at EQUAL -1)
            fail("${shown} holds \"${bad}\", which would end or confuse the page's script; write it as \"<\\/\" or split the string")
        endif()
    endforeach()

    # Exports: the names, then the keyword goes.
    set(exports "")
    string(REGEX MATCHALL "\nexport (async function|function|const|class) +[A-Za-z_$][A-Za-z0-9_$]*" found "${code}")
    foreach(declaration IN LISTS found)
        string(REGEX REPLACE ".* ([A-Za-z_$][A-Za-z0-9_$]*)$" "\\1" name "${declaration}")
        list(APPEND exports "${name}")
    endforeach()
    string(REGEX REPLACE "\nexport (async function|function|const|class) " "\n\\1 " code "${code}")
    string(REGEX MATCH "\nexport[^\n]*" other "${code}")
    if(other)
        string(STRIP "${other}" other)
        fail("${shown}: unsupported export \"${other}\"")
    endif()

    # Imports, one line at a time.
    while(TRUE)
        string(REGEX MATCH "\nimport[ {*][^\n]*" line "${code}")
        if(NOT line)
            break()
        endif()
        string(STRIP "${line}" shown_line)
        if(line MATCHES "^\nimport \\{([^}]*)\\} from \"([^\"]+)\";[ \t\r]*$")
            set(names "${CMAKE_MATCH_1}")
            set(from "${CMAKE_MATCH_2}")
            set(namespace "")
        elseif(line MATCHES "^\nimport \\* as ([A-Za-z_$][A-Za-z0-9_$]*) from \"([^\"]+)\";[ \t\r]*$")
            set(namespace "${CMAKE_MATCH_1}")
            set(from "${CMAKE_MATCH_2}")
        else()
            fail("${shown}: unsupported import \"${shown_line}\"")
        endif()
        get_filename_component(target "${from}" ABSOLUTE BASE_DIR "${dir}")
        list(FIND known "${target}" at)
        if(at EQUAL -1)
            fail("${shown} imports ${from}, which is not listed before it")
        endif()
        string(MAKE_C_IDENTIFIER "${target}" target_key)
        set(target_object "${object_of_${target_key}}")
        if(namespace)
            set(replacement "\nconst ${namespace} = ${target_object};")
        else()
            string(REPLACE "," ";" names "${names}")
            set(bindings "")
            foreach(name IN LISTS names)
                string(STRIP "${name}" name)
                if(name STREQUAL "")
                    continue()
                endif()
                if(name MATCHES "^([A-Za-z_$][A-Za-z0-9_$]*) +as +([A-Za-z_$][A-Za-z0-9_$]*)$")
                    set(imported "${CMAKE_MATCH_1}")
                    set(binding "${CMAKE_MATCH_1}: ${CMAKE_MATCH_2}")
                else()
                    set(imported "${name}")
                    set(binding "${name}")
                endif()
                list(FIND exports_of_${target_key} "${imported}" exported)
                if(exported EQUAL -1)
                    fail("${shown} imports ${imported} from ${from}, which does not export it")
                endif()
                list(APPEND bindings "${binding}")
            endforeach()
            list(JOIN bindings ", " bindings)
            set(replacement "\nconst { ${bindings} } = ${target_object};")
        endif()
        string(REPLACE "${line}" "${replacement}" code "${code}")
    endwhile()

    list(JOIN exports ", " returned)
    string(APPEND joined "// ---- ${shown}\nconst ${object} = (() => {${code}\nreturn { ${returned} };\n})();\n")
    list(APPEND known "${path}")
    string(MAKE_C_IDENTIFIER "${path}" key)
    set(object_of_${key} "${object}")
    set(exports_of_${key} "${exports}")
endforeach()

set(marker "\n<!--#modules-->")
string(FIND "${page}" "${marker}" at)
if(at EQUAL -1)
    fail("${SHELL} has no line <!--#modules-->")
endif()
string(REPLACE "${marker}" "\n(() => {\n\"use strict\";\n${joined}})();" page "${page}")

# Without the "\n" that read_lines put first.
string(SUBSTRING "${page}" 1 -1 page)
file(WRITE "${OUTPUT}" "${page}")
