#!/usr/bin/env bash
# Makes sure the tools a build needs are present. Usage: ensure-tools.sh TOOL...
# where TOOL is one of: cmake g++ gtest cli11 clang fuzzer emscripten xmllint. Missing ones are installed
# with apt-get when running as root; otherwise the script names the Debian
# packages to install and fails. The browser tests also need: node npm chromium
# pdftotext (to read back the pages they print to PDF).
set -euo pipefail

package_for() {
    case "$1" in
        cmake) echo cmake ;;
        g++) echo g++ ;;
        gtest) echo libgtest-dev ;;
        cli11) echo libcli11-dev ;;
        clang) echo clang ;;
        fuzzer) echo libclang-rt-14-dev ;;
        emscripten) echo emscripten ;;
        node) echo nodejs ;;
        npm) echo npm ;;
        chromium) echo chromium ;;
        pdftotext) echo poppler-utils ;;
        xmllint) echo libxml2-utils ;;
    esac
}

present() {
    case "$1" in
        cmake | g++ | clang) command -v "$1" >/dev/null 2>&1 ;;
        # Either place will do: `ls` of both would fail for want of one.
        gtest) [ -e /usr/include/gtest/gtest.h ] &&
            { ls /usr/lib/*/libgtest.a || ls /usr/lib/libgtest.a; } >/dev/null 2>&1 ;;
        cli11) [ -e /usr/include/CLI/CLI.hpp ] ;;
        fuzzer) ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 ;;
        emscripten) command -v emcmake >/dev/null 2>&1 ;;
        node | npm | pdftotext | xmllint) command -v "$1" >/dev/null 2>&1 ;;
        chromium) [ -x /usr/bin/chromium ] ;;
    esac
}

missing=()
for tool in "$@"; do
    present "$tool" || missing+=("$(package_for "$tool")")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null 2>&1; then
    echo "Installing ${missing[*]} ..." >&2
    DEBIAN_FRONTEND=noninteractive apt-get update -qq >&2
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >&2
else
    echo "Missing: ${missing[*]}. Install with: sudo apt-get install ${missing[*]}" >&2
    exit 1
fi
