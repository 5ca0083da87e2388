// The calls that not every Windows the program is for exports. Importing one would make the
// loader of an older system refuse the whole program, so each is looked up at run time, here
// only, and every caller has a road for a null pointer.
#pragma once

#include <windows.h>

namespace host::win32 {

// Each call: its DLL, the families that have it (kAny, or kNt: absent or a stub on the 9x family,
// where it then counts as missing), its result, name and parameters; grouped by the first
// systems that export it.
#define QUENLOX_OPTIONAL_CALLS(X)                                                         \
  /* 98, NT 4.0 */                                                                        \
  X(kernel32, kAny, BOOL, GetFileAttributesExA, (LPCSTR, GET_FILEEX_INFO_LEVELS, LPVOID)) \
  /* 2000 */                                                                              \
  X(kernel32, kNt, BOOL, ReplaceFileA, (LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID))   \
  X(kernel32, kNt, BOOL, CreateHardLinkA, (LPCSTR, LPCSTR, LPSECURITY_ATTRIBUTES))        \
  X(dnsapi, kNt, BOOL, DnsFlushResolverCache, ())                                         \
  /* XP SP1 */                                                                            \
  X(kernel32, kNt, BOOL, SetDllDirectoryA, (LPCSTR))                                      \
  /* Vista */                                                                             \
  X(kernel32, kNt, DWORD, GetFinalPathNameByHandleA, (HANDLE, LPSTR, DWORD, DWORD))       \
  X(user32, kNt, BOOL, ChangeWindowMessageFilter, (UINT, DWORD))                          \
  /* 7, or Vista with KB2533623 */                                                        \
  X(kernel32, kNt, BOOL, SetDefaultDllDirectories, (DWORD))                               \
  X(user32, kNt, BOOL, ChangeWindowMessageFilterEx, (HWND, UINT, DWORD, void*))

struct OptionalCalls {
#define QUENLOX_OPTIONAL_MEMBER(dll, family, result, name, parameters) \
  result(WINAPI* name) parameters = nullptr;
  QUENLOX_OPTIONAL_CALLS(QUENLOX_OPTIONAL_MEMBER)
#undef QUENLOX_OPTIONAL_MEMBER
};

// Looked up once, on first use. Calls of DLLs the program does not load anyway (dnsapi) are
// null until OptionalLoaded() has loaded them, from the system folder only.
const OptionalCalls& Optional();
const OptionalCalls& OptionalLoaded();

// The 9x family (95, 98, ME) reports itself with the top bit of GetVersion.
bool IsNtFamily();

// For the in-process tests: while on, every optional call answers missing, as on the oldest
// systems the program is for.
void PretendOptionalCallsMissing(bool missing);

}  // namespace host::win32
