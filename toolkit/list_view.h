#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/control.h"
#include "toolkit/strings.h"

// A row of a list view; its texts change on the main thread only.
class TListItem {
 public:
  TListItem() {
    sub_items_.OnChange = [] { TK_ASSERT_MAIN_THREAD("a list view's row"); };
  }
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) {
    TK_ASSERT_MAIN_THREAD("a list view's row");
    caption_ = std::move(caption);
  }
  TStrings& SubItems() { return sub_items_; }
  const TStrings& SubItems() const { return sub_items_; }

 private:
  std::string caption_;
  TStrings sub_items_;
};

// A report-style list view: rows with a caption and sub-items, one selected row at most.
class TListView : public TWinControl {
 public:
  explicit TListView(TComponent* owner);
  std::string ClassName() const override { return "TListView"; }
  bool TakesFocusOnClick() const override { return true; }

  int Count() const { return static_cast<int>(items_.size()); }
  TListItem* Item(int i) const { return items_.at(static_cast<size_t>(i)).get(); }
  TListItem* Add();
  void Clear();
  // -1 when no row is selected.
  int ItemIndex() const;
  void SetItemIndex(int index);
  TListItem* Selected() const { return selected_; }
  // Sorts the rows by caption with the given comparison (negative, zero, positive); the
  // selection stays on its row.
  void SortByCaption(const std::function<int(const std::string&, const std::string&)>& compare);

  TStrings& Columns() { return columns_; }
  const TStrings& Columns() const { return columns_; }

 private:
  std::vector<std::unique_ptr<TListItem>> items_;
  TListItem* selected_ = nullptr;
  TStrings columns_;
};
