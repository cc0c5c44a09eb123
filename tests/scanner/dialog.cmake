# The scan dialog and the settings form's scan flow with the host's components.
vorla_add_test(tst_scanning_dialog SOURCES tst_scanning_dialog.cpp
    LIBS vorla_features vorla_host vorla_graphics Qt5::Network)
if(TARGET web_engine)
    add_dependencies(tst_scanning_dialog web_engine)
endif()
