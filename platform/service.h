#pragma once

#include <atomic>

namespace platform {

// One platform service (sockets, adapters, ...): an abstract class with a host implementation that
// serves by default, and an installed one that replaces it process-wide (the simulated world, a
// test double). Each service header declares `Install<Service>(Service*)` (nullptr puts the host
// one back) and `Current<Service>()`, both backed by one ServiceSlot.
template <class Service>
class ServiceSlot {
 public:
  constexpr explicit ServiceSlot(Service& (*host)()) : host_(host) {}
  ServiceSlot(const ServiceSlot&) = delete;
  ServiceSlot& operator=(const ServiceSlot&) = delete;

  Service& Current() const {
    Service* installed = installed_.load(std::memory_order_acquire);
    return installed ? *installed : host_();
  }
  void Install(Service* service) { installed_.store(service, std::memory_order_release); }

 private:
  Service& (*host_)();
  std::atomic<Service*> installed_{nullptr};
};

}  // namespace platform
