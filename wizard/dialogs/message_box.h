#pragma once

#include <string>

#include "toolkit/form.h"
#include "toolkit/layout.h"
#include "toolkit/std_controls.h"
#include "wizard/dialogs/dialog_traits.h"

// The message dialog through which every warning, error and question reaches the user.
class Tform_MessageBox : public TForm {
 public:
  explicit Tform_MessageBox(TComponent* owner);
  ~Tform_MessageBox() override;
  std::string ClassName() const override { return "Tform_MessageBox"; }

#define ORVO_FIELD(cls, name) cls* name = nullptr;
#include "wizard/forms/form_MessageBox_fields.inc"
#undef ORVO_FIELD

  // 0 information with OK and Cancel, 1 warning with OK, 2 error with OK.
  int msgType = 0;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormKeyPress(TObject* Sender, char16_t& Key);
  void lab_btnOKClick(TObject* Sender);
  void lab_btnCancelClick(TObject* Sender);
  void lab_GoToWebSetupClick(TObject* Sender);
  void lab_btnOKMouseEnter(TObject* Sender);
  void lab_btnOKMouseLeave(TObject* Sender);
  void lab_btnCancelMouseEnter(TObject* Sender);
  void lab_btnCancelMouseLeave(TObject* Sender);
  void lab_GoToWebSetupMouseEnter(TObject* Sender);
  void lab_GoToWebSetupMouseLeave(TObject* Sender);
  void img_formBGMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void lab_MessageMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void img_formBGMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

 private:
  TImageButton OkButton() const { return {img_btnOK_Normal, img_btnOK_Over, lab_btnOK}; }
  TImageButton CancelButton() const { return {img_btnCancel_Normal, img_btnCancel_Over, lab_btnCancel}; }
  THandlerTable handlers_;
};

extern Tform_MessageBox* form_MessageBox;
