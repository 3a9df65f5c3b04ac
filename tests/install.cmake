# Script installation against the real resources; the test compares with copies of the script files.
foreach(script turnix-cw.lua turnix-ccw.lua)
    configure_file(${CMAKE_SOURCE_DIR}/scripts/${script} ${CMAKE_CURRENT_BINARY_DIR}/install-data/${script} COPYONLY)
endforeach()


turnix_wine_test(install_test SOURCES install_test.cpp $<TARGET_OBJECTS:turnix_resources>
    LIBS turnix_install advapi32)
turnix_warnings(install_test)
