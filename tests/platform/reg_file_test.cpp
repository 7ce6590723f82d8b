#include "platform/reg_file.h"

#include <gtest/gtest.h>

#include "platform/registry_tree.h"
#include "platform/unicode.h"

namespace {

using platform::HKEY_CURRENT_USER;
using platform::HKEY_LOCAL_MACHINE;
using platform::RegFileProblem;
using platform::RegistryKey;
using platform::RegistryTree;
using platform::RegistryValue;

constexpr const char* kHeader = "Windows Registry Editor Version 5.00\r\n";

std::vector<RegFileProblem> Apply(const std::string& text, RegistryTree& tree) {
  return platform::ApplyRegText(platform::Utf8ToUtf16(text), tree);
}

TEST(RegFile, ValueKinds) {
  struct Case {
    const char* line;
    const char* name;
    RegistryValue expected;
  } const cases[] = {
      {R"("Language"="German")", "Language", RegistryKey::StringValue("German")},
      {R"("Path"="C:\\Program Files\\Orvo\\")", "Path", RegistryKey::StringValue(R"(C:\Program Files\Orvo\)")},
      {R"("Quote"="say \"hi\"")", "Quote", RegistryKey::StringValue(R"(say "hi")")},
      {R"("Name with \"quotes\""="x")", R"(Name with "quotes")", RegistryKey::StringValue("x")},
      {R"("Empty"="")", "Empty", RegistryKey::StringValue("")},
      {R"("Umlaut"="Grüße 中文")", "Umlaut", RegistryKey::StringValue("Grüße 中文")},
      {R"(@="default")", "", RegistryKey::StringValue("default")},
      {R"("Spaced"  =  "x"  )", "Spaced", RegistryKey::StringValue("x")},
      {R"("Count"=dword:0000002a)", "Count", RegistryKey::DwordValue(42)},
      {R"("Max"=dword:FFFFFFFF)", "Max", RegistryKey::DwordValue(0xFFFFFFFFu)},
      {R"("Bin"=hex:01,ab,FF)", "Bin", {platform::REG_BINARY, {0x01, 0xAB, 0xFF}}},
      {R"("None"=hex:)", "None", {platform::REG_BINARY, {}}},
      {R"("Exp"=hex(2):25,00,41,00,00,00)", "Exp", {platform::REG_EXPAND_SZ, {0x25, 0, 0x41, 0, 0, 0}}},
      {R"("Q"=hex(b):01,00,00,00,00,00,00,00)", "Q", {platform::REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}}},
      {"\"Long\"=hex:01,02,\\\r\n  03,04,\\\r\n  05", "Long", {platform::REG_BINARY, {1, 2, 3, 4, 5}}},
      {"\"Spaced\" = hex:01,02,\\\r\n  03", "Spaced", {platform::REG_BINARY, {1, 2, 3}}},
  };
  for (const Case& c : cases) {
    RegistryTree tree;
    const auto problems =
        Apply(std::string(kHeader) + "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n" + c.line + "\r\n", tree);
    EXPECT_TRUE(problems.empty()) << c.line << ": " << (problems.empty() ? "" : problems.front().reason);
    const RegistryKey* key = tree.FindKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\T");
    ASSERT_NE(key, nullptr) << c.line;
    const RegistryValue* value = key->FindValue(c.name);
    ASSERT_NE(value, nullptr) << c.line;
    EXPECT_EQ(*value, c.expected) << c.line;
  }
}

