// The file measurements of the benchmarks, on the real system. One command per run:
//   probe-memory PATH        probes PATH; prints the peak private bytes and peak working set
//   block-times PATH RUNS    blocks and unblocks PATH RUNS times; prints "block_ms unblock_ms
//                            copy_ms" (medians), the copy being CopyFile to the same folder
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "blocking/hosts_file.h"
#include "platform/win32_host.h"

namespace {

int ProbeMemory(const char* path) {
  host::win32::Files files;
  const quenlox::HostsProbe probe = quenlox::ProbeHostsFile(files, path);
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 1;
  std::printf("%lu %lu %d\n", static_cast<unsigned long>(counters.PeakPagefileUsage),
              static_cast<unsigned long>(counters.PeakWorkingSetSize), probe.failed ? 1 : 0);
  return 0;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

int BlockTimes(const char* path, int runs) {
  host::win32::Files files;
  host::win32::Desktop desktop;
  const std::string hosts = path;
  const quenlox::HostsPaths paths{hosts, hosts + ".sav", false};
  const std::string copy = hosts + ".copy";
  std::vector<double> block, unblock, copies;
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER t0, t1, t2, t3, t4;
    QueryPerformanceCounter(&t0);
    if (!quenlox::ToggleHostsBlock(files, desktop, paths, true)) return 1;
    QueryPerformanceCounter(&t1);
    if (!quenlox::ToggleHostsBlock(files, desktop, paths, false)) return 1;
    QueryPerformanceCounter(&t2);
    DeleteFileA(copy.c_str());
    QueryPerformanceCounter(&t3);
    if (!CopyFileA(path, copy.c_str(), FALSE)) return 1;
    QueryPerformanceCounter(&t4);
    block.push_back(Milliseconds(t0, t1));
    unblock.push_back(Milliseconds(t1, t2));
    copies.push_back(Milliseconds(t3, t4));
  }
  DeleteFileA(copy.c_str());
  std::printf("%.2f %.2f %.2f\n", Median(block), Median(unblock), Median(copies));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string command = argv[1];
  int status = 2;
  if (command == "probe-memory" && argc == 3) status = ProbeMemory(argv[2]);
  if (command == "block-times" && argc == 4) status = BlockTimes(argv[2], std::atoi(argv[3]));
  std::fflush(stdout);
  return status;
}
