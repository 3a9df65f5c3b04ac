#include "Registry.h"

#include <gtest/gtest.h>
#include <sddl.h>
#include <windows.h>

#include <string>

#include "support/RegistryFixtures.h"

namespace {

const char Sandbox[] = "Software\\TurnixTest\\Registry";
const std::string SandboxPath = Sandbox;

void DeleteSandbox() {
    LONG status = RegDeleteTreeA(HKEY_CURRENT_USER, Sandbox);
    ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << "got " << status;
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TurnixTest");  // only goes if empty
}

// Writes one value (name "" for the default value) below the sandbox, creating the key.
void SetValue(const std::string& subkey, const std::string& name, DWORD type, const std::string& data,
              REGSAM view = 0, HKEY root = HKEY_CURRENT_USER, const std::string& base = SandboxPath) {
    const std::string path = subkey.empty() ? base : base + "\\" + subkey;
    ASSERT_TRUE(SetRegValue(root, path, name, type, data, view)) << path << " [" << name << "]";
}

void SetString(const std::string& subkey, const std::string& name, const std::string& text) {
    SetValue(subkey, name, REG_SZ, text + '\0');
}

std::string Read(const std::string& subkey, const std::string& name) {
    return ReadRegValue(HKEY_CURRENT_USER, SandboxPath + "\\" + subkey, name);
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteSandbox(); }
    void TearDown() override { DeleteSandbox(); }
};

TEST_F(RegistryTest, DefaultValueMissingEmptyOrSet) {
    SetString("NoDefault", "Other", "x");
    SetString("EmptyDefault", "", "");
    const std::string folder = "C:\\Program Files\\VideoLAN\\VLC \xC9t\xE9";
    SetString("Vlc", "", folder);
    for (const char* name : {"", "*"}) {
        SCOPED_TRACE(std::string("name \"") + name + "\"");
        EXPECT_EQ(Read("NoDefault", name), "");
        EXPECT_EQ(Read("EmptyDefault", name), "");
        // Byte for byte, the terminator not included.
        const std::string got = Read("Vlc", name);
        EXPECT_EQ(got, folder);
        EXPECT_EQ(got.size(), folder.size());
    }
}

TEST_F(RegistryTest, StarSelectsTheDefaultNotAValueNamedStar) {
    SetString("Key", "", "default");
    SetString("Key", "*", "named star");
    SetString("Key", "**", "two stars");
    EXPECT_EQ(Read("Key", "*"), "default");
    EXPECT_EQ(Read("Key", "**"), "two stars");
}

TEST_F(RegistryTest, MissingKeyOrValueGivesEmptyText) {
    SetString("Key", "Present", "yes");
    EXPECT_EQ(Read("Key", "Present"), "yes");
    EXPECT_EQ(Read("Key", "Absent"), "");
    EXPECT_EQ(Read("NoSuchKey", "Present"), "");
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, "", "Present"), "");
}

TEST_F(RegistryTest, NamesAndPathsAreCutAtTheirBuffers) {
    const std::string name255(255, 'n');
    SetString("Key", name255, "long name");
    EXPECT_EQ(Read("Key", name255), "long name");
    EXPECT_EQ(Read("Key", name255 + "beyond"), "long name");
    SetString("Key", "Ver", "cut at zero");
    EXPECT_EQ(Read("Key", std::string("Ver\0sion", 8)), "cut at zero");

    // The ANSI registry functions take no path longer than MAX_PATH, so the 299-character
    // cut cannot be seen; the cut at a zero byte can.
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, SandboxPath + "\\Key" + '\0' + "Other", "Ver"), "cut at zero");
}

