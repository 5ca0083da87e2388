// The registry accessor's tests, run by the native build on the in-memory registry and by the
// cross build on the real advapi32. Include it once per test binary, after defining MakeBackend.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace quenlox::testing {

class RegistryBackend {
 public:
  virtual ~RegistryBackend() = default;
  virtual host::RegistryApi& Api() = 0;
  // A scratch key below HKEY_CURRENT_USER that exists and is empty.
  virtual std::string Scratch() = 0;
  virtual void CreateKey(const std::string& path) = 0;
  virtual void SetRaw(const std::string& path, const std::string& name, std::uint32_t type,
                      std::vector<unsigned char> data) = 0;
  struct Value {
    std::uint32_t type;
    std::vector<unsigned char> data;
  };
  virtual std::optional<Value> Get(const std::string& path, const std::string& name) = 0;
  // False where the backend cannot make a key refuse full access or writes.
  virtual bool DenyFullAccess(const std::string& path) = 0;
  virtual bool RefuseWrites(const std::string& path) = 0;
};

std::unique_ptr<RegistryBackend> MakeBackend();

class RegistrySuite : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = MakeBackend();
    base_ = backend_->Scratch();
  }
  std::string Path(const std::string& sub) const { return base_ + "\\" + sub; }
  void SetDword(const std::string& path, const std::string& name, std::uint32_t v) {
    backend_->SetRaw(path, name, host::kRegDword,
                     {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                      static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)});
  }
  std::string ErrorOf(TRegistry& registry, const std::string& name) {
    try {
      registry.ReadInteger(name);
    } catch (const ERegistryException& e) {
      return e.what();
    }
    return "no error";
  }

  std::unique_ptr<RegistryBackend> backend_;
  std::string base_;
};

TEST_F(RegistrySuite, StartsAtCurrentUserWithNoKeyOpen) {
  TRegistry registry(backend_->Api());
  EXPECT_EQ(registry.RootKey(), host::kHkeyCurrentUser);
  EXPECT_EQ(registry.CurrentKey(), 0u);
  EXPECT_TRUE(registry.CurrentPath().empty());
}

TEST_F(RegistrySuite, OpeningNeverCreatesAKey) {
  TRegistry registry(backend_->Api());
  EXPECT_FALSE(registry.OpenKey(Path("Missing")));
  EXPECT_FALSE(registry.OpenKey(Path("Missing")));
  EXPECT_EQ(registry.CurrentKey(), 0u);
}

TEST_F(RegistrySuite, ReadsIntegersAndTellsWhichValuesExist) {
  SetDword(base_, "Start", 4);
  TRegistry registry(backend_->Api());
  ASSERT_TRUE(registry.OpenKey(base_));
  EXPECT_EQ(registry.CurrentPath(), base_);
  EXPECT_TRUE(registry.ValueExists("Start"));
  EXPECT_TRUE(registry.ValueExists("START"));
  EXPECT_FALSE(registry.ValueExists("Stop"));
  EXPECT_EQ(registry.ReadInteger("Start"), 4);
}

TEST_F(RegistrySuite, NegativeIntegersRoundTrip) {
  TRegistry registry(backend_->Api());
  ASSERT_TRUE(registry.OpenKey(base_));
  registry.WriteInteger("n", -7);
  EXPECT_EQ(registry.ReadInteger("n"), -7);
}

TEST_F(RegistrySuite, WrongTypesAndSizesRaiseTheirOwnMessages) {
  backend_->SetRaw(base_, "bin4", host::kRegBinary, {4, 0, 0, 0});
  backend_->SetRaw(base_, "short", host::kRegSz, {'3', 0});
  backend_->SetRaw(base_, "long", host::kRegSz, {'h', 'e', 'l', 'l', 'o', 0});
  backend_->SetRaw(base_, "bin8", host::kRegBinary, {1, 2, 3, 4, 5, 6, 7, 8});
  TRegistry registry(backend_->Api());
  ASSERT_TRUE(registry.OpenKey(base_));
  EXPECT_EQ(ErrorOf(registry, "bin4"), "Invalid data type for 'bin4'");
  EXPECT_EQ(ErrorOf(registry, "short"), "Invalid data type for 'short'");
  EXPECT_EQ(ErrorOf(registry, "long"), "Failed to get data for 'long'");
  EXPECT_EQ(ErrorOf(registry, "bin8"), "Failed to get data for 'bin8'");
  EXPECT_EQ(ErrorOf(registry, "absent"), "Failed to get data for 'absent'");
}

