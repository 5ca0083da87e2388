#include "tests/fakes/registry_memory.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace host {

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Trimmed(const std::string& path) {
  std::size_t begin = path.find_first_not_of('\\');
  if (begin == std::string::npos) return "";
  std::size_t end = path.find_last_not_of('\\');
  return path.substr(begin, end - begin + 1);
}

bool IsRoot(RegKey key) { return key == kHkeyCurrentUser || key == kHkeyLocalMachine; }

}  // namespace

std::string MemoryRegistry::KeyId(RegKey root, const std::string& path) {
  std::string id = root == kHkeyLocalMachine ? "hklm" : "hkcu";
  std::string rest = Trimmed(path);
  if (!rest.empty()) id += "\\" + Lower(rest);
  return id;
}

void MemoryRegistry::CreateKey(RegKey root, const std::string& path) {
  // Like RegCreateKeyEx, every key on the way exists afterwards.
  std::string rest = Trimmed(path);
  std::size_t at = 0;
  keys_[KeyId(root, "")];
  while (at != std::string::npos) {
    at = rest.find('\\', at + 1);
    keys_[KeyId(root, rest.substr(0, at))];
  }
}

void MemoryRegistry::SetRaw(RegKey root, const std::string& path, const std::string& name,
                            std::uint32_t type, std::vector<unsigned char> data) {
  CreateKey(root, path);
  keys_[KeyId(root, path)].values[Lower(name)] = Value{type, std::move(data)};
}

void MemoryRegistry::SetDword(RegKey root, const std::string& path, const std::string& name,
                              std::uint32_t v) {
  std::vector<unsigned char> data(4);
  std::memcpy(data.data(), &v, 4);
  SetRaw(root, path, name, kRegDword, std::move(data));
}

void MemoryRegistry::SetString(RegKey root, const std::string& path, const std::string& name,
                               const std::string& text) {
  std::vector<unsigned char> data(text.begin(), text.end());
  data.push_back(0);
  SetRaw(root, path, name, kRegSz, std::move(data));
}

void MemoryRegistry::DeleteValue(RegKey root, const std::string& path, const std::string& name) {
  auto key = keys_.find(KeyId(root, path));
  if (key != keys_.end()) key->second.values.erase(Lower(name));
}

void MemoryRegistry::DenyFullAccess(RegKey root, const std::string& path) {
  CreateKey(root, path);
  keys_[KeyId(root, path)].deny_full_access = true;
}

void MemoryRegistry::RefuseWrites(RegKey root, const std::string& path, bool refused) {
  CreateKey(root, path);
  keys_[KeyId(root, path)].refuse_writes = refused;
}

std::optional<MemoryRegistry::Value> MemoryRegistry::Get(RegKey root, const std::string& path,
                                                         const std::string& name) const {
  auto key = keys_.find(KeyId(root, path));
  if (key == keys_.end()) return std::nullopt;
  auto value = key->second.values.find(Lower(name));
  if (value == key->second.values.end()) return std::nullopt;
  return value->second;
}

std::optional<std::uint32_t> MemoryRegistry::GetDword(RegKey root, const std::string& path,
                                                      const std::string& name) const {
  auto value = Get(root, path, name);
  if (!value || value->type != kRegDword || value->data.size() != 4) return std::nullopt;
  std::uint32_t v = 0;
  std::memcpy(&v, value->data.data(), 4);
  return v;
}

std::optional<std::string> MemoryRegistry::GetString(RegKey root, const std::string& path,
                                                     const std::string& name) const {
  auto value = Get(root, path, name);
  if (!value || value->type != kRegSz || value->data.empty()) return std::nullopt;
  return std::string(value->data.begin(), value->data.end() - 1);
}

MemoryRegistry::Key* MemoryRegistry::Find(RegKey handle) {
  auto open = handles_.find(handle);
  if (open == handles_.end()) return nullptr;
  auto key = keys_.find(open->second);
  return key == keys_.end() ? nullptr : &key->second;
}

long MemoryRegistry::OpenKeyEx(RegKey parent, const std::string& sub_key, std::uint32_t access,
                               RegKey* result) {
  ++open_calls_;
  std::string id;
  if (IsRoot(parent)) {
    id = KeyId(parent, sub_key);
  } else {
    auto open = handles_.find(parent);
    if (open == handles_.end()) return kErrorInvalidHandle;
    std::string rest = Trimmed(sub_key);
    id = rest.empty() ? open->second : open->second + "\\" + Lower(rest);
  }
  auto key = keys_.find(id);
  if (key == keys_.end()) return kErrorFileNotFound;
  // Read access alone is what a limited user holds; anything asking for more is refused.
  constexpr std::uint32_t kKeyRead = 0x20019;
  if (key->second.deny_full_access && (access & ~kKeyRead) != 0) return kErrorAccessDenied;
  RegKey handle = next_handle_++;
  handles_[handle] = id;
  *result = handle;
  return kErrorSuccess;
}

long MemoryRegistry::QueryValueEx(RegKey key, const std::string& name, std::uint32_t* type,
                                  void* data, std::uint32_t* size) {
  ++query_calls_;
  Key* open = Find(key);
  if (open == nullptr) return kErrorInvalidHandle;
  auto value = open->values.find(Lower(name));
  if (value == open->values.end()) return kErrorFileNotFound;
  auto length = static_cast<std::uint32_t>(value->second.data.size());
  if (type != nullptr) *type = value->second.type;
  if (data == nullptr) {
    if (size != nullptr) *size = length;
    return kErrorSuccess;
  }
  if (size == nullptr) return kErrorInvalidHandle;
  if (*size < length) {
    *size = length;
    return kErrorMoreData;
  }
  std::memcpy(data, value->second.data.data(), length);
  *size = length;
  return kErrorSuccess;
}

long MemoryRegistry::SetValueEx(RegKey key, const std::string& name, std::uint32_t type,
                                const void* data, std::uint32_t size) {
  Key* open = Find(key);
  if (open == nullptr) return kErrorInvalidHandle;
  if (open->refuse_writes) return kErrorAccessDenied;
  const auto* bytes = static_cast<const unsigned char*>(data);
  open->values[Lower(name)] = Value{type, std::vector<unsigned char>(bytes, bytes + size)};
  return kErrorSuccess;
}

long MemoryRegistry::CloseKey(RegKey key) {
  return handles_.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
}

}  // namespace host
