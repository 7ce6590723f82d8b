#include "wizard/dialogs/apply_progress.h"

#include "wizard/dialogs/dialog_traits.h"
#include "wizard/layout_loading.h"

Tform_ApplyProgress* form_ApplyProgress = nullptr;

Tform_ApplyProgress::~Tform_ApplyProgress() {
  if (form_ApplyProgress == this) form_ApplyProgress = nullptr;
}

Tform_ApplyProgress::Tform_ApplyProgress(TComponent* owner) : TForm(owner) {
  handlers_.Add("FormCreate", this, &Tform_ApplyProgress::FormCreate);
  handlers_.Add("img_formBGMouseDown", this, &Tform_ApplyProgress::img_formBGMouseDown);
  LoadWizardLayout(*this, "form_ApplyProgress", handlers_);
#define ORVO_FIELD(cls, name) name = BindComponent<cls>(*this, #name);
#include "wizard/forms/form_ApplyProgress_fields.inc"
#undef ORVO_FIELD
  OnCloseQuery = [this](TObject* sender, bool& can_close) { FormCloseQuery(sender, can_close); };
}

void Tform_ApplyProgress::FormCreate(TObject*) { ShapeDialog(*this, 253, 135, 15); }

void Tform_ApplyProgress::FormCloseQuery(TObject*, bool& CanClose) { CanClose = !applyRunning; }

void Tform_ApplyProgress::img_formBGMouseDown(TObject*, TMouseButton, TShiftState, int, int) { MoveByCaption(*this); }
