// Fuzz target: blocking any hosts file and unblocking the result gives back its exact bytes, and
// the blocked file reads as blocked. Files the block refuses (UTF-16, already marked) are skipped.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "blocking/ad_list.h"
#include "blocking/hosts_block.h"

namespace {

// The list's first names: the same code paths as the whole list, at many more inputs a second.
const std::string& ShortList() {
  static const std::string list = [] {
    std::string whole = quenlox::kAdServerList;
    return whole.substr(0, whole.find('\n', 1500) + 1);
  }();
  return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the address, as the two families of Windows want.
  const char* address = (data[0] & 1) ? "127.0.0.1" : "0.0.0.0";
  const std::string original(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (quenlox::StartsWithUtf16Bom(original) || quenlox::FirstLineHasMarker(original)) return 0;
  const std::string blocked = quenlox::BlockedHosts(original, ShortList(), address);
  if (!quenlox::FirstLineHasMarker(blocked)) std::abort();
  if (quenlox::UnblockedHosts(blocked, ShortList()) != original) std::abort();
  return 0;
}
