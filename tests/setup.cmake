# The set-up's plan on fixture machines (apt sources, releases) and the scripts' failure
# handler; runs natively, as root or not.
add_test(NAME setup_plan COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check_setup.sh ${CMAKE_SOURCE_DIR})
