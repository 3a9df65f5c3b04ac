# Every C++ file follows .clang-format; the failure message gives the command that fixes it.
find_program(TURNIX_CLANG_FORMAT clang-format REQUIRED)
add_test(NAME code_format COMMAND bash ${CMAKE_SOURCE_DIR}/tools/format.sh --check)
