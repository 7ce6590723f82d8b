// A discovery round that meets any datagrams from any number of senders, in any of the PC's
// code pages: the replies as the wizard lists them (the model name through the code page, its
// upper-casing, the MAC text, the table's limit, the sort) and the round's end.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

#include "check.h"
#include "platform/code_page.h"
#include "platform/text_compare.h"
#include "platform/unicode.h"
#include "wizard/discovery.h"
#include "wizard/main_form.h"
#include "wizard_harness.h"

namespace {

using fuzz::Check;

constexpr unsigned kCodePages[] = {1252, 1250, 1251, 1253, 1254, 1255, 1256, 1257, 1258, 874, 932, 936, 949, 950};
// Enough senders to fill the table and go past it.
constexpr int kMostDatagrams = 300;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::WizardHarness& harness = fuzz::WizardHarness::Get();
  FuzzedDataProvider input(data, size);
  platform::SetSystemCodePage(kCodePages[input.ConsumeIntegralInRange<size_t>(0, std::size(kCodePages) - 1)]);
  Tform_Main& f = *form_Main;
  f.StartDeviceDiscovery();
  int delivered = 0;
  while (input.remaining_bytes() > 0 && delivered < kMostDatagrams) {
    // A datagram and how many senders in a row send it, from 10.0.x.y on.
    const uint16_t first = input.ConsumeIntegral<uint16_t>();
    const int senders = input.ConsumeIntegralInRange<int>(1, kMostDatagrams);
    const std::vector<uint8_t> bytes =
        input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, kNasPacketSize));
    NasPacket datagram{};
    std::copy(bytes.begin(), bytes.end(), datagram.begin());
    for (int i = 0; i < senders && delivered < kMostDatagrams; ++i, ++delivered) {
      platform::SOCKADDR_IN from;
      from.sin_family = platform::kAfInet;
      from.sin_port = platform::Htons(kNasUdpPort);
      from.sin_addr.s_addr = platform::Htonl((10u << 24) + first + static_cast<uint32_t>(i));
      f.GetDeviceDiscoveryRes(datagram, from);
    }
  }
  f.timer_DeviceDiscoveryTimer(f.timer_DeviceDiscovery);
  harness.RunUntil([&] { return f.ipConfigThreadCount == 0; });

  Check(NasCount >= 0 && NasCount <= kMaxNasCount);
  Check(f.ListView1->Count() == NasCount);
  for (int i = 0; i < f.ListView1->Count(); ++i) {
    const TListItem& row = *f.ListView1->Item(i);
    Check(row.SubItems().Count() == 2 && row.SubItems()[1].size() == 17);
    if (i > 0) {
      const std::string& before = f.ListView1->Item(i - 1)->Caption();
      Check(platform::lstrcmpW(platform::Utf8ToUtf16(before), platform::Utf8ToUtf16(row.Caption())) <= 0);
    }
  }
  Check(NasCount == 0 || f.ListView1->ItemIndex() == 0);
  platform::SetSystemCodePage(0);
  return 0;
}
