#include "toolkit/list_view.h"

#include <algorithm>

#include "toolkit/main_thread.h"

TListView::TListView(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  columns_.OnChange = [] { TK_ASSERT_MAIN_THREAD("a list view's columns"); };
}

TListItem* TListView::Add() {
  TK_ASSERT_MAIN_THREAD("a list view");
  items_.push_back(std::make_unique<TListItem>());
  Invalidate();
  return items_.back().get();
}

void TListView::Clear() {
  TK_ASSERT_MAIN_THREAD("a list view");
  selected_ = nullptr;
  items_.clear();
  Invalidate();
}

int TListView::ItemIndex() const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].get() == selected_) return static_cast<int>(i);
  }
  return -1;
}

void TListView::SetItemIndex(int index) {
  TK_ASSERT_MAIN_THREAD("a list view");
  selected_ = index >= 0 && index < Count() ? items_[static_cast<size_t>(index)].get() : nullptr;
  Invalidate();
}

void TListView::SortByCaption(const std::function<int(const std::string&, const std::string&)>& compare) {
  TK_ASSERT_MAIN_THREAD("a list view");
  std::stable_sort(items_.begin(), items_.end(),
                   [&](const auto& a, const auto& b) { return compare(a->Caption(), b->Caption()) < 0; });
  Invalidate();
}
