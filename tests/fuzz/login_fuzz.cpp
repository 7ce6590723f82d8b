// A login against a box whose probe and settings replies are any bytes, split into any pieces at
// any times, and whose disk status is any text. The outcome follows from the replies: 1 when a
// reply does not come whole in time, 0 for a refused password, 2 for any other header the request
// does not accept, else 5 or 3 as the disk status reads or not. A login that read the box's
// records keeps them byte for byte, and one that got through shows them on the pages.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <iterator>
#include <optional>

#include "check.h"
#include "link/codec.h"
#include "link/disk_command.h"
#include "link/transport.h"
#include "platform/ansi.h"
#include "text/language_strings.h"
#include "wizard/main_form.h"
#include "wizard_harness.h"

namespace {

using fuzz::Check;

const char* const kDiskStatuses[] = {"NODISK NULL",      "NODISK_STD EXT3",    "STD_NODISK EXT2_NULL",
                                     "NULL_NODISK NULL", "NULL NULL",          "RAID1 EXT3",
                                     "STD_STD EXT2",     "NULL_STD NULL_EXT2", "STD_NULL EXT3_NULL"};

uint32_t Following(uint32_t id) { return id + 1 == 0 ? 1 : id + 1; }

// The reply the exchange hands on: the stream's first 512 bytes, when the 512th came in time.
std::optional<NasPacket> Reply(const fuzz::TcpScript& played) {
  size_t count = 0;
  for (const fuzz::TcpScript::Piece& piece : played.pieces) {
    count += piece.bytes.size();
    if (count < kNasPacketSize) continue;
    if (piece.at_ms > kTcpReplyTimeoutMs) return std::nullopt;
    const std::vector<uint8_t> stream = played.Stream();
    NasPacket reply;
    std::copy_n(stream.begin(), reply.size(), reply.begin());
    return reply;
  }
  return std::nullopt;
}

// The outcome of one exchange: nothing when its reply was accepted.
std::optional<int32_t> Refusal(const std::optional<NasPacket>& reply, uint32_t id) {
  if (!reply) return 1;
  switch (CheckResponseHeader(*reply, id, NasMac{})) {
    case RESPONSE_HDR_OK:
      return std::nullopt;
    case RESPONSE_HDR_ERR_PASSWORD:
      return 0;
    default:
      return 2;
  }
}

std::string Octet(uint32_t address, int k) { return std::to_string((address >> (8 * k)) & 0xFF); }

// The four edits of an address show it, or nothing when it is not set and `clear_unset`.
bool Shows(TEdit* const (&octets)[4], uint32_t address, bool clear_unset) {
  for (int k = 0; k < 4; ++k) {
    if (octets[k]->Text() != (clear_unset && address == 0 ? std::string() : Octet(address, k))) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::WizardHarness& harness = fuzz::WizardHarness::Get();
  FuzzedDataProvider input(data, size);
  harness.tcp().Queue(fuzz::TcpScript::From(input));  // the probe's reply
  harness.tcp().Queue(fuzz::TcpScript::From(input));  // the settings reply
  // Half the time a disk status the grammar knows, so that the pages are filled from the records.
  std::string disk_text = input.ConsumeBool()
                              ? kDiskStatuses[input.ConsumeIntegralInRange<size_t>(0, std::size(kDiskStatuses) - 1)]
                              : input.ConsumeRandomLengthString(440);
  harness.SetDiskReply(disk_text);
  const std::string password = input.ConsumeRandomLengthString(31);

  Tform_Main& f = *form_Main;
  SelectedNasRecordType& record = f.SelectedNasRecord;
  record.Clear();
  std::strncpy(record.DeviceIdentifierString.data(), "00:11:32:AB:CD:EF", record.DeviceIdentifierString.size() - 1);
  std::strncpy(record.userName.data(), "admin", record.userName.size() - 1);
  std::strncpy(record.adminPassword.data(), password.c_str(), record.adminPassword.size() - 1);
  const uint32_t probe_id = Following(CurrentTransactionId());
  const int32_t result = f.GetNASInfo();
  const std::vector<fuzz::TcpScript> played = harness.tcp().Played();
  harness.tcp().ClearQueue();

  Check(f.btn_Next->Enabled() && f.btn_Cancel->Enabled() && f.ListView1->Enabled());
  Check(g_sockfd.load() == platform::INVALID_SOCKET);
  Check(harness.tcp().OpenConnections() == 0);

  // The probe, then the settings read only when the probe was accepted.
  Check(!played.empty());
  const std::optional<NasPacket> probe = Reply(played[0]);
  if (const std::optional<int32_t> refused = Refusal(probe, probe_id)) {
    Check(result == *refused && played.size() == 1);
    return 0;
  }
  Check(record.isNotDefault == (((*probe)[nas_header::kReplyPayload + probe_field::kIsNotDefault] != 0) ? 1 : 0));
  Check(record.isDHCP == (((*probe)[nas_header::kReplyPayload + probe_field::kIsDHCP] != 0) ? 1 : 0));
  Check(played.size() == 2);
  const std::optional<NasPacket> settings = Reply(played[1]);
  if (const std::optional<int32_t> refused = Refusal(settings, Following(probe_id))) {
    Check(result == *refused);
    return 0;
  }
  const auto& bytes = record.settings.bytes;
  Check(std::equal(bytes.begin(), bytes.end(), settings->begin() + nas_header::kReplyPayload));

  // The disk status as the box's reply carries it: up to its first NUL, cut to what a reply holds.
  disk_text = disk_text.substr(0, std::min(disk_text.find('\0'), disk_command::kMaxReplyText));
  NasDiskLayout layout{};
  const bool read = ParseDiskStatus(disk_text, layout).has_value();
  Check(result == (read ? 5 : 3));
  if (!read) return 0;
  Check(record.diskLayout == layout);

  // The pages: the box's name, its addresses as the box has them set, and its disks.
  Check(f.checkBox_UseOriginalPassword->Checked() && !f.checkBox_UseDefaultDNTZandNetwork->Checked());
  Check(f.edit_DeviceName->Text() == platform::FromAnsi(platform::AnsiString(ReadTextField(
                                         bytes, settings_field::kHostname, settings_field::kHostnameSize))));
  TEdit* const ip[4] = {f.edit_IPAddr1, f.edit_IPAddr2, f.edit_IPAddr3, f.edit_IPAddr4};
  TEdit* const mask[4] = {f.edit_IPMask1, f.edit_IPMask2, f.edit_IPMask3, f.edit_IPMask4};
  TEdit* const gateway[4] = {f.edit_IPGateway1, f.edit_IPGateway2, f.edit_IPGateway3, f.edit_IPGateway4};
  TEdit* const dns1[4] = {f.edit_IPDNS1_1, f.edit_IPDNS1_2, f.edit_IPDNS1_3, f.edit_IPDNS1_4};
  TEdit* const dns2[4] = {f.edit_IPDNS2_1, f.edit_IPDNS2_2, f.edit_IPDNS2_3, f.edit_IPDNS2_4};
  const uint32_t dns[2] = {ReadAddressField(bytes, settings_field::kDns1),
                           ReadAddressField(bytes, settings_field::kDns2)};
  Check(f.radio_AutoIP->Checked() == (record.isDHCP != 0) && f.radio_FixedIP->Checked() == (record.isDHCP == 0));
  if (record.isDHCP == 0) {
    Check(Shows(ip, ReadAddressField(bytes, settings_field::kIpAddress), false));
    Check(Shows(mask, ReadAddressField(bytes, settings_field::kSubnetMask), false));
    Check(Shows(gateway, ReadAddressField(bytes, settings_field::kGateway), true));
  } else {
    Check(Shows(ip, 0, true) && Shows(mask, 0, true) && Shows(gateway, 0, true));
  }
  const bool fixed_dns = record.isDHCP == 0 || dns[0] != 0 || dns[1] != 0;
  Check(f.radio_FixedDNS->Checked() == fixed_dns);
  Check(Shows(dns1, fixed_dns ? dns[0] : 0, true) && Shows(dns2, fixed_dns ? dns[1] : 0, true));
  if (layout.diskAmount > 0) {
    Check(f.group_DiskConfig->Visible());
  } else {
    Check(!f.group_DiskConfig->Visible());
    Check(f.lab_HDAmount->Caption() == platform::FromAnsi(str_LabDiskAmount) + " " + std::to_string(layout.diskAmount));
  }
  return 0;
}
