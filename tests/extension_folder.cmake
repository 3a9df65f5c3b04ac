# GetExtensionFolder: the string work, and the real shell query.
turnix_wine_test(extension_folder_test SOURCES extension_folder_test.cpp LIBS turnix_extension_folder)
