# Both scripts in Debian's real VLC 3, driven through its interface on the suite's X server.
# Runs natively, not under Wine; skipped (exit 77) only where VLC could not be installed.
add_test(NAME vlc_scripts
    COMMAND ${PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/vlc/vlc_test.py
            ${CMAKE_CURRENT_BINARY_DIR}/script-copies ${CMAKE_CURRENT_BINARY_DIR}/vlc-work)
set_tests_properties(vlc_scripts PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
