# The built file as a whole: a second build from a copy of the source elsewhere gives the same bytes.
if(TARGET turnix)
    add_test(NAME reproducible_build
        COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check_reproducible.sh ${CMAKE_SOURCE_DIR}
                $<TARGET_FILE:turnix> ${CMAKE_BINARY_DIR}/reproducible-check)
    set_tests_properties(reproducible_build PROPERTIES TIMEOUT 900)

    # The file as Windows' loader reads it: exports, imports and header flags (runs natively).
    find_program(TURNIX_OBJDUMP i686-w64-mingw32-objdump REQUIRED)
    add_test(NAME exe_image
        COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check_image.sh ${TURNIX_OBJDUMP} $<TARGET_FILE:turnix>)
endif()
