// A dnsapi.dll as an attacker would plant it beside quenlox.exe: loading it leaves a file
// "dnsapi-was-loaded" in its folder, which the end-to-end scenario looks for.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return TRUE;
  std::string mark(path);
  mark = mark.substr(0, mark.rfind('\\') + 1) + "dnsapi-was-loaded";
  HANDLE file = CreateFileA(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI DnsFlushResolverCache() { return TRUE; }
