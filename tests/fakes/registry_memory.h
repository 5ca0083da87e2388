// An in-memory registry that answers the four advapi32 calls as Windows does, for native tests.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"

namespace host {

class MemoryRegistry : public RegistryApi {
 public:
  struct Value {
    std::uint32_t type = 0;
    std::vector<unsigned char> data;
  };

  void CreateKey(RegKey root, const std::string& path);
  void SetDword(RegKey root, const std::string& path, const std::string& name, std::uint32_t v);
  void SetString(RegKey root, const std::string& path, const std::string& name,
                 const std::string& text);
  void SetRaw(RegKey root, const std::string& path, const std::string& name, std::uint32_t type,
              std::vector<unsigned char> data);
  void DeleteValue(RegKey root, const std::string& path, const std::string& name);
  // The key opens for reading only, so an open asking for full access is denied.
  void DenyFullAccess(RegKey root, const std::string& path);
  void RefuseWrites(RegKey root, const std::string& path, bool refused = true);

  std::optional<Value> Get(RegKey root, const std::string& path, const std::string& name) const;
  std::optional<std::uint32_t> GetDword(RegKey root, const std::string& path,
                                        const std::string& name) const;
  std::optional<std::string> GetString(RegKey root, const std::string& path,
                                       const std::string& name) const;
  std::size_t OpenHandles() const { return handles_.size(); }
  int OpenCalls() const { return open_calls_; }
  int QueryCalls() const { return query_calls_; }

  long OpenKeyEx(RegKey parent, const std::string& sub_key, std::uint32_t access,
                 RegKey* result) override;
  long QueryValueEx(RegKey key, const std::string& name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override;
  long SetValueEx(RegKey key, const std::string& name, std::uint32_t type, const void* data,
                  std::uint32_t size) override;
  long CloseKey(RegKey key) override;

 private:
  struct Key {
    bool deny_full_access = false;
    bool refuse_writes = false;
    std::map<std::string, Value> values;  // by lower-case name
  };

  static std::string KeyId(RegKey root, const std::string& path);
  Key* Find(RegKey handle);

  std::map<std::string, Key> keys_;        // by lower-case "root\path"
  std::map<RegKey, std::string> handles_;  // open handle -> key id
  RegKey next_handle_ = 0x1000;
  int open_calls_ = 0;
  int query_calls_ = 0;
};

}  // namespace host
