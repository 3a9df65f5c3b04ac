# The installer flow through its seam (fakes; the real registry of the prefix in one group).
turnix_wine_test(flow_test SOURCES flow_test.cpp LIBS turnix_app advapi32)

# The built program end to end, black box from a separate process; a small helper stands in
# for the browser that the link icon opens.
add_executable(e2e_url_recorder WIN32 e2e_url_recorder.cpp)
turnix_warnings(e2e_url_recorder)
turnix_wine_test(e2e_test SOURCES e2e_test.cpp LIBS user32 advapi32)
add_dependencies(e2e_test turnix e2e_url_recorder)
target_compile_definitions(e2e_test PRIVATE "TURNIX_EXE_UNIX_PATH=\"$<TARGET_FILE:turnix>\""
    "URL_RECORDER_UNIX_PATH=\"$<TARGET_FILE:e2e_url_recorder>\"")
