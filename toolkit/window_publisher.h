#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/window_registry.h"

class TApplication;
class TForm;

// Keeps the program's top-level windows in the platform's window registry, so that another
// instance finds them: the application object as class "TApplication" with its title, every
// form as its class name with its caption. A request to show, restore, minimise or raise one of
// them is carried out on the main thread. The presenter drives it on every turn of the loop.
class TWindowPublisher {
 public:
  explicit TWindowPublisher(TApplication& app);
  ~TWindowPublisher();
  TWindowPublisher(const TWindowPublisher&) = delete;
  TWindowPublisher& operator=(const TWindowPublisher&) = delete;

  // Main thread: registers new forms, forgets destroyed ones, follows titles and captions.
  void Sync();
  platform::HWND ApplicationHandle() const;
  platform::HWND Handle(const TForm* form) const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};
