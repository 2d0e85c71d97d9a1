#!/usr/bin/env bash
# Makes sure the tools the build needs are present. On a Debian machine, as
# root, missing packages are installed with apt-get; otherwise the command
# that installs them is printed and the script fails. libedit-dev (line
# editing in a terminal) is optional: without root it is only suggested.
set -euo pipefail

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v g++ >/dev/null || need+=(g++)
command -v prlimit >/dev/null || need+=(util-linux)
command -v python3 >/dev/null || need+=(python3)
command -v pkg-config >/dev/null || need+=(pkg-config)
command -v groff >/dev/null || need+=(groff-base)  # the manual page test renders it
[ -e /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
for package in "$@"; do
    dpkg -s "$package" >/dev/null 2>&1 || need+=("$package")
done
optional=()
[ -e /usr/include/histedit.h ] || optional+=(libedit-dev)

can_install=false
[ "$(id -u)" = 0 ] && command -v apt-get >/dev/null && can_install=true

if $can_install; then
    need+=("${optional[@]}")
elif [ ${#optional[@]} -gt 0 ]; then
    echo "Building without line editing; for it, install ${optional[*]}:" >&2
    echo "    sudo apt-get install ${optional[*]}" >&2
fi

[ ${#need[@]} -eq 0 ] && exit 0
if $can_install; then
    echo "Installing ${need[*]} ..."
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
else
    echo "Missing: ${need[*]}. Install them with:" >&2
    echo "    sudo apt-get install ${need[*]}" >&2
    exit 1
fi
