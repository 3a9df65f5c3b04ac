#include "DelRegKey.h"

#include <gtest/gtest.h>
#include <oleauto.h>
#include <sddl.h>
#include <windows.h>

#include <string>

#include "support/RegistryFixtures.h"

namespace {

const char Sandbox[] = "Software\\TurnixTest\\DelRegKey";
const std::string SandboxPath = Sandbox;

// A string handle as a client makes it: 8-bit characters with their byte length.
class ByteString {
public:
    explicit ByteString(const std::string& text)
        : handle_(
              reinterpret_cast<char*>(SysAllocStringByteLen(text.data(), static_cast<UINT>(text.size())))) {}
    ~ByteString() { SysFreeString(reinterpret_cast<BSTR>(handle_)); }
    ByteString(const ByteString&) = delete;
    ByteString& operator=(const ByteString&) = delete;
    char* const* Ref() const { return &handle_; }

private:
    char* handle_;
};

void DeleteSandbox() {
    const LONG status = RegDeleteTreeA(HKEY_CURRENT_USER, Sandbox);
    ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << "got " << status;
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TurnixTest");  // only goes if empty
}

// A key with a value, as the keys that clients delete hold one.
void CreateKey(const std::string& path) {
    ASSERT_TRUE(SetRegText(HKEY_CURRENT_USER, path, "Name", "value")) << path;
}

bool KeyExists(const std::string& path) { return RegKeyExists(HKEY_CURRENT_USER, path); }

class DelRegKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSandbox();
        // Resolved by name, as another program does after loading the module.
        del_ = reinterpret_cast<DelRegKeyFunction>(
            reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA(nullptr), "DELREGKEY")));
        ASSERT_NE(del_, nullptr);
    }
    void TearDown() override { DeleteSandbox(); }

    LONG Delete(const std::string& path) const {
        const DWORD root = 0x80000001;  // HKEY_CURRENT_USER as a client passes it
        ByteString text(path);
        return del_(&root, text.Ref());
    }

    DelRegKeyFunction del_ = nullptr;
};

TEST_F(DelRegKeyTest, ExportedUndecoratedAtOrdinalOne) {
    const HMODULE self = GetModuleHandleA(nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(del_), reinterpret_cast<void*>(&DELREGKEY));
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(self, MAKEINTRESOURCEA(1))),
              reinterpret_cast<void*>(&DELREGKEY));
    EXPECT_EQ(GetProcAddress(self, "DELREGKEY@8"), nullptr);
    EXPECT_EQ(GetProcAddress(self, "_DELREGKEY@8"), nullptr);
}

TEST_F(DelRegKeyTest, DeletesALeafKeyWithItsValues) {
    CreateKey(SandboxPath + "\\Leaf");
    CreateKey(SandboxPath + "\\Sibling");
    EXPECT_EQ(Delete(SandboxPath + "\\Leaf"), ERROR_SUCCESS);
    EXPECT_FALSE(KeyExists(SandboxPath + "\\Leaf"));
    EXPECT_TRUE(KeyExists(SandboxPath + "\\Sibling"));
    EXPECT_TRUE(KeyExists(SandboxPath));
}

TEST_F(DelRegKeyTest, MissingKeyIsSuccessAndChangesNothing) {
    CreateKey(SandboxPath + "\\Leaf");
    EXPECT_EQ(Delete(SandboxPath + "\\Missing"), ERROR_SUCCESS);
    EXPECT_EQ(Delete(SandboxPath + "\\Missing\\Deeper"), ERROR_SUCCESS);
    EXPECT_TRUE(KeyExists(SandboxPath + "\\Leaf"));
}

TEST_F(DelRegKeyTest, KeyWithSubkeyIsRefusedAndKept) {
    CreateKey(SandboxPath + "\\Parent\\Child");
    const LONG status = Delete(SandboxPath + "\\Parent");
    EXPECT_NE(status, ERROR_SUCCESS);
    EXPECT_TRUE(KeyExists(SandboxPath + "\\Parent\\Child"));
}

TEST_F(DelRegKeyTest, RefusedArgumentsDeleteNothing) {
    CreateKey(SandboxPath + "\\Leaf");
    const DWORD root = 0x80000001;
    ByteString path(SandboxPath + "\\Leaf");
    char* const nullHandle = nullptr;
    EXPECT_EQ(del_(nullptr, path.Ref()), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(del_(&root, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(del_(&root, &nullHandle), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Delete(""), ERROR_INVALID_PARAMETER);
    // Cut at the zero byte, this would name the existing leaf.
    EXPECT_EQ(Delete(SandboxPath + "\\Leaf" + '\0' + "Other"), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(KeyExists(SandboxPath + "\\Leaf"));
}

TEST_F(DelRegKeyTest, PathOver254CharactersIsRefused) {
    // A leaf whose path is exactly 254 characters.
    std::string leaf = SandboxPath + "\\" + std::string(100, 'a') + "\\";
    leaf += std::string(254 - leaf.size(), 'b');
    ASSERT_EQ(leaf.size(), 254u);
    CreateKey(leaf);
    // Cut to 254 characters, this would name the leaf above.
    EXPECT_EQ(Delete(leaf + "\\Child"), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(Delete(leaf + "c"), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_TRUE(KeyExists(leaf));
    EXPECT_EQ(Delete(leaf), ERROR_SUCCESS);
    EXPECT_FALSE(KeyExists(leaf));
}

TEST_F(DelRegKeyTest, TakesTheCharactersUpToTheStoredLength) {
    CreateKey(SandboxPath + "\\Leaf");
    CreateKey(SandboxPath + "\\LeafLonger");
    // No terminator after the counted characters: the text runs on in memory.
    struct {
        DWORD length;
        char text[64];
    } raw{};
    const std::string full = SandboxPath + "\\LeafLonger";
    full.copy(raw.text, full.size());
    raw.length = static_cast<DWORD>(full.size() - 6);
    char* const handle = raw.text;
    const DWORD root = 0x80000001;
    EXPECT_EQ(del_(&root, &handle), ERROR_SUCCESS);
    EXPECT_FALSE(KeyExists(SandboxPath + "\\Leaf"));
    EXPECT_TRUE(KeyExists(SandboxPath + "\\LeafLonger"));
}

TEST_F(DelRegKeyTest, KeyThatCannotBeOpenedIsAFailure) {
    const std::string path = SandboxPath + "\\Locked";
    CreateKey(path);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    // Everyone may read it and change its permissions (for the clean-up), nothing else.
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KRWD;;;WD)", SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
    LocalFree(descriptor);

    EXPECT_EQ(Delete(path), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(KeyExists(path));

    // Give the sandbox clean-up its rights back.
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KA;;;WD)", SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
    LocalFree(descriptor);
    RegCloseKey(key);
}

TEST_F(DelRegKeyTest, InvalidRootIsAFailure) {
    CreateKey(SandboxPath + "\\Leaf");
    const DWORD root = 0x12345678;
    ByteString path(SandboxPath + "\\Leaf");
    EXPECT_NE(del_(&root, path.Ref()), ERROR_SUCCESS);
    EXPECT_TRUE(KeyExists(SandboxPath + "\\Leaf"));
}

}  // namespace
