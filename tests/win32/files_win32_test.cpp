// The file seam and the hosts block on real files.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "blocking/ad_list.h"
#include "blocking/hosts_block.h"
#include "blocking/hosts_file.h"
#include "platform/optional_calls_win32.h"
#include "platform/win32_host.h"

#include <sddl.h>  // after <windows.h>, which it needs

namespace quenlox::testing {

namespace {

class Win32FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    dir_ = std::string(temp) + "quenlox-files-" + std::to_string(GetCurrentProcessId()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    CreateDirectoryA(dir_.c_str(), nullptr);
    hosts_ = dir_ + "\\hosts";
    backup_ = dir_ + "\\hosts.sav";
  }
  void TearDown() override {
    for (const std::string& name : Names()) {
      std::string path = dir_ + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    }
    RemoveDirectoryA(dir_.c_str());
  }
  void Write(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
  }
  std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir_ + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      std::string name = found.cFileName;
      if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
  }
  HostsToggle Toggle(bool block) {
    return ToggleHostsBlock(files_, system_, {hosts_, backup_, false}, block);
  }

  host::win32::Files files_;
  host::win32::System system_;
  std::string dir_, hosts_, backup_;
};

TEST_F(Win32FilesTest, IsFileCountsFilesNotDirectories) {
  Write(hosts_, "x");
  EXPECT_TRUE(files_.IsFile(hosts_));
  EXPECT_FALSE(files_.IsFile(dir_));
  EXPECT_FALSE(files_.IsFile(dir_ + "\\missing"));
}

TEST_F(Win32FilesTest, ReaderSharesForReadingOnly) {
  Write(hosts_, "127.0.0.1 localhost\r\n");
  std::unique_ptr<host::FileReader> reader;
  ASSERT_EQ(files_.OpenRead(hosts_, &reader), host::FsStatus::kOk);
  HANDLE writer = CreateFileA(hosts_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  HANDLE other_reader = CreateFileA(hosts_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(other_reader, INVALID_HANDLE_VALUE);
  CloseHandle(other_reader);
  char buffer[64];
  std::size_t got = 0;
  ASSERT_TRUE(reader->Read(buffer, sizeof buffer, &got));
  EXPECT_EQ(std::string(buffer, got), "127.0.0.1 localhost\r\n");
  EXPECT_TRUE(reader->Close());
}

TEST_F(Win32FilesTest, ProbeOfALockedOrMissingFileFails) {
  Write(hosts_, "# Quenlox\r\n");
  EXPECT_TRUE(ProbeHostsFile(files_, hosts_).marker);
  HANDLE lock = CreateFileA(hosts_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  HostsProbe locked = ProbeHostsFile(files_, hosts_);
  CloseHandle(lock);
  EXPECT_TRUE(locked.failed);
  EXPECT_FALSE(locked.marker);
  EXPECT_TRUE(ProbeHostsFile(files_, dir_ + "\\missing").failed);
}

TEST_F(Win32FilesTest, CreateNewRefusesAnExistingFile) {
  Write(hosts_, "x");
  std::unique_ptr<host::FileWriter> writer;
  EXPECT_NE(files_.CreateNew(hosts_, &writer), host::FsStatus::kOk);
}

TEST_F(Win32FilesTest, BlockAndUnblockARealReadOnlyHiddenFile) {
  const std::string original = "127.0.0.1       localhost\r\n::1 localhost";
  Write(hosts_, original);
  DWORD attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  ASSERT_TRUE(SetFileAttributesA(hosts_.c_str(), attributes));
  // What a kill in the middle of an earlier swap could leave.
  const std::string leftover = hosts_ + ".quenlox-new";
  Write(leftover, "half written");
  ASSERT_TRUE(SetFileAttributesA(leftover.c_str(), attributes));
  ASSERT_EQ(Toggle(true), HostsToggle::kDone);
  EXPECT_EQ(Read(hosts_), BlockedHosts(original, kAdServerList, "0.0.0.0"));
  EXPECT_EQ(Read(backup_), original);
  EXPECT_EQ(GetFileAttributesA(hosts_.c_str()) & 0x7, attributes);
  ASSERT_EQ(Toggle(false), HostsToggle::kDone);
  EXPECT_EQ(Read(hosts_), original);
  EXPECT_EQ(GetFileAttributesA(hosts_.c_str()) & 0x7, attributes);
  std::vector<std::string> names = Names();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"hosts", "hosts.sav"}));
}

