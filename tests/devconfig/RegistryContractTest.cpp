// One contract, two registries: the in-memory registry must give the same results and error
// codes as the Win32 registry (checked against Wine's real registry in the Windows build), so
// every caller's failure path can be tested natively.
#include <gtest/gtest.h>

#include <memory>

#include "devconfig/MemoryRegistry.h"
#include "devconfig/Registry.h"
#ifdef _WIN32
#include <windows.h>

#include "devconfig/win32/Win32Registry.h"
#endif

using namespace devconfig;

namespace {

constexpr char kBase[] = "Software\\FioSuiteTest\\Contract";

struct MemoryFactory {
  static std::unique_ptr<Registry> Make() { return std::make_unique<MemoryRegistry>(); }
  static void Cleanup() {}
};

#ifdef _WIN32
struct Win32Factory {
  static std::unique_ptr<Registry> Make() {
    Cleanup();
    return std::make_unique<Win32Registry>();
  }
  static void Cleanup() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\FioSuiteTest"); }
};
#endif

template <typename Factory>
class RegistryContract : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_ = Factory::Make();
    ASSERT_EQ(registry_->CreateKey(kCurrentUser, kBase, &base_), kErrorSuccess);
  }
  void TearDown() override {
    registry_->CloseKey(base_);
    Factory::Cleanup();
  }
  RegKey Create(const std::string& name) {
    RegKey key = 0;
    EXPECT_EQ(registry_->CreateKey(base_, name, &key), kErrorSuccess) << name;
    return key;
  }
  Registry& reg() { return *registry_; }
  std::unique_ptr<Registry> registry_;
  RegKey base_ = 0;
};

#ifdef _WIN32
using Registries = ::testing::Types<MemoryFactory, Win32Factory>;
#else
using Registries = ::testing::Types<MemoryFactory>;
#endif
TYPED_TEST_SUITE(RegistryContract, Registries);

TYPED_TEST(RegistryContract, OpenOfAMissingKeyIsFileNotFound) {
  RegKey key = 0;
  EXPECT_EQ(this->reg().OpenKey(this->base_, "Missing", &key), kErrorFileNotFound);
  EXPECT_EQ(this->reg().OpenKey(kClassesRoot, "FioSuiteTest_No_Such_Key", &key),
            kErrorFileNotFound);
}

TYPED_TEST(RegistryContract, CreateMakesIntermediateKeysAndNamesIgnoreCase) {
  this->reg().CloseKey(this->Create("Outer\\Inner"));
  RegKey key = 0;
  ASSERT_EQ(this->reg().OpenKey(this->base_, "OUTER", &key), kErrorSuccess);
  EXPECT_EQ(this->reg().CloseKey(key), kErrorSuccess);
  ASSERT_EQ(this->reg().OpenKey(this->base_, "outer\\inner", &key), kErrorSuccess);
  EXPECT_EQ(this->reg().CloseKey(key), kErrorSuccess);
  // Creating an existing key opens it.
  this->reg().CloseKey(this->Create("OUTER"));
}

TYPED_TEST(RegistryContract, DwordRoundTripWithValueNamesIgnoringCase) {
  RegKey key = this->Create("Dev");
  ASSERT_EQ(SetDword(this->reg(), key, "ComPort", 256), kErrorSuccess);
  std::uint32_t field = 0;
  ASSERT_EQ(QueryDword(this->reg(), key, "comport", &field), kErrorSuccess);
  EXPECT_EQ(field, 256u);
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  ASSERT_EQ(this->reg().QueryValue(key, "COMPORT", 4, &type, &data), kErrorSuccess);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(data, (std::vector<std::uint8_t>{0x00, 0x01, 0x00, 0x00}));
  this->reg().CloseKey(key);
}

TYPED_TEST(RegistryContract, AKeyOpenedToReadIsReadButNotWritten) {
  RegKey key = this->Create("Dev");
  ASSERT_EQ(SetDword(this->reg(), key, "ComPort", 7), kErrorSuccess);
  this->reg().CloseKey(key);
  RegKey read = 0;
  ASSERT_EQ(this->reg().OpenKeyToRead(this->base_, "Dev", &read), kErrorSuccess);
  std::uint32_t field = 0;
  EXPECT_EQ(QueryDword(this->reg(), read, "ComPort", &field), kErrorSuccess);
  EXPECT_EQ(field, 7u);
  EXPECT_EQ(SetDword(this->reg(), read, "ComPort", 8), kErrorAccessDenied);
  EXPECT_EQ(this->reg().CloseKey(read), kErrorSuccess);
  EXPECT_EQ(this->reg().OpenKeyToRead(this->base_, "Missing", &read), kErrorFileNotFound);
}

