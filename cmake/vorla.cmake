# Helpers shared by the folders' CMakeLists.

# vorla_add_test(<name> SOURCES ... LIBS ... [DEPENDS <targets>...] [LOADS_MODULE] [XVFB])
# One CTest test per test program, run offscreen with its own data directories.
# DEPENDS names programs the test starts; LOADS_MODULE hands it the built module
# as VORLA_MODULE_FILE.
function(vorla_add_test name)
    cmake_parse_arguments(ARG "XVFB;LOADS_MODULE" "" "SOURCES;LIBS;DEPENDS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt5::Test ${ARG_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VORLA_TEST_DIR})
    add_dependencies(${name} vorla_test_stage ${ARG_DEPENDS})
    if(ARG_LOADS_MODULE)
        target_compile_definitions(${name} PRIVATE VORLA_MODULE_FILE="$<TARGET_FILE:vorla_connect>")
        add_dependencies(${name} vorla_connect)
    endif()
    if(WIN32)
        # Wine hands no QT_* variable to the program, and its prefix holds the
        # registry and the user data of every test, so they run one at a time.
        add_dependencies(${name} vorla_windows_runtime)
        # A test without a GUI application refuses the platform option.
        set(platform_option -platform offscreen)
        foreach(source ${ARG_SOURCES})
            if(source MATCHES "\\.cpp$")
                file(READ ${CMAKE_CURRENT_SOURCE_DIR}/${source} text)
                if(text MATCHES "QTEST_(GUILESS|APPLESS)_MAIN")
                    set(platform_option)
                endif()
            endif()
        endforeach()
        # Without a console window Qt Test's plain text goes to the debugger
        # channel; its TAP output reaches stdout.
        add_test(NAME ${name} COMMAND ${name} ${platform_option} -o -,tap)
        set_tests_properties(${name} PROPERTIES
            ENVIRONMENT "WINEPREFIX=${VORLA_WINEPREFIX};WINEDEBUG=-all"
            RESOURCE_LOCK wine_user_data
            TIMEOUT 300)
        return()
    endif()
    if(ARG_XVFB)
        add_test(NAME ${name} COMMAND xvfb-run -a -s "-screen 0 1600x1200x24" $<TARGET_FILE:${name}>)
        # No GL: the widgets need none, and Mesa's GLX leaks what LeakSanitizer reports.
        set(platform "xcb;QT_XCB_GL_INTEGRATION=none")
    else()
        add_test(NAME ${name} COMMAND ${name})
        set(platform offscreen)
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=${platform};XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test_home/${name}/share;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test_home/${name}/config;ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:fast_unwind_on_malloc=0;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
        TIMEOUT 300)
endfunction()

# vorla_hide_all_but_exports(<target> <version script>)
# GNU-style linkers keep only the script's symbols visible and refuse an
# unresolved symbol at link time rather than at load time; other linkers skip both.
include(CheckLinkerFlag)
function(vorla_hide_all_but_exports target map)
    check_linker_flag(CXX "LINKER:--version-script=${map}" VORLA_LINKER_VERSION_SCRIPT)
    check_linker_flag(CXX "LINKER:--no-undefined" VORLA_LINKER_NO_UNDEFINED)
    if(VORLA_LINKER_VERSION_SCRIPT)
        target_link_options(${target} PRIVATE "LINKER:--version-script=${map}")
        set_target_properties(${target} PROPERTIES LINK_DEPENDS ${map})
    endif()
    if(VORLA_LINKER_NO_UNDEFINED)
        target_link_options(${target} PRIVATE "LINKER:--no-undefined")
    endif()
endfunction()