TEST_F(Win32FilesTest, TheSwapKeepsTheHostsFilesAccessList) {
  const std::string original = "127.0.0.1 localhost\r\n";
  Write(hosts_, original);
  // Everyone may read, the administrators may do anything: a hardened hosts file.
  PSECURITY_DESCRIPTOR hardened = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
      "D:P(A;;FR;;;WD)(A;;FA;;;BA)", SDDL_REVISION_1, &hardened, nullptr));
  const BOOL set = SetFileSecurityA(hosts_.c_str(), DACL_SECURITY_INFORMATION, hardened);
  LocalFree(hardened);
  ASSERT_TRUE(set);
  auto access_list = [&] {
    DWORD needed = 0;
    GetFileSecurityA(hosts_.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    std::string descriptor(needed, '\0');
    if (!GetFileSecurityA(hosts_.c_str(), DACL_SECURITY_INFORMATION, &descriptor[0], needed,
                          &needed))
      return std::string("unreadable");
    char* text = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorA(&descriptor[0], SDDL_REVISION_1,
                                                         DACL_SECURITY_INFORMATION, &text, nullptr);
    std::string result = text ? text : "none";
    LocalFree(text);
    return result;
  };
  const std::string before = access_list();
  if (before != "D:P(A;;FR;;;WD)(A;;FA;;;BA)")
    GTEST_SKIP() << "this system does not keep an access list on files: " << before;
  ASSERT_EQ(Toggle(true), HostsToggle::kDone);
  EXPECT_EQ(access_list(), before);
  ASSERT_EQ(Toggle(false), HostsToggle::kDone);
  EXPECT_EQ(access_list(), before);
  EXPECT_EQ(Read(hosts_), original);
}

TEST_F(Win32FilesTest, AStampTellsASaveAndAPlainFileIsItsOwnFinalPath) {
  Write(hosts_, "a");
  HANDLE file =
      CreateFileA(hosts_.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  FILETIME long_ago{0x12345678u, 0x01c00000u};
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &long_ago));
  CloseHandle(file);
  host::FileStamp read_as, saved;
  ASSERT_EQ(files_.GetStamp(hosts_, &read_as), host::FsStatus::kOk);
  EXPECT_EQ(read_as.size, 1u);
  Write(hosts_, "b");  // the same size, saved later
  ASSERT_EQ(files_.GetStamp(hosts_, &saved), host::FsStatus::kOk);
  EXPECT_FALSE(saved == read_as);
  std::string final_path;
  ASSERT_EQ(files_.FinalPath(hosts_, &final_path), host::FsStatus::kOk);
  EXPECT_EQ(final_path, hosts_);
  EXPECT_EQ(files_.GetStamp(dir_ + "\\missing", &saved), host::FsStatus::kNotFound);
}

// Where a system lacks the calls looked up at run time (95 has none of them, NT 4.0 most not),
// each road without them must give what the road with them gives.
TEST_F(Win32FilesTest, WithoutTheOptionalCallsEveryRoadGivesTheSameResult) {
  struct Missing {
    Missing() { host::win32::PretendOptionalCallsMissing(true); }
    ~Missing() { host::win32::PretendOptionalCallsMissing(false); }
  };
  const std::string original = "127.0.0.1 localhost\r\n";
  Write(hosts_, original);
  host::FileStamp with_calls, without_calls;
  ASSERT_EQ(files_.GetStamp(hosts_, &with_calls), host::FsStatus::kOk);
  {
    Missing missing;
    ASSERT_EQ(files_.GetStamp(hosts_, &without_calls), host::FsStatus::kOk);
    EXPECT_EQ(files_.GetStamp(dir_ + "\\missing", &without_calls), host::FsStatus::kNotFound);
    EXPECT_EQ(files_.Link(hosts_, dir_ + "\\second"), host::FsStatus::kNotImplemented);
    std::string final_path;
    EXPECT_EQ(files_.FinalPath(hosts_, &final_path), host::FsStatus::kOk);
    ASSERT_EQ(Toggle(true), HostsToggle::kDone);
    EXPECT_EQ(Read(backup_), original);
    EXPECT_FALSE(files_.SameFile(hosts_, backup_));  // a copy, not a second name
    ASSERT_EQ(Toggle(false), HostsToggle::kDone);
    EXPECT_EQ(Read(hosts_), original);
    system_.FlushDnsCache();  // nothing to call: nothing happens
    host::win32::LeaveTheProgramFolderOutOfTheDllSearch();
  }
  EXPECT_EQ(without_calls.size, with_calls.size);
  EXPECT_EQ(without_calls.write_time, with_calls.write_time);
}

TEST_F(Win32FilesTest, AFileHeldOpenByAnotherProgramIsLeftAsItWas) {
  const std::string original = "127.0.0.1 localhost\r\n";
  Write(hosts_, original);
  HANDLE held = CreateFileA(hosts_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  DWORD start = GetTickCount();
  bool ok = Toggle(true) == HostsToggle::kDone;
  DWORD waited = GetTickCount() - start;
  CloseHandle(held);
  if (ok) GTEST_SKIP() << "this system replaces files that are open for reading";
  EXPECT_GE(waited, 1500u);  // the sharing violation was retried
  EXPECT_EQ(Read(hosts_), original);
  std::vector<std::string> names = Names();
  EXPECT_EQ(std::count(names.begin(), names.end(), "hosts.quenlox-new"), 0);
}

}  // namespace

}  // namespace quenlox::testing
