#include "platform/optional_calls_win32.h"

#include <string>

#include "platform/win32_handles.h"

namespace host::win32 {

namespace {

enum Family { kAny, kNt };

// By the system folder's full path: a bare name would find a DLL planted beside the program
// first. Kept loaded for the life of the process, as the calls into it are.
HMODULE LoadSystemDll(const char* name) {
  char folder[MAX_PATH] = {};
  UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return LoadLibraryA((std::string(folder) + "\\" + name).c_str());
}

template <typename F>
void Look(HMODULE dll, Family family, const char* name, F* call) {
  if (dll == nullptr || (family == kNt && !IsNtFamily())) return;
  *call = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

// The rows of the DLLs the program has loaded anyway are looked up at first use; dnsapi.dll is
// loaded only once a call of its is wanted, after the start has taken the program's folder out
// of the DLL search.
struct Table {
  OptionalCalls calls;
  UniqueModule dnsapi;
  bool loaded = false;

  Table() { LookAll(); }
  void LoadOnDemand() {
    if (loaded) return;
    loaded = true;
    if (IsNtFamily()) dnsapi.reset(LoadSystemDll("dnsapi.dll"));
    LookAll();
  }
  void LookAll() {
    const HMODULE kernel32_dll = GetModuleHandleA("kernel32.dll");
    const HMODULE user32_dll = GetModuleHandleA("user32.dll");
    const HMODULE dnsapi_dll = dnsapi.get();
#define QUENLOX_OPTIONAL_LOOK(dll, family, result, name, parameters) \
  Look(dll##_dll, family, #name, &calls.name);
    QUENLOX_OPTIONAL_CALLS(QUENLOX_OPTIONAL_LOOK)
#undef QUENLOX_OPTIONAL_LOOK
  }
};

Table& TheTable() {
  static Table table;
  return table;
}

bool pretend_missing = false;

}  // namespace

const OptionalCalls& Optional() {
  static const OptionalCalls none;
  return pretend_missing ? none : TheTable().calls;
}

const OptionalCalls& OptionalLoaded() {
  if (!pretend_missing) TheTable().LoadOnDemand();
  return Optional();
}

bool IsNtFamily() { return GetVersion() < 0x80000000u; }

void PretendOptionalCallsMissing(bool missing) { pretend_missing = missing; }

}  // namespace host::win32
