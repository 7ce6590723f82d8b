// A login against a box whose probe and settings replies are any bytes, split into any pieces at
// any times, and whose disk status is any text: the replies as the login reads them (the probe's
// flags, the settings record's fields) and the password, settings and disk pages filled from
// them.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <iterator>

#include "check.h"
#include "link/transport.h"
#include "wizard/main_form.h"
#include "wizard_harness.h"

namespace {

using fuzz::Check;

const char* const kDiskStatuses[] = {"NODISK NULL",      "NODISK_STD EXT3",    "STD_NODISK EXT2_NULL",
                                     "NULL_NODISK NULL", "NULL NULL",          "RAID1 EXT3",
                                     "STD_STD EXT2",     "NULL_STD NULL_EXT2", "STD_NULL EXT3_NULL"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::WizardHarness& harness = fuzz::WizardHarness::Get();
  FuzzedDataProvider input(data, size);
  harness.tcp().Queue(fuzz::TcpScript::From(input));  // the probe's reply
  harness.tcp().Queue(fuzz::TcpScript::From(input));  // the settings reply
  // Half the time a disk status the grammar knows, so that the pages are filled from the records.
  harness.SetDiskReply(input.ConsumeBool()
                           ? kDiskStatuses[input.ConsumeIntegralInRange<size_t>(0, std::size(kDiskStatuses) - 1)]
                           : input.ConsumeRandomLengthString(440));
  const std::string password = input.ConsumeRandomLengthString(31);

  Tform_Main& f = *form_Main;
  SelectedNasRecordType& record = f.SelectedNasRecord;
  record.Clear();
  std::strncpy(record.DeviceIdentifierString.data(), "00:11:32:AB:CD:EF", record.DeviceIdentifierString.size() - 1);
  std::strncpy(record.userName.data(), "admin", record.userName.size() - 1);
  std::strncpy(record.adminPassword.data(), password.c_str(), record.adminPassword.size() - 1);
  const int32_t result = f.GetNASInfo();
  harness.tcp().ClearQueue();

  Check(result == 0 || result == 1 || result == 2 || result == 3 || result == 5);
  Check(f.btn_Next->Enabled() && f.btn_Cancel->Enabled() && f.ListView1->Enabled());
  Check(g_sockfd.load() == platform::INVALID_SOCKET);
  Check(harness.tcp().OpenConnections() == 0);
  return 0;
}
