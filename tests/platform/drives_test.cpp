#include "platform/drives.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "add_connection.h"
#include "sim/sim_drives.h"

namespace {

using namespace platform;

class DrivesTest : public ::testing::Test {
 protected:
  DrivesTest() {
    drives_.SetLocalDrive('D', DRIVE_CDROM);
    drives_.SetLocalDrive('R', DRIVE_RAMDISK);
    InstallDrives(&drives_);
  }
  ~DrivesTest() override { InstallDrives(nullptr); }

  struct Listed {
    std::string local;  // "(none)" for a null local name
    std::string remote;
    bool operator==(const Listed&) const = default;
  };
  // Every entry of an enumeration, read with `size` bytes and `count` entries a call.
  static std::vector<Listed> Enumerate(DWORD scope, DWORD size = 16384, DWORD count = kEnumAll) {
    HANDLE h = nullptr;
    EXPECT_EQ(WNetOpenEnumA(scope, RESOURCETYPE_DISK, 0, nullptr, &h), 0u);
    std::vector<NETRESOURCEA> buffer(size / sizeof(NETRESOURCEA) + 1);
    std::vector<Listed> listed;
    for (;;) {
      DWORD n = count, bytes = size;
      const DWORD result = WNetEnumResourceA(h, &n, buffer.data(), &bytes);
      if (result == ERROR_NO_MORE_ITEMS) break;
      EXPECT_EQ(result, 0u);
      if (result != 0) break;
      for (DWORD i = 0; i < n; ++i) {
        listed.push_back({buffer[i].lpLocalName ? buffer[i].lpLocalName : "(none)", buffer[i].lpRemoteName});
        EXPECT_STREQ(buffer[i].lpProvider, kNetworkProvider);
      }
    }
    EXPECT_EQ(WNetCloseEnum(h), 0u);
    return listed;
  }

