#include <cstdio>

#include "platform/convert.h"
#include "platform/log_debug.h"
#include "platform/sockets.h"
#include "text/language_strings.h"
#include "wizard/main_form.h"

// The checks of the fixed addresses on the settings page before it may be left.

namespace {

using Group = std::array<TEdit*, 4>;

uint8_t OctetValue(const TEdit* e) { return static_cast<uint8_t>(platform::AtoI(e->Text()) & 0xFF); }

TEdit* FirstEmpty(const Group& g) {
  for (TEdit* e : g) {
    if (e->Text().empty()) return e;
  }
  return nullptr;
}

// The address of a group as the sockets library reads it, the four octets in network order.
uint32_t NetworkAddress(const Group& g) {
  char text[32];
  std::snprintf(text, sizeof text, "%i.%i.%i.%i", OctetValue(g[0]), OctetValue(g[1]), OctetValue(g[2]),
                OctetValue(g[3]));
  return platform::inet_addr(text);
}

bool ValidMaskOctet(uint8_t v) {
  for (uint8_t valid : {255, 254, 252, 248, 240, 224, 192, 128, 0}) {
    if (v == valid) return true;
  }
  return false;
}

}  // namespace

bool Tform_Main::checkIPAddressControl() {
  LogDebug("Tform_Main::checkIPAddressControl");
  auto fail = [this](const platform::AnsiString& message, const Group* cleared, TEdit* focus) {
    ShowWizardMessage(message, 2);
    if (cleared) {
      for (TEdit* e : *cleared) e->SetText("");
    }
    focus->SetFocus();
    return false;
  };
  if (radio_FixedIP->Checked()) {
    LogDebug("Tform_Main::checkIPAddressControl- part1");
    const Group ip = IpGroup(), mask = MaskGroup(), gateway = GatewayGroup();
    if (TEdit* empty = FirstEmpty(ip)) return fail(str_Msg8, nullptr, empty);
    if (OctetValue(ip[0]) == 0 && OctetValue(ip[1]) == 0 && OctetValue(ip[2]) == 0 && OctetValue(ip[3]) == 0) {
      return fail(str_Msg9, &ip, edit_IPAddr1);
    }
    if (TEdit* empty = FirstEmpty(mask)) return fail(str_Msg10, nullptr, empty);
    if (TEdit* empty = FirstEmpty(gateway)) return fail(str_Msg11, nullptr, empty);
    const uint32_t a = NetworkAddress(ip), m = NetworkAddress(mask), g = NetworkAddress(gateway);
    if ((a & m) != (g & m) && g != 0 && g != 0xFFFFFFFFu) return fail(str_Msg20, &gateway, edit_IPGateway1);
    const uint8_t o[4] = {OctetValue(mask[0]), OctetValue(mask[1]), OctetValue(mask[2]), OctetValue(mask[3])};
    const bool octets_valid =
        ValidMaskOctet(o[0]) && ValidMaskOctet(o[1]) && ValidMaskOctet(o[2]) && ValidMaskOctet(o[3]);
    const bool contiguous = (o[1] == 0 || o[0] == 255) && (o[2] == 0 || (o[0] == 255 && o[1] == 255)) &&
                            (o[3] == 0 || (o[0] == 255 && o[1] == 255 && o[2] == 255));
    if (!octets_valid || !contiguous) return fail(str_Msg21, &mask, edit_IPMask1);
  }
  if (!radio_FixedDNS->Checked()) return true;
  LogDebug("Tform_Main::checkIPAddressControl- part2");
  const std::pair<Group, const char*> groups[] = {{Dns1Group(), "Tform_Main::checkIPAddressControl- part2_1"},
                                                  {Dns2Group(), "Tform_Main::checkIPAddressControl- part2_2"}};
  for (const auto& [group, trace] : groups) {
    int filled = 0;
    for (TEdit* e : group) filled += e->Text().empty() ? 0 : 1;
    if (filled == 0 || filled == 4) continue;
    LogDebug(trace);
    // The focus goes to the first octet whose value is 0; an empty one counts as 0.
    TEdit* focus = group[0];
    for (TEdit* e : group) {
      if (OctetValue(e) == 0) {
        focus = e;
        break;
      }
    }
    return fail(str_Msg12, nullptr, focus);
  }
  return true;
}
