# Windows build only: what a program directory needs to run under Windows or
# Wine without a deployment tool, and the way the build runs its own tools.

set(VORLA_WINE ${CMAKE_CROSSCOMPILING_EMULATOR})
# One Wine prefix for the build and the tests, kept inside the build tree.
set(VORLA_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)

set(vorla_qt_dlls Core Gui Widgets Network Concurrent Test Xml)
list(TRANSFORM vorla_qt_dlls REPLACE "^(.+)$" "${VORLA_QT_MINGW}/bin/Qt5\\1.dll")
set(vorla_runtime_dlls)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    find_file(vorla_${dll}_path ${dll} PATHS ${VORLA_MINGW_RUNTIME_DIRS} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    if(NOT vorla_${dll}_path)
        message(FATAL_ERROR "MinGW runtime ${dll} not found in ${VORLA_MINGW_RUNTIME_DIRS}")
    endif()
    list(APPEND vorla_runtime_dlls ${vorla_${dll}_path})
endforeach()
set(vorla_plugins platforms/qoffscreen.dll platforms/qminimal.dll platforms/qwindows.dll
    imageformats/qico.dll imageformats/qgif.dll imageformats/qjpeg.dll styles/qwindowsvistastyle.dll)
# The offscreen platform reads fonts from <libraries>/fonts; qt.conf points the
# libraries at the program's own directory.
set(vorla_fonts DejaVuSans.ttf DejaVuSans-Bold.ttf DejaVuSans-Oblique.ttf DejaVuSans-BoldOblique.ttf)
list(TRANSFORM vorla_fonts PREPEND /usr/share/fonts/truetype/dejavu/)
if(EXISTS /usr/share/fonts/truetype/wqy/wqy-microhei.ttc)
    list(APPEND vorla_fonts /usr/share/fonts/truetype/wqy/wqy-microhei.ttc)
endif()
foreach(font ${vorla_fonts})
    if(NOT EXISTS ${font})
        message(FATAL_ERROR "${font} is missing (apt-get install fonts-dejavu-core)")
    endif()
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/qt.conf "[Paths]\nPrefix = .\nLibraries = .\n")

# vorla_stage_windows_runtime(<dir> [DLLS_ONLY]): the Qt and MinGW DLLs into dir,
# and unless DLLS_ONLY the plugins, fonts and qt.conf as well.
set(vorla_runtime_commands)
function(vorla_stage_windows_runtime dir)
    cmake_parse_arguments(ARG "DLLS_ONLY" "" "" ${ARGN})
    set(commands
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${vorla_qt_dlls} ${vorla_runtime_dlls} ${dir})
    if(NOT ARG_DLLS_ONLY)
        foreach(plugin ${vorla_plugins})
            get_filename_component(folder ${plugin} DIRECTORY)
            list(APPEND commands
                COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}/${folder}
                COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VORLA_QT_MINGW}/plugins/${plugin} ${dir}/${folder})
        endforeach()
        list(APPEND commands
            COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}/fonts
            COMMAND ${CMAKE_COMMAND} -E copy_if_different ${vorla_fonts} ${dir}/fonts
            COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_BINARY_DIR}/qt.conf ${dir})
    endif()
    set(vorla_runtime_commands ${vorla_runtime_commands} ${commands} PARENT_SCOPE)
endfunction()

set(vorla_wine_path ${VORLA_QT_MINGW}/bin ${VORLA_MINGW_RUNTIME_DIRS})
list(TRANSFORM vorla_wine_path PREPEND "Z:")
# Runs a program of this build through Wine, with the Qt and MinGW DLLs on the
# search path: vorla_wine_run <program> <arguments...>
file(WRITE ${CMAKE_BINARY_DIR}/wine_run.sh
"#!/bin/sh
export WINEPREFIX='${VORLA_WINEPREFIX}' WINEDEBUG=-all
export WINEPATH='${vorla_wine_path}'
exec '${VORLA_WINE}' \"$@\"
")
file(CHMOD ${CMAKE_BINARY_DIR}/wine_run.sh PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(VORLA_WINE_RUN ${CMAKE_BINARY_DIR}/wine_run.sh)

# Called once every folder has asked for its directories.
function(vorla_add_windows_runtime_target)
    add_custom_target(vorla_windows_runtime ALL ${vorla_runtime_commands}
        COMMENT "Copying the Qt and MinGW runtime beside the programs")
endfunction()