  sim::SimDrives drives_;
};

TEST_F(DrivesTest, DriveTypesOfRoots) {
  ASSERT_EQ(AddConnection("X:", "\\\\Storage\\Volume_1"), 0u);
  ASSERT_EQ(AddConnection(nullptr, "\\\\Storage\\Public"), 0u);
  const struct {
    const char* root;
    UINT type;
  } cases[] = {
      {"C:\\", DRIVE_FIXED},
      {"c:/", DRIVE_FIXED},
      {"d:\\", DRIVE_CDROM},
      {"R:\\", DRIVE_RAMDISK},
      {"X:\\", DRIVE_REMOTE},
      {"x:\\", DRIVE_REMOTE},
      {"Y:\\", DRIVE_NO_ROOT_DIR},
      {"C:", DRIVE_NO_ROOT_DIR},
      {"", DRIVE_NO_ROOT_DIR},
      {"1:\\", DRIVE_NO_ROOT_DIR},
      {"C:\\Windows\\", DRIVE_NO_ROOT_DIR},
      {"\\\\Storage\\Public\\", DRIVE_REMOTE},
      {"\\\\Storage\\Other\\", DRIVE_NO_ROOT_DIR},
  };
  for (const auto& c : cases) EXPECT_EQ(GetDriveTypeA(c.root), c.type) << c.root;
  EXPECT_EQ(GetDriveTypeA(nullptr), DRIVE_FIXED);
}

TEST_F(DrivesTest, ConnectingRefusesWhatTheSystemRefuses) {
  ASSERT_EQ(AddConnection("Z:", "\\\\Storage\\Volume_1"), 0u);
  drives_.SetShareResolver([](const std::string& remote) -> DWORD {
    return remote.find("Gone") != std::string::npos ? ERROR_BAD_NETPATH : ERROR_SUCCESS;
  });
  const struct {
    const char* local;
    const char* remote;
    DWORD type;
    DWORD error;
  } cases[] = {
      {"Y:", "\\\\Storage\\Volume_2", RESOURCETYPE_PRINT, ERROR_BAD_DEV_TYPE},
      {"Y:", "\\\\Storage\\Volume_2", 7, ERROR_INVALID_PARAMETER},
      {"Y:", "", RESOURCETYPE_DISK, ERROR_BAD_NET_NAME},
      {"Y:", nullptr, RESOURCETYPE_DISK, ERROR_BAD_NET_NAME},
      {"Y:", "Storage\\Volume_2", RESOURCETYPE_DISK, ERROR_BAD_NET_NAME},
      {"Y:", "\\\\Storage", RESOURCETYPE_DISK, ERROR_BAD_NET_NAME},
      {"Y:", "\\\\\\Volume_2", RESOURCETYPE_DISK, ERROR_BAD_NET_NAME},
      {"YY", "\\\\Storage\\Volume_2", RESOURCETYPE_DISK, ERROR_BAD_DEVICE},
      {"Y", "\\\\Storage\\Volume_2", RESOURCETYPE_DISK, ERROR_BAD_DEVICE},
      {"C:", "\\\\Storage\\Volume_2", RESOURCETYPE_DISK, ERROR_ALREADY_ASSIGNED},
      {"d:", "\\\\Storage\\Volume_2", RESOURCETYPE_DISK, ERROR_ALREADY_ASSIGNED},
      {"z:", "\\\\Storage\\Volume_2", RESOURCETYPE_DISK, ERROR_ALREADY_ASSIGNED},
      {"Y:", "\\\\Gone\\Volume_1", RESOURCETYPE_DISK, ERROR_BAD_NETPATH},
      {"y:", "\\\\Storage\\Volume_2\\sub folder", RESOURCETYPE_ANY, ERROR_SUCCESS},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AddConnection(c.local, c.remote, 0, c.type), c.error) << c.local << " " << (c.remote ? c.remote : "null");
  }
  EXPECT_EQ(WNetAddConnection2A(nullptr, "", "", 0), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(Enumerate(RESOURCE_CONNECTED),
            (std::vector<Listed>{{"Z:", "\\\\Storage\\Volume_1"}, {"Y:", "\\\\Storage\\Volume_2\\sub folder"}}));
}

TEST_F(DrivesTest, PersistentConnectionsOutliveARestartAndSessionOnesDoNot) {
  ASSERT_EQ(AddConnection("Z:", "\\\\Storage\\Volume_1", CONNECT_UPDATE_PROFILE), 0u);
  ASSERT_EQ(AddConnection("Y:", "\\\\Storage\\Volume_2"), 0u);
  ASSERT_EQ(AddConnection("", "\\\\Storage\\Public", CONNECT_UPDATE_PROFILE), 0u);
  EXPECT_EQ(Enumerate(RESOURCE_REMEMBERED), (std::vector<Listed>{{"Z:", "\\\\Storage\\Volume_1"}}));
  drives_.Restart();
  EXPECT_EQ(Enumerate(RESOURCE_CONNECTED), (std::vector<Listed>{{"Z:", "\\\\Storage\\Volume_1"}}));
  EXPECT_EQ(GetDriveTypeA("Y:\\"), DRIVE_NO_ROOT_DIR);
}

TEST_F(DrivesTest, CancellingWithAndWithoutTheProfile) {
  ASSERT_EQ(AddConnection("Z:", "\\\\Storage\\Volume_1", CONNECT_UPDATE_PROFILE), 0u);
  ASSERT_EQ(AddConnection("", "\\\\Storage\\Public"), 0u);
  // Cancelled for the session only: free now, back after a restart.
  EXPECT_EQ(WNetCancelConnection2A("z:", 0, 1), 0u);
  EXPECT_EQ(GetDriveTypeA("Z:\\"), DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(WNetCancelConnection2A("Z:", 0, 1), static_cast<DWORD>(ERROR_NOT_CONNECTED));
  // The letter stays remembered for its share: another one cannot be remembered there.
  EXPECT_EQ(AddConnection("Z:", "\\\\Other\\Share", CONNECT_UPDATE_PROFILE),
            static_cast<DWORD>(ERROR_DEVICE_ALREADY_REMEMBERED));
  drives_.Restart();
  EXPECT_EQ(GetDriveTypeA("Z:\\"), DRIVE_REMOTE);
  // With the profile it is forgotten too.
  EXPECT_EQ(WNetCancelConnection2A("Z:", CONNECT_UPDATE_PROFILE, 1), 0u);
  drives_.Restart();
  EXPECT_EQ(GetDriveTypeA("Z:\\"), DRIVE_NO_ROOT_DIR);

  ASSERT_EQ(AddConnection("", "\\\\Storage\\Public"), 0u);
  EXPECT_EQ(WNetCancelConnection2A("\\\\storage\\public", 0, 1), 0u);
  EXPECT_EQ(WNetCancelConnection2A("\\\\Storage\\Public", 0, 1), static_cast<DWORD>(ERROR_NOT_CONNECTED));
  EXPECT_EQ(WNetCancelConnection2A(nullptr, 0, 1), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(DrivesTest, EnumerationLaysOutWhatFitsAndTellsTheSizeOfTheNext) {
  const std::string long_share = "\\\\Storage\\" + std::string(300, 'v');
  ASSERT_EQ(AddConnection("Z:", "\\\\Storage\\Volume_1"), 0u);
  ASSERT_EQ(AddConnection("Y:", long_share.c_str()), 0u);
  ASSERT_EQ(AddConnection(nullptr, "\\\\Storage\\Public"), 0u);
  HANDLE h = nullptr;
  ASSERT_EQ(WNetOpenEnumA(RESOURCE_CONNECTED, RESOURCETYPE_DISK, 0, nullptr, &h), 0u);
  // Added after the enumeration opened: not in it.
  ASSERT_EQ(AddConnection("X:", "\\\\Storage\\Late"), 0u);

  const size_t provider = std::strlen(kNetworkProvider) + 1;
  const size_t first = sizeof(NETRESOURCEA) + 3 + std::strlen("\\\\Storage\\Volume_1") + 1 + provider;
  const size_t second = sizeof(NETRESOURCEA) + 3 + long_share.size() + 1 + provider;
  std::vector<NETRESOURCEA> buffer(64);
  DWORD count = kEnumAll, size = static_cast<DWORD>(first - 1);
  EXPECT_EQ(WNetEnumResourceA(h, &count, buffer.data(), &size), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(size, first);
  // Exactly the size asked for: the first entry only, its texts inside the buffer.
  count = kEnumAll;
  ASSERT_EQ(WNetEnumResourceA(h, &count, buffer.data(), &size), 0u);
  ASSERT_EQ(count, 1u);
  const char* begin = reinterpret_cast<const char*>(buffer.data());
  EXPECT_GE(buffer[0].lpRemoteName, begin + sizeof(NETRESOURCEA));
  EXPECT_LT(buffer[0].lpRemoteName, begin + size);
  EXPECT_STREQ(buffer[0].lpLocalName, "Z:");
  EXPECT_EQ(buffer[0].dwScope, RESOURCE_CONNECTED);
  EXPECT_EQ(buffer[0].dwType, RESOURCETYPE_DISK);
  // The long one does not fit what fitted the first.
  count = kEnumAll;
  EXPECT_EQ(WNetEnumResourceA(h, &count, buffer.data(), &size), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(size, second);
  // A count of 1 takes one entry even where more fit.
  size = static_cast<DWORD>(buffer.size() * sizeof(NETRESOURCEA));
  count = 1;
  ASSERT_EQ(WNetEnumResourceA(h, &count, buffer.data(), &size), 0u);
  EXPECT_EQ(std::string(buffer[0].lpRemoteName), long_share);
  count = kEnumAll;
  ASSERT_EQ(WNetEnumResourceA(h, &count, buffer.data(), &size), 0u);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(buffer[0].lpLocalName, nullptr);
  EXPECT_EQ(WNetEnumResourceA(h, &count, buffer.data(), &size), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(WNetCloseEnum(h), 0u);
  EXPECT_EQ(WNetCloseEnum(h), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  count = kEnumAll;
  EXPECT_EQ(WNetEnumResourceA(h, &count, buffer.data(), &size), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(DrivesTest, ManyConnectionsComeInSeveralCalls) {
  std::vector<Listed> expected;
  for (char letter = 'E'; letter <= 'Q'; ++letter) {
    const std::string local{letter, ':'};
    const std::string remote = "\\\\Storage\\Share_" + std::string(40, letter);
    ASSERT_EQ(AddConnection(local.c_str(), remote.c_str()), 0u);
    expected.push_back({local, remote});
  }
  EXPECT_EQ(Enumerate(RESOURCE_CONNECTED, 400), expected);
  EXPECT_EQ(Enumerate(RESOURCE_CONNECTED, 16384, 3), expected);
}

TEST_F(DrivesTest, OpeningAnEnumeration) {
  HANDLE h = nullptr;
  EXPECT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, 0, nullptr, &h),
            static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EXPECT_EQ(WNetOpenEnumA(9, RESOURCETYPE_DISK, 0, nullptr, &h), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(WNetOpenEnumA(RESOURCE_CONNECTED, RESOURCETYPE_DISK, 0, nullptr, nullptr),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  ASSERT_EQ(AddConnection("Z:", "\\\\Storage\\Volume_1"), 0u);
  // Every connection is a disk.
  ASSERT_EQ(WNetOpenEnumA(RESOURCE_CONNECTED, RESOURCETYPE_PRINT, 0, nullptr, &h), 0u);
  std::vector<NETRESOURCEA> buffer(8);
  DWORD count = kEnumAll, size = 8 * sizeof(NETRESOURCEA);
  EXPECT_EQ(WNetEnumResourceA(h, &count, buffer.data(), &size), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  WNetCloseEnum(h);
  drives_.Fail(DriveCall::kOpenEnum, ERROR_NO_NETWORK);
  EXPECT_EQ(WNetOpenEnumA(RESOURCE_CONNECTED, RESOURCETYPE_DISK, 0, nullptr, &h), static_cast<DWORD>(ERROR_NO_NETWORK));
}

}  // namespace
