#include "platform/win32_host.h"

namespace host::win32 {

namespace {

HKEY Key(RegKey key) { return reinterpret_cast<HKEY>(key); }

}  // namespace

long Registry::OpenKeyEx(RegKey parent, const std::string& sub_key, std::uint32_t access,
                         RegKey* result) {
  HKEY opened = nullptr;
  LONG status = RegOpenKeyExA(Key(parent), sub_key.c_str(), 0, access, &opened);
  if (status == ERROR_SUCCESS) {
    *result = reinterpret_cast<RegKey>(opened);
    CountHeld(1);
  }
  return status;
}

long Registry::QueryValueEx(RegKey key, const std::string& name, std::uint32_t* type, void* data,
                            std::uint32_t* size) {
  DWORD value_type = 0;
  DWORD value_size = size != nullptr ? *size : 0;
  LONG status = RegQueryValueExA(Key(key), name.c_str(), nullptr, &value_type,
                                 static_cast<BYTE*>(data), size != nullptr ? &value_size : nullptr);
  if (type != nullptr) *type = value_type;
  if (size != nullptr) *size = value_size;
  return status;
}

long Registry::SetValueEx(RegKey key, const std::string& name, std::uint32_t type, const void* data,
                          std::uint32_t size) {
  return RegSetValueExA(Key(key), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

long Registry::CloseKey(RegKey key) {
  LONG status = RegCloseKey(Key(key));
  if (status == ERROR_SUCCESS) CountHeld(-1);
  return status;
}

}  // namespace host::win32
