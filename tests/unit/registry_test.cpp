#include "tests/fakes/registry_memory.h"
#include "tests/shared/registry_suite.h"

namespace quenlox::testing {

namespace {

constexpr char kScratch[] = "Software\\QuenloxTest";

class MemoryBackend : public RegistryBackend {
 public:
  MemoryBackend() { registry_.CreateKey(host::kHkeyCurrentUser, kScratch); }
  host::RegistryApi& Api() override { return registry_; }
  std::string Scratch() override { return kScratch; }
  void CreateKey(const std::string& path) override {
    registry_.CreateKey(host::kHkeyCurrentUser, path);
  }
  void SetRaw(const std::string& path, const std::string& name, std::uint32_t type,
              std::vector<unsigned char> data) override {
    registry_.SetRaw(host::kHkeyCurrentUser, path, name, type, std::move(data));
  }
  std::optional<Value> Get(const std::string& path, const std::string& name) override {
    auto value = registry_.Get(host::kHkeyCurrentUser, path, name);
    if (!value) return std::nullopt;
    return Value{value->type, value->data};
  }
  bool DenyFullAccess(const std::string& path) override {
    registry_.DenyFullAccess(host::kHkeyCurrentUser, path);
    return true;
  }
  bool RefuseWrites(const std::string& path) override {
    registry_.RefuseWrites(host::kHkeyCurrentUser, path);
    return true;
  }

 private:
  host::MemoryRegistry registry_;
};

}  // namespace

std::unique_ptr<RegistryBackend> MakeBackend() { return std::make_unique<MemoryBackend>(); }

TEST(MemoryRegistryAccessor, EveryRoadReleasesTheKey) {
  host::MemoryRegistry api;
  api.SetString(host::kHkeyLocalMachine, "K", "s", "too long for four bytes");
  {
    TRegistry registry(api);
    registry.SetRootKey(host::kHkeyLocalMachine);
    ASSERT_TRUE(registry.OpenKey("K"));
    EXPECT_THROW(registry.ReadInteger("s"), ERegistryException);
    EXPECT_EQ(api.OpenHandles(), 1u);
  }
  EXPECT_EQ(api.OpenHandles(), 0u);
}

}  // namespace quenlox::testing
