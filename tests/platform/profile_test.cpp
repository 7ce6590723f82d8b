#include "platform/profile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>

#include "scratch_folder.h"

namespace {

using namespace std::string_view_literals;

constexpr size_t kBuffer = 2048;

class ProfileTest : public ::testing::Test {
 protected:
  std::string Read(const std::string& file, std::string_view section, std::string_view key,
                   std::string_view def = "<default>") {
    return platform::GetPrivateProfileString(section, key, def, kBuffer, file);
  }
  ScratchFolder folder_;
};

TEST_F(ProfileTest, LineRules) {
  struct Case {
    const char* name;
    std::string_view text;
    const char* section;
    const char* key;
    const char* expected;
  } const cases[] = {
      {"plain", "[German]\nstr_BtnNext=Weiter\n", "German", "str_BtnNext", "Weiter"},
      {"section and key ignore case", "[GERMAN]\nSTR_btnnext=Weiter\n", "german", "str_BtnNext", "Weiter"},
      {"non-ASCII names ignore case", "[Ÿßé]\nÄkey=1\n", "ÿßÉ", "äKEY", "1"},
      {"missing section", "[German]\nstr_BtnNext=Weiter\n", "French", "str_BtnNext", "<default>"},
      {"missing key", "[German]\nstr_BtnNext=Weiter\n", "German", "str_BtnBack", "<default>"},
      {"empty value", "[German]\nstr_BtnNext=\n", "German", "str_BtnNext", ""},
      {"key line without equals sign", "[German]\nstr_BtnNext\n", "German", "str_BtnNext", "<default>"},
      {"blanks around key and value", "[German]\n \t str_BtnNext \t=  Wei ter \t\n", "German", "str_BtnNext",
       "Wei ter"},
      {"blanks in the header", "  [ German ]  \nk=v\n", "German", "k", "v"},
      {"text after the header", "[German] ; the German texts\nk=v\n", "German", "k", "v"},
      {"blanks around the names asked for", "[German]\nk=v\n", " German ", " k ", "v"},
      {"only the first equals sign splits", "[S]\nk=a=b\n", "S", "k", "a=b"},
      {"double quotes kept blanks", "[S]\nk=\"  Gerätename: \"\n", "S", "k", "  Gerätename: "},
      {"single quotes", "[S]\nk='x'\n", "S", "k", "x"},
      {"only one pair goes", "[S]\nk=\"\"x\"\"\n", "S", "k", "\"x\""},
      {"inner quotes stay", "[S]\nk=check \"Format disk\" box\n", "S", "k", "check \"Format disk\" box"},
      {"quotes that do not pair", "[S]\nk=\"x'\n", "S", "k", "\"x'"},
      {"a lone quote", "[S]\nk=\"\n", "S", "k", "\""},
      {"an empty quoted value", "[S]\nk=\"\"\n", "S", "k", ""},
      {"comment line", "[S]\n;k=commented\nk=v\n", "S", "k", "v"},
      {"a comment is no key", "[S]\n;k=commented\n", "S", ";k", "<default>"},
      {"semicolon inside a value", "[S]\nk=a ; b\n", "S", "k", "a ; b"},
      {"first key of the name", "[S]\nk=first\nK=second\n", "S", "k", "first"},
      {"first section of the name", "[S]\na=1\n[T]\n[s]\nb=2\n", "S", "b", "<default>"},
      {"keys before any section", "k=v\n[S]\n", "S", "k", "<default>"},
      {"unclosed header is a key line", "[S]\n[T\nk=v\n", "S", "k", "v"},
      {"empty section name", "[]\nk=v\n", "", "k", "<default>"},
      {"empty key name", "[S]\n=v\n", "S", "", "<default>"},
      {"CR LF line ends", "[S]\r\nk=v\r\nj=w\r\n", "S", "j", "w"},
      {"CR line ends", "[S]\rk=v\rj=w\r", "S", "j", "w"},
      {"no line end at the end", "[S]\nk=v", "S", "k", "v"},
      {"value ends at a NUL", "[S]\nk=ab\0cd\n"sv, "S", "k", "ab"},
      {"bad UTF-8 byte",
       "[S]\nk=a\xFF"
       "b\n",
       "S", "k", "a\uFFFDb"},
  };
  for (const Case& c : cases) {
    const std::string file = folder_.Write("lang.ini", c.text);
    EXPECT_EQ(Read(file, c.section, c.key), c.expected) << c.name;
  }
}

TEST_F(ProfileTest, EncodingsByByteOrderMark) {
  struct Case {
    const char* name;
    std::string bytes;
  } const cases[] = {
      {"UTF-8", "[Deutsch]\nk=Grüße 中\n"},
      {"UTF-8 with BOM", "\xEF\xBB\xBF[Deutsch]\nk=Grüße 中\n"},
      {"UTF-16 LE", std::string("\xFF\xFE[\0D\0e\0u\0t\0s\0c\0h\0]\0\n\0k\0=\0G\0r\0\xFC\0\xDF\0"
                                "e\0 \0\x2D\x4E\n\0",
                                42)},
      {"UTF-16 BE", std::string("\xFE\xFF\0[\0D\0e\0u\0t\0s\0c\0h\0]\0\n\0k\0=\0G\0r\0\xFC\0\xDF\0"
                                "e\0 \x4E\x2D\0\n",
                                42)},
  };
  for (const Case& c : cases) {
    const std::string file = folder_.Write("lang.ini", c.bytes);
    EXPECT_EQ(Read(file, "deutsch", "K"), "Grüße 中") << c.name;
  }
}

TEST_F(ProfileTest, ValuesAndDefaultsAreCutToTheBuffer) {
  const std::string long_value(3000, 'x');
  const std::string file = folder_.Write("lang.ini", "[S]\nk=" + long_value + "\n");
  EXPECT_EQ(Read(file, "S", "k"), std::string(2047, 'x'));
  EXPECT_EQ(Read(file, "S", "missing", long_value), std::string(2047, 'x'));
  EXPECT_EQ(Read(file, "S", "missing", "Device Name: "), "Device Name: ") << "the default keeps its blanks";

  // A character of two UTF-16 units that does not fit whole is left out.
  const std::string pair_at_cut = std::string(2046, 'y') + "😀";
  const std::string file2 = folder_.Write("pair.ini", "[S]\nk=" + pair_at_cut + "\n");
  EXPECT_EQ(Read(file2, "S", "k"), std::string(2046, 'y'));
  const std::string pair_fits = std::string(2045, 'y') + "😀";
  EXPECT_EQ(Read(folder_.Write("fits.ini", "[S]\nk=" + pair_fits + "\n"), "S", "k"), pair_fits);
}

TEST_F(ProfileTest, AFileThatCannotBeReadGivesTheDefaultsAndIsNeverWritten) {
  const std::string missing = folder_.File("none.ini");
  EXPECT_EQ(Read(missing, "S", "k"), "<default>");
  EXPECT_FALSE(std::filesystem::exists(missing));

  std::filesystem::create_directory(folder_.File("folder.ini"));
  EXPECT_EQ(Read(folder_.File("folder.ini"), "S", "k"), "<default>");

  const std::string file = folder_.Write("lang.ini", "[S]\nk=v\n");
  const auto written = std::filesystem::last_write_time(file);
  EXPECT_EQ(Read(file, "S", "k"), "v");
  EXPECT_EQ(Read(file, "S", "other"), "<default>");
  EXPECT_EQ(Read(file, "T", "k"), "<default>");
  EXPECT_EQ(std::filesystem::last_write_time(file), written);
  EXPECT_EQ(std::filesystem::file_size(file), 8u);
}

// The reader keeps its reading while the file stays as it was, and reads again once it changes
// in any way: its size, its time, or another file in its place.
TEST_F(ProfileTest, AReaderReadsTheFileAgainOnceItChanges) {
  namespace fs = std::filesystem;
  const std::string file = folder_.Write("lang.ini", "[S]\nk=v\n");
  platform::ProfileReader reader(file);
  auto read = [&] { return reader.GetString("S", "k", "<default>", kBuffer); };
  EXPECT_EQ(read(), "v");
  const fs::file_time_type time = fs::last_write_time(file);
  const struct {
    const char* name;
    std::function<void()> change;
    const char* value;
  } cases[] = {
      {"a longer value", [&] { folder_.Write("lang.ini", "[S]\nk=longer\n"); }, "longer"},
      {"the same size at another time",
       [&] {
         folder_.Write("lang.ini", "[S]\nk=LONGER\n");
         fs::last_write_time(file, time + std::chrono::seconds(1));
       },
       "LONGER"},
      {"another file of the same size and time in its place",
       [&] {
         const std::string other = folder_.Write("other.ini", "[S]\nk=placed\n");
         fs::last_write_time(other, time + std::chrono::seconds(1));
         fs::rename(other, file);
       },
       "placed"},
      {"gone", [&] { fs::remove(file); }, "<default>"},
      {"back", [&] { folder_.Write("lang.ini", "[S]\nk=back\n"); }, "back"},
  };
  for (const auto& c : cases) {
    c.change();
    EXPECT_EQ(read(), c.value) << c.name;
  }
}

}  // namespace
