#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flow_fixture.h"

namespace {

// The checks of the fixed addresses on the settings page: one message for the first rule that
// fails, the focus in the offending group and, for three rules, that group emptied.

// A group's four octet edits as dotted text: "192..1." is "192", "", "1", ""; "" is all empty.
struct ValidationCase {
  const char* name;
  bool fixed_ip, fixed_dns;
  const char *ip, *mask, *gateway, *dns1, *dns2;
  const platform::AnsiString* message;  // nullptr: the page may be left
  const char* cleared;                  // the group emptied: "ip", "mask", "gateway" or ""
  const char* focus;                    // the edit that has the focus afterwards, "" when unchanged
  const char* trace;                    // a DNS group's trace before its message, "" for none
};

constexpr const char* kIp = "192.168.1.10";
constexpr const char* kMask = "255.255.255.0";
constexpr const char* kGateway = "192.168.1.1";
constexpr const char* kDns = "8.8.8.8";
constexpr const char* kDns1Trace = "Tform_Main::checkIPAddressControl- part2_1";
constexpr const char* kDns2Trace = "Tform_Main::checkIPAddressControl- part2_2";

// clang-format off
const ValidationCase kCases[] = {
    // Automatic address and DNS: nothing is read, whatever the hidden edits hold.
    {"automatic_ip_and_dns", false, false, ".1..", "", "9...", "8...", "", nullptr, "", "", ""},
    // Automatic address: only the DNS groups count.
    {"automatic_ip_fixed_dns", false, true, "", "", "", kDns, "", nullptr, "", "", ""},
    {"ip_complete_and_valid", true, true, kIp, kMask, kGateway, kDns, kDns, nullptr, "", "", ""},
    {"ip_two_edits_empty", true, true, "192..1.", kMask, kGateway, kDns, "", &str_Msg8, "", "edit_IPAddr2", ""},
    {"ip_incomplete_before_all_else", true, true, ".168.1.10", "", "", "8...", "", &str_Msg8, "", "edit_IPAddr1", ""},
    {"ip_all_zero", true, true, "0.0.0.0", kMask, kGateway, kDns, "", &str_Msg9, "ip", "edit_IPAddr1", ""},
    {"ip_leading_zeros_still_zero", true, true, "00.0.000.0", kMask, kGateway, "", "", &str_Msg9, "ip", "edit_IPAddr1",
     ""},
    {"ip_0_0_0_1_passes_the_zero_rule", true, true, "0.0.0.1", kMask, "0.0.0.", "", "", &str_Msg11, "",
     "edit_IPGateway4", ""},
    {"mask_incomplete", true, true, kIp, "255.255..", kGateway, "", "", &str_Msg10, "", "edit_IPMask3", ""},
    {"mask_incomplete_before_gateway_incomplete", true, true, kIp, "255..255.0", "192...", "", "", &str_Msg10, "",
     "edit_IPMask2", ""},
    {"gateway_incomplete", true, true, kIp, kMask, ".168.1.1", "", "", &str_Msg11, "", "edit_IPGateway1", ""},
    {"gateway_outside_the_subnet", true, true, kIp, kMask, "192.168.2.1", kDns, "", &str_Msg20, "gateway",
     "edit_IPGateway1", ""},
    {"gateway_0_0_0_0_passes_anywhere", true, true, "10.0.0.1", kMask, "0.0.0.0", "", "", nullptr, "", "", ""},
    {"gateway_255_255_255_255_passes_anywhere", true, true, "10.0.0.1", kMask, "255.255.255.255", "", "", nullptr, "",
     "", ""},
    {"mask_0_0_0_0_passes_with_any_gateway", true, true, kIp, "0.0.0.0", "10.1.2.3", "", "", nullptr, "", "", ""},
    {"mask_255_255_255_255_passes", true, true, kIp, "255.255.255.255", kIp, "", "", nullptr, "", "", ""},
    {"mask_255_255_252_0_passes", true, true, kIp, "255.255.252.0", "192.168.3.254", "", "", nullptr, "", "", ""},
    {"mask_octet_253_is_no_mask_octet", true, true, kIp, "255.255.253.0", kGateway, "", "", &str_Msg21, "mask",
     "edit_IPMask1", ""},
    {"mask_not_contiguous", true, true, kIp, "255.0.255.0", kGateway, "", "", &str_Msg21, "mask", "edit_IPMask1", ""},
    {"mask_255_128_128_0_not_contiguous", true, true, kIp, "255.128.128.0", kGateway, "", "", &str_Msg21, "mask",
     "edit_IPMask1", ""},
    // The gateway is judged first, with the invalid mask as typed: only its message comes.
    {"gateway_before_mask", true, true, kIp, "255.255.253.0", "192.168.9.1", "", "", &str_Msg20, "gateway",
     "edit_IPGateway1", ""},
    // An address rule that fails ends the check before the DNS groups are looked at.
    {"address_rule_before_dns", true, true, kIp, kMask, "192.168.2.1", "8.8..", "", &str_Msg20, "gateway",
     "edit_IPGateway1", ""},
    {"dns1_partly_filled", true, true, kIp, kMask, kGateway, "8.8..", "", &str_Msg12, "", "edit_IPDNS1_3",
     kDns1Trace},
    {"dns1_zero_before_the_gap_takes_the_focus", false, true, "", "", "", "0.8..", "", &str_Msg12, "",
     "edit_IPDNS1_1", kDns1Trace},
    {"dns1_empty_dns2_filled", true, true, kIp, kMask, kGateway, "", kDns, nullptr, "", "", ""},
    {"dns_all_zero_passes", false, true, "", "", "", "0.0.0.0", "", nullptr, "", "", ""},
    {"dns2_partly_filled", false, true, "", "", "", kDns, "8.8.4.", &str_Msg12, "", "edit_IPDNS2_4", kDns2Trace},
    {"dns2_only_last_filled", false, true, "", "", "", "", "...4", &str_Msg12, "", "edit_IPDNS2_1", kDns2Trace},
};
// clang-format on

class ValidationTest : public FlowTest {
 protected:
  std::vector<TEdit*> Group(const std::string& prefix) const {
    std::vector<TEdit*> group;
    for (int k = 1; k <= 4; ++k) group.push_back(driver_.Get<TEdit>(prefix + std::to_string(k)));
    return group;
  }
  static std::vector<std::string> Octets(const std::string& dotted) {
    std::vector<std::string> octets;
    size_t start = 0;
    for (int k = 0; k < 3; ++k) {
      const size_t dot = dotted.find('.', start);
      octets.push_back(dot == std::string::npos ? "" : dotted.substr(start, dot - start));
      start = dot == std::string::npos ? dotted.size() : dot + 1;
    }
    octets.push_back(dotted.substr(start));
    return octets;
  }
  static void Fill(const std::vector<TEdit*>& group, const std::string& dotted) {
    const std::vector<std::string> octets = Octets(dotted);
    for (size_t k = 0; k < 4; ++k) group[k]->SetText(octets[k]);
  }
  static std::vector<std::string> Texts(const std::vector<TEdit*>& group) {
    std::vector<std::string> texts;
    for (TEdit* e : group) texts.push_back(e->Text());
    return texts;
  }
};

TEST_F(ValidationTest, TheFirstFailingRuleShowsItsMessageFocusesAndClearsItsGroup) {
  sim::BoxConfig box;
  box.dhcp = false;
  ToSettingsPage(box);
  Tform_Main& f = *form_Main;
  struct GroupOf {
    const char* name;
    std::vector<TEdit*> edits;
    const char* ValidationCase::*octets;
  };
  const GroupOf groups[] = {{"ip", Group("edit_IPAddr"), &ValidationCase::ip},
                            {"mask", Group("edit_IPMask"), &ValidationCase::mask},
                            {"gateway", Group("edit_IPGateway"), &ValidationCase::gateway},
                            {"dns1", Group("edit_IPDNS1_"), &ValidationCase::dns1},
                            {"dns2", Group("edit_IPDNS2_"), &ValidationCase::dns2}};
  for (const ValidationCase& c : kCases) {
    SCOPED_TRACE(c.name);
    (c.fixed_ip ? f.radio_FixedIP : f.radio_AutoIP)->SetChecked(true);
    (c.fixed_dns ? f.radio_FixedDNS : f.radio_AutoDNS)->SetChecked(true);
    ASSERT_EQ(f.radio_FixedIP->Checked(), c.fixed_ip);
    ASSERT_EQ(f.radio_FixedDNS->Checked(), c.fixed_dns);
    for (const GroupOf& g : groups) Fill(g.edits, c.*g.octets);
    f.FocusControl(nullptr);
    messages_.clear();
    traces_.clear();

    EXPECT_EQ(f.checkIPAddressControl(), c.message == nullptr);
    if (c.message) {
      EXPECT_EQ(MessageTexts(), std::vector<std::string>{Text(*c.message)});
      ASSERT_EQ(messages_.size(), 1u);
      EXPECT_EQ(messages_[0].kind, 2);
    } else {
      EXPECT_TRUE(messages_.empty()) << LastMessage();
    }
    for (const GroupOf& g : groups) {
      const bool cleared = std::string(g.name) == c.cleared;
      EXPECT_EQ(Texts(g.edits), Octets(cleared ? "" : c.*g.octets)) << g.name;
    }
    if (*c.focus) {
      ASSERT_NE(f.ActiveControl(), nullptr);
      EXPECT_EQ(f.ActiveControl()->Name(), c.focus);
    } else {
      EXPECT_EQ(f.ActiveControl(), nullptr);
    }
    EXPECT_TRUE(Traced("Tform_Main::checkIPAddressControl"));
    EXPECT_EQ(Traced("Tform_Main::checkIPAddressControl- part1"), c.fixed_ip);
    if (*c.trace) {
      EXPECT_TRUE(Traced(c.trace));
    }
  }
}

}  // namespace
