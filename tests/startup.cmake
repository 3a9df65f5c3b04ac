turnix_wine_test(startup_test SOURCES startup_test.cpp LIBS turnix_startup)
