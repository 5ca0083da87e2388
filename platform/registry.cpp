#include "platform/registry.h"

#include "resources/texts.h"

namespace quenlox {

namespace {

// The messages carry the value name in place of their one "%s".
std::string WithName(const char* format, const std::string& name) {
  std::string text = format;
  auto at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, name);
  return text;
}

}  // namespace

void TRegistry::SetRootKey(host::RegKey root) {
  if (root == root_) return;
  CloseKey();
  root_ = root;
}

bool TRegistry::OpenKey(const std::string& path) {
  std::string sub = path;
  bool relative = !sub.empty() && sub[0] != '\\' && current_key_ != 0;
  if (!sub.empty() && sub[0] == '\\') sub.erase(0, 1);
  host::RegKey parent = relative ? current_key_ : root_;
  host::RegKey opened = 0;
  last_error_ = api_.OpenKeyEx(parent, sub, access_, &opened);
  if (last_error_ != host::kErrorSuccess) return false;
  std::string new_path = relative ? current_path_ + "\\" + sub : sub;
  CloseKey();
  current_key_ = opened;
  current_path_ = new_path;
  return true;
}

bool TRegistry::ValueExists(const std::string& name) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  return api_.QueryValueEx(current_key_, name, &type, nullptr, &size) == host::kErrorSuccess;
}

std::int32_t TRegistry::ReadInteger(const std::string& name) {
  std::int32_t value = 0;
  std::uint32_t type = 0;
  std::uint32_t size = sizeof value;
  if (api_.QueryValueEx(current_key_, name, &type, &value, &size) != host::kErrorSuccess)
    throw ERegistryException(WithName(texts::kRegGetDataFailed, name));
  if (type != host::kRegDword) throw ERegistryException(WithName(texts::kRegInvalidDataType, name));
  return value;
}

void TRegistry::WriteInteger(const std::string& name, std::int32_t value) {
  last_error_ = api_.SetValueEx(current_key_, name, host::kRegDword, &value, sizeof value);
  if (last_error_ != host::kErrorSuccess)
    throw ERegistryException(WithName(texts::kRegSetDataFailed, name));
}

void TRegistry::WriteString(const std::string& name, const std::string& text) {
  auto size = static_cast<std::uint32_t>(text.size() + 1);
  last_error_ = api_.SetValueEx(current_key_, name, host::kRegSz, text.c_str(), size);
  if (last_error_ != host::kErrorSuccess)
    throw ERegistryException(WithName(texts::kRegSetDataFailed, name));
}

void TRegistry::CloseKey() {
  if (current_key_ != 0) api_.CloseKey(current_key_);
  current_key_ = 0;
  current_path_.clear();
}

}  // namespace quenlox