TEST_F(RegistrySuite, WritesDwordsAndZeroTerminatedStrings) {
  TRegistry registry(backend_->Api());
  ASSERT_TRUE(registry.OpenKey(base_));
  registry.WriteInteger("1400", 3);
  registry.WriteString("Quenlox", "\"C:\\Program Files\\Q\\q.exe\"");
  auto dword = backend_->Get(base_, "1400");
  ASSERT_TRUE(dword);
  EXPECT_EQ(dword->type, host::kRegDword);
  EXPECT_EQ(dword->data, (std::vector<unsigned char>{3, 0, 0, 0}));
  auto text = backend_->Get(base_, "Quenlox");
  ASSERT_TRUE(text);
  EXPECT_EQ(text->type, host::kRegSz);
  std::string expected = "\"C:\\Program Files\\Q\\q.exe\"";
  std::vector<unsigned char> bytes(expected.begin(), expected.end());
  bytes.push_back(0);
  EXPECT_EQ(text->data, bytes);
}

TEST_F(RegistrySuite, RelativeAndRootedPaths) {
  backend_->CreateKey(Path("A\\B"));
  SetDword(Path("A\\B"), "v", 9);
  TRegistry registry(backend_->Api());
  ASSERT_TRUE(registry.OpenKey(Path("A")));
  ASSERT_TRUE(registry.OpenKey("B"));  // relative to the open key
  EXPECT_EQ(registry.CurrentPath(), Path("A") + "\\B");
  EXPECT_EQ(registry.ReadInteger("v"), 9);
  ASSERT_TRUE(registry.OpenKey("\\" + Path("A")));  // a leading separator starts at the root
  EXPECT_EQ(registry.CurrentPath(), Path("A"));
  EXPECT_FALSE(registry.OpenKey("Nowhere"));
  EXPECT_EQ(registry.CurrentPath(), Path("A"));  // a failed open keeps the open key
}

TEST_F(RegistrySuite, SettingTheSameRootKeepsTheKeyAndAnotherClosesIt) {
  TRegistry registry(backend_->Api());
  ASSERT_TRUE(registry.OpenKey(base_));
  host::RegKey open = registry.CurrentKey();
  registry.SetRootKey(host::kHkeyCurrentUser);
  EXPECT_EQ(registry.CurrentKey(), open);
  registry.SetRootKey(host::kHkeyLocalMachine);
  EXPECT_EQ(registry.CurrentKey(), 0u);
  EXPECT_EQ(registry.RootKey(), host::kHkeyLocalMachine);
}

TEST_F(RegistrySuite, AKeyWithoutFullAccessDoesNotOpen) {
  if (!backend_->DenyFullAccess(Path("Locked"))) GTEST_SKIP() << "key security not enforced here";
  TRegistry registry(backend_->Api());
  EXPECT_FALSE(registry.OpenKey(Path("Locked")));
}

TEST_F(RegistrySuite, ARefusedWriteRaisesWithTheValueName) {
  if (!backend_->RefuseWrites(Path("ReadOnly"))) GTEST_SKIP() << "writes cannot be refused here";
  TRegistry registry(backend_->Api());
  ASSERT_TRUE(registry.OpenKey(Path("ReadOnly")));
  try {
    registry.WriteString("Quenlox", "x");
    FAIL() << "no error";
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'Quenlox'");
  }
  EXPECT_THROW(registry.WriteInteger("Start", 4), ERegistryException);
}

}  // namespace quenlox::testing
