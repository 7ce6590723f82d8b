#include "platform/registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/emulated_registry.h"
#include "platform/host_registry.h"
#include "platform/reg_file.h"
#include "platform/unicode.h"
#include "scratch_folder.h"

namespace {

using namespace platform;

constexpr const char* kZones = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\";

RegistryTree TreeOf(const std::string& text) {
  RegistryTree tree;
  EXPECT_TRUE(ApplyRegText(Utf8ToUtf16(text), tree).empty());
  return tree;
}

// A registry installed for the test, with German texts, zones to enumerate and one number.
class RegistryCallsTest : public ::testing::Test {
 protected:
  RegistryCallsTest()
      : registry_(TreeOf(R"(Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\SOFTWARE\Orvo\Orvo Fenwold Utilities]
"Language"="German"
"Greeting"="Grüße 中文"
"Count"=dword:00000007

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones\W. Europe Standard Time]
"Display"="(UTC+01:00) Amsterdam, Berlin"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones\AUS Eastern Standard Time]
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones\alaskan Standard Time]
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones\UTC]
)")),
        scope_(registry_) {
    SetSystemCodePage(1252);
  }
  ~RegistryCallsTest() override { SetSystemCodePage(0); }

  HKEY Open(const char* path, REGSAM access = KEY_READ) {
    HKEY key{};
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, &key), ERROR_SUCCESS) << path;
    return key;
  }

  EmulatedRegistry registry_;
  ScopedRegistry scope_;
};

TEST_F(RegistryCallsTest, OpenFindsKeysWithoutRegardToCase) {
  struct Case {
    const char* path;
    LONG result;
  } const cases[] = {
      {"SOFTWARE\\Orvo\\Orvo Fenwold Utilities", ERROR_SUCCESS},
      {"software\\ORVO\\orvo fenwold utilities", ERROR_SUCCESS},
      {kZones, ERROR_SUCCESS},
      {"SOFTWARE", ERROR_SUCCESS},
      {"", ERROR_SUCCESS},
      {"SOFTWARE\\Orvo\\Other", ERROR_FILE_NOT_FOUND},
      {"SOFTWARE\\Orvo\\Orvo Fenwold Utilities\\Deeper", ERROR_FILE_NOT_FOUND},
      {"\\SOFTWARE", ERROR_BAD_PATHNAME},
      {"SOFTWARE\\\\Orvo", ERROR_BAD_PATHNAME},
  };
  for (const Case& c : cases) {
    HKEY key{1};
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, c.path, 0, KEY_READ, &key), c.result) << c.path;
    if (c.result == ERROR_SUCCESS) {
      EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    } else {
      EXPECT_EQ(key, HKEY{}) << "a failed open leaves no handle";
    }
  }
  EXPECT_EQ(registry_.OpenHandles(), 0u);
}

