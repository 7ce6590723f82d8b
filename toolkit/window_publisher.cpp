#include "toolkit/window_publisher.h"

#include <algorithm>
#include <vector>

#include "platform/thread.h"
#include "toolkit/application.h"
#include "toolkit/form.h"

struct TWindowPublisher::State {
  explicit State(TApplication& a) : app(a) {}

  struct Registered {
    platform::HWND handle;
    std::string class_name;
    std::string title;
  };

  TApplication& app;
  Registered app_window{nullptr, {}, {}};
  std::map<const TForm*, Registered> forms;

  bool Alive(const TForm* form) const {
    const auto& all = Screen->Forms();
    return std::find(all.begin(), all.end(), form) != all.end();
  }
  TForm* FormOf(platform::HWND handle) const {
    for (const auto& [form, registered] : forms) {
      if (registered.handle == handle && Alive(form)) return const_cast<TForm*>(form);
    }
    return nullptr;
  }
  static void Raise(TForm* form) {
    if (form && form->Window()) form->Window()->BringToFront();
  }

  void Carry(platform::HWND handle, int command) {
    TForm* form = handle == app_window.handle ? nullptr : FormOf(handle);
    if (!form && handle != app_window.handle) return;
    switch (command) {
      case platform::SW_MINIMIZE:
        app.Minimize();
        return;
      case platform::SW_RESTORE:
        app.Restore();
        if (form && !form->Visible()) form->Show();
        return;
      case platform::SW_SHOW:
        if (form && !form->Visible()) form->Show();
        Raise(form ? form : app.ActiveForm());
        return;
      default:
        return;
    }
  }

  void Front(platform::HWND handle) {
    if (handle == app_window.handle) return Raise(app.ActiveForm());
    Raise(FormOf(handle));
  }
};

namespace {

// Requests come on the registry's thread; the work is done on the main thread, and not at all
// once the publisher is gone.
platform::WindowActions ActionsFor(const std::weak_ptr<TWindowPublisher::State>& weak,
                                   std::shared_ptr<platform::HWND> handle) {
  auto post = [](const std::weak_ptr<TWindowPublisher::State>& w, std::function<void(TWindowPublisher::State&)> work) {
    auto state = w.lock();
    if (!state) return;
    auto run = [w, work = std::move(work)] {
      if (auto s = w.lock()) work(*s);
    };
    if (platform::IsMainThread()) {
      run();
    } else {
      state->app.Post(std::move(run));
    }
  };
  return {[weak, handle, post](int command) { post(weak, [handle, command](auto& s) { s.Carry(*handle, command); }); },
          [weak, handle, post] { post(weak, [handle](auto& s) { s.Front(*handle); }); }};
}

}  // namespace

TWindowPublisher::TWindowPublisher(TApplication& app) : state_(std::make_shared<State>(app)) { Sync(); }

TWindowPublisher::~TWindowPublisher() {
  if (state_->app_window.handle) platform::UnregisterWindow(state_->app_window.handle);
  for (const auto& [form, registered] : state_->forms) platform::UnregisterWindow(registered.handle);
}

void TWindowPublisher::Sync() {
  State& s = *state_;
  auto follow = [&](State::Registered& r, const std::string& class_name, const std::string& title) {
    if (r.handle && r.class_name != class_name) {
      // Another form now lives where a destroyed one was.
      platform::UnregisterWindow(r.handle);
      r.handle = nullptr;
    }
    if (!r.handle) {
      // The handle is known only once registered; the actions read it when they run.
      auto handle = std::make_shared<platform::HWND>(nullptr);
      r.handle = platform::RegisterWindow(class_name, title, ActionsFor(state_, handle));
      *handle = r.handle;
      r.class_name = class_name;
      r.title = title;
    } else if (r.title != title) {
      platform::SetRegisteredWindowTitle(r.handle, title);
      r.title = title;
    }
  };
  follow(s.app_window, "TApplication", s.app.Title());
  for (auto it = s.forms.begin(); it != s.forms.end();) {
    if (s.Alive(it->first)) {
      ++it;
    } else {
      platform::UnregisterWindow(it->second.handle);
      it = s.forms.erase(it);
    }
  }
  for (TForm* form : Screen->Forms()) follow(s.forms[form], form->ClassName(), form->Caption());
}

platform::HWND TWindowPublisher::ApplicationHandle() const { return state_->app_window.handle; }

platform::HWND TWindowPublisher::Handle(const TForm* form) const {
  auto it = state_->forms.find(form);
  return it == state_->forms.end() ? nullptr : it->second.handle;
}
