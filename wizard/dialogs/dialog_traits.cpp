#include "wizard/dialogs/dialog_traits.h"

#include "wizard/main_form.h"

void ShapeDialog(TForm& dialog, int width, int height, int ellipse) {
  dialog.SetBounds(dialog.Left(), dialog.Top(), width, height);
  dialog.SetWindowRegion(TWindowRegion{0, 0, width, height, ellipse, ellipse});
  if (form_Main) dialog.SetCaption(form_Main->Caption());
}

void MoveByCaption(TForm& window) { window.StartMoveByCaption(); }

void TImageButton::Enter() const {
  if (!normal->Visible()) return;
  normal->Hide();
  over->Show();
  label->Font()->SetColor(clBtnHighlight);
  Screen->SetCursor(crHandPoint);
}

void TImageButton::Leave() const {
  if (!over->Visible()) return;
  normal->Show();
  over->Hide();
  label->Font()->SetColor(clBtnFace);
  Screen->SetCursor(crDefault);
}
