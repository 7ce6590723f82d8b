#include "toolkit/page_control.h"

#include "toolkit/form.h"
#include "toolkit/main_thread.h"

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {}

TPageControl* TTabSheet::PageControl() const { return dynamic_cast<TPageControl*>(Parent()); }

void TTabSheet::UpdateShowing() {
  const bool now = Showing();
  if (now == was_showing_) return;
  was_showing_ = now;
  if (now) {
    if (OnShow) OnShow(this);
  } else if (OnHide) {
    OnHide(this);
  }
}

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {}

std::vector<TTabSheet*> TPageControl::Pages() const {
  std::vector<TTabSheet*> pages;
  for (TControl* c : Controls()) {
    if (auto* sheet = dynamic_cast<TTabSheet*>(c)) pages.push_back(sheet);
  }
  return pages;
}

int TPageControl::ActivePageIndex() const {
  const std::vector<TTabSheet*> pages = Pages();
  for (size_t i = 0; i < pages.size(); ++i) {
    if (pages[i] == active_) return static_cast<int>(i);
  }
  return -1;
}

void TPageControl::SetActivePage(TTabSheet* page) {
  TK_ASSERT_MAIN_THREAD("a page control");
  if (page == active_) return;
  TForm* form = ParentForm();
  TTabSheet* old = active_;
  bool old_had_focus = false;
  if (form && old && form->ActiveControl() && old->ContainsControl(form->ActiveControl())) {
    form->FocusControl(old);
    if (form->ActiveControl() != old) return;  // the focused control refused to let go
    old_had_focus = true;
  }
  active_ = page;
  if (page) {
    BringToFront(page);
    page->SetVisible(true);
  }
  for (TTabSheet* other : Pages()) {
    if (other != page) other->SetVisible(false);
  }
  if (form && page && old_had_focus) {
    form->FocusControl(page->CanFocus() ? static_cast<TWinControl*>(page) : this);
    if (form->ActiveControl() == page) page->SelectFirst();
  }
}
