// The file measurements of the benchmarks, on the real system. One command per run:
//   probe-memory PATH        probes PATH; prints the peak private bytes and peak working set
//   block-times PATH RUNS    blocks and unblocks PATH RUNS times; prints "block_ms unblock_ms
//                            durable_copy_ms copy_ms unflushed_block_ms unflushed_unblock_ms"
//                            (medians): the durable copy is CopyFile to the same folder with the
//                            copy flushed to the disk, the copy CopyFile alone, the last two the
//                            same toggles with the flushes to disk left out
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "blocking/hosts_file.h"
#include "platform/win32_host.h"

namespace {

// The real files, but writes are not flushed to the disk: only for the measurement.
class UnflushedFiles : public host::win32::Files {
 public:
  host::FsStatus CreateNew(const std::string& path,
                           std::unique_ptr<host::FileWriter>* writer) override {
    std::unique_ptr<host::FileWriter> real;
    host::FsStatus status = Files::CreateNew(path, &real);
    if (status == host::FsStatus::kOk) *writer = std::make_unique<Writer>(std::move(real));
    return status;
  }

 private:
  class Writer : public host::FileWriter {
   public:
    explicit Writer(std::unique_ptr<host::FileWriter> real) : real_(std::move(real)) {}
    host::FsStatus Write(const char* data, std::size_t size) override {
      return real_->Write(data, size);
    }
    host::FsStatus Flush() override { return host::FsStatus::kOk; }
    host::FsStatus Close() override { return real_->Close(); }

   private:
    std::unique_ptr<host::FileWriter> real_;
  };
};

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

bool TimeToggles(host::FileSystem& files, const quenlox::HostsPaths& paths, int runs,
                 std::vector<double>* block, std::vector<double>* unblock) {
  host::win32::System system;
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER t0, t1, t2;
    QueryPerformanceCounter(&t0);
    if (quenlox::ToggleHostsBlock(files, system, paths, true) != quenlox::HostsToggle::kDone)
      return false;
    QueryPerformanceCounter(&t1);
    if (quenlox::ToggleHostsBlock(files, system, paths, false) != quenlox::HostsToggle::kDone)
      return false;
    QueryPerformanceCounter(&t2);
    block->push_back(Milliseconds(t0, t1));
    unblock->push_back(Milliseconds(t1, t2));
  }
  return true;
}

int BlockTimes(const char* path, int runs) {
  host::win32::Files files;
  UnflushedFiles unflushed;
  const std::string hosts = path;
  const quenlox::HostsPaths paths{hosts, hosts + ".sav", false};
  const std::string copy = hosts + ".copy";
  std::vector<double> block, unblock, copies, fast_block, fast_unblock;
  if (!TimeToggles(files, paths, runs, &block, &unblock)) return 1;
  if (!TimeToggles(unflushed, paths, runs, &fast_block, &fast_unblock)) return 1;
  // What the toggles are measured against: a durable copy, which deletes the copy of the round
  // before (as a block deletes the last hosts.sav), copies and flushes the copy to the disk;
  // and CopyFile alone.
  std::vector<double> durable;
  CopyFileA(path, copy.c_str(), FALSE);
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    if (!DeleteFileA(copy.c_str()) || !CopyFileA(path, copy.c_str(), FALSE)) return 1;
    HANDLE written =
        CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (written == INVALID_HANDLE_VALUE) return 1;
    const BOOL flushed = FlushFileBuffers(written);
    CloseHandle(written);
    if (!flushed) return 1;
    QueryPerformanceCounter(&t1);
    durable.push_back(Milliseconds(t0, t1));
  }
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER t0, t1;
    DeleteFileA(copy.c_str());
    QueryPerformanceCounter(&t0);
    if (!CopyFileA(path, copy.c_str(), FALSE)) return 1;
    QueryPerformanceCounter(&t1);
    copies.push_back(Milliseconds(t0, t1));
  }
  DeleteFileA(copy.c_str());
  std::printf("%.2f %.2f %.2f %.2f %.2f %.2f\n", Median(block), Median(unblock), Median(durable),
              Median(copies), Median(fast_block), Median(fast_unblock));
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
