# Shared by scripts/demo and scripts/test: package check and the build.
# shellcheck shell=bash

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

# Debian 12 packages the project needs to build, test and run its demo.
packages=(cmake make g++ clang libclang-rt-14-dev
          qtbase5-dev qttools5-dev qttools5-dev-tools
          xvfb xauth fonts-wqy-microhei)

# ensure_packages [package...]: the given packages, else the list above.
ensure_packages() {
    local wanted=("$@")
    [ ${#wanted[@]} -eq 0 ] && wanted=("${packages[@]}")
    local missing=()
    local p
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages: ${missing[*]}" >&2
        echo "Run this script as root once, or: sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# configure_and_build <build dir> [cmake options...]
configure_and_build() {
    local dir=$1
    shift
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

# Qt 5.15 built for MinGW-w64 (see ../shared/qt5-mingw/BUILD.md), or empty.
qt_mingw_prefix() {
    local prefix=${VORLA_QT_MINGW:-$root/../shared/qt5-mingw}
    [ -f "$prefix/lib/cmake/Qt5/Qt5Config.cmake" ] && (cd "$prefix" && pwd)
    return 0
}
