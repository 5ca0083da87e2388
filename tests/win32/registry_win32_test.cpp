// The registry accessor's suite on the real advapi32, in a scratch key under HKEY_CURRENT_USER.
#include <windows.h>

#include "platform/win32_host.h"
#include "tests/shared/registry_suite.h"

namespace quenlox::testing {

namespace {

class Win32Backend : public RegistryBackend {
 public:
  Win32Backend()
      : scratch_("Software\\QuenloxRegistryTest" + std::to_string(GetCurrentProcessId())) {
    RegDeleteTreeA(HKEY_CURRENT_USER, scratch_.c_str());
    CreateKey(scratch_);
  }
  ~Win32Backend() override { RegDeleteTreeA(HKEY_CURRENT_USER, scratch_.c_str()); }
  host::RegistryApi& Api() override { return api_; }
  std::string Scratch() override { return scratch_; }
  void CreateKey(const std::string& path) override {
    HKEY key = nullptr;
    LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr);
    ASSERT_EQ(status, ERROR_SUCCESS) << path;
    RegCloseKey(key);
  }
  void SetRaw(const std::string& path, const std::string& name, std::uint32_t type,
              std::vector<unsigned char> data) override {
    CreateKey(path);
    LONG status = RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), name.c_str(), type, data.data(),
                                  static_cast<DWORD>(data.size()));
    ASSERT_EQ(status, ERROR_SUCCESS);
  }
  std::optional<Value> Get(const std::string& path, const std::string& name) override {
    std::vector<unsigned char> data(1024);
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(data.size());
    if (RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                     &type, data.data(), &size) != ERROR_SUCCESS)
      return std::nullopt;
    data.resize(size);
    return Value{type, data};
  }
  // Wine does not enforce registry security, so neither can be arranged here.
  bool DenyFullAccess(const std::string&) override { return false; }
  bool RefuseWrites(const std::string&) override { return false; }

 private:
  host::win32::Registry api_;
  std::string scratch_;
};

}  // namespace

std::unique_ptr<RegistryBackend> MakeBackend() { return std::make_unique<Win32Backend>(); }

}  // namespace quenlox::testing
