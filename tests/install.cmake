# Script installation against the real resources.
turnix_wine_test(install_test SOURCES install_test.cpp $<TARGET_OBJECTS:turnix_resources>
    LIBS turnix_install advapi32)
