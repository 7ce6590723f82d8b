#pragma once

#include <string>

#include "toolkit/form.h"
#include "toolkit/layout.h"
#include "toolkit/std_controls.h"

// The progress window of the apply sequence: a status line and a bar from 0 to 320.
class Tform_ApplyProgress : public TForm {
 public:
  explicit Tform_ApplyProgress(TComponent* owner);
  ~Tform_ApplyProgress() override;
  std::string ClassName() const override { return "Tform_ApplyProgress"; }

#define ORVO_FIELD(cls, name) cls* name = nullptr;
#include "wizard/forms/form_ApplyProgress_fields.inc"
#undef ORVO_FIELD

  void FormCreate(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void img_formBGMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

  // Set by the page flow while the apply sequence runs, cleared by its completion handler: the
  // window refuses every close meanwhile, since the sequence cannot be cancelled and a closed
  // window would let a second one start beside it.
  bool applyRunning = false;

 private:
  THandlerTable handlers_;
};

extern Tform_ApplyProgress* form_ApplyProgress;
