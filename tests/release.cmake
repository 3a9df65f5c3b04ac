# The release step (tools/release.sh) with a throw-away certificate; the signed program goes
# through the end-to-end test's first installation and resource_test again.
if(TARGET turnix)
    find_program(TURNIX_OSSLSIGNCODE osslsigncode REQUIRED)
    find_program(TURNIX_OPENSSL openssl REQUIRED)
    add_test(NAME release_signed
        COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check_release.sh ${CMAKE_SOURCE_DIR} $<TARGET_FILE:turnix>
                ${CMAKE_BINARY_DIR}/release-check ${CMAKE_CROSSCOMPILING_EMULATOR}
                $<TARGET_FILE:e2e_test> $<TARGET_FILE:resource_test>)
    set_tests_properties(release_signed PROPERTIES TIMEOUT 900)
endif()
