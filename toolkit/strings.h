#pragma once

#include <functional>
#include <string>
#include <vector>

// A list of texts (the framework's TStrings). OnChange runs after every change.
class TStrings {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  const std::string& operator[](int i) const { return items_.at(static_cast<size_t>(i)); }
  const std::vector<std::string>& Items() const { return items_; }
  int Add(std::string text) {
    items_.push_back(std::move(text));
    Changed();
    return Count() - 1;
  }
  void Set(int i, std::string text) {
    items_.at(static_cast<size_t>(i)) = std::move(text);
    Changed();
  }
  void Clear() {
    items_.clear();
    Changed();
  }
  void Assign(std::vector<std::string> items) {
    items_ = std::move(items);
    Changed();
  }
  int IndexOf(const std::string& text) const {
    for (size_t i = 0; i < items_.size(); ++i) {
      if (items_[i] == text) return static_cast<int>(i);
    }
    return -1;
  }
  std::function<void()> OnChange;

 private:
  void Changed() {
    if (OnChange) OnChange();
  }
  std::vector<std::string> items_;
};