TYPED_TEST(RegistryContract, AMissingValueLeavesTheFieldAsItWas) {
  RegKey key = this->Create("Dev");
  std::uint32_t field = 77;
  EXPECT_EQ(QueryDword(this->reg(), key, "Mode", &field), kErrorFileNotFound);
  EXPECT_EQ(field, 77u);
  this->reg().CloseKey(key);
}

TYPED_TEST(RegistryContract, AValueLargerThanTheBufferIsMoreDataAndLeavesTheField) {
  RegKey key = this->Create("Dev");
  ASSERT_EQ(SetString(this->reg(), key, "Text", "abcdefgh", kRegSz), kErrorSuccess);
  std::uint32_t field = 77;
  EXPECT_EQ(QueryDword(this->reg(), key, "Text", &field), kErrorMoreData);
  EXPECT_EQ(field, 77u);
  // "abc" takes 4 bytes with its zero: a buffer of 4 holds it, one of 3 does not.
  ASSERT_EQ(SetString(this->reg(), key, "Short", "abc", kRegSz), kErrorSuccess);
  std::string text = "old";
  std::uint32_t type = 0;
  EXPECT_EQ(QueryString(this->reg(), key, "Short", 3, &text, &type), kErrorMoreData);
  EXPECT_EQ(text, "old");
  EXPECT_EQ(QueryString(this->reg(), key, "Short", 4, &text, &type), kErrorSuccess);
  EXPECT_EQ(text, "abc");
  this->reg().CloseKey(key);
}

TYPED_TEST(RegistryContract, AShortValueOverwritesOnlyItsOwnBytesOfTheField) {
  RegKey key = this->Create("Dev");
  ASSERT_EQ(this->reg().SetValue(key, "Two", kRegBinary, {0x11, 0x22}), kErrorSuccess);
  std::uint32_t field = 0xAABBCCDD;
  EXPECT_EQ(QueryDword(this->reg(), key, "Two", &field), kErrorSuccess);
  EXPECT_EQ(field, 0xAABB2211u);
  this->reg().CloseKey(key);
}

TYPED_TEST(RegistryContract, StringsKeepTheirType) {
  RegKey key = this->Create("Env");
  ASSERT_EQ(SetString(this->reg(), key, "PATH", "%HOME%\\bin;C:\\A", kRegExpandSz), kErrorSuccess);
  ASSERT_EQ(SetString(this->reg(), key, "Plain", "C:\\B", kRegSz), kErrorSuccess);
  std::string text;
  std::uint32_t type = 0;
  ASSERT_EQ(QueryString(this->reg(), key, "path", 512, &text, &type), kErrorSuccess);
  EXPECT_EQ(text, "%HOME%\\bin;C:\\A");
  EXPECT_EQ(type, kRegExpandSz);
  ASSERT_EQ(QueryString(this->reg(), key, "Plain", 512, &text, &type), kErrorSuccess);
  EXPECT_EQ(text, "C:\\B");
  EXPECT_EQ(type, kRegSz);
  this->reg().CloseKey(key);
}

TYPED_TEST(RegistryContract, DeleteOnlyLeafKeys) {
  this->reg().CloseKey(this->Create("Parent\\Child"));
  EXPECT_EQ(this->reg().DeleteKey(this->base_, "Parent"), kErrorAccessDenied);
  EXPECT_EQ(this->reg().DeleteKey(this->base_, "Missing"), kErrorFileNotFound);
  EXPECT_EQ(this->reg().DeleteKey(this->base_, "Parent\\Child"), kErrorSuccess);
  EXPECT_EQ(this->reg().DeleteKey(this->base_, "parent"), kErrorSuccess);
  RegKey key = 0;
  EXPECT_EQ(this->reg().OpenKey(this->base_, "Parent", &key), kErrorFileNotFound);
}

TYPED_TEST(RegistryContract, AHandleToADeletedKeyIsKeyDeleted) {
  RegKey gone = this->Create("Gone");
  ASSERT_EQ(this->reg().DeleteKey(this->base_, "Gone"), kErrorSuccess);
  EXPECT_EQ(SetDword(this->reg(), gone, "ComPort", 1), kErrorKeyDeleted);
  std::uint32_t field = 5;
  EXPECT_EQ(QueryDword(this->reg(), gone, "ComPort", &field), kErrorKeyDeleted);
  EXPECT_EQ(field, 5u);
  EXPECT_EQ(this->reg().CloseKey(gone), kErrorSuccess);
}

}  // namespace
