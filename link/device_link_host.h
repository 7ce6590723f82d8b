#pragma once

#include <string>

#include "link/wire.h"
#include "platform/sockets.h"

// What the transport needs of the wizard: the state it reads and writes and the handlers it
// calls. The main window implements it (so that link does not depend on wizard) and installs
// itself with SetDeviceLinkHost before the first discovery round.
class DeviceLinkHost {
 public:
  virtual ~DeviceLinkHost() = default;

  // The wizard state, kept by the main window as atomics: read and written from the receive
  // thread, the main thread and the apply thread.
  virtual bool isDiscoveryMode() = 0;
  virtual int TcpCommandKind() = 0;
  virtual void SetGetNASInfoResult(int value) = 0;
  // The IP column of the selected device-list row. May be called from the apply thread; the
  // implementer then fetches it on the main thread.
  virtual std::string SelectedDeviceIp() = 0;

  // Datagram handlers, run on the main thread with the datagram (zero-filled past what arrived)
  // and its sender.
  virtual void GetDeviceDiscoveryRes(const NasPacket& datagram, const platform::SOCKADDR_IN& from) = 0;
  virtual void GetRAIDCommnadRes(const NasPacket& datagram, const platform::SOCKADDR_IN& from) = 0;

  // TCP reply handlers, run on the exchange's thread; they read TcpReplyBuffer().
  virtual bool process_EZPROBE_result() = 0;
  virtual bool process_QUICKGW_result() = 0;
};

void SetDeviceLinkHost(DeviceLinkHost* host);
DeviceLinkHost* CurrentDeviceLinkHost();
