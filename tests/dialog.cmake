turnix_wine_test(dialog_test SOURCES dialog_test.cpp $<TARGET_OBJECTS:turnix_resources> LIBS turnix_dialog)
