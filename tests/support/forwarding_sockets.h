#pragma once

#include <cstdint>
#include <optional>

#include "platform/sockets.h"

// Sockets that hand every call to other sockets, for a test's sockets that watch or change a few
// calls: they override those and hand the rest on through this.
class ForwardingSockets : public platform::Sockets {
 public:
  ForwardingSockets() = default;
  explicit ForwardingSockets(platform::Sockets& target) : target_(&target) {}
  void HandTo(platform::Sockets& target) { target_ = &target; }

  platform::SOCKET Socket(int af, int type, int protocol) override { return target_->Socket(af, type, protocol); }
  int SetOption(platform::SOCKET s, int level, int name, int value) override {
    return target_->SetOption(s, level, name, value);
  }
  int Bind(platform::SOCKET s, const platform::SOCKADDR_IN& address) override { return target_->Bind(s, address); }
  int Listen(platform::SOCKET s, int backlog) override { return target_->Listen(s, backlog); }
  platform::SOCKET Accept(platform::SOCKET s, platform::SOCKADDR_IN* peer) override { return target_->Accept(s, peer); }
  int Connect(platform::SOCKET s, const platform::SOCKADDR_IN& peer) override { return target_->Connect(s, peer); }
  int Send(platform::SOCKET s, const char* data, int length) override { return target_->Send(s, data, length); }
  int Recv(platform::SOCKET s, char* buffer, int length) override { return target_->Recv(s, buffer, length); }
  int SendTo(platform::SOCKET s, const char* data, int length, const platform::SOCKADDR_IN& to) override {
    return target_->SendTo(s, data, length, to);
  }
  int RecvFrom(platform::SOCKET s, char* buffer, int length, platform::SOCKADDR_IN* from) override {
    return target_->RecvFrom(s, buffer, length, from);
  }
  int SelectReadable(platform::SOCKET s, std::optional<uint64_t> timeout_ms) override {
    return target_->SelectReadable(s, timeout_ms);
  }
  int Close(platform::SOCKET s) override { return target_->Close(s); }
  int LocalAddress(platform::SOCKET s, platform::SOCKADDR_IN* local) override {
    return target_->LocalAddress(s, local);
  }

 private:
  platform::Sockets* target_ = nullptr;
};
