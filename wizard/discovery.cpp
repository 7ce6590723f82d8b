#include "wizard/discovery.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "link/codec.h"
#include "link/this_pc.h"
#include "link/transport.h"
#include "platform/adapters.h"
#include "platform/clock.h"
#include "platform/convert.h"
#include "platform/log_debug.h"
#include "platform/sockets.h"
#include "platform/text_compare.h"
#include "platform/unicode.h"
#include "text/language_strings.h"
#include "wizard/main_form.h"

NasDiscoveryRecord NasTable[kMaxNasCount];
int32_t NasCount = 0;

namespace {

platform::SOCKADDR_IN Destination(uint32_t address) {
  platform::SOCKADDR_IN to;
  to.sin_family = platform::kAfInet;
  to.sin_port = platform::Htons(kNasUdpPort);
  to.sin_addr.s_addr = address;
  return to;
}

void SendDiscovery(const NasPacket& request, uint32_t address) {
  const platform::SOCKADDR_IN to = Destination(address);
  platform::sendto(g_sockfd.load(), reinterpret_cast<const char*>(request.data()), kNasPacketSize, 0, &to,
                   platform::kSockaddrInSize);
}

std::string MacText(const NasDiscoveryRecord& record) {
  char text[18];
  const uint8_t* m = &record.bytes[discovery_field::kMac];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", m[0], m[1], m[2], m[3], m[4], m[5]);
  return text;
}

int CompareCaptions(const std::string& a, const std::string& b) {
  return platform::lstrcmpW(platform::Utf8ToUtf16(a), platform::Utf8ToUtf16(b));
}

}  // namespace

void Tform_Main::RegisterDiscoveryHandlers() {
  handlers_.Add("timer_DeviceDiscoveryTimer", this, &Tform_Main::timer_DeviceDiscoveryTimer);
}

void Tform_Main::StartDeviceDiscovery() {
  LogDebug("Tform_Main::tab_NASListShow(TObject *Sender)");
  isDiscoveryMode_.store(1);
  for (NasDiscoveryRecord& record : NasTable) record = NasDiscoveryRecord{};
  NasCount = 0;
  ListView1->Clear();
  lab_DeviceDiscoveryResult->SetCaption(platform::FromAnsi(str_LabDeviceDiscoveryResult1));
  RefreshNASListGrid();
  OpenUdpSocket();
  ListView1->SetEnabled(false);
  sg_NASList->SetEnabled(false);
  btn_Cancel->SetEnabled(false);
  btn_Next->SetEnabled(false);
  SetNextButtonLook(false);
  btn_DeviceDiscovery->SetEnabled(false);
  SetDiscoveryButtonLook(false);
  timer_DeviceDiscovery->SetEnabled(true);

  NasPacket request;
  BuildDiscoveryRequest(request);
  for (int remaining = 5; remaining > 0; --remaining) {
    SendDiscovery(request, platform::kInaddrBroadcast);
    platform::Sleep(10);
    char trace[32];
    std::snprintf(trace, sizeof trace, "retry %d\n", remaining);
    LogDebug(trace);
  }

  if (ipConfigThreadCount == 0) {
    cbAdapterList->Clear();
    cbIpAddr->Clear();
    cbSubMask->Clear();
    auto* scan = new thread_IPConfig();
    scan->OnTerminate = [this](TObject* sender) { thread_IPConfigTerminate(sender); };
    ++ipConfigThreadCount;
    scan->Start();
  }
}

void thread_IPConfig::Execute() {
  const platform::GetAdaptersInfoProc get_adapters_info = platform::LookUpGetAdaptersInfo();
  if (!get_adapters_info) {
    LogDebug("Cannot get \"GetAdaptersInfo\".");
    return;
  }
  bool failed = false;
  uint32_t size = 0;
  const uint32_t sizing = get_adapters_info(nullptr, &size);
  if (sizing != 0 && sizing != static_cast<uint32_t>(platform::ERROR_BUFFER_OVERFLOW)) {
    LogDebug("GetAdaptersInfo sizing failed with error " + std::to_string(sizing));
    failed = true;
  }
  // The list is laid out as entries, so the buffer is made of them to keep them aligned.
  const size_t entries = (size + sizeof(platform::AdapterInfo) - 1) / sizeof(platform::AdapterInfo);
  std::unique_ptr<platform::AdapterInfo[]> buffer(new (std::nothrow) platform::AdapterInfo[entries ? entries : 1]());
  if (!buffer) {
    LogDebug("Memory allocation error");
    return;
  }
  const uint32_t listing = get_adapters_info(buffer.get(), &size);
  if (listing != 0) {
    LogDebug("GetAdaptersInfo failed with error " + std::to_string(listing));
    failed = true;
  }
  if (failed) return;
  for (const platform::AdapterInfo* adapter = buffer.get(); adapter; adapter = adapter->Next) {
    for (const platform::IpAddressEntry* entry = &adapter->IpAddressList; entry; entry = entry->Next) {
      LogDebug("===== Card Information start ======");
      rows_.push_back(
          {platform::FromAnsi(platform::AnsiString(adapter->Description)), entry->IpAddress, entry->IpMask});
      LogDebug(std::string("Card Desc: ") + adapter->Description);
      LogDebug(std::string("IP Address: ") + entry->IpAddress);
      LogDebug(std::string("IP Mask: ") + entry->IpMask);
      LogDebug("===== Card Information end   ======");
    }
  }
}

