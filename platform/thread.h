#pragma once

#include <functional>
#include <memory>
#include <string>

namespace platform {

// A thread of the program. It takes part in the program's clock from creation to the end of its
// body, so the virtual clock counts it. The body starts at once; the thread must be joined or
// detached before this object is destroyed.
class Thread {
 public:
  Thread(std::string name, std::function<void()> body);
  Thread(Thread&&) noexcept;
  Thread& operator=(Thread&&) noexcept;
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;
  ~Thread();

  // Waits on the program's clock until the body has returned.
  void Join();
  void Detach();
  bool Joinable() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// The name given to the calling thread (for traces and deadlock reports).
std::string CurrentThreadName();

// The main thread runs the message loop and alone changes controls.
void MarkMainThread();
bool IsMainThread();

}  // namespace platform
