# The dialog layer, the start-up sequence, the main dialog and the program as a whole.
turnix_wine_test(dialog_test SOURCES dialog_test.cpp $<TARGET_OBJECTS:turnix_resources>
                 LIBS turnix_dialog)
turnix_wine_test(startup_test SOURCES startup_test.cpp LIBS turnix_startup)
turnix_wine_test(maindialog_test SOURCES maindialog_test.cpp $<TARGET_OBJECTS:turnix_resources>
                 LIBS turnix_app)

# Starts the built program as a separate process; Wine sees the Unix root as drive Z:.
turnix_wine_test(process_test SOURCES process_test.cpp LIBS user32)
add_dependencies(process_test turnix)
target_compile_definitions(process_test PRIVATE "TURNIX_EXE_UNIX_PATH=\"$<TARGET_FILE:turnix>\"")
