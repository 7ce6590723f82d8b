#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "platform/thread.h"
#include "toolkit/component.h"
#include "toolkit/types.h"

// The framework's thread class. A derived class overrides Execute. The thread is created
// suspended: the creator installs OnTerminate (and FreeOnTerminate) and then calls Start, so the
// completion handler is in place before the thread can finish. After Execute returns,
// OnTerminate runs on the main thread, and a FreeOnTerminate thread then goes with the message
// that ran it (also when the program ends before the message ran). FreeOnTerminate is read at
// Start; such a thread cannot be waited for.
class TThread : public TObject {
 public:
  explicit TThread(std::string name = "worker");
  ~TThread() override;

  void Start();
  void Terminate() { terminated_.store(true); }
  bool Terminated() const { return terminated_.load(); }
  bool Finished() const { return finished_.load(); }
  // Waits until Execute has returned.
  void WaitFor();

  bool FreeOnTerminate = false;
  TNotifyEvent OnTerminate;

  // Runs `call` on the main thread and waits for it.
  static void Synchronize(const std::function<void()>& call);
  // Queues `call` for the main thread without waiting.
  static void Queue(std::function<void()> call);

 protected:
  virtual void Execute() = 0;

 private:
  void DoTerminate();

  std::string name_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::unique_ptr<platform::Thread> thread_;
};
