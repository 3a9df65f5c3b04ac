turnix_wine_test(maindialog_test SOURCES maindialog_test.cpp $<TARGET_OBJECTS:turnix_resources>
                 LIBS turnix_app)