void Tform_Main::thread_IPConfigTerminate(TObject* Sender) {
  // The scan's rows go into the combo boxes here, on the main thread.
  for (const thread_IPConfig::Row& row : static_cast<thread_IPConfig*>(Sender)->Rows()) {
    cbAdapterList->Items().Add(row.description);
    cbIpAddr->Items().Add(row.address);
    cbSubMask->Items().Add(row.mask);
  }
  --ipConfigThreadCount;
  NasPacket request;
  BuildDiscoveryRequest(request);
  std::vector<std::string> addresses;
  for (int i = 0; i < cbAdapterList->Items().Count(); ++i) {
    if (cbIpAddr->Items()[i] == "0.0.0.0") continue;
    const std::string broadcast = platform::FromAnsi(
        BroadcastAddress(platform::ToAnsi(cbIpAddr->Items()[i]), platform::ToAnsi(cbSubMask->Items()[i])));
    if (std::find(addresses.begin(), addresses.end(), broadcast) == addresses.end()) addresses.push_back(broadcast);
  }
  // Only while the round's socket is still open: after the round nothing goes out.
  const platform::SOCKET s = g_sockfd.load();
  if (g_App_end.load() != 0 || !isDiscoveryMode() || s == platform::INVALID_SOCKET || s == kSocketReserved) return;
  for (const std::string& address : addresses) {
    for (int i = 0; i < 5; ++i) {
      SendDiscovery(request, platform::inet_addr(address.c_str()));
      platform::Sleep(10);
    }
  }
}

platform::AnsiString Tform_Main::BroadcastAddress(const platform::AnsiString& address,
                                                  const platform::AnsiString& mask) {
  LogDebug("Tform_Main::BroadcastAddress");
  std::string a = address.bytes(), m = mask.bytes();
  int octets[4] = {0, 0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    const size_t da = a.find('.'), dm = m.find('.');
    const int av = da == std::string::npos ? 0 : platform::AtoI(a.substr(0, da));
    const int mv = dm == std::string::npos ? 0 : platform::AtoI(m.substr(0, dm));
    octets[i] = av | (255 - mv);
    if (da != std::string::npos) a.erase(0, da + 1);
    if (dm != std::string::npos) m.erase(0, dm + 1);
  }
  octets[3] = platform::AtoI(a) | (255 - platform::AtoI(m));
  char text[64];
  std::snprintf(text, sizeof text, "%i.%i.%i.%i", octets[0], octets[1], octets[2], octets[3]);
  return platform::AnsiString(text);
}

void Tform_Main::GetDeviceDiscoveryRes(const NasPacket& datagram, const platform::SOCKADDR_IN& from) {
  LogDebug("form_Main::GetDeviceDiscoveryRes is being called");
  NasDiscoveryRecord record;
  if (ParseDiscoveryReply(datagram, record) != 0) return;
  const std::string sender = platform::inet_ntoa(from.sin_addr);
  if (IsFromThisPc(from.sin_addr.s_addr)) {
    LogDebug("Tform_Main::GetDeviceDiscoveryRes- " + sender + " is this PC, not a box: reply dropped");
    return;
  }
  for (int i = 0; i < ListView1->Count(); ++i) {
    const TStrings& sub = ListView1->Item(i)->SubItems();
    if (sub.Count() > 0 && sub[0] == sender) return;
  }
  const uint8_t mode = record.bytes[discovery_field::kOperationMode];
  if (mode == OPERATION_MODE_WB) {
    LogDebug("OPCode: OPERATION_MODE_WB");
  } else if (mode == OPERATION_MODE_AP) {
    LogDebug("OPCode: OPERATION_MODE_AP");
  } else {
    return;
  }
  if (NasCount >= kMaxNasCount) return;
  const std::string model = platform::FromAnsi(
      platform::AnsiString(ReadTextField(record.bytes, discovery_field::kModelName, discovery_field::kModelNameSize)));
  std::u16string upper = platform::Utf8ToUtf16(model);
  platform::CharUpperBuffW(upper);
  if (upper.find(u"NAS") == std::u16string::npos) return;
  NasTable[NasCount++] = record;
  TListItem* item = ListView1->Add();
  item->SetCaption(model);
  item->SubItems().Add(sender);
  const std::string mac = MacText(record);
  item->SubItems().Add(mac);
  LogDebug(mac);
  ListView1->SortByCaption(CompareCaptions);
}

void Tform_Main::timer_DeviceDiscoveryTimer(TObject*) {
  LogDebug("Tform_Main::timer_DeviceDiscoveryTimer");
  timer_DeviceDiscovery->SetEnabled(false);
  StopUdpReceiver();
  const std::string found = platform::FromAnsi(str_LabDeviceDiscoveryResult2) + " ";
  if (ListView1->Count() > 0) {
    ListView1->SetItemIndex(0);
    lab_DeviceDiscoveryResult->SetCaption(found + std::to_string(ListView1->Count()));
    btn_Next->SetEnabled(true);
    SetNextButtonLook(true);
  } else {
    lab_DeviceDiscoveryResult->SetCaption(found + "0");
    btn_Next->SetEnabled(false);
    SetNextButtonLook(false);
  }
  btn_Cancel->SetEnabled(true);
  btn_DeviceDiscovery->SetEnabled(true);
  SetDiscoveryButtonLook(true);
  ListView1->SetEnabled(true);
  sg_NASList->SetEnabled(true);
  RefreshNASListGrid();
}
