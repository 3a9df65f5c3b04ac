# Script installation against the real resources and the real file system.
turnix_wine_test(install_test SOURCES install_test.cpp $<TARGET_OBJECTS:turnix_resources> LIBS turnix_install)
