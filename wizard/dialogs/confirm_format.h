#pragma once

#include <string>

#include "toolkit/form.h"
#include "toolkit/layout.h"
#include "toolkit/std_controls.h"
#include "wizard/dialogs/dialog_traits.h"

// The confirmation that a new disk layout may erase the disks: OK is usable only while the
// format-disk box is ticked, and every showing starts unticked.
class Tform_ConfirmFormat : public TForm {
 public:
  explicit Tform_ConfirmFormat(TComponent* owner);
  ~Tform_ConfirmFormat() override;
  std::string ClassName() const override { return "Tform_ConfirmFormat"; }

#define ORVO_FIELD(cls, name) cls* name = nullptr;
#include "wizard/forms/form_ConfirmFormat_fields.inc"
#undef ORVO_FIELD

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void checkBox_FormatDiskClick(TObject* Sender);
  void lab_checkBoxFormatDiskClick(TObject* Sender);
  void btn_OKClick(TObject* Sender);
  void btn_CancelClick(TObject* Sender);
  void lab_btnOKMouseEnter(TObject* Sender);
  void lab_btnOKMouseLeave(TObject* Sender);
  void lab_btnCancelMouseEnter(TObject* Sender);
  void lab_btnCancelMouseLeave(TObject* Sender);
  void lab_checkBoxFormatDiskMouseEnter(TObject* Sender);
  void lab_checkBoxFormatDiskMouseLeave(TObject* Sender);
  void img_formBGMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void img_formBGMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

 private:
  TImageButton OkButton() const { return {img_btnOK_Normal, img_btnOK_Over, lab_btnOK}; }
  TImageButton CancelButton() const { return {img_btnCancel_Normal, img_btnCancel_Over, lab_btnCancel}; }
  void ShowOnlyBoxPicture(TImage* shown);
  THandlerTable handlers_;
};

extern Tform_ConfirmFormat* form_ConfirmFormat;