TEST_F(RegistryTest, DataIsBoundedTo256Bytes) {
    const std::string bytes256(256, 'b');
    SetValue("Key", "Bin256", REG_BINARY, bytes256);
    EXPECT_EQ(Read("Key", "Bin256"), bytes256);
    SetValue("Key", "Bin255", REG_BINARY, std::string(255, 'c'));
    EXPECT_EQ(Read("Key", "Bin255"), std::string(255, 'c'));
    SetValue("Key", "Bin257", REG_BINARY, std::string(256, 'd') + 'e');
    EXPECT_EQ(Read("Key", "Bin257"), std::string(256, 'd'));
    SetValue("Key", "BinZero", REG_BINARY, std::string(100, 'f') + '\0' + std::string(199, 'g'));
    EXPECT_EQ(Read("Key", "BinZero"), std::string(100, 'f'));

    // A string of 256 characters needs 257 bytes with its terminator.
    SetString("Key", "Str256", std::string(256, 's'));
    EXPECT_EQ(Read("Key", "Str256"), std::string(256, 's'));
    SetString("Key", "Str255", std::string(255, 't'));
    EXPECT_EQ(Read("Key", "Str255"), std::string(255, 't'));
    // A long installation path still reads as its first 256 bytes, not as empty.
    std::string longPath = "C:\\";
    while (longPath.size() < 4000)
        longPath += "Very Long Folder Name\\";
    SetString("Key", "", longPath);
    EXPECT_EQ(Read("Key", ""), longPath.substr(0, 256));
}

TEST_F(RegistryTest, OtherTypesGiveTheirBytesUpToAZero) {
    SetValue("Key", "Expand", REG_EXPAND_SZ, std::string("%SystemRoot%\\vlc") + '\0');
    EXPECT_EQ(Read("Key", "Expand"), "%SystemRoot%\\vlc");
    SetValue("Key", "Multi", REG_MULTI_SZ, std::string("first\0second\0\0", 14));
    EXPECT_EQ(Read("Key", "Multi"), "first");
    const DWORD abc = 0x00434241;
    SetValue("Key", "Dword", REG_DWORD, std::string(reinterpret_cast<const char*>(&abc), 4));
    EXPECT_EQ(Read("Key", "Dword"), "ABC");
}

TEST_F(RegistryTest, ReadsAKeyThatDeniesWriteAccess) {
    SetString("ReadOnly", "", "readable");
    const std::string path = SandboxPath + "\\ReadOnly";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    // Everyone: read, delete and change permissions (for the clean-up), nothing else.
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KRSDWD;;;WD)", SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key), ERROR_SUCCESS);
    const LONG set = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    RegCloseKey(key);
    LocalFree(descriptor);
    ASSERT_EQ(set, ERROR_SUCCESS);

    HKEY full = nullptr;
    const LONG fullOpen = RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &full);
    if (fullOpen == ERROR_SUCCESS) RegCloseKey(full);
    ASSERT_EQ(fullOpen, ERROR_ACCESS_DENIED) << "the key should refuse full access";
    EXPECT_EQ(Read("ReadOnly", ""), "readable");
}

// A 32-bit program sees HKLM\Software redirected to its 32-bit view.
class RegistryViewTest : public ::testing::Test {
protected:
    static constexpr const char* Base = "Software\\TurnixTest";
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "Software\\TurnixTest\\View", view, 0);
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, Base, view, 0);
        }
    }
};

TEST_F(RegistryViewTest, KeyOnlyInThe64BitView) {
    SetValue("View", "", REG_SZ, std::string("C:\\Program Files\\VideoLAN\\VLC") + '\0', KEY_WOW64_64KEY,
             HKEY_LOCAL_MACHINE, Base);
    const std::string path = std::string(Base) + "\\View";
    EXPECT_EQ(ReadRegValue(HKEY_LOCAL_MACHINE, path, "", RegistryView::Wow64_64),
              "C:\\Program Files\\VideoLAN\\VLC");
    EXPECT_EQ(ReadRegValue(HKEY_LOCAL_MACHINE, path, ""), "");
    EXPECT_EQ(ReadRegValue(HKEY_LOCAL_MACHINE, path, "", RegistryView::Default), "");
}

}  // namespace