TEST(RegFile, KeysAreMatchedWithoutCaseAndDeletedWithWhatIsBelowThem) {
  RegistryTree tree;
  const auto problems = Apply(std::string(kHeader) + R"(
[HKEY_LOCAL_MACHINE\SOFTWARE\Orvo\Orvo Fenwold Utilities]
"Language"="English"
"Old"="x"
[hkey_local_machine\software\ORVO\orvo fenwold utilities]
"language"="German"
"Old"=-
[HKEY_LOCAL_MACHINE\SOFTWARE\Gone\Below]
"v"="1"
[-HKEY_LOCAL_MACHINE\SOFTWARE\Gone]
"ignored"="below a deleted key"
[HKEY_CURRENT_USER\Trailing\]
)",
                              tree);
  EXPECT_TRUE(problems.empty());
  const RegistryKey* key = tree.FindKey(HKEY_LOCAL_MACHINE, "Software\\Orvo\\Orvo Fenwold Utilities");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->Name(), "Orvo Fenwold Utilities") << "a key keeps the name it was made with";
  EXPECT_EQ(*key->FindValue("LANGUAGE"), RegistryKey::StringValue("German"));
  EXPECT_EQ(key->FindValue("Old"), nullptr);
  EXPECT_EQ(tree.FindKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Gone"), nullptr);
  EXPECT_NE(tree.FindKey(HKEY_CURRENT_USER, "Trailing"), nullptr);
}

TEST(RegFile, BadLinesAreSkippedWithTheirNumbers) {
  RegistryTree tree;
  const auto problems = Apply(std::string(kHeader) +                       // line 1
                                  "\"Early\"=\"no key yet\"\n"             // 2
                                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n"    // 3
                                  "\"Good1\"=\"1\"\n"                      // 4
                                  "\"Unclosed=\"x\"\n"                     // 5
                                  "\"Esc\"=\"tab \\t\"\n"                  // 6
                                  "\"Num\"=dword:123456789\n"              // 7
                                  "\"Hex\"=hex:1,zz\n"                     // 8
                                  "\"Trail\"=\"x\" y\n"                    // 9
                                  "NoQuotes=\"x\"\n"                       // 10
                                  "\"NoEquals\" \"x\"\n"                   // 11
                                  "\"Kind\"=string:x\n"                    // 12
                                  "\"Multi\"=hex:01,\\\n  02,zz\n"         // 13, 14
                                  "\"Good2\"=\"2\"\n"                      // 15
                                  "[HKEY_NOWHERE\\X]\n"                    // 16
                                  "\"UnderBadKey\"=\"skipped with it\"\n"  // 17
                                  "[HKEY_LOCAL_MACHINE\\A\\\\B]\n"         // 18
                                  "[HKEY_LOCAL_MACHINE\\Open\n"            // 19
                                  "[-HKEY_LOCAL_MACHINE]\n"                // 20
                                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n"    // 21
                                  "\"Good3\"=\"3\"\n"                      // 22
                                  "\"Open=hex\"=\"C:\\\n"                  // 23: no hex data, so no going on
                                  "\"Good4\"=\"4\"\n",                     // 24
                              tree);
  std::vector<int> lines;
  for (const RegFileProblem& p : problems) {
    lines.push_back(p.line);
    EXPECT_FALSE(p.reason.empty());
  }
  EXPECT_EQ(lines, (std::vector<int>{2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 18, 19, 20, 23}));
  const RegistryKey* key = tree.FindKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\T");
  ASSERT_NE(key, nullptr);
  for (const char* good : {"Good1", "Good2", "Good3", "Good4"}) EXPECT_NE(key->FindValue(good), nullptr) << good;
  EXPECT_EQ(key->FindValue("Multi"), nullptr);
  EXPECT_EQ(tree.FindKey(HKEY_LOCAL_MACHINE, "A"), nullptr);
}

TEST(RegFile, WithoutItsFirstLineNothingIsApplied) {
  for (const char* text : {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X]\n", "[HKEY_LOCAL_MACHINE\\X]\n", ""}) {
    RegistryTree tree;
    const auto problems = Apply(text, tree);
    ASSERT_EQ(problems.size(), 1u) << text;
    EXPECT_EQ(problems.front().line, 1);
    EXPECT_EQ(tree.FindKey(HKEY_LOCAL_MACHINE, "X"), nullptr);
  }
}

}  // namespace
