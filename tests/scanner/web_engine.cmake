# The downloader runs as a child process against a server inside the test.
vorla_add_test(tst_web_engine SOURCES tst_web_engine.cpp local_http_server.h LIBS Qt5::Network)
add_dependencies(tst_web_engine web_engine)
target_compile_definitions(tst_web_engine PRIVATE WEB_ENGINE_EXE="${VORLA_TEST_DIR}/web_loader/web_engine.exe")
