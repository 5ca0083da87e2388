// TRegistry: the one accessor every registry use goes through. Create, choose a root, open one
// key, test, read or write values, close; the destructor frees it, closing what it holds.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/host.h"

namespace quenlox {

class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TRegistry {
 public:
  explicit TRegistry(host::RegistryApi& api) : api_(api) {}
  ~TRegistry() { CloseKey(); }
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  host::RegKey RootKey() const { return root_; }
  host::RegKey CurrentKey() const { return current_key_; }
  const std::string& CurrentPath() const { return current_path_; }

  void SetRootKey(host::RegKey root);
  bool OpenKey(const std::string& path);  // never creates the key
  bool ValueExists(const std::string& name);
  std::int32_t ReadInteger(const std::string& name);
  void WriteInteger(const std::string& name, std::int32_t value);
  void WriteString(const std::string& name, const std::string& text);
  void CloseKey();
  // What the system answered the last open or write.
  long LastError() const { return last_error_; }

 private:
  host::RegistryApi& api_;
  host::RegKey current_key_ = 0;
  host::RegKey root_ = host::kHkeyCurrentUser;
  std::string current_path_;
  std::uint32_t access_ = host::kKeyAllAccess;
  long last_error_ = host::kErrorSuccess;
};

}  // namespace quenlox
