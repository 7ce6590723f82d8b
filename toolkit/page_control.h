#pragma once

#include <string>
#include <vector>

#include "toolkit/control.h"

class TPageControl;

// A page of a page control. OnShow runs when the page starts showing (it becomes the active
// page of a shown window, or the window of the active page is shown).
class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* owner);
  std::string ClassName() const override { return "TTabSheet"; }
  TPageControl* PageControl() const;
  bool TabVisible() const { return tab_visible_; }
  void SetTabVisible(bool v) {
    TK_ASSERT_MAIN_THREAD("a tab sheet");
    tab_visible_ = v;
  }
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  void UpdateShowing() override;

 private:
  bool tab_visible_ = true;
  bool was_showing_ = false;
};

// Pages of which one is shown at a time; in this program the tabs are hidden.
class TPageControl : public TWinControl {
 public:
  explicit TPageControl(TComponent* owner);
  std::string ClassName() const override { return "TPageControl"; }
  std::vector<TTabSheet*> Pages() const;
  TTabSheet* ActivePage() const { return active_; }
  // Changes the page as the framework does: the focus first leaves a control on the old page
  // (whose exit handler may refuse, which keeps the old page), the new page shows, the old one
  // hides, and when the old page held the focus the new one's first tab stop takes it.
  void SetActivePage(TTabSheet* page);
  int ActivePageIndex() const;

 private:
  TTabSheet* active_ = nullptr;
};
