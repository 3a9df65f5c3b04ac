# The built program end to end, black box from a separate process; a small helper stands in
# for the browser that the link icon opens.
add_executable(e2e_url_recorder WIN32 e2e_url_recorder.cpp)
turnix_warnings(e2e_url_recorder)
turnix_wine_test(e2e_test SOURCES e2e_test.cpp OWN_MAIN)
add_dependencies(e2e_test turnix e2e_url_recorder)
target_compile_definitions(e2e_test PRIVATE "TURNIX_EXE_UNIX_PATH=\"$<TARGET_FILE:turnix>\""
    "URL_RECORDER_UNIX_PATH=\"$<TARGET_FILE:e2e_url_recorder>\"")
set_tests_properties(e2e_test PROPERTIES ENVIRONMENT "TURNIX_CODE_PAGE=1252")

# Stand-ins for Windows libraries, planted beside a copy of the program as a web page could
# drop them into Downloads: comctl32 (once a static import), uxtheme (loaded by Windows' window
# code for the program), and libraries that shell and COM code load on demand.
foreach(name comctl32 uxtheme dwmapi propsys cryptbase profapi userenv windowscodecs urlmon apphelp)
    add_library(stand_in_${name} SHARED e2e_stand_in.cpp)
    set_target_properties(stand_in_${name} PROPERTIES OUTPUT_NAME ${name} PREFIX ""
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/stand-ins
        ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/stand-ins/import-libraries)
    turnix_warnings(stand_in_${name})
    add_dependencies(e2e_test stand_in_${name})
endforeach()
target_compile_definitions(stand_in_comctl32 PRIVATE STAND_IN_FOR_COMCTL32)
target_link_options(stand_in_comctl32 PRIVATE -Wl,--kill-at)
target_compile_definitions(e2e_test PRIVATE "STAND_INS_UNIX_PATH=\"${CMAKE_CURRENT_BINARY_DIR}/stand-ins\"")

# The cases that install, again under the ANSI code pages of Simplified Chinese (936) and
# Japanese (932), where the byte 0xB0 is no degree sign. Wine takes the code page from LANG
# (tools/wine-run.sh passes TURNIX_WINE_LANG on; tools/setup.sh generates these locales), and the
# started program keeps the one of the test. The test itself picks the cases, and fails unless
# every one of them ran; TURNIX_CODE_PAGE lets it see that the code page took.
foreach(variant "936;zh_CN.UTF-8" "932;ja_JP.UTF-8")
    list(GET variant 0 code_page)
    list(GET variant 1 locale)
    add_test(NAME e2e_test_cp${code_page} COMMAND e2e_test --code-page-cases)
    set_tests_properties(e2e_test_cp${code_page} PROPERTIES TIMEOUT 600
        ENVIRONMENT "TURNIX_WINE_LANG=${locale};TURNIX_CODE_PAGE=${code_page}")
endforeach()
