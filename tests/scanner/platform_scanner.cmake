# The platform layer and the program scanner. The scanner's Steam lookup runs
# the real downloader, which its build copies next to the test programs.
vorla_add_test(tst_program_scanner SOURCES tst_program_scanner.cpp LIBS vorla_features vorla_graphics Qt5::Network)
if(TARGET web_engine)
    add_dependencies(tst_program_scanner web_engine)
endif()
# The launchers' own game lists and the rule that adds each game once.
vorla_add_test(tst_launchers SOURCES tst_launchers.cpp LIBS vorla_features vorla_graphics Qt5::Network)
if(TARGET web_engine)
    add_dependencies(tst_launchers web_engine)
endif()
