# Fails unless the library's dynamic symbol table defines exactly init_module
# and exit_module.
execute_process(COMMAND nm -D --defined-only ${LIBRARY} OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(names)
foreach(line ${lines})
    string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" name "${line}")
    # Version nodes from the export map are not functions.
    if(NOT name MATCHES "^VORLA|^\\(|^$")
        list(APPEND names ${name})
    endif()
endforeach()
list(SORT names)
if(NOT names STREQUAL "exit_module;init_module")
    message(FATAL_ERROR "unexpected exports: ${names}")
endif()
