#include <gtest/gtest.h>

#include <cstring>

#include "app/Ufirst.h"
#include "platform/win32_host.h"

namespace quenlox::testing {

namespace {

TEST(Win32Tray, TheIconRecordAsTheShellExpectsIt) {
  HWND window = reinterpret_cast<HWND>(0x1234);
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
  ASSERT_NE(icon, nullptr);
  NOTIFYICONDATAA record = host::win32::TrayRecord(window, icon);
  // 88 in the 32-bit program; a 64-bit test build has wider handles.
  const DWORD first_shell_size = sizeof(void*) == 4 ? 88u : 104u;
  EXPECT_EQ(record.cbSize, first_shell_size);
  EXPECT_EQ(record.hWnd, window);
  EXPECT_EQ(record.uID, 0u);
  EXPECT_EQ(record.uFlags, 7u);
  EXPECT_EQ(record.uCallbackMessage, 1034u);
  EXPECT_EQ(record.hIcon, icon);
  EXPECT_STREQ(record.szTip, "Leftclick for settings/summary; Rightclick to order");

  NOTIFYICONDATAA removal = host::win32::TrayRemovalRecord(window);
  EXPECT_EQ(removal.cbSize, first_shell_size);
  EXPECT_EQ(removal.hWnd, window);
  EXPECT_EQ(removal.uID, 0u);
  EXPECT_EQ(removal.uFlags, 0u);
}

TEST(Win32Tray, MainIconHasBothSizesIn16Colours) {
  HMODULE self = GetModuleHandleA(nullptr);
  HRSRC group = FindResourceA(self, "MAINICON", MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  ASSERT_NE(group, nullptr);
  const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(self, group)));
  ASSERT_NE(data, nullptr);
  int count = data[4] | (data[5] << 8);
  ASSERT_EQ(count, 2);
  std::vector<int> sizes;
  for (int i = 0; i < count; ++i) {
    const unsigned char* entry = data + 6 + 14 * i;
    sizes.push_back(entry[0]);
    EXPECT_EQ(entry[2], 16) << "colours";
  }
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, (std::vector<int>{16, 32}));
}

TEST(Win32System, ExecutablePathIsWholeAndWindowsFolderIsReported) {
  host::win32::System system;
  std::string path = system.ExecutablePath();
  ASSERT_GT(path.size(), 4u);
  EXPECT_EQ(path.substr(path.size() - 4), ".exe");
  char reported[256] = {};
  ASSERT_GT(GetWindowsDirectoryA(reported, sizeof reported), 0u);
  EXPECT_EQ(system.WindowsDirectory(200), reported);
  // A buffer it does not fit: nothing is copied, and nothing is reported.
  EXPECT_EQ(system.WindowsDirectory(static_cast<unsigned>(std::strlen(reported))), "");
  EXPECT_TRUE(system.IsNtFamily());
  system.FlushDnsCache();  // present or absent, it must not fail
}

}  // namespace

}  // namespace quenlox::testing
