#include "toolkit/component.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "toolkit/main_thread.h"

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_) owner_->InsertComponent(this);
}

TComponent::~TComponent() {
  // Owned components go in reverse order of creation, before this one is gone.
  while (!components_.empty()) {
    TComponent* last = components_.back();
    components_.pop_back();
    last->owner_ = nullptr;
    delete last;
  }
  if (owner_) owner_->RemoveComponent(this);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  for (TComponent* c : components_) {
    if (c->Name() == name) return c;
  }
  return nullptr;
}

void TComponent::RemoveComponent(TComponent* c) {
  components_.erase(std::remove(components_.begin(), components_.end(), c), components_.end());
}

namespace toolkit_detail {
void ReportOffMainThread(const char* what) {
  std::fprintf(stderr, "toolkit: %s changed off the main thread (thread '%s')\n", what,
               platform::CurrentThreadName().c_str());
  std::abort();
}
}  // namespace toolkit_detail