TEST_F(RegistryCallsTest, TheRegistryIsReadOnlyAndHandlesGiveTheirRights) {
  HKEY key{};
  for (REGSAM write : {KEY_ALL_ACCESS, KEY_WRITE, KEY_SET_VALUE, KEY_READ | KEY_CREATE_SUB_KEY, GENERIC_WRITE}) {
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, write, &key), ERROR_ACCESS_DENIED) << write;
  }
  const HKEY enum_only = Open("SOFTWARE\\Orvo\\Orvo Fenwold Utilities", KEY_ENUMERATE_SUB_KEYS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(enum_only, "Language", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
  RegCloseKey(enum_only);
  const HKEY query_only = Open(kZones, KEY_QUERY_VALUE);
  char name[256];
  DWORD chars = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(query_only, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
  RegCloseKey(query_only);
  const HKEY generic = Open(kZones, GENERIC_READ);
  chars = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(generic, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  RegCloseKey(generic);
}

TEST_F(RegistryCallsTest, HandlesCloseOnceAndRootKeysStayOpen) {
  const HKEY key = Open("SOFTWARE");
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Language", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  HKEY sub{};
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &sub), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExA(HKEY{0x1234}, "SOFTWARE", 0, KEY_READ, &sub), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryCallsTest, EnumerationGoesByNameWithoutCaseUntilNoMoreItems) {
  const HKEY zones = Open(kZones);
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD chars = sizeof name;
    FILETIME written{1, 1};
    const LONG result = RegEnumKeyExA(zones, i, name, &chars, nullptr, nullptr, nullptr, &written);
    if (result != ERROR_SUCCESS) {
      EXPECT_EQ(result, ERROR_NO_MORE_ITEMS);
      break;
    }
    EXPECT_EQ(chars, std::string(name).size());
    names.emplace_back(name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"alaskan Standard Time", "AUS Eastern Standard Time", "UTC",
                                             "W. Europe Standard Time"}));

  char small[4];
  DWORD chars = sizeof small;
  EXPECT_EQ(RegEnumKeyExA(zones, 3, small, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  chars = 4;  // "UTC" and its terminator fit exactly
  EXPECT_EQ(RegEnumKeyExA(zones, 2, small, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(small, "UTC");
  EXPECT_EQ(chars, 3u);
  RegCloseKey(zones);
}

TEST_F(RegistryCallsTest, QueryFollowsTheBufferRulesAndGivesTextInTheCodePage) {
  const HKEY key = Open("SOFTWARE\\Orvo\\Orvo Fenwold Utilities");
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "language", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 7u) << "the size holds the terminator";

  BYTE data[260] = {};
  size = 6;
  EXPECT_EQ(RegQueryValueExA(key, "Language", nullptr, &type, data, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 7u) << "the size needed";
  size = sizeof data;
  EXPECT_EQ(RegQueryValueExA(key, "Language", nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<char*>(data), "German");
  EXPECT_EQ(size, 7u);

  size = sizeof data;
  EXPECT_EQ(RegQueryValueExA(key, "Greeting", nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), std::string("Gr\xFC\xDF"
                                                                          "e ??\0",
                                                                          9));

  size = sizeof data;
  EXPECT_EQ(RegQueryValueExA(key, "Count", nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(data[0], 7);

  size = sizeof data;
  EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, data, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(key, "Language", nullptr, &type, data, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueExA(key, "Language", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS)
      << "asking only whether the value exists";
  RegCloseKey(key);
}

TEST(RegistryValueText, StopsAtTheTerminator) {
  RegistryValue value = RegistryKey::StringValue("Grüße");
  value.data.insert(value.data.end(), {'x', 0, 0, 0});
  EXPECT_EQ(RegistryValueText(value), "Grüße");
  EXPECT_EQ(RegistryValueText(RegistryValue{REG_SZ, {}}), "");
}

class HostRegistryTest : public ::testing::Test {
 protected:
  RegistryTree Build(const HostRegistrySources& sources) {
    return BuildRegistryTree(sources, [this](const std::string& line) { reports_.push_back(line); });
  }
  static std::string Language(const RegistryTree& tree) {
    const RegistryKey* key = tree.FindKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvo\\Orvo Fenwold Utilities");
    const RegistryValue* value = key ? key->FindValue("Language") : nullptr;
    return value ? RegistryValueText(*value) : "<none>";
  }
  ScratchFolder folder_;
  std::vector<std::string> reports_;
};

TEST_F(HostRegistryTest, TheBuiltInKeysNameTheLanguageOfTheInstallation) {
  const RegistryTree tree = Build({BuiltInRegistryText(), {}, folder_.File("missing.reg")});
  EXPECT_EQ(Language(tree), "English");
  EXPECT_TRUE(reports_.empty());
}

TEST_F(HostRegistryTest, TheUserFileComesLastAndItsBadLinesAreReportedOnce) {
  const std::string user = folder_.Write("registry.reg",
                                         "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
                                         "\n"
                                         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvo\\Orvo Fenwold Utilities]\n"
                                         "\"Language\"=\"Chinese(Simplified)\"\n"
                                         "Language=German\n"
                                         "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Generated\\Gone]\n");
  int generated_calls = 0;
  const RegistryKeySource generated = [&](RegistryTree& tree) {
    ++generated_calls;
    EXPECT_EQ(Language(tree), "English") << "generated keys come after the built-in ones";
    tree.CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Generated\\Kept").SetString("v", "1");
    tree.CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Generated\\Gone").SetString("v", "2");
  };
  const RegistryTree tree = Build({BuiltInRegistryText(), {generated}, user});
  EXPECT_EQ(generated_calls, 1);
  EXPECT_EQ(Language(tree), "Chinese(Simplified)");
  EXPECT_NE(tree.FindKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Generated\\Kept"), nullptr);
  EXPECT_EQ(tree.FindKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Generated\\Gone"), nullptr) << "the user file may delete";
  EXPECT_EQ(reports_, std::vector<std::string>{user + ":5: a name or text must start with a quote; line skipped"});
}

TEST_F(HostRegistryTest, AUserFileInUtf16AsTheRegistryEditorWritesIt) {
  const std::u16string text =
      u"\uFEFFWindows Registry Editor Version 5.00\r\n\r\n"
      u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvo\\Orvo Fenwold Utilities]\r\n\"Language\"=\"German\"\r\n";
  std::string bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  const RegistryTree tree = Build({BuiltInRegistryText(), {}, folder_.Write("registry.reg", bytes)});
  EXPECT_EQ(Language(tree), "German");
  EXPECT_TRUE(reports_.empty());
}

}  // namespace
