# The resources "RCW" and "RCCW" and the version block of the built program, read as data.
if(TARGET turnix)
    turnix_wine_test(resource_test SOURCES resource_test.cpp LIBS version)
    target_compile_definitions(resource_test PRIVATE "TURNIX_EXE_UNIX_PATH=\"$<TARGET_FILE:turnix>\""
        "TURNIX_VERSION_TEXT=\"${TURNIX_VERSION_TEXT}\""
        "TURNIX_VERSION_NUMBERS=${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${PROJECT_VERSION_TWEAK}")
    add_dependencies(resource_test turnix)
endif()
