#include "blocking/elevated_writes.h"

#include "blocking/hosts_file.h"
#include "blocking/registry_blocks.h"
#include "blocking/system_paths.h"
#include "platform/registry.h"

namespace quenlox {

namespace {

constexpr const char* kArguments[] = {"/elevated in-line block", "/elevated in-line unblock",
                                      "/elevated window-pop block", "/elevated window-pop unblock"};

int InLine(host::FileSystem& files, host::System& system, bool block) {
  const HostsPaths paths = LocateHostsFile(files, LocateWindowsFolder(system));
  if (paths.hosts.empty()) return kElevatedFailed;
  switch (ToggleHostsBlock(files, system, paths, block)) {
    case HostsToggle::kDone:
    case HostsToggle::kUnchanged:
      return kElevatedDone;
    case HostsToggle::kMarkerNotOurs:
      return kElevatedMarkerNotOurs;
    case HostsToggle::kNotPlainText:
      return kElevatedNotPlainText;
    case HostsToggle::kFailed:
    case HostsToggle::kRefused:
      break;
  }
  return kElevatedFailed;
}

int WindowPop(host::RegistryApi& api, bool block) {
  TRegistry registry(api);
  registry.SetRootKey(kWindowPopBlock.root);
  if (!registry.OpenKey(kWindowPopBlock.key)) return kElevatedFailed;
  if (!registry.ValueExists(kWindowPopBlock.value)) return kElevatedFailed;
  try {
    registry.WriteInteger(kWindowPopBlock.value,
                          block ? kWindowPopBlock.blocked : kWindowPopBlock.unblocked);
  } catch (const ERegistryException&) {
    return kElevatedFailed;
  }
  return kElevatedDone;
}

}  // namespace

std::string ElevatedWriteArguments(ElevatedWrite write) {
  return kArguments[static_cast<int>(write)];
}

bool ParseElevatedWrite(const std::string& arguments, ElevatedWrite* write) {
  for (int i = 0; i < 4; ++i) {
    if (arguments == kArguments[i]) {
      *write = static_cast<ElevatedWrite>(i);
      return true;
    }
  }
  return false;
}

int DoElevatedWrite(host::RegistryApi& registry, host::FileSystem& files, host::System& system,
                    ElevatedWrite write) {
  switch (write) {
    case ElevatedWrite::kInLineBlock:
    case ElevatedWrite::kInLineUnblock:
      return InLine(files, system, write == ElevatedWrite::kInLineBlock);
    case ElevatedWrite::kWindowPopBlock:
    case ElevatedWrite::kWindowPopUnblock:
      return WindowPop(registry, write == ElevatedWrite::kWindowPopBlock);
  }
  return kElevatedFailed;
}

int RunElevatedWrite(host::System& system, ElevatedWrite write) {
  if (!system.CanElevate()) return kElevatedFailed;
  int exit_code = kElevatedFailed;
  if (system.RunElevated(ElevatedWriteArguments(write), &exit_code) != host::Elevated::kRan)
    return kElevatedFailed;
  return exit_code;
}

}  // namespace quenlox
