# DELREGKEY is linked in (Wine cannot run code of an .exe loaded with LoadLibraryA) and
# exported through the program's own .def (which turnix_delregkey brings along), so the
# test resolves it by name as a client does.
turnix_wine_test(delregkey_test SOURCES delregkey_test.cpp LIBS turnix_delregkey oleaut32)
