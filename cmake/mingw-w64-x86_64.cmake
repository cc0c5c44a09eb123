# Cross build for 64-bit Windows with Debian's MinGW-w64 (POSIX thread model)
# against a Qt 5.15 built for MinGW; Wine runs what the build and CTest start.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORLA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORLA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORLA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VORLA_MINGW_TRIPLE}-windres)

get_filename_component(_vorla_default_qt "${CMAKE_CURRENT_LIST_DIR}/../../shared/qt5-mingw" ABSOLUTE)
set(VORLA_QT_MINGW "${_vorla_default_qt}" CACHE PATH "Qt 5.15 built for x86_64-w64-mingw32")
# The toolchain file is read again for every try_compile, which sees no cache.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VORLA_QT_MINGW)

set(CMAKE_FIND_ROOT_PATH /usr/${VORLA_MINGW_TRIPLE} ${VORLA_QT_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
list(APPEND CMAKE_PREFIX_PATH ${VORLA_QT_MINGW})
set(Qt5_DIR ${VORLA_QT_MINGW}/lib/cmake/Qt5 CACHE PATH "")

# The Windows Qt has no Linguist tools; translations are compiled by the build
# machine's own lrelease.
set(Qt5LinguistTools_DIR /usr/lib/x86_64-linux-gnu/cmake/Qt5LinguistTools CACHE PATH "")

set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)

# Where the MinGW runtime DLLs live; the build copies them beside the programs.
set(VORLA_MINGW_RUNTIME_DIRS /usr/lib/gcc/${VORLA_MINGW_TRIPLE}/12-posix /usr/${VORLA_MINGW_TRIPLE}/lib)
