# The extension scripts run natively in Debian's Lua interpreters against a fake VLC host.
# 5.2 is the version of VLC 3's own host. 5.3 is left out: its string arithmetic gives floats,
# so the scripts' tostring((90+angle) % 360) would read "180.0" there.
foreach(version 5.1 5.2 5.4)
    string(REPLACE "." "" tag ${version})
    find_program(TURNIX_LUA${tag} lua${version} REQUIRED)
    add_test(NAME lua${tag}_scripts
        COMMAND ${TURNIX_LUA${tag}} ${CMAKE_CURRENT_SOURCE_DIR}/lua/scripts_test.lua ${CMAKE_SOURCE_DIR}/scripts
            ${TURNIX_VERSION_TEXT})
endforeach()

# Encoding and line ends of both files, their url against the program's link, and their mirroring.
add_test(NAME scripts_layout
    COMMAND ${TURNIX_LUA52} ${CMAKE_CURRENT_SOURCE_DIR}/lua/layout_test.lua
            ${CMAKE_SOURCE_DIR}/scripts ${CMAKE_SOURCE_DIR}/app/AuthorPage.h)
